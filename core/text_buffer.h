#pragma once

#include <cstddef>

#include "core/heap_buffer.h"

// Copies as much of text as fits into a buffer of size bytes, terminated; a
// null text gives "". Nothing is written to a buffer of size 0.
void CopyTextBounded(char* buffer, std::size_t size, const char* text);

// A terminated text on a HeapBuffer of granularity 128. The used size counts
// the terminator; a buffer never assigned holds no block and reads as "".
// Assign and Insert keep the old text whole and answer false when growth fails.
class TextBuffer {
public:
    TextBuffer() : mBuffer(128) {}

    const char* Get() const;
    // Bytes in use, the terminator included (0 while never assigned).
    int Size() const { return mBuffer.Size(); }
    int Allocated() const { return mBuffer.Allocated(); }

    // Replaces the text with at most maxLength characters of text (all when
    // maxLength is 0 or less); text may point into this buffer.
    bool Assign(const char* text, int maxLength = 0);

    // Writes length characters of text at position and keeps the following
    // characters that stood at position after them. following is clamped to
    // the text that exists after position.
    bool Insert(int position, const char* text, int length, int following);

private:
    // Grows to size bytes; a source pointing into the block is moved with it.
    bool GrowFollowing(int size, const char*& source);

    HeapBuffer mBuffer;
};
