// The real fenlow.exe following the lock keys: status panes, tray tooltips and pictures, the popup.
#include "FenlowSession.h"

using namespace e2e;

namespace {

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

TEST_F(FenlowTest, CapsLockReachesPaneTrayAndPopupAtOnce)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"CapLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.popup);
    DWORD pid = f.process.Pid();
    // The state found at start-up is not announced.
    Pump(1200);
    EXPECT_FALSE(IsWindowVisible(f.popup));

    // SendInput returns after the hooks ran: the hook, not the one-second timer, shows it. The tray
    // notes, as each refresh reaches it, whether the popup is up.
    tray->WatchVisibility(f.popup);
    tray->ClearLog();
    PressKey(VK_CAPITAL);
    EXPECT_EQ("CAP", StatusBarText(f.status, 1));
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
    // refreshes, not by a clock a loaded machine can stretch. The key-up's refresh showed it (a hook
    // reads the new toggle only then); every refresh after it is a tick, and a tick refreshes
    // before it hides: up as each of the first three reached the tray, down for any later one.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.popup); }, 15000));
    const std::vector<bool> ticks = RefreshesAfterShowing(tray->Calls(), "Capital: ON");
    ASSERT_GE(ticks.size(), 3u) << "hidden after " << ticks.size() << " ticks";
    EXPECT_EQ((std::vector<bool>{true, true, true}), std::vector<bool>(ticks.begin(), ticks.begin() + 3));
    for (size_t i = 3; i < ticks.size(); ++i)
        EXPECT_FALSE(ticks[i]) << "still up at tick " << i + 1;
    tray->WatchVisibility(nullptr);

    PressKey(VK_CAPITAL);
    EXPECT_EQ("   ", StatusBarText(f.status, 1));
    EXPECT_EQ("Capital: OFF", tray->FindByPid(pid, 1)->tip);
    EXPECT_TRUE(IconMatchesResource(*tray->FindByPid(pid, 1), FenlowPath(), IDI_CAPSLOCK_OFF));
    EXPECT_TRUE(IsWindowVisible(f.popup));
    EXPECT_EQ("Caps. Lock: OFF", PopupText(f));
}

TEST_F(FenlowTest, EachLockDrivesItsOwnPaneAndOnlyWatchedOnesAnnounce)
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
        EXPECT_EQ(c.on, StatusBarText(f.status, c.pane));
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

TEST_F(FenlowTest, OrdinaryKeysPassThroughTheHookUnchanged)
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

}  // namespace
