#include "app/midi_input_filter.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/unit_standalone.h"
#include "support/debug_capture.h"
#include "support/receiving_unit.h"

namespace {

using Bytes = std::vector<unsigned char>;

struct FilterCase {
    Bytes message;
    unsigned channelSetting;
    bool passes;
    uint8_t status, data1, data2;
};

class MidiInputFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(MidiInputFilter, TurnsTheMessageIntoAnEventAndFiltersItsChannel)
{
    const FilterCase& c = GetParam();
    ReceivingUnit unit;
    DeliverMidiInput(c.message.data(), c.message.size(), c.channelSetting, &unit);
    ASSERT_EQ(unit.received.size(), c.passes ? 1u : 0u);
    if (!c.passes) return;
    const IMidiEvent& event = unit.received[0];
    EXPECT_EQ(event.offset, 0);
    EXPECT_EQ(event.status, c.status);
    EXPECT_EQ(event.data1, c.data1);
    EXPECT_EQ(event.data2, c.data2);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, MidiInputFilter,
    ::testing::Values(
        // Note-ons on channel index 4 and 5 against input channel 5 and "all".
        FilterCase{{0x94, 60, 100}, 5, true, 0x94, 60, 100},
        FilterCase{{0x95, 60, 100}, 5, false, 0, 0, 0},
        FilterCase{{0x94, 60, 100}, 0, true, 0x94, 60, 100},
        FilterCase{{0x95, 60, 100}, 0, true, 0x95, 60, 100},
        // A one-byte system message is filtered by its low four bits too.
        FilterCase{{0xFA}, 11, true, 0xFA, 0, 0}, FilterCase{{0xFA}, 3, false, 0, 0, 0},
        FilterCase{{0xFA}, 0, true, 0xFA, 0, 0},
        // A two-byte program change.
        FilterCase{{0xC3, 0x05}, 0, true, 0xC3, 5, 0},
        FilterCase{{0xCF, 0x05}, 16, true, 0xCF, 5, 0},
        // A channel setting beyond 16 (an edited settings file) lets nothing pass.
        FilterCase{{0x90, 60, 100}, 17, false, 0, 0, 0}));

TEST(MidiInput, EmptyMessagesAreIgnoredSilently)
{
    DebugCapture capture;
    ReceivingUnit unit;
    DeliverMidiInput(nullptr, 0, 0, &unit);
    EXPECT_TRUE(unit.received.empty());
    EXPECT_TRUE(capture.Texts().empty());
}

TEST(MidiInput, LongerMessagesAreReportedAndDropped)
{
    DebugCapture capture;
    ReceivingUnit unit;
    const Bytes sysex = {0xF0, 0x7E, 0x01, 0x02, 0xF7};
    DeliverMidiInput(sysex.data(), sysex.size(), 0, &unit);
    EXPECT_TRUE(unit.received.empty());
    EXPECT_EQ(capture.Texts(),
              std::vector<std::string>{"NOT EXPECTING 5 midi callback msg len\r\n"});
}

TEST(MidiInput, NothingReachesAMissingPlugIn)
{
    const Bytes note = {0x90, 60, 100};
    DeliverMidiInput(note.data(), note.size(), 0, nullptr);
    IMidiEvent event;
    ASSERT_TRUE(MidiEventFromBytes(note.data(), note.size(), &event));
    EXPECT_TRUE(MidiInputChannelPasses(1, event));
}

}  // namespace
