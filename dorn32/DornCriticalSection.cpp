#include "DornCriticalSection.h"

#include <stdexcept>

namespace Dorn32 {
namespace Windows {

DornCriticalSection::DornCriticalSection()
{
    if (!InitializeCriticalSectionAndSpinCount(&m_section, 0))
        throw std::runtime_error("Could not create a CriticalSection");
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
