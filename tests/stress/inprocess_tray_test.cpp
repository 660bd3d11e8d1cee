// The real application object against a stand-in shell that loses icons and refuses adds, and
// against taskbar restarts while its tray menu is open: what each path may send, and which menus
// live how long. In-process, so that the hook can be called directly and menus counted.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FakeTray.h"
#include "FenlowDriver.h"
#include "InProcessApp.h"
#include "KeyHook.h"
#include "StressProbe.h"

namespace {

class StressInProcessTray : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (inprocess::RanInANewProcess())
            GTEST_SKIP() << "ran in a new process of its own, above";
        tray = std::make_unique<e2e::FakeTray>();
        ASSERT_NO_FATAL_FAILURE(inprocess::StartWithEveryLock());
        ASSERT_EQ(3u, tray->Count());
    }

    void TearDown() override
    {
        inprocess::EndApp();
        e2e::Pump(50);
        tray.reset();
    }

    // Per icon id 1 to 3: how many adds, and how many modifies straight after a refused add.
    struct PerIcon
    {
        int adds[4] = {};
        int confirms[4] = {};
    };

    PerIcon Count(const std::vector<e2e::TrayCall>& calls) const
    {
        PerIcon counts;
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].op != NIM_ADD || calls[i].id > 3)
                continue;
            ++counts.adds[calls[i].id];
            if (!calls[i].result && i + 1 < calls.size() && calls[i + 1].op == NIM_MODIFY &&
                calls[i + 1].id == calls[i].id)
                ++counts.confirms[calls[i].id];
        }
        return counts;
    }

    std::unique_ptr<e2e::FakeTray> tray;
};

void SleepUntil(DWORD when)
{
    DWORD now = GetTickCount();
    if (static_cast<LONG>(when - now) > 0)
        Sleep(when - now);
}

// Sends `count` ticks at once; how long it took.
DWORD Ticks(int count)
{
    DWORD began = GetTickCount();
    for (int i = 0; i < count; ++i)
        SendMessageA(g_app.m_hWnd, WM_TIMER, kRefreshTimerId, 0);
    return GetTickCount() - began;
}

TEST_F(StressInProcessTray, TheHookNeverAddsAndTicksAddEachLostIconOncePerSecond)
{
    // Every icon lost, and every add refused from now on: the program keeps trying.
    const int kForever = 1000;
    for (UINT id = 1; id <= 3; ++id)
        tray->RefuseAdds(id, kForever);
    tray->Forget();

    // The hook's path: no tray call inside the hook; a refresh per lock-key event from the loop,
    // six modifies, nothing else.
    tray->ClearLog();
    const int kKeyEvents = 20;
    for (int i = 0; i < kKeyEvents; ++i) {
        inprocess::CallHookWithKeyUp(VK_CAPITAL);
        EXPECT_EQ(static_cast<size_t>(6 * i), tray->Calls().size()) << "a tray call inside the hook";
        inprocess::DispatchPending();
    }
    std::vector<e2e::TrayCall> calls = tray->Calls();
    EXPECT_EQ(static_cast<size_t>(6 * kKeyEvents), calls.size());
    for (const e2e::TrayCall& call : calls)
        EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), call.op);

    // Ticks in a burst within one second of the timer: one add per icon, refused and then checked
    // once with a modify. In each later second: one more each. A burst that a loaded machine
    // stretches past its second proves nothing and is repeated in the next.
    const int kTicks = 5;
    const DWORD kPeriodMs = kRefreshPeriodMs;
    DWORD earliest = GetTickCount();
    g_app.StartRefreshTimer();
    DWORD latest = GetTickCount();  // the timer's seconds begin in between
    // Ticks only by hand here.
    KillTimer(g_app.m_hWnd, kRefreshTimerId);
    int clean = 0;
    DWORD second = 0;
    for (; second < 6 && clean < 2; ++second) {
        SleepUntil(latest + second * kPeriodMs + 20);
        tray->ClearLog();
        Ticks(kTicks);
        if (static_cast<LONG>(GetTickCount() - (earliest + (second + 1) * kPeriodMs)) >= 0) {
            std::printf("second %lu: the burst ran past its second; next one\n", static_cast<unsigned long>(second));
            continue;
        }
        ++clean;
        SCOPED_TRACE("second " + std::to_string(second));
        calls = tray->Calls();
        PerIcon counts = Count(calls);
        for (UINT id = 1; id <= 3; ++id) {
            EXPECT_EQ(1, counts.adds[id]) << "icon " << id;
            EXPECT_EQ(1, counts.confirms[id]) << "icon " << id;
        }
        EXPECT_EQ(static_cast<size_t>(6 * kTicks + 3 * 2), calls.size());
    }
    ASSERT_EQ(2, clean) << "no two bursts fitted in a second each";

    // Once the shell takes adds again, a tick in the next second brings all three back, and then
    // the ticks send nothing but their refreshes.
    for (UINT id = 1; id <= 3; ++id)
        tray->RefuseAdds(id, 0);
    SleepUntil(latest + second * kPeriodMs + 20);
    tray->ClearLog();
    Ticks(kTicks);
    PerIcon counts = Count(tray->Calls());
    for (UINT id = 1; id <= 3; ++id)
        EXPECT_EQ(1, counts.adds[id]) << "icon " << id;
    EXPECT_EQ(3u, tray->Count());
    SleepUntil(latest + (second + 1) * kPeriodMs + 20);
    tray->ClearLog();
    Ticks(kTicks);
    EXPECT_EQ(static_cast<size_t>(6 * kTicks), tray->Calls().size());
}

// ---- taskbar restarts while the tray menu is open ----

struct MenuScript
{
    int step = 0;
    DWORD giveUpAt = 0;
    std::vector<HMENU> menus;       // every tray menu, the first one first
    bool replacedWhileOpen = true;  // each replaced menu still a menu while any menu was open
    int openSeen = 0;               // most menus seen open at once
};
MenuScript g_script;

BOOL CALLBACK CountOpenMenu(HWND hwnd, LPARAM lp)
{
    char cls[16] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (lstrcmpA(cls, "#32768") == 0 && IsWindowVisible(hwnd))
        ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

int OpenMenus()
{
    int open = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountOpenMenu, reinterpret_cast<LPARAM>(&open));
    return open;
}

void RestartTaskbar()
{
    SendMessageA(g_app.m_hWnd, g_app.m_taskbarCreatedMsg, 0, 0);
    g_script.menus.push_back(g_app.m_trayMenu);
}

void CheckReplacedMenusLive()
{
    for (size_t i = 0; i + 1 < g_script.menus.size(); ++i)
        g_script.replacedWhileOpen = g_script.replacedWhileOpen && IsMenu(g_script.menus[i]);
}

// Runs inside the menus' own loops: restarts the taskbar twice while the first menu is open,
// opens a second menu inside it (TPM_RECURSE), restarts once more, then ends the menus.
void CALLBACK MenuStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    int open = OpenMenus();
    if (static_cast<LONG>(GetTickCount() - g_script.giveUpAt) > 0) {
        // Off script: close whatever is open, so that the test ends and reports.
        if (open)
            EndMenu();
        else
            KillTimer(nullptr, timer);
        return;
    }
    g_script.openSeen = std::max(g_script.openSeen, open);
    if (open)
        CheckReplacedMenusLive();
    if (g_script.step == 0 && open == 1) {
        g_script.step = 1;
        RestartTaskbar();
        RestartTaskbar();
        CheckReplacedMenusLive();
        PostMessageA(g_app.m_hWnd, WM_TRAYNOTIFY, kTrayCapsId, WM_RBUTTONDOWN);
    } else if (g_script.step == 1 && open == 2) {
        g_script.step = 2;
        RestartTaskbar();
        CheckReplacedMenusLive();
        EndMenu();
    } else if (g_script.step == 2 && open == 1) {
        EndMenu();  // where ending the inner menu leaves the outer one open
    } else if (g_script.step == 2 && open == 0) {
        g_script.step = 3;
        KillTimer(nullptr, timer);
    }
}

TEST_F(StressInProcessTray, TaskbarRestartsWhileTheMenuIsOpenFreeEachOldMenuOnceItHasClosed)
{
    // One restart first, with no menu open: whatever is made once is made now.
    RestartTaskbar();
    g_script.menus.clear();
    e2e::Pump(50);
    long before = e2e::OwnUserObjects().value;
    ASSERT_GT(before, 0);
    g_script.menus.push_back(g_app.m_trayMenu);

    g_script.giveUpAt = GetTickCount() + 10000;
    SetTimer(nullptr, 0, USER_TIMER_MINIMUM, MenuStep);
    // Returns once the menu has closed, as a click on the icon does.
    SendMessageA(g_app.m_hWnd, WM_TRAYNOTIFY, kTrayCapsId, WM_RBUTTONDOWN);
    e2e::Pump(50);

    EXPECT_EQ(3, g_script.step) << "the menus did not open and close as scripted";
    EXPECT_EQ(2, g_script.openSeen);
    ASSERT_EQ(4u, g_script.menus.size());
    EXPECT_TRUE(g_script.replacedWhileOpen) << "a menu was freed while a menu was open";
    for (size_t i = 0; i + 1 < g_script.menus.size(); ++i)
        EXPECT_FALSE(IsMenu(g_script.menus[i])) << "replaced menu " << i << " left behind";
    EXPECT_EQ(g_script.menus.back(), g_app.m_trayMenu);
    EXPECT_TRUE(IsMenu(g_app.m_trayMenu));
    long after = e2e::OwnUserObjects().value;
    std::printf("taskbar restarts around an open tray menu: USER objects %ld -> %ld\n", before, after);
    EXPECT_EQ(before, after);
}

}  // namespace
