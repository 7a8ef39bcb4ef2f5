#include "core/unit_standalone.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "core/midi_event.h"
#include "support/midi_message.h"
#include "support/test_unit.h"

namespace {

using Bytes = std::vector<unsigned char>;

class RecordingPort : public MidiOutputPort {
public:
    void SendMessage(const unsigned char* bytes, size_t size) override
    {
        sent.emplace_back(bytes, bytes + size);
    }
    std::vector<Bytes> sent;
};

class StandaloneUnit : public IUnitStandalone {
public:
    StandaloneUnit(MidiOutputPort* port, uint16_t* channel, bool doesMidi,
                   const char* channelIO = "1-0 2-0")
        : IUnitStandalone(port, channel, 2, channelIO, 1, "unit", "", "maker", 0x00010203, 1, 2, 0,
                          doesMidi, true, false, 0)
    {
    }
    void EditorResized() override { ++resized; }
    void ProcessDoubleBlock(double**, double**, int frames) override
    {
        inBlock = true;
        while (!releaseBlock) std::this_thread::yield();
        processed += frames;
    }
    int resized = 0;
    int processed = 0;
    std::atomic<bool> inBlock{false}, releaseBlock{true};
};

TEST(Standalone, ConstructionConnectsEverythingAndNamesTheHost)
{
    StandaloneUnit unit(nullptr, nullptr, false, "2-2");
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(unit.IsInputConnected(i));
        EXPECT_TRUE(unit.IsOutputConnected(i));
        EXPECT_EQ(unit.InputAt(i)->scratch.Size(), 1024 * 8);
    }
    EXPECT_EQ(unit.BlockSize(), 1024);
    EXPECT_EQ(unit.HostId(), 24);
    EXPECT_EQ(unit.HostVersionNumber(false), 0x00010203);
    EXPECT_EQ(unit.BindingKind(), kBindingStandalone);
    EXPECT_EQ(unit.HostTempo(), 120.0);
    EXPECT_EQ(unit.HostSamplePosition(), 0);
    int numerator = 7, denominator = 9;
    unit.HostTimeSignature(&numerator, &denominator);
    EXPECT_EQ(numerator, 7);
    EXPECT_EQ(denominator, 9);
}

TEST(Standalone, MidiOutOnTheChosenChannel)
{
    struct Case {
        uint16_t setting;
        IMidiEvent event;
        Bytes expected;
    };
    const Case cases[] = {
        {0, MidiMessage(0x95, 60, 100), {0x95, 60, 100}},
        {3, MidiMessage(0x95, 60, 100), {0x92, 60, 100}},
        {16, MidiMessage(0xB0, 7, 127), {0xBF, 7, 127}},
        {1, MidiMessage(0x9F, 1, 2), {0x90, 1, 2}},
        {0, MidiMessage(0xC5, 7, 0), {0xC5, 7, 0}},  // a program change still goes out as three
                                                     // bytes
        {5, MidiMessage(0xF8, 0, 0), {0xF8, 0, 0}},  // system messages have no channel to move
    };
    for (const Case& c : cases) {
        RecordingPort port;
        uint16_t setting = c.setting;
        StandaloneUnit unit(&port, &setting, true);
        EXPECT_TRUE(unit.TransmitMidiMessage(&c.event));
        ASSERT_EQ(port.sent.size(), 1u);
        EXPECT_EQ(port.sent[0], c.expected) << int(c.setting);
    }
}

TEST(Standalone, NothingGoesOutWithoutMidiOrPort)
{
    RecordingPort port;
    uint16_t setting = 0;
    const IMidiEvent note = MidiMessage(0x90, 1, 2);
    StandaloneUnit silent(&port, &setting, false);
    EXPECT_FALSE(silent.TransmitMidiMessage(&note));
    silent.ReceiveMidiMessage(&note);  // MIDI through ends at the same test
    EXPECT_TRUE(port.sent.empty());

    StandaloneUnit portless(nullptr, &setting, true);
    EXPECT_FALSE(portless.TransmitMidiMessage(&note));
    ISysExEvent sysex;
    sysex.Zero();
    EXPECT_FALSE(portless.TransmitSysEx(&sysex));
}

TEST(Standalone, SysExIgnoresTheMidiFlagAndRefusesBadEvents)
{
    RecordingPort port;
    StandaloneUnit unit(&port, nullptr, false);
    const uint8_t bytes[] = {0xF0, 0x7D, 0x01, 0xF7};
    ISysExEvent event;
    event.Zero();
    event.size = 4;
    event.data = bytes;
    EXPECT_TRUE(unit.TransmitSysEx(&event));

    event.size = 0;
    event.data = nullptr;
    EXPECT_TRUE(unit.TransmitSysEx(&event));  // an empty message is handed over
    ASSERT_EQ(port.sent.size(), 2u);
    EXPECT_EQ(port.sent[0], (Bytes{0xF0, 0x7D, 0x01, 0xF7}));
    EXPECT_TRUE(port.sent[1].empty());

    event.size = -1;
    EXPECT_FALSE(unit.TransmitSysEx(&event));
    event.size = 3;
    EXPECT_FALSE(unit.TransmitSysEx(&event));  // null data with a size
    EXPECT_EQ(port.sent.size(), 2u);
}

TEST(Standalone, ApplyEditorSizeOnlyWithAnEditor)
{
    std::vector<std::string> log;
    StandaloneUnit unit(nullptr, nullptr, false);
    unit.ApplyEditorSize(100, 100);
    EXPECT_EQ(unit.resized, 0);
    unit.AttachEditor(new TestEditor(&log));
    unit.ApplyEditorSize(-5, 0);
    EXPECT_EQ(unit.resized, 1);
}

TEST(Standalone, ProcessBlockLockedHoldsThePluginLock)
{
    StandaloneUnit unit(nullptr, nullptr, false);
    unit.releaseBlock = false;
    std::thread audio([&] { unit.ProcessBlockLocked(nullptr, nullptr, 64); });
    while (!unit.inBlock) std::this_thread::yield();

    std::atomic<bool> gotLock{false};
    std::thread ui([&] {
        LockGuard lock(unit.PluginLock());
        gotLock = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(gotLock);
    unit.releaseBlock = true;
    audio.join();
    ui.join();
    EXPECT_TRUE(gotLock);
    EXPECT_EQ(unit.processed, 64);
}

}  // namespace
