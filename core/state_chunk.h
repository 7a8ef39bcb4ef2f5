#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/heap_buffer.h"
#include "core/text_buffer.h"

// A growable little-endian byte stream of plug-in state: values are appended
// at the end and read at a position that advances, or becomes -1 when the
// data runs out. Texts are an int32 length followed by the bytes, without
// terminator; bools are one byte.
class IStateChunk {
public:
    IStateChunk() : mBytes(4096) {}

    int Size() const { return mBytes.Size(); }
    const uint8_t* Data() const { return static_cast<const uint8_t*>(mBytes.Data()); }

    // Empties the chunk and releases its storage.
    void Clear() { mBytes.Resize(0, true); }

    // Makes the chunk a copy of other; false, and the chunk unchanged, when it
    // cannot grow.
    bool Assign(const IStateChunk* other)
    {
        if (other == this) return true;
        const int n = other ? other->Size() : 0;
        if (!mBytes.Resize(n, true)) return false;
        if (n > 0) std::memcpy(mBytes.Data(), other->Data(), size_t(n));
        return true;
    }

    // Exchanges the bytes of two chunks; nothing is allocated.
    void Swap(IStateChunk* other) { mBytes.Swap(other->mBytes); }

    // Appends n bytes; returns the size afterwards (unchanged when it cannot grow).
    // bytes may point into the chunk itself.
    int PutBytes(const void* bytes, int n)
    {
        const int at = Size();
        if (n <= 0 || !bytes || n > INT_MAX - at) return at;
        const uint8_t* source = static_cast<const uint8_t*>(bytes);
        const uint8_t* before = Data();
        const bool inside = before && source >= before && source < before + at;
        const ptrdiff_t offset = inside ? source - before : 0;
        if (mBytes.Resize(at + n, true)) {
            if (inside) source = Data() + offset;
            std::memmove(static_cast<uint8_t*>(mBytes.Data()) + at, source, size_t(n));
        }
        return Size();
    }

    template <class T>
    int Put(const T& value)
    {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        return PutBytes(&value, int(sizeof(T)));
    }

    int PutBool(bool value)
    {
        const uint8_t byte = value ? 1 : 0;
        return Put(byte);
    }

    // The length (strlen) and the bytes; nothing is appended unless both fit.
    int PutStr(const char* text)
    {
        const size_t length = text ? std::strlen(text) : 0;
        const int at = Size();
        if (length > size_t(INT_MAX - 4) || int(length) > INT_MAX - 4 - at) return at;
        const int32_t n = int32_t(length);
        if (Put(n) != at + 4) return Size();
        if (n > 0 && PutBytes(text, n) != at + 4 + n)
            mBytes.Resize(at);  // a shrink that keeps the block
        return Size();
    }

    int PutChunk(const IStateChunk* other)
    {
        return other ? PutBytes(other->Data(), other->Size()) : Size();
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

    // Any non-zero byte reads as true.
    int GetBool(bool* value, int position) const
    {
        uint8_t byte = 0;
        position = Get(&byte, position);
        if (position >= 0) *value = byte != 0;
        return position;
    }

    // Reads a text item: the text becomes its bytes up to the first zero among
    // them (an empty item leaves it as it was). -1, with the text untouched,
    // when the length is missing or negative or its bytes are not all there.
    int GetStr(TextBuffer* text, int position) const
    {
        int32_t n = 0;
        position = Get(&n, position);
        if (position < 0 || n < 0 || n > Size() - position) return -1;
        if (n > 0) text->Assign(reinterpret_cast<const char*>(Data() + position), n);
        return position + n;
    }

private:
    HeapBuffer mBytes;
};
