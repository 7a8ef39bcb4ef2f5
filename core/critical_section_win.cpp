#include "core/critical_section.h"

#include <new>
#include <windows.h>

static_assert(sizeof(CRITICAL_SECTION) <= 64, "CriticalSection storage too small");

static CRITICAL_SECTION* Section(unsigned char* storage)
{
    return std::launder(reinterpret_cast<CRITICAL_SECTION*>(storage));
}

CriticalSection::CriticalSection()
{
    InitializeCriticalSection(new (mStorage) CRITICAL_SECTION);
}
CriticalSection::~CriticalSection()
{
    DeleteCriticalSection(Section(mStorage));
}
void CriticalSection::Enter()
{
    EnterCriticalSection(Section(mStorage));
}
void CriticalSection::Leave()
{
    LeaveCriticalSection(Section(mStorage));
}
