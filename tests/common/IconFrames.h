// The frames every icon group of the program holds, smallest first: the small and large icon sizes
// of 100 %, 125 % and 150 % and the small one of 200 %; the application icon has 64 as well.
#pragma once

#include <vector>

#include "resource.h"

namespace iconframes {

struct Group
{
    int id;
    std::vector<int> sizes;
};

// The frames of 100 % (the small and large icon) are bitmaps, which every Windows reads; the
// others are PNG, which only the versions that ask for them need to read.
inline bool IsBitmapFrame(int size)
{
    return size == 16 || size == 32;
}

inline const std::vector<Group>& Groups()
{
    static const std::vector<int> lock = {16, 20, 24, 32, 40, 48};
    static const std::vector<Group> groups = {
        {IDI_FENLOW, {16, 20, 24, 32, 40, 48, 64}},
        {IDI_TRAY, lock},
        {IDI_NUMLOCK_OFF, lock},
        {IDI_NUMLOCK_ON, lock},
        {IDI_CAPSLOCK_OFF, lock},
        {IDI_CAPSLOCK_ON, lock},
        {IDI_SCROLLLOCK_OFF, lock},
        {IDI_SCROLLLOCK_ON, lock},
    };
    return groups;
}

}  // namespace iconframes
