// A lock-key event that arrives while a refresh waits on the shell. Each tray request is a
// SendMessage to the shell's window; while the program waits for the answer, the system may
// call its keyboard hook, which refreshes again inside the first refresh. Here the shell
// stand-in makes that happen at a chosen moment: the hook is called the way the system calls
// it, after the key state has changed, while the first refresh waits on its first tray request.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "FakeTray.h"
#include "FenlowDriver.h"
#include "InProcessApp.h"
#include "KeyHook.h"

using namespace Dorn32::Windows;
using inprocess::g_popupTexts;
using inprocess::PaneText;
using inprocess::SetToggle;

namespace {

const UINT kPressDuringWait = WM_APP + 0x77;

// ---- the main window, subclassed to take the "key pressed" message on its own thread ----

WNDPROC g_appProc = nullptr;

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == kPressDuringWait) {
        // What the system does on a Caps Lock release: the state flips, then the hook runs.
        SetToggle(VK_CAPITAL, wParam != 0);
        return inprocess::CallHookWithKeyUp(VK_CAPITAL);
    }
    return CallWindowProcA(g_appProc, hwnd, msg, wParam, lParam);
}

TEST(StressReentry, AKeyDuringARefreshLeavesTheLatestStateAndOnePopup)
{
    e2e::FakeTray shell;
    std::atomic<bool> fired{false};
    // On the shell's next modify request for Caps Lock, the key event first reaches the program.
    auto armOnce = [&](bool on) {
        fired = false;
        shell.BeforeNextModify(1, [&fired, on] {
            fired = true;
            SendMessageW(g_app.m_hWnd, kPressDuringWait, on, 0);
        });
    };
    auto shellTip = [&] {
        auto icon = shell.Find(g_app.m_hWnd, 1);
        return icon ? icon->tip : std::string("(absent)");
    };
    ASSERT_NO_FATAL_FAILURE(inprocess::MakeAppWindows());
    inprocess::RecordPopupTexts();
    g_appProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(g_app.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainProc)));
    g_app.m_settings.Init = 1;
    g_app.m_settings.CapLock = g_app.m_settings.ScrLock = g_app.m_settings.NumLock = 1;
    g_app.m_settings.CapLockMsg = 1;

    SetToggle(VK_CAPITAL, false);
    g_app.LoadTrayResources();
    ASSERT_EQ("Capital: OFF", shellTip());

    // Caps Lock goes on while the refresh waits on its first tray request (Caps Lock's picture).
    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        g_popupTexts.clear();
        armOnce(on);
        g_app.RefreshLockStates();
        ASSERT_TRUE(fired);

        const char* tip = on ? "Capital: ON" : "Capital: OFF";
        EXPECT_EQ(tip, shellTip());
        EXPECT_STREQ(tip, g_app.m_trayCaps.szTip);
        EXPECT_EQ(on ? g_app.m_iconCapsOn : g_app.m_iconCapsOff, g_app.m_trayCaps.hIcon);
        EXPECT_EQ(on ? "CAP" : "   ", PaneText(1));
        // The change is announced once, and the next refresh has nothing new to say.
        const char* popup = on ? "Caps. Lock: ON" : "Caps. Lock: OFF";
        EXPECT_EQ(std::vector<std::string>{popup}, g_popupTexts);
        g_app.RefreshLockStates();
        EXPECT_EQ(std::vector<std::string>{popup}, g_popupTexts);
        EXPECT_EQ(tip, shellTip());
    }
    DestroyWindow(g_app.m_hWnd);
}

}  // namespace
