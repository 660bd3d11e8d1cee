// The frames every icon group of the program holds, smallest first: the small-icon size of 100 to
// 200 % in steps of 25; the application icon has the large sizes of 125, 150 and 200 % as well.
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
    static const std::vector<int> lock = {16, 20, 24, 28, 32};
    static const std::vector<Group> groups = {
        {IDI_FENLOW, {16, 20, 24, 28, 32, 40, 48, 64}},
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
