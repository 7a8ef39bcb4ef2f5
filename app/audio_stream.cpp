#include "app/audio_stream.h"

#include <cstdio>
#include <string>

#include "app/audio_api.h"
#include "app/audio_blocks.h"
#include "app/audio_stream_request.h"
#include "app/settings.h"
#include "core/debug_text.h"
#include "core/unit_standalone.h"

unsigned IoVectorSize = 512;
int SignalVectorSize = 32;

namespace {

IUnitStandalone* gPlug = nullptr;
AudioCallbackState gCallbackState;

std::string DeviceNameOrBlank(unsigned index)
{
    const AudioDeviceLists& devices = AudioDevices();
    return index < devices.names.size() ? devices.names[index] : std::string();
}

bool ReportStartFailure(const char* reason)
{
    fprintf(stderr, "\n%s\n\n", reason);
    WriteDebugLine("could not start the audio stream: %s\n", reason);
    return false;
}

void EndCurrentStream(RtAudio* audio)
{
    if (!audio->isStreamOpen()) return;
    if (audio->isStreamRunning()) {
        try {
            audio->abortStream();
        } catch (const RtAudioError& error) {
            error.printMessage();
        }
    }
    audio->closeStream();
}

void PreparePlugIn(unsigned sampleRate)
{
    if (!gPlug) return;
    gPlug->ChangeBlockSize(SignalVectorSize);
    gPlug->ChangeSampleRate(double(sampleRate));
    gPlug->ResetDspState();
}

}  // namespace

void AttachAudioPlugIn(IUnitStandalone* plug)
{
    gPlug = plug;
}

bool StartAudioStream(unsigned inputDevice, unsigned outputDevice, unsigned sampleRate,
                      unsigned ioVectorSize, unsigned channels, unsigned firstInput,
                      unsigned firstOutput)
{
    RtAudio* audio = AudioApi();
    if (!audio) return ReportStartFailure("there is no audio API");
    EndCurrentStream(audio);

    RtAudio::StreamParameters output{outputDevice, channels, firstOutput};
    RtAudio::StreamParameters input{inputDevice, channels, firstInput};
    IoVectorSize = ioVectorSize;
    SignalVectorSize =
        SignalVectorSizeFromText(CurrentSettings ? CurrentSettings->signalVectorSize : "");
    WriteDebugLine(
        "\ntrying to start audio stream @ %i sr, %i iovs, %i sigvs\n"
        "indev = %i:%s\noutdev = %i:%s\n",
        int(sampleRate), int(ioVectorSize), SignalVectorSize, int(inputDevice),
        DeviceNameOrBlank(inputDevice).c_str(), int(outputDevice),
        DeviceNameOrBlank(outputDevice).c_str());
    gCallbackState = AudioCallbackState();
    PreparePlugIn(sampleRate);

    const AudioStreamRequest request{inputDevice, outputDevice, sampleRate, ioVectorSize,
                                     channels,    firstInput,   firstOutput};
    if (const char* problem = AudioStreamRequestProblem(request))
        return ReportStartFailure(problem);
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    options.numberOfBuffers = 0;
    options.streamName = "";
    options.priority = 0;
    try {
        audio->openStream(&output, &input, RTAUDIO_FLOAT64, sampleRate, &IoVectorSize,
                          AudioCallback, nullptr, &options);
        audio->startStream();
    } catch (const RtAudioError& error) {
        error.printMessage();
        WriteDebugLine("could not start the audio stream: %s\n", error.getMessage().c_str());
        if (audio->isStreamOpen()) audio->closeStream();
        return false;
    }
    if (CurrentSettings && RunningSettings) *RunningSettings = *CurrentSettings;
    return true;
}

bool StartAudioFromSettings()
{
    AudioStreamRequest request;
    if (!CurrentSettings ||
        !AudioStreamRequestFromSettings(*CurrentSettings, AudioDevices(), &request))
        return false;
    return StartAudioStream(request.inputDevice, request.outputDevice, request.sampleRate,
                            request.ioVectorSize, request.channels, request.firstInput,
                            request.firstOutput);
}

int AudioCallback(void* outputBuffer, void* inputBuffer, unsigned nFrames, double,
                  RtAudioStreamStatus status, void*)
{
    if (status) {
        printf("Stream underflow detected!\n");
        fflush(stdout);
    }
    const bool monoInput = CurrentSettings && CurrentSettings->monoInput != 0;
    ProcessAudioBuffer(gCallbackState, static_cast<double*>(outputBuffer),
                       static_cast<double*>(inputBuffer), nFrames, SignalVectorSize, monoInput,
                       gPlug);
    return 0;
}

bool IsAudioStreamRunning()
{
    return AudioApi() && AudioApi()->isStreamRunning();
}

void StopAudioStream()
{
    if (!AudioApi()) return;
    try {
        AudioApi()->stopStream();
    } catch (const RtAudioError& error) {
        error.printMessage();
    }
}

void CloseAudioStream()
{
    if (AudioApi() && AudioApi()->isStreamOpen()) AudioApi()->closeStream();
}
