#include "Dorn32.h"

#include <shellapi.h>

namespace Dorn32 {
namespace Windows {
HINSTANCE g_hInstance = nullptr;
}
}  // namespace Dorn32

namespace {

// Handed on when no memory can be had: still a vector whose entry argv[argc] is null.
char* g_noArguments[1] = {nullptr};

// Splits the wide command line into a GPTR-allocated, null-terminated ANSI vector.
// The vector and its strings live until the process ends.
char** CommandLineToAnsiArgv(int* argc)
{
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), argc);
    if (!wide) {
        // An unsplittable command line: start with no arguments rather than not at all.
        *argc = 0;
        return g_noArguments;
    }
    char** argv = static_cast<char**>(GlobalAlloc(GPTR, (*argc + 1) * sizeof(char*)));
    if (!argv) {
        *argc = 0;
        return g_noArguments;
    }
    for (int i = 0; i < *argc; ++i) {
        int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, nullptr, 0, nullptr, nullptr);
        if (size <= 0)
            size = 1;
        argv[i] = static_cast<char*>(GlobalAlloc(GPTR, size));
        if (argv[i])
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide[i], -1, argv[i], size, nullptr, nullptr);
    }
    return argv;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*showCommand*/)
{
    int argc = 0;
    char** argv = CommandLineToAnsiArgv(&argc);
    Dorn32::Windows::g_hInstance = hInstance;
    return AppMain(argc, argv);
}
