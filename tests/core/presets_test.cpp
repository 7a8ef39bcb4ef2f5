#include "core/presets.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "core/unit_base.h"
#include "support/chunk_bytes.h"
#include "support/failing_allocator.h"
#include "support/test_unit.h"

namespace {

using Calls = std::vector<std::string>;

// Records preset changes among the other calls, or in a log of its own.
class PresetUnit : public TestUnit {
public:
    PresetUnit(int nParams, int nPresets) : TestUnit(nParams, "2-2", nPresets) {}
    void CurrentPresetChanged() override
    {
        (presetLog ? presetLog : &calls)->push_back("preset changed");
    }
    Calls* presetLog = nullptr;
};

// Three parameters: a double over 0 to 1, an int over 1 to 10 and a bool.
void SetUpThree(IUnitBase* unit)
{
    unit->ParameterAt(0)->SetupDouble("gain", 0.25, 0, 1, 0.001, "", "", 1);
    unit->ParameterAt(1)->SetupInt("count", 3, 1, 10, "", "");
    unit->ParameterAt(2)->SetupBool("on", true, "", "");
}

std::vector<double> Doubles(const IStateChunk& chunk)
{
    std::vector<double> values(size_t(chunk.Size()) / sizeof(double));
    if (!values.empty()) std::memcpy(values.data(), chunk.Data(), values.size() * sizeof(double));
    return values;
}

std::vector<double> Values(const IUnitBase& unit)
{
    std::vector<double> values;
    for (int i = 0; i < unit.ParameterCount(); ++i) values.push_back(unit.ParameterAt(i)->Value());
    return values;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string TempPath(const char* name)
{
    return testing::TempDir() + name;
}

// A non-owning list of the unit's slots, for the free functions.
struct SlotList {
    explicit SlotList(const IUnitBase& unit)
    {
        for (int i = 0; i < unit.PresetCount(); ++i) list.Add(unit.PresetAt(i));
    }
    ~SlotList() { list.Clear(false); }
    const PointerList<IPresetSlot>* Get() const { return &list; }
    PointerList<IPresetSlot> list;
};

TEST(Presets, StoringFillsTheFirstUnusedSlots)
{
    TestUnit unit(3, "2-2", 3);
    SetUpThree(&unit);
    unit.StoreStateAsPresets("-", 1);
    EXPECT_TRUE(unit.PresetAt(0)->used);
    EXPECT_STREQ(unit.PresetAt(0)->name, "-");
    EXPECT_EQ(Doubles(unit.PresetAt(0)->state), (std::vector<double>{0.25, 3, 1}));
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(unit.PresetAt(i)->used);
        EXPECT_STREQ(unit.PresetAt(i)->name, "empty");
    }
    EXPECT_EQ(FindUnusedPreset(SlotList(unit).Get()), unit.PresetAt(1));

    unit.StoreStateAsPresets(nullptr, 5);  // two slots left: the passes after them do nothing
    EXPECT_STREQ(unit.PresetNameAt(1), "Empty");
    EXPECT_STREQ(unit.PresetNameAt(2), "Empty");
    EXPECT_EQ(FindUnusedPreset(SlotList(unit).Get()), nullptr);
    unit.MakePresetFromValues("full", 0.5, 2, 0);
    EXPECT_STREQ(unit.PresetNameAt(0), "-");
    EXPECT_EQ(unit.PresetAt(2)->state.Size(), 24);

    TestUnit fill(1, "2-2", 2);
    fill.FillUnusedPresets();
    EXPECT_STREQ(fill.PresetNameAt(1), "Empty");
    EXPECT_TRUE(fill.PresetAt(1)->used);
}

TEST(Presets, NamesAreCutToTheirField)
{
    TestUnit unit(0, "2-2", 1);
    const std::string longName(300, 'p');
    unit.StoreStateAsPresets(longName.c_str(), 1);
    EXPECT_EQ(std::string(unit.PresetNameAt(0)), longName.substr(0, 255));
    EXPECT_STREQ(unit.PresetNameAt(1), "");
    EXPECT_STREQ(unit.PresetNameAt(-1), "");
}

TEST(Presets, UserPresetNamesCountEveryNameContainingTheWords)
{
    char name[kPresetNameSize];
    MakeUserPresetName(nullptr, name);
    EXPECT_STREQ(name, "user preset 1");

    PresetUnit unit(3, 3);
    SetUpThree(&unit);
    std::strcpy(unit.PresetAt(0)->name, "user preset 1");
    std::strcpy(unit.PresetAt(2)->name, "A user preset");
    unit.PresetAt(0)->used = unit.PresetAt(2)->used = true;
    unit.ParameterAt(1)->Set(8);

    EXPECT_TRUE(unit.SelectPreset(1));
    EXPECT_TRUE(unit.PresetAt(1)->used);
    EXPECT_STREQ(unit.PresetNameAt(1), "user preset 3");
    EXPECT_EQ(Doubles(unit.PresetAt(1)->state), (std::vector<double>{0.25, 8, 1}));
    EXPECT_EQ(unit.CurrentPreset(), 1);
    EXPECT_EQ(unit.calls, (Calls{"preset changed"}));
}

TEST(Presets, SelectingAUsedSlotLoadsItThenTellsThePluginAndTheEditor)
{
    Calls log;  // outlives the unit, which deletes the editor
    PresetUnit unit(3, 3);
    SetUpThree(&unit);
    unit.MakePresetFromValues("a", 0.5, 7, 0);
    unit.MakePresetFromValues("b", 0.75, 2, 1);
    unit.AttachEditor(new TestEditor(&log));
    unit.presetLog = &log;
    log.clear();
    unit.calls.clear();

    EXPECT_TRUE(unit.SelectPresetByName("b"));
    EXPECT_EQ(unit.CurrentPreset(), 1);
    EXPECT_EQ(Values(unit), (std::vector<double>{0.75, 2, 1}));
    EXPECT_EQ(unit.calls, (Calls{"changed 0", "changed 1", "changed 2"}));
    EXPECT_EQ(log, (Calls{"preset changed", "apply 0 0.750000 plain", "apply 1 2.000000 plain",
                          "apply 2 1.000000 plain"}));

    unit.calls.clear();
    log.clear();
    for (int index : {3, -1}) EXPECT_FALSE(unit.SelectPreset(index));
    for (const char* name : {static_cast<const char*>(nullptr), "", "c", "B"})
        EXPECT_FALSE(unit.SelectPresetByName(name));
    EXPECT_EQ(unit.CurrentPreset(), 1);
    EXPECT_TRUE(unit.calls.empty());
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(unit.PresetAt(2)->used);
}

TEST(Presets, SelectingAShortStateFailsAndKeepsTheCurrentPreset)
{
    PresetUnit unit(3, 2);
    SetUpThree(&unit);
    unit.StoreStateAsPresets("whole", 1);
    IStateChunk shortState;
    shortState.Put(0.5);
    unit.MakePresetFromBytes("short", &shortState);
    unit.calls.clear();

    EXPECT_FALSE(unit.SelectPreset(1));
    EXPECT_EQ(unit.CurrentPreset(), 0);
    EXPECT_EQ(std::count(unit.calls.begin(), unit.calls.end(), "preset changed"), 0);
}

TEST(Presets, ValuesFollowTheParameterKinds)
{
    TestUnit unit(4, "2-2", 3);
    SetUpThree(&unit);
    unit.ParameterAt(3)->SetupEnum("mode", 0, 4, "", "");

    unit.MakePresetFromValues("values", 0.5, 7, 0, 2);
    EXPECT_STREQ(unit.PresetNameAt(0), "values");
    EXPECT_EQ(Doubles(unit.PresetAt(0)->state), (std::vector<double>{0.5, 7, 0, 2}));

    unit.MakePresetFromNamedParams("named", 3, 3, 1, 0, 0.125, 1, 9);
    EXPECT_EQ(Doubles(unit.PresetAt(1)->state), (std::vector<double>{0.125, 9, 1, 1}));

    unit.MakePresetFromNamedParams("none", 0);
    EXPECT_EQ(Doubles(unit.PresetAt(2)->state), Values(unit));
}

TEST(Presets, NamedParamsTakeTheCurrentValueForTheSentinelAndAfterAnUnknownIndex)
{
    TestUnit unit(3, "2-2", 2);
    SetUpThree(&unit);
    unit.MakePresetFromNamedParams("sentinel", 1, 0, 9.999e-08);
    EXPECT_EQ(Doubles(unit.PresetAt(0)->state), (std::vector<double>{0.25, 3, 1}));

    // The value after an unknown index has no known type: that pair and the
    // ones after it are ignored.
    unit.MakePresetFromNamedParams("unknown", 3, 1, 6, 3, 0.5, 0, 0.75);
    EXPECT_EQ(Doubles(unit.PresetAt(1)->state), (std::vector<double>{0.25, 6, 1}));
}

TEST(Presets, BlobsDecodeUpToTheirSize)
{
    struct Case {
        const char* text;
        int size;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"AQID", 3, {1, 2, 3}},  {"AQ==", 3, {1, 0, 0}},
        {"AQID", 1, {1}},        {"/+/+", 3, {0xFF, 0xEF, 0xFE}},
        {"AQ*ID", 3, {1, 0, 0}},  // decoding ends at a character outside the alphabet
        {"", 2, {0, 0}},         {nullptr, 1, {0}},
        {"AQID", 0, {}},
    };
    for (const Case& c : cases) {
        TestUnit unit(0, "2-2", 1);
        unit.MakePresetFromBlob("blob", c.text, c.size);
        EXPECT_TRUE(unit.PresetAt(0)->used);
        EXPECT_EQ(ChunkBytes(unit.PresetAt(0)->state), c.bytes)
            << (c.text ? c.text : "null") << " " << c.size;
    }
}

TEST(Presets, DroppingUnusedSlotsKeepsTheCurrentSlot)
{
    PresetUnit unit(3, 5);
    SetUpThree(&unit);
    for (int i : {0, 2, 4}) {
        unit.PresetAt(i)->used = true;
        std::snprintf(unit.PresetAt(i)->name, kPresetNameSize, "slot %d", i);
        unit.WriteState(&unit.PresetAt(i)->state);
    }
    ASSERT_TRUE(unit.SelectPreset(2));
    unit.DropUnusedPresets();
    EXPECT_EQ(unit.PresetCount(), 3);
    EXPECT_EQ(unit.CurrentPreset(), 1);
    EXPECT_STREQ(unit.PresetNameAt(1), "slot 2");
    EXPECT_STREQ(unit.PresetNameAt(2), "slot 4");

    // The current slot itself goes: the first slot becomes current.
    ASSERT_TRUE(unit.SelectPreset(2));
    unit.PresetAt(2)->used = false;
    unit.DropUnusedPresets();
    EXPECT_EQ(unit.PresetCount(), 2);
    EXPECT_EQ(unit.CurrentPreset(), 0);

    for (int i = 0; i < 2; ++i) unit.PresetAt(i)->used = false;
    unit.DropUnusedPresets();
    EXPECT_EQ(unit.PresetCount(), 0);
    EXPECT_EQ(unit.CurrentPreset(), 0);
    unit.ModifyCurrentPreset("nothing there");
    EXPECT_FALSE(unit.SelectPreset(0));
}

TEST(Presets, ModifyingRewritesTheCurrentSlotOnlyWhenTheWriteSucceeds)
{
    PresetUnit unit(3, 2);
    SetUpThree(&unit);
    unit.StoreStateAsPresets("first", 2);
    ASSERT_TRUE(unit.SelectPreset(1));
    unit.ParameterAt(0)->Set(0.5);
    unit.calls.clear();

    unit.ModifyCurrentPreset(nullptr);
    EXPECT_STREQ(unit.PresetNameAt(1), "first");
    EXPECT_EQ(Doubles(unit.PresetAt(1)->state), (std::vector<double>{0.5, 3, 1}));
    EXPECT_EQ(Doubles(unit.PresetAt(0)->state), (std::vector<double>{0.25, 3, 1}));
    EXPECT_TRUE(unit.calls.empty());

    unit.ParameterAt(0)->Set(1.0);
    {
        FailingAllocator failing;
        unit.ModifyCurrentPreset("lost");
    }
    EXPECT_STREQ(unit.PresetNameAt(1), "first");
    EXPECT_EQ(Doubles(unit.PresetAt(1)->state), (std::vector<double>{0.5, 3, 1}));

    unit.ModifyCurrentPreset("second");
    EXPECT_STREQ(unit.PresetNameAt(1), "second");
    EXPECT_EQ(Doubles(unit.PresetAt(1)->state), (std::vector<double>{1.0, 3, 1}));
}

TEST(Presets, BankHoldsNameFlagAndStateOfEverySlot)
{
    TestUnit unit(11, "2-2", 2);
    for (int i = 0; i < 11; ++i) unit.ParameterAt(i)->SetupInt("p", i, 0, 20, "", "");
    unit.StoreStateAsPresets("-", 1);

    IStateChunk bank;
    ASSERT_TRUE(unit.SerializePresets(&bank));
    ASSERT_EQ(bank.Size(), 104);
    std::vector<uint8_t> expected = {1, 0, 0, 0, '-', 1};
    const std::vector<uint8_t> state = ChunkBytes(unit.PresetAt(0)->state);
    expected.insert(expected.end(), state.begin(), state.end());
    expected.insert(expected.end(), {5, 0, 0, 0, 'e', 'm', 'p', 't', 'y', 0});
    EXPECT_EQ(ChunkBytes(bank), expected);

    for (int i = 0; i < 11; ++i) unit.ParameterAt(i)->Set(20);
    EXPECT_EQ(unit.UnserializePresets(&bank, 0), 104);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(unit.ParameterAt(i)->Value(), double(i));
    EXPECT_STREQ(unit.PresetNameAt(0), "-");
    EXPECT_STREQ(unit.PresetNameAt(1), "empty");
    EXPECT_FALSE(unit.PresetAt(1)->used);

    TestUnit none(3, "2-2", 0);
    IStateChunk empty;
    EXPECT_TRUE(none.SerializePresets(&empty));
    EXPECT_EQ(empty.Size(), 0);
    EXPECT_EQ(none.UnserializePresets(&bank, 0), 0);
    EXPECT_EQ(unit.UnserializePresets(&bank, -1), -1);
}

TEST(Presets, ReadingABankRewritesStatesInTheCurrentForm)
{
    TestUnit unit(3, "2-2", 1);
    SetUpThree(&unit);
    IStateChunk bank;
    bank.PutStr("loud");
    bank.PutBool(true);
    for (double value : {4.0, 50.0, 1.0}) bank.Put(value);  // out of range: clamped when read
    EXPECT_EQ(unit.UnserializePresets(&bank, 0), bank.Size());
    EXPECT_STREQ(unit.PresetNameAt(0), "loud");
    EXPECT_EQ(Doubles(unit.PresetAt(0)->state), (std::vector<double>{1, 10, 1}));
    EXPECT_EQ(Values(unit), (std::vector<double>{1, 10, 1}));
}

TEST(Presets, ABankCutShortLeavesTheUnreadSlotsAsTheyWere)
{
    TestUnit unit(3, "2-2", 3);
    SetUpThree(&unit);
    unit.StoreStateAsPresets("first", 1);
    std::strcpy(unit.PresetAt(1)->name, "second");
    IStateChunk bank;
    ASSERT_TRUE(unit.SerializePresets(&bank));
    std::strcpy(unit.PresetAt(1)->name, "kept");
    std::strcpy(unit.PresetAt(2)->name, "also kept");

    struct Case {
        const char* what;
        int size;
    };
    const Case cases[] = {
        {"the second name cut off", 4 + 5 + 1 + 24 + 6},
        {"the second flag missing", 4 + 5 + 1 + 24 + 10},
    };
    for (const Case& c : cases) {
        IStateChunk cut;
        cut.PutBytes(bank.Data(), c.size);
        std::strcpy(unit.PresetAt(1)->name, "kept");
        EXPECT_EQ(unit.UnserializePresets(&cut, 0), -1) << c.what;
        EXPECT_STREQ(unit.PresetNameAt(0), "first") << c.what;
        EXPECT_STREQ(unit.PresetNameAt(1), "kept") << c.what;
        EXPECT_FALSE(unit.PresetAt(1)->used) << c.what;
        EXPECT_STREQ(unit.PresetNameAt(2), "also kept") << c.what;
    }

    // State cut off: the slot keeps what it held.
    IStateChunk cut;
    cut.PutBytes(bank.Data(), 4 + 5 + 1 + 20);
    unit.ParameterAt(0)->Set(0.5);
    unit.ModifyCurrentPreset(nullptr);
    EXPECT_EQ(unit.UnserializePresets(&cut, 0), -1);
    EXPECT_EQ(Doubles(unit.PresetAt(0)->state), (std::vector<double>{0.5, 3, 1}));
}

TEST(Presets, SerializingThatCannotGrowFails)
{
    TestUnit unit(3, "2-2", 2);
    unit.StoreStateAsPresets("-", 1);
    IStateChunk bank;
    FailingAllocator failing;
    EXPECT_FALSE(unit.SerializePresets(&bank));
    EXPECT_EQ(bank.Size(), 0);
}

TEST(Presets, NamedParamsSourceWritesTheCurrentValues)
{
    TestUnit unit(4, "2-2", 1);
    SetUpThree(&unit);
    unit.ParameterAt(3)->SetupEnum("mode", 2, 4, "", "");
    const char* identifiers[] = {"kGain", "kCount", "kOn", "kMode"};
    const std::string path = TempPath("named_params.txt");
    ASSERT_TRUE(unit.WriteNamedParamsSource(path.c_str(), identifiers));
    EXPECT_EQ(ReadFile(path),
              "  MakePresetFromNamedParams(\"name\", 4,\n    kGain, 0.250000,\n    kCount, 3,\n"
              "    kOn, true,\n    kMode, 2);\n");

    const std::string missing = TempPath("no such folder/named_params.txt");
    EXPECT_FALSE(unit.WriteNamedParamsSource(missing.c_str(), identifiers));
    EXPECT_FALSE(unit.WriteBlobSource(missing.c_str()));
}

TEST(Presets, BlobSourceEncodesTheCurrentSlotOfAnySize)
{
    TestUnit unit(0, "2-2", 1);
    IStateChunk two;
    two.PutBytes("\1\2", 2);
    unit.MakePresetFromBytes("two", &two);
    const std::string path = TempPath("blob.txt");
    ASSERT_TRUE(unit.WriteBlobSource(path.c_str()));
    EXPECT_EQ(ReadFile(path), "MakePresetFromBlob(\"name\", \"AQI=\", 2);\n");

    // Far more than 774 bytes, read back through the blob decoder.
    std::vector<uint8_t> bytes(2000);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + 3);
    IStateChunk large;
    large.PutBytes(bytes.data(), int(bytes.size()));
    TestUnit big(0, "2-2", 2);
    big.MakePresetFromBytes("large", &large);
    ASSERT_TRUE(big.WriteBlobSource(path.c_str()));
    const std::string text = ReadFile(path);
    const std::string prefix = "MakePresetFromBlob(\"name\", \"", suffix = "\", 2000);\n";
    ASSERT_EQ(text.size(), prefix.size() + 2668 + suffix.size());
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    EXPECT_EQ(text.substr(text.size() - suffix.size()), suffix);
    big.MakePresetFromBlob("decoded", text.substr(prefix.size(), 2668).c_str(), 2000);
    EXPECT_EQ(ChunkBytes(big.PresetAt(1)->state), bytes);

    TestUnit empty(0, "2-2", 1);
    ASSERT_TRUE(empty.WriteBlobSource(path.c_str()));
    EXPECT_EQ(ReadFile(path), "MakePresetFromBlob(\"name\", \"\", 0);\n");
}

}  // namespace
