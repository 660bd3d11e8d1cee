// A lock state that changes with no key event reaching the hook is picked up by the refresh timer
// through the main window's own message handling.
#include <gtest/gtest.h>

#include "InProcessApp.h"

using inprocess::PaneText;
using inprocess::SetToggle;

namespace {

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

TEST(TimerPathTest, AStateChangedWithoutAKeyEventReachesThePaneAndPopupAtTheNextTick)
{
    ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
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

}  // namespace
