#pragma once

#include <cstddef>
#include <cstdint>

// The allocation functions HeapBuffer grows with. Tests swap them to inject
// failures or to watch blocks come and go; a null argument to
// SetHeapAllocator restores the runtime's own.
struct HeapAllocator {
    void* (*reallocate)(void* block, size_t bytes);
    void* (*allocate)(size_t bytes);
    void (*release)(void* block);
};
void SetHeapAllocator(const HeapAllocator* allocator);

// A growable byte block with a fixed growth granularity. Growth that fails
// changes nothing; Resize tells the caller whether the new size took.
class HeapBuffer {
public:
    explicit HeapBuffer(int granularity = 4096);
    ~HeapBuffer();
    HeapBuffer(const HeapBuffer&) = delete;
    HeapBuffer& operator=(const HeapBuffer&) = delete;

    // The block, or null while the used size is 0.
    void* Data() const { return mUsed > 0 ? mData : nullptr; }
    int Size() const { return mUsed; }
    int Allocated() const { return mAllocated; }
    int Granularity() const { return mGranularity; }
    // Sets every used byte to 0.
    void Zero();
    // Exchanges the blocks and sizes of two buffers; nothing is allocated.
    void Swap(HeapBuffer& other);

    // Sets the used size; returns the block, or null when newSize is below 1.
    // When growth fails it returns the old block: use Resize to know.
    void* SetUsed(int newSize, bool releaseOnShrink = false);

    // The same, answering whether the used size is now max(newSize, 0).
    bool Resize(int newSize, bool releaseOnShrink = false);

    // Bytes allocated for a used size of n by the growth rule (64-bit, uncapped).
    static int64_t AllocationFor(int64_t n, int granularity);

private:
    unsigned char* mData = nullptr;
    int mGranularity;
    int mAllocated = 0;
    int mUsed = 0;
};
