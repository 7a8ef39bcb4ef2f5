// RtAudio's DirectSound device list as the shell relies on it: the primary
// devices are one duplex "Default Device" at index 0, and every device that
// DirectSound enumerates is listed on its side, a capture and a playback
// device of one name sharing an entry. Checked against DirectSound's own
// enumeration, so it holds for whatever devices the machine has (none under
// Wine without a sound server).
#include <RtAudio.h>

#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const char kDefaultDevice[] = "Default Device";

// The primary device is the one enumerated without a GUID.
BOOL CALLBACK CollectName(LPGUID guid, LPCSTR description, LPCSTR, LPVOID names)
{
    static_cast<std::vector<std::string>*>(names)->push_back(guid ? description : kDefaultDevice);
    return TRUE;
}

struct EnumeratedNames {
    std::vector<std::string> playback;
    std::vector<std::string> capture;

    EnumeratedNames()
    {
        DirectSoundEnumerateA(CollectName, &playback);
        DirectSoundCaptureEnumerateA(CollectName, &capture);
    }
};

bool Contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::map<std::string, unsigned> CountNames(const std::vector<std::string>& names)
{
    std::map<std::string, unsigned> counts;
    for (const std::string& name : names) ++counts[name];
    return counts;
}

class RtAudioDirectSound : public ::testing::Test {
protected:
    RtAudioDirectSound() { audio.showWarnings(false); }

    std::vector<RtAudio::DeviceInfo> ListDevices()
    {
        std::vector<RtAudio::DeviceInfo> devices;
        const unsigned count = audio.getDeviceCount();
        for (unsigned i = 0; i < count; ++i) devices.push_back(audio.getDeviceInfo(i));
        return devices;
    }

    RtAudio audio{RtAudio::WINDOWS_DS};
};

TEST_F(RtAudioDirectSound, ListsEveryEnumeratedDeviceOnItsSide)
{
    const EnumeratedNames enumerated;
    std::vector<std::string> outputs, inputs;
    for (const RtAudio::DeviceInfo& device : ListDevices()) {
        EXPECT_TRUE(device.probed) << device.name;
        if (device.outputChannels > 0) outputs.push_back(device.name);
        if (device.inputChannels > 0) inputs.push_back(device.name);
    }
    EXPECT_EQ(CountNames(outputs), CountNames(enumerated.playback));
    EXPECT_EQ(CountNames(inputs), CountNames(enumerated.capture));
}

TEST_F(RtAudioDirectSound, PairsCaptureAndPlaybackDevicesOfOneName)
{
    const EnumeratedNames enumerated;
    const std::map<std::string, unsigned> playback = CountNames(enumerated.playback);
    std::map<std::string, unsigned> entries = CountNames(enumerated.capture);
    for (const auto& [name, count] : playback) entries[name] = std::max(entries[name], count);
    unsigned expected = 0;
    for (const auto& entry : entries) expected += entry.second;
    EXPECT_EQ(audio.getDeviceCount(), expected);
}

TEST_F(RtAudioDirectSound, PrimaryDevicesAreTheDefaultDeviceAtIndexZero)
{
    const EnumeratedNames enumerated;
    const bool primaryOutput = Contains(enumerated.playback, kDefaultDevice);
    const bool primaryInput = Contains(enumerated.capture, kDefaultDevice);
    if (!primaryOutput && !primaryInput) GTEST_SKIP() << "DirectSound lists no primary device here";

    const std::vector<RtAudio::DeviceInfo> devices = ListDevices();
    ASSERT_FALSE(devices.empty());
    EXPECT_EQ(devices[0].name, kDefaultDevice);
    EXPECT_EQ(devices[0].outputChannels > 0, primaryOutput);
    EXPECT_EQ(devices[0].inputChannels > 0, primaryInput);
    EXPECT_EQ(devices[0].isDefaultOutput, primaryOutput);
    EXPECT_EQ(devices[0].isDefaultInput, primaryInput);
    for (size_t i = 1; i < devices.size(); ++i) {
        EXPECT_NE(devices[i].name, kDefaultDevice) << "device " << i;
        EXPECT_FALSE(devices[i].isDefaultOutput || devices[i].isDefaultInput) << devices[i].name;
    }
}

TEST_F(RtAudioDirectSound, EnumeratingAgainKeepsTheList)
{
    const std::vector<RtAudio::DeviceInfo> first = ListDevices();
    const std::vector<RtAudio::DeviceInfo> second = ListDevices();
    ASSERT_EQ(second.size(), first.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(second[i].name, first[i].name);
        EXPECT_EQ(second[i].outputChannels, first[i].outputChannels) << first[i].name;
        EXPECT_EQ(second[i].inputChannels, first[i].inputChannels) << first[i].name;
    }
}

// The stream the shell opens on a first start: two channels each way of
// non-interleaved doubles on "Default Device".
TEST_F(RtAudioDirectSound, OpensADuplexStreamOnTheDefaultDevice)
{
    const EnumeratedNames enumerated;
    if (!Contains(enumerated.playback, kDefaultDevice) ||
        !Contains(enumerated.capture, kDefaultDevice))
        GTEST_SKIP() << "DirectSound lists no primary playback and capture device here";
    std::vector<std::string> names;
    for (const RtAudio::DeviceInfo& device : ListDevices()) names.push_back(device.name);
    const auto found = std::find(names.begin(), names.end(), kDefaultDevice);
    ASSERT_NE(found, names.end());
    const unsigned index = unsigned(found - names.begin());

    RtAudio::StreamParameters output{index, 2, 0};
    RtAudio::StreamParameters input{index, 2, 0};
    RtAudio::StreamOptions options;
    options.flags = RTAUDIO_NONINTERLEAVED;
    unsigned frames = 512;
    const RtAudioCallback silence = [](void* out, void*, unsigned n, double, RtAudioStreamStatus,
                                       void*) {
        std::fill_n(static_cast<double*>(out), 2 * n, 0.0);
        return 0;
    };
    try {
        audio.openStream(&output, &input, RTAUDIO_FLOAT64, 44100, &frames, silence, nullptr,
                         &options);
        audio.startStream();
        EXPECT_TRUE(audio.isStreamRunning());
        audio.stopStream();
    } catch (const RtAudioError& error) {
        ADD_FAILURE() << error.getMessage();
    }
    if (audio.isStreamOpen()) audio.closeStream();
}

}  // namespace
