#include "app/midi_input_filter.h"

#include "core/debug_text.h"
#include "core/unit_base.h"

bool MidiEventFromBytes(const unsigned char* bytes, size_t size, IMidiEvent* event)
{
    if (size == 0) return false;
    if (size > 3) {
        WriteDebugLine("NOT EXPECTING %d midi callback msg len\n", int(size));
        return false;
    }
    event->Zero();
    event->status = bytes[0];
    if (size > 1) event->data1 = bytes[1];
    if (size > 2) event->data2 = bytes[2];
    return true;
}

bool MidiInputChannelPasses(unsigned channelSetting, const IMidiEvent& event)
{
    return channelSetting == 0 || channelSetting == unsigned(event.ChannelIndex() + 1);
}

void DeliverMidiInput(const unsigned char* bytes, size_t size, unsigned channelSetting,
                      IUnitBase* plug)
{
    IMidiEvent event;
    if (!MidiEventFromBytes(bytes, size, &event)) return;
    if (!MidiInputChannelPasses(channelSetting, event)) return;
    if (plug) plug->ReceiveMidiMessage(&event);
}
