#pragma once

#include <vector>

#include "core/midi_event.h"
#include "core/unit_standalone.h"

// A plug-in that keeps the MIDI events it receives.
class ReceivingUnit : public IUnitStandalone {
public:
    ReceivingUnit()
        : IUnitStandalone(nullptr, nullptr, 1, "2-2", 1, "receiver", "", "maker", 0x10000, 1, 2, 0,
                          false, false, false, 0)
    {
    }
    void ReceiveMidiMessage(const IMidiEvent* event) override { received.push_back(*event); }
    std::vector<IMidiEvent> received;
};
