#include "app/preferences_dialog.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/combo_box.h"
#include "app/notices.h"
#include "app/preferences_fill.h"
#include "app/preferences_lists.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_compare.h"

namespace {

HWND gOpenDialog = nullptr;

// What the open dialog keeps besides CurrentSettings.
struct DialogState {
    // The devices and channels last chosen with DirectSound (0) and ASIO
    // (1), put back when the driver list returns to one.
    std::optional<AudioMidiSettings> devicesOf[2];
    // Whether the user was told, since the audio API was last made, that
    // the driver chosen is not the one that serves.
    bool driverNoticeShown = false;
    // The I/O vector size stored when the dialog opened, which the list may
    // have replaced (FillAudioCombos) without storing.
    char storedIoVectorSize[kSettingsTextSize] = {};
};
DialogState gState;

int DriverSlot(uint16_t driver)
{
    return driver == 1 ? 1 : 0;
}

void CopyDevices(const AudioMidiSettings& from, AudioMidiSettings& to)
{
    CopySettingsText(to.inputDevice, from.inputDevice);
    CopySettingsText(to.outputDevice, from.outputDevice);
    to.input1 = from.input1;
    to.input2 = from.input2;
    to.output1 = from.output1;
    to.output2 = from.output2;
}

// Once per audio API, as at start.
void ShowDriverNotice(HWND dialog, const AudioMidiServices& services)
{
    const char* notice = services.driverNotice();
    if (!notice || gState.driverNoticeShown) return;
    gState.driverNoticeShown = true;
    ShowAudioNotice(dialog, notice);
}

void StartAudio(HWND dialog, const AudioMidiServices& services)
{
    services.startAudio();
    ShowDriverNotice(dialog, services);
}

const char* FirstDeviceName(const AudioDeviceLists& devices, const std::vector<unsigned>& usable)
{
    if (usable.empty() || usable.front() >= devices.names.size()) return "";
    return devices.names[usable.front()].c_str();
}

// Copies the selected entry's text into field; false without a selection.
bool TakeSelectedText(HWND dialog, int id, char (&field)[kSettingsTextSize])
{
    std::string text;
    if (!SelectedComboText(dialog, id, &text)) return false;
    CopySettingsText(field, text.c_str());
    return true;
}

bool Offers(const AudioDeviceLists& devices, const std::vector<unsigned>& usable, const char* name)
{
    const int index = devices.Find(name);
    return index >= 0 && std::find(usable.begin(), usable.end(), unsigned(index)) != usable.end();
}

// The new API's devices: those last chosen with the driver, else the ones
// in use when it offers them too (DirectSound serving for "ASIO"), else its
// first ones. "ASIO" chosen again where DirectSound serves for it makes the
// API anew.
void ChangeDriver(HWND dialog, const AudioMidiServices& services)
{
    const int selection = ComboSelection(dialog, IDC_DRIVER);
    if (selection < 0) return;
    if (selection == CurrentSettings->driver && (selection == 1) == services.asioInUse()) return;
    const AudioMidiSettings previous = *CurrentSettings;
    gState.devicesOf[DriverSlot(previous.driver)] = previous;
    CurrentSettings->driver = uint16_t(selection);
    services.recreateAudioApi();
    gState.driverNoticeShown = false;
    const auto& chosen = gState.devicesOf[DriverSlot(CurrentSettings->driver)];
    const AudioMidiSettings& kept = chosen ? *chosen : previous;
    const AudioDeviceLists& devices = services.devices();
    if (Offers(devices, devices.inputs, kept.inputDevice) &&
        Offers(devices, devices.outputs, kept.outputDevice)) {
        CopyDevices(kept, *CurrentSettings);
    } else {
        CopySettingsText(CurrentSettings->inputDevice, FirstDeviceName(devices, devices.inputs));
        CopySettingsText(CurrentSettings->outputDevice, FirstDeviceName(devices, devices.outputs));
        CurrentSettings->input1 = 1;
        CurrentSettings->input2 = 2;
        CurrentSettings->output1 = 1;
        CurrentSettings->output2 = 2;
    }
    FillAudioCombos(dialog);
    SelectDriverInUse(dialog);
    ShowDriverNotice(dialog, services);
}

void ChangeDevice(HWND dialog, int id, char (&field)[kSettingsTextSize], uint16_t& first,
                  uint16_t& second)
{
    if (!TakeSelectedText(dialog, id, field)) return;
    first = 1;
    second = 2;
    FillAudioDeviceCombos(dialog);
}

void ChangeVectorSizes(HWND dialog)
{
    const VectorSizeChoice choice = ChooseVectorSizes(
        ComboSelection(dialog, IDC_IO_VECTOR_SIZE), ComboSelection(dialog, IDC_SIGNAL_VECTOR_SIZE),
        CurrentSettings->ioVectorSize, CurrentSettings->signalVectorSize);
    // The choice may point at the fields themselves.
    const std::string io = choice.ioVectorSize;
    const std::string signal = choice.signalVectorSize;
    CopySettingsText(CurrentSettings->ioVectorSize, io.c_str());
    CopySettingsText(CurrentSettings->signalVectorSize, signal.c_str());
    if (choice.clearSignalSelection) SelectComboEntry(dialog, IDC_SIGNAL_VECTOR_SIZE, -1);
}

// The second channel always follows the first.
void ChangeFirstChannel(HWND dialog, int firstId, int secondId, uint16_t& first, uint16_t& second)
{
    const int selection = ComboSelection(dialog, firstId);
    if (selection < 0) return;
    first = uint16_t(selection + 1);
    second = uint16_t(first + 1);
    SelectComboEntry(dialog, secondId, second - 1);
}

// The list shows the port the client has now: "off" when the one chosen
// would not open.
void ChangeMidiPort(HWND dialog, int id, char (&field)[kSettingsTextSize],
                    bool (*open)(const char*))
{
    if (!TakeSelectedText(dialog, id, field)) return;
    open(field);
    SelectComboText(dialog, id, field);
}

void ChangeMidiChannel(HWND dialog, int id, uint16_t& channel)
{
    const int selection = ComboSelection(dialog, id);
    if (selection >= 0) channel = uint16_t(selection);
}

void HandleListChange(HWND dialog, int id, const AudioMidiServices& services)
{
    AudioMidiSettings& s = *CurrentSettings;
    switch (id) {
        case IDC_DRIVER:
            ChangeDriver(dialog, services);
            break;
        case IDC_AUDIO_INPUT_DEVICE:
            ChangeDevice(dialog, id, s.inputDevice, s.input1, s.input2);
            break;
        case IDC_AUDIO_OUTPUT_DEVICE:
            ChangeDevice(dialog, id, s.outputDevice, s.output1, s.output2);
            break;
        case IDC_IO_VECTOR_SIZE:
        case IDC_SIGNAL_VECTOR_SIZE:
            ChangeVectorSizes(dialog);
            break;
        case IDC_SAMPLE_RATE:
            TakeSelectedText(dialog, id, s.sampleRate);
            break;
        case IDC_INPUT_CHANNEL_1:
            ChangeFirstChannel(dialog, id, IDC_INPUT_CHANNEL_2, s.input1, s.input2);
            break;
        case IDC_INPUT_CHANNEL_2:
            SelectComboEntry(dialog, id, s.input2 - 1);
            break;
        case IDC_OUTPUT_CHANNEL_1:
            ChangeFirstChannel(dialog, id, IDC_OUTPUT_CHANNEL_2, s.output1, s.output2);
            break;
        case IDC_OUTPUT_CHANNEL_2:
            SelectComboEntry(dialog, id, s.output2 - 1);
            break;
        case IDC_MIDI_INPUT_PORT:
            ChangeMidiPort(dialog, id, s.midiInputPort, services.openMidiIn);
            break;
        case IDC_MIDI_OUTPUT_PORT:
            ChangeMidiPort(dialog, id, s.midiOutputPort, services.openMidiOut);
            break;
        case IDC_MIDI_INPUT_CHANNEL:
            ChangeMidiChannel(dialog, id, s.midiInputChannel);
            break;
        case IDC_MIDI_OUTPUT_CHANNEL:
            ChangeMidiChannel(dialog, id, s.midiOutputChannel);
            break;
        default:
            break;
    }
}

// OK also starts the stream when none runs (after a driver change that was
// changed back, the records are equal but the stream is closed).
void Accept(HWND dialog, const AudioMidiServices& services)
{
    if (!IdenticalSettings(*CurrentSettings, *RunningSettings) || !services.audioRunning())
        StartAudio(dialog, services);
    EndDialog(dialog, IDOK);
}

// Puts the settings back as they were when the dialog opened: the audio API
// and stream when audio settings changed, the ports when MIDI ones did.
void Cancel(HWND dialog, const AudioMidiServices& services)
{
    EndDialog(dialog, IDCANCEL);
    const bool audioChanged = !SameAudioSettings(*CurrentSettings, *BackupSettings);
    const bool midiChanged = !SameMidiSettings(*CurrentSettings, *BackupSettings);
    if (audioChanged || midiChanged) *CurrentSettings = *BackupSettings;
    // The I/O vector size stored at opening comes back; the one the list
    // showed in its place was no change of the user's, and restarts nothing.
    memcpy(CurrentSettings->ioVectorSize, gState.storedIoVectorSize,
           sizeof gState.storedIoVectorSize);
    if (audioChanged) {
        services.recreateAudioApi();
        services.startAudio();
    } else if (!services.audioRunning()) {
        services.startAudio();
    }
    if (midiChanged) {
        services.openMidiIn(CurrentSettings->midiInputPort);
        services.openMidiOut(CurrentSettings->midiOutputPort);
    }
    // A port that turned "off" while the dialog was open wrote the edits of
    // then to the file; the file holds the restored settings again.
    if (audioChanged || midiChanged) services.writeSettings();
}

void HandleCommand(HWND dialog, int id, int code)
{
    const AudioMidiServices& services = ServicesOf(dialog);
    switch (id) {
        case IDOK:
            Accept(dialog, services);
            break;
        case IDCANCEL:
            Cancel(dialog, services);
            break;
        case IDC_APPLY:
            StartAudio(dialog, services);
            break;
        case IDC_MONO_INPUT:
            CurrentSettings->monoInput = IsDlgButtonChecked(dialog, IDC_MONO_INPUT) == BST_CHECKED;
            break;
        default:
            if (code == CBN_SELCHANGE) HandleListChange(dialog, id, services);
            break;
    }
}

}  // namespace

INT_PTR CALLBACK PreferencesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_INITDIALOG:
            gOpenDialog = dialog;
            gState = DialogState();
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            memcpy(gState.storedIoVectorSize, CurrentSettings->ioVectorSize,
                   sizeof gState.storedIoVectorSize);
            InitPreferencesControls(dialog);
            *BackupSettings = *CurrentSettings;
            return TRUE;
        case WM_COMMAND:
            HandleCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_DESTROY:
            if (gOpenDialog == dialog) gOpenDialog = nullptr;
            return FALSE;
        default:
            return FALSE;
    }
}

HWND PreferencesDialog()
{
    return gOpenDialog;
}
