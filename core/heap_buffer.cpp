#include "core/heap_buffer.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

const HeapAllocator kRuntimeAllocator = {std::realloc, std::malloc, std::free};
const HeapAllocator* gAllocator = &kRuntimeAllocator;

constexpr int64_t kPage = 4096;
constexpr int64_t kMaxSpare = 4194304;  // 4 MiB
constexpr int64_t kPageShortfall = 96;

}  // namespace

void SetHeapAllocator(const HeapAllocator* allocator)
{
    gAllocator = allocator ? allocator : &kRuntimeAllocator;
}

int64_t HeapBuffer::AllocationFor(int64_t n, int granularity)
{
    if (n <= 0) return 0;
    const int64_t spare = std::max<int64_t>(n / 2, granularity);
    if (granularity <= 4095) return n + spare;
    const int64_t extra = std::min(spare / kPage * kPage, kMaxSpare);
    return (n + extra + kPageShortfall) / kPage * kPage - kPageShortfall;
}

HeapBuffer::HeapBuffer(int granularity) : mGranularity(granularity) {}

HeapBuffer::~HeapBuffer()
{
    gAllocator->release(mData);
}

bool HeapBuffer::Resize(int newSize, bool releaseOnShrink)
{
    const int n = std::max(newSize, 0);
    if (n == mUsed) return true;

    const int64_t allocated = mAllocated;
    const int64_t threshold = std::max<int64_t>(
        1, std::min<int64_t>(allocated / 2, allocated - 4 * int64_t(mGranularity)));
    const bool reallocate = n > mAllocated || (releaseOnShrink && n < mUsed && n < threshold);
    if (!reallocate) {
        mUsed = n;
        return true;
    }

    const int64_t wanted = AllocationFor(n, mGranularity);
    if (wanted == mAllocated) {
        mUsed = n;
        return true;
    }
    if (wanted > INT_MAX) return false;
    if (wanted == 0) {
        gAllocator->release(mData);
        mData = nullptr;
        mAllocated = mUsed = 0;
        return true;
    }

    const size_t keep = size_t(std::min(mUsed, n));
    void* block = gAllocator->reallocate(mData, size_t(wanted));
    if (!block) {
        block = gAllocator->allocate(size_t(wanted));
        if (!block) return false;
        if (keep) std::memcpy(block, mData, keep);
        gAllocator->release(mData);
    }
    mData = static_cast<unsigned char*>(block);
    mAllocated = int(wanted);
    mUsed = n;
    return true;
}

void HeapBuffer::Swap(HeapBuffer& other)
{
    std::swap(mData, other.mData);
    std::swap(mGranularity, other.mGranularity);
    std::swap(mAllocated, other.mAllocated);
    std::swap(mUsed, other.mUsed);
}

void HeapBuffer::Zero()
{
    if (void* data = Data()) std::memset(data, 0, size_t(mUsed));
}

void* HeapBuffer::SetUsed(int newSize, bool releaseOnShrink)
{
    Resize(newSize, releaseOnShrink);
    return newSize < 1 ? nullptr : Data();
}
