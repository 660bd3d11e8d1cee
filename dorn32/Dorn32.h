// Process-wide pieces of the framework: the instance handle and the application's entry function.
#pragma once

#include <windows.h>

namespace Dorn32 {
namespace Windows {

// Set by WinMain before AppMain runs; still null during static construction.
extern HINSTANCE g_hInstance;

}  // namespace Windows
}  // namespace Dorn32

// Supplied by the application; WinMain calls it with the command line as ANSI arguments.
int AppMain(int argc, char** argv);
