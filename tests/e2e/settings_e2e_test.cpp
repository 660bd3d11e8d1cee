// The real fenlow.exe's settings window: the first-run rule, a hidden start, the options' OK and
// Cancel, the exit confirmation and independent instances.
#include "FenlowSession.h"

#include <iterator>

#include "SettingsFlags.h"

using namespace e2e;

namespace {

class SettingsTest : public FenlowTest
{
};

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

// The exit confirmation of process pid, once it is on screen.
HWND WaitForMessageBox(DWORD pid)
{
    HWND box = nullptr;
    WaitUntil([&] {
        for (HWND top : TopWindows(pid, L"#32770"))
            if (IsWindowVisible(top) && FindChild(top, IDYES) && FindChild(top, IDNO))
                box = top;
        return box != nullptr;
    });
    return box;
}

std::wstring WideTextOfChildren(HWND parent)
{
    std::wstring all;
    for (HWND child : Children(parent)) {
        wchar_t text[256] = {};
        GetWindowTextW(child, text, 256);
        all += text;
        all += L'\n';
    }
    return all;
}

TEST_F(SettingsTest, FirstRunShowsTheSettingsWindowAndWritesNothing)
{
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    ASSERT_TRUE(f.status);
    ASSERT_TRUE(f.options);

    EXPECT_TRUE(IsWindowVisible(f.main));
    EXPECT_EQ("Fenlow", GetText(f.main));
    // Caption, system menu and minimise box; no sizing border, no maximise box.
    EXPECT_EQ(0x00CA0000u, Style(f.main) & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS));
    RECT rc = WindowRect(f.main);
    EXPECT_EQ(320, rc.right - rc.left);
    EXPECT_EQ(356, rc.bottom - rc.top);
    EXPECT_NE(nullptr, GetMenu(f.main));

    EXPECT_EQ((std::vector<int>{100, 150, 200, 249}), StatusBarParts(f.status));
    EXPECT_EQ("Fenlow", StatusBarText(f.status, 0));
    EXPECT_EQ("   ", StatusBarText(f.status, 1));

    // The options dialog fills the client area above the status bar.
    RECT client, dialog, bar;
    GetClientRect(f.main, &client);
    GetWindowRect(f.options, &dialog);
    GetWindowRect(f.status, &bar);
    POINT origin = {0, 0};
    MapWindowPoints(f.options, f.main, &origin, 1);
    EXPECT_EQ(0, origin.x);
    EXPECT_EQ(0, origin.y);
    EXPECT_EQ(client.right, dialog.right - dialog.left);
    EXPECT_EQ(client.bottom - (bar.bottom - bar.top), dialog.bottom - dialog.top);

    for (int id : {IDC_ICON_CAPS, IDC_ICON_SCROLL, IDC_ICON_NUM, IDC_MSG_CAPS, IDC_MSG_SCROLL, IDC_MSG_NUM}) {
        HWND box = f.Box(id);
        ASSERT_TRUE(box) << id;
        EXPECT_TRUE(IsWindowVisible(box)) << id;
        EXPECT_EQ(BST_UNCHECKED, CheckState(box)) << id;
    }
    HWND hideTray = f.Box(IDC_HIDE_TRAY);
    ASSERT_TRUE(hideTray);
    EXPECT_FALSE(IsWindowVisible(hideTray));
    EXPECT_FALSE(IsWindowEnabled(hideTray));

    // No lock icon chosen: the plain icon alone, with the product name.
    std::vector<TrayIcon> icons = TrayIconsOf(f.process.Pid());
    ASSERT_EQ(1u, icons.size());
    EXPECT_EQ(0u, icons[0].id);
    EXPECT_EQ("Fenlow", icons[0].tip);
    EXPECT_EQ(static_cast<UINT>(WM_APP + 1), icons[0].callbackMessage);
    EXPECT_EQ(f.main, icons[0].owner);
    EXPECT_TRUE(IconMatchesResource(icons[0], FenlowPath(), IDI_TRAY));

    // The hidden popup exists from the start.
    ASSERT_TRUE(f.popup);
    EXPECT_FALSE(IsWindowVisible(f.popup));

    Pump(1500);
    EXPECT_FALSE(registry.KeyExists());
}

TEST_F(SettingsTest, StoredInitStartsHiddenWithTheChosenIcons)
{
    StoreFlags({{"Init", 1}, {"CapLock", 1}, {"NumLock", 0x02}});
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    EXPECT_FALSE(IsWindowVisible(f.main));
    EXPECT_EQ("Fenlow", GetText(f.main));
    EXPECT_EQ("Fenlow", StatusBarText(f.status, 0));
    EXPECT_TRUE(WaitUntil([&] { return TrayIdsOf(f.process.Pid()) == std::vector<UINT>{1, 3}; }));
    EXPECT_EQ(BST_CHECKED, CheckState(f.Box(IDC_ICON_CAPS)));
    EXPECT_EQ(BST_CHECKED, CheckState(f.Box(IDC_ICON_NUM)));
    EXPECT_EQ(BST_UNCHECKED, CheckState(f.Box(IDC_ICON_SCROLL)));
}

TEST_F(SettingsTest, ClosingAsksFirstAndYesEndsWithCodeZero)
{
    Fenlow f = Start();
    ASSERT_TRUE(f.main);
    DWORD pid = f.process.Pid();

    // The close box and "&Salir" both ask; No leaves everything as it was.
    for (bool viaMenu : {false, true}) {
        if (viaMenu)
            PostMessageW(f.main, WM_COMMAND, IDM_SALIR, 0);
        else
            PostMessageW(f.main, WM_CLOSE, 0, 0);
        HWND box = WaitForMessageBox(pid);
        ASSERT_TRUE(box);
        EXPECT_EQ("Fenlow", GetText(box));
        EXPECT_NE(std::wstring::npos, WideTextOfChildren(box).find(L"\u00bfRealmente quiere salir?"));
        PostMessageW(box, WM_COMMAND, IDNO, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
        EXPECT_TRUE(f.process.Running());
        EXPECT_TRUE(IsWindowVisible(f.main));
        EXPECT_EQ(1u, TrayIconsOf(pid).size());
    }

    PostMessageW(f.main, WM_CLOSE, 0, 0);
    HWND box = WaitForMessageBox(pid);
    ASSERT_TRUE(box);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
    DWORD code = 1234;
    ASSERT_TRUE(f.process.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(TrayIconsOf(pid).empty());
    EXPECT_FALSE(registry.KeyExists());
}

TEST_F(SettingsTest, SecondInstanceRunsIndependently)
{
    StoreFlags({{"Init", 1}, {"ScrLock", 1}});
    Fenlow first = Start();
    Fenlow second = Start();
    ASSERT_TRUE(first.main);
    ASSERT_TRUE(second.main);
    EXPECT_NE(first.main, second.main);
    EXPECT_EQ(std::vector<UINT>{2}, TrayIdsOf(first.process.Pid()));
    EXPECT_EQ(std::vector<UINT>{2}, TrayIdsOf(second.process.Pid()));

    PostMessageW(first.main, WM_COMMAND, IDM_TRAY_EXIT, 0);
    DWORD code = 1234;
    ASSERT_TRUE(first.process.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(TrayIconsOf(first.process.Pid()).empty());
    Pump(300);
    EXPECT_TRUE(second.process.Running());
    EXPECT_EQ(std::vector<UINT>{2}, TrayIdsOf(second.process.Pid()));
}

TEST_F(SettingsTest, OptionsOkAppliesSavesAndRelaysTheIcons)
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

TEST_F(SettingsTest, OkWithoutChangeStillWritesAllEightAndKeepsTray)
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

TEST_F(SettingsTest, CancelAndEscRevertTheBoxesAndWriteNothing)
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

}  // namespace
