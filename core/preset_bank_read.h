#pragma once

#include "core/critical_section.h"
#include "core/pointer_list.h"
#include "core/preset_slot.h"
#include "core/state_chunk.h"

class IUnitBase;

// A bank read into copies of the plug-in's preset slots, which take the
// slots' place only once the whole bank was read. A slot's state is made
// through the parameters (they take the slot's values, then the state is
// written), so a read that ends without Commit puts the parameters back as
// they were. The plug-in lock is held throughout: no block is processed
// with a bank half read.
class PresetBankRead {
public:
    explicit PresetBankRead(IUnitBase* unit);
    ~PresetBankRead();
    PresetBankRead(const PresetBankRead&) = delete;
    PresetBankRead& operator=(const PresetBankRead&) = delete;

    // False when the copies could not be made: nothing may be read then.
    bool Ready() const { return mReady; }
    // The copy of slot index, as the plug-in's slot was until the read
    // changed it.
    IPresetSlot* SlotAt(int index) const { return mSlots.ItemAt(index); }
    // The copy of slot index holds the plug-in's current state; false when
    // it could not be written.
    bool StoreCurrentState(int index);
    // The copies become the plug-in's slots; the parameters keep what the
    // read left in them.
    void Commit();

private:
    void RestoreParameters();

    IUnitBase* mUnit;
    LockGuard mLock;
    IStateChunk mBefore;  // the plug-in's state when the read began
    PointerList<IPresetSlot> mSlots;
    bool mReady = false;
    bool mCommitted = false;
};
