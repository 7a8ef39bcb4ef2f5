// A read of state that fails or is refused leaves the plug-in as it was:
// every parameter, the preset names and states and the current preset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/unit_vst.h"
#include "core/vst2_abi.h"
#include "support/test_unit.h"
#include "support/unit_state.h"
#include "support/vst_host.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Where state comes in: the binding's two chunks, the two files, and the
// core's own reads of a state, of a slot's state and of a bank.
enum Road { kProgramChunk, kBankChunk, kProgramFile, kBankFile, kState, kSlot, kBank };
const char* const kRoadNames[] = {"program chunk", "bank chunk", "program file", "bank file",
                                  "state",         "slot",       "bank"};

// Three parameters of three kinds and three slots on the VST 2 binding; the
// editor answers file dialogs with path.
class StateUnit : public IUnitVST {
public:
    StateUnit(bool doesChunks, const std::string& path, std::vector<std::string>* editorLog)
        : IUnitVST(&VstHost::Callback, 3, "2-2", 3, "state test", "state product", "state maker",
                   0x00010000, 0x53747374, 0x4B6B6B6B, 0, false, doesChunks, false, 0)
    {
        ParameterAt(0)->SetupDouble("level", 0.0, -4.0, 4.0, 0.5, "", "", 1.0);
        ParameterAt(1)->SetupInt("steps", 0, 0, 8, "", "");
        ParameterAt(2)->SetupBool("on", false, "", "");
        TestEditor* editor = new TestEditor(editorLog);
        editor->fileAnswer = path;
        AttachEditor(editor);
    }

    // Every slot used, named and holding values of its own; slot 1 current,
    // with values that differ from what it holds.
    void Fill(int seed)
    {
        auto set = [this, seed](int k) {
            ParameterAt(0)->Set(-4.0 + 0.5 * ((3 * seed + k) % 17));
            ParameterAt(1)->Set((seed + k) % 9);
            ParameterAt(2)->Set((seed + k) % 2);
        };
        for (int k = 0; k < PresetCount(); ++k) {
            ASSERT_TRUE(SelectPreset(k));
            set(k);
            ModifyCurrentPreset(
                ("seed " + std::to_string(seed) + " slot " + std::to_string(k)).c_str());
        }
        ASSERT_TRUE(SelectPreset(1));
        set(7);
    }
};

// The chunk holds the bytes and nothing else.
void Hold(IStateChunk* chunk, const Bytes& bytes)
{
    chunk->Clear();
    chunk->PutBytes(bytes.data(), int(bytes.size()));
}

class StateReads : public testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        path = testing::TempDir() + "velvane_state_reads_" + std::to_string(random()) + ".fx";
    }
    void TearDown() override { std::remove(path.c_str()); }

    std::unique_ptr<StateUnit> Make(bool doesChunks, int seed)
    {
        std::unique_ptr<StateUnit> unit(new StateUnit(doesChunks, path, &editorLog));
        unit->Fill(seed);
        return unit;
    }

    // What each road reads in whole, as the source writes it.
    Bytes Valid(StateUnit* source, Road road)
    {
        switch (road) {
            case kProgramChunk:
            case kBankChunk:
                return host.GetChunk(source->Effect(), road == kProgramChunk);
            case kProgramFile:
            case kBankFile: {
                const bool saved = road == kProgramFile ? source->SaveProgramFile(nullptr)
                                                        : source->SaveBankFile(nullptr);
                EXPECT_TRUE(saved);
                Bytes bytes;
                std::FILE* file = std::fopen(path.c_str(), "rb");
                for (int c; file && (c = std::fgetc(file)) != EOF;) bytes.push_back(uint8_t(c));
                if (file) std::fclose(file);
                return bytes;
            }
            case kBank: {
                IStateChunk bank;
                EXPECT_TRUE(source->SerializePresets(&bank));
                return ChunkBytes(bank);
            }
            default: {
                IStateChunk state;
                EXPECT_TRUE(source->WriteState(&state));
                return ChunkBytes(state);
            }
        }
    }

    // Reads bytes by the road (a chunk of the size given); true when taken.
    bool Read(StateUnit* unit, Road road, const Bytes& bytes, intptr_t size)
    {
        switch (road) {
            case kProgramChunk:
            case kBankChunk: {
                Bytes held = bytes;
                held.push_back(0);  // a valid pointer also for size 0
                return host.Dispatch(unit->Effect(), kVst2SetChunk, road == kProgramChunk ? 1 : 0,
                                     size, held.data()) == 1;
            }
            case kProgramFile:
            case kBankFile: {
                std::FILE* file = std::fopen(path.c_str(), "wb");
                EXPECT_NE(file, nullptr);
                if (!file) return false;
                if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
                std::fclose(file);
                return road == kProgramFile ? unit->LoadProgramFile() : unit->LoadBankFile();
            }
            case kState: {
                IStateChunk state;
                Hold(&state, bytes);
                return unit->ReadState(&state, 0) >= 0;
            }
            case kSlot:
                return unit->SelectPreset(2);
            case kBank: {
                IStateChunk bank;
                Hold(&bank, bytes);
                return unit->UnserializePresets(&bank, 0) >= 0;
            }
        }
        return false;
    }

    std::vector<std::string> editorLog;  // outlives the units, which delete their editors
    VstHost host;  // only speaks to the plug-ins: they live as long as their test's pointers
    std::string path;
};

TEST_F(StateReads, RefusedAndCutInputsChangeNothing)
{
    struct Form {
        bool doesChunks;
        Road road;
    };
    const Form forms[] = {{true, kProgramChunk}, {true, kBankChunk},    {true, kProgramFile},
                          {true, kBankFile},     {false, kProgramFile}, {false, kBankFile},
                          {true, kState},        {true, kSlot},         {true, kBank}};
    struct Input {
        std::string what;
        bool doesChunks;
        Road road;
        Bytes bytes;
        intptr_t size;  // of a chunk handed to the binding
        bool whole;     // a valid input, which is read
    };
    std::vector<Input> inputs;
    for (const Form& form : forms) {
        std::unique_ptr<StateUnit> source = Make(form.doesChunks, 1);
        const Bytes valid = Valid(source.get(), form.road);
        ASSERT_FALSE(valid.empty());
        const std::string name =
            std::string(form.doesChunks ? "" : "values ") + kRoadNames[form.road];
        // The whole input, then every shorter one: each field boundary and
        // every place inside a field.
        for (size_t n = valid.size();; --n) {
            const Bytes cut(valid.begin(), valid.begin() + n);
            const bool whole = n == valid.size();
            inputs.push_back({name + (whole ? " whole" : " cut to " + std::to_string(n)),
                              form.doesChunks, form.road, cut, intptr_t(n), whole});
            if (n == 0) break;
        }
        if (form.road == kProgramChunk || form.road == kBankChunk) {
            inputs.push_back({name + " of size 0", true, form.road, valid, 0, false});
            inputs.push_back({name + " of a negative size", true, form.road, valid, -1, false});
        }
    }
    // Banks failing part-way: the second program or slot does not read.
    {
        std::unique_ptr<StateUnit> source = Make(false, 1);
        const Bytes bank = Valid(source.get(), kBankFile);
        const size_t second = 156 + 56 + 12;
        for (const auto& field : {std::make_pair(8, "FPCh"), std::make_pair(24, "\0\0\0\4")}) {
            Bytes broken = bank;
            std::copy(field.second, field.second + 4, broken.begin() + second + field.first);
            inputs.push_back({"values bank file whose second record's field at " +
                                  std::to_string(field.first) + " does not fit",
                              false, kBankFile, broken, intptr_t(broken.size()), false});
        }
    }
    {
        std::unique_ptr<StateUnit> source = Make(true, 1);
        Bytes bank = Valid(source.get(), kBankChunk);
        const size_t second = 8 + 4 + std::strlen(source->PresetNameAt(0)) + 1 + 24;
        bank[second + 1] = 0x10;  // the second name's length runs past the data
        inputs.push_back({"bank chunk whose second slot's name runs past the data", true,
                          kBankChunk, bank, intptr_t(bank.size()), false});
    }

    for (const Input& input : inputs) {
        std::unique_ptr<StateUnit> target = Make(input.doesChunks, 2);
        if (input.road == kSlot) Hold(&target->PresetAt(2)->state, input.bytes);
        const std::string before = DescribeState(*target);
        EXPECT_EQ(Read(target.get(), input.road, input.bytes, input.size), input.whole)
            << input.what;
        if (input.whole)
            EXPECT_NE(DescribeState(*target), before) << input.what;
        else
            EXPECT_EQ(DescribeState(*target), before) << input.what;
    }
}

}  // namespace
