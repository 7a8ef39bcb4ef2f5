#pragma once

#include <cstdint>

#include "core/midi_output_port.h"
#include "core/unit_base.h"

// The binding of a plug-in to the stand-alone application: no host to tell
// about gestures or values, fixed host time, MIDI out through the shell's
// output port, and the locked entry the shell's audio callback feeds.
class IUnitStandalone : public IUnitBase {
public:
    // midiOut and midiOutChannel belong to the shell and outlive the plug-in;
    // either may be null. A channel setting of 0 sends on the message's own
    // channel, 1 to 16 on that channel. The trailing int is ignored.
    IUnitStandalone(MidiOutputPort* midiOut, uint16_t* midiOutChannel, int nParams,
                    const char* channelIO, int nPresets, const char* effectName,
                    const char* productName, const char* makerName, int version, int uniqueId,
                    int makerId, int latency, bool doesMidi, bool doesChunks, bool isInstrument,
                    int unused);
    ~IUnitStandalone() override = default;

    void BeginParameterGesture(int) override {}
    void ReportParameterToHost(int, double) override {}
    void EndParameterGesture(int) override {}
    void ReportPresetChangeToHost() override {}
    int HostSamplePosition() override { return 0; }
    double HostTempo() override { return 120.0; }
    void HostTimeSignature(int*, int*) override {}
    void FillHostTransport(IHostTransport*) override {}
    void ApplyEditorSize(int width, int height) override;
    bool TransmitMidiMessage(const IMidiEvent* event) override;
    bool TransmitSysEx(const ISysExEvent* event) override;

    // Processes one block under the plug-in lock (audio thread).
    void ProcessBlockLocked(double** inputs, double** outputs, int frames);

private:
    uint16_t* mMidiOutChannel;
    MidiOutputPort* mMidiOut;
};
