#include "app/preferences_dialog.h"

#include <string>

#include "app/combo_box.h"
#include "app/notices.h"
#include "app/preferences_fill.h"
#include "app/preferences_lists.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_compare.h"

namespace {

HWND gOpenDialog = nullptr;

void ShowDriverNotice(HWND dialog, const AudioMidiServices& services)
{
    if (const char* notice = services.driverNotice()) ShowAudioNotice(dialog, notice);
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

void ChangeDriver(HWND dialog, const AudioMidiServices& services)
{
    const int selection = ComboSelection(dialog, IDC_DRIVER);
    if (selection < 0 || selection == CurrentSettings->driver) return;
    CurrentSettings->driver = uint16_t(selection);
    services.recreateAudioApi();
    const AudioDeviceLists& devices = services.devices();
    CopySettingsText(CurrentSettings->inputDevice, FirstDeviceName(devices, devices.inputs));
    CopySettingsText(CurrentSettings->outputDevice, FirstDeviceName(devices, devices.outputs));
    CurrentSettings->input1 = 1;
    CurrentSettings->input2 = 2;
    CurrentSettings->output1 = 1;
    CurrentSettings->output2 = 2;
    FillAudioCombos(dialog);
    if (CurrentSettings->driver == 1) ShowDriverNotice(dialog, services);
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
        services.startAudio();
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
            services.startAudio();
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
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
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
