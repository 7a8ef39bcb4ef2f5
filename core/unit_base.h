#pragma once

#include <cstdint>

#include "core/channels.h"
#include "core/critical_section.h"
#include "core/parameter.h"
#include "core/pointer_list.h"
#include "core/preset_slot.h"
#include "core/state_chunk.h"
#include "core/text_buffer.h"
#include "core/unit_editor.h"

struct IMidiEvent;
struct ISysExEvent;
struct IHostTransport;

// Binding kinds: how the plug-in reaches its host.
enum IBindingKind {
    kBindingVST2,
    kBindingVST3,
    kBindingAU,
    kBindingRTAS,
    kBindingAAX,
    kBindingStandalone
};

// Versions are 0xMMMMmmbb: major in the top 16 bits, minor and revision a byte each.
void VersionParts(int version, int* major, int* minor, int* revision);
int VersionToDecimal(int version);
void FormatVersion(int version, char* out);  // "v1.0.0"; out holds at least 20 bytes

// The base of every plug-in and host binding: identity, channels, parameters,
// preset slots, the attached editor and the re-entrant plug-in lock that
// serialises the audio thread against the UI thread.
class IUnitBase {
public:
    IUnitBase(int nParams, const char* channelIO, int nPresets, const char* effectName,
              const char* productName, const char* makerName, int version, int uniqueId,
              int makerId, int latency, bool doesMidi, bool doesChunks, bool isInstrument,
              int bindingKind);
    virtual ~IUnitBase();
    IUnitBase(const IUnitBase&) = delete;
    IUnitBase& operator=(const IUnitBase&) = delete;

    // Hooks and operations, in slot order.
    // False when the processing state could not be made (an allocation
    // failed): the plug-in then processes nothing.
    virtual bool ResetDspState();
    virtual void ParameterChanged(int index);
    virtual void ProcessDoubleBlock(double** inputs, double** outputs, int frames);
    virtual void ProcessFloatBlock(float** inputs, float** outputs, int frames);
    virtual void EditorOpened() {}
    virtual void EditorClosing() {}
    virtual void SpareHookA() {}
    virtual void ActiveStateChanged(bool active);
    virtual void ReceiveMidiMessage(const IMidiEvent* message);
    virtual void ReceiveSysEx(const ISysExEvent*) {}
    virtual bool KeyNameForNote(int note, char* out);
    virtual bool WriteState(IStateChunk* chunk);
    // The position after the state, or -1 for a state that does not read,
    // which changes nothing.
    virtual int ReadState(const IStateChunk* chunk, int position);
    virtual bool StateMatches(const double* values, int first);
    virtual void EditorResized() {}
    virtual bool HandleAboutRequest() { return false; }
    virtual void HostSetupFinished() {}
    virtual void ParameterRightClicked(int, int, int) {}
    virtual void SetParameterFromGUI(int index, double normalized);
    virtual void BeginParameterGesture(int index) = 0;
    virtual void ReportParameterToHost(int index, double normalized) = 0;
    virtual void EndParameterGesture(int index) = 0;
    virtual void ReportPresetChangeToHost() = 0;
    virtual bool HostRendersOffline() { return false; }
    virtual int HostSamplePosition() = 0;
    virtual double HostTempo() = 0;
    virtual void HostTimeSignature(int* numerator, int* denominator) = 0;
    virtual void FillHostTransport(IHostTransport* transport) = 0;
    virtual int HostId() { return mHostId; }
    virtual int BindingKind() { return mBindingKind; }
    virtual void ApplyEditorSize(int width, int height) = 0;
    virtual void SetUpForHost() {}
    virtual void AttachEditor(IUnitEditor* editor);
    virtual void ChangeLatency(int frames);
    virtual bool TransmitMidiMessage(const IMidiEvent* message) = 0;
    virtual bool TransmitSysEx(const ISysExEvent*) { return false; }
    virtual void PushParametersToEditor();
    virtual void SpareHookB() {}
    virtual void CurrentPresetChanged() {}
    virtual void ChangeBlockSize(int frames);

    // Parameters and state.
    int ParameterCount() const { return mParams.Count(); }
    IParameter* ParameterAt(int index) const { return mParams.ItemAt(index); }
    bool SerializeParams(IStateChunk* chunk);
    // One double per parameter at position; the values take only when all of
    // them are there (else -1). Every parameter is announced either way.
    int UnserializeParams(const IStateChunk* chunk, int position);
    void ReportAllParametersToHost();
    void ReapplyAllParameters();

    // Presets (core/unit_presets.cpp).
    int PresetCount() const { return mPresets.Count(); }
    IPresetSlot* PresetAt(int index) const { return mPresets.ItemAt(index); }
    int CurrentPreset() const { return mCurrentPreset; }
    void StoreStateAsPresets(const char* name, int count);
    void FillUnusedPresets();
    void MakePresetFromValues(const char* name, ...);
    void MakePresetFromNamedParams(const char* name, int n, ...);
    void MakePresetFromBytes(const char* name, const IStateChunk* state);
    void MakePresetFromBlob(const char* name, const char* base64Text, int size);
    void DropUnusedPresets();
    bool SelectPreset(int index);
    bool SelectPresetByName(const char* name);
    const char* PresetNameAt(int index) const;
    void ModifyCurrentPreset(const char* name);
    bool SerializePresets(IStateChunk* chunk);
    // -1, with every slot and parameter as it was, when the bank does not read
    // whole.
    int UnserializePresets(const IStateChunk* chunk, int position);
    bool WriteNamedParamsSource(const char* path, const char** parameterIdentifiers);
    bool WriteBlobSource(const char* path);

    // Program and bank files through the editor's file dialog
    // (core/preset_files.cpp).
    bool SaveProgramFile(const char* defaultFileName);
    bool SaveBankFile(const char* defaultFileName);
    bool LoadProgramFile();
    bool LoadBankFile();
    // Offers every 8-byte IMidiEvent of events to TransmitMidiMessage; true
    // when each was taken.
    bool TransmitMidiMessages(const HeapBuffer& events);

    // Host buffers and the process drivers (core/unit_drivers.cpp).
    void AttachInputs(int first, int count, double** data);
    void AttachInputsFromFloat(int first, int count, float** data, int frames);
    void AttachOutputs(int first, int count, double** data);
    void AttachOutputsToFloat(int first, int count, float** data);
    void ProcessAttached(int frames);
    void ProcessAttachedToFloat(int frames);
    void ProcessAttachedAddToFloat(int frames);
    void PassThroughDelayed(int frames);
    void PassThroughDelayedToFloat(int frames);
    void ClearScratchBuffers();
    // Makes the latency pass-through's delay line; the first passingChannels
    // of channels are delayed. False when it cannot be made.
    bool MakeLatencyDelayLine(int channels, int passingChannels);
    void LabelInput(int index, const char* text);
    void LabelOutput(int index, const char* text);
    void SetTextListEntry(int index, const char* text);
    void SetTextPairEntry(int index, const char* text);
    // The delay line (null until made) and the two text lists, for reading.
    const ILatencyDelayLine* LatencyDelayLine() const { return mLatencyLine; }
    const PointerList<TextBuffer>& TextPairList() const { return mTextPairs; }
    const PointerList<TextBuffer>& TextList() const { return mTexts; }

    // Editor.
    IUnitEditor* AttachedEditor() const { return mEditor; }

    // Identity and host.
    const char* EffectName() const { return mEffectName; }
    const char* ProductName() const { return mProductName; }
    const char* MakerName() const { return mMakerName; }
    int UniqueId() const { return mUniqueId; }
    int MakerId() const { return mMakerId; }
    bool DoesChunks() const { return mDoesChunks; }
    bool IsInstrument() const { return mIsInstrument; }
    bool DoesMidi() const { return mDoesMidi; }
    int VersionDecimal() const { return VersionToDecimal(mVersion); }
    int VersionNumber(bool decimal) const { return decimal ? VersionDecimal() : mVersion; }
    void VersionText(char* out) const { FormatVersion(mVersion, out); }
    // Host identification (core/host_id.cpp).
    void SetHost(const char* hostName, int hostVersion);
    int HostVersionNumber(bool decimal);
    void HostVersionText(char* out);
    const char* BindingKindName();
    const char* ArchitectureName() const { return "x86"; }
    bool LegalIO(int inputs, int outputs) const;
    const char* PresetFolder() const { return mPresetFolder.Get(); }

    // Timing.
    double CurrentSampleRate() const { return mSampleRate; }
    void ChangeSampleRate(double rate) { mSampleRate = rate; }
    int BlockSize() const { return mBlockSize; }
    int Latency() const { return mLatency; }
    double BeatLengthInSamples();

    // Channels.
    int InputCount() const { return mInputs.Count(); }
    int OutputCount() const { return mOutputs.Count(); }
    IAudioInput* InputAt(int index) const { return mInputs.ItemAt(index); }
    IAudioOutput* OutputAt(int index) const { return mOutputs.ItemAt(index); }
    void ConnectInputs(int first, int count, bool connected);
    void ConnectOutputs(int first, int count, bool connected);
    void AdjustChannelsBeyondStereo();
    bool IsInputConnected(int index) const;
    bool IsOutputConnected(int index) const;
    int ChannelConfigCount() const { return mChannelConfigs.Count(); }
    const IChannelConfig* ChannelConfigAt(int index) const { return mChannelConfigs.ItemAt(index); }

    // The re-entrant plug-in lock.
    CriticalSection* PluginLock() { return &mLock; }

private:
    void ParseChannelIO(const char* channelIO);
    template <class Channel>
    bool CreateChannels(PointerList<Channel>& list, HeapBuffer& dataPointers, int count);
    template <class Channel>
    void ConnectChannels(PointerList<Channel>& list, int first, int count, bool connected);
    // Clips first..first+count-1 to 0..size-1.
    static void ClipRange(int first, int count, int size, int* begin, int* end);

    // Process drivers (core/unit_drivers.cpp).
    enum FloatDelivery { kNoFloat, kReplaceFloat, kAddFloat };
    template <class Channel, class Take>
    void AttachChannels(PointerList<Channel>& list, int first, int count, Take take);
    void RunAttached(int frames, bool passThrough, FloatDelivery delivery);
    void PassThroughBlock(int frames);

    // Declared in the reverse of the order they are released in.
    PointerList<IChannelConfig> mChannelConfigs;
    CriticalSection mLock;
    char mEffectName[128] = {};
    char mProductName[128] = {};
    char mMakerName[128] = {};
    int mUniqueId;
    int mMakerId;
    int mVersion;
    int mBindingKind;
    int mHostId = -1;
    int mHostVersion = 0;
    bool mDoesChunks;
    bool mIsInstrument;
    bool mDoesMidi;
    int mCurrentPreset = 0;
    double mSampleRate = 44100.0;
    int mBlockSize = 0;
    int mLatency;
    TextBuffer mPresetFolder;
    ILatencyDelayLine* mLatencyLine = nullptr;
    IUnitEditor* mEditor = nullptr;
    PointerList<IParameter> mParams;
    PointerList<IPresetSlot> mPresets;
    HeapBuffer mInputData{4096};
    HeapBuffer mOutputData{4096};
    PointerList<IAudioInput> mInputs;
    PointerList<IAudioOutput> mOutputs;
    PointerList<TextBuffer> mTextPairs;
    PointerList<TextBuffer> mTexts;
};
