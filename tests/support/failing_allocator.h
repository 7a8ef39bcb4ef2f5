#pragma once

#include <cstdlib>

#include "core/heap_buffer.h"

// While alive, every HeapBuffer allocation fails.
class FailingAllocator {
public:
    FailingAllocator() { SetHeapAllocator(&kFailing); }
    ~FailingAllocator() { SetHeapAllocator(nullptr); }

private:
    static void* Reallocate(void*, size_t) { return nullptr; }
    static void* Allocate(size_t) { return nullptr; }
    static constexpr HeapAllocator kFailing = {Reallocate, Allocate, std::free};
};
