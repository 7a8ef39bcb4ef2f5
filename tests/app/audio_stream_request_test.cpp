#include "app/audio_stream_request.h"

#include <gtest/gtest.h>

#include <climits>

#include "support/settings_builder.h"

namespace {

class AudioStreamRequestTest : public ::testing::Test {
protected:
    AudioStreamRequestTest()
    {
        devices.AddDevice("Default Device", true, 2, 2);
        devices.AddDevice("Line In", true, 2, 0);
        devices.AddDevice("Card", true, 8, 8);
    }

    bool Request()
    {
        request = {};
        return AudioStreamRequestFromSettings(settings, devices, asioInUse, &request);
    }

    AudioMidiSettings settings = InitialSettings();
    bool asioInUse = false;
    AudioDeviceLists devices;
    AudioStreamRequest request{};
};

TEST_F(AudioStreamRequestTest, InitialSettingsAskForTheDefaultDevice)
{
    ASSERT_TRUE(Request());
    EXPECT_EQ(request.inputDevice, 0u);
    EXPECT_EQ(request.outputDevice, 0u);
    EXPECT_EQ(request.sampleRate, 44100u);
    EXPECT_EQ(request.ioVectorSize, 512u);
    EXPECT_EQ(request.channels, 2u);
    EXPECT_EQ(request.firstInput, 0u);
    EXPECT_EQ(request.firstOutput, 0u);
    EXPECT_EQ(AudioStreamRequestProblem(request), nullptr);
}

TEST_F(AudioStreamRequestTest, DirectSoundTakesEachDirectionsDeviceAndFirstChannel)
{
    settings = SettingsBuilder()
                   .Driver(7)
                   .InputDevice("Line In")
                   .OutputDevice("Card")
                   .SampleRate("48000")
                   .IoVectorSize("256")
                   .InputChannels(3, 4)
                   .OutputChannels(5, 6);
    ASSERT_TRUE(Request());
    EXPECT_EQ(request.inputDevice, 1u);
    EXPECT_EQ(request.outputDevice, 2u);
    EXPECT_EQ(request.sampleRate, 48000u);
    EXPECT_EQ(request.ioVectorSize, 256u);
    EXPECT_EQ(request.firstInput, 2u);
    EXPECT_EQ(request.firstOutput, 4u);
}

TEST_F(AudioStreamRequestTest, AsioUsesTheOutputDeviceForBothDirections)
{
    settings.driver = 1;
    asioInUse = true;
    CopySettingsText(settings.outputDevice, "Card");
    for (const char* input : {"Line In", "no such device"}) {
        CopySettingsText(settings.inputDevice, input);
        ASSERT_TRUE(Request()) << input;
        EXPECT_EQ(request.inputDevice, 2u);
        EXPECT_EQ(request.outputDevice, 2u);
    }
}

TEST_F(AudioStreamRequestTest, AsioChosenWhereDirectSoundServesTakesEachDirectionsDevice)
{
    settings = SettingsBuilder().Driver(1).InputDevice("Line In").OutputDevice("Card");
    ASSERT_TRUE(Request());
    EXPECT_EQ(request.inputDevice, 1u);
    EXPECT_EQ(request.outputDevice, 2u);
}

TEST_F(AudioStreamRequestTest, AnUnknownDeviceNameGivesNoRequest)
{
    CopySettingsText(settings.inputDevice, "default device");
    EXPECT_FALSE(Request());
    settings = InitialSettings();
    CopySettingsText(settings.outputDevice, "Gone");
    EXPECT_FALSE(Request());
}

TEST_F(AudioStreamRequestTest, TextsThatAreNoNumbersBecomeZero)
{
    CopySettingsText(settings.sampleRate, "fast");
    CopySettingsText(settings.ioVectorSize, "");
    ASSERT_TRUE(Request());
    EXPECT_EQ(request.sampleRate, 0u);
    EXPECT_EQ(request.ioVectorSize, 0u);
    EXPECT_STREQ(AudioStreamRequestProblem(request), "the sample rate is out of range");
}

// A first channel of 0 in the settings wraps to the last channel number: the
// audio library would take channel + 2 as one channel and index far past
// its buffers.
TEST_F(AudioStreamRequestTest, AFirstChannelOfZeroIsRefused)
{
    settings.input1 = 0;
    ASSERT_TRUE(Request());
    EXPECT_EQ(request.firstInput, UINT_MAX);
    EXPECT_STREQ(AudioStreamRequestProblem(request), "the input channels are out of range");
    settings = InitialSettings();
    settings.output1 = 0;
    ASSERT_TRUE(Request());
    EXPECT_STREQ(AudioStreamRequestProblem(request), "the output channels are out of range");
}

TEST(AudioStreamRequestProblem, RefusesWhatTheLibraryOrTheCallbackCannotTake)
{
    const struct {
        AudioStreamRequest request;
        const char* problem;
    } cases[] = {
        {{0, 0, 44100, 512, 2, 0, 0}, nullptr},
        {{0, 0, 4000, kMinIoVectorSize, 2, 65533, 65533}, nullptr},
        {{0, 0, 384000, 32, 2, 0, 0}, nullptr},
        {{0, 0, 44100, kMaxAudioVectorSize, 2, UINT_MAX - 2, UINT_MAX - 2}, nullptr},
        {{0, 0, 44100, 512, 1, 0, 0}, "the stream needs two channels each way"},
        {{0, 0, 44100, 512, 0, 0, 0}, "the stream needs two channels each way"},
        {{0, 0, 44100, 512, 2, UINT_MAX - 1, 0}, "the input channels are out of range"},
        {{0, 0, 44100, 512, 2, 0, UINT_MAX}, "the output channels are out of range"},
        {{0, 0, 3999, 512, 2, 0, 0}, "the sample rate is out of range"},
        {{0, 0, 384001, 512, 2, 0, 0}, "the sample rate is out of range"},
        {{0, 0, 0, 512, 2, 0, 0}, "the sample rate is out of range"},
        {{0, 0, UINT_MAX - 4, 512, 2, 0, 0}, "the sample rate is out of range"},
        {{0, 0, 44100, kMaxAudioVectorSize + 1, 2, 0, 0}, "the I/O vector size is too large"},
        // The audio library would make these 32 without a word.
        {{0, 0, 44100, 0, 2, 0, 0}, "the I/O vector size is too small"},
        {{0, 0, 44100, 1, 2, 0, 0}, "the I/O vector size is too small"},
        {{0, 0, 44100, 3, 2, 0, 0}, "the I/O vector size is too small"},
        {{0, 0, 44100, kMinIoVectorSize - 1, 2, 0, 0}, "the I/O vector size is too small"},
        {{0, 0, 44100, UINT_MAX, 2, 0, 0}, "the I/O vector size is too large"},
    };
    for (const auto& c : cases) {
        const char* problem = AudioStreamRequestProblem(c.request);
        if (c.problem)
            EXPECT_STREQ(problem, c.problem);
        else
            EXPECT_EQ(problem, nullptr) << problem;
    }
}

TEST(SignalVectorSizeFromText, TakesTheDecimalValueWithinOneToTheLargestSize)
{
    const struct {
        const char* text;
        int size;
    } cases[] = {
        {"32", 32},
        {"1024", 1024},
        {" 64", 64},
        {"16x", 16},
        {"0", 1},
        {"-4", 1},
        {"abc", 1},
        {"", 1},
        {"65536", 65536},
        {"70000", 65536},
        {"99999999999999999999", 65536},
        {"-99999999999999999999", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(SignalVectorSizeFromText(c.text), c.size) << c.text;
}

}  // namespace
