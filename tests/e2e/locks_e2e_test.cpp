// The real fenlow.exe following the lock keys: status panes, tray tooltips and pictures, the popup.
#include "FenlowSession.h"

#include <algorithm>
#include <cstdio>

using namespace e2e;

namespace {

class LocksTest : public FenlowTest
{
};

std::string PopupText(const Fenlow& f)
{
    return GetText(FindChild(f.popup, IDC_NOTIFY_TEXT));
}

// The Caps Lock icon's id: each refresh of the program modifies it first, then the other keys' icons.
const UINT kCapsIcon = 1;

// The refreshes in a tray log after the one that gave the Caps Lock icon `shownTip` (where the popup
// was shown), each as whether the popup was up as that refresh reached the tray.
std::vector<bool> RefreshesAfterShowing(const std::vector<TrayCall>& calls, const std::string& shownTip)
{
    std::vector<bool> refreshes;
    bool shown = false;
    for (size_t i = 0; i < calls.size(); ++i) {
        const bool caps = calls[i].op == NIM_MODIFY && calls[i].id == kCapsIcon;
        if (!shown)
            shown = caps && calls[i].tip == shownTip;
        else if (caps && calls[i - 1].id != kCapsIcon)
            refreshes.push_back(calls[i].watchedVisible);
    }
    return refreshes;
}

TEST_F(LocksTest, CapsLockReachesPaneTrayAndPopupAtOnce)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"CapLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.popup);
    DWORD pid = f.process.Pid();
    // The state found at start-up is not announced.
    Pump(1200);
    EXPECT_FALSE(IsWindowVisible(f.popup));

    // The hook hands the key to the program's loop, which refreshes at once, not at the next tick:
    // the pane changes before any tick has reached the tray. The tray notes, as each refresh
    // reaches it, whether the popup is up.
    tray->WatchVisibility(f.popup);
    tray->ClearLog();
    KeyDown(VK_CAPITAL);
    ASSERT_TRUE(WaitUntil([&] { return StatusBarText(f.status, 1) == "CAP"; }));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.popup) != FALSE; }));
    // Sent once the key-down's refresh has shown the popup: the key-up brings one refresh more.
    KeyUp(VK_CAPITAL);
    TrayIcon caps = *tray->FindByPid(pid, 1);
    EXPECT_EQ("Capital: ON", caps.tip);
    EXPECT_TRUE(IconMatchesResource(caps, FenlowPath(), IDI_CAPSLOCK_ON));
    ASSERT_TRUE(IsWindowVisible(f.popup));
    EXPECT_EQ("Caps. Lock: ON", PopupText(f));

    // Topmost, translucent, placed by the work area's right and bottom edges.
    EXPECT_TRUE(ExStyle(f.popup) & WS_EX_TOPMOST);
    EXPECT_TRUE(ExStyle(f.popup) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(f.popup, nullptr, &alpha, &flags));
    EXPECT_EQ(158, alpha);
    EXPECT_TRUE(flags & LWA_ALPHA);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT rc = WindowRect(f.popup);
    EXPECT_EQ((work.right - (rc.right - rc.left)) / 2, rc.left);
    EXPECT_EQ(work.bottom * 75 / 100, rc.top);
    EXPECT_GT(rc.right - rc.left, 0);

    // Clicks go through it.
    LPARAM centre = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    EXPECT_EQ(HTTRANSPARENT, static_cast<int>(SendTimeout(f.popup, WM_NCHITTEST, 0, centre)));

    // Gone on the third tick after it showed (two to three seconds), counted in the program's own
    // refreshes, not by a clock a loaded machine can stretch. The key-down's refresh showed it; after
    // it come the key-up's refresh and the ticks, and a tick refreshes before it hides: up as each of
    // the first four reached the tray, down for any later one.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.popup); }, 15000));
    const std::vector<bool> ticks = RefreshesAfterShowing(tray->Calls(), "Capital: ON");
    ASSERT_GE(ticks.size(), 4u) << "hidden after " << ticks.size() << " refreshes";
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), std::vector<bool>(ticks.begin(), ticks.begin() + 4));
    for (size_t i = 4; i < ticks.size(); ++i)
        EXPECT_FALSE(ticks[i]) << "still up at refresh " << i + 1;
    tray->WatchVisibility(nullptr);

    PressKey(VK_CAPITAL);
    ASSERT_TRUE(WaitUntil([&] { return StatusBarText(f.status, 1) == "   "; }));
    EXPECT_EQ("Capital: OFF", tray->FindByPid(pid, 1)->tip);
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 1), FenlowPath(), IDI_CAPSLOCK_OFF));
    EXPECT_TRUE(IsWindowVisible(f.popup));
    EXPECT_EQ("Caps. Lock: OFF", PopupText(f));
}

TEST_F(LocksTest, EachLockDrivesItsOwnPaneAndOnlyWatchedOnesAnnounce)
{
    // No icon chosen and only Num Lock watched: panes follow all three keys regardless.
    StoreFlags({{"Init", 1}, {"NumLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.popup);
    DWORD pid = f.process.Pid();

    struct Case
    {
        WORD vk;
        int pane;
        const char* on;
        bool announced;
        const char* popup;
    };
    const Case cases[] = {
        {VK_CAPITAL, 1, "CAP", false, nullptr},
        {VK_SCROLL, 2, "SCR", false, nullptr},
        {VK_NUMLOCK, 3, "NUM", true, "Num. Lock: ON"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.on);
        ASSERT_TRUE(SetLock(c.vk, true));
        EXPECT_TRUE(WaitUntil([&] { return StatusBarText(f.status, c.pane) == c.on; }));
        EXPECT_EQ(c.announced, IsWindowVisible(f.popup) != FALSE);
        if (c.popup) {
            EXPECT_EQ(c.popup, PopupText(f));
        }
    }
    // The plain icon stays as it was, whatever the keys do.
    ASSERT_EQ(std::vector<UINT>{0}, TrayIdsOf(pid));
    EXPECT_EQ("Fenlow", tray->FindByPid(pid, 0)->tip);
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 0), FenlowPath(), IDI_TRAY));
    ASSERT_TRUE(AllLocksOff());
    // Three toggles in a row: the state a hook call reads can trail the last one under load,
    // and the next refresh (a later key or the timer) sets it right.
    WaitUntil([&] {
        return StatusBarText(f.status, 1) == "   " && StatusBarText(f.status, 2) == "   " &&
               StatusBarText(f.status, 3) == "   ";
    });
    EXPECT_EQ("   ", StatusBarText(f.status, 1));
    EXPECT_EQ("   ", StatusBarText(f.status, 2));
    EXPECT_EQ("   ", StatusBarText(f.status, 3));
}

TEST_F(LocksTest, OrdinaryKeysPassThroughTheHookUnchanged)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);

    // A window of this test process takes the typing; the program's hook sees every key first.
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 100, 100, 400, 30,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(edit);
    SetForegroundWindow(edit);
    SetFocus(edit);
    Pump(200);
    const std::string typed = "FENLOW 2026 HOOK";
    for (char c : typed)
        PressKey(static_cast<WORD>(c == ' ' ? VK_SPACE : c));
    Pump(300);
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    // Caps Lock is off and no shift is held: letters arrive lower case, exactly as typed.
    EXPECT_EQ(L"fenlow 2026 hook", std::wstring(text));
    EXPECT_EQ("   ", StatusBarText(f.status, 1));
    EXPECT_TRUE(f.process.Running());
    DestroyWindow(edit);
}

// A shell that answers every tray request late holds no key: the hook hands the key over and
// returns, and the indicators catch up once the shell answers.
TEST_F(LocksTest, ASlowShellHoldsNoKeyAndTheIndicatorsEndTrue)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.status);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid).size() == 3; }));

    // A refresh makes six tray requests: a hook that refreshed itself would keep each key event
    // waiting for at least one answer.
    const DWORD kAnswerMs = 500;
    tray->AnswerLate(kAnswerMs);
    const size_t before = tray->CallCount();
    DWORD longest = 0;
    for (WORD vk : {VK_CAPITAL, VK_SCROLL, VK_NUMLOCK}) {
        for (bool up : {false, true}) {
            INPUT input = KeyInput(vk, up);
            DWORD began = GetTickCount();
            ASSERT_EQ(1u, SendInput(1, &input, sizeof(input)));
            longest = std::max(longest, GetTickCount() - began);
        }
    }
    std::printf("longest SendInput of a lock key, the shell answering %lu ms late: %lu ms\n",
                static_cast<unsigned long>(kAnswerMs), static_cast<unsigned long>(longest));
    EXPECT_LT(longest, kAnswerMs) << "a lock key waited on the shell";

    tray->AnswerLate(0);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return StatusBarText(f.status, 1) == "CAP" && StatusBarText(f.status, 2) == "SCR" &&
                   StatusBarText(f.status, 3) == "NUM" && tray->FindByPid(pid, 1)->tip == "Capital: ON" &&
                   tray->FindByPid(pid, 2)->tip == "Scroll: ON" && tray->FindByPid(pid, 3)->tip == "Nunlock: ON";
        },
        20000));
    EXPECT_GT(tray->CallCount(), before);
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 1), FenlowPath(), IDI_CAPSLOCK_ON));
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 3), FenlowPath(), IDI_NUMLOCK_ON));
}

int g_clicks = 0;

LRESULT CALLBACK CountClicks(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_LBUTTONDOWN)
        ++g_clicks;
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// A click on the popup lands in the window beneath it, also one of another program.
TEST_F(LocksTest, AClickOnThePopupReachesTheWindowOfAnotherProgramBeneath)
{
    StoreFlags({{"Init", 1}, {"CapLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.popup);

    g_clicks = 0;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountClicks;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UnderThePopup";
    RegisterClassW(&wc);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND under = CreateWindowExW(0, wc.lpszClassName, L"under", WS_POPUP | WS_VISIBLE, 0, work.bottom / 2, work.right,
                                 work.bottom / 2, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(under);
    Pump(200);

    PressKey(VK_CAPITAL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.popup) != FALSE; }));
    EXPECT_TRUE(ExStyle(f.popup) & WS_EX_TRANSPARENT);
    RECT rc = WindowRect(f.popup);
    ClickAt({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    EXPECT_TRUE(WaitUntil([&] { return g_clicks > 0; }, 2000)) << "the click stopped at the popup";
    EXPECT_TRUE(IsWindowVisible(f.popup)) << "the popup went before the click: it proves nothing";
    DestroyWindow(under);
}

}  // namespace
