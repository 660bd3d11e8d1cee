// The real application object, hosted in this test process, repeated many times over: taskbar
// restarts, about box showings, popups and refreshes must not leave GDI or USER objects behind,
// nor (popups and refreshes) memory. In-process because under Wine only here can menus and icons
// be counted (see StressProbe.h).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "FakeTray.h"
#include "FenlowDriver.h"
#include "Growth.h"
#include "InProcessApp.h"
#include "StressProbe.h"
#include "resource.h"

using namespace Dorn32::Windows;

namespace {

using growth::Sample;

Sample Take()
{
    e2e::Pump(50);
    return {e2e::GdiObjects(GetCurrentProcess()), e2e::OwnUserObjects(), e2e::PrivateBytes(GetCurrentProcess())};
}

// The application's windows as start-up makes them, without its pump: once per process, each
// test being a process of its own.
class StressInProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (inprocess::RanInANewProcess())
            GTEST_SKIP() << "ran in a new process of its own, above";
        tray = std::make_unique<e2e::FakeTray>(e2e::TrayRecording::Lean);
        ASSERT_NO_FATAL_FAILURE(inprocess::StartWithEveryLock());
    }

    void TearDown() override
    {
        inprocess::EndApp();
        e2e::Pump(50);
        tray.reset();
    }

    std::unique_ptr<e2e::FakeTray> tray;
};

TEST_F(StressInProcess, TaskbarRestartsLeaveOneMenuAndTheSameObjects)
{
    ASSERT_NE(0u, g_app.m_taskbarCreatedMsg);
    auto restart = [&] { SendMessageA(g_app.m_hWnd, g_app.m_taskbarCreatedMsg, 0, 0); };
    restart();  // first reload: anything made once is made now
    Sample before = Take();
    for (int i = 0; i < 100; ++i)
        restart();
    Sample after = Take();
    growth::ExpectFlat("taskbar_restart_inprocess", 100, before, after, false);
    EXPECT_TRUE(IsMenu(g_app.m_trayMenu));
    EXPECT_EQ(3u, tray->Icons().size());
}

int g_aboutShown = 0;

BOOL CALLBACK FindAboutBox(HWND hwnd, LPARAM lp)
{
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(hwnd) && GetDlgItem(hwnd, IDC_ABOUT_TEXT)) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK CloseAboutBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAboutBox, reinterpret_cast<LPARAM>(&box));
    if (box) {
        KillTimer(nullptr, timer);
        // Painted before it goes, as on screen: what painting makes must go with it.
        RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ++g_aboutShown;
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
}

void ShowAboutOnce()
{
    // The box is modal: a thread timer inside its loop closes it once it is up.
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, CloseAboutBox);
    SendMessageA(g_app.m_hWnd, WM_COMMAND, IDM_ABOUT, 0);
}

TEST_F(StressInProcess, AboutBoxShowingsLeaveTheSameObjects)
{
    ShowAboutOnce();
    ASSERT_EQ(1, g_aboutShown) << "the about box did not show";
    Sample before = Take();
    for (int i = 0; i < 300; ++i)
        ShowAboutOnce();
    Sample after = Take();
    EXPECT_EQ(301, g_aboutShown);
    growth::ExpectFlat("about_inprocess", 300, before, after, false);
}

// Watched Caps Lock changes: every refresh that sees one shows the popup.
class Toggler
{
public:
    void ToggleAndRefresh()
    {
        m_caps = !m_caps;
        inprocess::SetToggle(VK_CAPITAL, m_caps);
        SendMessageA(g_app.m_hWnd, WM_TIMER, kRefreshTimerId, 0);
    }

private:
    bool m_caps = false;
};

TEST_F(StressInProcess, ThousandPopupsLeaveTheSameObjects)
{
    Toggler toggler;
    for (int i = 0; i < 4; ++i) {
        toggler.ToggleAndRefresh();
        UpdateWindow(g_app.m_dlgNotify.m_hWnd);
    }
    Sample before = Take();
    int shown = 0;
    for (int i = 0; i < 1000; ++i) {
        toggler.ToggleAndRefresh();
        shown += IsWindowVisible(g_app.m_dlgNotify.m_hWnd) != FALSE;
        // Painted, as on screen: the popup's colours and brushes are made while it paints.
        UpdateWindow(g_app.m_dlgNotify.m_hWnd);
    }
    EXPECT_EQ(1000, shown);
    Sample after = Take();
    growth::ExpectFlat("popup_inprocess", 1000, before, after, true);
}

TEST_F(StressInProcess, TenThousandRefreshesLeaveTheSameObjects)
{
    Toggler toggler;
    toggler.ToggleAndRefresh();
    Sample before = Take();
    size_t callsBefore = tray->CallCount();
    for (int i = 0; i < 10000; ++i)
        SendMessageA(g_app.m_hWnd, WM_TIMER, kRefreshTimerId, 0);
    // Six tray requests each: they all ran in full.
    EXPECT_EQ(60000u, tray->CallCount() - callsBefore);
    Sample after = Take();
    growth::ExpectFlat("refresh_inprocess", 10000, before, after, true);
    EXPECT_FALSE(IsWindowVisible(g_app.m_dlgNotify.m_hWnd));
}

}  // namespace
