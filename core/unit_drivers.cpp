#include "core/unit_base.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

double* ScratchOf(const IAudioChannel* channel)
{
    return static_cast<double*>(channel->scratch.Data());
}

// True when the channel's data slot points into a host buffer rather than at
// its own scratch block.
bool UsesHostBuffer(const IAudioChannel* channel)
{
    return *channel->dataSlot && *channel->dataSlot != ScratchOf(channel);
}

// The scratch block, emptied: what a channel the host left without a buffer
// reads.
double* SilentScratchOf(IAudioChannel* channel)
{
    channel->scratch.Zero();
    return ScratchOf(channel);
}

template <class Visit>
void ForEachChannel(const IUnitBase& unit, Visit visit)
{
    for (int i = 0; i < unit.InputCount(); ++i) visit(unit.InputAt(i));
    for (int i = 0; i < unit.OutputCount(); ++i) visit(unit.OutputAt(i));
}

void ConvertToDouble(const float* source, double* destination, int frames)
{
    for (int i = 0; i < frames; ++i) destination[i] = double(source[i]);
}

// Moves every slot that points into a host buffer on by step frames.
void StepHostSlots(const IUnitBase& unit, int step)
{
    ForEachChannel(unit, [step](IAudioChannel* channel) {
        if (UsesHostBuffer(channel)) *channel->dataSlot += step;
    });
}

// Fills the scratch block of every connected float-fed input with frames
// samples of its host buffer, from offset on.
void FeedFloatInputs(const IUnitBase& unit, int offset, int frames)
{
    for (int i = 0; i < unit.InputCount(); ++i) {
        const IAudioInput* input = unit.InputAt(i);
        if (input->connected && input->floatSource && *input->dataSlot == ScratchOf(input))
            ConvertToDouble(input->floatSource + offset, ScratchOf(input), frames);
    }
}

// Converts frames samples of every connected output's data slot into its
// float destination from offset on, replacing or adding.
void DeliverToFloat(const IUnitBase& unit, int offset, int frames, bool adding)
{
    for (int i = 0; i < unit.OutputCount(); ++i) {
        const IAudioOutput* output = unit.OutputAt(i);
        const double* source = *output->dataSlot;
        if (!output->connected || !output->floatDestination || !source) continue;
        float* destination = output->floatDestination + offset;
        if (adding)
            for (int j = 0; j < frames; ++j) destination[j] += float(source[j]);
        else
            for (int j = 0; j < frames; ++j) destination[j] = float(source[j]);
    }
}

// Without a block size nothing is processed: connected outputs get silence,
// which the adding path adds by leaving its destinations alone.
void SilenceOutputs(const IUnitBase& unit, int frames, bool replaceFloat)
{
    for (int i = 0; i < unit.OutputCount(); ++i) {
        const IAudioOutput* output = unit.OutputAt(i);
        if (!output->connected) continue;
        if (UsesHostBuffer(output)) std::fill(*output->dataSlot, *output->dataSlot + frames, 0.0);
        if (replaceFloat && output->floatDestination)
            std::fill(output->floatDestination, output->floatDestination + frames, 0.0f);
    }
}

// Gives the line frames of delay, zeroed; false (and the line as it was) when
// its buffer cannot take channels x frames doubles.
bool SizeDelayLine(ILatencyDelayLine* line, int frames)
{
    const int64_t bytes = int64_t(line->channels) * frames * int64_t(sizeof(double));
    if (bytes > INT_MAX || !line->buffer.Resize(int(bytes), true)) return false;
    line->length = frames;
    line->writePosition = 0;
    line->buffer.Zero();
    return true;
}

// Puts a copy of text (null reads as "") at index of list in place of the
// entry there, or at the end when the list is shorter.
void ReplaceTextEntry(PointerList<TextBuffer>& list, int index, const char* text)
{
    TextBuffer* entry = new TextBuffer;
    if (!entry->Assign(text)) {
        delete entry;
        return;
    }
    list.RemoveAt(index, true);
    if (!list.InsertAt(index, entry)) delete entry;
}

void LabelChannel(IAudioChannel* channel, const char* text)
{
    if (channel) channel->label.Assign(text);
}

}  // namespace

template <class Channel, class Take>
void IUnitBase::AttachChannels(PointerList<Channel>& list, int first, int count, Take take)
{
    int begin, end;
    ClipRange(first, count, list.Count(), &begin, &end);
    int next = 0;
    for (int i = begin; i < end; ++i) {
        Channel* channel = list.ItemAt(i);
        if (channel->connected) take(channel, next++);
    }
}

void IUnitBase::AttachInputs(int first, int count, double** data)
{
    AttachChannels(mInputs, first, count, [data](IAudioInput* input, int next) {
        *input->dataSlot = data[next] ? data[next] : SilentScratchOf(input);
        input->floatSource = nullptr;
    });
}

void IUnitBase::AttachInputsFromFloat(int first, int count, float** data, int frames)
{
    const int converted = std::clamp(frames, 0, mBlockSize);
    AttachChannels(mInputs, first, count, [data, converted](IAudioInput* input, int next) {
        input->floatSource = data[next];
        if (!data[next]) {
            *input->dataSlot = SilentScratchOf(input);
            return;
        }
        *input->dataSlot = ScratchOf(input);
        ConvertToDouble(data[next], ScratchOf(input), converted);
    });
}

void IUnitBase::AttachOutputs(int first, int count, double** data)
{
    // An output without a host buffer renders into its scratch block.
    AttachChannels(mOutputs, first, count, [data](IAudioOutput* output, int next) {
        *output->dataSlot = data[next] ? data[next] : ScratchOf(output);
        output->floatDestination = nullptr;
    });
}

void IUnitBase::AttachOutputsToFloat(int first, int count, float** data)
{
    AttachChannels(mOutputs, first, count, [data](IAudioOutput* output, int next) {
        *output->dataSlot = ScratchOf(output);
        output->floatDestination = data[next];
    });
}

// A call longer than the block size runs in sub-blocks of at most the block
// size: each sub-block refills the float-fed scratch blocks from their start,
// and the slots pointing into host buffers move along with it and are put
// back afterwards.
void IUnitBase::RunAttached(int frames, bool passThrough, FloatDelivery delivery)
{
    if (frames <= 0) return;
    if (mBlockSize <= 0) {
        SilenceOutputs(*this, frames, delivery == kReplaceFloat);
        return;
    }
    double** inputs = static_cast<double**>(mInputData.Data());
    double** outputs = static_cast<double**>(mOutputData.Data());
    const bool split = frames > mBlockSize;
    for (int offset = 0, n = 0; offset < frames; offset += n) {
        n = std::min(mBlockSize, frames - offset);
        if (split) FeedFloatInputs(*this, offset, n);
        if (passThrough)
            PassThroughBlock(n);
        else
            ProcessDoubleBlock(inputs, outputs, n);
        if (delivery != kNoFloat) DeliverToFloat(*this, offset, n, delivery == kAddFloat);
        if (split) StepHostSlots(*this, n);
    }
    if (split) StepHostSlots(*this, -frames);
}

void IUnitBase::ProcessAttached(int frames)
{
    RunAttached(frames, false, kNoFloat);
}

void IUnitBase::ProcessAttachedToFloat(int frames)
{
    RunAttached(frames, false, kReplaceFloat);
}

void IUnitBase::ProcessAttachedAddToFloat(int frames)
{
    RunAttached(frames, false, kAddFloat);
}

void IUnitBase::PassThroughDelayed(int frames)
{
    RunAttached(frames, true, kNoFloat);
}

void IUnitBase::PassThroughDelayedToFloat(int frames)
{
    RunAttached(frames, true, kReplaceFloat);
}

void IUnitBase::PassThroughBlock(int frames)
{
    double** inputs = static_cast<double**>(mInputData.Data());
    double** outputs = static_cast<double**>(mOutputData.Data());
    ILatencyDelayLine* line = mLatencyLine;
    if (!line || line->length <= 0) {
        IUnitBase::ProcessDoubleBlock(inputs, outputs, frames);
        return;
    }
    const int length = line->length;
    const int passed = std::min({line->passingChannels, InputCount(), OutputCount()});
    for (int j = 0; j < passed; ++j) {
        double* ring = static_cast<double*>(line->buffer.Data()) + j * length;
        const double* in = inputs[j];
        double* out = outputs[j];
        for (int i = 0, position = line->writePosition; i < frames; ++i) {
            const double sample = in[i];  // before the write: in and out may be one buffer
            out[i] = ring[position];
            ring[position] = sample;
            if (++position == length) position = 0;
        }
    }
    line->writePosition = int((int64_t(line->writePosition) + frames) % length);
    for (int j = passed; j < OutputCount(); ++j) std::fill(outputs[j], outputs[j] + frames, 0.0);
}

void IUnitBase::ClearScratchBuffers()
{
    ForEachChannel(*this, [](IAudioChannel* channel) { channel->scratch.Zero(); });
}

bool IUnitBase::MakeLatencyDelayLine(int channels, int passingChannels)
{
    ILatencyDelayLine* line = new ILatencyDelayLine;
    line->channels = std::max(channels, 0);
    line->passingChannels = std::clamp(passingChannels, 0, line->channels);
    if (!SizeDelayLine(line, std::max(mLatency, 0))) {
        delete line;
        return false;
    }
    delete mLatencyLine;
    mLatencyLine = line;
    return true;
}

// Negative frames count as 0. When the delay line cannot take the new length,
// the line and the latency stay as they were.
void IUnitBase::ChangeLatency(int frames)
{
    frames = std::max(frames, 0);
    if (mLatencyLine && !SizeDelayLine(mLatencyLine, frames)) return;
    mLatency = frames;
}

void IUnitBase::LabelInput(int index, const char* text)
{
    LabelChannel(InputAt(index), text);
}

void IUnitBase::LabelOutput(int index, const char* text)
{
    LabelChannel(OutputAt(index), text);
}

void IUnitBase::SetTextListEntry(int index, const char* text)
{
    if (index >= 0) ReplaceTextEntry(mTexts, index, text);
}

void IUnitBase::SetTextPairEntry(int index, const char* text)
{
    if (index == 0 || index == 1) ReplaceTextEntry(mTextPairs, index, text);
}
