#include "app/settings_compare.h"

#include <algorithm>
#include <cstring>

namespace {

bool SameText(const char (&a)[kSettingsTextSize], const char (&b)[kSettingsTextSize])
{
    return strncmp(a, b, kSettingsTextSize) == 0;
}

}  // namespace

bool SameAudioSettings(const AudioMidiSettings& a, const AudioMidiSettings& b)
{
    return a.driver == b.driver && SameText(a.inputDevice, b.inputDevice) &&
           SameText(a.outputDevice, b.outputDevice) && SameText(a.sampleRate, b.sampleRate) &&
           SameText(a.ioVectorSize, b.ioVectorSize) &&
           SameText(a.signalVectorSize, b.signalVectorSize) && a.input1 == b.input1 &&
           a.input2 == b.input2 && a.output1 == b.output1 && a.output2 == b.output2 &&
           a.monoInput == b.monoInput;
}

bool SameMidiSettings(const AudioMidiSettings& a, const AudioMidiSettings& b)
{
    return SameText(a.midiInputPort, b.midiInputPort) &&
           SameText(a.midiOutputPort, b.midiOutputPort) &&
           a.midiInputChannel == b.midiInputChannel && a.midiOutputChannel == b.midiOutputChannel;
}

bool IdenticalSettings(const AudioMidiSettings& a, const AudioMidiSettings& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

bool FieldHoldsName(const char (&field)[kSettingsTextSize], const std::string& name)
{
    const size_t length = strnlen(field, kSettingsTextSize);
    return length == std::min(name.size(), kSettingsTextSize - 1) &&
           name.compare(0, length, field, length) == 0;
}
