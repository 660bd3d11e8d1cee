// The released installer, run silently in this session as a user would run it: what it puts in
// place, the installed program, and what the uninstaller removes and keeps.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "FenlowDriver.h"
#include "resource.h"
#include "version.h"

using namespace e2e;

namespace {

const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" FENLOW_PRODUCT_NAME;
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kRunValue[] = L"" FENLOW_PRODUCT_NAME;
// A sibling of Fenlow's settings key under the same company key, which no uninstall may touch.
const wchar_t kSiblingKey[] = L"SOFTWARE\\" FENLOW_COMPANY L"\\FenlowReleaseTestSibling";

std::wstring Widen(const char* s)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, s, -1, &w[0], n);
    return w;
}

std::wstring Folder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return L"";
    return path;
}

std::wstring InstallDir()
{
    return Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Fenlow";
}
std::wstring InstalledExe()
{
    return InstallDir() + L"\\fenlow.exe";
}
std::wstring ShortcutPath()
{
    return Folder(CSIDL_PROGRAMS) + L"\\Fenlow.lnk";
}

// A path relative to this program's folder, as CMake writes it.
std::wstring BuildFile(std::wstring rel)
{
    for (wchar_t& c : rel)
        if (c == L'/')
            c = L'\\';
    return ExeNextToMe(rel);
}

// A release file, relative to this program's folder: the path in the environment variable when
// it is set (the signed release's files), else `fallback` (this build's).
std::wstring ReleaseFile(const wchar_t* variable, std::wstring fallback)
{
    wchar_t value[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(variable, value, MAX_PATH);
    return BuildFile(n > 0 && n < MAX_PATH ? value : fallback);
}

std::wstring SetupPath()
{
    return ReleaseFile(L"FENLOW_TEST_SETUP", Widen(FENLOW_SETUP_RELPATH));
}

std::wstring ReleasedExe()
{
    return ReleaseFile(L"FENLOW_TEST_EXE", L"fenlow.exe");
}

bool FileExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::wstring& path)
{
    DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<char> ReadBytes(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    std::vector<char> bytes;
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.insert(bytes.end(), buf, buf + got);
    CloseHandle(h);
    return bytes;
}

bool KeyExists(const wchar_t* key)
{
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

std::optional<std::wstring> ReadString(const wchar_t* key, const wchar_t* value)
{
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::wstring> result;
    if (RegQueryValueExW(h, value, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring s(size / sizeof(wchar_t) + 1, L'\0');
        if (RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(&s[0]), &size) == ERROR_SUCCESS) {
            s.resize(size / sizeof(wchar_t));
            while (!s.empty() && s.back() == L'\0')
                s.pop_back();
            result = s;
        }
    }
    RegCloseKey(h);
    return result;
}

// The file a .lnk points to, through the shell's own reader; empty if it cannot be read.
std::wstring ShortcutTarget(const std::wstring& lnk)
{
    std::wstring target;
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(lnk.c_str(), STGM_READ))) {
            wchar_t path[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH)))
                target = path;
        }
        file->Release();
    }
    link->Release();
    return target;
}

bool SamePath(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string Narrow(const std::wstring& w)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &s[0], n, nullptr, nullptr);
    return s;
}

// NAME=value, one a line, as the installer's build writes them; empty if it cannot be read.
std::map<std::string, std::string> ReadFacts(const std::wstring& path)
{
    std::map<std::string, std::string> facts;
    std::vector<char> bytes = ReadBytes(path);
    std::string text(bytes.begin(), bytes.end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            facts[line.substr(0, equals)] = line.substr(equals + 1);
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return facts;
}

// The installer finds a running Fenlow by its main window class and ends it with the tray menu's
// Exit command: both as makensis saw them, against what the program is built with.
TEST(InstallerIdsTest, AreTheProgramsOwn)
{
    const std::wstring path = BuildFile(Widen(FENLOW_INSTALLER_IDS_RELPATH));
    std::map<std::string, std::string> ids = ReadFacts(path);
    ASSERT_EQ(2u, ids.size()) << Narrow(path);
    EXPECT_EQ(std::wstring(kMainWindowClass), Widen(ids["MAIN_CLASS"].c_str())) << "the main window's class";
    EXPECT_EQ(std::to_string(IDM_TRAY_EXIT), ids["IDM_TRAY_EXIT"]) << "the Exit command";
}

class ReleaseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_TRUE(FileExists(SetupPath())) << Narrow(SetupPath());
        ASSERT_FALSE(InstallDir().empty());
        Clean();
        ASSERT_FALSE(DirExists(InstallDir())) << "a previous installation could not be removed";
    }

    void TearDown() override
    {
        Clean();
        RegDeleteKeyW(HKEY_CURRENT_USER, kSiblingKey);
        CoUninitialize();
    }

    // Runs the installer with `args`; its exit code, or ~0u if it did not end within 60 s.
    DWORD Install(const std::wstring& args)
    {
        Process setup = Launch(SetupPath(), args);
        EXPECT_TRUE(setup) << "cannot start the installer: error " << GetLastError();
        DWORD code = ~0u;
        if (setup && !setup.WaitExit(60000, &code))
            code = ~0u;
        return code;
    }

    // Runs the registered uninstaller as the installed-programs list does, plus `args`. It
    // copies itself elsewhere and runs from there, so the work is done once its entry is gone.
    // True when the entry and the installation folder have disappeared within 30 s.
    bool Uninstall(const std::wstring& args)
    {
        std::optional<std::wstring> command = ReadString(kUninstallKey, L"UninstallString");
        if (!command || command->size() < 2 || command->front() != L'"')
            return false;
        std::wstring exe = command->substr(1, command->find(L'"', 1) - 1);
        Process un = Launch(exe, args);
        if (!un)
            return false;
        DWORD code = ~0u;
        EXPECT_TRUE(un.WaitExit(30000, &code));
        EXPECT_EQ(0u, code);
        return WaitUntil([] { return !KeyExists(kUninstallKey) && !DirExists(InstallDir()); }, 30000);
    }

    // Whatever an earlier test or run left: the uninstaller if registered, then by hand.
    void Clean()
    {
        if (KeyExists(kUninstallKey))
            Uninstall(L"/S");
        for (const wchar_t* name : {L"fenlow.exe", L"LICENSE.txt", L"OFL.txt", L"uninstall.exe"})
            DeleteFileW((InstallDir() + L"\\" + name).c_str());
        RemoveDirectoryW(InstallDir().c_str());
        DeleteFileW(ShortcutPath().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
        HKEY run;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueW(run, kRunValue);
            RegCloseKey(run);
        }
    }

    void ExpectNothingInstalledLeft()
    {
        EXPECT_FALSE(DirExists(InstallDir()));
        EXPECT_FALSE(FileExists(InstalledExe()));
        EXPECT_FALSE(FileExists(ShortcutPath()));
        EXPECT_FALSE(KeyExists(kUninstallKey));
        EXPECT_FALSE(ReadString(kRunKey, kRunValue).has_value());
    }

    RegistryFixture settings_;  // Fenlow's settings key: gone before and after each test
};

TEST_F(ReleaseTest, SilentInstallPutsFilesShortcutAndUninstallEntryInPlace)
{
    ASSERT_EQ(0u, Install(L"/S"));

    const std::wstring dir = InstallDir();
    for (const wchar_t* name : {L"fenlow.exe", L"LICENSE.txt", L"OFL.txt", L"uninstall.exe"})
        EXPECT_TRUE(FileExists(dir + L"\\" + name)) << Narrow(name);
    // The very program this release holds, unchanged.
    std::vector<char> built = ReadBytes(ReleasedExe());
    ASSERT_FALSE(built.empty());
    EXPECT_TRUE(built == ReadBytes(InstalledExe()));

    ASSERT_TRUE(FileExists(ShortcutPath())) << Narrow(ShortcutPath());
    std::wstring target = ShortcutTarget(ShortcutPath());
    EXPECT_TRUE(SamePath(InstalledExe(), target)) << Narrow(target);

    EXPECT_EQ(Widen(FENLOW_PRODUCT_NAME), ReadString(kUninstallKey, L"DisplayName").value_or(L"?"));
    EXPECT_EQ(Widen(FENLOW_PRODUCT_VERSION), ReadString(kUninstallKey, L"DisplayVersion").value_or(L"?"));
    EXPECT_EQ(Widen(FENLOW_COMPANY), ReadString(kUninstallKey, L"Publisher").value_or(L"?"));
    EXPECT_EQ(L"\"" + dir + L"\\uninstall.exe\"", ReadString(kUninstallKey, L"UninstallString").value_or(L"?"));
    EXPECT_EQ(L"\"" + dir + L"\\uninstall.exe\" /S", ReadString(kUninstallKey, L"QuietUninstallString").value_or(L"?"));
    EXPECT_TRUE(SamePath(dir, ReadString(kUninstallKey, L"InstallLocation").value_or(L"?")));

    // Not asked for: no Run value. And the installer never writes the program's settings.
    EXPECT_FALSE(ReadString(kRunKey, kRunValue).has_value());
    EXPECT_FALSE(settings_.KeyExists());
}

TEST_F(ReleaseTest, AutostartSwitchSetsKeepsAndClearsTheRunValue)
{
    const std::wstring expected = L"\"" + InstalledExe() + L"\"";
    ASSERT_EQ(0u, Install(L"/S /AUTOSTART=1"));
    EXPECT_EQ(expected, ReadString(kRunKey, kRunValue).value_or(L"(missing)"));

    // Installing again without the switch keeps the user's earlier choice...
    ASSERT_EQ(0u, Install(L"/S"));
    EXPECT_EQ(expected, ReadString(kRunKey, kRunValue).value_or(L"(missing)"));
    // ...and /AUTOSTART=0 takes it back.
    ASSERT_EQ(0u, Install(L"/S /AUTOSTART=0"));
    EXPECT_FALSE(ReadString(kRunKey, kRunValue).has_value());

    ASSERT_EQ(0u, Install(L"/S /AUTOSTART=1"));
    ASSERT_TRUE(ReadString(kRunKey, kRunValue).has_value());
    ASSERT_TRUE(Uninstall(L"/S"));
    EXPECT_FALSE(ReadString(kRunKey, kRunValue).has_value());
}

TEST_F(ReleaseTest, InstalledFenlowStartsAndQuitsFromItsTrayMenu)
{
    ASSERT_EQ(0u, Install(L"/S"));
    Process fenlow = Launch(InstalledExe());
    ASSERT_TRUE(fenlow) << "error " << GetLastError();
    HWND main = WaitForMainWindow(fenlow.Pid(), 10000);
    ASSERT_TRUE(main);
    EXPECT_TRUE(fenlow.Running());

    PostMessageW(main, WM_COMMAND, IDM_TRAY_EXIT, 0);
    DWORD code = ~0u;
    ASSERT_TRUE(fenlow.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

TEST_F(ReleaseTest, InstallingOverARunningFenlowEndsItFirst)
{
    ASSERT_EQ(0u, Install(L"/S"));
    Process fenlow = Launch(InstalledExe());
    ASSERT_TRUE(fenlow);
    ASSERT_TRUE(WaitForMainWindow(fenlow.Pid(), 10000));

    ASSERT_EQ(0u, Install(L"/S"));
    DWORD code = ~0u;
    ASSERT_TRUE(fenlow.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(FileExists(InstalledExe()));
}

TEST_F(ReleaseTest, SilentUninstallRemovesWhatTheInstallerMadeAndKeepsTheSettings)
{
    ASSERT_TRUE(settings_.SetBinary("Init", {1}));
    ASSERT_TRUE(settings_.SetBinary("CapLock", {1}));
    const std::vector<RegValue> before = settings_.ReadAll();

    ASSERT_EQ(0u, Install(L"/S /AUTOSTART=1"));
    ASSERT_TRUE(FileExists(InstalledExe()));
    ASSERT_TRUE(FileExists(ShortcutPath()));
    ASSERT_TRUE(ReadString(kRunKey, kRunValue).has_value());

    ASSERT_TRUE(Uninstall(L"/S"));
    ExpectNothingInstalledLeft();

    ASSERT_TRUE(settings_.KeyExists());
    std::vector<RegValue> after = settings_.ReadAll();
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].name, after[i].name);
        EXPECT_EQ(before[i].type, after[i].type);
        EXPECT_EQ(before[i].data, after[i].data);
    }
}

TEST_F(ReleaseTest, RemoveSettingsSwitchDeletesOnlyFenlowsSettingsKey)
{
    ASSERT_TRUE(settings_.SetBinary("Init", {1}));
    HKEY sibling;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, kSiblingKey, 0, nullptr, 0, KEY_WRITE, nullptr, &sibling, nullptr));
    RegCloseKey(sibling);

    ASSERT_EQ(0u, Install(L"/S"));
    ASSERT_TRUE(Uninstall(L"/S /REMOVESETTINGS=1"));
    ExpectNothingInstalledLeft();

    EXPECT_FALSE(settings_.KeyExists());
    // The company key holds something else: it stays, with it.
    EXPECT_TRUE(KeyExists(kSiblingKey));
}

TEST_F(ReleaseTest, UninstallEndsTheRunningInstalledFenlowAndNoOtherCopy)
{
    ASSERT_EQ(0u, Install(L"/S"));
    Process installed = Launch(InstalledExe());
    Process portable = Launch(L"fenlow.exe");  // the build's own copy, outside the installation
    ASSERT_TRUE(installed);
    ASSERT_TRUE(portable);
    ASSERT_TRUE(WaitForMainWindow(installed.Pid(), 10000));
    HWND portableMain = WaitForMainWindow(portable.Pid(), 10000);
    ASSERT_TRUE(portableMain);

    ASSERT_TRUE(Uninstall(L"/S"));
    // Ended through its Exit command (exit code 0), not terminated, and its files are gone.
    DWORD code = ~0u;
    ASSERT_TRUE(installed.WaitExit(5000, &code));
    EXPECT_EQ(0u, code);
    ExpectNothingInstalledLeft();

    EXPECT_TRUE(portable.Running());
    PostMessageW(portableMain, WM_COMMAND, IDM_TRAY_EXIT, 0);
    EXPECT_TRUE(portable.WaitExit(10000, &code));
    EXPECT_EQ(0u, code);
}

}  // namespace
