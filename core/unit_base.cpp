#include "core/unit_base.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/debug_text.h"
#include "core/midi_event.h"

namespace {

void CopyName(char (&field)[128], const char* text)
{
    std::snprintf(field, sizeof field, "%s", text ? text : "");
}

// Reads a signed decimal number the way "%d" does; 0 when none is there.
const char* ReadCount(const char* p, int* value)
{
    char* end = nullptr;
    const long n = std::strtol(p, &end, 10);
    if (end == p) return nullptr;
    *value = int(std::max<long>(INT_MIN, std::min<long>(INT_MAX, n)));
    return end;
}

// One word "inputs-outputs"; a part that does not parse stays 0.
IChannelConfig ParseChannelWord(const char* word)
{
    IChannelConfig config = {0, 0};
    int inputs = 0, outputs = 0;
    const char* p = ReadCount(word, &inputs);
    if (p) {
        config.inputs = inputs;
        if (*p == '-' && ReadCount(p + 1, &outputs)) config.outputs = outputs;
    }
    return config;
}

}  // namespace

void IUnitBase::ClipRange(int first, int count, int size, int* begin, int* end)
{
    *begin = std::max(first, 0);
    *end = int(std::min<int64_t>(int64_t(first) + count, size));
}

void VersionParts(int version, int* major, int* minor, int* revision)
{
    const uint32_t v = uint32_t(version);
    *major = int(v >> 16);
    *minor = int((v >> 8) & 0xFF);
    *revision = int(v & 0xFF);
}

int VersionToDecimal(int version)
{
    int major, minor, revision;
    VersionParts(version, &major, &minor, &revision);
    return major * 10000 + minor * 100 + revision;
}

void FormatVersion(int version, char* out)
{
    int major, minor, revision;
    VersionParts(version, &major, &minor, &revision);
    std::snprintf(out, 20, "v%d.%d.%d", major, minor, revision);
}

IUnitBase::IUnitBase(int nParams, const char* channelIO, int nPresets, const char* effectName,
                     const char* productName, const char* makerName, int version, int uniqueId,
                     int makerId, int latency, bool doesMidi, bool doesChunks, bool isInstrument,
                     int bindingKind)
    : mUniqueId(uniqueId),
      mMakerId(makerId),
      mVersion(version),
      mBindingKind(bindingKind),
      mDoesChunks(doesChunks),
      mIsInstrument(isInstrument),
      mDoesMidi(doesMidi),
      mLatency(latency)
{
    LogTracePoint("IUnitBase", __LINE__, "%s:%s", effectName, LocalTimestampText());
    mPresetFolder.Assign("");

    for (int i = 0; i < nParams; ++i) {
        IParameter* param = new IParameter;
        if (!mParams.Add(param)) delete param;
    }
    for (int i = 0; i < nPresets; ++i) {
        IPresetSlot* slot = new IPresetSlot;
        if (!mPresets.Add(slot)) delete slot;
    }

    CopyName(mEffectName, effectName);
    CopyName(mProductName, productName);
    CopyName(mMakerName, makerName);

    ParseChannelIO(channelIO);
    int maxInputs = 0, maxOutputs = 0;
    for (int i = 0; i < mChannelConfigs.Count(); ++i) {
        maxInputs = std::max<int>(maxInputs, mChannelConfigs.ItemAt(i)->inputs);
        maxOutputs = std::max<int>(maxOutputs, mChannelConfigs.ItemAt(i)->outputs);
    }
    CreateChannels(mInputs, mInputData, maxInputs);
    CreateChannels(mOutputs, mOutputData, maxOutputs);
}

void IUnitBase::ParseChannelIO(const char* channelIO)
{
    for (const char* word = channelIO; word;) {
        IChannelConfig* config = new IChannelConfig(ParseChannelWord(word));
        if (!mChannelConfigs.Add(config)) delete config;
        const char* blank = std::strchr(word, ' ');
        word = blank ? blank + 1 : nullptr;
    }
}

template <class Channel>
bool IUnitBase::CreateChannels(PointerList<Channel>& list, HeapBuffer& dataPointers, int count)
{
    const int64_t bytes = int64_t(count) * int64_t(sizeof(double*));
    if (count <= 0 || bytes > INT_MAX || !dataPointers.Resize(int(bytes), true)) return false;
    double** slots = static_cast<double**>(dataPointers.Data());
    std::fill(slots, slots + count, nullptr);
    for (int i = 0; i < count; ++i) {
        Channel* channel = new Channel;
        channel->dataSlot = &slots[i];
        if (!list.Add(channel)) {
            delete channel;
            return false;
        }
    }
    return true;
}

IUnitBase::~IUnitBase()
{
    delete mEditor;
    mEditor = nullptr;
    mParams.Clear(true);
    mPresets.Clear(true);
    mInputs.Clear(true);
    mOutputs.Clear(true);
    mChannelConfigs.Clear(true);
    mTextPairs.Clear(true);
    mTexts.Clear(true);
    delete mLatencyLine;
    mLatencyLine = nullptr;
    // The lists' storage, the plug-in lock and last the configuration list go
    // with the members, in the reverse of their declaration order.
}

bool IUnitBase::ResetDspState()
{
    LockGuard lock(&mLock);
    return true;
}

void IUnitBase::ParameterChanged(int)
{
    LockGuard lock(&mLock);
}

void IUnitBase::ActiveStateChanged(bool)
{
    LockGuard lock(&mLock);
}

void IUnitBase::ProcessDoubleBlock(double** inputs, double** outputs, int frames)
{
    const int n = InputCount(), m = OutputCount(), copied = std::min(n, m);
    if (frames <= 0) return;
    for (int i = 0; i < copied; ++i)
        std::memmove(outputs[i], inputs[i], size_t(frames) * sizeof(double));
    for (int i = copied; i < m; ++i) std::fill(outputs[i], outputs[i] + frames, 0.0);
}

void IUnitBase::ProcessFloatBlock(float** inputs, float** outputs, int frames)
{
    const int n = InputCount(), m = OutputCount(), copied = std::min(n, m);
    if (frames <= 0) return;
    for (int i = 0; i < copied; ++i)
        std::memmove(outputs[i], inputs[i], size_t(frames) * sizeof(float));
    for (int i = copied; i < m; ++i) std::fill(outputs[i], outputs[i] + frames, 0.0f);
}

void IUnitBase::ReceiveMidiMessage(const IMidiEvent* message)
{
    TransmitMidiMessage(message);
}

bool IUnitBase::TransmitMidiMessages(const HeapBuffer& events)
{
    const IMidiEvent* event = static_cast<const IMidiEvent*>(events.Data());
    const int count = event ? events.Size() / int(sizeof(IMidiEvent)) : 0;
    bool all = true;
    for (int i = 0; i < count; ++i) all = TransmitMidiMessage(&event[i]) && all;
    return all;
}

bool IUnitBase::KeyNameForNote(int, char* out)
{
    if (out) out[0] = '\0';
    return false;
}

bool IUnitBase::WriteState(IStateChunk* chunk)
{
    return SerializeParams(chunk);
}

int IUnitBase::ReadState(const IStateChunk* chunk, int position)
{
    return UnserializeParams(chunk, position);
}

bool IUnitBase::StateMatches(const double* values, int first)
{
    for (int i = 0; i < ParameterCount(); ++i) {
        const double difference = ParameterAt(i)->Value() - values[first + i];
        if (!(difference < 0.00001 && difference > -0.00001)) return false;
    }
    return true;
}

void IUnitBase::SetParameterFromGUI(int index, double normalized)
{
    LogTracePoint("SetParameterFromGUI", __LINE__, "%d:%f", index, normalized);
    IParameter* param = ParameterAt(index);
    if (!param) return;
    {
        LockGuard lock(&mLock);
        param->SetFromNormalized(normalized);
    }
    // The host hears of it without the lock: it may take a lock of its own
    // there, one its audio thread holds while it waits for ours.
    ReportParameterToHost(index, normalized);
    LockGuard lock(&mLock);
    ParameterChanged(index);
}

void IUnitBase::AttachEditor(IUnitEditor* editor)
{
    if (!editor) return;
    LockGuard lock(&mLock);
    for (int i = 0; i < ParameterCount(); ++i)
        editor->ApplyParameterFromCore(i, ParameterAt(i)->NormalizedValue(), true);
    editor->CreateSurfaces();
    mEditor = editor;
}

void IUnitBase::PushParametersToEditor()
{
    if (!mEditor) return;
    for (int i = 0; i < ParameterCount(); ++i)
        mEditor->ApplyParameterFromCore(i, ParameterAt(i)->Value(), false);
}

bool IUnitBase::SerializeParams(IStateChunk* chunk)
{
    LockGuard lock(&mLock);
    for (int i = 0; i < ParameterCount(); ++i) {
        const IParameter* param = ParameterAt(i);
        const double value = param->Value();
        LogTracePoint("SerializeParams", __LINE__, "%d %s %f", i, param->Name(), value);
        const int before = chunk->Size();
        if (chunk->Put(value) != before + int(sizeof value)) return false;
    }
    return true;
}

int IUnitBase::UnserializeParams(const IStateChunk* chunk, int position)
{
    LockGuard lock(&mLock);
    // The values take only when all of them are there.
    const int64_t bytes = int64_t(ParameterCount()) * int64_t(sizeof(double));
    if (position >= 0 && bytes > 0 && chunk->Size() - position < bytes) position = -1;
    for (int i = 0; i < ParameterCount() && position >= 0; ++i) {
        IParameter* param = ParameterAt(i);
        LogTracePoint("UnserializeParams", __LINE__, "%d %s %f", i, param->Name(), param->Value());
        double value = 0.0;
        position = chunk->Get(&value, position);
        param->Set(value);
    }
    for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
    return position;
}

// Each value is read under the lock and reported without it.
void IUnitBase::ReportAllParametersToHost()
{
    for (int i = 0; i < ParameterCount(); ++i) {
        double normalized = 0.0;
        {
            LockGuard lock(&mLock);
            normalized = ParameterAt(i)->NormalizedValue();
        }
        ReportParameterToHost(i, normalized);
    }
}

void IUnitBase::ReapplyAllParameters()
{
    for (int i = 0; i < ParameterCount(); ++i) ParameterChanged(i);
}

int IUnitBase::HostVersionNumber(bool decimal)
{
    HostId();
    return decimal ? VersionToDecimal(mHostVersion) : mHostVersion;
}

void IUnitBase::HostVersionText(char* out)
{
    HostId();
    FormatVersion(mHostVersion, out);
}

const char* IUnitBase::BindingKindName()
{
    static const char* const kNames[] = {"VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"};
    const int kind = BindingKind();
    return kind >= 0 && kind < int(sizeof kNames / sizeof kNames[0]) ? kNames[kind] : "";
}

bool IUnitBase::LegalIO(int inputs, int outputs) const
{
    bool legal = false;
    for (int i = 0; i < mChannelConfigs.Count() && !legal; ++i) {
        const IChannelConfig* config = mChannelConfigs.ItemAt(i);
        legal =
            (inputs < 0 || inputs == config->inputs) && (outputs < 0 || outputs == config->outputs);
    }
    LogTracePoint("LegalIO", __LINE__, "%d:%d:%s", inputs, outputs, legal ? "legal" : "illegal");
    return legal;
}

double IUnitBase::BeatLengthInSamples()
{
    const double tempo = HostTempo();
    return tempo > 0.0 ? mSampleRate * 60.0 / tempo : 0.0;
}

template <class Channel>
void IUnitBase::ConnectChannels(PointerList<Channel>& list, int first, int count, bool connected)
{
    int begin, end;
    ClipRange(first, count, list.Count(), &begin, &end);
    for (int i = begin; i < end; ++i) {
        Channel* channel = list.ItemAt(i);
        channel->connected = connected;
        if (connected) continue;
        // Silence: the scratch block may hold what a float input converted.
        channel->scratch.Zero();
        *channel->dataSlot = static_cast<double*>(channel->scratch.Data());
    }
}

void IUnitBase::ConnectInputs(int first, int count, bool connected)
{
    ConnectChannels(mInputs, first, count, connected);
}

void IUnitBase::ConnectOutputs(int first, int count, bool connected)
{
    ConnectChannels(mOutputs, first, count, connected);
}

void IUnitBase::AdjustChannelsBeyondStereo()
{
    if (InputCount() > 2) ConnectInputs(2, InputCount() - 2, false);
    if (OutputCount() > 2) ConnectOutputs(2, OutputCount() - 2, true);
}

bool IUnitBase::IsInputConnected(int index) const
{
    const IAudioInput* input = InputAt(index);
    return input && input->connected;
}

bool IUnitBase::IsOutputConnected(int index) const
{
    const IAudioOutput* output = OutputAt(index);
    return output && output->connected;
}

void IUnitBase::ChangeBlockSize(int frames)
{
    if (frames < 0 || frames == mBlockSize) return;
    const int64_t bytes64 = int64_t(frames) * int64_t(sizeof(double));
    if (bytes64 > INT_MAX) return;
    const int bytes = int(bytes64);

    const int count = InputCount() + OutputCount();
    auto channel = [this](int i) -> IAudioChannel* {
        return i < InputCount() ? static_cast<IAudioChannel*>(InputAt(i))
                                : static_cast<IAudioChannel*>(OutputAt(i - InputCount()));
    };

    // A disconnected channel reads its scratch block wherever growth moved it.
    auto follow = [](IAudioChannel* c) {
        if (!c->connected) *c->dataSlot = static_cast<double*>(c->scratch.Data());
    };

    // Grow every scratch block first; on a failure shrink back what grew, so
    // the old block size stays whole.
    for (int i = 0; i < count; ++i) {
        IAudioChannel* c = channel(i);
        if (c->scratch.Size() >= bytes) continue;
        if (c->scratch.Resize(bytes)) {
            follow(c);
            continue;
        }
        for (int j = 0; j < i; ++j) channel(j)->scratch.Resize(mBlockSize * int(sizeof(double)));
        return;
    }
    for (int i = 0; i < count; ++i) {
        IAudioChannel* c = channel(i);
        c->scratch.Resize(bytes, true);  // a shrink that cannot release keeps the larger block
        if (void* data = c->scratch.Data()) std::memset(data, 0, size_t(bytes));
        follow(c);
    }
    mBlockSize = frames;
}
