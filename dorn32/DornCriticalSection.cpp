#include "DornCriticalSection.h"

#include <exception>

namespace Dorn32 {
namespace Windows {

namespace {

// A standard exception that keeps its fixed text without std::string: std::runtime_error would
// link the C++ library's string and its errors (some 90 KiB) into the program for this one raise.
class CriticalSectionError : public std::exception
{
public:
    const char* what() const noexcept override { return "Could not create a CriticalSection"; }
};

}  // namespace

DornCriticalSection::DornCriticalSection()
{
    if (!InitializeCriticalSectionAndSpinCount(&m_section, 0))
        throw CriticalSectionError();
}

DornCriticalSection::~DornCriticalSection()
{
    DeleteCriticalSection(&m_section);
}

void DornCriticalSection::Enter()
{
    EnterCriticalSection(&m_section);
}

void DornCriticalSection::Leave()
{
    LeaveCriticalSection(&m_section);
}

}  // namespace Windows
}  // namespace Dorn32
