#include "core/midi_event.h"

#include <algorithm>

namespace {

enum : uint8_t {
    kNoteOff = 0x80,
    kNoteOn = 0x90,
    kKeyPressure = 0xA0,
    kControlChange = 0xB0,
    kProgramChange = 0xC0,
    kChannelPressure = 0xD0,
    kPitchBend = 0xE0,
};

uint8_t ChannelStatus(uint8_t kind, int channel)
{
    return uint8_t(kind | (channel & 0x0F));
}

uint8_t DataByte(int value)
{
    return uint8_t(value & 0x7F);
}

// True when status lies in the range of kinds first..last.
bool StatusIn(uint8_t status, uint8_t first, uint8_t last)
{
    return status >= first && status <= (last | 0x0F);
}

const char* const kKindNames[] = {
    "none",       "unknown",       "unknown",       "unknown",           "unknown",
    "unknown",    "unknown",       "unknown",       "noteoff",           "noteon",
    "aftertouch", "controlchange", "programchange", "channelaftertouch", "pitchwheel",
};

}  // namespace

void IMidiEvent::SetNoteOn(int note, int velocity, int frame, int channel)
{
    offset = frame;
    status = ChannelStatus(kNoteOn, channel);
    data1 = DataByte(note);
    data2 = DataByte(velocity);
}

void IMidiEvent::SetNoteOff(int note, int frame, int channel)
{
    offset = frame;
    status = ChannelStatus(kNoteOff, channel);
    data1 = DataByte(note);
    data2 = 0;
}

void IMidiEvent::SetPitchBend(double amount, int channel)
{
    // Clamped before truncation so that no value overflows the conversion.
    const double scaled = amount == amount ? std::clamp(amount * 8192.0, -8192.0, 8191.0) : 0.0;
    const int v = int(scaled) + 8192;
    offset = 0;
    status = ChannelStatus(kPitchBend, channel);
    data1 = DataByte(v);
    data2 = DataByte(v >> 7);
}

void IMidiEvent::SetController(int controller, double amount, int channel)
{
    const double scaled = amount == amount ? std::clamp(amount * 127.0, 0.0, 127.0) : 0.0;
    offset = 0;
    status = ChannelStatus(kControlChange, channel);
    data1 = DataByte(controller);
    data2 = uint8_t(scaled);
}

void IMidiEvent::Zero()
{
    offset = 0;
    status = data1 = data2 = 0;
}

int IMidiEvent::ChannelIndex() const
{
    return status & 0x0F;
}

int IMidiEvent::StatusKind() const
{
    return StatusIn(status, kNoteOff, kPitchBend) ? status >> 4 : 0;
}

int IMidiEvent::NoteKey() const
{
    return StatusIn(status, kNoteOff, kKeyPressure) ? data1 : -1;
}

int IMidiEvent::NoteVelocity() const
{
    return StatusIn(status, kNoteOff, kNoteOn) ? data2 : -1;
}

int IMidiEvent::KeyPressure() const
{
    return StatusIn(status, kKeyPressure, kKeyPressure) ? data2 : -1;
}

int IMidiEvent::ChannelPressure() const
{
    return StatusIn(status, kChannelPressure, kChannelPressure) ? data1 : -1;
}

int IMidiEvent::ProgramIndex() const
{
    return StatusIn(status, kProgramChange, kProgramChange) ? data1 : -1;
}

double IMidiEvent::PitchBendAmount() const
{
    if (!StatusIn(status, kPitchBend, kPitchBend)) return 0.0;
    return double(data2 * 128 + data1 - 8192) / 8192.0;
}

double IMidiEvent::ControllerAmount(int controller) const
{
    if (!StatusIn(status, kControlChange, kControlChange) || data1 != controller) return -1.0;
    return data2 / 127.0;
}

int IMidiEvent::FirstDataByte() const
{
    return data1;
}

void ISysExEvent::Zero()
{
    offset = 0;
    size = 0;
    data = nullptr;
}

const char* MidiStatusKindName(int kind)
{
    const int count = int(sizeof kKindNames / sizeof kKindNames[0]);
    return kind >= 0 && kind < count ? kKindNames[kind] : "unknown";
}

char* FormatBytesAsHex(char* out, int outSize, const uint8_t* data, int count)
{
    if (!out || outSize < 1) return out;
    out[0] = '\0';
    if (!data || count <= 0) return out;
    static const char kDigits[] = "0123456789ABCDEF";
    const int n = std::min(count, outSize / 3);
    for (int i = 0; i < n; ++i) {
        out[3 * i] = kDigits[data[i] >> 4];
        out[3 * i + 1] = kDigits[data[i] & 0x0F];
        out[3 * i + 2] = ' ';
    }
    if (n > 0) out[3 * n - 1] = '\0';
    return out;
}
