// A lock state that changes with no key event reaching the hook is picked up by the refresh timer
// through the main window's own message handling.
#include <gtest/gtest.h>

#include "InProcessApp.h"

namespace {

std::string PaneText(int pane)
{
    char text[16] = {};
    SendMessageA(g_app.m_hStatusBar, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text));
    return text;
}

// Runs the thread's messages until cond holds or ms pass; the time it took, or -1.
template <class Cond>
long PumpUntil(Cond cond, DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (cond())
            return static_cast<long>(GetTickCount() - start);
        Sleep(5);
    }
    return -1;
}

void SetToggle(BYTE vk, bool on)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = on ? 1 : 0;
    SetKeyboardState(keys);
}

TEST(TimerPathTest, AStateChangedWithoutAKeyEventReachesThePaneAndPopupWithinASecond)
{
    ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
    g_app.m_settings.CapLockMsg = 1;
    SetToggle(VK_CAPITAL, false);
    g_app.RefreshLockStates();  // the start-up refresh: records, announces nothing
    ASSERT_EQ("   ", PaneText(1));
    // The timer start-up sets, delivered as WM_TIMER to the main window.
    ASSERT_NE(0u, SetTimer(g_app.m_hWnd, kRefreshTimerId, 1000, nullptr));

    // Another program's doing: the state changes and nothing calls the hook.
    SetToggle(VK_CAPITAL, true);
    long took = PumpUntil([] { return PaneText(1) == "CAP"; }, 2500);
    ASSERT_GE(took, 0) << "the timer never refreshed";
    EXPECT_LE(took, 1500);  // one period, and room for a busy machine
    EXPECT_TRUE(IsWindowVisible(g_app.m_dlgNotify.m_hWnd));
    char text[32] = {};
    GetDlgItemTextA(g_app.m_dlgNotify.m_hWnd, IDC_NOTIFY_TEXT, text, sizeof(text));
    EXPECT_STREQ("Caps. Lock: ON", text);
    KillTimer(g_app.m_hWnd, kRefreshTimerId);
}

}  // namespace
