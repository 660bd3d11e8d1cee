// A hundred taskbar restarts: afterwards exactly the chosen icons, once each, and no objects
// or memory gained on the way.
#include "StressSession.h"

#include <algorithm>

using namespace e2e;

namespace {

const int kRestarts = 100;
// Objects made once and kept (a cache filled by the first restart after the warm-up, say).
const long kObjectSlack = 4;
const SIZE_T kMemorySlack = 256 * 1024;

// Posted after the broadcasts, so that once the window shows, every broadcast has been handled.
bool WaitUntilHandled(const Fenlow& f)
{
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    bool shown = WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }, 10000);
    ShowWindow(f.main, SW_HIDE);  // hidden again for the next round (marshalled to its thread)
    WaitUntil([&] { return !IsWindowVisible(f.main); }, 5000);
    return shown;
}

TEST_F(StressFenlow, HundredTaskbarRestartsLeaveTheChosenIconsOnce)
{
    // Caps Lock and Num Lock chosen, Scroll Lock not: three of the four slots must stay empty.
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"ScrLock", 0}, {"NumLock", 1}, {"NumLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_EQ((std::vector<UINT>{1, 3}), TrayIdsOf(pid));
    ASSERT_TRUE(SetLock(VK_NUMLOCK, true));

    // One restart first, and the window shown and painted once: whatever is made once is made now.
    tray->Restart();
    ASSERT_TRUE(WaitUntilHandled(f));
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    RedrawWindow(f.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ShowWindow(f.main, SW_HIDE);
    ObjectCount gdiBefore = GdiObjects(f.process.Handle());
    ObjectCount userBefore = UserObjects(f.process.Handle());
    SIZE_T memoryBefore = PrivateBytes(f.process.Handle());
    ASSERT_GT(gdiBefore.value, 0) << gdiBefore.source;
    ASSERT_GT(userBefore.value, 0) << userBefore.source;
    ASSERT_GT(memoryBefore, 0u);

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

    std::vector<UINT> ids = TrayIdsOf(pid);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ((std::vector<UINT>{1, 3}), ids);
    EXPECT_EQ(2u, tray->Count());
    EXPECT_EQ("Capital: OFF", tray->FindByPid(pid, 1)->tip);
    EXPECT_EQ("Nunlock: ON", tray->FindByPid(pid, 3)->tip);
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 3), FenlowPath(), IDI_NUMLOCK_ON));
    // Every restart added the two icons again, and no add was refused as a duplicate.
    int adds = 0, refusedAdds = 0;
    for (const TrayCall& call : tray->Calls()) {
        if (call.op != NIM_ADD)
            continue;
        ++adds;
        refusedAdds += !call.result;
        EXPECT_TRUE(call.id == 1 || call.id == 3) << "icon " << call.id << " added";
    }
    EXPECT_EQ(2 * kRestarts, adds);
    EXPECT_EQ(0, refusedAdds);

    Pump(300);
    ObjectCount gdiAfter = GdiObjects(f.process.Handle());
    ObjectCount userAfter = UserObjects(f.process.Handle());
    SIZE_T memoryAfter = PrivateBytes(f.process.Handle());
    std::printf("taskbar restarts x%d: GDI %ld -> %ld [%s]; USER %ld -> %ld [%s]; private bytes %lu -> %lu\n",
                kRestarts, gdiBefore.value, gdiAfter.value, gdiBefore.source.c_str(), userBefore.value, userAfter.value,
                userBefore.source.c_str(), static_cast<unsigned long>(memoryBefore),
                static_cast<unsigned long>(memoryAfter));
    Figure("gdi_growth", gdiAfter.value - gdiBefore.value);
    Figure("user_growth", userAfter.value - userBefore.value);
    Figure("private_bytes_growth", static_cast<long long>(memoryAfter) - static_cast<long long>(memoryBefore), " B");
    EXPECT_LE(gdiAfter.value - gdiBefore.value, kObjectSlack);
    EXPECT_LE(userAfter.value - userBefore.value, kObjectSlack);
    EXPECT_LE(static_cast<long long>(memoryAfter) - static_cast<long long>(memoryBefore),
              static_cast<long long>(kMemorySlack));
    ASSERT_TRUE(AllLocksOff());
}

}  // namespace
