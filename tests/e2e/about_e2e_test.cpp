// The about box of the real fenlow.exe: its texts, its link to the web site and the ways to close it.
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "AboutText.h"
#include "FenlowSession.h"
#include "ProgramCopy.h"
#include "version.h"

using namespace e2e;

namespace {

// One string of a module's version resource, from its first translation.
std::string VersionString(const std::wstring& path, const char* name)
{
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    std::vector<char> data(size);
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        return {};
    char query[128];
    snprintf(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
    char* value = nullptr;
    if (!VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return value;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string FileContent(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!content.empty())
        ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    return content;
}

// Makes urlsink.exe the handler of https addresses for the length of a test; it logs each start.
class UrlSink
{
public:
    UrlSink()
    {
        wchar_t directory[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, directory);
        m_log = std::wstring(directory) + L"fenlow-urlsink-" + std::to_wstring(GetCurrentProcessId()) + L".log";
        DeleteFileW(m_log.c_str());
        const std::wstring command = L"\"" + ExeNextToMe(L"urlsink.exe") + L"\" \"" + m_log + L"\" \"%1\"";
        // Windows looks in the user's classes first; Wine reads HKEY_CLASSES_ROOT alone (Wine bug 14771).
        for (Scheme& scheme : m_schemes) {
            HKEY key = nullptr;
            scheme.existed = RegOpenKeyExW(scheme.root, scheme.path, 0, KEY_READ, &key) == ERROR_SUCCESS;
            if (key)
                RegCloseKey(key);
            scheme.hadCommand = ReadCommand(scheme, &scheme.oldCommand);
            WriteCommand(scheme, command);
        }
    }

    ~UrlSink()
    {
        for (Scheme& scheme : m_schemes) {
            if (!scheme.existed)
                RegDeleteTreeW(scheme.root, scheme.path);
            else if (scheme.hadCommand)
                WriteCommand(scheme, scheme.oldCommand);
            else
                RegDeleteTreeW(scheme.root, (std::wstring(scheme.path) + kCommand).c_str());
        }
        DeleteFileW(m_log.c_str());
    }

    UrlSink(const UrlSink&) = delete;
    UrlSink& operator=(const UrlSink&) = delete;

    // The addresses the shell has opened so far, one per start.
    std::vector<std::string> Opened() const
    {
        std::vector<std::string> lines = SplitLines(FileContent(m_log));
        lines.pop_back();  // after the last line end
        return lines;
    }

private:
    static constexpr const wchar_t* kCommand = L"\\shell\\open\\command";

    struct Scheme
    {
        HKEY root;
        const wchar_t* path;
        bool existed;
        bool hadCommand;
        std::wstring oldCommand;
    };

    static bool ReadCommand(const Scheme& scheme, std::wstring* command)
    {
        wchar_t buffer[1024] = L"";
        DWORD size = sizeof(buffer);
        if (RegGetValueW(scheme.root, (std::wstring(scheme.path) + kCommand).c_str(), nullptr, RRF_RT_REG_SZ, nullptr,
                         buffer, &size) != ERROR_SUCCESS)
            return false;
        *command = buffer;
        return true;
    }

    static void WriteCommand(const Scheme& scheme, const std::wstring& command)
    {
        RegSetKeyValueW(scheme.root, (std::wstring(scheme.path) + kCommand).c_str(), nullptr, REG_SZ, command.c_str(),
                        static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }

    std::wstring m_log;
    Scheme m_schemes[2] = {{HKEY_CURRENT_USER, L"Software\\Classes\\https", false, false, {}},
                           {HKEY_CLASSES_ROOT, L"https", false, false, {}}};
};

INPUT MouseInput(POINT at, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | flags;
    return input;
}

// A left click at the centre of a window, through the system's input queue.
bool ClickCentre(HWND hwnd)
{
    RECT rect = WindowRect(hwnd);
    const POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    if (WindowFromPoint(centre) != hwnd)
        return false;
    // Under Wine the X pointer lags behind moves made through SendInput, and late pointer events can
    // put the cursor back where it was. Move the X pointer itself first, let its events pass, then
    // move and click in one go.
    SetCursorPos(centre.x, centre.y);
    Pump(300);
    INPUT click[3] = {MouseInput(centre, MOUSEEVENTF_MOVE), MouseInput(centre, MOUSEEVENTF_LEFTDOWN),
                      MouseInput(centre, MOUSEEVENTF_LEFTUP)};
    return SendInput(3, click, sizeof(INPUT)) == 3;
}

// Chooses "&About..." and waits for the box.
HWND OpenAboutOf(const Fenlow& app)
{
    PostMessageA(app.main, WM_COMMAND, IDM_ABOUT, 0);
    HWND box = nullptr;
    WaitUntil([&] {
        for (HWND top : TopWindows(app.process.Pid(), L"#32770"))
            if (IsWindowVisible(top) && FindChild(top, IDC_ABOUT_LINK))
                box = top;
        return box != nullptr;
    });
    return box;
}

struct AboutTexts
{
    std::string caption;
    std::string title;
    std::string link;
    std::string about;

    bool operator==(const AboutTexts& other) const
    {
        return caption == other.caption && title == other.title && link == other.link && about == other.about;
    }
};

class AboutBoxTest : public FenlowTest
{
protected:
    void SetUp() override
    {
        FenlowTest::SetUp();
        m_app = Start();
        ASSERT_TRUE(m_app.main);
    }

    HWND OpenAbout() { return OpenAboutOf(m_app); }

    static AboutTexts TextsOf(HWND box)
    {
        return {GetText(box), GetText(FindChild(box, IDC_ABOUT_TITLE)), GetText(FindChild(box, IDC_ABOUT_LINK)),
                GetText(FindChild(box, IDC_ABOUT_TEXT))};
    }

    bool Closed(HWND box)
    {
        return WaitUntil([&] { return !IsWindow(box); }) && m_app.process.Running() && IsWindowEnabled(m_app.main);
    }

    Fenlow m_app;
};

TEST_F(AboutBoxTest, ShowsTheProductsOwnNameVersionLinkAndAboutText)
{
    // The values as the version resource of fenlow.exe holds them.
    const std::wstring exe = FenlowPath();
    const std::string name = VersionString(exe, "ProductName");
    const std::string version = VersionString(exe, "ProductVersion");
    const std::string release = VersionString(exe, "FileVersion");
    const std::string company = VersionString(exe, "CompanyName");
    const std::string licence = VersionString(exe, "LegalCopyright");
    EXPECT_EQ(name, FENLOW_PRODUCT_NAME);
    EXPECT_EQ(version, FENLOW_PRODUCT_VERSION);
    EXPECT_EQ(release, FENLOW_FILE_VERSION);
    EXPECT_EQ(company, FENLOW_COMPANY);
    EXPECT_FALSE(licence.empty());

    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    EXPECT_EQ(GetWindow(box, GW_OWNER), m_app.main);
    // Modal: the main window waits for it.
    EXPECT_FALSE(IsWindowEnabled(m_app.main));

    const AboutTexts texts = TextsOf(box);
    EXPECT_EQ(texts.caption, "About...");
    EXPECT_EQ(texts.title, "Fenlow v0.1 Beta");
    EXPECT_EQ(texts.title, name + " v" + version);
    EXPECT_EQ(texts.link, FENLOW_WEBSITE);

    // The fenlow.exe under test is built with this program, for the same width.
    const std::string head = about::Head(name, version, licence, release, company);
    ASSERT_EQ(texts.about.substr(0, head.size()), head);
    // Then the disclaimer and a last line end.
    const std::vector<std::string> lines = SplitLines(texts.about.substr(head.size()));
    ASSERT_EQ(lines.size(), 18u) << texts.about;
    for (int empty : {0, 1, 5, 9, 13, 14, 16, 17})
        EXPECT_EQ(lines[empty], "") << "line " << empty;
    for (int said : {2, 3, 4, 6, 8, 10, 12, 15})
        EXPECT_FALSE(lines[said].empty()) << "line " << said;
    EXPECT_EQ(lines[7], "- Typicons");
    EXPECT_EQ(lines[8].rfind("http", 0), 0u) << lines[8];
    EXPECT_EQ(lines[11].rfind("- ", 0), 0u) << lines[11];
    EXPECT_EQ(lines[11].substr(lines[11].size() - 7), "(Icons)");
    EXPECT_EQ(lines[12].rfind("http", 0), 0u) << lines[12];
    const std::string site = FENLOW_WEBSITE;
    EXPECT_EQ(lines[15].substr(lines[15].size() - site.size()), site);
    // No line ends other than CR LF.
    for (size_t i = 0; i < texts.about.size(); ++i) {
        if (texts.about[i] == '\n') {
            ASSERT_TRUE(i > 0 && texts.about[i - 1] == '\r') << i;
        }
        if (texts.about[i] == '\r') {
            ASSERT_TRUE(i + 1 < texts.about.size() && texts.about[i + 1] == '\n') << i;
        }
    }

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Closed(box));
}

TEST_F(AboutBoxTest, EscapeTheCloseBoxAndOkEachCloseIt)
{
    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    SetForegroundWindow(box);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Closed(box)) << "Escape";

    box = OpenAbout();
    ASSERT_TRUE(box);
    // What the close box sends.
    PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(Closed(box)) << "close box";

    box = OpenAbout();
    ASSERT_TRUE(box);
    // Activation arriving between press and release would make the button let go without a click.
    SetForegroundWindow(box);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));
    ASSERT_TRUE(ClickCentre(FindChild(box, IDOK)));
    EXPECT_TRUE(Closed(box)) << "OK";
}

TEST_F(AboutBoxTest, ActivatingTheLinkOpensTheSiteOnceAndLeavesTheBoxOpen)
{
    UrlSink sink;
    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    SetForegroundWindow(box);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == box; }));

    ASSERT_TRUE(ClickCentre(FindChild(box, IDC_ABOUT_LINK)));
    ASSERT_TRUE(WaitUntil([&] { return !sink.Opened().empty(); }, 10000));
    Pump(1000);
    EXPECT_EQ(sink.Opened(), std::vector<std::string>{FENLOW_WEBSITE});
    EXPECT_TRUE(IsWindowVisible(box));

    // The link is the next tab stop after OK; Space activates it.
    SetForegroundWindow(box);
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return FocusOfThreadOf(box) == FindChild(box, IDC_ABOUT_LINK); }));
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitUntil([&] { return sink.Opened().size() >= 2; }, 10000));
    Pump(1000);
    EXPECT_EQ(sink.Opened(), (std::vector<std::string>{FENLOW_WEBSITE, FENLOW_WEBSITE}));
    EXPECT_TRUE(IsWindowVisible(box));

    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Closed(box));
    EXPECT_EQ(sink.Opened().size(), 2u);
}

TEST_F(AboutBoxTest, SecondShowingShowsTheSameTexts)
{
    HWND box = OpenAbout();
    ASSERT_TRUE(box);
    const AboutTexts first = TextsOf(box);
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(Closed(box));

    box = OpenAbout();
    ASSERT_TRUE(box);
    const AboutTexts second = TextsOf(box);
    EXPECT_FALSE(first.about.empty());
    EXPECT_TRUE(second == first) << second.title << "\n" << second.about;
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(Closed(box));
}

class CodePageTest : public FenlowTest
{
};

// The about box under the ANSI code page this test runs with: ctest runs it once per code page
// (tests/CMakeLists.txt sets LC_ALL, from which Wine takes a process's code page; fenlow.exe
// inherits it). Fenlow starts from a folder the code page cannot spell, and from a path of 258
// characters, as long as a plain CreateProcess takes (ProductInfoTest goes past MAX_PATH).
TEST_F(CodePageTest, AboutBoxFromAnyFolder)
{
    const UINT codePage = GetACP();
    char wanted[16] = "";
    if (GetEnvironmentVariableA("FENLOW_TEST_CODEPAGE", wanted, sizeof(wanted))) {
        ASSERT_EQ(strtoul(wanted, nullptr, 10), codePage) << "LC_ALL did not give the code page";
    }

    struct CodePageCase
    {
        UINT codePage;
        // Under an LC_ALL whose glibc locale is not installed, Wine names files in ASCII only:
        // a folder outside the code page can be made under the default locale alone.
        std::wstring folder;
        // Phrases of the disclaimer as the box must show them: a letter the code page lacks
        // becomes "?", never another letter.
        std::vector<std::wstring> phrases;
    };
    // "Программа Πρόγραμμα": Cyrillic and Greek, outside Windows-1252.
    const std::wstring script =
        L"\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0430 "
        L"\u03a0\u03c1\u03cc\u03b3\u03c1\u03b1\u03bc\u03bc\u03b1";
    const CodePageCase cases[] = {
        {1252,
         script,
         {L"sin garant\u00eda de ning\u00fan tipo", L"los da\u00f1os", L"instalaci\u00f3n", L"Para m\u00e1s detalles"}},
        {1251, L"Programa", {L"sin garant?a de ning?n tipo", L"los da?os", L"instalaci?n", L"Para m?s detalles"}},
        {1250,
         L"Programa",
         {L"sin garant\u00eda de ning\u00fan tipo", L"los da?os", L"instalaci\u00f3n", L"Para m\u00e1s detalles"}},
    };
    const CodePageCase* row = nullptr;
    for (const CodePageCase& candidate : cases)
        if (candidate.codePage == codePage)
            row = &candidate;
    if (!row) {
        GTEST_SKIP() << "no expectations for code page " << codePage;
    }
    // The only letters beyond ASCII the about text has.
    const std::wstring spanish = L"\u00e1\u00ed\u00f3\u00fa\u00f1";

    const size_t longPath = 258;
    const size_t filler = longPath - ProgramCopy::Base().size() - std::wstring(L"\\\\fenlow.exe").size();
    ASSERT_LT(filler, longPath);
    const std::vector<std::wstring> places[] = {{row->folder}, {std::wstring(filler, L'p')}};
    for (const std::vector<std::wstring>& folders : places) {
        ProgramCopy copy(FenlowPath(), folders);
        SCOPED_TRACE(copy.Exe());
        ASSERT_TRUE(copy.Copied());
        ASSERT_TRUE(folders[0].size() != filler || copy.Exe().size() == longPath);
        Fenlow app = Start(copy.Exe());
        ASSERT_TRUE(app.main);
        HWND box = OpenAboutOf(app);
        ASSERT_TRUE(box);

        // The version resource was found.
        EXPECT_EQ(GetWideText(FindChild(box, IDC_ABOUT_TITLE)), L"" FENLOW_PRODUCT_NAME L" v" FENLOW_PRODUCT_VERSION);
        const std::wstring about = GetWideText(FindChild(box, IDC_ABOUT_TEXT));
        EXPECT_NE(about.find(L"\r\nRelease : " FENLOW_FILE_VERSION L" \r\n"), std::wstring::npos) << about;

        for (const std::wstring& phrase : row->phrases)
            EXPECT_NE(about.find(phrase), std::wstring::npos) << phrase << " in " << about;
        std::wstring others;
        for (wchar_t c : about)
            if (c >= 0x80 && spanish.find(c) == std::wstring::npos)
                others += c;
        EXPECT_EQ(others, L"") << about;
    }
}

}  // namespace
