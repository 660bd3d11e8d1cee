// Command lines no one would type: very long, outside the ANSI code page, or past the rules of
// splitting. The program reads no options, so each start must be an ordinary first start.
// (A line that cannot be split at all, because memory has run out, is StressWinMain's case.)
#include "StressSession.h"

using namespace e2e;

namespace {

class StressCommandLine : public StressFenlow
{
protected:
    // Starts fenlow.exe with exactly `line`, checks that the child got it, and that it starts as
    // any first start does: settings window shown, plain tray icon, nothing written; then quits.
    void StartsNormally(const std::wstring& line)
    {
        Fenlow f;
        f.process = LaunchWithCommandLine(L"fenlow.exe", line);
        ASSERT_TRUE(f.process) << "CreateProcess refused it: " << GetLastError();
        // Read once the child has started: its parameters are filled in as it starts.
        std::optional<std::wstring> seen;
        WaitUntil([&] {
            seen = CommandLineOf(f.process.Handle());
            return seen && (line.empty() || *seen == line);
        });
        ASSERT_TRUE(seen);
        // An empty line is the one the system may fill in (Wine puts the program's name there).
        if (!line.empty()) {
            size_t same = 0;
            while (same < seen->size() && same < line.size() && (*seen)[same] == line[same])
                ++same;
            EXPECT_TRUE(*seen == line) << "the child was given another command line: " << seen->size() << " of "
                                       << line.size() << " characters, the first " << same << " the same";
        }

        f.main = WaitForMainWindow(f.process.Pid(), 10000, true);
        ASSERT_TRUE(f.main) << "no settings window";
        ASSERT_TRUE(WaitUntil([&] { return (f.status = FindChildByClass(f.main, L"msctls_statusbar32")) != nullptr; }));
        DWORD pid = f.process.Pid();
        ASSERT_TRUE(WaitUntil([&] { return TrayIdsOf(pid) == std::vector<UINT>{0}; }));
        EXPECT_EQ("Fenlow", GetText(f.main));
        EXPECT_EQ("Fenlow", StatusBarText(f.status, 0));
        EXPECT_EQ("Fenlow", tray->FindByPid(pid, 0)->tip);
        DWORD_PTR answer = 0;
        EXPECT_NE(0, SendMessageTimeoutW(f.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
        // Arguments are not options: nothing is stored.
        EXPECT_FALSE(registry.KeyExists());
        // And it leaves the ordinary way, with exit code 0.
        PostMessageW(f.main, WM_COMMAND, IDM_TRAY_EXIT, 0);
        DWORD code = 1;
        EXPECT_TRUE(f.process.WaitExit(10000, &code));
        EXPECT_EQ(0u, code);
        EXPECT_TRUE(TrayIdsOf(pid).empty());
    }

    static std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
};

TEST_F(StressCommandLine, ThirtyThousandCharactersStartNormally)
{
    std::wstring line = Quoted(FenlowPath());
    for (int i = 0; line.size() < 30000; ++i) {
        line += i % 3 == 0 ? L" \"quoted argument " + std::to_wstring(i) + L"\"" : L" arg" + std::to_wstring(i);
        line += L" \\\\server\\share\\" + std::wstring(40, L'x');
    }
    line.resize(30000);
    std::printf("command line of %u characters\n", static_cast<unsigned>(line.size()));
    Figure("command_line_chars", static_cast<long long>(line.size()));
    StartsNormally(line);
}

TEST_F(StressCommandLine, ArgumentsOutsideTheAnsiCodePageStartNormally)
{
    std::wstring line = Quoted(FenlowPath());
    // Greek, Cyrillic, CJK, Arabic, a character outside the BMP (a surrogate pair), best-fit
    // traps (a fullwidth quote and solidus), and halves of surrogate pairs on their own.
    line += L" \x0391\x03B2\x03B3 \x0416\x0443\x043A \x6F22\x5B57\x304B\x306A \x0627\x0644\x0639";
    line += L" \xD83D\xDE00 \"\xFF02\xFF0F quoted \x2122\" \xD800 \xDC00x \xFFFF \x200B\x202E";
    line += L" /\x00E9\x00E8\x00FC -\x20AC";
    StartsNormally(line);
}

TEST_F(StressCommandLine, LinesPastTheSplittingRulesStartNormally)
{
    const std::wstring path = FenlowPath();
    const std::wstring lines[] = {
        L"",                                              // nothing at all, not even the program's name
        L"   \t  ",                                       // blanks alone
        L"\"" + path,                                     // the program's name in a quote that never closes
        Quoted(path) + L" \"unterminated \\\"",           // an argument whose quote never closes
        Quoted(path) + L" \"",                            // one quote alone
        Quoted(path) + L" \\\\\\\\\\\"\\\"\"\"\"\"\"\\",  // runs of backslashes and quotes
        Quoted(path) + L" \x0001\x0002\x001B[0m\x007F",   // control characters
        L"\"\" \"\" \"\"",                                // empty arguments only, an empty program name
    };
    for (const std::wstring& line : lines) {
        SCOPED_TRACE(::testing::Message() << "line of " << line.size() << " characters");
        StartsNormally(line);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
