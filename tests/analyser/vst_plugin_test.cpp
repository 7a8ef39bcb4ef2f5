// The analyser as a VST 2 plug-in module, driven through the interface by
// the test host as a host program would.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "support/vst_host.h"
#include "vst_plugin_fixture.h"

namespace {

TEST_F(VstPlugin, EffectRecordOfTheAnalyser)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    EXPECT_STREQ(host.EntryName(), "VSTPluginMain");
    EXPECT_EQ(e->magic, FourCharCode("VstP"));
    EXPECT_EQ(e->flags, 0x1039);
    EXPECT_EQ(e->parameterCount, 11);
    EXPECT_EQ(e->programCount, 1);
    EXPECT_EQ(e->inputCount, 2);
    EXPECT_EQ(e->outputCount, 0);
    EXPECT_EQ(e->uniqueId, FourCharCode("Vqlz"));
    EXPECT_EQ(host.Text(e, kVst2GetEffectName), "tq_Velvane");
    EXPECT_EQ(host.Text(e, kVst2GetVendorString), "Kestrane");
    EXPECT_EQ(host.Dispatch(e, kVst2GetVstVersion), 2400);
}

TEST_F(VstPlugin, ElevenNamesAndDisplays)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    // Cut to the interface's eight bytes, terminator included.
    const char* const names[] = {"disp. L", "disp. P", "disp. o", "window ", "speed",  "gain",
                                 "freeze",  "scroll",  "marker1", "marker2", "show ma"};
    const char* const displays[] = {"1", "0", "0",   "0",   "500.000", "1.000",
                                    "0", "0", "255", "767", "0"};
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(host.Text(e, kVst2GetParameterName, i), names[i]) << i;
        EXPECT_EQ(host.Text(e, kVst2GetParameterDisplay, i), displays[i]) << i;
    }
    e->setParameter(e, 5, 1.0f);
    EXPECT_EQ(host.Text(e, kVst2GetParameterDisplay, 5), "100.000");
    EXPECT_FLOAT_EQ(e->getParameter(e, 5), 1.0f);
}

// The analyser's one program is "-" until the host renames it. Renaming
// keeps the values of that moment with the name: selecting the program
// brings them back, and the bank carries both to another instance. Names
// reach the host cut to its 24-byte buffer.
TEST_F(VstPlugin, TheHostNamesTheProgram)
{
    Vst2Effect* e = Open();
    Vst2Effect* other = Open();
    ASSERT_TRUE(e && other);
    EXPECT_EQ(host.Text(e, kVst2GetProgramName), "-");
    struct Indexed {
        int32_t index;
        intptr_t result;
        const char* name;
    };
    for (const Indexed& c : {Indexed{0, 1, "-"}, Indexed{1, 0, ""}, Indexed{-1, 0, ""}}) {
        char name[kVst2ProgramNameLength] = "stale";
        EXPECT_EQ(host.Dispatch(e, kVst2GetProgramNameIndexed, c.index, 0, name), c.result);
        EXPECT_STREQ(name, c.name) << c.index;
    }

    e->setParameter(e, 5, 1.0f);  // gain 100
    char renamed[] = "a very loud program for the host";
    EXPECT_EQ(host.Dispatch(e, kVst2SetProgramName, 0, 0, renamed), 0);
    const std::string cut(renamed, kVst2ProgramNameLength - 1);
    EXPECT_EQ(host.Text(e, kVst2GetProgramName), cut);
    EXPECT_EQ(host.Text(e, kVst2GetProgramNameIndexed, 0), cut);
    e->setParameter(e, 5, 0.0f);
    host.Dispatch(e, kVst2SetProgram, 0, 0);
    EXPECT_EQ(e->getParameter(e, 5), 1.0f);
    EXPECT_EQ(host.Text(e, kVst2GetProgramName), cut);

    EXPECT_EQ(host.SetChunk(other, false, host.GetChunk(e, false)), 1);
    EXPECT_EQ(host.Text(other, kVst2GetProgramName), cut);
    EXPECT_EQ(other->getParameter(other, 5), 1.0f);
}

// Text typed in the host for a parameter, in the units the display shows:
// clamped to the parameter's range; text that is no number changes nothing.
TEST_F(VstPlugin, TextToParameter)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    struct Case {
        int32_t index;
        const char* text;
        intptr_t result;
        const char* display;
    };
    const Case cases[] = {
        {4, "1000", 1, "1000.00"}, {4, "5000", 1, "2000.00"}, {4, "fast", 0, "2000.00"},
        {5, "0.5", 1, "0.500"},    {2, "-200", 1, "-128"},    {3, "3", 1, "3"},
        {11, "1", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(host.Dispatch(e, kVst2TextToParameter, c.index, 0, const_cast<char*>(c.text)),
                  c.result)
            << c.text;
        EXPECT_EQ(host.Text(e, kVst2GetParameterDisplay, c.index), c.display) << c.text;
    }
    EXPECT_EQ(e->getParameter(e, 4), 1.0f);
    EXPECT_EQ(e->getParameter(e, 2), 0.0f);
}

// The analyser names no MIDI key: the host's record comes back with an
// empty name, not with what the host left in it.
TEST_F(VstPlugin, NoMidiKeyIsNamed)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    Vst2KeyName key = {};
    key.keyNumber = 60;
    std::strcpy(key.keyName, "stale");
    EXPECT_EQ(host.Dispatch(e, kVst2GetMidiKeyName, 0, 0, &key), 0);
    EXPECT_STREQ(key.keyName, "");
    EXPECT_EQ(host.Dispatch(e, kVst2GetMidiKeyName), 0);
}

TEST_F(VstPlugin, ProgramChunkRoundTripsBitForBit)
{
    Vst2Effect* first = Open();
    Vst2Effect* second = Open();
    ASSERT_TRUE(first && second);
    const float values[] = {0.0f, 1.0f, 0.75f, 0.5f, 0.9f, 0.3f, 1.0f, 1.0f, 0.1f, 0.2f, 1.0f};
    for (int i = 0; i < 11; ++i) first->setParameter(first, i, values[i]);
    const std::vector<uint8_t> chunk = host.GetChunk(first, true);
    ASSERT_EQ(chunk.size(), 96u);
    EXPECT_EQ(host.SetChunk(second, true, chunk), 1);
    EXPECT_EQ(host.GetChunk(second, true), chunk);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(second->getParameter(second, i), first->getParameter(first, i)) << i;
    // The bank carries the same program.
    const std::vector<uint8_t> bank = host.GetChunk(first, false);
    EXPECT_EQ(host.SetChunk(second, false, bank), 1);
    EXPECT_EQ(host.GetChunk(second, true), chunk);
}

TEST_F(VstPlugin, EveryProcessEntryTakesTheTone)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    for (ProcessEntry entry : kProcessEntries) {
        FeedTone(e, entry, 2048);
        EXPECT_EQ(e->getParameter(e, 6), 0.0f);  // still running, not frozen
    }
    // A host without channel arrays is not processed.
    e->processReplacing(e, nullptr, nullptr, 64);
    e->processDoubleReplacing(e, nullptr, nullptr, 64);
}

TEST_F(VstPlugin, EveryProcessEntryTakesAnUnconnectedChannel)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    for (ProcessEntry entry : kProcessEntries)
        for (int unconnected : {0, 1}) FeedTone(e, entry, 2048, unconnected);
    EXPECT_EQ(host.Text(e, kVst2GetEffectName), "tq_Velvane");
}

TEST_F(VstPlugin, AudioAndDispatcherThreadsAtOnce)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    const std::vector<uint8_t> chunk = host.GetChunk(e, true);
    std::atomic<bool> done{false};
    std::thread audio([&] {
        while (!done) FeedTone(e, kReplacing, kBlock);
    });
    for (int i = 0; i < 300; ++i) {
        e->setParameter(e, i % 11, float(i % 7) / 6.0f);
        host.Text(e, kVst2GetParameterDisplay, i % 11);
        if (i % 10 == 0) {
            EXPECT_EQ(host.SetChunk(e, true, chunk), 1);
        }
        if (i % 25 == 0) host.Dispatch(e, kVst2SetBlockSize, 0, 256 + i);
    }
    done = true;
    audio.join();
    EXPECT_EQ(host.GetChunk(e, true).size(), 96u);
}

// The host's audio thread holds the host's lock around each process call
// and every other callback takes that lock: the plug-in asks who the host is
// when it is opened, and passes the events it is sent through, without its
// own lock held.
TEST_F(VstPlugin, OpeningAndEventsCallAHostThatLocksAgainstItsAudio)
{
    Vst2Effect* e = host.Create();
    ASSERT_TRUE(e);
    host.productString = "Reaper";
    host.vendorVersion = 2040;
    host.Dispatch(e, kVst2SetSampleRate, 0, 0, nullptr, 44100.0f);
    host.Dispatch(e, kVst2SetBlockSize, 0, kBlock);
    host.Dispatch(e, kVst2MainsChanged, 0, 1);
    host.StartAudio(e);
    host.Dispatch(e, kVst2Open);
    EXPECT_EQ(host.SendMidi(e, {{0x90, 60, 100, 3}}), 1);
    host.StopAudio();
    EXPECT_EQ(host.blockedCallbacks, 0);
    EXPECT_GT(host.audioBlocks, 0);
    std::vector<int32_t> opcodes;
    for (const VstHostCall& call : host.calls) opcodes.push_back(call.opcode);
    for (int32_t opcode : {kVst2HostProductString, kVst2HostVendorVersion})
        EXPECT_NE(std::find(opcodes.begin(), opcodes.end(), opcode), opcodes.end()) << opcode;
    ASSERT_EQ(host.events.size(), 1u);
    EXPECT_EQ(host.events[0].bytes, (std::vector<uint8_t>{0x90, 60, 100, 0}));
    EXPECT_EQ(host.events[0].deltaFrames, 3);
}

TEST_F(VstPlugin, TwoInstancesAtOnceKeepTheirOwnState)
{
    Vst2Effect* a = Open();
    Vst2Effect* b = Open();
    ASSERT_TRUE(a && b);
    EXPECT_NE(a, b);
    a->setParameter(a, 5, 1.0f);
    b->setParameter(b, 5, 0.0f);
    FeedTone(a, kReplacing, 1024);
    FeedTone(b, kDoubles, 1024);
    EXPECT_EQ(host.Text(a, kVst2GetParameterDisplay, 5), "100.000");
    EXPECT_EQ(host.Text(b, kVst2GetParameterDisplay, 5), "0.010");
    host.Close(a);
    EXPECT_EQ(host.Text(b, kVst2GetEffectName), "tq_Velvane");
}

}  // namespace
