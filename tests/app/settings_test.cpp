#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/settings.h"
#include "app/settings_file.h"
#include "support/debug_capture.h"
#include "support/settings_builder.h"

namespace fs = std::filesystem;

namespace {

const char kNoFolderLine[] = "could not retrieve the user's application data directory!\r\n";

const std::vector<std::string> kInitialFileLines = {
    "[audio]",
    "driver=0",
    "indev=Default Device",
    "outdev=Default Device",
    "in1=1",
    "in2=2",
    "out1=1",
    "out2=2",
    "monoinput=0",
    "iovs=512",
    "sigvs=32",
    "sr=44100",
    "[midi]",
    "indev=off",
    "outdev=off",
    "inchan=0",
    "outchan=0",
};

bool SameBytes(const AudioMidiSettings& a, const AudioMidiSettings& b)
{
    return memcmp(&a, &b, sizeof a) == 0;
}

TEST(SettingsRecord, StartsWithInitialValues)
{
    const AudioMidiSettings s = InitialSettings();
    EXPECT_EQ(s.driver, 0);
    EXPECT_STREQ(s.inputDevice, "Default Device");
    EXPECT_STREQ(s.outputDevice, "Default Device");
    EXPECT_STREQ(s.sampleRate, "44100");
    EXPECT_STREQ(s.ioVectorSize, "512");
    EXPECT_STREQ(s.signalVectorSize, "32");
    EXPECT_EQ(s.input1, 1);
    EXPECT_EQ(s.input2, 2);
    EXPECT_EQ(s.output1, 1);
    EXPECT_EQ(s.output2, 2);
    EXPECT_EQ(s.monoInput, 0);
    EXPECT_STREQ(s.midiInputPort, "off");
    EXPECT_STREQ(s.midiOutputPort, "off");
    EXPECT_EQ(s.midiInputChannel, 0);
    EXPECT_EQ(s.midiOutputChannel, 0);
    // The unused bytes are zero, so equal settings are equal byte for byte.
    EXPECT_EQ(s.sampleRate[5], '\0');
    EXPECT_EQ(s.sampleRate[kSettingsTextSize - 1], '\0');

    CreateSettingsRecords();
    for (const AudioMidiSettings* record : {CurrentSettings, BackupSettings, RunningSettings}) {
        ASSERT_NE(record, nullptr);
        EXPECT_TRUE(SameBytes(*record, s));
    }
    EXPECT_NE(CurrentSettings, BackupSettings);
    EXPECT_NE(CurrentSettings, RunningSettings);
    FreeSettingsRecords();
    FreeSettingsRecords();
    EXPECT_EQ(CurrentSettings, nullptr);
    EXPECT_EQ(BackupSettings, nullptr);
    EXPECT_EQ(RunningSettings, nullptr);
}

TEST(SettingsRecord, CopiedTextsKeepTo99CharactersAndZeroTheRest)
{
    struct Case {
        std::string text;
        std::string kept;
    };
    const Case cases[] = {
        {"", ""},
        {"Speakers", "Speakers"},
        {std::string(99, 'a'), std::string(99, 'a')},
        {std::string(100, 'b'), std::string(99, 'b')},
        {std::string(150, 'c'), std::string(99, 'c')},
    };
    for (const Case& c : cases) {
        AudioMidiSettings s = InitialSettings();
        CopySettingsText(s.outputDevice, std::string(120, 'z').c_str());
        CopySettingsText(s.outputDevice, c.text.c_str());
        AudioMidiSettings expected = InitialSettings();
        memset(expected.outputDevice, 0, kSettingsTextSize);
        memcpy(expected.outputDevice, c.kept.data(), c.kept.size());
        EXPECT_TRUE(SameBytes(s, expected)) << "length " << c.text.size();
    }
    AudioMidiSettings s = InitialSettings();
    CopySettingsText(s.inputDevice, nullptr);
    EXPECT_STREQ(s.inputDevice, "");
}

TEST(SettingsFilePathBuffer, HoldsAtLeastMaxPathAndStartsEmpty)
{
    AllocateSettingsFilePath();
    ASSERT_NE(SettingsFilePath, nullptr);
    EXPECT_GE(kSettingsFilePathSize, size_t(MAX_PATH));
    EXPECT_STREQ(SettingsFilePath, "");
    FreeSettingsFilePath();
    FreeSettingsFilePath();
    EXPECT_EQ(SettingsFilePath, nullptr);
}

// Each test works in a folder of its own under the temporary folder, which
// stands for the local application-data folder.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mBase = fs::temp_directory_path() /
                ("velvane-settings-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(mBase);
        fs::create_directories(mBase);
        CreateSettingsRecords();
        AllocateSettingsFilePath();
    }

    void TearDown() override
    {
        FreeSettingsFilePath();
        FreeSettingsRecords();
        std::error_code ignored;
        fs::remove_all(mBase, ignored);
    }

    std::string Base() const { return mBase.string(); }
    fs::path Folder() const { return mBase / "tq_Velvane"; }
    fs::path File() const { return Folder() / "settings.ini"; }

    void PutFile(const std::string& content) const
    {
        fs::create_directories(Folder());
        std::ofstream(File(), std::ios::binary) << content;
    }

    // The file's lines without line ends and blank lines.
    std::vector<std::string> FileLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(File(), std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        return lines;
    }

    // A folder path of exactly length characters below the test's folder.
    std::string FolderOfLength(size_t length) const
    {
        std::string path = Base();
        while (path.size() + 1 < length)
            path += "\\" + std::string(std::min<size_t>(length - path.size() - 1, 60), 'd');
        path.resize(length, 'd');
        return path;
    }

    fs::path mBase;
};

TEST_F(SettingsFileTest, FirstStartCreatesTheFolderAndWritesInitialValues)
{
    ASSERT_FALSE(fs::exists(Folder()));
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    EXPECT_TRUE(fs::is_directory(Folder()));
    EXPECT_EQ(std::string(SettingsFilePath), Base() + "\\tq_Velvane\\settings.ini");
    EXPECT_EQ(FileLines(), kInitialFileLines);
    EXPECT_TRUE(SameBytes(*CurrentSettings, InitialSettings()));
}

TEST_F(SettingsFileTest, EveryMissingFolderOfThePathIsMade)
{
    const fs::path base = mBase / "Local" / "Data";
    ASSERT_TRUE(PrepareSettingsFileIn(base.string().c_str(), nullptr));
    EXPECT_TRUE(fs::is_regular_file(base / "tq_Velvane" / "settings.ini"));
}

TEST_F(SettingsFileTest, AFolderThatCannotBeMadeIsNamedToTheUser)
{
    // A file where the settings folder, or a folder above it, would go.
    for (const fs::path& blocker : {Folder(), mBase / "Local"}) {
        std::ofstream(blocker, std::ios::binary) << "kept";
        const fs::path base = blocker == Folder() ? mBase : mBase / "Local" / "Data";
        DebugCapture capture;
        std::string problem;
        EXPECT_FALSE(PrepareSettingsFileIn(base.string().c_str(), &problem));
        EXPECT_EQ(problem,
                  "Velvane could not make the folder " + blocker.string() + " for its settings.");
        EXPECT_EQ(capture.Texts(), std::vector<std::string>{kNoFolderLine});
        std::ifstream in(blocker, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept");
    }
}

TEST_F(SettingsFileTest, FolderWithoutFileGetsInitialValuesWithoutReading)
{
    fs::create_directories(Folder());
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    // Reading would have given the MIDI ports "no input" and "no output".
    EXPECT_EQ(FileLines(), kInitialFileLines);
    EXPECT_TRUE(SameBytes(*CurrentSettings, InitialSettings()));
}

TEST_F(SettingsFileTest, MissingKeysTakeTheirReadDefaultsAndAreWrittenBack)
{
    PutFile("[audio]\r\ndriver=1\r\n");
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));

    const AudioMidiSettings expected =
        SettingsBuilder().Driver(1).MidiPorts("no input", "no output");
    EXPECT_TRUE(SameBytes(*CurrentSettings, expected));

    std::vector<std::string> lines = kInitialFileLines;
    lines[1] = "driver=1";
    lines[13] = "indev=no input";
    lines[14] = "outdev=no output";
    EXPECT_EQ(FileLines(), lines);
}

TEST_F(SettingsFileTest, EveryKeyIsWrittenInOrderAndReadBack)
{
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    AudioMidiSettings& s = *CurrentSettings;
    s = SettingsBuilder()
            .Driver(1)
            .InputDevice("Line In (USB)")
            .OutputDevice("Speakers")
            .SampleRate("48000")
            .IoVectorSize("256")
            .SignalVectorSize("64")
            .InputChannels(3, 4)
            .OutputChannels(5, 6)
            .MonoInput(1)
            .MidiPorts("Keys 1", "Synth 2")
            .MidiChannels(16, 65535);
    const AudioMidiSettings written = s;
    WriteSettingsFile();

    EXPECT_EQ(FileLines(),
              (std::vector<std::string>{
                  "[audio]", "driver=1", "indev=Line In (USB)", "outdev=Speakers", "in1=3", "in2=4",
                  "out1=5", "out2=6", "monoinput=1", "iovs=256", "sigvs=64", "sr=48000", "[midi]",
                  "indev=Keys 1", "outdev=Synth 2", "inchan=16", "outchan=65535"}));

    s = InitialSettings();
    ReadSettingsFile();
    EXPECT_TRUE(SameBytes(s, written));
}

// Another handle that shares no writing makes the file unwritable, as an
// immutable file does.
TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsToldAndKeptAsItWas)
{
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    const std::vector<std::string> before = FileLines();
    CopySettingsText(CurrentSettings->sampleRate, "48000");
    HANDLE lock = CreateFileA(SettingsFilePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteSettingsFile());
    CloseHandle(lock);
    EXPECT_EQ(FileLines(), before);
    EXPECT_STREQ(CurrentSettings->sampleRate, "48000");

    EXPECT_TRUE(WriteSettingsFile());
    std::vector<std::string> after = before;
    after[11] = "sr=48000";
    EXPECT_EQ(FileLines(), after);
}

TEST_F(SettingsFileTest, ExistingFileIsReadAndRewrittenWithEveryKey)
{
    PutFile("[midi]\r\noutchan=9\r\nindev=Keys\r\n[audio]\r\nsr=96000\r\nextra=kept\r\n");
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    EXPECT_STREQ(CurrentSettings->sampleRate, "96000");
    EXPECT_STREQ(CurrentSettings->midiInputPort, "Keys");
    EXPECT_EQ(CurrentSettings->midiOutputChannel, 9);

    const std::vector<std::string> lines = FileLines();
    for (const char* line :
         {"[audio]", "driver=0", "indev=Default Device", "outdev=Default Device", "in1=1", "in2=2",
          "out1=1", "out2=2", "monoinput=0", "iovs=512", "sigvs=32", "sr=96000", "extra=kept",
          "[midi]", "indev=Keys", "outdev=no output", "inchan=0", "outchan=9"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
}

TEST_F(SettingsFileTest, IntegersKeepTheLow16BitsOfThePlatformsReading)
{
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    struct Case {
        const char* text;
        uint16_t read;
    };
    // As Wine's GetPrivateProfileIntA reads them: leading digits, "0x" hex,
    // negative numbers as unsigned 32 bits, an empty value as missing.
    const Case cases[] = {
        {"7", 7},   {"65535", 65535}, {"65537", 1},   {"70000", 4464}, {"4294967295", 65535},
        {"abc", 0}, {"-1", 65535},    {"-2", 65534},  {"12abc", 12},   {"0x10", 16},
        {"+5", 5},  {"010", 10},      {"\"42\"", 42}, {"", 2},
    };
    for (const Case& c : cases) {
        WritePrivateProfileStringA("audio", "in2", c.text, SettingsFilePath);
        ReadSettingsFile();
        EXPECT_EQ(CurrentSettings->input2, c.read) << "in2=" << c.text;
    }
}

TEST_F(SettingsFileTest, LongTextsAreCutTo99CharactersWithoutTouchingOtherFields)
{
    ASSERT_TRUE(PrepareSettingsFileIn(Base().c_str(), nullptr));
    const AudioMidiSettings before = *CurrentSettings;
    for (size_t length : {98, 99, 100, 150, 1000, 5}) {
        const std::string text(length, 'n');
        WritePrivateProfileStringA("audio", "indev", text.c_str(), SettingsFilePath);
        ReadSettingsFile();
        AudioMidiSettings expected = before;
        CopySettingsText(expected.inputDevice, text.c_str());
        EXPECT_TRUE(SameBytes(*CurrentSettings, expected)) << "length " << length;
        EXPECT_EQ(strlen(CurrentSettings->inputDevice), std::min<size_t>(length, 99));
        WriteSettingsFile();
        EXPECT_EQ(FileLines()[2], "indev=" + std::string(std::min<size_t>(length, 99), 'n'));
    }
}

TEST_F(SettingsFileTest, APathThatDoesNotFitCountsAsAMissingFolder)
{
    const size_t appended = strlen("\\tq_Velvane\\settings.ini");
    const std::string fits = FolderOfLength(kSettingsFilePathSize - 1 - appended);
    const std::string tooLong = fits + "d";
    fs::create_directories(fits);
    fs::create_directories(tooLong);

    DebugCapture capture;
    std::string problem;
    EXPECT_FALSE(PrepareSettingsFileIn(tooLong.c_str(), &problem));
    EXPECT_EQ(problem,
              "The path of Velvane's settings folder, " + tooLong + "\\tq_Velvane, is too long.");
    EXPECT_FALSE(PrepareSettingsFileIn(nullptr, nullptr));
    EXPECT_EQ(capture.Texts(), (std::vector<std::string>{kNoFolderLine, kNoFolderLine}));
    EXPECT_FALSE(fs::exists(tooLong + "\\tq_Velvane"));

    ASSERT_TRUE(PrepareSettingsFileIn(fits.c_str(), nullptr));
    EXPECT_EQ(strlen(SettingsFilePath), kSettingsFilePathSize - 1);
    EXPECT_TRUE(fs::exists(SettingsFilePath));
    EXPECT_EQ(capture.Texts().size(), 2u);
}

}  // namespace
