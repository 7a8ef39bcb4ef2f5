#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/unit_base.h"
#include "support/failing_allocator.h"
#include "support/test_unit.h"

namespace {

// Records the longest block the plug-in was asked to process.
class BlockWatchingUnit : public TestUnit {
public:
    explicit BlockWatchingUnit(const char* channelIO) : TestUnit(0, channelIO) {}
    void ProcessDoubleBlock(double** inputs, double** outputs, int frames) override
    {
        longest = std::max(longest, frames);
        IUnitBase::ProcessDoubleBlock(inputs, outputs, frames);
    }
    int longest = 0;
};

const double* ScratchOf(const IAudioChannel* channel)
{
    return static_cast<const double*>(channel->scratch.Data());
}

std::vector<double> ScratchSamples(const IAudioChannel* channel, int frames)
{
    return std::vector<double>(ScratchOf(channel), ScratchOf(channel) + frames);
}

std::vector<std::string> Texts(const PointerList<TextBuffer>& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.Count(); ++i) texts.push_back(list.ItemAt(i)->Get());
    return texts;
}

TEST(UnitDrivers, AttachingHandsEachConnectedChannelTheNextBuffer)
{
    TestUnit unit(0, "3-3");
    unit.ChangeBlockSize(4);
    unit.ConnectInputs(0, 2, true);
    unit.ConnectOutputs(0, 3, true);
    unit.ConnectOutputs(1, 1, false);
    double a[4] = {}, b[4] = {}, c[4] = {};
    double* buffers[] = {a, b, c};

    unit.AttachInputs(0, 3, buffers);
    EXPECT_EQ(*unit.InputAt(0)->dataSlot, a);
    EXPECT_EQ(*unit.InputAt(1)->dataSlot, b);
    EXPECT_EQ(*unit.InputAt(2)->dataSlot, ScratchOf(unit.InputAt(2)));
    unit.AttachOutputs(0, 3, buffers);
    EXPECT_EQ(*unit.OutputAt(0)->dataSlot, a);
    EXPECT_EQ(*unit.OutputAt(1)->dataSlot, ScratchOf(unit.OutputAt(1)));
    EXPECT_EQ(*unit.OutputAt(2)->dataSlot, b);
    unit.AttachInputs(1, 10, buffers);  // clipped to inputs 1 and 2
    EXPECT_EQ(*unit.InputAt(0)->dataSlot, a);
    EXPECT_EQ(*unit.InputAt(1)->dataSlot, a);

    float f0[4] = {0.5f, -1.0f, 2.0f, 0.125f}, f1[4] = {1.0f, 2.0f, 3.0f, 4.0f};
    float* floats[] = {f0, f1, f1};
    unit.AttachInputsFromFloat(0, 3, floats, 4);
    EXPECT_EQ(*unit.InputAt(0)->dataSlot, ScratchOf(unit.InputAt(0)));
    EXPECT_EQ(ScratchSamples(unit.InputAt(0), 4), std::vector<double>({0.5, -1.0, 2.0, 0.125}));
    EXPECT_EQ(ScratchSamples(unit.InputAt(1), 4), std::vector<double>({1.0, 2.0, 3.0, 4.0}));
    EXPECT_EQ(ScratchSamples(unit.InputAt(2), 4), std::vector<double>(4, 0.0));
    unit.AttachOutputsToFloat(0, 3, floats);
    EXPECT_EQ(*unit.OutputAt(0)->dataSlot, ScratchOf(unit.OutputAt(0)));
    EXPECT_EQ(unit.OutputAt(0)->floatDestination, f0);
    EXPECT_EQ(unit.OutputAt(1)->floatDestination, nullptr);
    EXPECT_EQ(unit.OutputAt(2)->floatDestination, f1);

    unit.ClearScratchBuffers();
    EXPECT_EQ(ScratchSamples(unit.InputAt(0), 4), std::vector<double>(4, 0.0));
}

TEST(UnitDrivers, FloatDestinationsTakeOrAddTheConvertedSamples)
{
    TestUnit unit(0, "1-1");
    unit.ChangeBlockSize(4);
    unit.ConnectInputs(0, 1, true);
    unit.ConnectOutputs(0, 1, true);
    double in[2] = {0.1, 0.5};
    float out[2] = {0.25f, 0.25f};
    double* ins[] = {in};
    float* outs[] = {out};
    unit.AttachInputs(0, 1, ins);
    unit.AttachOutputsToFloat(0, 1, outs);

    unit.ProcessAttachedAddToFloat(2);
    EXPECT_EQ(out[0], 0.25f + 0.1f);
    EXPECT_EQ(out[1], 0.75f);
    unit.ProcessAttachedToFloat(2);
    EXPECT_EQ(out[0], 0.1f);
    EXPECT_EQ(out[1], 0.5f);
}

// A call of 2.5 blocks gives what the same samples give in short calls, on
// every driver, and the plug-in never sees more than a block.
TEST(UnitDrivers, CallsLongerThanTheBlockRunInBlocks)
{
    constexpr int kBlock = 1024, kLong = kBlock * 5 / 2, kShort = 100, kDelay = 3;
    struct Path {
        const char* name;
        bool floats;
        void (IUnitBase::*process)(int frames);
        bool adding;
        bool delayed;
    };
    const Path paths[] = {
        {"double", false, &IUnitBase::ProcessAttached, false, false},
        {"float", true, &IUnitBase::ProcessAttachedToFloat, false, false},
        {"adding", true, &IUnitBase::ProcessAttachedAddToFloat, true, false},
        {"pass-through", false, &IUnitBase::PassThroughDelayed, false, true},
        {"pass-through to float", true, &IUnitBase::PassThroughDelayedToFloat, false, true},
    };
    // Input 2 is disconnected and reads zeros; the delay line passes two channels.
    auto input = [](int channel, int frame) {
        return channel < 2 ? 1.0 + frame + 10000 * channel : 0;
    };

    for (const Path& path : paths) {
        for (int call : {kLong, kShort}) {
            SCOPED_TRACE(std::string(path.name) + (call == kLong ? ", one call" : ", short calls"));
            BlockWatchingUnit unit("3-3");
            unit.ChangeBlockSize(kBlock);
            unit.ConnectInputs(0, 2, true);
            unit.ConnectOutputs(0, 3, true);
            if (path.delayed) {
                ASSERT_TRUE(unit.MakeLatencyDelayLine(3, 2));
                unit.ChangeLatency(kDelay);
            }
            std::vector<double> in[3], out[3];
            std::vector<float> floatIn[3], floatOut[3];
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < kLong; ++i) in[j].push_back(input(j, i));
                floatIn[j].assign(in[j].begin(), in[j].end());
                out[j].assign(kLong, -7.0);
                floatOut[j].assign(kLong, 0.25f);
            }

            for (int offset = 0; offset < kLong; offset += call) {
                const int frames = std::min(call, kLong - offset);
                double* ins[] = {&in[0][offset], &in[1][offset]};
                double* outs[] = {&out[0][offset], &out[1][offset], &out[2][offset]};
                float* floatIns[] = {&floatIn[0][offset], &floatIn[1][offset]};
                float* floatOuts[] = {&floatOut[0][offset], &floatOut[1][offset],
                                      &floatOut[2][offset]};
                if (path.floats) {
                    unit.AttachInputsFromFloat(0, 3, floatIns, frames);
                    unit.AttachOutputsToFloat(0, 3, floatOuts);
                } else {
                    unit.AttachInputs(0, 3, ins);
                    unit.AttachOutputs(0, 3, outs);
                }
                (unit.*path.process)(frames);
                if (!path.floats) {
                    EXPECT_EQ(*unit.InputAt(1)->dataSlot, ins[1]);  // put back after the call
                }
            }

            EXPECT_LE(unit.longest, kBlock);
            for (int j = 0; j < 3; ++j) {
                for (int i = 0; i < kLong; ++i) {
                    const int from = path.delayed ? i - kDelay : i;
                    const double sample = from >= 0 ? input(j, from) : 0;
                    const double got = path.floats ? floatOut[j][i] : out[j][i];
                    ASSERT_EQ(got, path.adding ? 0.25 + sample : sample) << j << " " << i;
                }
            }
        }
    }
}

TEST(UnitDrivers, PassThroughDelaysTheInputsByTheLatency)
{
    struct Case {
        const char* name;
        bool delayLine;
        bool inPlace;
        std::vector<double> out0, out1;
    };
    // The delay line passes channel 0 only.
    const Case cases[] = {
        {"no delay line", false, false, {1, 2, 3, 4, 5}, {10, 20, 30, 40, 50}},
        {"delay line of 3", true, false, {0, 0, 0, 1, 2}, {0, 0, 0, 0, 0}},
        {"delay line of 3, in place", true, true, {0, 0, 0, 1, 2}, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BlockWatchingUnit unit("2-3");
        unit.ChangeBlockSize(8);
        unit.ConnectInputs(0, 2, true);
        unit.ConnectOutputs(0, 3, true);
        if (c.delayLine) {
            ASSERT_TRUE(unit.MakeLatencyDelayLine(2, 1));
            unit.ChangeLatency(3);
        }
        std::vector<double> in0 = {1, 2, 3, 4, 5}, in1 = {10, 20, 30, 40, 50};
        std::vector<double> out0(5, -1.0), out1(5, -1.0), out2(5, -1.0);
        double* ins[] = {in0.data(), in1.data()};
        double* outs[] = {c.inPlace ? in0.data() : out0.data(),
                          c.inPlace ? in1.data() : out1.data(), out2.data()};
        unit.AttachInputs(0, 2, ins);
        unit.AttachOutputs(0, 3, outs);
        unit.PassThroughDelayed(5);
        EXPECT_EQ(c.inPlace ? in0 : out0, c.out0);
        EXPECT_EQ(c.inPlace ? in1 : out1, c.out1);
        EXPECT_EQ(out2, std::vector<double>(5, 0.0));
        EXPECT_EQ(unit.longest, 0);  // whatever the plug-in's own processing does
    }
}

TEST(UnitDrivers, WithoutABlockSizeNothingIsProcessedAndTheOutputsAreSilent)
{
    BlockWatchingUnit unit("1-2");
    unit.ConnectInputs(0, 1, true);
    unit.ConnectOutputs(0, 2, true);
    float in[3] = {1, 2, 3}, floatOut[3] = {5, 5, 5};
    double doubleOut[3] = {5, 5, 5};
    float* ins[] = {in};
    float* floatOuts[] = {floatOut};
    double* doubleOuts[] = {doubleOut};
    unit.AttachInputsFromFloat(0, 1, ins, 3);
    unit.AttachOutputsToFloat(0, 1, floatOuts);
    unit.AttachOutputs(1, 1, doubleOuts);

    unit.ProcessAttachedAddToFloat(3);  // adds silence
    EXPECT_EQ(std::vector<float>(floatOut, floatOut + 3), std::vector<float>(3, 5.0f));
    EXPECT_EQ(std::vector<double>(doubleOut, doubleOut + 3), std::vector<double>(3, 0.0));
    unit.ProcessAttachedToFloat(3);
    EXPECT_EQ(std::vector<float>(floatOut, floatOut + 3), std::vector<float>(3, 0.0f));
    EXPECT_EQ(unit.longest, 0);
}

TEST(UnitDrivers, ChangeLatencyKeepsLineAndLatencyWhenTheLineCannotGrow)
{
    TestUnit unit(0, "1-1");
    unit.ChangeBlockSize(8);
    unit.ConnectInputs(0, 1, true);
    unit.ConnectOutputs(0, 1, true);
    unit.ChangeLatency(3);
    ASSERT_TRUE(unit.MakeLatencyDelayLine(1, 1));
    double in[4] = {1, 2, 3, 4}, out[4] = {};
    auto pass = [&](int offset, int frames) {
        double* ins[] = {in + offset};
        double* outs[] = {out + offset};
        unit.AttachInputs(0, 1, ins);
        unit.AttachOutputs(0, 1, outs);
        unit.PassThroughDelayed(frames);
    };
    pass(0, 2);
    {
        FailingAllocator failing;
        unit.ChangeLatency(4096);  // past the line's block
    }
    unit.ChangeLatency(INT_MAX);  // past INT_MAX bytes
    EXPECT_EQ(unit.Latency(), 3);
    EXPECT_EQ(unit.LatencyDelayLine()->length, 3);
    pass(2, 2);  // the ring still holds 1 and 2
    EXPECT_EQ(std::vector<double>(out, out + 4), std::vector<double>({0, 0, 0, 1}));

    unit.ChangeLatency(-4);
    EXPECT_EQ(unit.Latency(), 0);
    EXPECT_EQ(unit.LatencyDelayLine()->length, 0);
    pass(0, 4);
    EXPECT_EQ(std::vector<double>(out, out + 4), std::vector<double>({1, 2, 3, 4}));
}

TEST(UnitDrivers, LabelsAndTextLists)
{
    TestUnit unit(0, "2-2");
    unit.LabelInput(1, "Side");
    unit.LabelInput(5, "none");
    unit.LabelInput(-1, "none");
    unit.LabelOutput(0, "Main");
    unit.LabelOutput(0, nullptr);
    EXPECT_STREQ(unit.InputAt(0)->label.Get(), "");
    EXPECT_STREQ(unit.InputAt(1)->label.Get(), "Side");
    EXPECT_STREQ(unit.OutputAt(0)->label.Get(), "");

    unit.SetTextPairEntry(2, "x");
    unit.SetTextPairEntry(-1, "x");
    EXPECT_EQ(Texts(unit.TextPairList()), std::vector<std::string>());
    unit.SetTextPairEntry(0, "a");
    unit.SetTextPairEntry(1, "b");
    unit.SetTextPairEntry(0, nullptr);
    EXPECT_EQ(Texts(unit.TextPairList()), std::vector<std::string>({"", "b"}));

    unit.SetTextListEntry(-1, "x");
    unit.SetTextListEntry(7, "t");
    EXPECT_EQ(Texts(unit.TextList()), std::vector<std::string>({"t"}));
    unit.SetTextListEntry(0, "u");
    unit.SetTextListEntry(1, nullptr);
    EXPECT_EQ(Texts(unit.TextList()), std::vector<std::string>({"u", ""}));
}

}  // namespace
