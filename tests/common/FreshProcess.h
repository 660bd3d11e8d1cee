// Runs the current test again in a new process of this test program, for a case that needs what
// only a fresh process has (no refresh yet, no lookup made yet, one application object).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace freshprocess {

// The new process's exit code: 0 when the case passed there. Its output joins this one's.
// `variable`, if given, is set to "1" in the new process's environment only.
inline DWORD RunCurrentTest(const char* variable = nullptr)
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command =
        std::string("\"") + self + "\" --gtest_filter=" + test->test_suite_name() + "." + test->name();
    if (variable)
        SetEnvironmentVariableA(variable, "1");
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    if (variable)
        SetEnvironmentVariableA(variable, nullptr);
    if (!started) {
        ADD_FAILURE() << "could not start " << command << ": error " << GetLastError();
        return ~0u;
    }
    DWORD code = ~0u;
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(pi.hProcess, &code);
    } else {
        ADD_FAILURE() << "the new process did not end within two minutes";
        TerminateProcess(pi.hProcess, 1);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

}  // namespace freshprocess
