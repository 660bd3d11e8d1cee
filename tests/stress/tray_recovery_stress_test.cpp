// A hundred tray faults at random points of the program's one-second tick: the shell forgets
// every icon without a word, refuses the next adds of an icon, or restarts and broadcasts
// "TaskbarCreated". Afterwards exactly the chosen icons are there, no add ever came for an icon
// already there, and the program holds no more objects than before.
#include "Growth.h"
#include "StressSession.h"

using namespace e2e;

namespace {

class StressTrayRecovery : public StressFenlow
{
};

const int kCycles = 100;
const uint32_t kLongestPauseMs = 200;  // between faults: spread over every point of the tick

TEST_F(StressTrayRecovery, HundredTrayFaultsEndWithTheChosenIconsOnceEach)
{
    // Neither Scroll Lock's icon nor the plain one may appear.
    Fenlow f;
    ASSERT_NO_FATAL_FAILURE(StartWithCapsAndNum(f));
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TipOf(pid, 3) == std::optional<std::string>("Nunlock: ON"); }));

    // One fault and its mending first: whatever that makes once is made now.
    tray->Forget();
    ASSERT_TRUE(WaitUntil([&] { return tray->Count() == 2; }, 10000));
    growth::Sample before = {GdiObjects(f.process.Handle()), UserObjects(f.process.Handle()),
                             PrivateBytes(f.process.Handle())};

    uint64_t seed = SeedFromEnvironment("FENLOW_STRESS_SEED");
    std::printf("seed %llu (FENLOW_STRESS_SEED)\n", static_cast<unsigned long long>(seed));
    SplitMix random(seed);
    const UINT chosen[] = {1, 3};
    int forgets = 0, refusals = 0, restarts = 0;
    size_t logStart = tray->Calls().size();
    DWORD began = GetTickCount();
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        uint32_t kind = random.Below(10);
        if (kind == 0) {
            tray->Restart();
            ++restarts;
        } else {
            // Refused adds for one icon or both, and usually the loss that makes them matter.
            if (kind >= 4) {
                uint32_t which = random.Below(3);
                int count = 1 + static_cast<int>(random.Below(2));
                for (int k = 0; k < 2; ++k)
                    if (which == 2 || which == static_cast<uint32_t>(k))
                        tray->RefuseAdds(chosen[k], count);
                refusals += count;
            }
            if (kind <= 7) {
                tray->Forget();
                ++forgets;
            }
        }
        Sleep(random.Below(kLongestPauseMs));
    }
    DWORD faultsMs = GetTickCount() - began;
    ASSERT_TRUE(f.process.Running());

    // The refusals still armed run out within a few ticks.
    auto chosenOnly = [&] { return SortedTrayIds(pid) == std::vector<UINT>{1, 3} && tray->Count() == 2; };
    DWORD settleStart = GetTickCount();
    ASSERT_TRUE(WaitUntil(chosenOnly, 15000));
    DWORD settleMs = GetTickCount() - settleStart;
    // Then the next refresh gives them their states.
    EXPECT_TRUE(WaitUntil([&] { return TipOf(pid, 1) == std::optional<std::string>("Capital: OFF"); }));
    EXPECT_TRUE(WaitUntil([&] { return TipOf(pid, 3) == std::optional<std::string>("Nunlock: ON"); }));
    EXPECT_TRUE(PictureIs(pid, 3, IDI_NUMLOCK_ON));
    EXPECT_EQ(0u, tray->DuplicateAddCount());

    auto [adds, refused] = AddsOfCapsAndNum(logStart);

    Pump(300);
    growth::Sample after = {GdiObjects(f.process.Handle()), UserObjects(f.process.Handle()),
                            PrivateBytes(f.process.Handle())};
    std::printf(
        "tray faults x%d over %lu ms (%d forgets, %d refused adds armed, %d restarts): %d adds, %d refused; "
        "chosen set back %lu ms after the last\n",
        kCycles, static_cast<unsigned long>(faultsMs), forgets, refusals, restarts, adds, refused,
        static_cast<unsigned long>(settleMs));
    Figure("adds", adds);
    Figure("refused_adds", refused);
    Figure("duplicate_adds", static_cast<long long>(tray->DuplicateAddCount()));
    Figure("settle_ms", settleMs, " ms");
    growth::ExpectFlat("tray_faults", kCycles, before, after, false);
    ASSERT_TRUE(AllLocksOff());
}

}  // namespace
