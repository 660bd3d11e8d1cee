// A lock-key press that arrives while a timer tick's refresh waits on the shell. Each tray request
// is a SendMessage to the shell's window; while the program waits for the answer, the system may
// call its keyboard hook. The hook runs before the key takes effect: the thread's key state shows
// the press only once its loop takes input again. Here the shell stand-in makes the press come at
// a chosen moment, inside the tick's first tray request, and the key takes effect when the tick
// has returned to the loop.
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
    if (msg == kPressDuringWait)
        return inprocess::CallHookWithKeyUp(VK_CAPITAL);
    return CallWindowProcA(g_appProc, hwnd, msg, wParam, lParam);
}

TEST(StressReentry, APressDuringATickIsShownWithoutWaitingForTheNextTick)
{
    if (inprocess::RanInANewProcess())
        return;
    e2e::FakeTray shell;
    std::atomic<bool> fired{false};
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

    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "on" : "off");
        g_popupTexts.clear();
        fired = false;
        // On the tick's first tray request (Caps Lock's picture) the key's event reaches the hook.
        shell.BeforeNextModify(1, [&fired] {
            fired = true;
            SendMessageW(g_app.m_hWnd, kPressDuringWait, 0, 0);
        });
        g_app.OnTimerTick();
        ASSERT_TRUE(fired);
        // Back in the loop: the key takes effect, then the messages waiting run, but no tick.
        SetToggle(VK_CAPITAL, on);
        inprocess::DispatchPending();

        const char* tip = on ? "Capital: ON" : "Capital: OFF";
        EXPECT_EQ(tip, shellTip());
        EXPECT_STREQ(tip, g_app.m_trayCaps.szTip);
        EXPECT_EQ(on ? g_app.m_iconCapsOn : g_app.m_iconCapsOff, g_app.m_trayCaps.hIcon);
        EXPECT_EQ(on ? "CAP" : "   ", PaneText(1));
        // The change is announced once, and is up for the third tick from its showing.
        const char* popup = on ? "Caps. Lock: ON" : "Caps. Lock: OFF";
        EXPECT_EQ(std::vector<std::string>{popup}, g_popupTexts);
        for (int tick = 1; tick <= 3; ++tick) {
            EXPECT_TRUE(IsWindowVisible(g_app.m_dlgNotify.m_hWnd)) << "before tick " << tick;
            g_app.OnTimerTick();
        }
        EXPECT_FALSE(IsWindowVisible(g_app.m_dlgNotify.m_hWnd)) << "after the third tick";
        EXPECT_EQ(std::vector<std::string>{popup}, g_popupTexts);
        EXPECT_EQ(tip, shellTip());
    }
    inprocess::EndApp();
}

}  // namespace
