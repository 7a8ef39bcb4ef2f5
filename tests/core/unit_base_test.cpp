#include "core/unit_base.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "support/failing_allocator.h"
#include "support/test_unit.h"

namespace {

using Calls = std::vector<std::string>;

TEST(UnitBase, ChannelIOTextGivesConfigurationsAndCounts)
{
    struct Case {
        const char* text;
        std::vector<std::pair<int, int>> configs;
        int inputs;
        int outputs;
    };
    const Case cases[] = {
        {"1-0 2-0", {{1, 0}, {2, 0}}, 2, 0},
        {"2-2", {{2, 2}}, 2, 2},
        {"x-3 4", {{0, 0}, {4, 0}}, 4, 0},
        {"1-1 0-4 ", {{1, 1}, {0, 4}, {0, 0}}, 1, 4},
        {nullptr, {}, 0, 0},
    };
    for (const Case& c : cases) {
        TestUnit unit(0, c.text);
        ASSERT_EQ(unit.ChannelConfigCount(), int(c.configs.size())) << (c.text ? c.text : "null");
        for (int i = 0; i < unit.ChannelConfigCount(); ++i) {
            EXPECT_EQ(unit.ChannelConfigAt(i)->inputs, c.configs[i].first);
            EXPECT_EQ(unit.ChannelConfigAt(i)->outputs, c.configs[i].second);
        }
        EXPECT_EQ(unit.InputCount(), c.inputs);
        EXPECT_EQ(unit.OutputCount(), c.outputs);
    }
}

TEST(UnitBase, LegalIO)
{
    TestUnit unit(0, "1-0 2-0");
    EXPECT_TRUE(unit.LegalIO(2, 0));
    EXPECT_TRUE(unit.LegalIO(-1, 0));
    EXPECT_TRUE(unit.LegalIO(1, -1));
    EXPECT_FALSE(unit.LegalIO(2, 2));
    TestUnit none(0, nullptr);
    EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(UnitBase, NewPluginDefaults)
{
    TestUnit unit(3, "2-2", 3);
    EXPECT_EQ(unit.HostId(), -1);
    EXPECT_EQ(unit.CurrentSampleRate(), 44100.0);
    EXPECT_EQ(unit.BlockSize(), 0);
    EXPECT_EQ(unit.CurrentPreset(), 0);
    EXPECT_STREQ(unit.PresetFolder(), "");
    ASSERT_EQ(unit.PresetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(unit.PresetAt(i)->used);
        EXPECT_STREQ(unit.PresetAt(i)->name, "empty");
        EXPECT_EQ(unit.PresetAt(i)->state.Size(), 0);
    }
    ASSERT_EQ(unit.ParameterCount(), 3);
    EXPECT_EQ(unit.ParameterAt(3), nullptr);
    EXPECT_EQ(unit.ParameterAt(-1), nullptr);
    for (int i = 0; i < unit.InputCount(); ++i) {
        EXPECT_FALSE(unit.IsInputConnected(i));
        EXPECT_EQ(*unit.InputAt(i)->dataSlot, nullptr);  // the pointer arrays start zeroed
    }
}

TEST(UnitBase, NamesAreCutToTheirFields)
{
    struct NamedUnit : TestUnit {
        explicit NamedUnit(const char* name) : TestUnit(0, "2-2", 0, 0, kBindingStandalone, name) {}
    };
    const std::string longName(300, 'n');
    NamedUnit cut(longName.c_str());
    EXPECT_EQ(std::string(cut.EffectName()), longName.substr(0, 127));
    NamedUnit none(nullptr);
    EXPECT_STREQ(none.EffectName(), "");
    EXPECT_STREQ(TestUnit().MakerName(), "test maker");
}

TEST(UnitBase, IdentityTexts)
{
    char text[32];
    TestUnit unit(0, "2-2", 0, 0x00010000, kBindingStandalone);
    EXPECT_STREQ(unit.BindingKindName(), "Standalone");
    EXPECT_EQ(unit.VersionDecimal(), 10000);
    EXPECT_EQ(unit.VersionNumber(false), 0x00010000);
    unit.VersionText(text);
    EXPECT_STREQ(text, "v1.0.0");
    EXPECT_EQ(VersionToDecimal(0x00010203), 10203);
    FormatVersion(0x00020A0F, text);
    EXPECT_STREQ(text, "v2.10.15");
    unit.HostVersionText(text);
    EXPECT_STREQ(text, "v0.0.0");

    EXPECT_STREQ(TestUnit(0, "2-2", 0, 0, 6).BindingKindName(), "");
    EXPECT_STREQ(TestUnit(0, "2-2", 0, 0, -1).BindingKindName(), "");
    EXPECT_STREQ(TestUnit(0, "2-2", 0, 0, kBindingVST2).BindingKindName(), "VST2");
}

TEST(UnitBase, BeatLength)
{
    TestUnit unit;
    EXPECT_EQ(unit.BeatLengthInSamples(), 22050.0);
    unit.tempo = 0;
    EXPECT_EQ(unit.BeatLengthInSamples(), 0.0);
    unit.tempo = -5;
    EXPECT_EQ(unit.BeatLengthInSamples(), 0.0);
}

TEST(UnitBase, ChangeBlockSizeZeroesScratchAndPointsDisconnectedChannelsAtIt)
{
    TestUnit unit(0, "2-2");
    double host[4] = {1, 2, 3, 4};
    unit.ConnectInputs(0, 1, true);
    *unit.InputAt(0)->dataSlot = host;

    unit.ChangeBlockSize(64);
    EXPECT_EQ(unit.BlockSize(), 64);
    EXPECT_EQ(*unit.InputAt(0)->dataSlot, host);  // connected: left to the binding
    const IAudioChannel* channels[] = {unit.InputAt(0), unit.InputAt(1), unit.OutputAt(0),
                                       unit.OutputAt(1)};
    for (const IAudioChannel* c : channels) {
        ASSERT_EQ(c->scratch.Size(), 64 * 8);
        const double* samples = static_cast<const double*>(c->scratch.Data());
        for (int i = 0; i < 64; ++i) ASSERT_EQ(samples[i], 0.0);
        if (!c->connected) {
            EXPECT_EQ(*c->dataSlot, samples);
        }
    }

    // The same size again does nothing, even to samples written since.
    double* out = *unit.OutputAt(0)->dataSlot;
    out[0] = 5.0;
    unit.ChangeBlockSize(64);
    EXPECT_EQ(out[0], 5.0);

    unit.ChangeBlockSize(-1);
    EXPECT_EQ(unit.BlockSize(), 64);

    unit.ChangeBlockSize(0);
    EXPECT_EQ(unit.BlockSize(), 0);
    EXPECT_EQ(*unit.OutputAt(0)->dataSlot, nullptr);
}

TEST(UnitBase, ChangeBlockSizeThatCannotGrowKeepsTheOldSize)
{
    TestUnit unit(0, "2-2");
    unit.ChangeBlockSize(16);
    const double* before = *unit.InputAt(1)->dataSlot;
    {
        FailingAllocator failing;
        unit.ChangeBlockSize(100000);
    }
    EXPECT_EQ(unit.BlockSize(), 16);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(unit.InputAt(i)->scratch.Size(), 16 * 8);
        EXPECT_EQ(unit.OutputAt(i)->scratch.Size(), 16 * 8);
    }
    EXPECT_EQ(*unit.InputAt(1)->dataSlot, before);
}

// The first block grows by moving (a fresh allocation), the second cannot grow.
int gFreshAllocations;
void* NoReallocate(void*, size_t)
{
    return nullptr;
}
void* FirstAllocationOnly(size_t bytes)
{
    return gFreshAllocations++ == 0 ? std::malloc(bytes) : nullptr;
}
const HeapAllocator kMovesThenFails = {NoReallocate, FirstAllocationOnly, std::free};

TEST(UnitBase, FailedBlockSizeLeavesNoSlotOnAFreedBlock)
{
    TestUnit unit(0, "2-2");
    unit.ChangeBlockSize(16);
    gFreshAllocations = 0;
    SetHeapAllocator(&kMovesThenFails);
    unit.ChangeBlockSize(100000);
    SetHeapAllocator(nullptr);
    EXPECT_EQ(unit.BlockSize(), 16);
    for (int i = 0; i < 2; ++i) {
        const IAudioInput* input = unit.InputAt(i);
        ASSERT_EQ(*input->dataSlot, input->scratch.Data());
        EXPECT_EQ((*input->dataSlot)[15], 0.0);  // readable: ASan reports a freed block
    }
}

TEST(UnitBase, DefaultProcessingCopiesAndZeroes)
{
    double in0[3] = {1, 2, 3}, in1[3] = {4, 5, 6};
    double out0[3] = {9, 9, 9}, out1[3] = {9, 9, 9}, out2[3] = {9, 9, 9};

    TestUnit twoToOne(0, "2-1");
    double* ins[] = {in0, in1};
    double* outs[] = {out0};
    twoToOne.ProcessDoubleBlock(ins, outs, 3);
    EXPECT_EQ(std::vector<double>(out0, out0 + 3), (std::vector<double>{1, 2, 3}));

    TestUnit oneToThree(0, "1-3");
    double* outs3[] = {out0, out1, out2};
    in0[0] = 7;
    oneToThree.ProcessDoubleBlock(ins, outs3, 3);
    EXPECT_EQ(std::vector<double>(out0, out0 + 3), (std::vector<double>{7, 2, 3}));
    EXPECT_EQ(std::vector<double>(out1, out1 + 3), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(std::vector<double>(out2, out2 + 3), (std::vector<double>{0, 0, 0}));

    float fin[2] = {0.5f, 0.25f}, fout0[2] = {9, 9}, fout1[2] = {9, 9};
    float* fins[] = {fin};
    float* fouts[] = {fout0, fout1};
    TestUnit oneToTwo(0, "1-2");
    oneToTwo.ProcessFloatBlock(fins, fouts, 2);
    EXPECT_EQ(fout0[1], 0.25f);
    EXPECT_EQ(fout1[0], 0.0f);
}

TEST(UnitBase, ConnectionsClipTheRange)
{
    TestUnit unit(0, "2-4");
    unit.ChangeBlockSize(8);
    unit.ConnectInputs(0, 2, true);
    unit.ConnectInputs(1, 10, false);
    EXPECT_TRUE(unit.IsInputConnected(0));
    EXPECT_FALSE(unit.IsInputConnected(1));
    EXPECT_FALSE(unit.IsInputConnected(5));
    EXPECT_FALSE(unit.IsInputConnected(-1));
    EXPECT_EQ(*unit.InputAt(1)->dataSlot, unit.InputAt(1)->scratch.Data());

    unit.ConnectOutputs(-5, 7, true);  // outputs 0 and 1
    EXPECT_TRUE(unit.IsOutputConnected(1));
    EXPECT_FALSE(unit.IsOutputConnected(2));
    unit.ConnectOutputs(3, INT_MAX, true);  // no overflow past the end
    EXPECT_TRUE(unit.IsOutputConnected(3));

    TestUnit wide(0, "4-4");
    wide.ConnectInputs(0, 4, true);
    wide.AdjustChannelsBeyondStereo();
    EXPECT_TRUE(wide.IsInputConnected(1));
    EXPECT_FALSE(wide.IsInputConnected(2));
    EXPECT_FALSE(wide.IsOutputConnected(1));
    EXPECT_TRUE(wide.IsOutputConnected(2));
    EXPECT_TRUE(wide.IsOutputConnected(3));
}

TEST(UnitBase, StateMatchesWithinTolerance)
{
    TestUnit unit(2);
    unit.ParameterAt(0)->SetupDouble("a", 0.5, 0, 1, 0.001, "", "", 1);
    unit.ParameterAt(1)->SetupDouble("b", 0.25, 0, 1, 0.001, "", "", 1);
    const double near[] = {9, 0.5, 0.250005};
    const double far[] = {9, 0.5, 0.25002};
    EXPECT_TRUE(unit.StateMatches(near, 1));
    EXPECT_FALSE(unit.StateMatches(far, 1));
    EXPECT_TRUE(TestUnit(0).StateMatches(nullptr, 0));
}

TEST(UnitBase, SetParameterFromGUISetsReportsThenNotifies)
{
    TestUnit unit(4);
    unit.ParameterAt(3)->SetupInt("n", 0, 0, 10, "", "");
    unit.SetParameterFromGUI(3, 0.5);
    EXPECT_EQ(unit.ParameterAt(3)->Value(), 5.0);
    EXPECT_EQ(unit.calls, (Calls{"report 3 0.500000", "changed 3"}));

    unit.calls.clear();
    unit.SetParameterFromGUI(4, 0.5);  // outside the parameters: ignored
    unit.SetParameterFromGUI(-1, 0.5);
    EXPECT_TRUE(unit.calls.empty());
}

TEST(UnitBase, EditorGetsNormalisedValuesOnAttachAndPlainOnesOnPush)
{
    Calls log;
    {
        TestUnit unit(1);
        unit.ParameterAt(0)->SetupInt("n", 5, 0, 10, "", "");
        unit.PushParametersToEditor();  // no editor yet: nothing
        unit.AttachEditor(nullptr);
        unit.AttachEditor(new TestEditor(&log));
        unit.PushParametersToEditor();
        EXPECT_EQ(log,
                  (Calls{"apply 0 0.500000 normalized", "surfaces", "apply 0 5.000000 plain"}));
    }
    EXPECT_EQ(log.back(), "editor deleted");
}

TEST(UnitBase, StateIsOneDoublePerParameter)
{
    TestUnit unit(3);
    unit.ParameterAt(0)->SetupDouble("a", 0.25, 0, 1, 0.001, "", "", 1);
    unit.ParameterAt(1)->SetupInt("b", 7, 0, 10, "", "");
    unit.ParameterAt(2)->SetupInt("c", 3, 1, 10, "", "");
    IStateChunk chunk;
    ASSERT_TRUE(unit.SerializeParams(&chunk));
    EXPECT_EQ(chunk.Size(), 24);

    unit.ParameterAt(0)->Set(1.0);
    unit.ParameterAt(1)->Set(0.0);
    unit.calls.clear();
    EXPECT_EQ(unit.UnserializeParams(&chunk, 0), 24);
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 0.25);
    EXPECT_EQ(unit.ParameterAt(1)->Value(), 7.0);
    EXPECT_EQ(unit.calls, (Calls{"changed 0", "changed 1", "changed 2"}));

    // A state cut short changes nothing; every parameter is still announced.
    IStateChunk shortChunk;
    shortChunk.PutBytes(chunk.Data(), 20);
    unit.ParameterAt(0)->Set(1.0);
    unit.ParameterAt(2)->Set(5.0);
    unit.calls.clear();
    EXPECT_EQ(unit.UnserializeParams(&shortChunk, 0), -1);
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 1.0);
    EXPECT_EQ(unit.ParameterAt(2)->Value(), 5.0);
    EXPECT_EQ(unit.calls, (Calls{"changed 0", "changed 1", "changed 2"}));

    IStateChunk none;
    FailingAllocator failing;
    EXPECT_FALSE(unit.SerializeParams(&none));
    EXPECT_TRUE(TestUnit(0).SerializeParams(&none));
}

TEST(UnitBase, NoSetterStoresANonNumber)
{
    const double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double kInf = std::numeric_limits<double>::infinity();
    using Setter = std::function<void(TestUnit*, int, double)>;
    const struct {
        const char* name;
        Setter set;
    } setters[] = {
        {"Set", [](TestUnit* u, int i, double x) { u->ParameterAt(i)->Set(x); }},
        {"SetFromNormalized",
         [](TestUnit* u, int i, double x) { u->ParameterAt(i)->SetFromNormalized(x); }},
        {"Normalize",
         [](TestUnit* u, int i, double x) {
             IParameter* p = u->ParameterAt(i);
             p->SetFromNormalized(p->Normalize(x));
         }},
        {"SetParameterFromGUI", [](TestUnit* u, int i, double x) { u->SetParameterFromGUI(i, x); }},
        {"ReadState",
         [](TestUnit* u, int i, double x) {
             IStateChunk state;
             for (int k = 0; k < u->ParameterCount(); ++k)
                 state.Put(k == i ? x : u->ParameterAt(k)->Value());
             u->ReadState(&state, 0);
         }},
    };
    // NaN is the minimum, as 0 normalised is; the infinities are the ends.
    const struct {
        double in;
        bool toMaximum;
    } inputs[] = {{kNaN, false}, {-kNaN, false}, {kInf, true}, {-kInf, false}};
    for (const auto& setter : setters) {
        for (const auto& input : inputs) {
            TestUnit unit(2);
            unit.ParameterAt(0)->SetupDouble("d", 1.0, -2.0, 4.0, 0.5, "", "", 2.0);
            unit.ParameterAt(1)->SetupInt("i", 1, -2, 4, "", "");
            for (int i = 0; i < 2; ++i) {
                setter.set(&unit, i, input.in);
                EXPECT_EQ(unit.ParameterAt(i)->Value(), input.toMaximum ? 4.0 : -2.0)
                    << setter.name << " of " << input.in << " into parameter " << i;
            }
        }
    }
}

// Records the order in which HeapBuffer blocks are released.
std::vector<const void*>* gReleased;
void RecordRelease(void* block)
{
    if (block) gReleased->push_back(block);
    std::free(block);
}
const HeapAllocator kRecording = {std::realloc, std::malloc, RecordRelease};

class OrderEditor : public TestEditor {
public:
    OrderEditor(Calls* log, IUnitBase* unit) : TestEditor(log), unit(unit) {}
    ~OrderEditor() override
    {
        // Everything else of the plug-in is still whole while its editor goes.
        gReleased->push_back(this);
        parameterStillThere = unit->ParameterAt(1)->Name()[0] == 'b';
    }
    IUnitBase* unit;
    static bool parameterStillThere;
};
bool OrderEditor::parameterStillThere = false;

TEST(UnitBase, DestructionOrder)
{
    std::vector<const void*> released;
    gReleased = &released;
    Calls log;
    auto* unit = new TestUnit(2, "2-2", 2);
    unit->ParameterAt(0)->SetupBool("a", false, "", "");
    unit->ParameterAt(1)->SetupBool("b", false, "", "");
    for (int i = 0; i < 2; ++i) unit->PresetAt(i)->state.Put(1.0);
    unit->ChangeBlockSize(4);
    auto* editor = new OrderEditor(&log, unit);
    unit->AttachEditor(editor);

    auto valueTexts = [&](int i) {
        return static_cast<const void*>(unit->ParameterAt(i)->ValueTextAt(0, nullptr) -
                                        offsetof(IValueText, text));
    };
    const std::vector<const void*> expected = {
        editor,
        valueTexts(1),
        valueTexts(0),
        unit->PresetAt(1)->state.Data(),
        unit->PresetAt(0)->state.Data(),
        unit->InputAt(1)->scratch.Data(),
        unit->InputAt(0)->scratch.Data(),
        unit->OutputAt(1)->scratch.Data(),
        unit->OutputAt(0)->scratch.Data(),
    };

    SetHeapAllocator(&kRecording);
    delete unit;
    SetHeapAllocator(nullptr);

    EXPECT_TRUE(OrderEditor::parameterStillThere);
    ASSERT_GE(released.size(), expected.size());
    EXPECT_EQ(std::vector<const void*>(released.begin(), released.begin() + expected.size()),
              expected);
}

class BlockingUnit : public TestUnit {
public:
    void ParameterChanged(int) override
    {
        LockGuard lock(PluginLock());
        changedAfterBlock = blockEnded.load();
    }
    std::atomic<bool> blockEnded{false};
    bool changedAfterBlock = false;
};

TEST(UnitBase, ParameterChangeWaitsForTheBlockInProgress)
{
    BlockingUnit unit;
    unit.ParameterAt(0)->SetupDouble("p", 0, 0, 1, 0.001, "", "", 1);
    std::atomic<bool> inBlock{false}, changeStarted{false};
    double valueAtBlockEnd = -1;

    std::thread audio([&] {
        LockGuard lock(unit.PluginLock());
        inBlock = true;
        while (!changeStarted) std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        valueAtBlockEnd = unit.ParameterAt(0)->Value();
        unit.blockEnded = true;
    });
    while (!inBlock) std::this_thread::yield();
    changeStarted = true;
    unit.SetParameterFromGUI(0, 1.0);
    audio.join();

    EXPECT_EQ(valueAtBlockEnd, 0.0);
    EXPECT_TRUE(unit.changedAfterBlock);
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 1.0);
}

}  // namespace
