#pragma once

#include "core/pointer_list.h"
#include "core/preset_slot.h"

// Size of a preset name field, terminator included; longer names are cut.
constexpr int kPresetNameSize = int(sizeof(IPresetSlot::name));

// The first slot that is not used, or null.
IPresetSlot* FindUnusedPreset(const PointerList<IPresetSlot>* presets);

// Writes "user preset N" to out (kPresetNameSize bytes), N being 1 + the number
// of slots whose name contains "user preset".
void MakeUserPresetName(const PointerList<IPresetSlot>* presets, char* out);
