#pragma once

// What the code takes from the compiler and the processor beyond standard
// C++, in one place. GCC (both builds) and Clang provide all of it.

// Vector code: SSE2 intrinsics under `#if defined(__SSE2__)`, with scalar
// code that gives the same bits as the other branch. Every x86-64 processor
// has SSE2; other processors take the scalar branch.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Atomic loads and stores of plain fields that two threads share without a
// lock. The fields stay plain so that code holding them alone (a reset, a
// test) reads and writes them directly. Which thread stores what, which store
// publishes and which load acquires is written once, at the declaration of
// the block the fields belong to.
template <typename T>
inline T AtomicLoadAcquire(const T* field)
{
    return __atomic_load_n(field, __ATOMIC_ACQUIRE);
}

template <typename T>
inline void AtomicStoreRelease(T* field, T value)
{
    __atomic_store_n(field, value, __ATOMIC_RELEASE);
}

template <typename T>
inline void AtomicStoreRelaxed(T* field, T value)
{
    __atomic_store_n(field, value, __ATOMIC_RELAXED);
}

// A signed integer of 128 bits, for products of 64-bit values.
__extension__ typedef __int128 WideInt;

// Inlined wherever it is called: for small vector routines whose arguments
// would otherwise pass through memory (the Windows calling convention passes
// vectors by address).
#define ALWAYS_INLINE inline __attribute__((always_inline))
