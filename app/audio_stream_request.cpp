#include "app/audio_stream_request.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// atoi's reading of a decimal text, kept to the range of int on every
// platform (atoi itself leaves out-of-range values undefined).
int DecimalInt(const char* text)
{
    return int(std::clamp<long>(strtol(text, nullptr, 10), INT_MIN, INT_MAX));
}

}  // namespace

bool AudioStreamRequestFromSettings(const AudioMidiSettings& settings,
                                    const AudioDeviceLists& devices, bool oneDeviceBothWays,
                                    AudioStreamRequest* request)
{
    const int input =
        devices.Find(oneDeviceBothWays ? settings.outputDevice : settings.inputDevice);
    const int output = devices.Find(settings.outputDevice);
    if (input < 0 || output < 0) return false;
    *request = {unsigned(input),
                unsigned(output),
                unsigned(DecimalInt(settings.sampleRate)),
                unsigned(DecimalInt(settings.ioVectorSize)),
                2,
                unsigned(settings.input1) - 1u,
                unsigned(settings.output1) - 1u};
    return true;
}

const char* AudioStreamRequestProblem(const AudioStreamRequest& request)
{
    if (request.channels != 2) return "the stream needs two channels each way";
    const unsigned lastFirst = UINT_MAX - request.channels;
    if (request.firstInput > lastFirst) return "the input channels are out of range";
    if (request.firstOutput > lastFirst) return "the output channels are out of range";
    if (request.sampleRate < kMinSampleRate || request.sampleRate > kMaxSampleRate)
        return "the sample rate is out of range";
    if (request.ioVectorSize < kMinIoVectorSize) return "the I/O vector size is too small";
    if (request.ioVectorSize > kMaxAudioVectorSize) return "the I/O vector size is too large";
    return nullptr;
}

int SignalVectorSizeFromText(const char* text)
{
    return std::clamp(DecimalInt(text), 1, int(kMaxAudioVectorSize));
}
