#pragma once

#include "core/midi_event.h"

// A zeroed event carrying the three given bytes.
inline IMidiEvent MidiMessage(uint8_t status, uint8_t data1, uint8_t data2)
{
    IMidiEvent event;
    event.Zero();
    event.status = status;
    event.data1 = data1;
    event.data2 = data2;
    return event;
}
