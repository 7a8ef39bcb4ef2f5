#pragma once

// A re-entrant lock: a CRITICAL_SECTION on Windows, a recursive mutex elsewhere.
class CriticalSection {
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter();
    void Leave();

private:
    alignas(16) unsigned char mStorage[64];
};

// Holds a critical section over a scope; a null section is not touched.
class LockGuard {
public:
    explicit LockGuard(CriticalSection* section) : mSection(section)
    {
        if (mSection) mSection->Enter();
    }
    ~LockGuard()
    {
        if (mSection) mSection->Leave();
    }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CriticalSection* mSection;
};
