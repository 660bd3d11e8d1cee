// The real application object in this process: its lock-state monitor, driven through this thread's
// key state, the hook and its refresh timer, and the tray menu it opens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InProcessApp.h"

using namespace Dorn32::Windows;
using inprocess::g_popupTexts;
using inprocess::PaneText;
using inprocess::SetToggle;

namespace {

// Start-up's refresh has run in this process.
bool g_refreshed = false;

void SetLocks(bool caps, bool scroll, bool num)
{
    inprocess::SetToggle(VK_CAPITAL, caps);
    inprocess::SetToggle(VK_SCROLL, scroll);
    inprocess::SetToggle(VK_NUMLOCK, num);
}

void SetNotify(BYTE caps, BYTE scroll, BYTE num)
{
    g_app.m_settings.CapLockMsg = caps;
    g_app.m_settings.ScrLockMsg = scroll;
    g_app.m_settings.NumLockMsg = num;
}

std::string PopupText()
{
    char text[256] = {};
    GetDlgItemTextA(g_app.m_dlgNotify.m_hWnd, IDC_NOTIFY_TEXT, text, sizeof(text));
    return text;
}

bool PopupVisible()
{
    return IsWindowVisible(g_app.m_dlgNotify.m_hWnd) != FALSE;
}

using Texts = std::vector<std::string>;

class CFenlowAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (inprocess::RanInANewProcess())
            GTEST_SKIP() << "ran in a new process of its own, above";
        ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
        inprocess::RecordPopupTexts();
    }
    void TearDown() override { inprocess::EndApp(); }

    // Start-up's first refresh (through LoadTrayResources) with the given locks, then a clean slate.
    void StartWith(bool caps, bool scroll, bool num)
    {
        SetLocks(caps, scroll, num);
        if (!g_refreshed)
            g_app.LoadTrayResources();
        else
            g_app.RefreshLockStates();
        g_refreshed = true;
        g_app.m_dlgNotify.Hide();
        g_app.m_popupCountdown = 0;
        g_popupTexts.clear();
    }
};

TEST_F(CFenlowAppTest, StartUpStateIsNotAnnouncedLaterChangesAre)
{
    SetNotify(1, 1, 1);
    SetLocks(true, true, true);
    g_app.LoadTrayResources();
    g_refreshed = true;
    EXPECT_FALSE(PopupVisible());
    EXPECT_TRUE(g_popupTexts.empty());
    EXPECT_EQ(0, g_app.m_popupCountdown);
    // The indicators follow the keys from the first refresh on.
    EXPECT_EQ("CAP", PaneText(1));
    EXPECT_EQ("SCR", PaneText(2));
    EXPECT_EQ("NUM", PaneText(3));
    EXPECT_STREQ("Capital: ON", g_app.m_trayCaps.szTip);
    EXPECT_STREQ("Scroll: ON", g_app.m_trayScroll.szTip);
    EXPECT_STREQ("Nunlock: ON", g_app.m_trayNum.szTip);
    EXPECT_EQ(g_app.m_iconCapsOn, g_app.m_trayCaps.hIcon);
    EXPECT_EQ(g_app.m_iconScrollOn, g_app.m_trayScroll.hIcon);
    EXPECT_EQ(g_app.m_iconNumOn, g_app.m_trayNum.hIcon);
    EXPECT_NE(nullptr, g_app.m_iconCapsOn);

    // Nothing changed: still nothing to announce.
    g_app.RefreshLockStates();
    EXPECT_FALSE(PopupVisible());
    EXPECT_TRUE(g_popupTexts.empty());

    SetLocks(false, true, true);
    g_app.RefreshLockStates();
    EXPECT_TRUE(PopupVisible());
    EXPECT_EQ("Caps. Lock: OFF", PopupText());
    EXPECT_EQ(1, g_app.m_popupCountdown);
    EXPECT_EQ("   ", PaneText(1));

    SetLocks(true, true, true);
    g_app.RefreshLockStates();
    EXPECT_TRUE(PopupVisible());
    EXPECT_EQ("Caps. Lock: ON", PopupText());
    EXPECT_EQ((Texts{"Caps. Lock: OFF", "Caps. Lock: ON"}), g_popupTexts);
}

TEST_F(CFenlowAppTest, WithTheFlagOffOnlyTheIndicatorsChange)
{
    StartWith(false, false, false);
    SetNotify(0, 1, 1);
    EXPECT_EQ("   ", PaneText(1));
    EXPECT_STREQ("Capital: OFF", g_app.m_trayCaps.szTip);
    EXPECT_EQ(g_app.m_iconCapsOff, g_app.m_trayCaps.hIcon);

    SetLocks(true, false, false);
    g_app.RefreshLockStates();
    EXPECT_EQ("CAP", PaneText(1));
    EXPECT_STREQ("Capital: ON", g_app.m_trayCaps.szTip);
    EXPECT_EQ(g_app.m_iconCapsOn, g_app.m_trayCaps.hIcon);
    EXPECT_FALSE(PopupVisible());
    EXPECT_TRUE(g_popupTexts.empty());
    EXPECT_EQ(0, g_app.m_popupCountdown);

    SetLocks(false, false, false);
    g_app.RefreshLockStates();
    EXPECT_EQ("   ", PaneText(1));
    EXPECT_STREQ("Capital: OFF", g_app.m_trayCaps.szTip);
    EXPECT_EQ(g_app.m_iconCapsOff, g_app.m_trayCaps.hIcon);
    EXPECT_FALSE(PopupVisible());

    // The other two keys, each with its own row of texts and pictures.
    SetLocks(false, true, false);
    g_app.RefreshLockStates();
    EXPECT_EQ("SCR", PaneText(2));
    EXPECT_EQ("   ", PaneText(3));
    EXPECT_STREQ("Scroll: ON", g_app.m_trayScroll.szTip);
    EXPECT_EQ(g_app.m_iconScrollOn, g_app.m_trayScroll.hIcon);
    EXPECT_EQ("Scr. Lock: ON", PopupText());
    SetLocks(false, false, true);
    g_app.RefreshLockStates();
    EXPECT_EQ("   ", PaneText(2));
    EXPECT_EQ("NUM", PaneText(3));
    EXPECT_STREQ("Scroll: OFF", g_app.m_trayScroll.szTip);
    EXPECT_EQ(g_app.m_iconScrollOff, g_app.m_trayScroll.hIcon);
    EXPECT_STREQ("Nunlock: ON", g_app.m_trayNum.szTip);
    EXPECT_EQ(g_app.m_iconNumOn, g_app.m_trayNum.hIcon);
    EXPECT_EQ("Num. Lock: ON", PopupText());
    EXPECT_EQ((Texts{"Scr. Lock: ON", "Scr. Lock: OFF", "Num. Lock: ON"}), g_popupTexts);
    SetLocks(false, false, false);
    g_app.RefreshLockStates();
    EXPECT_STREQ("Nunlock: OFF", g_app.m_trayNum.szTip);
    EXPECT_EQ(g_app.m_iconNumOff, g_app.m_trayNum.hIcon);
    EXPECT_EQ("Num. Lock: OFF", PopupText());
}

TEST_F(CFenlowAppTest, KeyWithoutTrayIconStillDrivesPaneAndPopup)
{
    StartWith(false, false, false);
    g_app.m_settings.CapLock = 0;
    g_app.m_settings.ScrLock = 1;
    g_app.m_settings.NumLock = 1;
    g_app.LayoutTrayIcons();
    EXPECT_FALSE(g_app.m_trayCaps.Modify()) << "no Caps Lock icon in the notification area";
    EXPECT_TRUE(g_app.m_trayScroll.Modify());
    SetNotify(1, 0, 0);

    SetLocks(true, false, false);
    g_app.RefreshLockStates();
    EXPECT_EQ("CAP", PaneText(1));
    EXPECT_TRUE(PopupVisible());
    EXPECT_EQ("Caps. Lock: ON", PopupText());
    EXPECT_STREQ("Capital: ON", g_app.m_trayCaps.szTip);
    EXPECT_EQ(g_app.m_iconCapsOn, g_app.m_trayCaps.hIcon);
}

TEST_F(CFenlowAppTest, SeveralChangesInOneRefreshAnnounceInCapsScrollNumOrder)
{
    StartWith(false, false, false);
    SetNotify(1, 1, 1);

    SetLocks(true, false, true);
    g_app.RefreshLockStates();
    EXPECT_EQ((Texts{"Caps. Lock: ON", "Num. Lock: ON"}), g_popupTexts);
    EXPECT_EQ("Num. Lock: ON", PopupText());
    EXPECT_TRUE(PopupVisible());

    g_popupTexts.clear();
    SetLocks(false, true, true);
    g_app.RefreshLockStates();
    EXPECT_EQ((Texts{"Caps. Lock: OFF", "Scr. Lock: ON"}), g_popupTexts);
    EXPECT_EQ("Scr. Lock: ON", PopupText());

    g_popupTexts.clear();
    SetLocks(true, false, false);
    g_app.RefreshLockStates();
    EXPECT_EQ((Texts{"Caps. Lock: ON", "Scr. Lock: OFF", "Num. Lock: OFF"}), g_popupTexts);
    EXPECT_EQ("Num. Lock: OFF", PopupText());

    // The flags are read at each refresh: an unwatched key in the middle is skipped.
    g_popupTexts.clear();
    SetNotify(1, 0, 1);
    SetLocks(false, true, true);
    g_app.RefreshLockStates();
    EXPECT_EQ((Texts{"Caps. Lock: OFF", "Num. Lock: ON"}), g_popupTexts);
    EXPECT_EQ("SCR", PaneText(2));

    // The unwatched change was still recorded: watching it now announces nothing old.
    g_popupTexts.clear();
    SetNotify(1, 1, 1);
    g_app.RefreshLockStates();
    EXPECT_TRUE(g_popupTexts.empty());
}

TEST_F(CFenlowAppTest, PopupHidesOnTheThirdTickAfterTheLastShow)
{
    StartWith(false, false, false);
    SetNotify(1, 1, 1);

    SetLocks(true, false, false);
    g_app.RefreshLockStates();
    ASSERT_TRUE(PopupVisible());
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible()) << "first tick";
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible()) << "second tick";
    g_app.OnTimerTick();
    EXPECT_FALSE(PopupVisible()) << "third tick";
    RECT rc;
    GetWindowRect(g_app.m_dlgNotify.m_hWnd, &rc);
    EXPECT_EQ(0, rc.right - rc.left);
    EXPECT_EQ(0, rc.left);

    // A second notification within the time starts it again.
    SetLocks(false, false, false);
    g_app.RefreshLockStates();
    g_app.OnTimerTick();
    g_app.OnTimerTick();
    ASSERT_TRUE(PopupVisible());
    SetLocks(true, false, false);
    g_app.RefreshLockStates();
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible()) << "first tick after the second show";
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible()) << "second tick after the second show";
    g_app.OnTimerTick();
    EXPECT_FALSE(PopupVisible()) << "third tick after the second show";

    // A change made without any key event is found by the next tick; the popup that tick shows is
    // up for as many ticks again as one the hook's refresh shows.
    SetLocks(false, false, false);
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible());
    EXPECT_EQ("Caps. Lock: OFF", PopupText());
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible()) << "first tick after a tick's show";
    g_app.OnTimerTick();
    EXPECT_TRUE(PopupVisible()) << "second tick after a tick's show";
    g_app.OnTimerTick();
    EXPECT_FALSE(PopupVisible()) << "third tick after a tick's show";

    // With nothing pending every tick hides the popup.
    g_app.m_dlgNotify.ShowWindow(SW_SHOWNORMAL);
    g_app.OnTimerTick();
    EXPECT_FALSE(PopupVisible());
}

// The hook only asks for a refresh and returns: nothing is shown until the program's loop runs the
// message it posted, and a burst of lock-key events brings one refresh.
TEST_F(CFenlowAppTest, HookHandsLockKeysToTheLoopAndPassesEveryEventOn)
{
    EXPECT_NE(nullptr, g_app.m_hook) << "WM_CREATE installs the keyboard hook";
    StartWith(false, false, false);
    SetNotify(0, 0, 0);
    inprocess::DispatchPending();

    struct Event
    {
        const char* name;
        int code;
        WPARAM msg;
        DWORD vk;
        DWORD flags;
        bool refreshes;
    };
    const Event events[] = {
        {"Caps Lock down", HC_ACTION, WM_KEYDOWN, VK_CAPITAL, 0, true},
        {"Num Lock up", HC_ACTION, WM_KEYUP, VK_NUMLOCK, LLKHF_UP, true},
        {"Scroll Lock, system key down", HC_ACTION, WM_SYSKEYDOWN, VK_SCROLL, 0, true},
        {"injected Caps Lock, system key up", HC_ACTION, WM_SYSKEYUP, VK_CAPITAL, LLKHF_INJECTED | LLKHF_UP, true},
        {"A", HC_ACTION, WM_KEYDOWN, 'A', 0, false},
        {"Shift up", HC_ACTION, WM_KEYUP, VK_SHIFT, LLKHF_UP, false},
        {"a negative code", -1, WM_KEYDOWN, VK_CAPITAL, 0, false},
    };
    bool caps = false;
    for (const Event& e : events) {
        SCOPED_TRACE(e.name);
        const std::string shown = PaneText(1);
        caps = !caps;
        SetLocks(caps, false, false);
        KBDLLHOOKSTRUCT event = {};
        event.vkCode = e.vk;
        event.flags = e.flags;
        // Three events in a row, as a key's down, repeat and up come: each passed on, none shown yet.
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(0, LowLevelKeyboardProc(e.code, e.msg, reinterpret_cast<LPARAM>(&event)));
        EXPECT_EQ(shown, PaneText(1)) << "refreshed inside the hook";
        MSG posted;
        int refreshes = 0;
        while (PeekMessageA(&posted, g_app.m_hWnd, WM_LOCKKEYEVENT, WM_LOCKKEYEVENT, PM_REMOVE)) {
            ++refreshes;
            DispatchMessageA(&posted);
        }
        EXPECT_EQ(e.refreshes ? 1 : 0, refreshes);
        EXPECT_EQ(e.refreshes ? (caps ? "CAP" : "   ") : shown, PaneText(1));
    }
    // The next key after a refresh asks again: none is lost.
    SetLocks(false, true, false);
    KBDLLHOOKSTRUCT event = {};
    event.vkCode = VK_SCROLL;
    LowLevelKeyboardProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&event));
    inprocess::DispatchPending();
    EXPECT_EQ("SCR", PaneText(2));
}

// A lock state that changes with no key event reaching the hook is picked up by the refresh timer
// through the main window's own message handling.
// Runs the thread's messages until the refresh timer's next WM_TIMER for the main window has been
// handled; false if none came within `ms`. Counting the tick, not the time, keeps a busy machine
// from failing it.
bool HandleNextRefreshTick(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (msg.message == WM_TIMER && msg.hwnd == g_app.m_hWnd && msg.wParam == kRefreshTimerId)
                return true;
        }
        Sleep(5);
    }
    return false;
}

TEST_F(CFenlowAppTest, AStateChangedWithoutAKeyEventReachesThePaneAndPopupAtTheNextTick)
{
    g_app.m_settings.CapLockMsg = 1;
    SetToggle(VK_CAPITAL, false);
    g_app.RefreshLockStates();  // the start-up refresh: records, announces nothing
    ASSERT_EQ("   ", PaneText(1));
    // The timer that start-up sets, its ticks delivered as WM_TIMER to the main window.
    ASSERT_NE(0u, SetTimer(g_app.m_hWnd, kRefreshTimerId, 1000, nullptr));

    // Another program's doing: the state changes and nothing calls the hook.
    SetToggle(VK_CAPITAL, true);
    ASSERT_TRUE(HandleNextRefreshTick(10000)) << "the timer never ticked";
    EXPECT_EQ("CAP", PaneText(1));
    EXPECT_TRUE(IsWindowVisible(g_app.m_dlgNotify.m_hWnd));
    char text[32] = {};
    GetDlgItemTextA(g_app.m_dlgNotify.m_hWnd, IDC_NOTIFY_TEXT, text, sizeof(text));
    EXPECT_STREQ("Caps. Lock: ON", text);
    KillTimer(g_app.m_hWnd, kRefreshTimerId);
}

// The tray menu, opened in this process and closed from its own loop.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD)
{
    EndMenu();
}

TEST_F(CFenlowAppTest, TheTrayMenuLeavesAMessageWaitingInTheQueueWhenItHasClosed)
{
    g_app.LoadTrayResources();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);

    UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseMenu);
    g_app.OnTrayNotify(g_app.m_hWnd, WM_RBUTTONDOWN);
    KillTimer(nullptr, timer);

    // The menu needs the message posted, so that the next click finds the queue moving.
    bool queued = false;
    while (PeekMessageA(&msg, g_app.m_hWnd, 0, 0, PM_REMOVE))
        queued |= msg.message == WM_NULL;
    EXPECT_TRUE(queued);
}

}  // namespace
