// A hundred taskbar restarts: afterwards exactly the chosen icons, once each, and no objects
// or memory gained on the way.
#include "Growth.h"
#include "StressSession.h"

using namespace e2e;

namespace {

class StressTaskbarRestarts : public StressFenlow
{
};

const int kRestarts = 100;
// Each restart reloads the pictures and the menu: the heap may keep a little more for its books.
const long long kRestartMemoryAllowance = 192 * 1024;

// Posted after the broadcasts, so that once the window shows, every broadcast has been handled.
bool WaitUntilHandled(const Fenlow& f)
{
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    bool shown = WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }, 10000);
    ShowWindow(f.main, SW_HIDE);  // hidden again for the next round (marshalled to its thread)
    WaitUntil([&] { return !IsWindowVisible(f.main); }, 5000);
    return shown;
}

TEST_F(StressTaskbarRestarts, HundredTaskbarRestartsLeaveTheChosenIconsOnce)
{
    StoreFlags({{"NumLockMsg", 1}});
    Fenlow f;
    ASSERT_NO_FATAL_FAILURE(StartWithCapsAndNum(f));
    DWORD pid = f.process.Pid();

    // One restart first, and the window shown and painted once: whatever is made once is made now.
    tray->Restart();
    ASSERT_TRUE(WaitUntilHandled(f));
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    RedrawWindow(f.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ShowWindow(f.main, SW_HIDE);
    growth::Sample before = {GdiObjects(f.process.Handle()), UserObjects(f.process.Handle()),
                             PrivateBytes(f.process.Handle())};

    tray->ClearLog();
    // In bursts of ten, the last of each burst handled before the next: both overlapping
    // restarts and single ones.
    for (int i = 0; i < kRestarts; ++i) {
        tray->Restart();
        if (i % 10 == 9) {
            ASSERT_TRUE(WaitUntilHandled(f)) << "restart " << i;
        }
    }
    ASSERT_TRUE(f.process.Running());

    EXPECT_EQ((std::vector<UINT>{1, 3}), SortedTrayIds(pid));
    EXPECT_EQ(2u, tray->Count());
    EXPECT_EQ("Capital: OFF", tray->FindByPid(pid, 1)->tip);
    EXPECT_EQ("Nunlock: ON", tray->FindByPid(pid, 3)->tip);
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 3), FenlowPath(), IDI_NUMLOCK_ON));
    // Every restart added the two icons again, and no add was refused as a duplicate.
    auto [adds, refusedAdds] = AddsOfCapsAndNum();
    EXPECT_EQ(2 * kRestarts, adds);
    EXPECT_EQ(0, refusedAdds);

    Pump(300);
    growth::Sample after = {GdiObjects(f.process.Handle()), UserObjects(f.process.Handle()),
                            PrivateBytes(f.process.Handle())};
    growth::ExpectFlat("taskbar_restarts", kRestarts, before, after, true, kRestartMemoryAllowance);
    ASSERT_TRUE(AllLocksOff());
}

}  // namespace
