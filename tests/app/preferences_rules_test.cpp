// The preferences dialog's rules that need no window: the comparisons of
// settings records, the fixed lists and the vector-size rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/preferences_lists.h"
#include "app/settings.h"
#include "app/settings_compare.h"

namespace {

using Texts = std::vector<std::string>;

struct FieldChange {
    const char* name;
    void (*change)(AudioMidiSettings&);
    bool audio;  // an audio field, else a MIDI field
};

const FieldChange kFieldChanges[] = {
    {"driver", [](AudioMidiSettings& s) { s.driver = 1; }, true},
    {"inputDevice", [](AudioMidiSettings& s) { CopySettingsText(s.inputDevice, "x"); }, true},
    {"outputDevice", [](AudioMidiSettings& s) { CopySettingsText(s.outputDevice, "x"); }, true},
    {"sampleRate", [](AudioMidiSettings& s) { CopySettingsText(s.sampleRate, "48000"); }, true},
    {"ioVectorSize", [](AudioMidiSettings& s) { CopySettingsText(s.ioVectorSize, "64"); }, true},
    {"signalVectorSize", [](AudioMidiSettings& s) { CopySettingsText(s.signalVectorSize, "64"); },
     true},
    {"input1", [](AudioMidiSettings& s) { s.input1 = 3; }, true},
    {"input2", [](AudioMidiSettings& s) { s.input2 = 3; }, true},
    {"output1", [](AudioMidiSettings& s) { s.output1 = 3; }, true},
    {"output2", [](AudioMidiSettings& s) { s.output2 = 3; }, true},
    {"monoInput", [](AudioMidiSettings& s) { s.monoInput = 1; }, true},
    {"midiInputPort", [](AudioMidiSettings& s) { CopySettingsText(s.midiInputPort, "x"); }, false},
    {"midiOutputPort", [](AudioMidiSettings& s) { CopySettingsText(s.midiOutputPort, "x"); },
     false},
    {"midiInputChannel", [](AudioMidiSettings& s) { s.midiInputChannel = 5; }, false},
    {"midiOutputChannel", [](AudioMidiSettings& s) { s.midiOutputChannel = 5; }, false},
};

TEST(SettingsCompare, EachFieldCountsForItsOwnSideOnly)
{
    for (const FieldChange& c : kFieldChanges) {
        SCOPED_TRACE(c.name);
        const AudioMidiSettings a = InitialSettings();
        AudioMidiSettings b = a;
        c.change(b);
        EXPECT_EQ(SameAudioSettings(a, b), !c.audio);
        EXPECT_EQ(SameMidiSettings(a, b), c.audio);
        EXPECT_FALSE(IdenticalSettings(a, b));
    }
}

TEST(SettingsCompare, TextsCompareUpToTheirTerminatorWhileTheRecordComparesEveryByte)
{
    const AudioMidiSettings a = InitialSettings();
    AudioMidiSettings b = a;
    b.inputDevice[sizeof b.inputDevice - 1] = 'x';  // after the terminator
    b.midiOutputPort[50] = 'y';
    EXPECT_TRUE(SameAudioSettings(a, b));
    EXPECT_TRUE(SameMidiSettings(a, b));
    EXPECT_FALSE(IdenticalSettings(a, b));
}

TEST(SettingsCompare, AFieldHoldsANameAsItWasCutToTheField)
{
    const std::string longName(150, 'n');
    AudioMidiSettings s = InitialSettings();
    CopySettingsText(s.inputDevice, longName.c_str());
    EXPECT_TRUE(FieldHoldsName(s.inputDevice, longName));
    EXPECT_TRUE(FieldHoldsName(s.inputDevice, std::string(99, 'n')));
    EXPECT_FALSE(FieldHoldsName(s.inputDevice, std::string(98, 'n')));
    EXPECT_TRUE(FieldHoldsName(s.outputDevice, "Default Device"));
    EXPECT_FALSE(FieldHoldsName(s.outputDevice, "default device"));
    EXPECT_FALSE(FieldHoldsName(s.outputDevice, "Default"));
}

TEST(PreferencesLists, FixedEntries)
{
    EXPECT_EQ(Texts(std::begin(kIoVectorSizes), std::end(kIoVectorSizes)),
              (Texts{"32", "64", "128", "256", "512", "1024", "2048", "4096", "8192"}));
    EXPECT_EQ(Texts(std::begin(kSignalVectorSizes), std::end(kSignalVectorSizes)),
              (Texts{"16", "32", "64", "128", "256", "512", "1024"}));
    EXPECT_EQ(Texts(std::begin(kDriverTypes), std::end(kDriverTypes)),
              (Texts{"DirectSound", "ASIO"}));
    ASSERT_EQ(std::size(kMidiChannelNames), 17u);
    EXPECT_STREQ(kMidiChannelNames[0], "all");
    for (int channel = 1; channel <= 16; ++channel)
        EXPECT_EQ(kMidiChannelNames[channel], std::to_string(channel));
}

struct VectorSizeCase {
    int io, signal;
    const char *storedIo, *storedSignal;
    const char *wantIo, *wantSignal;
    bool wantCleared;
};

TEST(PreferencesLists, VectorSizeRule)
{
    const VectorSizeCase cases[] = {
        {0, 2, "512", "32", "32", "16", true},        // I/O 32 below signal 64
        {4, 2, "512", "32", "512", "64", false},      // I/O 512, signal 64
        {1, 2, "512", "32", "64", "64", false},       // equal sizes are fine
        {0, -1, "512", "16", "32", "16", false},      // no signal selection: its stored text
        {4, -1, "512", "1024", "512", "16", true},    // ... which may be too large
        {-1, 3, "8192", "32", "8192", "128", false},  // no I/O selection
        {9, 7, "256", "64", "256", "64", false},      // outside the lists: stored texts
        {-1, 0, "abc", "32", "abc", "16", true},      // a stored text that is no number is 0
    };
    for (const VectorSizeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.io) + "/" + std::to_string(c.signal));
        const VectorSizeChoice choice =
            ChooseVectorSizes(c.io, c.signal, c.storedIo, c.storedSignal);
        EXPECT_STREQ(choice.ioVectorSize, c.wantIo);
        EXPECT_STREQ(choice.signalVectorSize, c.wantSignal);
        EXPECT_EQ(choice.clearSignalSelection, c.wantCleared);
    }
}

// The I/O vector size list shows a valid entry for any stored size.
TEST(PreferencesLists, IoVectorSizeShownForAStoredSize)
{
    const struct {
        const char *storedIo, *storedSignal, *shown;
    } cases[] = {
        {"512", "32", "512"},    // an entry stays
        {"32", "1024", "32"},    // ... even below the signal size
        {"3", "1024", "1024"},   // a refused size: the smallest that holds a signal vector
        {"0", "1024", "1024"},   // ... for 0 too
        {"1", "32", "32"},       // ... and for 1
        {"0", "16", "32"},       // the smallest entry
        {"500", "32", "512"},    // the next larger entry
        {"9000", "32", "8192"},  // the largest, when none is larger
        {"abc", "64", "64"},     // no number: 0
        {"3", "2000", "2048"},   // a signal size that is no entry counts by its value
        {"0512", "32", "512"},   // the list matches whole texts
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.storedIo) + "/" + c.storedSignal);
        EXPECT_STREQ(IoVectorSizeEntryFor(c.storedIo, c.storedSignal), c.shown);
    }
}

}  // namespace
