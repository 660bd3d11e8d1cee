// Object and memory counts taken before and after many rounds of one action, and the check that
// they stayed flat: shared by the leak tests in this process and in another.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "StressProbe.h"

namespace growth {

// Objects that may appear once and stay (caches, a first brush): not growth with the count.
const long kObjectSlack = 4;
// The heap may take a page or a few for its own books; a leak of even 100 bytes a round shows.
const long long kMemorySlack = 64 * 1024;

struct Sample
{
    e2e::ObjectCount gdi;
    e2e::ObjectCount user;
    SIZE_T memory;
};

inline long long MemoryGrowth(const Sample& before, const Sample& after)
{
    return static_cast<long long>(after.memory) - static_cast<long long>(before.memory);
}

// Prints and records the growth of `times` rounds of `what`, then expects the objects flat and,
// if `memoryToo`, the memory within the slack plus `allowance`: bytes that something outside the
// program is known to keep, measured alongside.
inline void ExpectFlat(const char* what,
                       int times,
                       const Sample& before,
                       const Sample& after,
                       bool memoryToo,
                       long long allowance = 0)
{
    std::printf("%s x%d: GDI %ld -> %ld [%s]; USER %ld -> %ld [%s]; private bytes %lu -> %lu\n", what, times,
                before.gdi.value, after.gdi.value, before.gdi.source.c_str(), before.user.value, after.user.value,
                before.user.source.c_str(), static_cast<unsigned long>(before.memory),
                static_cast<unsigned long>(after.memory));
    const std::string name(what);
    ::testing::Test::RecordProperty(name + "_gdi_growth", static_cast<int>(after.gdi.value - before.gdi.value));
    ::testing::Test::RecordProperty(name + "_user_growth", static_cast<int>(after.user.value - before.user.value));
    ::testing::Test::RecordProperty(name + "_private_bytes_growth", static_cast<int>(MemoryGrowth(before, after)));
    ASSERT_GT(before.gdi.value, 0) << "no GDI count on this system: " << before.gdi.source;
    ASSERT_GT(before.user.value, 0) << "no USER count on this system: " << before.user.source;
    EXPECT_LE(after.gdi.value - before.gdi.value, kObjectSlack);
    EXPECT_LE(after.user.value - before.user.value, kObjectSlack);
    if (memoryToo) {
        ASSERT_GT(before.memory, 0u);
        EXPECT_LE(MemoryGrowth(before, after), kMemorySlack + (allowance > 0 ? allowance : 0))
            << "of which allowed for outside the program: " << allowance;
    }
}

}  // namespace growth
