#include "app/midi_port_switch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A client with a fixed port list that logs its calls; opening can be made
// to fail.
class FakePortClient : public MidiPortClient {
public:
    std::vector<std::string> PortNames() override { return ports; }
    void ClosePort() override { calls.push_back("close"); }
    bool OpenPort(unsigned number) override
    {
        calls.push_back("open " + std::to_string(number));
        return !openFails;
    }

    std::vector<std::string> ports{"Keys 0", "Pads 1", "Keys 0"};
    std::vector<std::string> calls;
    bool openFails = false;
};

int gSaves = 0;
void CountSave()
{
    ++gSaves;
}

TEST(FindMidiPort, GivesZeroForOffAndThePortNumberPlusOneOfTheFirstExactName)
{
    FakePortClient client;
    const struct {
        const char* name;
        int withClient;
        int withoutClient;
    } cases[] = {
        {"off", 0, 0},   {"Keys 0", 1, -1}, {"Pads 1", 2, -1}, {"keys 0", -1, -1},
        {"Off", -1, -1}, {"Keys", -1, -1},  {"", -1, -1},      {nullptr, -1, -1},
    };
    for (const auto& c : cases) {
        const char* label = c.name ? c.name : "null";
        EXPECT_EQ(FindMidiPort(&client, c.name), c.withClient) << label;
        EXPECT_EQ(FindMidiPort(nullptr, c.name), c.withoutClient) << label;
    }
}

class SwitchMidiPortTest : public ::testing::Test {
protected:
    SwitchMidiPortTest() { gSaves = 0; }

    bool Switch(MidiPortClient* target, const char* name)
    {
        CopySettingsText(setting, name);
        return SwitchMidiPort(target, setting, setting, CountSave);
    }

    FakePortClient client;
    char setting[kSettingsTextSize] = {};
};

TEST_F(SwitchMidiPortTest, OffClosesThePortAndOpensNothing)
{
    EXPECT_TRUE(Switch(&client, "off"));
    EXPECT_EQ(client.calls, std::vector<std::string>{"close"});
    EXPECT_STREQ(setting, "off");
    EXPECT_EQ(gSaves, 0);
}

TEST_F(SwitchMidiPortTest, ANamedPortIsOpenedAfterTheOldOneClosed)
{
    EXPECT_TRUE(Switch(&client, "Pads 1"));
    EXPECT_EQ(client.calls, (std::vector<std::string>{"close", "open 1"}));
    EXPECT_STREQ(setting, "Pads 1");
    EXPECT_EQ(gSaves, 0);
}

TEST_F(SwitchMidiPortTest, AGonePortTurnsTheSettingOffAndSavesIt)
{
    EXPECT_TRUE(Switch(&client, "Gone 3"));
    EXPECT_EQ(client.calls, std::vector<std::string>{"close"});
    EXPECT_STREQ(setting, "off");
    EXPECT_EQ(gSaves, 1);
}

TEST_F(SwitchMidiPortTest, APortThatDoesNotOpenCountsAsOff)
{
    client.openFails = true;
    EXPECT_FALSE(Switch(&client, "Keys 0"));
    EXPECT_EQ(client.calls, (std::vector<std::string>{"close", "open 0"}));
    EXPECT_STREQ(setting, "off");
    EXPECT_EQ(gSaves, 1);
}

TEST_F(SwitchMidiPortTest, WithoutAClientNothingIsCalledAndANamedPortTurnsOff)
{
    EXPECT_FALSE(Switch(nullptr, "off"));
    EXPECT_EQ(gSaves, 0);
    EXPECT_FALSE(Switch(nullptr, "Keys 0"));
    EXPECT_STREQ(setting, "off");
    EXPECT_EQ(gSaves, 1);
}

}  // namespace
