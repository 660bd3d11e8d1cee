// The framework's process entry with a recording AppMain: the arguments it hands on, and what
// happens when the command line cannot be split because memory has run out.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Dorn32.h"

namespace {

int g_calls = 0;
int g_argc = -1;
char** g_argv = nullptr;
HINSTANCE g_instanceSeen = nullptr;

}  // namespace

// Records only: it may run while no memory can be had.
int AppMain(int argc, char** argv)
{
    ++g_calls;
    g_argc = argc;
    g_argv = argv;
    g_instanceSeen = Dorn32::Windows::g_hInstance;
    return 42;
}

namespace {

std::string Ansi(const wchar_t* wide)
{
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, &s[0], n, nullptr, nullptr);
    s.resize(n > 0 ? n - 1 : 0);
    return s;
}

// Takes every free byte of address space and of the process heap, and gives it all back.
class MemoryExhaustion
{
public:
    void Take()
    {
        // Address space first, so that the heap cannot grow.
        for (SIZE_T size = SIZE_T(1) << 30; size >= 0x10000; size /= 2)
            while (void* p = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS))
                m_reserved[m_reservedCount < kMax ? m_reservedCount++ : kMax - 1] = p;
        HANDLE heap = GetProcessHeap();
        for (SIZE_T size = SIZE_T(1) << 20; size >= 1; size /= 2)
            while (void* p = HeapAlloc(heap, 0, size)) {
                if (m_blockCount == kMax) {
                    HeapFree(heap, 0, p);
                    break;
                }
                m_blocks[m_blockCount++] = p;
            }
    }

    void Give()
    {
        HANDLE heap = GetProcessHeap();
        while (m_blockCount)
            HeapFree(heap, 0, m_blocks[--m_blockCount]);
        while (m_reservedCount)
            VirtualFree(m_reserved[--m_reservedCount], 0, MEM_RELEASE);
    }

    size_t Blocks() const { return m_blockCount; }

private:
    // Fixed arrays: nothing here may allocate while memory is taken.
    static const size_t kMax = 1 << 16;
    void* m_reserved[kMax] = {};
    size_t m_reservedCount = 0;
    void* m_blocks[kMax] = {};
    size_t m_blockCount = 0;
};

TEST(StressWinMain, EveryArgumentReachesAppMainInTheAnsiCodePage)
{
    g_calls = 0;
    HINSTANCE self = GetModuleHandleA(nullptr);
    EXPECT_EQ(42, WinMain(self, nullptr, GetCommandLineA(), SW_SHOWNORMAL));
    ASSERT_EQ(1, g_calls);
    EXPECT_EQ(self, g_instanceSeen);
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    ASSERT_NE(nullptr, wide);
    ASSERT_EQ(count, g_argc);
    ASSERT_NE(nullptr, g_argv);
    for (int i = 0; i < count; ++i) {
        ASSERT_NE(nullptr, g_argv[i]) << i;
        EXPECT_EQ(Ansi(wide[i]), g_argv[i]) << i;
    }
    EXPECT_EQ(nullptr, g_argv[count]);
    LocalFree(wide);
}

TEST(StressWinMain, AnUnsplittableCommandLineStillStartsWithAnEmptyVector)
{
    static MemoryExhaustion memory;  // large: not on the stack
    g_calls = 0;
    HINSTANCE self = GetModuleHandleA(nullptr);
    int splitCount = -1;

    memory.Take();
    // Nothing between Take and Give may allocate: no assertions, no output.
    LPWSTR* split = CommandLineToArgvW(GetCommandLineW(), &splitCount);
    int result = WinMain(self, nullptr, GetCommandLineA(), SW_SHOWNORMAL);
    int argc = g_argc;
    char** argv = g_argv;
    char* first = argv ? argv[0] : reinterpret_cast<char*>(1);
    size_t blocks = memory.Blocks();
    memory.Give();

    std::printf("heap blocks taken: %u; CommandLineToArgvW %s\n", static_cast<unsigned>(blocks),
                split ? "still split the line" : "failed");
    ASSERT_EQ(nullptr, split) << "memory could not be exhausted: this test cannot make splitting fail here";
    EXPECT_EQ(42, result);
    ASSERT_EQ(1, g_calls) << "AppMain must run: the program starts normally";
    EXPECT_EQ(self, g_instanceSeen);
    EXPECT_EQ(0, argc);
    // Like a C main: argv[argc] exists and is null, even with nothing to put before it.
    ASSERT_NE(nullptr, argv);
    EXPECT_EQ(nullptr, first);
}

}  // namespace
