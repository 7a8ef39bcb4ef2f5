#include <gtest/gtest.h>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "support/vst_host.h"

// A reverb of another maker, from the Debian package dragonfly-reverb-vst.
namespace {

const char kModulePath[] = "/usr/lib/lxvst/DragonflyRoomReverb-vst.so";

class ThirdPartyVst : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(host.Load(kModulePath, &error))
            << error << "\n(the set-up, tools/setup-packages.sh, installs dragonfly-reverb-vst)";
        effect = host.Create();
        ASSERT_NE(effect, nullptr);
    }

    // Open, rate, block size, processing on: what hosts do before processing.
    void Open(Vst2Effect* e)
    {
        host.Dispatch(e, kVst2Open);
        host.Dispatch(e, kVst2SetSampleRate, 0, 0, nullptr, 44100.0f);
        host.Dispatch(e, kVst2SetBlockSize, 0, 256);
        host.Dispatch(e, kVst2MainsChanged, 0, 1);
    }

    VstHost host;
    Vst2Effect* effect = nullptr;
};

TEST_F(ThirdPartyVst, EffectRecordAndTexts)
{
    EXPECT_STREQ(host.EntryName(), "main");  // the module has no VSTPluginMain
    ASSERT_FALSE(host.calls.empty());
    // Asked during the entry call, before the record names its host.
    EXPECT_EQ(host.calls.front().opcode, kVst2HostVersion);

    EXPECT_EQ(effect->magic, kVst2Magic);
    EXPECT_EQ(effect->parameterCount, 17);
    EXPECT_EQ(effect->inputCount, 2);
    EXPECT_EQ(effect->outputCount, 2);
    EXPECT_EQ(effect->flags, kVst2HasEditor | kVst2CanReplace | kVst2ProgramChunks);
    EXPECT_EQ(effect->version, 0x30208);
    EXPECT_EQ(host.Text(effect, kVst2GetEffectName), "Dragonfly Room Reverb");
    EXPECT_EQ(host.Text(effect, kVst2GetParameterName, 0), "Dry Level");
}

TEST_F(ThirdPartyVst, ProcessesFiniteSound)
{
    Open(effect);
    VstBuffers buffers(2, 2, 256);
    float peak = 0;
    for (int block = 0; block < 20; ++block) {
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < buffers.frames; ++i)
                buffers.in[channel][i] = 0.5f * std::sin(0.05f * (block * 256 + i) + channel);
        host.ProcessReplacing(effect, buffers);
        for (const auto& channel : buffers.out)
            for (float sample : channel) {
                ASSERT_TRUE(std::isfinite(sample)) << "block " << block;
                peak = std::max(peak, std::fabs(sample));
            }
    }
    EXPECT_GT(peak, 0.0f);  // the output pointers reached the plug-in
}

TEST_F(ThirdPartyVst, BankChunkRoundTrips)
{
    Open(effect);
    const std::vector<uint8_t> bank = host.GetChunk(effect, false);
    EXPECT_EQ(bank.size(), 264u);
    effect->setParameter(effect, 0, 0.25f);
    ASSERT_NE(host.GetChunk(effect, false), bank);
    EXPECT_EQ(host.SetChunk(effect, false, bank), 1);
    EXPECT_EQ(host.GetChunk(effect, false), bank);
}

TEST_F(ThirdPartyVst, TwoInstancesAtOnce)
{
    Vst2Effect* second = host.Create();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, effect);
    Open(effect);
    Open(second);
    second->setParameter(second, 0, 0.25f);
    EXPECT_EQ(second->getParameter(second, 0), 0.25f);
    EXPECT_NE(effect->getParameter(effect, 0), 0.25f);
    // Each one's calls reach the host under its own record.
    bool fromFirst = false, fromSecond = false;
    for (const VstHostCall& call : host.calls) {
        fromFirst = fromFirst || call.effect == effect;
        fromSecond = fromSecond || call.effect == second;
    }
    EXPECT_TRUE(fromFirst && fromSecond);
}

}  // namespace
