#pragma once

#include <cstdint>

#include "core/state_chunk.h"
#include "core/unit_base.h"
#include "core/vst2_abi.h"

// The binding of a plug-in to a host through the VST 2 interface: the effect
// record with its entries for the host, and the host callback for what the
// plug-in asks or tells its host. Every entry takes the plug-in lock, but
// never while it calls the host.
class IUnitVST : public IUnitBase {
public:
    // The arguments of IUnitBase without the binding kind; the trailing int
    // is ignored.
    IUnitVST(Vst2HostCallback hostCallback, int nParams, const char* channelIO, int nPresets,
             const char* effectName, const char* productName, const char* makerName, int version,
             int uniqueId, int makerId, int latency, bool doesMidi, bool doesChunks,
             bool isInstrument, int unused);
    ~IUnitVST() override = default;

    void BeginParameterGesture(int index) override;
    void ReportParameterToHost(int index, double normalized) override;
    void EndParameterGesture(int index) override;
    void ReportPresetChangeToHost() override;
    bool HostRendersOffline() override;
    // The host's position rounded to the nearest frame, 0 when it gives none
    // or a negative one, saturated at INT_MAX.
    int HostSamplePosition() override;
    double HostTempo() override;
    void HostTimeSignature(int* numerator, int* denominator) override;
    void FillHostTransport(IHostTransport* transport) override;
    int HostId() override;
    void ApplyEditorSize(int width, int height) override;
    void SetUpForHost() override;
    void AttachEditor(IUnitEditor* editor) override;
    void ChangeLatency(int frames) override;
    bool TransmitMidiMessage(const IMidiEvent* message) override;
    bool TransmitSysEx(const ISysExEvent* message) override;

    Vst2HostCallback HostCallback() const { return mHostCallback; }
    // Hands the host a list of one event; true when the host takes it.
    bool SendEventsToHost(Vst2Event* event);
    void AttachFloatBuffers(float** inputs, float** outputs, int frames);
    // The record the host drives the plug-in through.
    Vst2Effect* Effect() { return &mEffect; }

private:
    static intptr_t VSTDispatcher(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                                  void* ptr, float opt);
    static void VSTSetParameter(Vst2Effect* effect, int32_t index, float value);
    static float VSTGetParameter(Vst2Effect* effect, int32_t index);
    static void VSTRenderFloats(Vst2Effect* effect, float** inputs, float** outputs,
                                int32_t frames);
    static void VSTRenderFloatsAdding(Vst2Effect* effect, float** inputs, float** outputs,
                                      int32_t frames);
    // The single-precision entries: floats attached, then the process path.
    static void RenderFloats(Vst2Effect* effect, float** inputs, float** outputs, int32_t frames,
                             void (IUnitBase::*process)(int));
    static void VSTRenderDoubles(Vst2Effect* effect, double** inputs, double** outputs,
                                 int32_t frames);

    intptr_t CallHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // The host's time information with the asked fields, or null.
    const Vst2TimeInfo* HostTimeInfo(int32_t wanted);
    void AskForMidiWhenNeeded();
    // One dispatcher opcode other than closing.
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t GetChunk(int32_t index, void* ptr);
    intptr_t SetChunk(int32_t index, intptr_t value, const void* ptr);
    intptr_t ProcessEvents(const Vst2EventList* events);
    intptr_t TextToParameter(int32_t index, const char* text);
    intptr_t PinProperties(int32_t index, bool input, Vst2PinProperties* pin);
    intptr_t VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t CanDo(const char* text);
    void SetSpeakerArrangements(const Vst2SpeakerArrangement* in,
                                const Vst2SpeakerArrangement* out);

    Vst2Rect mEditorRect = {};
    Vst2HostCallback mHostCallback;
    Vst2SpeakerArrangement mInputArrangement = {};
    Vst2SpeakerArrangement mOutputArrangement = {};
    bool mHostSetUp = false;
    int32_t mHostExtensionFlags = 0;
    IStateChunk mProgramChunk;
    IStateChunk mBankChunk;
    Vst2Effect mEffect = {};
};
