// The end-to-end driver checked against a small fixture program (tests/e2e/fixture).
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "FenlowDriver.h"
#include "fixture/fixture_ids.h"

using namespace e2e;

namespace {

const wchar_t kFixture[] = L"tray_fixture.exe";

struct Fixture
{
    Process process;
    HWND main = nullptr;
    HWND status = nullptr;
};

// Starts the fixture program and waits until its window and status bar exist.
Fixture StartFixture()
{
    Fixture f;
    f.process = Launch(kFixture);
    if (!f.process)
        return f;
    f.main = WaitForWindow(f.process.Pid(), L"" FIXTURE_CLASS);
    if (f.main)
        f.status = WaitForChild(f.main, IDC_FIXTURE_STATUS);
    // Pane 3 is written last in WM_CREATE.
    if (f.status && !WaitUntil([&] { return !StatusBarText(f.status, 3).empty(); }))
        f.status = nullptr;
    return f;
}

bool PaneIs(HWND status, int pane, const std::string& text)
{
    return WaitUntil([&] { return StatusBarText(status, pane) == text; }, 3000);
}

int LaunchForExitCode(const std::wstring& args)
{
    Process p = Launch(kFixture, args);
    DWORD code = 0;
    if (!p || !p.WaitExit(10000, &code))
        return -1;
    return static_cast<int>(code);
}

bool Ended(HANDLE process)
{
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

}  // namespace

TEST(DriverSelfTest, ProcessesEndWithTheirOwner)
{
    std::wstring path = ExeNextToMe(kFixture);
    EXPECT_EQ(path.substr(path.size() - 17), L"\\tray_fixture.exe");
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(LaunchForExitCode(L"exit 7"), 7);
    EXPECT_EQ(LaunchForExitCode(L"exit 0"), 0);
    EXPECT_FALSE(Launch(L"no_such_program.exe"));

    HANDLE watched = nullptr;
    {
        Fixture f = StartFixture();
        ASSERT_TRUE(f.main);
        watched = OpenProcess(SYNCHRONIZE, FALSE, f.process.Pid());
        ASSERT_TRUE(watched);
        EXPECT_TRUE(f.process.Running());
        EXPECT_FALSE(f.process.WaitExit(100));
        Process moved = std::move(f.process);
        EXPECT_FALSE(f.process);
        EXPECT_TRUE(moved.Running());
    }
    EXPECT_TRUE(Ended(watched));  // the destructor ended it
    CloseHandle(watched);

    Fixture f = StartFixture();
    ASSERT_TRUE(f.main);
    watched = OpenProcess(SYNCHRONIZE, FALSE, f.process.Pid());
    f.process.Kill();
    EXPECT_FALSE(f.process);
    EXPECT_TRUE(Ended(watched));
    CloseHandle(watched);
}

TEST(DriverSelfTest, ReadsWindowsOfAnotherProcess)
{
    Fixture f = StartFixture();
    ASSERT_TRUE(f.main);
    ASSERT_TRUE(f.status);
    DWORD pid = f.process.Pid();

    EXPECT_FALSE(IsWindowVisible(f.main));
    std::vector<HWND> all = TopWindows(pid);
    EXPECT_NE(std::find(all.begin(), all.end(), f.main), all.end());
    EXPECT_TRUE(TopWindows(pid, L"#32770").empty());
    EXPECT_EQ(GetText(f.main), FIXTURE_TITLE);

    EXPECT_EQ(ClassName(f.status), L"msctls_statusbar32");
    EXPECT_EQ(FindChildByClass(f.main, L"msctls_statusbar32"), f.status);
    EXPECT_EQ(FindChildByClass(f.main, L"msctls_statusbar32", 1), nullptr);
    EXPECT_EQ(StatusBarParts(f.status), (std::vector<int>{80, 160, 240, -1}));
    EXPECT_EQ(StatusBarText(f.status, 1).substr(0, 4), "Num ");
    EXPECT_EQ(StatusBarText(f.status, 2).substr(0, 7), "Scroll ");
    EXPECT_EQ(GetText(f.status), StatusBarText(f.status, 0));  // WM_GETTEXT gives pane 0

    HWND check = FindChild(f.main, IDC_FIXTURE_CHECK);
    ASSERT_TRUE(check);
    EXPECT_EQ(GetText(check), "Check me");
    EXPECT_EQ(CheckState(check), BST_CHECKED);
    SendTimeout(check, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(CheckState(check), BST_UNCHECKED);

    // A modal message box: a visible "#32770" of the same process, closed with the keyboard.
    PostMessageW(f.main, WM_COMMAND, CMD_FIXTURE_MSGBOX, 0);
    HWND box = WaitForWindow(pid, L"#32770", 5000, true);
    ASSERT_TRUE(box);
    EXPECT_EQ(GetText(box), "Fixture box");
    bool textFound = false;
    for (HWND child : Children(box))
        textFound = textFound || GetText(child) == "Hello from the fixture";
    EXPECT_TRUE(textFound);
    SetForegroundWindow(box);
    WaitUntil([&] { return GetForegroundWindow() == box; }, 2000);
    PressKey(VK_RETURN);
    EXPECT_TRUE(PaneIs(f.status, 3, "box=1"));  // IDOK
    EXPECT_TRUE(WaitUntil([&] { return TopWindows(pid, L"#32770").empty(); }));
}

TEST(DriverSelfTest, LockKeysReachAnotherProcess)
{
    struct LocksOffAtEnd
    {
        ~LocksOffAtEnd() { AllLocksOff(); }
    } locksOffAtEnd;
    ASSERT_TRUE(AllLocksOff());
    Fixture f = StartFixture();
    ASSERT_TRUE(f.status);
    const struct
    {
        WORD vk;
        const char* name;
    } keys[] = {{VK_CAPITAL, "Caps"}, {VK_NUMLOCK, "Num"}, {VK_SCROLL, "Scroll"}};
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(PaneIs(f.status, i, std::string(keys[i].name) + " 0"));

    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(keys[i].name);
        ASSERT_TRUE(SetLock(keys[i].vk, true));
        EXPECT_TRUE(IsLockOn(keys[i].vk));
        EXPECT_TRUE(PaneIs(f.status, i, std::string(keys[i].name) + " 1"));
        for (int j = 0; j < 3; ++j) {
            if (j != i) {
                EXPECT_EQ(StatusBarText(f.status, j), std::string(keys[j].name) + " 0");
            }
        }
        ASSERT_TRUE(SetLock(keys[i].vk, false));
        EXPECT_FALSE(IsLockOn(keys[i].vk));
        EXPECT_TRUE(PaneIs(f.status, i, std::string(keys[i].name) + " 0"));
    }

    // A program started while a lock is on sees the true state at the latest after SyncLocks.
    ASSERT_TRUE(SetLock(VK_CAPITAL, true));
    Fixture late = StartFixture();
    ASSERT_TRUE(late.status);
    Pump(200);
    std::cout << "[ info ] started with Caps on, the new program read: " << StatusBarText(late.status, 0) << "\n";
    SyncLocks();
    EXPECT_TRUE(IsLockOn(VK_CAPITAL));
    EXPECT_TRUE(PaneIs(late.status, 0, "Caps 1"));
    EXPECT_TRUE(PaneIs(f.status, 0, "Caps 1"));
    EXPECT_TRUE(AllLocksOff());
    EXPECT_TRUE(PaneIs(late.status, 0, "Caps 0"));
}

TEST(DriverSelfTest, RegistryFixtureRoundTrips)
{
    const char* path = RegistryFixture::kPath;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(path) + "\\Old").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    {
        RegistryFixture reg;  // removes what an earlier run left, subkeys included
        EXPECT_FALSE(reg.KeyExists());
        EXPECT_TRUE(reg.ReadAll().empty());
        EXPECT_EQ(LaunchForExitCode(L"reg Init"), 1000);

        ASSERT_TRUE(reg.SetBinary("Init", {42}));
        EXPECT_TRUE(reg.KeyExists());
        EXPECT_EQ(LaunchForExitCode(L"reg Init"), 42);  // another process sees it
        ASSERT_TRUE(reg.SetBinary("Tray", {0}));
        ASSERT_TRUE(reg.SetDword("CapLock", 0x01020304));
        ASSERT_TRUE(reg.SetString("NumLock", "on"));
        ASSERT_TRUE(reg.SetRaw("ScrLock", REG_BINARY, {}));
        ASSERT_TRUE(reg.SetBinary("Init", {7, 8}));  // replaces, does not add
        ASSERT_TRUE(reg.CreateSubkey("Extra"));

        std::vector<RegValue> all = reg.ReadAll();
        std::vector<std::string> names;
        for (const RegValue& v : all)
            names.push_back(v.name);
        std::cout << "[ info ] enumeration order:";
        for (const std::string& n : names)
            std::cout << " " << n;
        std::cout << "\n";
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"CapLock", "Init", "NumLock", "ScrLock", "Tray"}));

        auto init = reg.Read("init");
        ASSERT_TRUE(init);
        EXPECT_EQ(init->type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(init->data, (std::vector<uint8_t>{7, 8}));
        EXPECT_EQ(reg.Read("CapLock")->type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(reg.Read("CapLock")->data, (std::vector<uint8_t>{4, 3, 2, 1}));
        EXPECT_EQ(reg.Read("NumLock")->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(reg.Read("NumLock")->data, (std::vector<uint8_t>{'o', 'n', 0}));
        EXPECT_TRUE(reg.Read("ScrLock")->data.empty());
        EXPECT_FALSE(reg.Read("Missing"));

        ASSERT_TRUE(reg.Delete());
        EXPECT_EQ(LaunchForExitCode(L"reg Init"), 1000);
        ASSERT_TRUE(reg.SetBinary("Init", {1}));
    }
    key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    if (key)
        RegCloseKey(key);
}

TEST(DriverSelfTest, FakeTraySeesEveryCallAndAnswersLikeTheShell)
{
    FakeTray tray;
    ASSERT_TRUE(tray.Window());
    EXPECT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), tray.Window());
    EXPECT_EQ(LaunchForExitCode(L"workarea"), GetSystemMetrics(SM_CYSCREEN) - 20);

    Fixture f = StartFixture();
    ASSERT_TRUE(f.status);
    DWORD pid = f.process.Pid();
    const std::wstring exe = ExeNextToMe(kFixture);
    ASSERT_TRUE(WaitUntil([&] { return tray.FindByPid(pid, FIXTURE_TRAY_ID).has_value(); }));
    EXPECT_TRUE(PaneIs(f.status, 3, "add=1"));

    TrayIcon icon = *tray.FindByPid(pid, FIXTURE_TRAY_ID);
    EXPECT_EQ(icon.owner, f.main);
    EXPECT_EQ(tray.Find(f.main, FIXTURE_TRAY_ID)->pid, pid);
    EXPECT_FALSE(tray.Find(f.main, FIXTURE_TRAY_ID + 1));
    EXPECT_EQ(icon.callbackMessage, static_cast<UINT>(FIXTURE_TRAY_MESSAGE));
    EXPECT_EQ(icon.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(icon.tip, "Fixture A");
    EXPECT_EQ(icon.picture.width, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(icon.picture.height, GetSystemMetrics(SM_CYSMICON));
    EXPECT_TRUE(IconMatchesResource(icon, exe, IDI_FIXTURE_A));
    EXPECT_FALSE(IconMatchesResource(icon, exe, IDI_FIXTURE_B));
    EXPECT_NE(std::count(icon.picture.mask.begin(), icon.picture.mask.end(), 1), 0);  // transparent corners
    EXPECT_NE(std::count(icon.picture.mask.begin(), icon.picture.mask.end(), 0), 0);

    PostMessageW(f.main, WM_COMMAND, CMD_FIXTURE_MODIFY, 0);
    EXPECT_TRUE(PaneIs(f.status, 3, "modify=1"));
    icon = *tray.Find(f.main, FIXTURE_TRAY_ID);
    EXPECT_EQ(icon.tip, "Fixture B");
    EXPECT_TRUE(IconMatchesResource(icon, exe, IDI_FIXTURE_B));
    EXPECT_FALSE(IconMatchesResource(icon, exe, IDI_FIXTURE_A));

    tray.ClearLog();
    PostMessageW(f.main, WM_COMMAND, CMD_FIXTURE_ADD, 0);
    EXPECT_TRUE(PaneIs(f.status, 3, "add=0"));  // a second add of the same icon fails
    EXPECT_EQ(tray.Count(), 1u);
    std::vector<TrayCall> calls = tray.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].op, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[0].owner, f.main);
    EXPECT_FALSE(calls[0].result);

    EXPECT_TRUE(tray.Click(icon, WM_LBUTTONDBLCLK));
    EXPECT_TRUE(PaneIs(f.status, 3, "click=1,0x203"));

    // The fixture may re-add at once: its add succeeding shows the icon was forgotten.
    tray.Restart();
    EXPECT_TRUE(PaneIs(f.status, 3, "readd=1"));
    EXPECT_EQ(tray.Count(), 1u);
    EXPECT_EQ(tray.Icons().at(0).tip, "Fixture A");

    PostMessageW(f.main, WM_COMMAND, CMD_FIXTURE_DELETE, 0);
    EXPECT_TRUE(PaneIs(f.status, 3, "delete=1"));
    EXPECT_EQ(tray.Count(), 0u);
    PostMessageW(f.main, WM_COMMAND, CMD_FIXTURE_DELETE, 0);
    EXPECT_TRUE(PaneIs(f.status, 3, "delete=0"));
    PostMessageW(f.main, WM_COMMAND, CMD_FIXTURE_MODIFY, 0);
    EXPECT_TRUE(PaneIs(f.status, 3, "modify=0"));

    calls = tray.Calls();
    ASSERT_EQ(calls.size(), 5u);
    const DWORD ops[] = {NIM_ADD, NIM_ADD, NIM_DELETE, NIM_DELETE, NIM_MODIFY};
    const bool results[] = {false, true, true, false, false};
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].op, ops[i]) << i;
        EXPECT_EQ(calls[i].result, results[i]) << i;
    }
}
