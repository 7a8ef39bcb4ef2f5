#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "core/host_id.h"
#include "core/midi_event.h"
#include "support/midi_message.h"
#include "support/test_unit.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(HostId, NamesGiveHostNumbers)
{
    struct Case {
        const char* name;
        int number;
    };
    const Case cases[] = {
        {"REAPER", 1},
        {"Reaper x64", 1},  // any case, with more after the name
        {"Nuendo 12", 4},
        {"Cubase Nuendo", 3},  // cubase is tried first
        {"Nuendo REAPER", 1},  // reaper is tried before nuendo
        {"Olive Tree", 9},
        {"Live 11", 9},
        {"Live Samplitude", 8},  // samplitude is tried before live
        {"Melodyne", 12},
        {"Pro Tools", 0},  // only "protools" matches
        {"ProTools", 2},
        {"VST3PluginTestHost", 27},
        {"Ardour", 28},
        {"standalone", 24},
        {"Digital Performer", 23},
        {"Unheard Of", 0},
        {"", 0},
        {nullptr, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HostIdFromName(c.name), c.number) << (c.name ? c.name : "null");
}

TEST(HostId, LongNamesAreSearchedWhole)
{
    const std::string name = std::string(300, 'x') + "REAPER";
    EXPECT_EQ(HostIdFromName(name.c_str()), 1);
}

TEST(HostId, DisplayNames)
{
    struct Case {
        int number;
        const char* name;
    };
    const Case cases[] = {
        {1, "Reaper"},
        {6, "Vegas"},
        {7, "FLStudio"},
        {12, "Unknown"},
        {13, "VSTScanner"},
        {23, "DigitalPerformer"},
        {27, "VST3PluginTestHost"},
        {28, "Ardour"},
        {0, "Unknown"},
        {10, "Unknown"},
        {11, "Unknown"},
        {19, "Unknown"},
        {-1, "Unknown"},
        {29, "Unknown"},
    };
    for (const Case& c : cases) {
        char out[19];
        std::memset(out, '#', sizeof out);
        HostDisplayName(c.number, out);
        EXPECT_STREQ(out, c.name) << c.number;
    }
}

TEST(HostId, DetectedHostsShowTheirDisplayNames)
{
    const char* detected[] = {"cubase",    "reaper",   "garageband",
                              "sawstudio", "presonus", "audiomulch"};
    const char* shown[] = {"Cubase",    "Reaper",    "GarageBand",
                           "SAWStudio", "StudioOne", "AudioMulch"};
    for (int i = 0; i < 6; ++i) {
        char out[19];
        HostDisplayName(HostIdFromName(detected[i]), out);
        EXPECT_STREQ(out, shown[i]);
    }
}

TEST(HostId, CopyLowerCaseLeavesHighBytesAndTerminates)
{
    char out[16];
    std::memset(out, '#', sizeof out);
    CopyLowerCase(out, "AbC\xC9\xFF-9Z");
    EXPECT_STREQ(out, "abc\xC9\xFF-9z");
    CopyLowerCase(out, "");
    EXPECT_STREQ(out, "");
    CopyLowerCase(out, nullptr);
    EXPECT_STREQ(out, "");
}

TEST(HostId, SetHostStoresNumberAndVersion)
{
    TestUnit unit;
    unit.SetHost("standalone", 0x00010000);
    EXPECT_EQ(unit.HostId(), 24);
    EXPECT_EQ(unit.HostVersionNumber(false), 0x00010000);
    char text[20];
    unit.HostVersionText(text);
    EXPECT_STREQ(text, "v1.0.0");

    unit.SetHost("Something Else", 0x00020A0F);
    EXPECT_EQ(unit.HostId(), 0);
    EXPECT_EQ(unit.HostVersionNumber(false), 0x00020A0F);
    unit.SetHost(nullptr, 0);
    EXPECT_EQ(unit.HostId(), 0);
}

TEST(MidiEvent, NoteBuildersMaskChannelAndDataBytes)
{
    IMidiEvent event;
    event.SetNoteOn(60, 100, 17, 5);
    EXPECT_EQ(event.offset, 17);
    EXPECT_EQ(event.status, 0x95);
    EXPECT_EQ(event.data1, 60);
    EXPECT_EQ(event.data2, 100);

    event.SetNoteOn(0x80 + 60, 0x180 + 1, 0, 16 + 3);
    EXPECT_EQ(event.status, 0x93);
    EXPECT_EQ(event.data1, 60);
    EXPECT_EQ(event.data2, 1);

    event.SetNoteOn(-1, 64, 0, -1);
    EXPECT_EQ(event.status, 0x9F);
    EXPECT_EQ(event.data1, 127);

    event.SetNoteOff(200, 9, 31);
    EXPECT_EQ(event.offset, 9);
    EXPECT_EQ(event.status, 0x8F);
    EXPECT_EQ(event.data1, 200 & 0x7F);
    EXPECT_EQ(event.data2, 0);
}

TEST(MidiEvent, PitchBendValues)
{
    struct Case {
        double amount;
        int value;
    };
    const Case cases[] = {
        {0.0, 8192},  {1.0, 16383},  {-1.0, 0},       {0.5, 12288}, {-0.5, 4096},
        {1e-5, 8192}, {-1e-4, 8192}, {-0.0002, 8191},  // truncation toward zero
        {5.0, 16383}, {-5.0, 0},     {kInf, 16383},   {-kInf, 0},   {kNaN, 8192},
    };
    for (const Case& c : cases) {
        IMidiEvent event;
        event.offset = 99;
        event.SetPitchBend(c.amount, 2);
        EXPECT_EQ(event.offset, 0);
        EXPECT_EQ(event.status, 0xE2);
        EXPECT_EQ(event.data1, c.value & 0x7F) << c.amount;
        EXPECT_EQ(event.data2, c.value >> 7) << c.amount;
    }
    IMidiEvent event;
    event.SetPitchBend(0.0, 18);
    EXPECT_EQ(event.status, 0xE2);
}

TEST(MidiEvent, ControllerValuesAreClamped)
{
    struct Case {
        double amount;
        int value;
    };
    const Case cases[] = {
        {1.0, 127}, {0.0, 0},    {0.5, 63},  {0.999, 126}, {-0.5, 0},
        {2.0, 127}, {kInf, 127}, {-kInf, 0}, {kNaN, 0},
    };
    for (const Case& c : cases) {
        IMidiEvent event;
        event.SetController(7, c.amount, 0);
        EXPECT_EQ(event.offset, 0);
        EXPECT_EQ(event.status, 0xB0);
        EXPECT_EQ(event.data1, 7);
        EXPECT_EQ(event.data2, c.value) << c.amount;
    }
    IMidiEvent event;
    event.SetController(128 + 7, 1.0, 16 + 4);
    EXPECT_EQ(event.status, 0xB4);
    EXPECT_EQ(event.data1, 7);
    EXPECT_EQ(event.ControllerAmount(7), 1.0);
    EXPECT_EQ(event.ControllerAmount(8), -1.0);
}

TEST(MidiEvent, ReadersAnswerOnlyForTheirKind)
{
    struct Case {
        uint8_t status;
        int kind;
        int key;
        int velocity;
        int keyPressure;
        int channelPressure;
        int program;
    };
    // Every message carries data1 11 and data2 22.
    const Case cases[] = {
        {0x00, 0, -1, -1, -1, -1, -1},  {0x7F, 0, -1, -1, -1, -1, -1},
        {0x80, 8, 11, 22, -1, -1, -1},  {0x95, 9, 11, 22, -1, -1, -1},
        {0x9F, 9, 11, 22, -1, -1, -1},  {0xA3, 10, 11, -1, 22, -1, -1},
        {0xB0, 11, -1, -1, -1, -1, -1}, {0xCF, 12, -1, -1, -1, -1, 11},
        {0xD1, 13, -1, -1, -1, 11, -1}, {0xE0, 14, -1, -1, -1, -1, -1},
        {0xEF, 14, -1, -1, -1, -1, -1}, {0xF0, 0, -1, -1, -1, -1, -1},
        {0xFF, 0, -1, -1, -1, -1, -1},
    };
    for (const Case& c : cases) {
        const IMidiEvent event = MidiMessage(c.status, 11, 22);
        SCOPED_TRACE(int(c.status));
        EXPECT_EQ(event.ChannelIndex(), c.status & 0x0F);
        EXPECT_EQ(event.StatusKind(), c.kind);
        EXPECT_EQ(event.NoteKey(), c.key);
        EXPECT_EQ(event.NoteVelocity(), c.velocity);
        EXPECT_EQ(event.KeyPressure(), c.keyPressure);
        EXPECT_EQ(event.ChannelPressure(), c.channelPressure);
        EXPECT_EQ(event.ProgramIndex(), c.program);
        EXPECT_EQ(event.FirstDataByte(), 11);
        if (c.kind != 14) {
            EXPECT_EQ(event.PitchBendAmount(), 0.0);
        }
        if (c.kind != 11) {
            EXPECT_EQ(event.ControllerAmount(11), -1.0);
        }
    }
    EXPECT_EQ(MidiMessage(0xB9, 11, 22).ControllerAmount(11), 22 / 127.0);
    EXPECT_EQ(MidiMessage(0xB9, 11, 22).ControllerAmount(22), -1.0);
}

TEST(MidiEvent, PitchBendAmountRoundTrips)
{
    EXPECT_EQ(MidiMessage(0xE0, 0, 64).PitchBendAmount(), 0.0);
    EXPECT_EQ(MidiMessage(0xE0, 0, 0).PitchBendAmount(), -1.0);
    EXPECT_EQ(MidiMessage(0xE5, 127, 127).PitchBendAmount(), 8191.0 / 8192.0);
    IMidiEvent event;
    event.SetPitchBend(-0.25, 0);
    EXPECT_EQ(event.PitchBendAmount(), -0.25);
}

TEST(MidiEvent, ZeroClearsBothRecords)
{
    IMidiEvent event;
    event.SetNoteOn(1, 2, 3, 4);
    event.Zero();
    EXPECT_EQ(event.offset, 0);
    EXPECT_EQ(event.status, 0);
    EXPECT_EQ(event.data1, 0);
    EXPECT_EQ(event.data2, 0);

    const uint8_t bytes[] = {0xF0, 0xF7};
    ISysExEvent sysex{5, 2, bytes};
    sysex.Zero();
    EXPECT_EQ(sysex.offset, 0);
    EXPECT_EQ(sysex.size, 0);
    EXPECT_EQ(sysex.data, nullptr);
}

TEST(MidiEvent, KindNames)
{
    struct Case {
        int kind;
        const char* name;
    };
    const Case cases[] = {
        {0, "none"},           {1, "unknown"},        {7, "unknown"},
        {8, "noteoff"},        {9, "noteon"},         {10, "aftertouch"},
        {11, "controlchange"}, {12, "programchange"}, {13, "channelaftertouch"},
        {14, "pitchwheel"},    {15, "unknown"},       {-1, "unknown"},
        {1000, "unknown"},
    };
    for (const Case& c : cases) EXPECT_STREQ(MidiStatusKindName(c.kind), c.name) << c.kind;
}

// Records the status of every message offered and refuses the one at refused.
class RefusingUnit : public TestUnit {
public:
    explicit RefusingUnit(int refused) : refused(refused) {}
    bool TransmitMidiMessage(const IMidiEvent* message) override
    {
        offered.push_back(message->status);
        return int(offered.size()) - 1 != refused;
    }
    int refused;
    std::vector<int> offered;
};

TEST(MidiEvent, TransmittingAListOffersEveryEvent)
{
    struct Case {
        int count;
        int refused;
        bool result;
    };
    const Case cases[] = {{3, 1, false}, {3, -1, true}, {3, 2, false}, {0, -1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " refusing " + std::to_string(c.refused));
        HeapBuffer events(4096);
        ASSERT_TRUE(events.Resize(c.count * int(sizeof(IMidiEvent))));
        std::vector<int> statuses;
        for (int i = 0; i < c.count; ++i) {
            const IMidiEvent event = MidiMessage(uint8_t(0x90 + i), 60, 100);
            std::memcpy(static_cast<IMidiEvent*>(events.Data()) + i, &event, sizeof event);
            statuses.push_back(0x90 + i);
        }
        RefusingUnit unit(c.refused);
        EXPECT_EQ(unit.TransmitMidiMessages(events), c.result);
        EXPECT_EQ(unit.offered, statuses);
    }
}

TEST(FormatBytesAsHex, WritesWhatFitsAndNoMore)
{
    const uint8_t bytes[] = {0x01, 0xAB, 0xFF, 0x7C};
    struct Case {
        int outSize;
        int count;
        const char* text;
    };
    const Case cases[] = {
        {7, 3, "01 AB"},
        {9, 3, "01 AB FF"},
        {12, 4, "01 AB FF 7C"},
        {64, 4, "01 AB FF 7C"},
        {3, 4, "01"},
        {2, 3, ""},
        {1, 3, ""},
        {64, 0, ""},
        {64, -3, ""},
    };
    for (const Case& c : cases) {
        char buffer[80];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(FormatBytesAsHex(buffer, c.outSize, bytes, c.count), buffer);
        EXPECT_STREQ(buffer, c.text) << c.outSize << " " << c.count;
        for (int i = c.outSize; i < int(sizeof buffer); ++i) ASSERT_EQ(buffer[i], '#') << i;
    }
}

TEST(FormatBytesAsHex, NullAndEmptyBuffers)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatBytesAsHex(buffer, 8, nullptr, 3), buffer);
    EXPECT_STREQ(buffer, "");

    const uint8_t bytes[] = {0x10};
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatBytesAsHex(buffer, 0, bytes, 1), buffer);
    EXPECT_EQ(FormatBytesAsHex(buffer, -5, bytes, 1), buffer);
    EXPECT_EQ(FormatBytesAsHex(buffer, 0, bytes, 0), buffer);
    for (char c : buffer) EXPECT_EQ(c, '#');

    EXPECT_EQ(FormatBytesAsHex(nullptr, 8, bytes, 1), nullptr);
}

}  // namespace
