#pragma once

#include <new>

// A counted heap array of plain values.
template <class T>
struct HeapArray {
    T* data = nullptr;
    int count = 0;

    HeapArray() = default;
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;
    ~HeapArray() { Release(); }

    // New storage of n zeroed values; false (and empty) when none can be had.
    bool Allocate(int n)
    {
        Release();
        if (n <= 0) return false;
        data = new (std::nothrow) T[n]();
        count = data ? n : 0;
        return data != nullptr;
    }

    // Deletes the storage; safe on an empty array.
    void Release()
    {
        delete[] data;
        data = nullptr;
        count = 0;
    }
};
