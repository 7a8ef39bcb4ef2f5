#include "core/pointer_list.h"

#include <cstring>

namespace {
constexpr int kSlot = int(sizeof(void*));
}

void* PointerListBase::ItemAt(int index) const
{
    if (index < 0 || index >= Count()) return nullptr;
    return Slots()[index];
}

bool PointerListBase::Add(void* item)
{
    const int count = Count();
    if (!mSlots.Resize((count + 1) * kSlot)) return false;
    Slots()[count] = item;
    return true;
}

bool PointerListBase::InsertAt(int index, void* item)
{
    const int count = Count();
    if (index < 0) index = 0;
    if (index > count) index = count;
    if (!mSlots.Resize((count + 1) * kSlot)) return false;
    void** slots = Slots();
    std::memmove(slots + index + 1, slots + index, size_t(count - index) * kSlot);
    slots[index] = item;
    return true;
}

void* PointerListBase::TakeAt(int index)
{
    const int count = Count();
    if (index < 0 || index >= count) return nullptr;
    void** slots = Slots();
    void* item = slots[index];
    std::memmove(slots + index, slots + index + 1, size_t(count - 1 - index) * kSlot);
    TruncateTo(count - 1);
    return item;
}

void PointerListBase::TruncateTo(int count)
{
    if (count < Count()) mSlots.Resize(count * kSlot);  // a shrink keeps the block
}
