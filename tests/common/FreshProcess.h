// Runs the current test again in a new process of this test program, for a case that needs what
// only a fresh process has (no refresh yet, no lookup made yet, one application object), or in a
// copy of the program elsewhere.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ProgramCopy.h"

namespace freshprocess {

// " --gtest_filter=Suite.Name" for the test that is running.
inline std::wstring CurrentTestFilter()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(" --gtest_filter=") + test->test_suite_name() + "." + test->name();
    return std::wstring(filter.begin(), filter.end());
}

// Runs the current test in the program `copy` holds, or in this program file itself; the new
// process's exit code (0 when the case passed there). Its output joins this one's. `variable`, if
// given, is set to "1" in the new process's environment only.
inline DWORD RunCurrentTest(const char* variable = nullptr, const ProgramCopy* copy = nullptr)
{
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], MAX_PATH));
    std::wstring command = L"\"" + (copy ? copy->Exe() : self) + L"\"" + CurrentTestFilter();
    if (variable)
        SetEnvironmentVariableA(variable, "1");
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    BOOL started = copy ? copy->Start(command, &pi)
                        : CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    const DWORD error = GetLastError();
    if (variable)
        SetEnvironmentVariableA(variable, nullptr);
    if (!started) {
        ADD_FAILURE() << "could not start the test again: error " << error;
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
