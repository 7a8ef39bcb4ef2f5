#pragma once

#include <cstddef>
#include <cstdint>

#include "core/four_char_code.h"

// The records and numbers of the VST 2 plug-in interface as they cross the
// module boundary, in the natural layout of a 64-bit build. Both sides of
// the interface (the plug-in binding and the test host) use these.

struct Vst2Effect;

using Vst2HostCallback = intptr_t (*)(Vst2Effect* effect, int32_t opcode, int32_t index,
                                      intptr_t value, void* ptr, float opt);
using Vst2Dispatcher = intptr_t (*)(Vst2Effect* effect, int32_t opcode, int32_t index,
                                    intptr_t value, void* ptr, float opt);
using Vst2SetParameter = void (*)(Vst2Effect* effect, int32_t index, float value);
using Vst2GetParameter = float (*)(Vst2Effect* effect, int32_t index);
using Vst2ProcessFloats = void (*)(Vst2Effect* effect, float** inputs, float** outputs,
                                   int32_t frames);
using Vst2ProcessDoubles = void (*)(Vst2Effect* effect, double** inputs, double** outputs,
                                    int32_t frames);
// The module's entry: makes a plug-in and hands out its effect record.
using Vst2Entry = Vst2Effect* (*)(Vst2HostCallback host);

constexpr int32_t kVst2Magic = FourCharCode("VstP");

// The effect record a plug-in hands its host.
struct Vst2Effect {
    int32_t magic;
    Vst2Dispatcher dispatcher;
    Vst2ProcessFloats processAdding;
    Vst2SetParameter setParameter;
    Vst2GetParameter getParameter;
    int32_t programCount;
    int32_t parameterCount;
    int32_t inputCount;
    int32_t outputCount;
    int32_t flags;
    intptr_t reserved1;
    intptr_t reserved2;
    int32_t initialDelay;
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;
    void* user;
    int32_t uniqueId;
    int32_t version;
    Vst2ProcessFloats processReplacing;
    Vst2ProcessDoubles processDoubleReplacing;
    char future[56];
};

enum Vst2EffectFlags : int32_t {
    kVst2HasEditor = 0x1,
    kVst2CanMono = 0x8,
    kVst2CanReplace = 0x10,
    kVst2ProgramChunks = 0x20,
    kVst2Instrument = 0x100,
    kVst2CanDoubleReplace = 0x1000,
};

// The event kinds a plug-in and host exchange.
enum Vst2EventType : int32_t { kVst2MidiType = 1, kVst2SysExType = 6 };

// What every event starts with.
struct Vst2Event {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    char data[16];
};

struct Vst2MidiEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct Vst2SysExEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    int32_t dumpBytes;
    intptr_t reserved1;
    char* dump;
    intptr_t reserved2;
};

// A list of events; hosts allocate it with as many entries as it holds.
struct Vst2EventList {
    int32_t count;
    intptr_t reserved;
    Vst2Event* events[2];
};

struct Vst2TimeInfo {
    double samplePosition;
    double sampleRate;
    double nanoSeconds;
    double quarterNotePosition;
    double tempo;
    double barStartPosition;
    double cycleStartPosition;
    double cycleEndPosition;
    int32_t numerator;
    int32_t denominator;
    int32_t smpteOffset;
    int32_t smpteFrameRate;
    int32_t samplesToNextClock;
    int32_t flags;
};

// Which fields of the time information are asked for and valid.
enum Vst2TimeFlags : int32_t {
    kVst2TransportPlaying = 0x2,
    kVst2TransportCycling = 0x4,
    kVst2QuarterNotesValid = 0x200,
    kVst2TempoValid = 0x400,
    kVst2BarsValid = 0x800,
    kVst2CycleValid = 0x1000,
    kVst2TimeSignatureValid = 0x2000,
};

struct Vst2PinProperties {
    char label[64];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
};

enum Vst2PinFlags : int32_t { kVst2PinActive = 0x1, kVst2PinStereo = 0x2 };

struct Vst2SpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
};

struct Vst2SpeakerArrangement {
    int32_t type;
    int32_t channelCount;
    Vst2SpeakerProperties speakers[8];
};

struct Vst2KeyName {
    int32_t programIndex;
    int32_t keyNumber;
    char keyName[64];
    int32_t reserved;
    int32_t flags;
};

// The editor's rectangle as the host reads it.
struct Vst2Rect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

// What the plug-in's dispatcher is asked.
enum Vst2Opcode : int32_t {
    kVst2Open = 0,
    kVst2Close = 1,
    kVst2SetProgram = 2,
    kVst2GetProgram = 3,
    kVst2SetProgramName = 4,
    kVst2GetProgramName = 5,
    kVst2GetParameterLabel = 6,
    kVst2GetParameterDisplay = 7,
    kVst2GetParameterName = 8,
    kVst2SetSampleRate = 10,
    kVst2SetBlockSize = 11,
    kVst2MainsChanged = 12,
    kVst2EditorGetRect = 13,
    kVst2EditorOpen = 14,
    kVst2EditorClose = 15,
    kVst2EditorIdle = 19,
    kVst2Identify = 22,
    kVst2GetChunk = 23,
    kVst2SetChunk = 24,
    kVst2ProcessEvents = 25,
    kVst2CanBeAutomated = 26,
    kVst2TextToParameter = 27,
    kVst2GetProgramNameIndexed = 29,
    kVst2GetInputProperties = 33,
    kVst2GetOutputProperties = 34,
    kVst2GetPlugCategory = 35,
    kVst2SetSpeakerArrangement = 42,
    kVst2GetEffectName = 45,
    kVst2GetVendorString = 47,
    kVst2GetProductString = 48,
    kVst2VendorSpecific = 50,
    kVst2CanDo = 51,
    kVst2Idle = 53,
    kVst2GetVstVersion = 58,
    kVst2GetMidiKeyName = 66,
    kVst2GetSpeakerArrangement = 69,
};

// What the plug-in asks its host.
enum Vst2HostOpcode : int32_t {
    kVst2HostAutomate = 0,
    kVst2HostVersion = 1,
    kVst2HostWantMidi = 6,
    kVst2HostGetTime = 7,
    kVst2HostProcessEvents = 8,
    kVst2HostProcessLevel = 23,
    kVst2HostProductString = 33,
    kVst2HostVendorVersion = 34,
    kVst2HostUpdateDisplay = 42,
    kVst2HostBeginEdit = 43,
    kVst2HostEndEdit = 44,
};

// The lengths of the host buffers texts are copied into, terminator included.
enum Vst2TextLength {
    kVst2ParameterTextLength = 8,
    kVst2ProgramNameLength = 24,
    kVst2EffectNameLength = 32,
    kVst2VendorTextLength = 64,
    kVst2ProductTextLength = 64,
    kVst2PinLabelLength = 64,
    kVst2KeyNameLength = 64,
};

static_assert(sizeof(void*) == 8, "the records are laid out for a 64-bit build");
static_assert(sizeof(Vst2Effect) == 192, "effect record");
static_assert(offsetof(Vst2Effect, dispatcher) == 8, "effect record: dispatcher");
static_assert(offsetof(Vst2Effect, programCount) == 40, "effect record: counts");
static_assert(offsetof(Vst2Effect, outputCount) == 52, "effect record: counts");
static_assert(offsetof(Vst2Effect, flags) == 56, "effect record: flags");
static_assert(offsetof(Vst2Effect, initialDelay) == 80, "effect record: delay");
static_assert(offsetof(Vst2Effect, object) == 96, "effect record: object");
static_assert(offsetof(Vst2Effect, uniqueId) == 112, "effect record: unique id");
static_assert(offsetof(Vst2Effect, version) == 116, "effect record: version");
static_assert(offsetof(Vst2Effect, processReplacing) == 120, "effect record: replacing");
static_assert(offsetof(Vst2Effect, processDoubleReplacing) == 128, "effect record: doubles");
static_assert(sizeof(Vst2Event) == 32, "event");
static_assert(sizeof(Vst2MidiEvent) == 32, "MIDI event");
static_assert(offsetof(Vst2MidiEvent, midiData) == 24, "MIDI event: bytes");
static_assert(sizeof(Vst2SysExEvent) == 48, "sysex event");
static_assert(offsetof(Vst2SysExEvent, dump) == 32, "sysex event: dump");
static_assert(offsetof(Vst2EventList, events) == 16, "event list: events");
static_assert(sizeof(Vst2TimeInfo) == 88, "time information");
static_assert(offsetof(Vst2TimeInfo, flags) == 84, "time information: flags");
static_assert(sizeof(Vst2PinProperties) == 128, "pin properties");
static_assert(offsetof(Vst2PinProperties, flags) == 64, "pin properties: flags");
static_assert(sizeof(Vst2KeyName) == 80, "key name");
static_assert(offsetof(Vst2KeyName, keyName) == 8, "key name: text");
static_assert(sizeof(Vst2Rect) == 8, "rectangle");
