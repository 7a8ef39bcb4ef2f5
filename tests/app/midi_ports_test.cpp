// The shell's MIDI side against the real RtMidi Windows multimedia back-end.
// Wine has no MIDI ports here, so port names are checked against whatever
// the system lists and the failure paths against RtMidi's own errors.
#include "app/midi_ports.h"

#include <windows.h>

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/midi_rtmidi_client.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "core/midi_event.h"
#include "core/unit_standalone.h"
#include "support/debug_capture.h"
#include "support/receiving_unit.h"

namespace fs = std::filesystem;

namespace {

RtMidiIn* FailingInput()
{
    throw RtMidiError("no input client", RtMidiError::DRIVER_ERROR);
}
RtMidiOut* FailingOutput()
{
    throw RtMidiError("no output client", RtMidiError::DRIVER_ERROR);
}
RtMidiIn* WinMmInput()
{
    return new RtMidiIn(RtMidi::WINDOWS_MM, "RtMidi Input Client");
}
int gOutputsMade = 0;
RtMidiOut* CountedOutput()
{
    ++gOutputsMade;
    return new RtMidiOut(RtMidi::WINDOWS_MM, "RtMidi Output Client");
}

// Settings and their file in a folder of the test's own.
class MidiPortsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mBase = fs::temp_directory_path() /
                ("velvane-midi-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mBase);
        fs::create_directories(mBase);
        CreateSettingsRecords();
        AllocateSettingsFilePath();
        ASSERT_TRUE(PrepareSettingsFileIn(mBase.string().c_str(), nullptr));
        gOutputsMade = 0;
    }

    void TearDown() override
    {
        DeleteMidiClients();
        AttachMidiPlugIn(nullptr);
        FreeSettingsFilePath();
        FreeSettingsRecords();
        std::error_code ignored;
        fs::remove_all(mBase, ignored);
    }

    static std::string FileValue(const char* key)
    {
        char value[kSettingsTextSize] = {};
        GetPrivateProfileStringA("midi", key, "", value, sizeof value, SettingsFilePath);
        return value;
    }

    fs::path mBase;
};

TEST_F(MidiPortsTest, TheClientsListTheirPortsAfterOff)
{
    ASSERT_TRUE(CreateMidiClients());
    EXPECT_TRUE(MidiClientsExist());
    EXPECT_NE(MidiOutputForPlugIn(), nullptr);
    ListMidiPorts();
    RtMidiIn in(RtMidi::WINDOWS_MM);
    RtMidiOut out(RtMidi::WINDOWS_MM);
    ASSERT_EQ(MidiInputPortList().size(), in.getPortCount() + 1);
    ASSERT_EQ(MidiOutputPortList().size(), out.getPortCount() + 1);
    EXPECT_EQ(MidiInputPortList()[0], "off");
    EXPECT_EQ(MidiOutputPortList()[0], "off");
    for (size_t k = 1; k < MidiInputPortList().size(); ++k) {
        const std::string& name = MidiInputPortList()[k];
        EXPECT_EQ(FindMidiInPort(name.c_str()), int(k)) << name;
        std::string upper = name;
        for (char& c : upper) c = char(toupper((unsigned char)c));
        if (upper != name) {
            EXPECT_EQ(FindMidiInPort(upper.c_str()), -1) << upper;
        }
    }
    EXPECT_EQ(FindMidiInPort("off"), 0);
    EXPECT_EQ(FindMidiOutPort("off"), 0);
    EXPECT_EQ(FindMidiInPort("OFF"), -1);
    EXPECT_EQ(FindMidiOutPort("No Such Port"), -1);
}

TEST_F(MidiPortsTest, OffOpensNothingAndAGonePortIsTurnedOffInTheFile)
{
    ASSERT_TRUE(CreateMidiClients());
    EXPECT_TRUE(OpenMidiInByName("off"));
    EXPECT_TRUE(OpenMidiOutByName("off"));
    EXPECT_EQ(FileValue("indev"), "off");

    CopySettingsText(CurrentSettings->midiInputPort, "Gone Keyboard");
    CopySettingsText(CurrentSettings->midiOutputPort, "no output");
    WriteSettingsFile();
    EXPECT_TRUE(OpenMidiInByName(CurrentSettings->midiInputPort));
    EXPECT_STREQ(CurrentSettings->midiInputPort, "off");
    EXPECT_EQ(FileValue("indev"), "off");
    EXPECT_EQ(FileValue("outdev"), "no output");
    EXPECT_TRUE(OpenMidiOutByName(CurrentSettings->midiOutputPort));
    EXPECT_STREQ(CurrentSettings->midiOutputPort, "off");
    EXPECT_EQ(FileValue("outdev"), "off");
}

// RtMidi throws when a port does not open; the client reports it and
// answers false (here: port 0 where there are no ports).
TEST_F(MidiPortsTest, APortThatDoesNotOpenIsReportedNotThrown)
{
    RtMidiIn in(RtMidi::WINDOWS_MM);
    RtMidiOut out(RtMidi::WINDOWS_MM);
    if (in.getPortCount() > 0 || out.getPortCount() > 0)
        GTEST_SKIP() << "this system has MIDI ports";
    RtMidiPortClient input(&in, "input", "RtMidi Input");
    RtMidiPortClient output(&out, "output", "RtMidi Output");
    DebugCapture capture;
    EXPECT_FALSE(input.OpenPort(0));
    EXPECT_FALSE(output.OpenPort(3));
    input.ClosePort();
    EXPECT_EQ(capture.Texts(),
              (std::vector<std::string>{
                  "could not open MIDI input port 0: MidiInWinMM::openPort: no MIDI input sources "
                  "found!\r\n",
                  "could not open MIDI output port 3: MidiOutWinMM::openPort: no MIDI output "
                  "destinations found!\r\n"}));
    EXPECT_TRUE(input.PortNames().empty());
    EXPECT_EQ(RtMidiPortClient(nullptr, "input", "RtMidi Input").Present(), nullptr);
    EXPECT_EQ(input.Present(), &input);
}

TEST_F(MidiPortsTest, WithoutAnInputClientNoOutputIsMadeAndNothingIsCalled)
{
    EXPECT_FALSE(CreateMidiClientsWith(FailingInput, CountedOutput));
    EXPECT_EQ(gOutputsMade, 0);
    EXPECT_FALSE(MidiClientsExist());
    EXPECT_EQ(MidiOutputForPlugIn(), nullptr);
    ListMidiPorts();
    EXPECT_TRUE(MidiInputPortList().empty());
    EXPECT_TRUE(MidiOutputPortList().empty());
    EXPECT_EQ(FindMidiInPort("off"), 0);
    EXPECT_EQ(FindMidiInPort("Keys"), -1);
    EXPECT_EQ(FindMidiOutPort("Keys"), -1);
    CopySettingsText(CurrentSettings->midiInputPort, "Keys");
    EXPECT_FALSE(OpenMidiInByName(CurrentSettings->midiInputPort));
    EXPECT_STREQ(CurrentSettings->midiInputPort, "off");
    EXPECT_FALSE(OpenMidiOutByName("off"));
    CloseMidiPorts();
}

TEST_F(MidiPortsTest, WithoutAnOutputClientTheInputStaysUsableButUnlisted)
{
    EXPECT_FALSE(CreateMidiClientsWith(WinMmInput, FailingOutput));
    EXPECT_FALSE(MidiClientsExist());
    EXPECT_EQ(MidiOutputForPlugIn(), nullptr);
    ListMidiPorts();
    EXPECT_TRUE(MidiInputPortList().empty());
    EXPECT_TRUE(OpenMidiInByName("off"));
    EXPECT_FALSE(OpenMidiOutByName("off"));
    EXPECT_EQ(FindMidiOutPort("Synth"), -1);
    CloseMidiPorts();
    DeleteMidiClients();
    EXPECT_FALSE(MidiClientsExist());
}

TEST_F(MidiPortsTest, TheCallbackFiltersByTheLiveInputChannel)
{
    ReceivingUnit unit;
    AttachMidiPlugIn(&unit);
    std::vector<unsigned char> on4 = {0x94, 60, 100}, on5 = {0x95, 60, 100};
    CurrentSettings->midiInputChannel = 5;
    MidiCallback(0.0, &on4, nullptr);
    MidiCallback(0.0, &on5, nullptr);
    MidiCallback(0.0, nullptr, nullptr);
    ASSERT_EQ(unit.received.size(), 1u);
    EXPECT_EQ(unit.received[0].status, 0x94);
    CurrentSettings->midiInputChannel = 0;
    MidiCallback(0.0, &on5, nullptr);
    ASSERT_EQ(unit.received.size(), 2u);
    EXPECT_EQ(unit.received[1].status, 0x95);
}

}  // namespace
