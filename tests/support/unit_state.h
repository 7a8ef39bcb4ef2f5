#pragma once

#include <cstdio>
#include <string>

#include "core/unit_base.h"
#include "support/chunk_bytes.h"

// The slots' flags, names and state bytes, as text.
inline std::string DescribeSlots(const IUnitBase& unit)
{
    std::string text;
    for (int k = 0; k < unit.PresetCount(); ++k) {
        const IPresetSlot* slot = unit.PresetAt(k);
        text += std::string(slot->used ? "used " : "unused ") + slot->name + ":";
        for (uint8_t byte : ChunkBytes(slot->state)) text += " " + std::to_string(byte);
        text += "\n";
    }
    return text;
}

// Everything a state read may change: the parameter values, the current
// preset and every slot, as text.
inline std::string DescribeState(const IUnitBase& unit)
{
    std::string text = "values";
    for (int i = 0; i < unit.ParameterCount(); ++i) {
        char value[32];
        std::snprintf(value, sizeof value, " %.17g", unit.ParameterAt(i)->Value());
        text += value;
    }
    return text + "\ncurrent " + std::to_string(unit.CurrentPreset()) + "\n" + DescribeSlots(unit);
}
