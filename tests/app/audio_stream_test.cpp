// The shell's audio side against the real RtAudio DirectSound back-end.
// Without a sound server Wine lists no devices: the error paths are checked
// everywhere, a running stream only where DirectSound offers a duplex
// "Default Device" (a private PulseAudio null sink, for one).
#include "app/audio_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/audio_api.h"
#include "app/audio_blocks.h"
#include "app/settings.h"
#include "core/unit_standalone.h"
#include "support/debug_capture.h"

namespace {

// A plug-in that counts what reaches it, from whichever thread.
class CountingUnit : public IUnitStandalone {
public:
    CountingUnit()
        : IUnitStandalone(nullptr, nullptr, 1, "2-2", 1, "counter", "", "maker", 0x10000, 1, 2, 0,
                          false, false, false, 0)
    {
    }

    bool ResetDspState() override
    {
        ++resets;
        return resetSucceeds;
    }

    void ProcessDoubleBlock(double** inputs, double** outputs, int frames) override
    {
        if (raiseLibraryError.exchange(false)) {
            // A call the library refuses, on its callback thread.
            RtAudio::StreamParameters parameters{0, 2, 0};
            unsigned bufferFrames = 512;
            AudioApi()->openStream(&parameters, &parameters, RTAUDIO_FLOAT64, 44100, &bufferFrames,
                                   AudioCallback);
        }
        ++blocks;
        largestBlock = std::max(largestBlock.load(), frames);
        monoInputs = inputs[0] == inputs[1];
        double peak = inputPeak;
        for (int i = 0; i < frames; ++i) {
            peak = std::max({peak, std::fabs(inputs[0][i]), std::fabs(inputs[1][i])});
            outputs[0][i] = outputs[1][i] = 1.0;
        }
        inputPeak = peak;
    }

    bool resetSucceeds = true;
    std::atomic<bool> raiseLibraryError{false};
    std::atomic<int> resets{0};
    std::atomic<int> blocks{0};
    std::atomic<int> largestBlock{0};
    std::atomic<bool> monoInputs{false};
    std::atomic<double> inputPeak{0.0};
};

class AudioStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateSettingsRecords();
        CreateAudioApi();
        ProbeAudioDevices();
        AttachAudioPlugIn(&unit);
    }

    void TearDown() override
    {
        DeleteAudioApi();
        ProbeAudioDevices();
        AttachAudioPlugIn(nullptr);
        FreeSettingsRecords();
    }

    // A device index that RtAudio does not have.
    static unsigned MissingDevice() { return unsigned(AudioDevices().names.size()) + 3; }

    static bool HasDuplexDefaultDevice()
    {
        const AudioDeviceLists& devices = AudioDevices();
        const int index = devices.Find("Default Device");
        auto listed = [index](const std::vector<unsigned>& list) {
            return std::find(list.begin(), list.end(), unsigned(index)) != list.end();
        };
        return index >= 0 && listed(devices.inputs) && listed(devices.outputs);
    }

    // Waits for the audio thread; a generous limit, no timing is checked.
    template <typename Done>
    static bool WaitFor(Done done)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            if (done()) return true;
            if (std::chrono::steady_clock::now() >= limit) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    bool WaitForBlocks(int count)
    {
        return WaitFor([&] { return unit.blocks >= count; });
    }

    CountingUnit unit;
};

TEST_F(AudioStreamTest, TheDeviceListsFollowRtAudio)
{
    RtAudio* audio = AudioApi();
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->getCurrentApi(), RtAudio::WINDOWS_DS);
    const AudioDeviceLists& devices = AudioDevices();
    const unsigned count = audio->getDeviceCount();
    ASSERT_EQ(devices.names.size(), count);
    std::vector<unsigned> inputs, outputs;
    for (unsigned i = 0; i < count; ++i) {
        const RtAudio::DeviceInfo info = audio->getDeviceInfo(i);
        EXPECT_EQ(GetAudioDeviceName(i), info.name);
        EXPECT_EQ(devices.names[size_t(FindAudioDeviceIndex(info.name.c_str()))], info.name);
        if (info.probed && info.inputChannels > 0) inputs.push_back(i);
        if (info.probed && info.outputChannels > 0) outputs.push_back(i);
    }
    EXPECT_EQ(devices.inputs, inputs);
    EXPECT_EQ(devices.outputs, outputs);
    EXPECT_THROW(GetAudioDeviceName(count), std::out_of_range);
    EXPECT_EQ(FindAudioDeviceIndex("No Such Device"), -1);
}

// ASIO is not built here: RtAudio falls back to DirectSound, and the shell
// says so instead of leaving it to RtAudio's line on standard error.
TEST_F(AudioStreamTest, AChosenDriverThatIsMissingIsReported)
{
    const char kNotice[] = "ASIO is not available; using DirectSound instead.";
    const struct {
        uint16_t driver;
        const char* notice;
    } cases[] = {{1, kNotice}, {0, nullptr}, {7, nullptr}};
    for (const auto& c : cases) {
        CurrentSettings->driver = c.driver;
        DebugCapture capture;
        EXPECT_TRUE(CreateAudioApi());
        ASSERT_NE(AudioApi(), nullptr);
        EXPECT_EQ(AudioApi()->getCurrentApi(), RtAudio::WINDOWS_DS) << c.driver;
        if (c.notice) {
            EXPECT_STREQ(AudioDriverNotice(), c.notice);
            EXPECT_EQ(capture.Texts(), std::vector<std::string>{std::string(c.notice) + "\r\n"});
        } else {
            EXPECT_EQ(AudioDriverNotice(), nullptr) << c.driver;
            EXPECT_TRUE(capture.Texts().empty()) << c.driver;
        }
    }
}

TEST_F(AudioStreamTest, AnUnknownDeviceNameLeavesEverythingAlone)
{
    CopySettingsText(RunningSettings->sampleRate, "marker");
    CopySettingsText(CurrentSettings->inputDevice, "No Such Device");
    DebugCapture capture;
    EXPECT_FALSE(StartAudioFromSettings());
    EXPECT_TRUE(capture.Texts().empty());
    EXPECT_EQ(unit.resets, 0);
    EXPECT_STREQ(RunningSettings->sampleRate, "marker");
}

TEST_F(AudioStreamTest, AFailedOpenIsReportedAfterThePlugInWasPrepared)
{
    CopySettingsText(CurrentSettings->signalVectorSize, "64");
    CopySettingsText(RunningSettings->sampleRate, "marker");
    const unsigned missing = MissingDevice();
    DebugCapture capture;
    EXPECT_FALSE(StartAudioStream(missing, missing, 48000, 256, 2, 0, 0));
    const std::string device = std::to_string(missing) + ":";
    EXPECT_EQ(capture.Texts(),
              (std::vector<std::string>{
                  "\ntrying to start audio stream @ 48000 sr, 256 iovs, 64 sigvs\nindev = " +
                      device + "\noutdev = " + device + "\r\n",
                  "could not start the audio stream: RtApi::openStream: output device parameter "
                  "value is invalid.\r\n"}));
    EXPECT_EQ(IoVectorSize, 256u);
    EXPECT_EQ(SignalVectorSize, 64);
    EXPECT_EQ(unit.BlockSize(), 64);
    EXPECT_EQ(unit.CurrentSampleRate(), 48000.0);
    EXPECT_EQ(unit.resets, 1);
    EXPECT_STREQ(RunningSettings->sampleRate, "marker");
    EXPECT_FALSE(AudioApi()->isStreamOpen());
    EXPECT_FALSE(IsAudioStreamRunning());
}

TEST_F(AudioStreamTest, APlugInThatCannotPrepareFailsTheStart)
{
    unit.resetSucceeds = false;
    const AudioMidiSettings before = *RunningSettings;
    DebugCapture capture;
    EXPECT_FALSE(StartAudioStream(0, 0, 44100, 512, 2, 0, 0));
    EXPECT_EQ(unit.resets, 1);
    const std::vector<std::string> texts = capture.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1],
              "could not start the audio stream: the plug-in could not prepare its "
              "processing\r\n");
    EXPECT_FALSE(AudioApi()->isStreamOpen());
    EXPECT_EQ(memcmp(RunningSettings, &before, sizeof before), 0);
}

TEST_F(AudioStreamTest, ASignalVectorSizeOutsideItsRangeIsClamped)
{
    const struct {
        const char* text;
        int size;
    } cases[] = {{"0", 1}, {"-3", 1}, {"abc", 1}, {"100000", 65536}, {"1024", 1024}};
    for (const auto& c : cases) {
        CopySettingsText(CurrentSettings->signalVectorSize, c.text);
        StartAudioStream(MissingDevice(), MissingDevice(), 44100, 512, 2, 0, 0);
        EXPECT_EQ(SignalVectorSize, c.size) << c.text;
        EXPECT_EQ(unit.BlockSize(), c.size) << c.text;
    }
}

TEST_F(AudioStreamTest, RequestsRtAudioMustNotGetAreRefused)
{
    const struct {
        unsigned sampleRate, ioVectorSize, channels, firstInput, firstOutput;
        const char* problem;
    } cases[] = {
        {44100, 512, 2, UINT_MAX, 0, "the input channels are out of range"},
        {44100, 512, 2, 0, UINT_MAX, "the output channels are out of range"},
        {44100, 512, 1, 0, 0, "the stream needs two channels each way"},
        {unsigned(-5), 512, 2, 0, 0, "the sample rate is out of range"},
        {44100, 1u << 20, 2, 0, 0, "the I/O vector size is too large"},
        {44100, 3, 2, 0, 0, "the I/O vector size is too small"},
    };
    for (const auto& c : cases) {
        DebugCapture capture;
        EXPECT_FALSE(StartAudioStream(0, 0, c.sampleRate, c.ioVectorSize, c.channels, c.firstInput,
                                      c.firstOutput));
        const std::vector<std::string> texts = capture.Texts();
        ASSERT_EQ(texts.size(), 2u) << c.problem;
        EXPECT_EQ(texts[1], std::string("could not start the audio stream: ") + c.problem + "\r\n");
        EXPECT_FALSE(AudioApi()->isStreamOpen());
        // The user is told once.
        EXPECT_EQ(TakeAudioStreamTrouble(), std::string("The audio stream was not started: ") +
                                                c.problem +
                                                ". Choose other settings in File, Preferences...");
        EXPECT_EQ(TakeAudioStreamTrouble(), "");
    }
}

TEST_F(AudioStreamTest, WithoutAudioApiNothingStartsOrStops)
{
    DeleteAudioApi();
    DebugCapture capture;
    EXPECT_FALSE(StartAudioStream(0, 0, 44100, 512, 2, 0, 0));
    EXPECT_EQ(capture.Texts(), std::vector<std::string>{
                                   "could not start the audio stream: there is no audio API\r\n"});
    EXPECT_FALSE(IsAudioStreamRunning());
    EXPECT_TRUE(CloseAudioApiStream());
    EXPECT_EQ(unit.resets, 0);
}

TEST_F(AudioStreamTest, EndingWithoutAStreamIsHarmless)
{
    EXPECT_TRUE(CloseAudioApiStream());
    EXPECT_FALSE(AudioApi()->isStreamOpen());
    EXPECT_FALSE(AudioApiWasAbandoned());
}

// The callback as RtAudio calls it, fed by hand: every start gives fresh
// state, CurrentSettings->monoInput is read at each call, and a nonzero
// status is counted and processed all the same. The callback writes nothing
// (standard output may be a pipe that nobody reads); the UI thread prints
// one line for the underflows counted since it last looked.
TEST_F(AudioStreamTest, TheCallbackFeedsThePlugInAfterTheSilentBuffers)
{
    const unsigned frames = 64;
    std::vector<double> input(2 * frames, 0.5), output(2 * frames, 3.0);
    for (int start = 0; start < 2; ++start) {
        StartAudioStream(MissingDevice(), MissingDevice(), 44100, frames, 2, 0, 0);
        unit.blocks = 0;
        for (uint32_t i = 0; i < kSilentCallbacks; ++i)
            EXPECT_EQ(AudioCallback(output.data(), input.data(), frames, 0.0, 0, nullptr), 0);
        EXPECT_EQ(unit.blocks, 0) << "start " << start;
        EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](double x) { return x == 0.0; }));

        CurrentSettings->monoInput = uint16_t(start);
        testing::internal::CaptureStdout();
        EXPECT_EQ(AudioCallback(output.data(), input.data(), frames, 0.0, RTAUDIO_OUTPUT_UNDERFLOW,
                                nullptr),
                  0);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        testing::internal::CaptureStdout();
        PrintAudioUnderflows();
        PrintAudioUnderflows();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Stream underflow detected!\n");
        EXPECT_EQ(unit.blocks, 2) << "start " << start;
        EXPECT_EQ(unit.largestBlock, 32);
        EXPECT_EQ(unit.monoInputs, start == 1);
        EXPECT_EQ(output[0], (1.0 / frames) * kOutputScale);
    }
}

TEST_F(AudioStreamTest, ARunningStreamFeedsThePlugInAndRestartsCleanly)
{
    if (!HasDuplexDefaultDevice())
        GTEST_SKIP() << "DirectSound offers no duplex Default Device here";
    ASSERT_TRUE(StartAudioFromSettings());
    EXPECT_TRUE(IsAudioStreamRunning());
    EXPECT_EQ(memcmp(RunningSettings, CurrentSettings, sizeof(AudioMidiSettings)), 0);
    ASSERT_TRUE(WaitForBlocks(64));
    EXPECT_LE(unit.largestBlock, SignalVectorSize);
    std::printf("device buffer %u frames; input peak %.3f\n", IoVectorSize, unit.inputPeak.load());

    CopySettingsText(CurrentSettings->signalVectorSize, "16");
    DebugCapture capture;
    ASSERT_TRUE(StartAudioFromSettings());
    EXPECT_EQ(capture.Texts().size(), 1u) << "the running stream ends without an error";
    EXPECT_EQ(unit.resets, 2);
    unit.blocks = 0;
    unit.largestBlock = 0;
    ASSERT_TRUE(WaitForBlocks(64));
    EXPECT_LE(unit.largestBlock, 16);

    EXPECT_EQ(TakeAudioStreamTrouble(), "");
    EXPECT_TRUE(CloseAudioApiStream());
    EXPECT_FALSE(IsAudioStreamRunning());
    EXPECT_FALSE(AudioApi()->isStreamOpen());
}

// Without an error callback the library throws such an error on its
// callback thread, which ends the program; with it the library stops the
// stream, the user is told once, and a start opens the devices again.
TEST_F(AudioStreamTest, AnErrorOnTheCallbackThreadStopsTheStreamAndIsToldOnce)
{
    if (!HasDuplexDefaultDevice())
        GTEST_SKIP() << "DirectSound offers no duplex Default Device here";
    ASSERT_TRUE(StartAudioFromSettings());
    ASSERT_TRUE(WaitForBlocks(8));
    unit.raiseLibraryError = true;
    std::string told;
    EXPECT_TRUE(WaitFor([&] { return !(told = TakeAudioStreamTrouble()).empty(); }));
    EXPECT_EQ(told.rfind("The audio stream has stopped delivering sound:", 0), 0u) << told;
    EXPECT_FALSE(unit.raiseLibraryError);
    EXPECT_EQ(TakeAudioStreamTrouble(), "");
    EXPECT_FALSE(IsAudioStreamRunning());

    ASSERT_TRUE(StartAudioFromSettings());
    EXPECT_TRUE(IsAudioStreamRunning());
    unit.blocks = 0;
    ASSERT_TRUE(WaitForBlocks(64));
    EXPECT_EQ(TakeAudioStreamTrouble(), "");
}

}  // namespace
