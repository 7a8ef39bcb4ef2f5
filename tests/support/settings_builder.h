#pragma once

#include <cstdint>

#include "app/settings.h"

// A settings record for a test: the initial values with the fields the test
// names changed, texts as CopySettingsText sets them. Converts to the record:
//   const AudioMidiSettings s = SettingsBuilder().Driver(1).SampleRate("48000");
class SettingsBuilder {
public:
    SettingsBuilder& Driver(uint16_t driver) { return Number(mSettings.driver, driver); }
    SettingsBuilder& InputDevice(const char* name) { return Text(mSettings.inputDevice, name); }
    SettingsBuilder& OutputDevice(const char* name) { return Text(mSettings.outputDevice, name); }
    SettingsBuilder& SampleRate(const char* rate) { return Text(mSettings.sampleRate, rate); }
    SettingsBuilder& IoVectorSize(const char* size) { return Text(mSettings.ioVectorSize, size); }
    SettingsBuilder& SignalVectorSize(const char* size)
    {
        return Text(mSettings.signalVectorSize, size);
    }
    SettingsBuilder& InputChannels(uint16_t first, uint16_t second)
    {
        return Number(mSettings.input1, first).Number(mSettings.input2, second);
    }
    SettingsBuilder& OutputChannels(uint16_t first, uint16_t second)
    {
        return Number(mSettings.output1, first).Number(mSettings.output2, second);
    }
    SettingsBuilder& MonoInput(uint16_t on) { return Number(mSettings.monoInput, on); }
    SettingsBuilder& MidiPorts(const char* input, const char* output)
    {
        return Text(mSettings.midiInputPort, input).Text(mSettings.midiOutputPort, output);
    }
    SettingsBuilder& MidiChannels(uint16_t input, uint16_t output)
    {
        return Number(mSettings.midiInputChannel, input)
            .Number(mSettings.midiOutputChannel, output);
    }

    operator AudioMidiSettings() const { return mSettings; }

private:
    SettingsBuilder& Number(uint16_t& field, uint16_t value)
    {
        field = value;
        return *this;
    }
    SettingsBuilder& Text(char (&field)[kSettingsTextSize], const char* text)
    {
        CopySettingsText(field, text);
        return *this;
    }

    AudioMidiSettings mSettings = InitialSettings();
};
