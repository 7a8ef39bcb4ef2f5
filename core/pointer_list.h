#pragma once

#include "core/heap_buffer.h"

// The untyped part of PointerList: an array of pointer-sized slots.
class PointerListBase {
protected:
    PointerListBase() : mSlots(4096) {}

    int Count() const { return mSlots.Size() / int(sizeof(void*)); }
    void* ItemAt(int index) const;
    bool Add(void* item);
    bool InsertAt(int index, void* item);
    // Takes the entry out of the list and returns it; null outside the list.
    void* TakeAt(int index);
    void TruncateTo(int count);

private:
    void** Slots() const { return static_cast<void**>(mSlots.Data()); }

    HeapBuffer mSlots;
};

// A list of element pointers. The elements belong to the list's owner, which
// deletes them before the list goes (usually with Clear(true)).
template <class T>
class PointerList : private PointerListBase {
public:
    using DestroyCallback = void (*)(T*);

    int Count() const { return PointerListBase::Count(); }
    T* ItemAt(int index) const { return static_cast<T*>(PointerListBase::ItemAt(index)); }

    // Appends; false (and the element stays with the caller) when the list cannot grow.
    bool Add(T* item) { return PointerListBase::Add(item); }

    // Inserts before index, clamped to 0..Count(); returns the element, or
    // null when the list cannot grow.
    T* InsertAt(int index, T* item)
    {
        return PointerListBase::InsertAt(index, item) ? item : nullptr;
    }

    // Removes one entry; with destroy the element goes to the callback, or is deleted.
    void RemoveAt(int index, bool destroy, DestroyCallback callback = nullptr)
    {
        if (index < 0 || index >= Count()) return;
        if (destroy) Destroy(ItemAt(index), callback);
        TakeAt(index);
    }

    // Removes every entry; with destroy from the last to the first. The block stays.
    void Clear(bool destroy, DestroyCallback callback = nullptr)
    {
        if (destroy) {
            for (int i = Count() - 1; i >= 0; --i) {
                Destroy(ItemAt(i), callback);
                TruncateTo(i);
            }
        }
        TruncateTo(0);
    }

private:
    static void Destroy(T* item, DestroyCallback callback)
    {
        if (!item) return;
        if (callback)
            callback(item);
        else
            delete item;
    }
};
