#include "app/audio_api.h"

#include <RtAudio.h>

#include <cstdio>

#include "app/settings.h"
#include "core/debug_text.h"

namespace {

RtAudio* gAudio = nullptr;
AudioDeviceLists gDevices;
std::string gDriverNotice;

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
    if (!gAudio) return;
    if (gAudio->isStreamOpen()) gAudio->closeStream();
    delete gAudio;
    gAudio = nullptr;
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
