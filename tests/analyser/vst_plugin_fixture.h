#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/vst_host.h"

#ifndef VELVANE_VST_MODULE
#error "the plug-in tests name the module they load"
#endif

// The three process entries of the effect record.
enum ProcessEntry { kReplacing, kAdding, kDoubles };
constexpr ProcessEntry kProcessEntries[] = {kReplacing, kAdding, kDoubles};

// The analyser's plug-in module loaded into the test host; Open makes an
// instance and opens it as hosts do.
class VstPlugin : public testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(host.Load(VELVANE_VST_MODULE, &error)) << error;
    }

    Vst2Effect* Open()
    {
        Vst2Effect* e = host.Create();
        if (!e) return nullptr;
        host.Dispatch(e, kVst2Open);
        host.Dispatch(e, kVst2SetSampleRate, 0, 0, nullptr, 44100.0f);
        host.Dispatch(e, kVst2SetBlockSize, 0, kBlock);
        host.Dispatch(e, kVst2MainsChanged, 0, 1);
        return e;
    }

    // frames of a 1 kHz tone at 0.5 in both inputs, in blocks, through one
    // entry. A host may leave an input without a buffer (unconnected >= 0):
    // its pointer is null, and so is that of the one output it then offers.
    void FeedTone(Vst2Effect* e, ProcessEntry entry, int frames, int unconnected = -1)
    {
        const int outputs = unconnected >= 0 ? 1 : 0;
        VstBuffers floats(2, outputs, kBlock);
        VstDoubleBuffers doubles(2, outputs, kBlock);
        if (unconnected >= 0) {
            floats.inPointers[unconnected] = floats.outPointers[0] = nullptr;
            doubles.inPointers[unconnected] = doubles.outPointers[0] = nullptr;
        }
        for (int done = 0; done < frames; done += kBlock) {
            for (int i = 0; i < kBlock; ++i) {
                const double s = 0.5 * std::sin(kTurn * 1000.0 * double(phase + i) / 44100.0);
                for (int c = 0; c < 2; ++c) floats.in[c][i] = float(doubles.in[c][i] = s);
            }
            phase += kBlock;
            switch (entry) {
                case kReplacing:
                    host.ProcessReplacing(e, floats);
                    break;
                case kAdding:
                    host.ProcessAdding(e, floats);
                    break;
                case kDoubles:
                    host.ProcessDoubleReplacing(e, doubles);
                    break;
            }
        }
    }

    static constexpr int kBlock = 512;
    static constexpr double kTurn = 6.283185307179586;
    VstHost host;
    long phase = 0;
};
