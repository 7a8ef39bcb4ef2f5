#include "app/audio_device_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

AudioDeviceLists SampleDevices()
{
    AudioDeviceLists devices;
    devices.AddDevice("Default Device", true, 2, 2);
    devices.AddDevice("Speakers", true, 0, 2);
    devices.AddDevice("Broken", false, 2, 2);
    devices.AddDevice("Generic Low Latency ASIO Driver", true, 2, 2);
    devices.AddDevice("Microphone", true, 1, 0);
    devices.AddDevice("Speakers", true, 0, 8);
    return devices;
}

TEST(AudioDeviceLists, ListEveryNameButOfferOnlyUsableDevicesOnTheirSides)
{
    testing::internal::CaptureStdout();
    const AudioDeviceLists devices = SampleDevices();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Broken: Probe Status = Unsuccessful\n"
              "Generic Low Latency ASIO Driver: Probe Status = Unsuccessful\n");
    EXPECT_EQ(devices.names, (std::vector<std::string>{"Default Device", "Speakers", "Broken",
                                                       "Generic Low Latency ASIO Driver",
                                                       "Microphone", "Speakers"}));
    EXPECT_EQ(devices.inputs, (std::vector<unsigned>{0, 4}));
    EXPECT_EQ(devices.outputs, (std::vector<unsigned>{0, 1, 5}));
}

TEST(AudioDeviceLists, FindTheFirstExactName)
{
    testing::internal::CaptureStdout();
    const AudioDeviceLists devices = SampleDevices();
    testing::internal::GetCapturedStdout();
    const struct {
        const char* name;
        int index;
    } cases[] = {
        {"Default Device", 0},  {"Speakers", 1},         {"Broken", 2}, {"Microphone", 4},
        {"default device", -1}, {"Default Device ", -1}, {"", -1},      {nullptr, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(devices.Find(c.name), c.index) << (c.name ? c.name : "null");
}

TEST(AudioDeviceLists, ALongNameIsFoundByWhatItsSettingsFieldHolds)
{
    testing::internal::CaptureStdout();
    AudioDeviceLists devices;
    const std::string longName = "Line In " + std::string(120, 'x');
    devices.AddDevice("Other", true, 2, 2);
    devices.AddDevice(longName, true, 2, 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(devices.Find(longName.substr(0, 99).c_str()), 1);
    EXPECT_EQ(devices.Find(longName.substr(0, 98).c_str()), -1);
    EXPECT_EQ(devices.Find(longName.c_str()), -1) << "a settings field never holds more";
}

TEST(AudioDeviceLists, ClearEmptiesAllThree)
{
    testing::internal::CaptureStdout();
    AudioDeviceLists devices = SampleDevices();
    testing::internal::GetCapturedStdout();
    devices.Clear();
    EXPECT_TRUE(devices.names.empty());
    EXPECT_TRUE(devices.inputs.empty());
    EXPECT_TRUE(devices.outputs.empty());
    devices.AddDevice("Next", true, 1, 1);
    EXPECT_EQ(devices.inputs, std::vector<unsigned>{0});
}

}  // namespace
