// The real application object hosted in a test process: its windows as start-up makes them,
// without its pump, and a record of what its popup is told to say. One object per process.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CFenlowApp.h"
#include "Dorn32.h"
#include "FreshProcess.h"
#include "ProductInfo.h"
#include "resource.h"

namespace inprocess {

// One application object per process, as in the program: its window class registers once. A test
// that starts it asks this first; when an earlier test of this process has used it, the test runs
// again in a new process of this program (its output joins this one's), and the caller skips it
// here (`GTEST_SKIP()` in SetUp, `return` in a test body).
inline bool RanInANewProcess()
{
    static bool used = false;
    if (!used) {
        used = true;
        return false;
    }
    EXPECT_EQ(0u, freshprocess::RunCurrentTest()) << "failed in a new process; its output is above";
    return true;
}

// Start-up as the program makes it, up to its main window, four-pane status bar and hidden popup.
// Gtest's ASSERTs only leave this function: call it under ASSERT_NO_FATAL_FAILURE.
inline void MakeAppWindows()
{
    Dorn32::Windows::g_hInstance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(g_app.Start(StartStage::Windows));
    ASSERT_NE(nullptr, g_app.m_hStatusBar);
    ASSERT_NE(nullptr, g_app.m_dlgNotify.m_hWnd);
}

// Ends what MakeAppWindows made (its windows, its keyboard hook, its tray icon) and the quit message
// that leaves behind, so that the later tests of a whole run meet none of it.
inline void EndApp()
{
    if (g_app.m_hWnd)
        DestroyWindow(g_app.m_hWnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// The same, then every lock icon and every popup chosen in memory, the tray icons laid out and
// the first refresh; no timer. Under ASSERT_NO_FATAL_FAILURE.
inline void StartWithEveryLock()
{
    ASSERT_NO_FATAL_FAILURE(MakeAppWindows());
    g_app.m_settings.Init = 1;
    g_app.m_settings.CapLock = g_app.m_settings.ScrLock = g_app.m_settings.NumLock = 1;
    g_app.m_settings.CapLockMsg = g_app.m_settings.ScrLockMsg = g_app.m_settings.NumLockMsg = 1;
    g_app.LoadTrayResources();
}

// The text of status-bar pane `pane` ("CAP", "SCR", "NUM" or blanks for the locks).
inline std::string PaneText(int pane)
{
    char text[256] = {};
    SendMessageA(g_app.m_hStatusBar, SB_GETTEXTA, pane, reinterpret_cast<LPARAM>(text));
    return text;
}

// Sets a lock key's toggle in this thread's key state, which GetKeyState reads; no key event.
inline void SetToggle(BYTE vk, bool on)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = on ? 1 : 0;
    SetKeyboardState(keys);
}

// Runs the messages waiting in this thread's queue, as the program's loop would, but no timer tick:
// what changes is the work of the messages the program posted itself.
inline void DispatchPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageA(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Every text the popup's text control was given since RecordPopupTexts, in order.
inline std::vector<std::string> g_popupTexts;
inline WNDPROC g_popupTextProc = nullptr;

inline LRESULT CALLBACK RecordingTextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETTEXT && lParam)
        g_popupTexts.push_back(reinterpret_cast<const char*>(lParam));
    return CallWindowProcA(g_popupTextProc, hwnd, msg, wParam, lParam);
}

// Subclasses the popup's text control; after MakeAppWindows.
inline void RecordPopupTexts()
{
    HWND text = GetDlgItem(g_app.m_dlgNotify.m_hWnd, IDC_NOTIFY_TEXT);
    g_popupTextProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingTextProc)));
}

}  // namespace inprocess
