#include "app/audio_midi_services.h"

#include "app/audio_api.h"
#include "app/audio_stream.h"
#include "app/midi_ports.h"
#include "app/settings_file.h"

namespace {

RtAudio::DeviceInfo DeviceInfoOf(unsigned index)
{
    RtAudio* audio = AudioApi();
    if (!audio || index >= audio->getDeviceCount()) return RtAudio::DeviceInfo{};
    try {
        return audio->getDeviceInfo(index);
    } catch (const RtAudioError& error) {
        error.printMessage();
        return RtAudio::DeviceInfo{};
    }
}

void RecreateAudioApi()
{
    CreateAudioApi();
    ProbeAudioDevices();
}

const AudioMidiServices kRealServices = {
    AudioDevices,
    DeviceInfoOf,
    RecreateAudioApi,
    AudioDriverNotice,
    AudioApiIsAsio,
    StartAudioFromSettings,
    IsAudioStreamRunning,
    MidiClientsExist,
    MidiInputPortList,
    MidiOutputPortList,
    OpenMidiInByName,
    OpenMidiOutByName,
    WriteSettingsFileQuietly,
};

}  // namespace

const AudioMidiServices& RealAudioMidiServices()
{
    return kRealServices;
}
