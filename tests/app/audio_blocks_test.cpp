#include "app/audio_blocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "core/unit_standalone.h"

namespace {

// A plug-in that records where each block starts in the device buffers and
// touches every frame of it, so that a block reaching outside the buffers
// shows (natively under AddressSanitizer).
class RecordingUnit : public IUnitStandalone {
public:
    RecordingUnit()
        : IUnitStandalone(nullptr, nullptr, 1, "2-2", 1, "recorder", "", "maker", 0x10000, 1, 2, 0,
                          false, false, false, 0)
    {
    }

    struct Block {
        double* inputs[2];
        double* outputs[2];
        int frames;
    };

    void ProcessDoubleBlock(double** inputs, double** outputs, int frames) override
    {
        blocks.push_back({{inputs[0], inputs[1]}, {outputs[0], outputs[1]}, frames});
        for (int i = 0; i < frames; ++i) {
            inputSum += inputs[0][i] + inputs[1][i];
            outputs[0][i] = written;
            outputs[1][i] = written;
        }
    }

    std::vector<Block> blocks;
    double inputSum = 0.0;
    double written = 1.0;
};

// One device buffer: two channels each way, back to back.
struct DeviceBuffer {
    explicit DeviceBuffer(unsigned frames)
        : frames(frames), input(2 * frames), output(2 * frames, 7.0)
    {
        for (unsigned i = 0; i < frames; ++i) {
            input[i] = 1.0;
            input[frames + i] = 100.0;
        }
    }
    unsigned frames;
    std::vector<double> input;
    std::vector<double> output;
};

class AudioBlocks : public ::testing::Test {
protected:
    // Runs through the silent buffers that follow a start.
    void PassSilentBuffers()
    {
        DeviceBuffer buffer(8);
        for (uint32_t i = 0; i < kSilentCallbacks; ++i) Process(buffer, 32);
    }

    void Process(DeviceBuffer& buffer, int signalVectorSize, bool mono = false)
    {
        ProcessAudioBuffer(state, buffer.output.data(), buffer.input.data(), buffer.frames,
                           signalVectorSize, mono, &unit);
    }

    // (first frame, frames) of each block since the last call, relative to
    // the buffer; checks that the block's four pointers agree.
    std::vector<std::pair<long, int>> TakeBlocks(DeviceBuffer& buffer)
    {
        std::vector<std::pair<long, int>> starts;
        for (const RecordingUnit::Block& block : unit.blocks) {
            const long first = long(block.outputs[0] - buffer.output.data());
            EXPECT_EQ(block.outputs[1], buffer.output.data() + buffer.frames + first);
            EXPECT_EQ(block.inputs[0], buffer.input.data() + first);
            EXPECT_EQ(block.inputs[1], buffer.input.data() + buffer.frames + first);
            starts.emplace_back(first, block.frames);
        }
        unit.blocks.clear();
        return starts;
    }

    AudioCallbackState state;
    RecordingUnit unit;
};

TEST_F(AudioBlocks, TheFirst51BuffersAreSilentAndThe52ndReachesThePlugIn)
{
    DeviceBuffer buffer(64);
    for (uint32_t i = 0; i < kSilentCallbacks; ++i) {
        buffer.output.assign(buffer.output.size(), 7.0);
        Process(buffer, 32);
        for (double sample : buffer.output) ASSERT_EQ(sample, 0.0) << "buffer " << i;
    }
    EXPECT_TRUE(unit.blocks.empty());
    EXPECT_EQ(state.fadeGain, 0.0);
    Process(buffer, 32);
    EXPECT_EQ(TakeBlocks(buffer), (std::vector<std::pair<long, int>>{{0, 32}, {32, 32}}));
}

struct SplitCase {
    std::vector<unsigned> bufferFrames;  // consecutive buffers
    int signalVectorSize;
    std::vector<std::vector<std::pair<long, int>>> blocks;  // per buffer
};

class AudioBlockSplitting : public AudioBlocks, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(AudioBlockSplitting, CutsEveryFrameIntoOneBlockInsideTheBuffer)
{
    PassSilentBuffers();
    const SplitCase& c = GetParam();
    for (size_t b = 0; b < c.bufferFrames.size(); ++b) {
        DeviceBuffer buffer(c.bufferFrames[b]);
        Process(buffer, c.signalVectorSize);
        EXPECT_EQ(TakeBlocks(buffer), c.blocks[b]) << "buffer " << b;
    }
}

std::vector<std::pair<long, int>> Blocks(long count, int frames)
{
    std::vector<std::pair<long, int>> blocks;
    for (long i = 0; i < count; ++i) blocks.emplace_back(i * frames, frames);
    return blocks;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, AudioBlockSplitting,
    ::testing::Values(
        // Sizes the preferences offer: whole blocks from frame 0 of each buffer.
        SplitCase{{512, 512}, 32, {Blocks(16, 32), Blocks(16, 32)}},
        SplitCase{{64}, 64, {Blocks(1, 64)}},
        // A buffer that is no multiple of the block: the cut block goes on at
        // the next buffer's start.
        SplitCase{{100, 100},
                  32,
                  {{{0, 32}, {32, 32}, {64, 32}, {96, 4}}, {{0, 28}, {28, 32}, {60, 32}, {92, 8}}}},
        // Blocks larger than the buffer are clamped to it.
        SplitCase{{16, 16}, 32, {Blocks(1, 16), Blocks(1, 16)}},
        // A smaller buffer next: the block cut after 8 frames is completed to
        // the new, clamped block size.
        SplitCase{{40, 20}, 32, {{{0, 32}, {32, 8}}, {{0, 12}, {12, 8}}}},
        // A signal vector size of 0 or less gives blocks of one frame.
        SplitCase{{4}, 0, {Blocks(4, 1)}}, SplitCase{{3}, -5, {Blocks(3, 1)}},
        // An empty buffer calls nothing.
        SplitCase{{0, 8}, 4, {{}, Blocks(2, 4)}}));

TEST_F(AudioBlocks, FadesTheOutputsInOverOneBufferAndScalesThemByAQuarter)
{
    PassSilentBuffers();
    DeviceBuffer buffer(512);
    Process(buffer, 32);
    EXPECT_EQ(buffer.output[0], (1.0 / 512) * kOutputScale);
    EXPECT_EQ(buffer.output[512], (1.0 / 512) * kOutputScale);
    EXPECT_NEAR(buffer.output[255], 0.5 * kOutputScale, 1e-12);
    EXPECT_NEAR(buffer.output[511], kOutputScale, 1e-12);
    EXPECT_NEAR(buffer.output[1023], kOutputScale, 1e-12);
    EXPECT_GE(state.fadeGain, 1.0 - 1e-12);
    EXPECT_LT(state.fadeGain, 1.0 + 1.0 / 512);

    Process(buffer, 32);
    for (double sample : buffer.output)
        ASSERT_EQ(sample, state.fadeGain * kOutputScale) << "the fade stays where it ended";
}

TEST_F(AudioBlocks, MonoInputFeedsTheFirstChannelToBothPlugInInputs)
{
    PassSilentBuffers();
    for (const bool mono : {false, true}) {
        DeviceBuffer buffer(64);
        unit.inputSum = 0.0;
        Process(buffer, 32, mono);
        const RecordingUnit::Block& block = unit.blocks.at(0);
        EXPECT_EQ(block.inputs[0], buffer.input.data());
        EXPECT_EQ(block.inputs[1], buffer.input.data() + (mono ? 0 : 64));
        EXPECT_EQ(unit.inputSum, mono ? 64 * 2.0 : 64 * 101.0);
        unit.blocks.clear();
    }
}

TEST_F(AudioBlocks, WithoutPlugInTheBuffersAreStillFadedAndScaled)
{
    PassSilentBuffers();
    DeviceBuffer buffer(4);
    ProcessAudioBuffer(state, buffer.output.data(), buffer.input.data(), 4, 32, false, nullptr);
    EXPECT_EQ(buffer.output[0], 7.0 * 0.25 * kOutputScale);
    EXPECT_EQ(state.callbackCount, kSilentCallbacks + 1);
}

}  // namespace
