// The preferences dialog from the program's resources in a real window under
// Wine, driven by messages against fake devices and ports.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/audio_midi_services.h"
#include "app/preferences_dialog.h"
#include "app/preferences_fill.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_compare.h"
#include "hidden_dialog.h"
#include "support/settings_builder.h"

namespace {

using Texts = std::vector<std::string>;

// ---- Fake devices and ports ----

RtAudio::DeviceInfo Device(const std::string& name, unsigned inputs, unsigned outputs,
                           std::vector<unsigned> rates)
{
    RtAudio::DeviceInfo info{};
    info.probed = true;
    info.name = name;
    info.inputChannels = inputs;
    info.outputChannels = outputs;
    info.sampleRates = std::move(rates);
    return info;
}

// What the dialog sees of audio and MIDI, and what it asked for.
struct FakeShell {
    std::vector<RtAudio::DeviceInfo> infos;
    std::vector<RtAudio::DeviceInfo> directSoundInfos;
    std::vector<RtAudio::DeviceInfo> infosAfterRecreate;  // for driver 1
    bool asioAfterRecreate = false;                       // ASIO serves driver 1
    const char* driverNotice = nullptr;
    AudioDeviceLists devices;
    bool running = true;
    bool asio = false;  // the API in use
    bool midiClients = true;
    std::vector<std::string> midiIn{"off", "Port A", "Port B"};
    std::vector<std::string> midiOut{"off", "Synth"};
    int starts = 0, recreates = 0, writes = 0;
    Texts openedIn, openedOut;

    // The devices of DirectSound, listed now.
    void SetDevices(const std::vector<RtAudio::DeviceInfo>& list)
    {
        directSoundInfos = list;
        List(list);
    }

    void List(const std::vector<RtAudio::DeviceInfo>& list)
    {
        infos = list;
        devices.Clear();
        for (const RtAudio::DeviceInfo& d : infos)
            devices.AddDevice(d.name, d.probed, d.inputChannels, d.outputChannels);
    }
};

FakeShell* gFake = nullptr;

const AudioMidiServices kFakeServices = {
    []() -> const AudioDeviceLists& { return gFake->devices; },
    [](unsigned index) {
        // Asking for a device outside the list is a fault of the dialog.
        EXPECT_LT(index, gFake->infos.size());
        return index < gFake->infos.size() ? gFake->infos[index] : RtAudio::DeviceInfo{};
    },
    [] {
        ++gFake->recreates;
        gFake->running = false;
        const bool asioChosen = CurrentSettings->driver == 1;
        gFake->asio = asioChosen && gFake->asioAfterRecreate;
        gFake->List(asioChosen ? gFake->infosAfterRecreate : gFake->directSoundInfos);
    },
    []() -> const char* { return gFake->driverNotice; },
    [] { return gFake->asio; },
    [] {
        ++gFake->starts;
        gFake->running = true;
        *RunningSettings = *CurrentSettings;
        return true;
    },
    [] { return gFake->running; },
    [] { return gFake->midiClients; },
    []() -> const std::vector<std::string>& { return gFake->midiIn; },
    []() -> const std::vector<std::string>& { return gFake->midiOut; },
    [](const char* name) {
        gFake->openedIn.push_back(name);
        return true;
    },
    [](const char* name) {
        gFake->openedOut.push_back(name);
        return true;
    },
    [] { ++gFake->writes; },
};

Texts ComboTexts(HWND dialog, int id)
{
    Texts texts;
    const int count = int(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = int(SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, i, 0));
        std::string text(size_t(length) + 1, '\0');
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, LPARAM(&text[0]));
        text.resize(size_t(length));
        texts.push_back(text);
    }
    return texts;
}

int Selection(HWND dialog, int id)
{
    return int(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::string SelectedText(HWND dialog, int id)
{
    const int selection = Selection(dialog, id);
    return selection < 0 ? std::string() : ComboTexts(dialog, id)[size_t(selection)];
}

// The audio notices shown, each read and closed from inside its own loop by
// a thread timer.
Texts gNotices;
std::vector<HWND> gClosedNotices;

BOOL CALLBACK CloseNotice(HWND window, LPARAM)
{
    char caption[32] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (std::strcmp(caption, "Velvane audio") != 0) return TRUE;
    for (HWND closed : gClosedNotices)
        if (closed == window) return TRUE;
    char text[256] = {};
    GetDlgItemTextA(window, 0xFFFF, text, sizeof text);  // a message box's text
    gNotices.push_back(text);
    gClosedNotices.push_back(window);
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseNotices(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), CloseNotice, 0);
}

// The preferences dialog from the program's resources, modeless, on fake
// devices: "Default Device" (2 in, 2 out), "Mic" (1 in), "Speakers" (8 out)
// and a device that failed to probe.
class PreferencesDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateSettingsRecords();
        fake.SetDevices({Device("Default Device", 2, 2, {22050, 44100, 48000}),
                         Device("Mic", 1, 0, {44100}), Device("Speakers", 0, 8, {48000, 44100}),
                         RtAudio::DeviceInfo{}});
        fake.infosAfterRecreate = {Device("ASIO Card", 4, 4, {44100, 96000})};
        fake.asioAfterRecreate = true;
        gFake = &fake;
        gNotices.clear();
        gClosedNotices.clear();
        noticeTimer = SetTimer(nullptr, 0, 20, CloseNotices);
    }

    void TearDown() override
    {
        KillTimer(nullptr, noticeTimer);
        if (dialog) DestroyWindow(dialog);
        gFake = nullptr;
        FreeSettingsRecords();
    }

    void Open()
    {
        *RunningSettings = *CurrentSettings;
        dialog = CreateHiddenDialog(IDD_PREFERENCES, PreferencesDlgProc, LPARAM(&kFakeServices));
        ASSERT_NE(dialog, nullptr);
    }

    void Command(int id, int code)
    {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), LPARAM(GetDlgItem(dialog, id)));
    }

    // As the user picks entry index of a list.
    void Pick(int id, int index)
    {
        SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
        Command(id, CBN_SELCHANGE);
    }

    void PickText(int id, const char* text)
    {
        const int index =
            int(SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text)));
        ASSERT_GE(index, 0) << text;
        Pick(id, index);
    }

    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

    FakeShell fake;
    HWND dialog = nullptr;
    UINT_PTR noticeTimer = 0;
};

TEST_F(PreferencesDialogTest, OpensWithTheControlsOfTheSettings)
{
    CopySettingsText(CurrentSettings->midiInputPort, "port b");  // the list ignores case
    CurrentSettings->midiOutputChannel = 16;
    Open();
    char caption[32] = {};
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Preferences");
    EXPECT_EQ(ComboTexts(dialog, IDC_DRIVER), (Texts{"DirectSound", "ASIO"}));
    EXPECT_EQ(Selection(dialog, IDC_DRIVER), 0);
    EXPECT_EQ(ComboTexts(dialog, IDC_AUDIO_INPUT_DEVICE), (Texts{"Default Device", "Mic"}));
    EXPECT_EQ(ComboTexts(dialog, IDC_AUDIO_OUTPUT_DEVICE), (Texts{"Default Device", "Speakers"}));
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_INPUT_DEVICE), 0);
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_OUTPUT_DEVICE), 0);
    EXPECT_TRUE(Enabled(IDC_AUDIO_INPUT_DEVICE));
    EXPECT_FALSE(Enabled(IDC_ASIO_CONFIG));
    EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_1), (Texts{"1"}));
    EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_2), (Texts{"1", "2"}));
    EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_1), 0);
    EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_2), 1);
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"22050", "44100", "48000"}));
    EXPECT_EQ(Selection(dialog, IDC_SAMPLE_RATE), 1);
    EXPECT_EQ(ComboTexts(dialog, IDC_IO_VECTOR_SIZE).size(), 9u);
    EXPECT_EQ(Selection(dialog, IDC_IO_VECTOR_SIZE), 4);      // "512"
    EXPECT_EQ(Selection(dialog, IDC_SIGNAL_VECTOR_SIZE), 1);  // "32"
    EXPECT_EQ(ComboTexts(dialog, IDC_MIDI_INPUT_PORT), fake.midiIn);
    EXPECT_EQ(Selection(dialog, IDC_MIDI_INPUT_PORT), 2);
    EXPECT_EQ(ComboTexts(dialog, IDC_MIDI_INPUT_CHANNEL).size(), 17u);
    EXPECT_EQ(Selection(dialog, IDC_MIDI_OUTPUT_CHANNEL), 16);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MONO_INPUT), BST_UNCHECKED);
    EXPECT_EQ(fake.writes, 0);
    EXPECT_TRUE(IdenticalSettings(*BackupSettings, *CurrentSettings));
}

TEST_F(PreferencesDialogTest, StoredValuesThatAreNoEntriesLeaveTheirListsWithoutSelection)
{
    *CurrentSettings = SettingsBuilder()
                           .Driver(7)  // DirectSound all the same
                           .InputDevice("Gone")
                           .SampleRate("96000")
                           .IoVectorSize("500")
                           .InputChannels(0, 9);
    Open();
    EXPECT_EQ(Selection(dialog, IDC_DRIVER), CB_ERR);
    EXPECT_TRUE(Enabled(IDC_AUDIO_INPUT_DEVICE));
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_INPUT_DEVICE), 0);  // the first device
    EXPECT_EQ(Selection(dialog, IDC_SAMPLE_RATE), CB_ERR);
    EXPECT_EQ(SelectedText(dialog, IDC_IO_VECTOR_SIZE), "512");  // the next larger entry
    EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_1), CB_ERR);
    EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_2), CB_ERR);
    EXPECT_STREQ(CurrentSettings->sampleRate, "96000");
}

// A stored I/O vector size that is no entry (one the stream refuses, say)
// gives way to the entry shown, which OK uses; Cancel brings the stored one
// back, restarting and writing nothing for it.
TEST_F(PreferencesDialogTest, AStoredIoVectorSizeThatIsNoEntryGivesWayToTheOneShown)
{
    const struct {
        const char *stored, *signal, *shown;
    } cases[] = {{"3", "1024", "1024"}, {"0", "32", "32"}, {"1", "16", "32"}, {"500", "32", "512"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        *CurrentSettings = SettingsBuilder().IoVectorSize(c.stored).SignalVectorSize(c.signal);
        Open();
        EXPECT_EQ(SelectedText(dialog, IDC_IO_VECTOR_SIZE), c.shown);
        EXPECT_EQ(SelectedText(dialog, IDC_SIGNAL_VECTOR_SIZE), c.signal);
        EXPECT_STREQ(CurrentSettings->ioVectorSize, c.shown);
        Command(IDCANCEL, BN_CLICKED);
        EXPECT_STREQ(CurrentSettings->ioVectorSize, c.stored);
        EXPECT_EQ(fake.starts + fake.recreates + fake.writes, 0);
        DestroyWindow(dialog);

        Open();
        Command(IDOK, BN_CLICKED);
        EXPECT_EQ(fake.starts, 1);
        EXPECT_STREQ(RunningSettings->ioVectorSize, c.shown);
        EXPECT_STREQ(RunningSettings->signalVectorSize, c.signal);
        DestroyWindow(dialog);
        dialog = nullptr;
        fake.starts = 0;
    }
}

struct ChannelCase {
    unsigned channels;
    uint16_t first, second;
    Texts wantFirst, wantSecond;
    int firstSelected, secondSelected;
};

TEST_F(PreferencesDialogTest, ChannelListsLeaveRoomForTheSecondChannel)
{
    Open();
    const ChannelCase cases[] = {
        {0, 1, 2, {}, {}, CB_ERR, CB_ERR},
        {1, 1, 2, {}, {"1"}, CB_ERR, CB_ERR},
        {2, 1, 2, {"1"}, {"1", "2"}, 0, 1},
        {4, 3, 4, {"1", "2", "3"}, {"1", "2", "3", "4"}, 2, 3},
        {4, 4, 5, {"1", "2", "3"}, {"1", "2", "3", "4"}, CB_ERR, CB_ERR},
    };
    for (const ChannelCase& c : cases) {
        SCOPED_TRACE(c.channels);
        CurrentSettings->input1 = CurrentSettings->output1 = c.first;
        CurrentSettings->input2 = CurrentSettings->output2 = c.second;
        FillInputChannelCombos(dialog, Device("in", c.channels, 0, {}));
        FillOutputChannelCombos(dialog, Device("out", 0, c.channels, {}));
        EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_1), c.wantFirst);
        EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_2), c.wantSecond);
        EXPECT_EQ(ComboTexts(dialog, IDC_OUTPUT_CHANNEL_1), c.wantFirst);
        EXPECT_EQ(ComboTexts(dialog, IDC_OUTPUT_CHANNEL_2), c.wantSecond);
        EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_1), c.firstSelected);
        EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_2), c.secondSelected);
        EXPECT_EQ(Selection(dialog, IDC_OUTPUT_CHANNEL_1), c.firstSelected);
        EXPECT_EQ(Selection(dialog, IDC_OUTPUT_CHANNEL_2), c.secondSelected);
    }
}

TEST_F(PreferencesDialogTest, SampleRatesAreThoseOfBothDevicesInTheInputsOrder)
{
    Open();
    CopySettingsText(CurrentSettings->sampleRate, "48000");
    FillSampleRateCombo(dialog, Device("in", 2, 0, {96000, 48000, 22050, 44100}),
                        Device("out", 0, 2, {44100, 48000, 96000}));
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"96000", "48000", "44100"}));
    EXPECT_EQ(Selection(dialog, IDC_SAMPLE_RATE), 1);
    FillSampleRateCombo(dialog, Device("in", 2, 0, {}), Device("out", 0, 2, {44100}));
    EXPECT_TRUE(ComboTexts(dialog, IDC_SAMPLE_RATE).empty());
}

TEST_F(PreferencesDialogTest, EmptyDeviceListsShowNothingAndReadNoDevice)
{
    fake.SetDevices({RtAudio::DeviceInfo{}});  // one device, which failed to probe
    fake.infosAfterRecreate = {};
    Open();
    for (int id :
         {IDC_AUDIO_INPUT_DEVICE, IDC_AUDIO_OUTPUT_DEVICE, IDC_INPUT_CHANNEL_1, IDC_INPUT_CHANNEL_2,
          IDC_OUTPUT_CHANNEL_1, IDC_OUTPUT_CHANNEL_2, IDC_SAMPLE_RATE}) {
        EXPECT_TRUE(ComboTexts(dialog, id).empty()) << id;
        EXPECT_EQ(Selection(dialog, id), CB_ERR) << id;
    }
    // A selection change without any entry changes nothing.
    Command(IDC_AUDIO_INPUT_DEVICE, CBN_SELCHANGE);
    Command(IDC_INPUT_CHANNEL_1, CBN_SELCHANGE);
    EXPECT_STREQ(CurrentSettings->inputDevice, "Default Device");

    // A driver whose API has no devices at all.
    Pick(IDC_DRIVER, 1);
    EXPECT_EQ(fake.recreates, 1);
    EXPECT_STREQ(CurrentSettings->inputDevice, "");
    EXPECT_STREQ(CurrentSettings->outputDevice, "");
    EXPECT_TRUE(ComboTexts(dialog, IDC_AUDIO_OUTPUT_DEVICE).empty());
    EXPECT_TRUE(ComboTexts(dialog, IDC_INPUT_CHANNEL_2).empty());
}

TEST_F(PreferencesDialogTest, ChangingTheDriverTakesTheFirstDevicesOfTheNewApi)
{
    CurrentSettings->input1 = 2;
    CurrentSettings->output1 = 3;
    Open();
    Pick(IDC_DRIVER, 1);
    EXPECT_EQ(CurrentSettings->driver, 1);
    EXPECT_EQ(fake.recreates, 1);
    EXPECT_FALSE(fake.running);  // until Apply, OK or Cancel
    EXPECT_EQ(fake.starts, 0);
    EXPECT_STREQ(CurrentSettings->inputDevice, "ASIO Card");
    EXPECT_STREQ(CurrentSettings->outputDevice, "ASIO Card");
    EXPECT_EQ(CurrentSettings->input1, 1);
    EXPECT_EQ(CurrentSettings->input2, 2);
    EXPECT_EQ(CurrentSettings->output1, 1);
    EXPECT_EQ(CurrentSettings->output2, 2);
    EXPECT_FALSE(Enabled(IDC_AUDIO_INPUT_DEVICE));
    EXPECT_TRUE(Enabled(IDC_ASIO_CONFIG));
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_INPUT_DEVICE), 0);
    EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_2), (Texts{"1", "2", "3", "4"}));
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"44100", "96000"}));

    Pick(IDC_DRIVER, 1);  // the same again: nothing
    EXPECT_EQ(fake.recreates, 1);
    Command(IDC_APPLY, BN_CLICKED);
    EXPECT_EQ(fake.starts, 1);
}

TEST_F(PreferencesDialogTest, WithAsioTheOutputDeviceServesBothDirections)
{
    *CurrentSettings =
        SettingsBuilder().Driver(1).InputDevice("Mic").OutputDevice("Default Device");
    fake.asio = true;
    Open();
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_INPUT_DEVICE), 0);  // "Default Device", not "Mic"
    EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_2), (Texts{"1", "2"}));
    CopySettingsText(CurrentSettings->outputDevice, "Speakers");  // has no inputs
    FillAudioDeviceCombos(dialog);
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_INPUT_DEVICE), CB_ERR);
    EXPECT_TRUE(ComboTexts(dialog, IDC_INPUT_CHANNEL_2).empty());
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"48000", "44100"}));
    EXPECT_EQ(ComboTexts(dialog, IDC_OUTPUT_CHANNEL_2).size(), 8u);
}

// "ASIO" chosen where the build has none: DirectSound serves, with its rules.
TEST_F(PreferencesDialogTest, AsioChosenWhereDirectSoundServesKeepsDirectSoundsRules)
{
    *CurrentSettings =
        SettingsBuilder().Driver(1).InputDevice("Mic").OutputDevice("Default Device");
    Open();
    EXPECT_EQ(Selection(dialog, IDC_DRIVER), 0);  // the API in use
    EXPECT_TRUE(Enabled(IDC_AUDIO_INPUT_DEVICE));
    EXPECT_FALSE(Enabled(IDC_ASIO_CONFIG));
    EXPECT_EQ(ComboTexts(dialog, IDC_AUDIO_INPUT_DEVICE)[Selection(dialog, IDC_AUDIO_INPUT_DEVICE)],
              "Mic");
    EXPECT_EQ(ComboTexts(dialog, IDC_INPUT_CHANNEL_2), (Texts{"1"}));
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"44100"}));
}

// The devices and channels chosen stay when the driver list is switched to
// "ASIO" and back, whether ASIO serves or DirectSound serves for it; the
// list shows the API in use.
TEST_F(PreferencesDialogTest, DevicesChosenStayWhenTheDriverIsSwitchedBack)
{
    for (bool asioServes : {true, false}) {
        SCOPED_TRACE(asioServes ? "ASIO serves" : "DirectSound serves for ASIO");
        fake.asioAfterRecreate = asioServes;
        if (!asioServes) fake.infosAfterRecreate = fake.directSoundInfos;
        Open();
        PickText(IDC_AUDIO_INPUT_DEVICE, "Mic");
        PickText(IDC_AUDIO_OUTPUT_DEVICE, "Speakers");
        PickText(IDC_OUTPUT_CHANNEL_1, "5");
        const AudioMidiSettings chosen = *CurrentSettings;

        Pick(IDC_DRIVER, 1);
        EXPECT_EQ(SelectedText(dialog, IDC_DRIVER), asioServes ? "ASIO" : "DirectSound");
        EXPECT_STREQ(CurrentSettings->outputDevice, asioServes ? "ASIO Card" : "Speakers");
        Pick(IDC_DRIVER, 0);
        EXPECT_EQ(SelectedText(dialog, IDC_DRIVER), "DirectSound");
        EXPECT_TRUE(SameAudioSettings(*CurrentSettings, chosen));
        EXPECT_EQ(SelectedText(dialog, IDC_AUDIO_INPUT_DEVICE), "Mic");
        EXPECT_EQ(SelectedText(dialog, IDC_AUDIO_OUTPUT_DEVICE), "Speakers");
        EXPECT_EQ(SelectedText(dialog, IDC_OUTPUT_CHANNEL_1), "5");
        DestroyWindow(dialog);
        dialog = nullptr;
    }
}

// "ASIO" stored where DirectSound serves for it: the list shows DirectSound
// and a start from the dialog tells why, once for each audio API, as at
// start; "ASIO" stays stored.
TEST_F(PreferencesDialogTest, AsioWhereDirectSoundServesShowsDirectSoundAndIsToldOnApply)
{
    const char* const kFallback = "ASIO is not available; using DirectSound instead.";
    *CurrentSettings = SettingsBuilder().Driver(1);
    fake.asioAfterRecreate = false;
    fake.infosAfterRecreate = fake.directSoundInfos;
    fake.driverNotice = kFallback;
    Open();
    EXPECT_EQ(SelectedText(dialog, IDC_DRIVER), "DirectSound");
    EXPECT_TRUE(gNotices.empty());
    Command(IDC_APPLY, BN_CLICKED);
    EXPECT_EQ(gNotices, (Texts{kFallback}));
    Command(IDC_APPLY, BN_CLICKED);
    EXPECT_EQ(gNotices.size(), 1u);

    Pick(IDC_DRIVER, 1);  // chosen again: a new API, told at once
    EXPECT_EQ(fake.recreates, 1);
    EXPECT_EQ(gNotices, (Texts{kFallback, kFallback}));
    EXPECT_EQ(SelectedText(dialog, IDC_DRIVER), "DirectSound");
    Command(IDOK, BN_CLICKED);
    EXPECT_EQ(fake.starts, 3);
    EXPECT_EQ(gNotices.size(), 2u);
    EXPECT_EQ(CurrentSettings->driver, 1);
}

TEST_F(PreferencesDialogTest, ADeviceChoiceResetsItsChannels)
{
    CurrentSettings->output1 = 1;
    Open();
    PickText(IDC_AUDIO_OUTPUT_DEVICE, "Speakers");
    EXPECT_STREQ(CurrentSettings->outputDevice, "Speakers");
    EXPECT_EQ(ComboTexts(dialog, IDC_OUTPUT_CHANNEL_1).size(), 7u);
    EXPECT_EQ(ComboTexts(dialog, IDC_SAMPLE_RATE), (Texts{"44100", "48000"}));
    PickText(IDC_OUTPUT_CHANNEL_1, "5");
    EXPECT_EQ(CurrentSettings->output1, 5);
    EXPECT_EQ(CurrentSettings->output2, 6);
    EXPECT_EQ(Selection(dialog, IDC_OUTPUT_CHANNEL_2), 5);
    PickText(IDC_AUDIO_OUTPUT_DEVICE, "Default Device");
    EXPECT_EQ(CurrentSettings->output1, 1);
    EXPECT_EQ(CurrentSettings->output2, 2);
    EXPECT_EQ(fake.starts, 0);  // audio changes act at Apply or OK
}

TEST_F(PreferencesDialogTest, TheSecondChannelFollowsTheFirst)
{
    fake.SetDevices({Device("Default Device", 8, 8, {44100})});
    Open();
    PickText(IDC_INPUT_CHANNEL_1, "3");
    EXPECT_EQ(CurrentSettings->input1, 3);
    EXPECT_EQ(CurrentSettings->input2, 4);
    EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_2), 3);
    PickText(IDC_INPUT_CHANNEL_2, "7");
    EXPECT_EQ(CurrentSettings->input2, 4);
    EXPECT_EQ(Selection(dialog, IDC_INPUT_CHANNEL_2), 3);
    PickText(IDC_OUTPUT_CHANNEL_2, "8");
    EXPECT_EQ(Selection(dialog, IDC_OUTPUT_CHANNEL_2), 1);
}

TEST_F(PreferencesDialogTest, VectorSizesKeepTheSignalVectorWithinTheIoVector)
{
    CopySettingsText(CurrentSettings->signalVectorSize, "64");
    Open();
    PickText(IDC_IO_VECTOR_SIZE, "32");
    EXPECT_STREQ(CurrentSettings->ioVectorSize, "32");
    EXPECT_STREQ(CurrentSettings->signalVectorSize, "16");
    EXPECT_EQ(Selection(dialog, IDC_SIGNAL_VECTOR_SIZE), CB_ERR);
    // The signal list has no selection now: its stored "16" counts.
    PickText(IDC_IO_VECTOR_SIZE, "512");
    EXPECT_STREQ(CurrentSettings->ioVectorSize, "512");
    EXPECT_STREQ(CurrentSettings->signalVectorSize, "16");
    EXPECT_EQ(Selection(dialog, IDC_SIGNAL_VECTOR_SIZE), CB_ERR);
    PickText(IDC_SIGNAL_VECTOR_SIZE, "64");
    EXPECT_STREQ(CurrentSettings->ioVectorSize, "512");
    EXPECT_STREQ(CurrentSettings->signalVectorSize, "64");
    PickText(IDC_SAMPLE_RATE, "48000");
    EXPECT_STREQ(CurrentSettings->sampleRate, "48000");
    EXPECT_EQ(fake.starts, 0);
}

TEST_F(PreferencesDialogTest, NamesLongerThanAFieldAreCutToIt)
{
    const std::string longDevice(120, 'D');
    const std::string longPort = "Port " + std::string(140, 'p');
    fake.SetDevices({Device("Default Device", 2, 2, {44100}), Device(longDevice, 2, 2, {44100})});
    fake.midiIn.push_back(longPort);
    Open();
    PickText(IDC_AUDIO_INPUT_DEVICE, longDevice.c_str());
    EXPECT_EQ(std::string(CurrentSettings->inputDevice), longDevice.substr(0, 99));
    EXPECT_EQ(Selection(dialog, IDC_AUDIO_INPUT_DEVICE), 1);  // still shown as chosen
    PickText(IDC_MIDI_INPUT_PORT, longPort.c_str());
    EXPECT_EQ(std::string(CurrentSettings->midiInputPort), longPort.substr(0, 99));
    ASSERT_EQ(fake.openedIn.size(), 1u);
    EXPECT_EQ(fake.openedIn[0], longPort.substr(0, 99));
}

TEST_F(PreferencesDialogTest, MidiChoicesActAtOnce)
{
    Open();
    PickText(IDC_MIDI_INPUT_PORT, "Port A");
    PickText(IDC_MIDI_OUTPUT_PORT, "Synth");
    PickText(IDC_MIDI_INPUT_CHANNEL, "5");
    PickText(IDC_MIDI_OUTPUT_CHANNEL, "all");
    EXPECT_EQ(fake.openedIn, (Texts{"Port A"}));
    EXPECT_EQ(fake.openedOut, (Texts{"Synth"}));
    EXPECT_STREQ(CurrentSettings->midiInputPort, "Port A");
    EXPECT_EQ(CurrentSettings->midiInputChannel, 5);
    EXPECT_EQ(CurrentSettings->midiOutputChannel, 0);
    CheckDlgButton(dialog, IDC_MONO_INPUT, BST_CHECKED);
    Command(IDC_MONO_INPUT, BN_CLICKED);
    EXPECT_EQ(CurrentSettings->monoInput, 1);
}

TEST_F(PreferencesDialogTest, AStoredPortThatIsNotOfferedBecomesOff)
{
    CopySettingsText(CurrentSettings->midiOutputPort, "Unplugged");
    Open();
    EXPECT_STREQ(CurrentSettings->midiOutputPort, "off");
    EXPECT_EQ(Selection(dialog, IDC_MIDI_OUTPUT_PORT), 0);
    EXPECT_EQ(fake.writes, 1);
}

TEST_F(PreferencesDialogTest, WithoutMidiClientsTheMidiListsStayEmpty)
{
    fake.midiClients = false;
    Open();
    EXPECT_FALSE(FillMidiCombos(dialog));
    for (int id : {IDC_MIDI_INPUT_PORT, IDC_MIDI_OUTPUT_PORT, IDC_MIDI_INPUT_CHANNEL,
                   IDC_MIDI_OUTPUT_CHANNEL})
        EXPECT_TRUE(ComboTexts(dialog, id).empty()) << id;
}

TEST_F(PreferencesDialogTest, OkStartsTheStreamWhenSettingsChangedOrNoneRuns)
{
    Open();
    Command(IDOK, BN_CLICKED);
    EXPECT_EQ(fake.starts, 0);  // unchanged and running

    fake.running = false;
    Command(IDOK, BN_CLICKED);
    EXPECT_EQ(fake.starts, 1);

    PickText(IDC_SAMPLE_RATE, "48000");
    Command(IDOK, BN_CLICKED);
    EXPECT_EQ(fake.starts, 2);
}

TEST_F(PreferencesDialogTest, CancelWithoutChangesRestartsNothing)
{
    Open();
    Command(IDCANCEL, BN_CLICKED);
    EXPECT_EQ(fake.starts, 0);
    EXPECT_EQ(fake.recreates, 0);
    EXPECT_TRUE(fake.openedIn.empty());
    EXPECT_EQ(fake.writes, 0);
}

TEST_F(PreferencesDialogTest, CancelRestoresTheSettingsAndRestartsWhatChanged)
{
    fake.infosAfterRecreate = fake.infos;
    Open();
    const AudioMidiSettings opened = *CurrentSettings;
    Pick(IDC_DRIVER, 1);
    PickText(IDC_MIDI_INPUT_PORT, "Port B");
    PickText(IDC_MIDI_OUTPUT_CHANNEL, "3");
    Command(IDCANCEL, BN_CLICKED);
    EXPECT_TRUE(IdenticalSettings(*CurrentSettings, opened));
    EXPECT_EQ(fake.recreates, 2);
    EXPECT_EQ(fake.starts, 1);
    EXPECT_EQ(fake.openedIn, (Texts{"Port B", "off"}));
    EXPECT_EQ(fake.openedOut, (Texts{"off"}));
    EXPECT_EQ(fake.writes, 1) << "the file holds the restored settings";
}

TEST_F(PreferencesDialogTest, CancelOfAMidiChangeReopensThePortsOnly)
{
    Open();
    PickText(IDC_MIDI_OUTPUT_PORT, "Synth");
    Command(IDCANCEL, BN_CLICKED);
    EXPECT_STREQ(CurrentSettings->midiOutputPort, "off");
    EXPECT_EQ(fake.openedOut, (Texts{"Synth", "off"}));
    EXPECT_EQ(fake.recreates, 0);
    EXPECT_EQ(fake.starts, 0);
}

TEST_F(PreferencesDialogTest, CancelStartsTheStreamThatADriverChangeBackClosed)
{
    fake.infosAfterRecreate = fake.infos;
    Open();
    Pick(IDC_DRIVER, 1);
    Pick(IDC_DRIVER, 0);
    EXPECT_TRUE(SameAudioSettings(*CurrentSettings, *BackupSettings));
    EXPECT_FALSE(fake.running);
    Command(IDCANCEL, BN_CLICKED);
    EXPECT_EQ(fake.starts, 1);
}

}  // namespace
