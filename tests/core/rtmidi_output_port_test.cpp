#include "core/rtmidi_output_port.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Message = std::vector<unsigned char>;

// An output back-end that records what reaches it; a failing one raises a
// driver error the way RtMidi's back-ends do.
class RecordingOutput : public MidiOutApi {
public:
    RtMidi::Api getCurrentApi() override { return RtMidi::WINDOWS_MM; }
    void openPort(unsigned int, const std::string&) override {}
    void openVirtualPort(const std::string&) override {}
    void closePort() override {}
    void setClientName(const std::string&) override {}
    void setPortName(const std::string&) override {}
    unsigned int getPortCount() override { return 0; }
    std::string getPortName(unsigned int) override { return {}; }
    void sendMessage(const unsigned char* bytes, size_t size) override
    {
        sent.emplace_back(bytes, bytes + size);
        if (failing) error(RtMidiError::DRIVER_ERROR, "the driver refused the message");
    }

    std::vector<Message> sent;
    bool failing = false;

protected:
    void initialize(const std::string&) override {}
};

// The shell's output object with its system back-end replaced by `api`,
// which it then owns.
class ShellOutput : public RtMidiOut {
public:
    explicit ShellOutput(RecordingOutput* api)
        : RtMidiOut(RtMidi::WINDOWS_MM, "RtMidi Output Client")
    {
        delete rtapi_;
        rtapi_ = api;
    }
};

std::vector<std::string> gErrors;

void RecordError(RtMidiError::Type, const std::string& text, void*)
{
    gErrors.push_back(text);
}

const unsigned char kNote[3] = {0x90, 60, 100};
const unsigned char kProgram[2] = {0xC0, 5};

TEST(RtMidiOutputPort, SendsThroughTheShellsOutput)
{
    RecordingOutput* api = new RecordingOutput;
    ShellOutput out(api);
    RtMidiOutputPort port(&out);
    port.SendMessage(kNote, sizeof kNote);
    port.SendMessage(kProgram, sizeof kProgram);
    EXPECT_EQ(api->sent, (std::vector<Message>{{0x90, 60, 100}, {0xC0, 5}}));

    RtMidiOutputPort none(nullptr);
    none.SendMessage(kNote, sizeof kNote);
    EXPECT_EQ(api->sent.size(), 2u);
}

TEST(RtMidiOutputPort, AnErrorOfTheOutputStaysInThePort)
{
    RecordingOutput* api = new RecordingOutput;
    api->failing = true;
    ShellOutput out(api);
    RtMidiOutputPort port(&out);
    // Without an error callback RtMidi throws its error.
    EXPECT_NO_THROW(port.SendMessage(kNote, sizeof kNote));
    // With one, the callback gets it.
    gErrors.clear();
    out.setErrorCallback(RecordError, nullptr);
    EXPECT_NO_THROW(port.SendMessage(kProgram, sizeof kProgram));
    EXPECT_EQ(gErrors, std::vector<std::string>{"the driver refused the message"});
    EXPECT_EQ(api->sent.size(), 2u);
}

// There are no MIDI devices here: the system's output has no port open, and
// RtMidi drops the message without a word.
TEST(RtMidiOutputPort, TheSystemsOutputWithoutAnOpenPortTakesTheMessageQuietly)
{
    RtMidiOut out(RtMidi::WINDOWS_MM, "RtMidi Output Client");
    gErrors.clear();
    out.setErrorCallback(RecordError, nullptr);
    ASSERT_EQ(out.getCurrentApi(), RtMidi::WINDOWS_MM);
    ASSERT_FALSE(out.isPortOpen());
    RtMidiOutputPort port(&out);
    EXPECT_NO_THROW(port.SendMessage(kNote, sizeof kNote));
    EXPECT_TRUE(gErrors.empty());
    EXPECT_FALSE(out.isPortOpen());
}

}  // namespace
