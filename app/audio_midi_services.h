#pragma once

#include <RtAudio.h>

#include <string>
#include <vector>

#include "app/audio_device_list.h"

// What the preferences dialog asks of the shell's audio and MIDI side. The
// program uses the real operations; tests put in their own devices and
// ports.
struct AudioMidiServices {
    const AudioDeviceLists& (*devices)();
    // Device information of a device index; no channels and no rates when
    // the device cannot be asked.
    RtAudio::DeviceInfo (*deviceInfo)(unsigned index);
    // A new audio API for CurrentSettings->driver, with its devices probed.
    void (*recreateAudioApi)();
    const char* (*driverNotice)();
    // Whether the API in use is ASIO (driver 1 may fall back to DirectSound):
    // its rules then hold for devices, lists, channels and rates.
    bool (*asioInUse)();
    bool (*startAudio)();
    bool (*audioRunning)();
    bool (*midiClientsExist)();
    const std::vector<std::string>& (*midiInputPorts)();
    const std::vector<std::string>& (*midiOutputPorts)();
    bool (*openMidiIn)(const char* name);
    bool (*openMidiOut)(const char* name);
    void (*writeSettings)();
};

const AudioMidiServices& RealAudioMidiServices();
