#include "core/unit_standalone.h"

#include "core/debug_text.h"
#include "core/midi_event.h"

IUnitStandalone::IUnitStandalone(MidiOutputPort* midiOut, uint16_t* midiOutChannel, int nParams,
                                 const char* channelIO, int nPresets, const char* effectName,
                                 const char* productName, const char* makerName, int version,
                                 int uniqueId, int makerId, int latency, bool doesMidi,
                                 bool doesChunks, bool isInstrument, int)
    : IUnitBase(nParams, channelIO, nPresets, effectName, productName, makerName, version, uniqueId,
                makerId, latency, doesMidi, doesChunks, isInstrument, kBindingStandalone),
      mMidiOutChannel(midiOutChannel),
      mMidiOut(midiOut)
{
    LogTracePoint("IUnitStandalone", __LINE__, "%s:%s", effectName, channelIO ? channelIO : "");
    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    ChangeBlockSize(1024);
    SetHost("standalone", VersionNumber(false));
}

void IUnitStandalone::ProcessBlockLocked(double** inputs, double** outputs, int frames)
{
    LockGuard lock(PluginLock());
    ProcessDoubleBlock(inputs, outputs, frames);
}

void IUnitStandalone::ApplyEditorSize(int, int)
{
    if (AttachedEditor()) EditorResized();
}

bool IUnitStandalone::TransmitMidiMessage(const IMidiEvent* event)
{
    if (!DoesMidi() || !mMidiOut || !event) return false;
    unsigned char message[3] = {event->status, event->data1, event->data2};
    // A channel message moves to the chosen channel; system messages have
    // no channel and go out as they are.
    const unsigned setting = mMidiOutChannel ? *mMidiOutChannel : 0;
    if (setting != 0 && event->status >= 0x80 && event->status < 0xF0)
        message[0] =
            (unsigned char)(((unsigned(event->StatusKind()) << 4) | ((setting - 1) & 0x0F)) & 0xFF);
    mMidiOut->SendMessage(message, sizeof message);
    return true;
}

bool IUnitStandalone::TransmitSysEx(const ISysExEvent* event)
{
    if (!mMidiOut || !event || event->size < 0 || (event->size > 0 && !event->data)) return false;
    mMidiOut->SendMessage(event->data, size_t(event->size));
    return true;
}
