#include "core/critical_section.h"

#include <mutex>
#include <new>

static_assert(sizeof(std::recursive_mutex) <= 64, "CriticalSection storage too small");

static std::recursive_mutex* Mutex(unsigned char* storage)
{
    return std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}

CriticalSection::CriticalSection()
{
    new (mStorage) std::recursive_mutex;
}
CriticalSection::~CriticalSection()
{
    Mutex(mStorage)->~recursive_mutex();
}
void CriticalSection::Enter()
{
    Mutex(mStorage)->lock();
}
void CriticalSection::Leave()
{
    Mutex(mStorage)->unlock();
}
