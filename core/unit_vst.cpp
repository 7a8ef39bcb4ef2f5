#include "core/unit_vst.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/chunk_version_header.h"
#include "core/debug_text.h"
#include "core/host_transport.h"
#include "core/midi_event.h"
#include "core/parameter.h"
#include "core/text_buffer.h"

namespace {

constexpr int32_t kIdentity = FourCharCode("NvEf");
constexpr intptr_t kVendorAnswer = 0xBEEF;
constexpr intptr_t kVendorCanDo = intptr_t(0xBEEF0000u);
constexpr int kHostTextSize = 256;

// Copies text into a host buffer of size bytes, cut to fit and terminated.
void CopyToHost(void* out, const char* text, int size)
{
    CopyTextBounded(static_cast<char*>(out), size_t(size), text);
}

// 1 when the host gave a buffer for the name, which then holds it.
intptr_t CopyNameToHost(void* out, const char* name, int size)
{
    if (!out) return 0;
    CopyToHost(out, name, size);
    return 1;
}

// Copies a host text of unknown length into out (outSize bytes), terminated.
void CopyFromHost(char* out, int outSize, const char* text)
{
    int n = 0;
    for (; n < outSize - 1 && text[n]; ++n) out[n] = text[n];
    out[n] = '\0';
}

// A host value as an int, or false when it does not fit.
bool FitsInt(intptr_t value, int* out)
{
    if (value < intptr_t(INT_MIN) || value > intptr_t(INT_MAX)) return false;
    *out = int(value);
    return true;
}

int ClampToInt(intptr_t value)
{
    return int(std::max<intptr_t>(INT_MIN, std::min<intptr_t>(INT_MAX, value)));
}

int32_t SpeakerLayoutFor(int channels)
{
    switch (channels) {
        case 0:
            return -1;
        case 1:
            return 0;
        case 2:
            return 1;
        default:
            return -2;
    }
}

int16_t ClampToInt16(int value)
{
    return int16_t(std::max(-32768, std::min(32767, value)));
}

}  // namespace

IUnitVST::IUnitVST(Vst2HostCallback hostCallback, int nParams, const char* channelIO, int nPresets,
                   const char* effectName, const char* productName, const char* makerName,
                   int version, int uniqueId, int makerId, int latency, bool doesMidi,
                   bool doesChunks, bool isInstrument, int)
    : IUnitBase(nParams, channelIO, nPresets, effectName, productName, makerName, version, uniqueId,
                makerId, latency, doesMidi, doesChunks, isInstrument, kBindingVST2),
      mHostCallback(hostCallback)
{
    LogTracePoint("IUnitVST", __LINE__, "%s", effectName ? effectName : "");

    mEffect.magic = kVst2Magic;
    mEffect.dispatcher = VSTDispatcher;
    mEffect.processAdding = VSTRenderFloatsAdding;
    mEffect.setParameter = VSTSetParameter;
    mEffect.getParameter = VSTGetParameter;
    mEffect.programCount = PresetCount();
    mEffect.parameterCount = ParameterCount();
    mEffect.inputCount = InputCount();
    mEffect.outputCount = OutputCount();
    mEffect.flags = kVst2CanReplace | kVst2CanDoubleReplace;
    if (doesChunks) mEffect.flags |= kVst2ProgramChunks;
    if (LegalIO(1, -1)) mEffect.flags |= kVst2CanMono;
    if (isInstrument) mEffect.flags |= kVst2Instrument;
    mEffect.initialDelay = latency;
    mEffect.ioRatio = 1.0f;
    mEffect.object = this;
    mEffect.uniqueId = uniqueId;
    mEffect.version = VersionDecimal();
    mEffect.processReplacing = VSTRenderFloats;
    mEffect.processDoubleReplacing = VSTRenderDoubles;

    mInputArrangement.channelCount = InputCount();
    mInputArrangement.type = SpeakerLayoutFor(InputCount());
    mOutputArrangement.channelCount = OutputCount();
    mOutputArrangement.type = SpeakerLayoutFor(OutputCount());

    ConnectInputs(0, InputCount(), true);
    ConnectOutputs(0, OutputCount(), true);
    ChangeBlockSize(1024);
}

intptr_t IUnitVST::CallHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    return mHostCallback ? mHostCallback(&mEffect, opcode, index, value, ptr, opt) : 0;
}

void IUnitVST::BeginParameterGesture(int index)
{
    CallHost(kVst2HostBeginEdit, index);
}

void IUnitVST::ReportParameterToHost(int index, double normalized)
{
    CallHost(kVst2HostAutomate, index, 0, nullptr, float(normalized));
}

void IUnitVST::EndParameterGesture(int index)
{
    CallHost(kVst2HostEndEdit, index);
}

void IUnitVST::ReportPresetChangeToHost()
{
    CallHost(kVst2HostUpdateDisplay);
}

bool IUnitVST::HostRendersOffline()
{
    return CallHost(kVst2HostProcessLevel) == 4;
}

const Vst2TimeInfo* IUnitVST::HostTimeInfo(int32_t wanted)
{
    return reinterpret_cast<const Vst2TimeInfo*>(CallHost(kVst2HostGetTime, 0, wanted));
}

int IUnitVST::HostSamplePosition()
{
    const Vst2TimeInfo* time = HostTimeInfo(0);
    const double position = time ? time->samplePosition + 0.5 : 0.0;
    if (!(position >= 0.0)) return 0;
    return position < double(INT_MAX) ? int(position) : INT_MAX;
}

double IUnitVST::HostTempo()
{
    if (!mHostCallback) return 0.0;
    const Vst2TimeInfo* time = HostTimeInfo(kVst2TempoValid);
    if (!time || !(time->flags & kVst2TempoValid)) return 0.0;
    return time->tempo > 0.0 ? time->tempo : 0.0;
}

void IUnitVST::HostTimeSignature(int* numerator, int* denominator)
{
    *numerator = *denominator = 0;
    const Vst2TimeInfo* time = HostTimeInfo(kVst2TimeSignatureValid);
    if (time && (time->flags & kVst2TimeSignatureValid) && time->numerator >= 0 &&
        time->denominator >= 0) {
        *numerator = time->numerator;
        *denominator = time->denominator;
    }
}

void IUnitVST::FillHostTransport(IHostTransport* transport)
{
    constexpr int32_t kWanted = kVst2QuarterNotesValid | kVst2TempoValid | kVst2BarsValid |
                                kVst2CycleValid | kVst2TimeSignatureValid;
    const Vst2TimeInfo* time = HostTimeInfo(kWanted);
    if (!time || !(time->flags & kWanted)) return;
    const int32_t flags = time->flags;
    transport->samplePosition = time->samplePosition;
    if ((flags & kVst2QuarterNotesValid) && time->quarterNotePosition >= 0.0)
        transport->quarterNotePosition = time->quarterNotePosition;
    if ((flags & kVst2TempoValid) && time->tempo > 0.0) transport->tempo = time->tempo;
    if ((flags & kVst2BarsValid) && time->barStartPosition >= 0.0)
        transport->lastBarStart = time->barStartPosition;
    if ((flags & kVst2CycleValid) && time->cycleStartPosition >= 0.0 &&
        time->cycleEndPosition >= 0.0) {
        transport->cycleStart = time->cycleStartPosition;
        transport->cycleEnd = time->cycleEndPosition;
    }
    if ((flags & kVst2TimeSignatureValid) && time->numerator > 0 && time->denominator > 0) {
        transport->numerator = time->numerator;
        transport->denominator = time->denominator;
    }
    transport->playing = (flags & kVst2TransportPlaying) != 0;
    transport->cycling = (flags & kVst2TransportCycling) != 0;
}

int IUnitVST::HostId()
{
    const int known = IUnitBase::HostId();
    if (known != -1) return known;
    char product[kHostTextSize] = {};
    CallHost(kVst2HostProductString, 0, 0, product);
    product[kHostTextSize - 1] = '\0';
    int version = 0;
    if (product[0]) {
        const intptr_t v = std::max<intptr_t>(0, ClampToInt(CallHost(kVst2HostVendorVersion)));
        version = int((v / 10000) << 16 | ((v % 10000) / 100) << 8 | (v % 100));
    }
    SetHost(product, version);
    return IUnitBase::HostId();
}

void IUnitVST::SetUpForHost()
{
    if (mHostSetUp) return;
    mHostSetUp = true;
    const int host = HostId();
    if (host == 15 || host == 17 || host == 18 || host == 20) AdjustChannelsBeyondStereo();
    mInputArrangement.channelCount = mEffect.inputCount = InputCount();
    mOutputArrangement.channelCount = mEffect.outputCount = OutputCount();
    HostSetupFinished();
}

void IUnitVST::AttachEditor(IUnitEditor* editor)
{
    if (!editor) return;
    IUnitBase::AttachEditor(editor);
    mEffect.flags |= kVst2HasEditor;
    mEditorRect = {0, 0, ClampToInt16(editor->Height()), ClampToInt16(editor->Width())};
}

void IUnitVST::ApplyEditorSize(int, int)
{
    IUnitEditor* editor = AttachedEditor();
    if (!editor) return;
    mEditorRect = {0, 0, ClampToInt16(editor->Height()), ClampToInt16(editor->Width())};
    EditorResized();
}

// The host hears of the latency the plug-in took (a delay line that cannot
// grow keeps the old one).
void IUnitVST::ChangeLatency(int frames)
{
    IUnitBase::ChangeLatency(frames);
    mEffect.initialDelay = Latency();
}

bool IUnitVST::TransmitMidiMessage(const IMidiEvent* message)
{
    Vst2MidiEvent event = {};
    event.type = kVst2MidiType;
    event.byteSize = int32_t(sizeof event);
    event.deltaFrames = message->offset;
    event.midiData[0] = char(message->status);
    event.midiData[1] = char(message->data1);
    event.midiData[2] = char(message->data2);
    return SendEventsToHost(reinterpret_cast<Vst2Event*>(&event));
}

bool IUnitVST::TransmitSysEx(const ISysExEvent* message)
{
    Vst2SysExEvent event = {};
    event.type = kVst2SysExType;
    event.byteSize = int32_t(sizeof event);
    event.deltaFrames = message->offset;
    event.dumpBytes = message->size;
    event.dump = reinterpret_cast<char*>(const_cast<uint8_t*>(message->data));
    return SendEventsToHost(reinterpret_cast<Vst2Event*>(&event));
}

bool IUnitVST::SendEventsToHost(Vst2Event* event)
{
    Vst2EventList list = {};
    list.count = 1;
    list.events[0] = event;
    return CallHost(kVst2HostProcessEvents, 0, 0, &list) == 1;
}

void IUnitVST::AskForMidiWhenNeeded()
{
    if (DoesMidi()) CallHost(kVst2HostWantMidi);
}

void IUnitVST::AttachFloatBuffers(float** inputs, float** outputs, int frames)
{
    if (inputs) AttachInputsFromFloat(0, InputCount(), inputs, frames);
    if (outputs) AttachOutputsToFloat(0, OutputCount(), outputs);
}

namespace {
IUnitVST* PlugOf(Vst2Effect* effect)
{
    return effect ? static_cast<IUnitVST*>(effect->object) : nullptr;
}

// A host that gives no channel arrays for channels the plug-in has cannot be
// processed.
bool BuffersGiven(const IUnitBase* plug, const void* inputs, const void* outputs)
{
    return (inputs || plug->InputCount() == 0) && (outputs || plug->OutputCount() == 0);
}
}  // namespace

void IUnitVST::VSTRenderDoubles(Vst2Effect* effect, double** inputs, double** outputs,
                                int32_t frames)
{
    IUnitVST* plug = PlugOf(effect);
    if (!plug) return;
    LockGuard lock(plug->PluginLock());
    if (!BuffersGiven(plug, inputs, outputs)) return;
    plug->AskForMidiWhenNeeded();
    plug->AttachInputs(0, plug->InputCount(), inputs);
    plug->AttachOutputs(0, plug->OutputCount(), outputs);
    plug->ProcessAttached(frames);
}

void IUnitVST::RenderFloats(Vst2Effect* effect, float** inputs, float** outputs, int32_t frames,
                            void (IUnitBase::*process)(int))
{
    IUnitVST* plug = PlugOf(effect);
    if (!plug) return;
    LockGuard lock(plug->PluginLock());
    if (!BuffersGiven(plug, inputs, outputs)) return;
    plug->AskForMidiWhenNeeded();
    plug->AttachFloatBuffers(inputs, outputs, frames);
    (plug->*process)(frames);
}

void IUnitVST::VSTRenderFloats(Vst2Effect* effect, float** inputs, float** outputs, int32_t frames)
{
    RenderFloats(effect, inputs, outputs, frames, &IUnitBase::ProcessAttachedToFloat);
}

void IUnitVST::VSTRenderFloatsAdding(Vst2Effect* effect, float** inputs, float** outputs,
                                     int32_t frames)
{
    RenderFloats(effect, inputs, outputs, frames, &IUnitBase::ProcessAttachedAddToFloat);
}

float IUnitVST::VSTGetParameter(Vst2Effect* effect, int32_t index)
{
    LogTracePoint("VSTGetParameter", __LINE__, "%d", index);
    IUnitVST* plug = PlugOf(effect);
    if (!plug) return 0.0f;
    LockGuard lock(plug->PluginLock());
    const IParameter* param = plug->ParameterAt(index);
    return param ? float(param->NormalizedValue()) : 0.0f;
}

void IUnitVST::VSTSetParameter(Vst2Effect* effect, int32_t index, float value)
{
    LogTracePoint("VSTSetParameter", __LINE__, "%d:%f", index, double(value));
    IUnitVST* plug = PlugOf(effect);
    if (!plug) return;
    LockGuard lock(plug->PluginLock());
    IParameter* param = plug->ParameterAt(index);
    if (!param) return;
    const double normalized = ClampNormalized(value);
    if (IUnitEditor* editor = plug->AttachedEditor())
        editor->ApplyParameterFromCore(index, normalized, true);
    param->SetFromNormalized(normalized);
    plug->ParameterChanged(index);
}

intptr_t IUnitVST::VSTDispatcher(Vst2Effect* effect, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt)
{
    IUnitVST* plug = PlugOf(effect);
    if (!plug) return 0;
    if (opcode == kVst2Close) {
        {
            LockGuard lock(plug->PluginLock());
            LogTracePoint("VSTDispatcher", __LINE__, "%d(%s):%d:%d", opcode, "", index,
                          ClampToInt(value));
        }
        delete plug;
        return 0;
    }
    // Nothing calls the host with the plug-in lock held: opening asks the
    // host who it is first; the events (which a plug-in may pass through to
    // the host) and the editor window's opening and closing (which ends an
    // open gesture) go without the lock, as MIDI and the window's own
    // messages do.
    if (opcode == kVst2Open) plug->HostId();
    const bool unlocked =
        opcode == kVst2ProcessEvents || opcode == kVst2EditorOpen || opcode == kVst2EditorClose;
    LockGuard lock(unlocked ? nullptr : plug->PluginLock());
    if (opcode == kVst2EditorIdle || opcode == kVst2Idle) return 0;
    LogTracePoint("VSTDispatcher", __LINE__, "%d(%s):%d:%d", opcode, "", index, ClampToInt(value));
    return plug->Dispatch(opcode, index, value, ptr, opt);
}

intptr_t IUnitVST::Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
{
    IParameter* param = ParameterAt(index);
    IUnitEditor* editor = AttachedEditor();
    char* text = static_cast<char*>(ptr);
    int number = 0;
    switch (opcode) {
        case kVst2Open:
            SetUpForHost();
            ReapplyAllParameters();
            return 0;
        case kVst2SetProgram:
            if (!FitsInt(value, &number)) return 0;
            if (!DoesChunks()) ModifyCurrentPreset(nullptr);
            SelectPreset(number);
            return 0;
        case kVst2GetProgram:
            return CurrentPreset();
        case kVst2SetProgramName:
            if (text) {
                char name[kHostTextSize];
                CopyFromHost(name, kHostTextSize, text);
                ModifyCurrentPreset(name);
                CurrentPresetChanged();
            }
            return 0;
        case kVst2GetProgramName:
            if (text) CopyToHost(text, PresetNameAt(CurrentPreset()), kVst2ProgramNameLength);
            return 0;
        case kVst2GetParameterLabel:
            if (param && text) CopyToHost(text, param->UnitLabel(), kVst2ParameterTextLength);
            return 0;
        case kVst2GetParameterDisplay:
            if (param && text) {
                char display[IParameter::kTextSize];
                param->FormatValue(param->Value(), false, display, true);
                CopyToHost(text, display, kVst2ParameterTextLength);
            }
            return 0;
        case kVst2GetParameterName:
            if (param && text) CopyToHost(text, param->Name(), kVst2ParameterTextLength);
            return 0;
        case kVst2SetSampleRate:
            if (!(opt > 0.0f) || !std::isfinite(opt)) return 0;
            ChangeSampleRate(opt);
            ResetDspState();
            return 0;
        case kVst2SetBlockSize:
            if (!FitsInt(value, &number)) return 0;
            ChangeBlockSize(number);
            ResetDspState();
            return 0;
        case kVst2MainsChanged:
            ActiveStateChanged(value != 0);
            if (value == 0) ResetDspState();
            return 0;
        case kVst2EditorGetRect:
            if (!ptr || !editor) return 0;
            *static_cast<Vst2Rect**>(ptr) = &mEditorRect;
            return 1;
        case kVst2EditorOpen:
            if (!editor || !editor->OpenEditorWindow(static_cast<IWindowHandle>(ptr))) return 0;
            EditorOpened();
            return 1;
        case kVst2EditorClose:
            if (!editor) return 0;
            EditorClosing();
            editor->CloseEditorWindow();
            return 1;
        case kVst2Identify:
            return kIdentity;
        case kVst2GetChunk:
            return ptr ? GetChunk(index, ptr) : 0;
        case kVst2SetChunk:
            return ptr ? SetChunk(index, value, ptr) : 0;
        case kVst2ProcessEvents:
            return ProcessEvents(static_cast<const Vst2EventList*>(ptr));
        case kVst2CanBeAutomated:
            return 1;
        case kVst2TextToParameter:
            return TextToParameter(index, text);
        case kVst2GetProgramNameIndexed:
            if (!text) return 0;
            CopyToHost(text, PresetNameAt(index), kVst2ProgramNameLength);
            return text[0] != '\0';
        case kVst2GetInputProperties:
            return PinProperties(index, true, static_cast<Vst2PinProperties*>(ptr));
        case kVst2GetOutputProperties:
            return PinProperties(index, false, static_cast<Vst2PinProperties*>(ptr));
        case kVst2GetPlugCategory:
            return IsInstrument() ? 2 : 1;
        case kVst2SetSpeakerArrangement:
            SetSpeakerArrangements(reinterpret_cast<const Vst2SpeakerArrangement*>(value),
                                   static_cast<const Vst2SpeakerArrangement*>(ptr));
            return 1;
        case kVst2GetEffectName:
            return CopyNameToHost(text, EffectName(), kVst2EffectNameLength);
        case kVst2GetVendorString:
            return CopyNameToHost(text, MakerName(), kVst2VendorTextLength);
        case kVst2GetProductString:
            return CopyNameToHost(text, ProductName(), kVst2ProductTextLength);
        case kVst2VendorSpecific:
            return VendorSpecific(index, value, ptr, opt);
        case kVst2CanDo:
            return CanDo(text);
        case kVst2GetVstVersion:
            return 2400;
        case kVst2GetMidiKeyName: {
            Vst2KeyName* key = static_cast<Vst2KeyName*>(ptr);
            if (!key) return 0;
            char name[kHostTextSize] = {};
            const bool named = KeyNameForNote(key->keyNumber, name);
            name[kHostTextSize - 1] = '\0';
            CopyToHost(key->keyName, name, kVst2KeyNameLength);
            return named;
        }
        case kVst2GetSpeakerArrangement:
            if (value) *reinterpret_cast<Vst2SpeakerArrangement**>(value) = &mInputArrangement;
            if (ptr) *static_cast<Vst2SpeakerArrangement**>(ptr) = &mOutputArrangement;
            return 1;
        default:
            return 0;
    }
}

intptr_t IUnitVST::GetChunk(int32_t index, void* ptr)
{
    const bool bank = index == 0;
    IStateChunk* chunk = bank ? &mBankChunk : &mProgramChunk;
    bool written = WriteChunkVersionHeader(chunk);
    if (bank) {
        ModifyCurrentPreset(nullptr);
        written = written && SerializePresets(chunk);
    } else {
        written = written && WriteState(chunk);
    }
    if (!written || chunk->Size() == 0) return 0;
    *static_cast<const void**>(ptr) = chunk->Data();
    return chunk->Size();
}

intptr_t IUnitVST::SetChunk(int32_t index, intptr_t value, const void* ptr)
{
    const bool bank = index == 0;
    int size = 0;
    if (!FitsInt(value, &size) || size < 0) return 0;
    // Read from a copy, as the host may hand back our own buffer.
    IStateChunk bytes;
    if (bytes.PutBytes(ptr, size) != size) return 0;
    int position = 0;
    const int version = ReadChunkVersionHeader(&bytes, &position);
    if (version > 0xFFFF && bank) {
        position = UnserializePresets(&bytes, position);
    } else {
        position = ReadState(&bytes, position);
        if (position >= 0) ModifyCurrentPreset(nullptr);
    }
    if (position < 0) return 0;
    PushParametersToEditor();
    return 1;
}

intptr_t IUnitVST::ProcessEvents(const Vst2EventList* events)
{
    if (!events) return 0;
    for (int i = 0; i < events->count; ++i) {
        const Vst2Event* event = events->events[i];
        if (!event) continue;
        if (event->type == kVst2MidiType) {
            const Vst2MidiEvent* midi = reinterpret_cast<const Vst2MidiEvent*>(event);
            IMidiEvent message = {};
            message.offset = midi->deltaFrames;
            message.status = uint8_t(midi->midiData[0]);
            message.data1 = uint8_t(midi->midiData[1]);
            message.data2 = uint8_t(midi->midiData[2]);
            ReceiveMidiMessage(&message);
        } else if (event->type == kVst2SysExType) {
            const Vst2SysExEvent* sysex = reinterpret_cast<const Vst2SysExEvent*>(event);
            if (sysex->dumpBytes < 0 || (!sysex->dump && sysex->dumpBytes > 0)) continue;
            ISysExEvent message = {};
            message.offset = sysex->deltaFrames;
            message.size = sysex->dumpBytes;
            message.data = reinterpret_cast<const uint8_t*>(sysex->dump);
            ReceiveSysEx(&message);
        }
    }
    return 1;
}

intptr_t IUnitVST::TextToParameter(int32_t index, const char* text)
{
    IParameter* param = ParameterAt(index);
    if (!param) return 0;
    if (!text) return 1;
    double value = 0.0;
    if (param->ValueTextCount() > 0) {
        int entry = 0;
        if (!param->ValueForText(text, &entry)) return 0;
        value = entry;
    } else if (!param->ValueForNumberText(text, &value)) {
        return 0;
    }
    double minimum = 0.0, maximum = 0.0;
    param->RangeLimits(&minimum, &maximum);
    value = std::max(minimum, std::min(maximum, value));
    if (IUnitEditor* editor = AttachedEditor()) editor->ApplyParameterFromCore(index, value, false);
    param->Set(value);
    ParameterChanged(index);
    return 1;
}

intptr_t IUnitVST::PinProperties(int32_t index, bool input, Vst2PinProperties* pin)
{
    const int count = input ? InputCount() : OutputCount();
    if (!pin || index < 0 || index >= count) return 0;
    pin->flags = kVst2PinActive;
    if (index % 2 == 0 && index < count - 1) pin->flags |= kVst2PinStereo;
    const IAudioChannel* channel = input ? static_cast<const IAudioChannel*>(InputAt(index))
                                         : static_cast<const IAudioChannel*>(OutputAt(index));
    const char* label = channel->label.Get();
    char fallback[32];
    if (!label || !*label) {
        std::snprintf(fallback, sizeof fallback, input ? "Input %d" : "Output %d", index + 1);
        label = fallback;
    }
    CopyToHost(pin->label, label, kVst2PinLabelLength);
    return 1;
}

intptr_t IUnitVST::VendorSpecific(int32_t index, intptr_t value, void* ptr, float opt)
{
    int p = 0;
    const IParameter* param = FitsInt(value, &p) ? ParameterAt(p) : nullptr;
    if (!param) return 0;
    if (index == 7 && ptr) {
        char display[IParameter::kTextSize];
        param->FormatValue(ClampNormalized(opt), true, display, true);
        CopyToHost(ptr, display, kVst2ParameterTextLength);
        return kVendorAnswer;
    }
    if (index == 8 && param->Kind() != IParameterKind::Double) return kVendorAnswer;
    return 0;
}

intptr_t IUnitVST::CanDo(const char* text)
{
    if (!text) return 0;
    char asked[kHostTextSize];
    CopyFromHost(asked, kHostTextSize, text);
    LogTracePoint("VSTDispatcher", __LINE__, "VSTCanDo(%s)", asked);
    if (!std::strcmp(asked, "receiveVstTimeInfo")) return 1;
    static const char* const kMidiAbilities[] = {"sendVstEvents", "sendVstMidiEvent",
                                                 "receiveVstEvents", "receiveVstMidiEvent"};
    if (DoesMidi()) {
        for (const char* ability : kMidiAbilities)
            if (!std::strcmp(asked, ability)) return 1;
    }
    if (!std::strcmp(asked, "hasVendorExtensions")) {
        mHostExtensionFlags |= 1;
        return kVendorCanDo;
    }
    if (!std::strcmp(asked, "hasVendorViewAsConfig")) {
        mHostExtensionFlags |= 2;
        return kVendorCanDo;
    }
    return 0;
}

void IUnitVST::SetSpeakerArrangements(const Vst2SpeakerArrangement* in,
                                      const Vst2SpeakerArrangement* out)
{
    if (in) {
        const int n = std::max(0, std::min<int>(in->channelCount, InputCount()));
        ConnectInputs(0, n, true);
        ConnectInputs(n, InputCount() - n, false);
    }
    if (out) {
        const int m = std::max(0, std::min<int>(out->channelCount, OutputCount()));
        ConnectOutputs(0, m, true);
        ConnectOutputs(m, OutputCount() - m, false);
    }
}
