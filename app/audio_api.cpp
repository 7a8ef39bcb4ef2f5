#include "app/audio_api.h"

#include <RtAudio.h>

#include <chrono>
#include <cstdio>

#include "app/call_within.h"
#include "app/settings.h"
#include "core/debug_text.h"

namespace {

RtAudio* gAudio = nullptr;
AudioDeviceLists gDevices;
std::string gDriverNotice;
bool gAbandoned = false;

void NoteDriverFallback(RtAudio::Api wanted, RtAudio::Api got)
{
    gDriverNotice.clear();
    if (got == wanted) return;
    gDriverNotice = RtAudio::getApiDisplayName(wanted) + " is not available; using " +
                    RtAudio::getApiDisplayName(got) + " instead.";
    WriteDebugLine("%s\n", gDriverNotice.c_str());
    printf("%s\n", gDriverNotice.c_str());
    fflush(stdout);
}

void AbortAndClose(RtAudio* audio)
{
    try {
        if (audio->isStreamRunning()) audio->abortStream();
    } catch (const RtAudioError& error) {
        error.printMessage();
    }
    // A failed abort still leaves a stream to close.
    try {
        if (audio->isStreamOpen()) audio->closeStream();
    } catch (const RtAudioError& error) {
        error.printMessage();
    }
}

}  // namespace

RtAudio* AudioApi()
{
    return gAudio;
}

bool CreateAudioApi()
{
    DeleteAudioApi();
    const RtAudio::Api api = CurrentSettings && CurrentSettings->driver == 1 ? RtAudio::WINDOWS_ASIO
                                                                             : RtAudio::WINDOWS_DS;
    gAudio = new RtAudio(api);
    NoteDriverFallback(api, gAudio->getCurrentApi());
    return true;
}

void DeleteAudioApi()
{
    if (!CloseAudioApiStream()) return;
    delete gAudio;
    gAudio = nullptr;
}

bool CloseAudioApiStream()
{
    RtAudio* audio = gAudio;
    if (!audio || !audio->isStreamOpen()) return true;
    if (CallWithin([audio] { AbortAndClose(audio); }, std::chrono::milliseconds(kStreamEndBoundMs)))
        return true;
    WriteDebugLine("the audio stream did not end within %u ms; its audio API is given up\n",
                   kStreamEndBoundMs);
    printf("the audio stream did not end within %u ms\n", kStreamEndBoundMs);
    fflush(stdout);
    gAudio = nullptr;
    gAbandoned = true;
    return false;
}

bool AudioApiWasAbandoned()
{
    return gAbandoned;
}

bool AudioApiIsAsio()
{
    return gAudio && gAudio->getCurrentApi() == RtAudio::WINDOWS_ASIO;
}

const char* AudioDriverNotice()
{
    return gDriverNotice.empty() ? nullptr : gDriverNotice.c_str();
}

void ProbeAudioDevices()
{
    gDevices.Clear();
    if (!gAudio) return;
    const unsigned count = gAudio->getDeviceCount();
    for (unsigned i = 0; i < count; ++i) {
        RtAudio::DeviceInfo info;
        try {
            info = gAudio->getDeviceInfo(i);
        } catch (const RtAudioError& error) {
            // A device that vanished since the count: listed, not offered.
            error.printMessage();
            info.probed = false;
        }
        gDevices.AddDevice(info.name, info.probed, info.inputChannels, info.outputChannels);
    }
}

const AudioDeviceLists& AudioDevices()
{
    return gDevices;
}

std::string GetAudioDeviceName(unsigned index)
{
    return gDevices.names.at(index);
}

int FindAudioDeviceIndex(const char* name)
{
    return gDevices.Find(name);
}
