#include "core/preset_bank_read.h"

#include <cstring>
#include <utility>

#include "core/unit_base.h"

PresetBankRead::PresetBankRead(IUnitBase* unit) : mUnit(unit), mLock(unit->PluginLock())
{
    if (!unit->WriteState(&mBefore)) return;
    for (int k = 0; k < unit->PresetCount(); ++k) {
        IPresetSlot* copy = new IPresetSlot;
        if (!mSlots.Add(copy)) {
            delete copy;
            return;
        }
        const IPresetSlot* slot = unit->PresetAt(k);
        copy->used = slot->used;
        std::memcpy(copy->name, slot->name, sizeof copy->name);
        if (!copy->state.Assign(&slot->state)) return;
    }
    mReady = true;
}

PresetBankRead::~PresetBankRead()
{
    if (mReady && !mCommitted) RestoreParameters();
    mSlots.Clear(true);
}

bool PresetBankRead::StoreCurrentState(int index)
{
    IPresetSlot* copy = SlotAt(index);
    if (!copy) return false;
    copy->used = true;
    copy->state.Clear();
    return mUnit->WriteState(&copy->state);
}

void PresetBankRead::Commit()
{
    for (int k = 0; k < mSlots.Count(); ++k) {
        IPresetSlot* slot = mUnit->PresetAt(k);
        IPresetSlot* copy = SlotAt(k);
        std::swap(slot->used, copy->used);
        std::swap(slot->name, copy->name);
        slot->state.Swap(&copy->state);
    }
    mCommitted = true;
}

// Reading the state back tells the plug-in of every value; a read that
// changed no value is left unannounced.
void PresetBankRead::RestoreParameters()
{
    IStateChunk now;
    if (mUnit->WriteState(&now) && now.Size() == mBefore.Size() &&
        (now.Size() == 0 || std::memcmp(now.Data(), mBefore.Data(), size_t(now.Size())) == 0))
        return;
    mUnit->ReadState(&mBefore, 0);
}
