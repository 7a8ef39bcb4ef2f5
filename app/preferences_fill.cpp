#include "app/preferences_fill.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/combo_box.h"
#include "app/preferences_lists.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_compare.h"

namespace {

template <size_t N>
void FillFixedCombo(HWND dialog, int id, const char* const (&entries)[N])
{
    ClearCombo(dialog, id);
    for (const char* entry : entries) AddComboText(dialog, id, entry);
}

void AddNumber(HWND dialog, int id, unsigned value)
{
    char text[16];
    snprintf(text, sizeof text, "%u", value);
    AddComboText(dialog, id, text);
}

const std::string& DeviceName(const AudioDeviceLists& devices, unsigned index)
{
    static const std::string kNone;
    return index < devices.names.size() ? devices.names[index] : kNone;
}

// Lists the devices of `usable` and gives the position of the last one that
// the field names, 0 when none does, -1 for an empty list.
int FillDeviceCombo(HWND dialog, int id, const AudioDeviceLists& devices,
                    const std::vector<unsigned>& usable, const char (&field)[kSettingsTextSize])
{
    ClearCombo(dialog, id);
    int position = usable.empty() ? -1 : 0;
    for (size_t k = 0; k < usable.size(); ++k) {
        const std::string& name = DeviceName(devices, usable[k]);
        AddComboText(dialog, id, name.c_str());
        if (FieldHoldsName(field, name)) position = int(k);
    }
    return position;
}

int PositionOf(const std::vector<unsigned>& usable, unsigned device)
{
    for (size_t k = 0; k < usable.size(); ++k)
        if (usable[k] == device) return int(k);
    return -1;
}

void FillChannelCombos(HWND dialog, int firstId, int secondId, unsigned channels, unsigned first,
                       unsigned second)
{
    ClearCombo(dialog, firstId);
    ClearCombo(dialog, secondId);
    for (unsigned channel = 1; channel < channels; ++channel) {
        AddNumber(dialog, firstId, channel);
        AddNumber(dialog, secondId, channel);
    }
    if (channels > 0) AddNumber(dialog, secondId, channels);
    SelectComboEntry(dialog, firstId, int(first) - 1);
    SelectComboEntry(dialog, secondId, int(second) - 1);
}

void FillMidiPortCombo(HWND dialog, int id, const std::vector<std::string>& ports,
                       char (&field)[kSettingsTextSize], const AudioMidiServices& services)
{
    for (const std::string& port : ports) AddComboText(dialog, id, port.c_str());
    if (SelectComboText(dialog, id, field) >= 0) return;
    CopySettingsText(field, "off");
    services.writeSettings();
    SelectComboEntry(dialog, id, 0);
}

}  // namespace

const AudioMidiServices& ServicesOf(HWND dialog)
{
    const auto* services =
        reinterpret_cast<const AudioMidiServices*>(GetWindowLongPtrA(dialog, DWLP_USER));
    return services ? *services : RealAudioMidiServices();
}

void InitPreferencesControls(HWND dialog)
{
    FillFixedCombo(dialog, IDC_DRIVER, kDriverTypes);
    SelectDriverInUse(dialog);
    FillAudioCombos(dialog);
    FillMidiCombos(dialog);
}

void SelectDriverInUse(HWND dialog)
{
    const bool entry = CurrentSettings->driver < std::size(kDriverTypes);
    SelectComboEntry(dialog, IDC_DRIVER, entry ? int(ServicesOf(dialog).asioInUse()) : -1);
}

void FillAudioCombos(HWND dialog)
{
    FillAudioDeviceCombos(dialog);
    CheckDlgButton(dialog, IDC_MONO_INPUT,
                   CurrentSettings->monoInput ? BST_CHECKED : BST_UNCHECKED);
    FillFixedCombo(dialog, IDC_IO_VECTOR_SIZE, kIoVectorSizes);
    // A stored size that is no entry gives way to the one shown, which
    // Apply and OK then use.
    const char* io =
        IoVectorSizeEntryFor(CurrentSettings->ioVectorSize, CurrentSettings->signalVectorSize);
    if (strcmp(io, CurrentSettings->ioVectorSize) != 0)
        CopySettingsText(CurrentSettings->ioVectorSize, io);
    SelectComboText(dialog, IDC_IO_VECTOR_SIZE, io);
    FillFixedCombo(dialog, IDC_SIGNAL_VECTOR_SIZE, kSignalVectorSizes);
    SelectComboText(dialog, IDC_SIGNAL_VECTOR_SIZE, CurrentSettings->signalVectorSize);
}

void FillAudioDeviceCombos(HWND dialog)
{
    const AudioMidiServices& services = ServicesOf(dialog);
    const AudioDeviceLists& devices = services.devices();
    // The rules are those of the API in use, not of the driver chosen: where
    // ASIO falls back to DirectSound, DirectSound's hold. This build has no
    // ASIO, hence no ASIO control panel for "ASIO Config..." to open.
    const bool asio = services.asioInUse();
    EnableWindow(GetDlgItem(dialog, IDC_AUDIO_INPUT_DEVICE), !asio);
    EnableWindow(GetDlgItem(dialog, IDC_ASIO_CONFIG), asio);

    const int inputPosition = FillDeviceCombo(dialog, IDC_AUDIO_INPUT_DEVICE, devices,
                                              devices.inputs, CurrentSettings->inputDevice);
    const int outputPosition = FillDeviceCombo(dialog, IDC_AUDIO_OUTPUT_DEVICE, devices,
                                               devices.outputs, CurrentSettings->outputDevice);
    SelectComboEntry(dialog, IDC_AUDIO_OUTPUT_DEVICE, outputPosition);

    RtAudio::DeviceInfo output{};
    if (outputPosition >= 0) output = services.deviceInfo(devices.outputs[outputPosition]);
    RtAudio::DeviceInfo input{};
    if (asio) {
        input = output;
        const int shown =
            outputPosition >= 0 ? PositionOf(devices.inputs, devices.outputs[outputPosition]) : -1;
        SelectComboEntry(dialog, IDC_AUDIO_INPUT_DEVICE, shown);
    } else {
        if (inputPosition >= 0) input = services.deviceInfo(devices.inputs[inputPosition]);
        SelectComboEntry(dialog, IDC_AUDIO_INPUT_DEVICE, inputPosition);
    }
    FillInputChannelCombos(dialog, input);
    FillOutputChannelCombos(dialog, output);
    FillSampleRateCombo(dialog, input, output);
}

void FillInputChannelCombos(HWND dialog, const RtAudio::DeviceInfo& input)
{
    FillChannelCombos(dialog, IDC_INPUT_CHANNEL_1, IDC_INPUT_CHANNEL_2, input.inputChannels,
                      CurrentSettings->input1, CurrentSettings->input2);
}

void FillOutputChannelCombos(HWND dialog, const RtAudio::DeviceInfo& output)
{
    FillChannelCombos(dialog, IDC_OUTPUT_CHANNEL_1, IDC_OUTPUT_CHANNEL_2, output.outputChannels,
                      CurrentSettings->output1, CurrentSettings->output2);
}

void FillSampleRateCombo(HWND dialog, const RtAudio::DeviceInfo& input,
                         const RtAudio::DeviceInfo& output)
{
    ClearCombo(dialog, IDC_SAMPLE_RATE);
    for (unsigned inputRate : input.sampleRates)
        for (unsigned outputRate : output.sampleRates)
            if (inputRate == outputRate) AddNumber(dialog, IDC_SAMPLE_RATE, inputRate);
    SelectComboText(dialog, IDC_SAMPLE_RATE, CurrentSettings->sampleRate);
}

bool FillMidiCombos(HWND dialog)
{
    for (int id : {IDC_MIDI_INPUT_PORT, IDC_MIDI_OUTPUT_PORT, IDC_MIDI_INPUT_CHANNEL,
                   IDC_MIDI_OUTPUT_CHANNEL})
        ClearCombo(dialog, id);
    const AudioMidiServices& services = ServicesOf(dialog);
    if (!services.midiClientsExist()) return false;
    FillMidiPortCombo(dialog, IDC_MIDI_INPUT_PORT, services.midiInputPorts(),
                      CurrentSettings->midiInputPort, services);
    FillMidiPortCombo(dialog, IDC_MIDI_OUTPUT_PORT, services.midiOutputPorts(),
                      CurrentSettings->midiOutputPort, services);
    FillFixedCombo(dialog, IDC_MIDI_INPUT_CHANNEL, kMidiChannelNames);
    FillFixedCombo(dialog, IDC_MIDI_OUTPUT_CHANNEL, kMidiChannelNames);
    SelectComboEntry(dialog, IDC_MIDI_INPUT_CHANNEL, CurrentSettings->midiInputChannel);
    SelectComboEntry(dialog, IDC_MIDI_OUTPUT_CHANNEL, CurrentSettings->midiOutputChannel);
    return true;
}
