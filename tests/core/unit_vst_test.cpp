#include "core/unit_vst.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "core/host_transport.h"
#include "core/midi_event.h"
#include "core/parameter.h"
#include "support/failing_allocator.h"
#include "support/test_unit.h"
#include "support/vst_host.h"

namespace {

// A stereo effect on the VST 2 binding with eleven parameters of range
// -12..12 and what it receives.
class VstTestUnit : public IUnitVST {
public:
    explicit VstTestUnit(bool doesChunks = true, bool doesMidi = true, bool isInstrument = false,
                         const char* channelIO = "2-2")
        : IUnitVST(&VstHost::Callback, 11, channelIO, 2, "vst test", "vst product", "vst maker",
                   0x00010000, 0x56737474, 0x4B6B6B6B, 0, doesMidi, doesChunks, isInstrument, 0)
    {
        for (int i = 0; i < ParameterCount(); ++i) {
            const std::string name = "p" + std::to_string(i);
            ParameterAt(i)->SetupDouble(name.c_str(), 0.0, -12.0, 12.0, 0.5, "dB", "", 1.0);
        }
        ParameterAt(1)->SetNegateDisplay(true);
    }
    void ReceiveMidiMessage(const IMidiEvent* event) override
    {
        midi.push_back(*event);
        if (midiThrough) IUnitBase::ReceiveMidiMessage(event);
    }
    void ReceiveSysEx(const ISysExEvent* event) override
    {
        sysex.emplace_back(event->data, event->data + event->size);
    }
    void ParameterChanged(int index) override { changed.push_back(index); }
    bool KeyNameForNote(int note, char* out) override
    {
        const auto named = keyNames.find(note);
        if (named == keyNames.end()) return IUnitBase::KeyNameForNote(note, out);
        std::strcpy(out, named->second.c_str());
        return true;
    }

    std::vector<IMidiEvent> midi;
    std::vector<std::vector<uint8_t>> sysex;
    std::vector<int> changed;
    bool midiThrough = false;
    std::map<int, std::string> keyNames;
};

// An editor whose window, as the real one, ends an open gesture when it
// closes, also when it is opened again in its place.
class GestureEditor : public TestEditor {
public:
    GestureEditor(IUnitBase* plug, std::vector<std::string>* log) : TestEditor(log), plug(plug) {}
    IWindowHandle OpenEditorWindow(IWindowHandle parent) override
    {
        CloseEditorWindow();
        return TestEditor::OpenEditorWindow(parent);
    }
    void CloseEditorWindow() override
    {
        TestEditor::CloseEditorWindow();
        plug->EndParameterGesture(0);
    }
    IUnitBase* plug;
};

// The host and one in-process plug-in it drives.
struct Hosted {
    explicit Hosted(VstTestUnit* made) : unit(made), effect(made->Effect()) { host.Adopt(effect); }
    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0)
    {
        return host.Dispatch(effect, opcode, index, value, ptr, opt);
    }
    std::vector<int32_t> HostOpcodes()
    {
        std::vector<int32_t> opcodes;
        for (const VstHostCall& call : host.calls) opcodes.push_back(call.opcode);
        return opcodes;
    }

    VstHost host;
    VstTestUnit* unit;
    Vst2Effect* effect;
};

TEST(UnitVst, EffectRecordDescribesThePlugIn)
{
    struct Case {
        bool chunks, instrument;
        const char* channelIO;
        int32_t flags;
    };
    const Case cases[] = {
        {true, false, "2-2", 0x1030},
        {false, false, "2-2", 0x1010},
        {false, true, "2-2", 0x1110},
        {true, false, "1-1 2-2", 0x1038},
    };
    for (const Case& c : cases) {
        Hosted hosted(new VstTestUnit(c.chunks, false, c.instrument, c.channelIO));
        const Vst2Effect* e = hosted.effect;
        EXPECT_EQ(e->magic, FourCharCode("VstP"));
        EXPECT_EQ(e->flags, c.flags) << c.channelIO;
        EXPECT_EQ(e->ioRatio, 1.0f);
        EXPECT_EQ(e->version, 10000);
        EXPECT_EQ(e->parameterCount, 11);
        EXPECT_EQ(e->programCount, 2);
        EXPECT_EQ(e->inputCount, 2);
        EXPECT_EQ(e->outputCount, 2);
        EXPECT_EQ(e->uniqueId, 0x56737474);
        EXPECT_EQ(e->object, static_cast<void*>(hosted.unit));
        EXPECT_EQ(hosted.Dispatch(kVst2GetPlugCategory), c.instrument ? 2 : 1);
    }
}

TEST(UnitVst, FixedAnswersAndOpcodesOutsideTheTable)
{
    Hosted hosted(new VstTestUnit);
    EXPECT_EQ(hosted.Dispatch(kVst2Identify), 0x4E764566);
    EXPECT_EQ(hosted.Dispatch(kVst2GetVstVersion), 2400);
    EXPECT_EQ(hosted.Dispatch(kVst2CanBeAutomated), 1);
    for (int32_t opcode : {9, 16, 70, 1000, -1}) EXPECT_EQ(hosted.Dispatch(opcode), 0) << opcode;
    EXPECT_EQ(hosted.Dispatch(kVst2EditorGetRect), 0);  // no editor
    EXPECT_EQ(hosted.Dispatch(kVst2EditorOpen), 0);
    EXPECT_EQ(hosted.Dispatch(kVst2EditorClose), 0);
}

TEST(UnitVst, CanDo)
{
    struct Case {
        const char* text;
        bool midi;
        intptr_t answer;
    };
    const Case cases[] = {
        {"receiveVstTimeInfo", false, 1},
        {"receiveVstTimeInfo", true, 1},
        {"sendVstEvents", false, 0},
        {"sendVstEvents", true, 1},
        {"receiveVstMidiEvent", true, 1},
        {"receiveVstMidiEvents", true, 0},
        {"hasVendorExtensions", false, intptr_t(0xBEEF0000u)},
        {"hasVendorViewAsConfig", true, intptr_t(0xBEEF0000u)},
        {"", true, 0},
    };
    for (const Case& c : cases) {
        Hosted hosted(new VstTestUnit(true, c.midi));
        EXPECT_EQ(hosted.Dispatch(kVst2CanDo, 0, 0, const_cast<char*>(c.text)), c.answer)
            << c.text << " midi " << c.midi;
    }
    Hosted hosted(new VstTestUnit);
    EXPECT_EQ(hosted.Dispatch(kVst2CanDo), 0);
}

TEST(UnitVst, TextsAreCutToTheHostBuffers)
{
    Hosted hosted(new VstTestUnit);
    hosted.unit->ParameterAt(2)->SetupDouble("a long parameter name", 0, -12, 12, 0.5, "decibels",
                                             "", 1);
    hosted.unit->ParameterAt(2)->Set(-11.5);
    struct Case {
        int32_t opcode, index;
        const char* text;
    };
    const Case cases[] = {
        {kVst2GetParameterName, 0, "p0"},       {kVst2GetParameterName, 2, "a long "},
        {kVst2GetParameterLabel, 2, "decibel"}, {kVst2GetParameterDisplay, 2, "-11.5"},
        {kVst2GetParameterDisplay, 1, "-0.0"},  {kVst2GetEffectName, 0, "vst test"},
        {kVst2GetVendorString, 0, "vst maker"}, {kVst2GetProductString, 0, "vst product"},
        {kVst2GetParameterName, 11, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(hosted.host.Text(hosted.effect, c.opcode, c.index), c.text) << c.opcode;
        for (size_t i = std::strlen(c.text) + 1; i < hosted.host.textBuffer.size(); ++i)
            ASSERT_EQ(hosted.host.textBuffer[i], 0) << c.opcode << " wrote byte " << i;
    }
    // A host that gives no buffer.
    for (int32_t opcode : {kVst2GetParameterLabel, kVst2GetParameterDisplay, kVst2GetParameterName,
                           kVst2GetProgramNameIndexed, kVst2GetEffectName})
        EXPECT_EQ(hosted.Dispatch(opcode), 0) << opcode;
}

TEST(UnitVst, PinProperties)
{
    Hosted hosted(new VstTestUnit);
    hosted.unit->LabelOutput(1, "right side");
    struct Case {
        int32_t opcode, index;
        intptr_t result;
        int32_t flags;
        const char* label;
    };
    const Case cases[] = {
        {kVst2GetInputProperties, 0, 1, 3, "Input 1"},
        {kVst2GetInputProperties, 1, 1, 1, "Input 2"},
        {kVst2GetOutputProperties, 1, 1, 1, "right side"},
        {kVst2GetOutputProperties, 2, 0, 0, ""},
        {kVst2GetInputProperties, -1, 0, 0, ""},
    };
    for (const Case& c : cases) {
        Vst2PinProperties pin = {};
        EXPECT_EQ(hosted.Dispatch(c.opcode, c.index, 0, &pin), c.result);
        EXPECT_EQ(pin.flags, c.flags);
        EXPECT_STREQ(pin.label, c.label);
    }
    EXPECT_EQ(hosted.Dispatch(kVst2GetInputProperties, 0), 0);
}

TEST(UnitVst, TextToParameter)
{
    struct Case {
        int32_t index;
        const char* text;
        intptr_t result;
        double value;
    };
    const Case cases[] = {
        {1, "-6", 1, 6.0},                       // negate display turns the sign
        {0, "-6", 1, -6.0}, {0, "40", 1, 12.0},  // clamped
        {0, "abc", 0, 0.0}, {0, "nan", 0, 0.0}, {0, "inf", 0, 0.0}, {11, "1", 0, 0.0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;  // outlives the editor
        Hosted hosted(new VstTestUnit);
        hosted.unit->AttachEditor(new TestEditor(&log));
        log.clear();
        EXPECT_EQ(hosted.Dispatch(kVst2TextToParameter, c.index, 0, const_cast<char*>(c.text)),
                  c.result)
            << c.text;
        if (c.index < 11) {
            EXPECT_EQ(hosted.unit->ParameterAt(c.index)->Value(), c.value) << c.text;
        }
        if (c.result) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "apply %d %f plain", c.index, c.value);
            EXPECT_EQ(log, std::vector<std::string>{expected});
            EXPECT_EQ(hosted.unit->changed.back(), c.index);
        }
    }
    Hosted hosted(new VstTestUnit);
    EXPECT_EQ(hosted.Dispatch(kVst2TextToParameter, 0), 1);  // no text
}

// A parameter with value texts takes only one of its texts, exactly as it
// is written, and the value the text names.
TEST(UnitVst, TextToParameterThroughValueTexts)
{
    struct Case {
        const char* text;
        intptr_t result;
        double value;
    };
    const Case cases[] = {
        {"off", 1, 0.0}, {"auto", 1, 2.0}, {"on", 1, 1.0},
        {"On", 0, 0.0},  {"1", 0, 0.0},    {"", 0, 0.0},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;  // outlives the editor
        Hosted hosted(new VstTestUnit);
        IParameter* mode = hosted.unit->ParameterAt(4);
        mode->SetupEnum("mode", 0, 3, "", "");
        mode->AddValueText(0, "off");
        mode->AddValueText(1, "on");
        mode->AddValueText(2, "auto");
        hosted.unit->AttachEditor(new TestEditor(&log));
        log.clear();
        EXPECT_EQ(hosted.Dispatch(kVst2TextToParameter, 4, 0, const_cast<char*>(c.text)), c.result)
            << c.text;
        EXPECT_EQ(mode->Value(), c.value) << c.text;
        if (c.result) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "apply 4 %f plain", c.value);
            EXPECT_EQ(log, std::vector<std::string>{expected}) << c.text;
            EXPECT_EQ(hosted.unit->changed, std::vector<int>{4}) << c.text;
        } else {
            EXPECT_TRUE(log.empty()) << c.text;
            EXPECT_TRUE(hosted.unit->changed.empty()) << c.text;
        }
    }
}

// The key name of a MIDI note, as the plug-in gives it, in the host's
// record: emptied first, cut to the record's field, the record's other
// fields left alone.
TEST(UnitVst, MidiKeyNames)
{
    Hosted hosted(new VstTestUnit);
    hosted.unit->keyNames[60] = "middle C";
    hosted.unit->keyNames[61] = std::string(100, 'k');
    struct Case {
        int32_t key;
        intptr_t result;
        std::string name;
    };
    const Case cases[] = {
        {60, 1, "middle C"}, {61, 1, std::string(kVst2KeyNameLength - 1, 'k')}, {62, 0, ""}};
    for (const Case& c : cases) {
        Vst2KeyName record = {};
        record.programIndex = 3;
        record.keyNumber = c.key;
        std::memset(record.keyName, 'x', sizeof record.keyName);
        record.flags = 7;
        EXPECT_EQ(hosted.Dispatch(kVst2GetMidiKeyName, 0, 0, &record), c.result) << c.key;
        EXPECT_EQ(std::string(record.keyName, strnlen(record.keyName, sizeof record.keyName)),
                  c.name)
            << c.key;
        EXPECT_EQ(record.programIndex, 3);
        EXPECT_EQ(record.keyNumber, c.key);
        EXPECT_EQ(record.flags, 7);
    }
    EXPECT_EQ(hosted.Dispatch(kVst2GetMidiKeyName), 0);  // no record
}

TEST(UnitVst, ParameterEntriesClampHostValues)
{
    Hosted hosted(new VstTestUnit);
    const float cases[][2] = {{0.75f, 0.75f}, {1.5f, 1.0f}, {-1.0f, 0.0f}, {NAN, 0.0f}};
    for (const auto& c : cases) {
        hosted.effect->setParameter(hosted.effect, 3, c[0]);
        EXPECT_FLOAT_EQ(hosted.effect->getParameter(hosted.effect, 3), c[1]) << c[0];
    }
    hosted.effect->setParameter(hosted.effect, 11, 0.5f);  // outside: nothing
    EXPECT_EQ(hosted.effect->getParameter(hosted.effect, 11), 0.0f);
    EXPECT_EQ(hosted.effect->getParameter(hosted.effect, -1), 0.0f);
}

TEST(UnitVst, HostTimeQueries)
{
    Hosted hosted(new VstTestUnit);
    VstHost& host = hosted.host;
    EXPECT_EQ(hosted.unit->HostSamplePosition(), 0);  // no record
    EXPECT_EQ(hosted.unit->HostTempo(), 0.0);
    host.giveTimeInfo = true;
    const double positions[][2] = {{99.5, 100}, {99.4, 99}, {-3, 0}, {NAN, 0}, {1e300, INT_MAX}};
    for (const auto& p : positions) {
        host.timeInfo.samplePosition = p[0];
        EXPECT_EQ(hosted.unit->HostSamplePosition(), int(p[1])) << p[0];
    }
    host.timeInfo.tempo = 140.0;
    EXPECT_EQ(hosted.unit->HostTempo(), 0.0);  // not flagged valid
    host.timeInfo.flags = kVst2TempoValid | kVst2TimeSignatureValid | kVst2TransportPlaying;
    EXPECT_EQ(hosted.unit->HostTempo(), 140.0);
    host.timeInfo.tempo = -1.0;
    EXPECT_EQ(hosted.unit->HostTempo(), 0.0);
    host.timeInfo.numerator = 7;
    host.timeInfo.denominator = 8;
    int numerator = -1, denominator = -1;
    hosted.unit->HostTimeSignature(&numerator, &denominator);
    EXPECT_EQ(numerator, 7);
    EXPECT_EQ(denominator, 8);

    IHostTransport transport;
    transport.tempo = 99.0;
    host.timeInfo.samplePosition = 512.0;
    hosted.unit->FillHostTransport(&transport);
    EXPECT_EQ(transport.samplePosition, 512.0);
    EXPECT_EQ(transport.tempo, 99.0);  // a negative tempo keeps the earlier value
    EXPECT_EQ(transport.numerator, 7);
    EXPECT_TRUE(transport.playing);
    EXPECT_FALSE(transport.cycling);
}

// Each field of the transport comes from the host's time information when
// its flag is set and its value can be; otherwise it keeps what it held.
TEST(UnitVst, HostTransportFields)
{
    struct Case {
        const char* what;
        int32_t flags;
        double quarterNotes, barStart, cycleStart, cycleEnd;
        IHostTransport want;
    };
    IHostTransport earlier;
    earlier.samplePosition = -1.0;
    earlier.quarterNotePosition = -2.0;
    earlier.lastBarStart = -3.0;
    earlier.cycleStart = -4.0;
    earlier.cycleEnd = -5.0;
    auto with = [&](auto change) {
        IHostTransport t = earlier;
        t.samplePosition = 4096.0;
        change(t);
        return t;
    };
    const Case cases[] = {
        {"quarter notes", kVst2QuarterNotesValid, 8.5, 7, 2, 3,
         with([](IHostTransport& t) { t.quarterNotePosition = 8.5; })},
        {"quarter notes before the start", kVst2QuarterNotesValid, -0.5, 7, 2, 3,
         with([](IHostTransport&) {})},
        {"bar start", kVst2BarsValid, 8.5, 8, 2, 3,
         with([](IHostTransport& t) { t.lastBarStart = 8.0; })},
        {"bar start before the start", kVst2BarsValid, 8.5, -4, 2, 3, with([](IHostTransport&) {})},
        {"cycle", kVst2CycleValid | kVst2TransportCycling, 8.5, 8, 16, 32,
         with([](IHostTransport& t) {
             t.cycleStart = 16.0;
             t.cycleEnd = 32.0;
             t.cycling = true;
         })},
        {"cycle ending before the start", kVst2CycleValid, 8.5, 8, 16, -1,
         with([](IHostTransport&) {})},
        {"all three", kVst2QuarterNotesValid | kVst2BarsValid | kVst2CycleValid, 9, 8, 0, 4,
         with([](IHostTransport& t) {
             t.quarterNotePosition = 9.0;
             t.lastBarStart = 8.0;
             t.cycleStart = 0.0;
             t.cycleEnd = 4.0;
         })},
        {"none of the fields asked", kVst2TransportPlaying | kVst2TransportCycling, 9, 8, 0, 4,
         earlier},
    };
    for (const Case& c : cases) {
        Hosted hosted(new VstTestUnit);
        hosted.host.giveTimeInfo = true;
        Vst2TimeInfo& time = hosted.host.timeInfo;
        time.samplePosition = 4096.0;
        time.flags = c.flags;
        time.quarterNotePosition = c.quarterNotes;
        time.barStartPosition = c.barStart;
        time.cycleStartPosition = c.cycleStart;
        time.cycleEndPosition = c.cycleEnd;
        IHostTransport got = earlier;
        hosted.unit->FillHostTransport(&got);
        EXPECT_EQ(got.samplePosition, c.want.samplePosition) << c.what;
        EXPECT_EQ(got.quarterNotePosition, c.want.quarterNotePosition) << c.what;
        EXPECT_EQ(got.lastBarStart, c.want.lastBarStart) << c.what;
        EXPECT_EQ(got.cycleStart, c.want.cycleStart) << c.what;
        EXPECT_EQ(got.cycleEnd, c.want.cycleEnd) << c.what;
        EXPECT_EQ(got.cycling, c.want.cycling) << c.what;
        EXPECT_EQ(got.playing, c.want.playing) << c.what;
    }
}

TEST(UnitVst, HostIdentity)
{
    Hosted hosted(new VstTestUnit);
    hosted.host.productString = "Reaper";
    hosted.host.vendorVersion = 2040;
    EXPECT_EQ(hosted.unit->HostId(), 1);
    EXPECT_EQ(hosted.unit->HostVersionNumber(false), 0x00001428);
    hosted.host.productString = "Cubase";
    EXPECT_EQ(hosted.unit->HostId(), 1);  // asked once, then kept

    Hosted silent(new VstTestUnit);
    EXPECT_EQ(silent.unit->HostId(), 0);
    EXPECT_EQ(silent.unit->HostVersionNumber(false), 0);
}

TEST(UnitVst, GesturesAutomationAndPresetChangesReachTheHost)
{
    Hosted hosted(new VstTestUnit);
    hosted.unit->BeginParameterGesture(4);
    hosted.unit->SetParameterFromGUI(4, 0.25);
    hosted.unit->EndParameterGesture(4);
    hosted.unit->ReportPresetChangeToHost();
    ASSERT_EQ(hosted.HostOpcodes(), (std::vector<int32_t>{43, 0, 44, 42}));
    EXPECT_EQ(hosted.host.calls[0].index, 4);
    EXPECT_EQ(hosted.host.calls[1].index, 4);
    EXPECT_EQ(hosted.host.calls[1].opt, 0.25f);
    EXPECT_EQ(hosted.host.calls[2].index, 4);
}

// The host's audio thread holds the host's lock around each process call,
// and every other callback takes that lock: whatever the plug-in tells or
// asks its host off the audio thread, it does without its own lock, or the
// two wait for each other.
TEST(UnitVst, CallsTheHostWithoutHoldingThePluginLock)
{
    struct Case {
        const char* what;
        int32_t opcode;
        void (*act)(Hosted&);
    };
    const Case cases[] = {
        {"open asks the product", kVst2HostProductString, [](Hosted& h) { h.Dispatch(kVst2Open); }},
        {"open asks the version", kVst2HostVendorVersion, [](Hosted& h) { h.Dispatch(kVst2Open); }},
        {"a change in the editor", kVst2HostAutomate,
         [](Hosted& h) { h.unit->SetParameterFromGUI(3, 0.75); }},
        {"all parameters", kVst2HostAutomate,
         [](Hosted& h) { h.unit->ReportAllParametersToHost(); }},
        {"events passed through", kVst2HostProcessEvents,
         [](Hosted& h) {
             h.host.SendMidi(h.effect, {{0x90, 60, 100}});
         }},
        {"the editor closed in a gesture", kVst2HostEndEdit,
         [](Hosted& h) { h.Dispatch(kVst2EditorClose); }},
        {"the editor opened again in a gesture", kVst2HostEndEdit,
         [](Hosted& h) { h.Dispatch(kVst2EditorOpen); }},
    };
    for (const Case& c : cases) {
        std::vector<std::string> log;  // outlives the editor
        Hosted hosted(new VstTestUnit);
        hosted.unit->midiThrough = true;
        hosted.unit->AttachEditor(new GestureEditor(hosted.unit, &log));
        hosted.host.productString = "Reaper";
        hosted.host.vendorVersion = 2040;
        hosted.host.StartAudio(hosted.effect);
        c.act(hosted);
        hosted.host.StopAudio();
        EXPECT_EQ(hosted.host.blockedCallbacks, 0) << c.what;
        const std::vector<int32_t> opcodes = hosted.HostOpcodes();
        EXPECT_NE(std::find(opcodes.begin(), opcodes.end(), c.opcode), opcodes.end()) << c.what;
        EXPECT_GT(hosted.host.audioBlocks, 0) << c.what;
    }
}

TEST(UnitVst, MidiBothWays)
{
    Hosted hosted(new VstTestUnit);
    EXPECT_EQ(hosted.host.SendMidi(hosted.effect, {{0x90, 60, 100, 5}, {0x80, 60, 0, 9}}), 1);
    EXPECT_EQ(hosted.host.SendSysEx(hosted.effect, {{{0xF0, 0x7E, 0xF7}, 3}}), 1);
    ASSERT_EQ(hosted.unit->midi.size(), 2u);
    EXPECT_EQ(hosted.unit->midi[0].offset, 5);
    EXPECT_EQ(hosted.unit->midi[0].status, 0x90);
    EXPECT_EQ(hosted.unit->midi[1].data1, 60);
    ASSERT_EQ(hosted.unit->sysex.size(), 1u);
    EXPECT_EQ(hosted.unit->sysex[0], (std::vector<uint8_t>{0xF0, 0x7E, 0xF7}));
    EXPECT_EQ(hosted.Dispatch(kVst2ProcessEvents), 0);

    IMidiEvent out = {};
    out.SetNoteOn(64, 90, 7, 2);
    EXPECT_TRUE(hosted.unit->TransmitMidiMessage(&out));
    const uint8_t dump[] = {0xF0, 1, 2, 0xF7};
    const ISysExEvent sysex = {3, 4, dump};
    EXPECT_TRUE(hosted.unit->TransmitSysEx(&sysex));
    hosted.host.acceptEvents = 0;
    EXPECT_FALSE(hosted.unit->TransmitMidiMessage(&out));
    ASSERT_GE(hosted.host.events.size(), 2u);
    const VstHostEvent& midi = hosted.host.events[0];
    EXPECT_EQ(midi.type, 1);
    EXPECT_EQ(midi.byteSize, 32);
    EXPECT_EQ(midi.deltaFrames, 7);
    EXPECT_EQ(midi.bytes, (std::vector<uint8_t>{0x92, 64, 90, 0}));
    const VstHostEvent& dumped = hosted.host.events[1];
    EXPECT_EQ(dumped.type, 6);
    EXPECT_EQ(dumped.byteSize, 48);
    EXPECT_EQ(dumped.bytes, (std::vector<uint8_t>(dump, dump + 4)));
}

TEST(UnitVst, ProgramChunkRoundTrips)
{
    Hosted hosted(new VstTestUnit);
    for (int i = 0; i < 11; ++i) hosted.unit->ParameterAt(i)->Set(i - 5.0);
    const std::vector<uint8_t> program = hosted.host.GetChunk(hosted.effect, true);
    ASSERT_EQ(program.size(), 8u + 88u);
    EXPECT_EQ(std::memcmp(program.data(), "tffp\0\0\1\0", 8), 0);
    const std::vector<uint8_t> bank = hosted.host.GetChunk(hosted.effect, false);
    EXPECT_GT(bank.size(), 8u);

    Hosted other(new VstTestUnit);
    EXPECT_EQ(other.host.SetChunk(other.effect, true, program), 1);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(other.unit->ParameterAt(i)->Value(), i - 5.0);
    EXPECT_EQ(other.host.GetChunk(other.effect, true), program);
    // A host handing back the very bytes it was given.
    void* handedOut = nullptr;
    const intptr_t size = other.Dispatch(kVst2GetChunk, 1, 0, &handedOut);
    EXPECT_EQ(other.Dispatch(kVst2SetChunk, 1, size, handedOut), 1);
    EXPECT_EQ(other.host.GetChunk(other.effect, true), program);
    EXPECT_EQ(other.host.SetChunk(other.effect, false, bank), 1);

    // Without its header a chunk reads as program state, also as a bank.
    Hosted headerless(new VstTestUnit);
    const std::vector<uint8_t> state(program.begin() + 8, program.end());
    EXPECT_EQ(headerless.host.SetChunk(headerless.effect, false, state), 1);
    EXPECT_EQ(headerless.unit->ParameterAt(10)->Value(), 5.0);
}

TEST(UnitVst, SetChunkRefusesWhatItCannotTake)
{
    Hosted hosted(new VstTestUnit);
    hosted.unit->ParameterAt(0)->Set(3.0);
    const std::vector<uint8_t> program = hosted.host.GetChunk(hosted.effect, true);
    hosted.unit->ParameterAt(0)->Set(-3.0);
    const char* before = hosted.unit->PresetNameAt(0);
    const std::string name = before ? before : "";

    const intptr_t sizes[] = {-1, intptr_t(INT_MAX) + 1, intptr_t(INT_MIN) - 1};
    for (intptr_t size : sizes)
        EXPECT_EQ(hosted.Dispatch(kVst2SetChunk, 1, size, const_cast<uint8_t*>(program.data())), 0)
            << size;
    {
        FailingAllocator failing;
        EXPECT_EQ(hosted.Dispatch(kVst2SetChunk, 1, intptr_t(program.size()),
                                  const_cast<uint8_t*>(program.data())),
                  0);
    }
    EXPECT_EQ(hosted.unit->ParameterAt(0)->Value(), -3.0);
    // Cut inside the state: refused, the preset keeps what it held.
    const std::vector<uint8_t> cut(program.begin(), program.begin() + 20);
    EXPECT_EQ(hosted.host.SetChunk(hosted.effect, true, cut), 0);
    EXPECT_EQ(hosted.Dispatch(kVst2SetChunk, 1, 8), 0);  // no bytes
}

TEST(UnitVst, GarbageChunksAreReadSafely)
{
    Hosted hosted(new VstTestUnit);
    uint32_t seed = 12345;
    for (int size = 0; size < 400; size += 7) {
        for (bool program : {true, false}) {
            std::vector<uint8_t> bytes(size);
            for (uint8_t& b : bytes) b = uint8_t((seed = seed * 1664525u + 1013904223u) >> 24);
            if (size >= 8 && size % 2) std::memcpy(bytes.data(), "tffp\0\0\1\0", 8);
            const intptr_t result = hosted.host.SetChunk(hosted.effect, program, bytes);
            EXPECT_TRUE(result == 0 || result == 1) << size;
            for (int i = 0; i < 11; ++i) {
                const double v = hosted.unit->ParameterAt(i)->Value();
                ASSERT_TRUE(v >= -12.0 && v <= 12.0) << "parameter " << i << " after " << size;
            }
        }
    }
    EXPECT_EQ(hosted.host.GetChunk(hosted.effect, true).size(), 96u);
}

TEST(UnitVst, SpeakerArrangementsConnectChannels)
{
    Hosted hosted(new VstTestUnit(true, false, false, "2-2"));
    Vst2SpeakerArrangement* in = nullptr;
    Vst2SpeakerArrangement* out = nullptr;
    EXPECT_EQ(hosted.Dispatch(kVst2GetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out),
              1);
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, 1);
    EXPECT_EQ(in->channelCount, 2);
    Vst2SpeakerArrangement mono = {};
    mono.channelCount = 1;
    Vst2SpeakerArrangement many = {};
    many.channelCount = 9;
    EXPECT_EQ(
        hosted.Dispatch(kVst2SetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &many),
        1);
    EXPECT_TRUE(hosted.unit->IsInputConnected(0));
    EXPECT_FALSE(hosted.unit->IsInputConnected(1));
    EXPECT_TRUE(hosted.unit->IsOutputConnected(1));
    // A disconnected input reads silence, not the last block it was given.
    VstBuffers floats(2, 2, 16);
    floats.in[1].assign(16, 0.7f);
    hosted.Dispatch(kVst2SetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(in), out);
    hosted.host.ProcessReplacing(hosted.effect, floats);
    EXPECT_EQ(floats.out[1][5], 0.7f);
    hosted.Dispatch(kVst2SetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&mono), &many);
    hosted.host.ProcessReplacing(hosted.effect, floats);
    EXPECT_EQ(floats.out[1][5], 0.0f);
}

TEST(UnitVst, RangeChecksOnHostValues)
{
    Hosted hosted(new VstTestUnit);
    const int blockSize = hosted.unit->BlockSize();
    hosted.Dispatch(kVst2SetBlockSize, 0, intptr_t(INT_MAX) + 1);
    EXPECT_EQ(hosted.unit->BlockSize(), blockSize);
    hosted.Dispatch(kVst2SetBlockSize, 0, 256);
    EXPECT_EQ(hosted.unit->BlockSize(), 256);
    hosted.Dispatch(kVst2SetProgram, 0, intptr_t(INT_MAX) + 2);
    EXPECT_EQ(hosted.unit->CurrentPreset(), 0);
    hosted.Dispatch(kVst2SetProgram, 0, 1);
    EXPECT_EQ(hosted.Dispatch(kVst2GetProgram), 1);
    hosted.Dispatch(kVst2SetSampleRate, 0, 0, nullptr, NAN);
    EXPECT_EQ(hosted.unit->CurrentSampleRate(), 44100.0);
    hosted.Dispatch(kVst2SetSampleRate, 0, 0, nullptr, 48000.0f);
    EXPECT_EQ(hosted.unit->CurrentSampleRate(), 48000.0);

    char display[256] = {};
    EXPECT_EQ(hosted.Dispatch(kVst2VendorSpecific, 7, 3, display, 2.0f), 0xBEEF);
    EXPECT_STREQ(display, "12.0");  // the value clamped to 1 before it is shown
    EXPECT_EQ(hosted.Dispatch(kVst2VendorSpecific, 7, intptr_t(INT_MAX) + 3, display), 0);
    EXPECT_EQ(hosted.Dispatch(kVst2VendorSpecific, 8, 3), 0);  // a double parameter
}

TEST(UnitVst, ProcessEntriesAndLatency)
{
    Hosted hosted(new VstTestUnit(true, true));
    hosted.Dispatch(kVst2SetBlockSize, 0, 64);
    VstBuffers floats(2, 2, 64);
    floats.in[0][10] = 0.5f;
    floats.out[1][3] = 0.25f;
    hosted.host.ProcessReplacing(hosted.effect, floats);
    EXPECT_EQ(floats.out[0][10], 0.5f);
    EXPECT_EQ(floats.out[1][3], 0.0f);
    hosted.host.ProcessAdding(hosted.effect, floats);
    EXPECT_EQ(floats.out[0][10], 1.0f);
    VstDoubleBuffers doubles(2, 2, 64);
    doubles.in[1][63] = -0.125;
    hosted.host.ProcessDoubleReplacing(hosted.effect, doubles);
    EXPECT_EQ(doubles.out[1][63], -0.125);
    int wantMidi = 0;
    for (int32_t opcode : hosted.HostOpcodes()) wantMidi += opcode == kVst2HostWantMidi;
    EXPECT_EQ(wantMidi, 3);  // a MIDI plug-in asks on every block

    hosted.unit->ChangeLatency(32);
    EXPECT_EQ(hosted.effect->initialDelay, 32);
    EXPECT_EQ(hosted.unit->Latency(), 32);
}

// A host may leave a channel unconnected with a null pointer in its array:
// in every process entry the input reads silence (not what its scratch block
// held from the block before) and the output is left alone.
TEST(UnitVst, NullChannelPointersReadSilenceAndWriteNothing)
{
    enum Entry { kReplacing, kAdding, kDoubles };
    for (Entry entry : {kReplacing, kAdding, kDoubles}) {
        Hosted hosted(new VstTestUnit);
        hosted.Dispatch(kVst2SetBlockSize, 0, 64);
        VstBuffers floats(2, 2, 64);
        VstDoubleBuffers doubles(2, 2, 64);
        auto process = [&] {
            if (entry == kReplacing) hosted.host.ProcessReplacing(hosted.effect, floats);
            if (entry == kAdding) hosted.host.ProcessAdding(hosted.effect, floats);
            if (entry == kDoubles) hosted.host.ProcessDoubleReplacing(hosted.effect, doubles);
        };
        for (int c = 0; c < 2; ++c) {
            floats.in[c].assign(64, 0.5f);
            doubles.in[c].assign(64, 0.5);
        }
        process();  // both inputs connected: their scratch blocks hold the block

        for (int silent = 0; silent < 2; ++silent) {
            const int given = 1 - silent;
            floats.inPointers[silent] = nullptr;
            doubles.inPointers[silent] = nullptr;
            floats.inPointers[given] = floats.in[given].data();
            doubles.inPointers[given] = doubles.in[given].data();
            // The output of the given input is left unconnected, the other
            // one holds what an adding host had there.
            floats.outPointers[given] = nullptr;
            doubles.outPointers[given] = nullptr;
            floats.outPointers[silent] = floats.out[silent].data();
            doubles.outPointers[silent] = doubles.out[silent].data();
            floats.out[silent].assign(64, 0.125f);
            doubles.out[silent].assign(64, 0.125);
            process();
            const double want = entry == kAdding ? 0.125 : 0.0;
            for (int i = 0; i < 64; ++i) {
                const double got =
                    entry == kDoubles ? doubles.out[silent][i] : double(floats.out[silent][i]);
                ASSERT_EQ(got, want) << "entry " << entry << " input " << silent << " frame " << i;
            }
        }
    }
}

TEST(UnitVst, OpeningSetsUpOnceAndClosingDeletes)
{
    VstHost host;
    VstTestUnit* unit = new VstTestUnit;
    host.Adopt(unit->Effect());
    std::vector<std::string> log;
    unit->AttachEditor(new TestEditor(&log));
    EXPECT_EQ(unit->Effect()->flags & kVst2HasEditor, kVst2HasEditor);
    Vst2Rect* rect = nullptr;
    EXPECT_EQ(host.Dispatch(unit->Effect(), kVst2EditorGetRect, 0, 0, &rect), 1);
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->bottom, 200);
    EXPECT_EQ(rect->right, 300);
    host.Dispatch(unit->Effect(), kVst2Open);
    host.Dispatch(unit->Effect(), kVst2Open);
    int productAsks = 0;
    for (const VstHostCall& call : host.calls) productAsks += call.opcode == kVst2HostProductString;
    EXPECT_EQ(productAsks, 1);
    EXPECT_EQ(unit->changed.size(), 22u);  // every parameter reapplied on each opening
    int parentWindow = 0;
    EXPECT_EQ(host.Dispatch(unit->Effect(), kVst2EditorOpen, 0, 0, &parentWindow), 1);
    EXPECT_EQ(host.Dispatch(unit->Effect(), kVst2EditorClose), 1);
    host.Close(unit->Effect());  // the editor and the plug-in go; ASan sees the rest
    EXPECT_NE(std::find(log.begin(), log.end(), "editor deleted"), log.end());
}

}  // namespace
