// The real fenlow.exe in the notification area: options OK / Cancel, tray callback, menu, taskbar restart.
#include "FenlowSession.h"

#include <iterator>

#include "SettingsFlags.h"

using namespace e2e;

namespace {

// name -> byte for a key that must hold exactly the eight one-byte REG_BINARY values.
std::map<std::string, uint8_t> StoredFlags(const RegistryFixture& registry)
{
    std::map<std::string, uint8_t> flags;
    for (const RegValue& value : registry.ReadAll()) {
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), value.type) << value.name;
        EXPECT_EQ(1u, value.data.size()) << value.name;
        if (!value.data.empty())
            flags[value.name] = value.data[0];
    }
    EXPECT_EQ(std::size(settings_flags::kFlags), flags.size());
    for (const settings_flags::FlagRef& flag : settings_flags::kFlags)
        EXPECT_EQ(1u, flags.count(flag.name)) << flag.name;
    return flags;
}

void Click(HWND button)
{
    // BM_CLICK works across processes: the button sends its own WM_COMMAND.
    SendTimeout(button, BM_CLICK, 0, 0);
}

HWND WaitForTrayMenu()
{
    HWND menu = nullptr;
    WaitUntil([&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu && IsWindowVisible(menu);
    });
    return menu;
}

TEST_F(FenlowTest, OptionsOkAppliesSavesAndRelaysTheIcons)
{
    Fenlow f = Start();
    ASSERT_TRUE(f.options);
    DWORD pid = f.process.Pid();
    ASSERT_EQ(std::vector<UINT>{0}, TrayIdsOf(pid));
    // Locks change only after the start: Wine gives a new process a blank key state.
    ASSERT_TRUE(SetLock(VK_NUMLOCK, true));
    EXPECT_TRUE(WaitUntil([&] { return StatusBarText(f.status, 3) == "NUM"; }));

    Click(f.Box(IDC_ICON_NUM));
    EXPECT_EQ(BST_CHECKED, CheckState(f.Box(IDC_ICON_NUM)));
    Click(f.Box(IDOK));
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{3}; }));
    // The refresh after the layout gives the new icon the current state at once.
    TrayIcon num = *tray->FindByPid(pid, 3);
    EXPECT_EQ("Nunlock: ON", num.tip);
    EXPECT_TRUE(IconMatchesResource(num, FenlowPath(), IDI_NUMLOCK_ON));
    EXPECT_FALSE(IsWindowVisible(f.main));
    std::map<std::string, uint8_t> stored = StoredFlags(registry);
    EXPECT_EQ(1, stored["Init"]);
    EXPECT_EQ(1, stored["NumLock"]);
    EXPECT_EQ(0, stored["CapLock"]);
    EXPECT_EQ(0, stored["ScrLock"]);
    EXPECT_EQ(0, stored["Tray"]);

    // Unchecking every icon box brings the plain icon back alone.
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    Click(f.Box(IDC_ICON_NUM));
    Click(f.Box(IDOK));
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{0}; }));
    EXPECT_EQ("Fenlow", tray->FindByPid(pid, 0)->tip);
    EXPECT_EQ(0, StoredFlags(registry)["NumLock"]);
}

TEST_F(FenlowTest, OkWithoutChangeStillWritesAllEightAndKeepsTray)
{
    StoreFlags({{"Tray", 1}, {"CapLockMsg", 0x7f}});
    Fenlow f = Start();
    ASSERT_TRUE(f.options);
    EXPECT_TRUE(IsWindowVisible(f.main));  // Init missing: shown
    EXPECT_TRUE(WaitUntil([&] { return FocusOfThreadOf(f.main) == f.Box(IDOK); })) << "the keys go to the dialog";
    Click(f.Box(IDOK));
    ASSERT_TRUE(WaitUntil([&] { return registry.ReadAll().size() == std::size(settings_flags::kFlags); }));
    std::map<std::string, uint8_t> stored = StoredFlags(registry);
    EXPECT_EQ(1, stored["Init"]);
    EXPECT_EQ(1, stored["Tray"]);  // the hidden box carries it through
    EXPECT_EQ(1, stored["CapLockMsg"]);
    EXPECT_FALSE(IsWindowVisible(f.main));
}

TEST_F(FenlowTest, CancelAndEscRevertTheBoxesAndWriteNothing)
{
    Fenlow f = Start();
    ASSERT_TRUE(f.options);

    Click(f.Box(IDC_ICON_CAPS));
    Click(f.Box(IDC_MSG_NUM));
    Click(f.Box(IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.main); }));
    EXPECT_EQ(BST_UNCHECKED, CheckState(f.Box(IDC_ICON_CAPS)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(f.Box(IDC_MSG_NUM)));

    // Esc goes through the pump's dialog handling, as a key press in the dialog would.
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    Click(f.Box(IDC_ICON_SCROLL));
    PostMessageW(f.Box(IDC_ICON_SCROLL), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.main); }));
    EXPECT_EQ(BST_UNCHECKED, CheckState(f.Box(IDC_ICON_SCROLL)));
    Pump(300);
    EXPECT_FALSE(registry.KeyExists());
    EXPECT_EQ(std::vector<UINT>{0}, TrayIdsOf(f.process.Pid()));

    // Enter presses the default button, OK.
    PostMessageW(f.main, WM_COMMAND, IDM_TRAY_SHOW, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    Click(f.Box(IDC_ICON_SCROLL));
    PostMessageW(f.Box(IDC_ICON_SCROLL), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitUntil([&] { return registry.ReadAll().size() == std::size(settings_flags::kFlags); }));
    EXPECT_EQ(1, StoredFlags(registry)["ScrLock"]);
    // The save comes before the tray layout: the icons may still be on their way.
    EXPECT_TRUE(WaitUntil([&] { return TrayIdsOf(f.process.Pid()) == std::vector<UINT>{2}; }));
    EXPECT_EQ(std::vector<UINT>{2}, TrayIdsOf(f.process.Pid()));
}

TEST_F(FenlowTest, MinimiseHidesAndTheTrayBringsTheWindowBack)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{1}; }));
    TrayIcon caps = *tray->FindByPid(pid, 1);
    EXPECT_FALSE(IsWindowVisible(f.main));

    ASSERT_TRUE(tray->Click(caps, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));

    // Minimised means gone: hidden, so off the taskbar too.
    PostMessageW(f.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.main); }));
    EXPECT_TRUE(IsIconic(f.main));

    ASSERT_TRUE(tray->Click(caps, WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) && !IsIconic(f.main); }));
    RECT rc = WindowRect(f.main);
    EXPECT_EQ(320, rc.right - rc.left);
    EXPECT_EQ(356, rc.bottom - rc.top);

    // Other mouse messages on the icon do nothing.
    PostMessageW(f.main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(f.main); }));
    ASSERT_TRUE(tray->Click(caps, WM_MOUSEMOVE));
    ASSERT_TRUE(tray->Click(caps, WM_LBUTTONUP));
    Pump(300);
    EXPECT_FALSE(IsWindowVisible(f.main));
    HWND menu = FindWindowW(L"#32768", nullptr);
    EXPECT_FALSE(menu && IsWindowVisible(menu));
}

TEST_F(FenlowTest, TrayMenuShowsTheWindowAndExitEndsAtOnce)
{
    StoreFlags({{"Init", 1}, {"ScrLock", 1}, {"NumLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{2, 3}; }));

    // A right press on one icon opens the menu; its default item shows the window.
    ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 3), WM_RBUTTONDOWN));
    ASSERT_TRUE(WaitForTrayMenu());
    PressKey('F');
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));

    // A left press on the other opens the same menu; "&Exit" ends the program without asking.
    ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 2), WM_LBUTTONDOWN));
    ASSERT_TRUE(WaitForTrayMenu());
    PressKey('E');
    DWORD code = 1234;
    ASSERT_TRUE(f.process.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(TrayIconsOf(pid).empty());
}

TEST_F(FenlowTest, TaskbarRestartBringsTheChosenIconsBackOnce)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{1, 2, 3}; }));
    ASSERT_TRUE(SetLock(VK_CAPITAL, true));
    ASSERT_TRUE(WaitUntil([&] { return tray->FindByPid(pid, 1)->tip == "Capital: ON"; }));

    for (int restart = 0; restart < 3; ++restart) {
        tray->Restart();
        ASSERT_TRUE(WaitUntil([&] {
            std::vector<TrayIcon> icons = TrayIconsOf(pid);
            return icons.size() == 3 && icons[0].tip == "Capital: ON" && icons[2].tip == "Nunlock: OFF";
        }));
        EXPECT_EQ((std::vector<UINT>{1, 2, 3}), TrayIdsOf(pid));
        TrayIcon caps = *tray->FindByPid(pid, 1), scroll = *tray->FindByPid(pid, 2), num = *tray->FindByPid(pid, 3);
        EXPECT_TRUE(IconMatchesResource(caps, FenlowPath(), IDI_CAPSLOCK_ON));
        EXPECT_EQ("Scroll: OFF", scroll.tip);
        EXPECT_TRUE(IconMatchesResource(scroll, FenlowPath(), IDI_SCROLLLOCK_OFF));
        EXPECT_EQ("Nunlock: OFF", num.tip);
        EXPECT_TRUE(IconMatchesResource(num, FenlowPath(), IDI_NUMLOCK_OFF));
    }
    // Nothing failed on the way back: no add was refused.
    for (const TrayCall& call : tray->Calls()) {
        if (call.op == NIM_ADD) {
            EXPECT_TRUE(call.result);
        }
    }
}

// The tray menu makes the hidden main window the foreground one so that the menu can close. Closed
// without a choice, it gives the foreground back to the window the user was typing in; where that
// window has gone, keys typed at the hidden window must reach none of its controls, menus or
// questions.
TEST_F(FenlowTest, KeysAfterTheTrayMenuReachNoControlOfTheHiddenWindow)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"NumLockMsg", 1}});
    Fenlow f = Start();
    ASSERT_TRUE(f.options);
    DWORD pid = f.process.Pid();
    ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{1}; }));
    ASSERT_FALSE(IsWindowVisible(f.main));

    // What a key reaching the dialog would change: the ticks, the stored values, the tray layout; and
    // a question or menu of the hidden window.
    struct State
    {
        std::vector<int> ticks;
        size_t storedValues = 0;
        size_t addsAndDeletes = 0;
    };
    auto now = [&] {
        State s;
        for (int box : {IDC_ICON_CAPS, IDC_ICON_SCROLL, IDC_ICON_NUM, IDC_MSG_CAPS, IDC_MSG_SCROLL, IDC_MSG_NUM})
            s.ticks.push_back(CheckState(f.Box(box)));
        s.storedValues = registry.ReadAll().size();
        for (const TrayCall& call : tray->Calls())
            s.addsAndDeletes += call.op == NIM_ADD || call.op == NIM_DELETE;
        return s;
    };
    auto question = [&] {
        for (HWND top : TopWindows(pid, L"#32770"))
            if (IsWindowVisible(top) && top != f.popup)
                return top;
        return HWND();
    };

    struct Close
    {
        const char* how;
        std::function<void()> close;
    };
    const Close closes[] = {
        {"Esc", [] { PressKey(VK_ESCAPE); }},
    };
    struct Keys
    {
        const char* name;
        std::vector<WORD> chord;
    };
    // Enter and Space press the default button; the letters are the dialog's and the menu bar's; F10
    // and Alt alone open the menu bar, Alt+F4 asks to quit.
    const Keys keys[] = {
        {"Enter", {VK_RETURN}},       {"Space", {VK_SPACE}},     {"Alt+O", {VK_MENU, 'O'}}, {"Alt+C", {VK_MENU, 'C'}},
        {"Alt+S", {VK_MENU, 'S'}},    {"Alt+N", {VK_MENU, 'N'}}, {"Alt+P", {VK_MENU, 'P'}}, {"Alt+L", {VK_MENU, 'L'}},
        {"Alt+M", {VK_MENU, 'M'}},    {"Alt+F", {VK_MENU, 'F'}}, {"F10", {VK_F10}},         {"Alt", {VK_MENU}},
        {"Alt+F4", {VK_MENU, VK_F4}},
    };
    const State start = now();
    for (bool earlierGone : {false, true}) {
        for (const Close& c : closes) {
            SCOPED_TRACE(std::string(c.how) +
                         (earlierGone ? ", the earlier window gone" : ", the earlier window there"));
            // The window the user types in.
            HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 300, 300,
                                        300, 30, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
            ASSERT_TRUE(edit);
            SetForegroundWindow(edit);
            SetFocus(edit);
            Pump(200);
            ASSERT_EQ(edit, GetForegroundWindow());

            ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 1), WM_RBUTTONDOWN));
            ASSERT_TRUE(WaitForTrayMenu());
            ASSERT_EQ(f.main, GetForegroundWindow()) << "the menu's window is not the foreground one";
            if (earlierGone) {
                DestroyWindow(edit);
                Pump(200);
            }
            // Esc only: under Wine a click outside did not close a menu opened after another
            // program's window had the foreground; how the menu closed does not matter here.
            c.close();
            ASSERT_TRUE(WaitUntil([] { return !IsWindowVisible(FindWindowW(L"#32768", nullptr)); }));
            Pump(200);  // the menu's own clean-up runs after it has gone
            HWND focus = FocusOfThreadOf(f.main);
            EXPECT_FALSE(focus && IsChild(f.options, focus)) << "the focus is on a hidden control";

            if (!earlierGone) {
                // Back where the user was typing: the next keys land there.
                EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == edit; }))
                    << "the foreground is " << GetForegroundWindow();
                PressKey('O');
                PressKey('K');
                Pump(200);
                wchar_t text[16] = {};
                GetWindowTextW(edit, text, 16);
                EXPECT_EQ(std::wstring(L"ok"), text);
                DestroyWindow(edit);
                continue;
            }
            // Nothing to give it back to: the hidden window holds the keys, and they must do nothing.
            ASSERT_EQ(f.main, GetForegroundWindow());
            for (const Keys& k : keys) {
                SCOPED_TRACE(k.name);
                State before = now();
                PressChord(k.chord);
                Pump(200);
                HWND menu = FindWindowW(L"#32768", nullptr);
                if (menu && IsWindowVisible(menu)) {
                    ADD_FAILURE() << "a menu of the hidden window opened";
                    PressKey(VK_ESCAPE);
                    PressKey(VK_ESCAPE);
                    Pump(200);
                }
                if (HWND asked = question()) {
                    ADD_FAILURE() << "a question over the hidden window: \"" << GetText(asked) << "\"";
                    PostMessageW(asked, WM_COMMAND, IDNO, 0);
                    Pump(200);
                }
                State after = now();
                EXPECT_TRUE(f.process.Running());
                EXPECT_FALSE(IsWindowVisible(f.main));
                EXPECT_EQ(before.ticks, after.ticks);
                EXPECT_EQ(before.storedValues, after.storedValues) << "the settings were saved";
                EXPECT_EQ(before.addsAndDeletes, after.addsAndDeletes) << "the tray icons were laid out again";
            }
        }
    }
    Pump(500);  // a late reaction to the last keys
    State end = now();
    EXPECT_EQ(start.ticks, end.ticks);
    EXPECT_EQ(start.storedValues, end.storedValues) << "the settings were saved";
    EXPECT_EQ(start.addsAndDeletes, end.addsAndDeletes) << "the tray icons were laid out again";

    // Shown again, the window gives the keys to its dialog at once.
    ASSERT_TRUE(tray->Click(*tray->FindByPid(pid, 1), WM_LBUTTONDBLCLK));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(f.main) != FALSE; }));
    EXPECT_TRUE(WaitUntil([&] { return FocusOfThreadOf(f.main) == f.Box(IDOK); }))
        << "the focus is on " << FocusOfThreadOf(f.main);
}

// The notification area shows small icons: each picture it gets is the icon's own frame of the
// small-icon size, not a large one for the shell to shrink.
TEST_F(FenlowTest, TrayPicturesAreTheSmallFramesOfTheirIcons)
{
    const int small = GetSystemMetrics(SM_CXSMICON);
    ASSERT_EQ(small, GetSystemMetrics(SM_CYSMICON));
    struct Run
    {
        std::vector<std::pair<const char*, uint8_t>> flags;
        std::vector<std::pair<UINT, int>> pictures;  // icon id, its resource
    };
    const Run runs[] = {
        {{{"Init", 1}, {"CapLock", 1}, {"ScrLock", 1}, {"NumLock", 1}},
         {{1, IDI_CAPSLOCK_OFF}, {2, IDI_SCROLLLOCK_OFF}, {3, IDI_NUMLOCK_OFF}}},
        {{{"Init", 1}, {"CapLock", 0}, {"ScrLock", 0}, {"NumLock", 0}}, {{0, IDI_TRAY}}},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.pictures.size() == 1 ? "the plain icon" : "the lock icons");
        ASSERT_TRUE(registry.Delete());
        StoreFlags(run.flags);
        Fenlow f = Start();
        ASSERT_TRUE(f.main);
        DWORD pid = f.process.Pid();
        ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid).size() == run.pictures.size(); }));
        for (const auto& picture : run.pictures) {
            const IconPicture got = tray->FindByPid(pid, picture.first)->picture;
            EXPECT_EQ(small, got.width) << "icon " << picture.first;
            EXPECT_EQ(small, got.height) << "icon " << picture.first;
            EXPECT_TRUE(PictureMatchesResource(got, FenlowPath(), picture.second)) << "icon " << picture.first;
        }
        f.process.Kill();
    }
}

}  // namespace
