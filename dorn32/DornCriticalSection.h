// A Win32 critical section; the keyboard hook is its only user.
#pragma once

#include <windows.h>

namespace Dorn32 {
namespace Windows {

class DornCriticalSection
{
public:
    // Throws std::runtime_error when the system cannot create the section.
    DornCriticalSection();
    ~DornCriticalSection();
    DornCriticalSection(const DornCriticalSection&) = delete;
    DornCriticalSection& operator=(const DornCriticalSection&) = delete;

    void Enter();
    void Leave();

private:
    CRITICAL_SECTION m_section;
};

}  // namespace Windows
}  // namespace Dorn32
