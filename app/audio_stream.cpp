#include "app/audio_stream.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

#include "app/audio_api.h"
#include "app/audio_blocks.h"
#include "app/audio_stream_request.h"
#include "app/audio_stream_watch.h"
#include "app/settings.h"
#include "app/settings_compare.h"
#include "core/debug_text.h"
#include "core/unit_standalone.h"

unsigned IoVectorSize = 512;
int SignalVectorSize = 32;

namespace {

IUnitStandalone* gPlug = nullptr;
AudioCallbackState gCallbackState;

// Written by the callback, read by the UI thread.
std::atomic<uint64_t> gFramesReceived{0};
std::atomic<uint32_t> gUnderflows{0};
uint32_t gUnderflowsPrinted = 0;
AudioStreamWatch gWatch;
// Set by a start that failed and by a stream found delivering nothing.
bool gRenewDevices = false;
// Set while a stream that delivered nothing is opened again.
bool gReopening = false;
// Errors the audio library reported through AudioLibraryError, and their
// count when the running stream started.
std::atomic<uint32_t> gLibraryErrors{0};
uint32_t gLibraryErrorsAtStart = 0;
// Why the last start was refused its request, until the user is told.
std::string gRefusal;

std::string DeviceNameOrBlank(unsigned index)
{
    const AudioDeviceLists& devices = AudioDevices();
    return index < devices.names.size() ? devices.names[index] : std::string();
}

// On standard error as the audio library prints its errors.
bool ReportStartFailure(const char* reason)
{
    fprintf(stderr, "\n%s\n\n", reason);
    WriteDebugLine("could not start the audio stream: %s\n", reason);
    gRenewDevices = true;
    return false;
}

// The stream's error callback, on whichever thread the library met the
// error (its callback thread, or ours in a call). Given it, the library
// stops the stream on an error and calls this instead of throwing.
void AudioLibraryError(RtAudioError::Type type, const std::string& text)
{
    fprintf(stderr, "\n%s\n\n", text.c_str());
    if (type != RtAudioError::WARNING) gLibraryErrors.fetch_add(1);
}

bool PreparePlugIn(unsigned sampleRate)
{
    if (!gPlug) return true;
    gPlug->ChangeBlockSize(SignalVectorSize);
    gPlug->ChangeSampleRate(double(sampleRate));
    return gPlug->ResetDspState();
}

// After a failed start or a stream that stopped delivering, devices may
// have gone or come back: they are looked up anew before the next start.
void RenewDevicesAfterFailure()
{
    if (!gRenewDevices && !gWatch.Failed()) return;
    CreateAudioApi();
    ProbeAudioDevices();
}

// A stream that never delivered is opened again, anew, once before the user
// is told: one that sticks in its devices' start may run when opened again.
bool ReopenSilentStream()
{
    // Not with audio settings edited in the preferences and not yet applied.
    if (!CurrentSettings || !RunningSettings ||
        !SameAudioSettings(*CurrentSettings, *RunningSettings))
        return false;
    WriteDebugLine("the audio stream delivers no sound: it is opened again\n");
    gReopening = true;
    const bool started = StartAudioFromSettings();
    gReopening = false;
    return started;
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
    gWatch.Ended();
    gRefusal.clear();
    // The thread of a stream given up may still call into the plug-in, which
    // a start would reconfigure.
    CloseAudioApiStream();
    if (AudioApiWasAbandoned())
        return ReportStartFailure("an earlier stream did not end: restart Velvane to use audio");
    RtAudio* audio = AudioApi();
    if (!audio) return ReportStartFailure("there is no audio API");

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
    if (!PreparePlugIn(sampleRate))
        return ReportStartFailure("the plug-in could not prepare its processing");

    const AudioStreamRequest request{inputDevice, outputDevice, sampleRate, ioVectorSize,
                                     channels,    firstInput,   firstOutput};
    if (const char* problem = AudioStreamRequestProblem(request)) {
        gRefusal = problem;
        return ReportStartFailure(problem);
    }
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    options.numberOfBuffers = 0;
    options.streamName = "";
    options.priority = 0;
    gLibraryErrorsAtStart = gLibraryErrors.load();
    try {
        audio->openStream(&output, &input, RTAUDIO_FLOAT64, sampleRate, &IoVectorSize,
                          AudioCallback, nullptr, &options, AudioLibraryError);
        audio->startStream();
    } catch (const RtAudioError& error) {
        CloseAudioApiStream();
        return ReportStartFailure(error.getMessage().c_str());
    }
    // Once open, the library reports through AudioLibraryError.
    if (!audio->isStreamRunning()) {
        CloseAudioApiStream();
        return ReportStartFailure("the audio library could not start the stream");
    }
    gWatch.Started(GetTickCount64(), sampleRate, IoVectorSize, gFramesReceived.load(), !gReopening);
    gRenewDevices = false;
    if (CurrentSettings && RunningSettings) *RunningSettings = *CurrentSettings;
    return true;
}

bool StartAudioFromSettings()
{
    RenewDevicesAfterFailure();
    AudioStreamRequest request;
    if (!CurrentSettings || !AudioStreamRequestFromSettings(*CurrentSettings, AudioDevices(),
                                                            AudioApiIsAsio(), &request))
        return false;
    return StartAudioStream(request.inputDevice, request.outputDevice, request.sampleRate,
                            request.ioVectorSize, request.channels, request.firstInput,
                            request.firstOutput);
}

int AudioCallback(void* outputBuffer, void* inputBuffer, unsigned nFrames, double,
                  RtAudioStreamStatus status, void*)
{
    if (status) gUnderflows.fetch_add(1, std::memory_order_relaxed);
    gFramesReceived.fetch_add(nFrames, std::memory_order_relaxed);
    const bool monoInput = CurrentSettings && CurrentSettings->monoInput != 0;
    ProcessAudioBuffer(gCallbackState, static_cast<double*>(outputBuffer),
                       static_cast<double*>(inputBuffer), nFrames, SignalVectorSize, monoInput,
                       gPlug);
    return 0;
}

bool IsAudioStreamRunning()
{
    return AudioApi() && AudioApi()->isStreamRunning() && !gWatch.Failed();
}

void PrintAudioUnderflows()
{
    const uint32_t counted = gUnderflows.load(std::memory_order_relaxed);
    if (counted == gUnderflowsPrinted) return;
    gUnderflowsPrinted = counted;
    printf("Stream underflow detected!\n");
    fflush(stdout);
}

std::string TakeAudioStreamTrouble()
{
    if (!gRefusal.empty()) {
        const std::string refusal = std::move(gRefusal);
        gRefusal.clear();
        return "The audio stream was not started: " + refusal +
               ". Choose other settings in File, Preferences...";
    }
    // Closed by another way (a new audio API): nothing to watch. A stream
    // that is open but stopped was stopped by the library on an error.
    if (!AudioApi() || !AudioApi()->isStreamOpen()) gWatch.Ended();
    const AudioStreamTrouble trouble =
        gLibraryErrors.load() != gLibraryErrorsAtStart
            ? gWatch.LibraryStopped()
            : gWatch.Check(GetTickCount64(), gFramesReceived.load(std::memory_order_relaxed));
    switch (trouble) {
        case AudioStreamTrouble::Reopen:
            if (ReopenSilentStream()) return std::string();
            [[fallthrough]];
        case AudioStreamTrouble::NoSound:
            return "The audio stream delivers no sound. Choose other devices or settings in "
                   "File, Preferences...";
        case AudioStreamTrouble::Stopped:
            return "The audio stream has stopped delivering sound: its device or the sound "
                   "server may be gone. When it is back, press OK in File, Preferences... to "
                   "open it again; if the sound does not return, restart Velvane.";
        case AudioStreamTrouble::TooSlow:
            return "The audio stream delivers only " + std::to_string(gWatch.DeliveredPercent()) +
                   "% of the sound in time: an I/O vector size of " + std::to_string(IoVectorSize) +
                   " is too small for the device. Choose a larger one in File, Preferences...";
        default:
            return std::string();
    }
}
