#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/heap_buffer.h"

// A growable little-endian byte stream of plug-in state: values are appended
// at the end and read at a position that advances, or becomes -1 when the
// data runs out.
class IStateChunk {
public:
    IStateChunk() : mBytes(4096) {}

    int Size() const { return mBytes.Size(); }
    const uint8_t* Data() const { return static_cast<const uint8_t*>(mBytes.Data()); }

    // Appends n bytes; returns the size afterwards (unchanged when it cannot grow).
    int PutBytes(const void* bytes, int n)
    {
        const int at = Size();
        if (n > 0 && mBytes.Resize(at + n, true))
            std::memcpy(static_cast<uint8_t*>(mBytes.Data()) + at, bytes, size_t(n));
        return Size();
    }

    template <class T>
    int Put(const T& value)
    {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        return PutBytes(&value, int(sizeof(T)));
    }

    // Reads a value at position; -1 (value untouched) when it is not all there.
    template <class T>
    int Get(T* value, int position) const
    {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        const int n = int(sizeof(T));
        if (position < 0 || Size() - position < n) return -1;
        std::memcpy(value, Data() + position, size_t(n));
        return position + n;
    }

private:
    HeapBuffer mBytes;
};
