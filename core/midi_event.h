#pragma once

#include <cstdint>

// One short channel message and the frame of the current block at which it
// applies. The builders mask the channel to 0..15 and data bytes to 0..127.
struct IMidiEvent {
    int32_t offset;
    uint8_t status;  // kind in the high four bits, channel in the low four
    uint8_t data1;
    uint8_t data2;

    void SetNoteOn(int note, int velocity, int frame, int channel);
    void SetNoteOff(int note, int frame, int channel);
    // amount -1..1 becomes 0..16383 around 8192; NaN counts as 0.
    void SetPitchBend(double amount, int channel);
    // amount 0..1 becomes 0..127, clamped; NaN gives 0.
    void SetController(int controller, double amount, int channel);
    void Zero();

    // Each reader answers for its own kind of status and gives its fallback
    // (-1, or 0 for the doubles and StatusKind) for any other.
    int ChannelIndex() const;
    int StatusKind() const;
    int NoteKey() const;
    int NoteVelocity() const;
    int KeyPressure() const;
    int ChannelPressure() const;
    int ProgramIndex() const;
    double PitchBendAmount() const;
    double ControllerAmount(int controller) const;
    int FirstDataByte() const;
};
static_assert(sizeof(IMidiEvent) == 8, "IMidiEvent is an 8-byte record");

// One system-exclusive message; the bytes belong to the sender.
struct ISysExEvent {
    int32_t offset;
    int32_t size;
    const uint8_t* data;

    void Zero();
};

// The name of a status kind (status >> 4): "none", "noteon", ..., "unknown".
const char* MidiStatusKindName(int kind);

// Writes as many bytes as fit as upper-case hex pairs separated by blanks
// ("01 AB"), three bytes of out per byte, and returns out. No data, a count
// of 0 or less or an outSize of 1 or 2 give ""; an outSize below 1 or a null
// out write nothing.
char* FormatBytesAsHex(char* out, int outSize, const uint8_t* data, int count);
