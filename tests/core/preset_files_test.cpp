#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/unit_base.h"
#include "support/chunk_bytes.h"
#include "support/failing_allocator.h"
#include "support/test_unit.h"
#include "support/unit_state.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Calls = std::vector<std::string>;

constexpr int kParams = 11;
constexpr bool kChunks = true;
constexpr bool kValues = false;

// Eleven parameters: nine doubles over 0 to 8, an int over 0 to 4 and a bool,
// so that every value used here has an exact normalised float. The editor
// answers file dialogs with path; telling the host of a preset change is
// recorded.
class FileUnit : public TestUnit {
public:
    FileUnit(bool doesChunks, int nPresets, Calls* editorLog, const std::string& path)
        : TestUnit(kParams, "2-2", nPresets, 0x00010000, kBindingStandalone, "test effect",
                   doesChunks)
    {
        for (int i = 0; i < 9; ++i)
            ParameterAt(i)->SetupDouble("level", 0.0, 0.0, 8.0, 0.001, "", "", 1.0);
        ParameterAt(9)->SetupInt("steps", 0, 0, 4, "", "");
        ParameterAt(10)->SetupBool("on", false, "", "");
        if (editorLog) {
            TestEditor* editor = new TestEditor(editorLog);
            editor->fileAnswer = path;
            AttachEditor(editor);
            editorLog->clear();
        }
    }
    void ReportPresetChangeToHost() override { calls.push_back("preset reported"); }
};

void SetValues(IUnitBase* unit, const std::vector<double>& values)
{
    for (int i = 0; i < unit->ParameterCount(); ++i) unit->ParameterAt(i)->Set(values[size_t(i)]);
}

std::vector<double> Values(const IUnitBase& unit)
{
    std::vector<double> values;
    for (int i = 0; i < unit.ParameterCount(); ++i) values.push_back(unit.ParameterAt(i)->Value());
    return values;
}

// Distinct values for slot k.
std::vector<double> ValuesFor(int k)
{
    std::vector<double> values;
    for (int i = 0; i < 9; ++i) values.push_back(double((i + k) % 9));
    values[0] = 0.5 + k;
    values.push_back(double(k % 5));
    values.push_back(double(k % 2));
    return values;
}

// Every slot used, slot k holding ValuesFor(k) under the name "slot k".
void FillSlots(IUnitBase* unit)
{
    for (int k = 0; k < unit->PresetCount(); ++k) {
        ASSERT_TRUE(unit->SelectPreset(k));
        SetValues(unit, ValuesFor(k));
        unit->ModifyCurrentPreset(("slot " + std::to_string(k)).c_str());
    }
}

std::vector<double> Doubles(const IStateChunk& chunk)
{
    std::vector<double> values(size_t(chunk.Size()) / sizeof(double));
    if (!values.empty()) std::memcpy(values.data(), chunk.Data(), values.size() * sizeof(double));
    return values;
}

Bytes ReadFileBytes(const std::string& path)
{
    Bytes bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) bytes.push_back(uint8_t(c));
    std::fclose(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    ASSERT_EQ(std::fclose(file), 0);
}

bool FileExists(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) std::fclose(file);
    return file != nullptr;
}

void PutBigEndian(Bytes* bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i) (*bytes)[offset + size_t(i)] = uint8_t(value >> (24 - 8 * i));
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool SaveFile(IUnitBase* unit, bool bank)
{
    return bank ? unit->SaveBankFile(nullptr) : unit->SaveProgramFile(nullptr);
}

bool LoadFile(IUnitBase* unit, bool bank)
{
    return bank ? unit->LoadBankFile() : unit->LoadProgramFile();
}

// Each test has a file path of its own that is removed afterwards.
class PresetFiles : public testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        path = testing::TempDir() + "velvane_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
               std::to_string(random()) + ".fxp";
    }
    void TearDown() override { std::remove(path.c_str()); }

    Calls editorLog;  // outlives the units, which delete their editors
    std::string path;
};

TEST_F(PresetFiles, ProgramFileOfValuesHoldsTheNormalisedValues)
{
    FileUnit unit(kValues, 1, &editorLog, path);
    unit.FillUnusedPresets();
    SetValues(&unit, {0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 1});
    unit.ModifyCurrentPreset("Warm");
    ASSERT_TRUE(unit.SaveProgramFile(nullptr));
    EXPECT_EQ(editorLog, (Calls{"ask 1 fxp"}));

    const Bytes expected = {
        'C',  'c',  'n',  'K',  0x00, 0x00, 0x00, 92,    // chunk mark, byte size
        'F',  'x',  'C',  'k',  0x00, 0x00, 0x00, 0x01,  // format, version
        'V',  't',  's',  't',  0x00, 0x00, 0x27, 0x10,  // plug-in id, version 10000
        0x00, 0x00, 0x00, 11,                            // parameter count
        'W',  'a',  'r',  'm',  0,    0,    0,    0,    0, 0, 0, 0, 0,    0,    0,    0,
        0,    0,    0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0x00, 0x00, 0x00, 0x00,  // 0
        0x3E, 0x00, 0x00, 0x00,  // 0.125
        0x3E, 0x80, 0x00, 0x00,  // 0.25
        0x3E, 0xC0, 0x00, 0x00,  // 0.375
        0x3F, 0x00, 0x00, 0x00,  // 0.5
        0x3F, 0x20, 0x00, 0x00,  // 0.625
        0x3F, 0x40, 0x00, 0x00,  // 0.75
        0x3F, 0x60, 0x00, 0x00,  // 0.875
        0x3F, 0x80, 0x00, 0x00,  // 1
        0x3E, 0x80, 0x00, 0x00,  // int 1 of 0 to 4
        0x3F, 0x80, 0x00, 0x00,  // bool on
    };
    ASSERT_EQ(expected.size(), 100u);
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST_F(PresetFiles, ProgramFileOfChunkHoldsTheVersionedState)
{
    FileUnit unit(kChunks, 1, &editorLog, path);
    unit.FillUnusedPresets();
    SetValues(&unit, {0, 1, 2, 3, 4, 5, 6, 7, 8, 1, 1});
    unit.ModifyCurrentPreset("Warm");
    ASSERT_TRUE(unit.SaveProgramFile(nullptr));

    const Bytes expected = {
        'C', 'c', 'n', 'K', 0x00, 0x00, 0x00, 148,   // chunk mark, byte size
        'F', 'P', 'C', 'h', 0x00, 0x00, 0x00, 0x01,  // format, version
        'V', 't', 's', 't', 0x00, 0x00, 0x27, 0x10,  // plug-in id, version 10000
        0x00, 0x00, 0x00, 11,                        // parameter count
        'W', 'a', 'r', 'm', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        0x00, 0x00, 0x00, 96,                        // chunk size
        't', 'f', 'f', 'p', 0x00, 0x00, 0x01, 0x00,  // chunk version header
        // the plain values as little-endian doubles
        0, 0, 0, 0, 0, 0, 0x00, 0x00,  // 0
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,  // 1
        0, 0, 0, 0, 0, 0, 0x00, 0x40,  // 2
        0, 0, 0, 0, 0, 0, 0x08, 0x40,  // 3
        0, 0, 0, 0, 0, 0, 0x10, 0x40,  // 4
        0, 0, 0, 0, 0, 0, 0x14, 0x40,  // 5
        0, 0, 0, 0, 0, 0, 0x18, 0x40,  // 6
        0, 0, 0, 0, 0, 0, 0x1C, 0x40,  // 7
        0, 0, 0, 0, 0, 0, 0x20, 0x40,  // 8
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,  // 1
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,  // 1
    };
    ASSERT_EQ(expected.size(), 156u);
    EXPECT_EQ(ReadFileBytes(path), expected);
}

TEST_F(PresetFiles, SavedFilesLoadBack)
{
    struct Case {
        bool chunks;
        bool bank;
        int currentAfterLoad;  // an opaque bank keeps the plug-in's own current preset
    };
    const Case cases[] = {
        {kValues, false, 0},
        {kChunks, false, 0},
        {kValues, true, 1},
        {kChunks, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.chunks ? "chunk " : "values ") + (c.bank ? "bank" : "program"));
        FileUnit source(c.chunks, 3, &editorLog, path);
        FillSlots(&source);
        ASSERT_TRUE(source.SelectPreset(1));
        ASSERT_TRUE(SaveFile(&source, c.bank));

        FileUnit target(c.chunks, 3, &editorLog, path);
        target.FillUnusedPresets();
        ASSERT_TRUE(LoadFile(&target, c.bank));
        EXPECT_EQ(editorLog.front(), c.bank ? "ask 0 fxb" : "ask 0 fxp");
        EXPECT_EQ(target.calls.back(), "preset reported");
        EXPECT_EQ(target.CurrentPreset(), c.currentAfterLoad);
        if (c.bank) {
            EXPECT_EQ(DescribeSlots(target), DescribeSlots(source));
            EXPECT_EQ(Values(target), ValuesFor(c.currentAfterLoad));
        } else {
            EXPECT_STREQ(target.PresetNameAt(0), "slot 1");
            EXPECT_EQ(Values(target), ValuesFor(1));
            EXPECT_EQ(ChunkBytes(target.PresetAt(0)->state), ChunkBytes(source.PresetAt(1)->state));
            EXPECT_STREQ(target.PresetNameAt(1), "Empty");
        }
    }
}

TEST_F(PresetFiles, FilesThatDoNotFitThePluginChangeNothing)
{
    const uint32_t kWrongId = 0x56747375;
    struct Case {
        const char* what;
        bool savedWithChunks;
        bool loadedWithChunks;
        bool bank;
        size_t offset;  // of the int32 that is changed
        uint32_t value;
    };
    const Case cases[] = {
        {"program chunk mark", kValues, kValues, false, 0, 0x43636E4C},
        {"program format", kValues, kValues, false, 8, 0x46784268},
        {"program version", kValues, kValues, false, 12, 2},
        {"program plug-in id", kValues, kValues, false, 16, kWrongId},
        {"chunk program plug-in id", kChunks, kChunks, false, 16, kWrongId},
        {"program parameter count", kValues, kValues, false, 24, 10},
        {"chunk program into values", kChunks, kValues, false, 0, 0x43636E4B},
        {"bank chunk mark", kValues, kValues, true, 0, 0},
        {"bank format", kValues, kValues, true, 8, 0x46784368},
        {"bank plug-in id", kValues, kValues, true, 16, kWrongId},
        {"chunk bank plug-in id", kChunks, kChunks, true, 16, kWrongId},
        {"chunk bank into values", kChunks, kValues, true, 0, 0x43636E4B},
        {"first record's format", kValues, kValues, true, 156 + 8, 0x46504368},
        {"first record's version", kValues, kValues, true, 156 + 12, 2},
        {"first record's parameter count", kValues, kValues, true, 156 + 24, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileUnit source(c.savedWithChunks, 2, &editorLog, path);
        FillSlots(&source);
        ASSERT_TRUE(SaveFile(&source, c.bank));
        Bytes bytes = ReadFileBytes(path);
        PutBigEndian(&bytes, c.offset, c.value);
        WriteFileBytes(path, bytes);

        FileUnit target(c.loadedWithChunks, 2, &editorLog, path);
        target.FillUnusedPresets();
        SetValues(&target, ValuesFor(5));
        const std::string slots = DescribeSlots(target);
        target.calls.clear();
        EXPECT_FALSE(LoadFile(&target, c.bank));
        EXPECT_EQ(Values(target), ValuesFor(5));
        EXPECT_EQ(DescribeSlots(target), slots);
        EXPECT_EQ(target.CurrentPreset(), 0);
        EXPECT_EQ(target.calls, Calls{});
    }
}

TEST_F(PresetFiles, StateCutShortFailsAndStoresNothing)
{
    struct Case {
        const char* what;
        bool bank;
        size_t size;
    };
    const Case cases[] = {
        {"program cut inside the state", false, 100},
        {"program cut inside the chunk version header", false, 64},
        {"program cut before the chunk", false, 40},
        {"bank cut inside the second slot's state", true, 160 + 8 + 99 + 11 + 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileUnit source(kChunks, 2, &editorLog, path);
        FillSlots(&source);
        ASSERT_TRUE(SaveFile(&source, c.bank));
        Bytes bytes = ReadFileBytes(path);
        bytes.resize(c.size);
        WriteFileBytes(path, bytes);

        FileUnit target(kChunks, 2, &editorLog, path);
        target.FillUnusedPresets();
        const std::string slots = DescribeSlots(target);
        target.calls.clear();
        EXPECT_FALSE(LoadFile(&target, c.bank));
        EXPECT_EQ(DescribeSlots(target), slots);  // also the slot read before the cut
        for (const std::string& call : target.calls) EXPECT_NE(call, "preset reported");
    }
}

TEST_F(PresetFiles, BankFailingPartWayLoadsNothing)
{
    FileUnit source(kValues, 3, &editorLog, path);
    FillSlots(&source);
    ASSERT_TRUE(source.SaveBankFile(nullptr));
    Bytes bytes = ReadFileBytes(path);
    bytes.resize(156 + 100 + 40);  // inside the second record's header
    WriteFileBytes(path, bytes);

    FileUnit target(kValues, 3, &editorLog, path);
    target.FillUnusedPresets();
    SetValues(&target, ValuesFor(5));
    const std::string slots = DescribeSlots(target);
    EXPECT_FALSE(target.LoadBankFile());
    EXPECT_EQ(DescribeSlots(target), slots);  // the first program is not kept either
    EXPECT_EQ(Values(target), ValuesFor(5));
}

TEST_F(PresetFiles, BankOfMoreProgramsThanSlotsFillsTheSlots)
{
    FileUnit source(kValues, 3, &editorLog, path);
    FillSlots(&source);
    ASSERT_TRUE(source.SelectPreset(0));
    ASSERT_TRUE(source.SaveBankFile(nullptr));
    ASSERT_EQ(ReadFileBytes(path).size(), 156u + 3 * 100);

    FileUnit target(kValues, 1, &editorLog, path);
    target.FillUnusedPresets();
    EXPECT_TRUE(target.LoadBankFile());
    EXPECT_EQ(target.PresetCount(), 1);
    EXPECT_EQ(target.CurrentPreset(), 0);
    EXPECT_STREQ(target.PresetNameAt(0), "slot 0");
    EXPECT_EQ(Values(target), ValuesFor(0));
    EXPECT_EQ(target.calls.back(), "preset reported");
}

TEST_F(PresetFiles, ValuesCutShortAreRefused)
{
    FileUnit source(kValues, 1, &editorLog, path);
    source.FillUnusedPresets();
    SetValues(&source, ValuesFor(1));
    ASSERT_TRUE(source.SaveProgramFile(nullptr));
    Bytes bytes = ReadFileBytes(path);
    bytes.resize(56 + 5 * 4 + 2);  // five values and half of the sixth
    WriteFileBytes(path, bytes);

    FileUnit target(kValues, 1, &editorLog, path);
    target.FillUnusedPresets();
    SetValues(&target, ValuesFor(3));
    EXPECT_FALSE(target.LoadProgramFile());
    EXPECT_EQ(Values(target), ValuesFor(3));
}

TEST_F(PresetFiles, ValuesOutsideTheRangeAreClamped)
{
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const float kInf = std::numeric_limits<float>::infinity();
    struct Case {
        float normalized;
        double value;  // of a parameter over 0 to 8
    };
    const Case cases[] = {
        {0.5f, 4}, {2.0f, 8}, {kInf, 8}, {-1.0f, 0}, {-kInf, 0}, {kNaN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.normalized);
        FileUnit source(kValues, 2, &editorLog, path);
        FillSlots(&source);
        ASSERT_TRUE(source.SelectPreset(0));
        ASSERT_TRUE(source.SaveBankFile(nullptr));
        Bytes bytes = ReadFileBytes(path);
        PutBigEndian(&bytes, 156 + 100 + 56, FloatBits(c.normalized));  // the second slot's first
        WriteFileBytes(path, bytes);

        // The second slot is not selected afterwards, so it keeps the value as read.
        FileUnit target(kValues, 2, &editorLog, path);
        target.FillUnusedPresets();
        EXPECT_TRUE(target.LoadBankFile());
        EXPECT_EQ(Doubles(target.PresetAt(1)->state).at(0), c.value);
    }
}

TEST_F(PresetFiles, FilesAboveTheCapAreRefused)
{
    FileUnit source(kValues, 1, &editorLog, path);
    source.FillUnusedPresets();
    SetValues(&source, ValuesFor(1));
    ASSERT_TRUE(source.SaveProgramFile(nullptr));
    // A valid program followed by zeros up to one byte above 64 MiB.
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fseek(file, 64L * 1024 * 1024, SEEK_SET), 0);
    ASSERT_EQ(std::fputc(0, file), 0);
    ASSERT_EQ(std::fclose(file), 0);

    FileUnit target(kValues, 1, &editorLog, path);
    target.FillUnusedPresets();
    EXPECT_FALSE(target.LoadProgramFile());
    EXPECT_EQ(Values(target), std::vector<double>(kParams, 0.0));
}

TEST_F(PresetFiles, NamesAreCutTo27Characters)
{
    const std::string name = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
    ASSERT_EQ(name.size(), 40u);
    FileUnit source(kValues, 1, &editorLog, path);
    source.FillUnusedPresets();
    source.ModifyCurrentPreset(name.c_str());
    ASSERT_TRUE(source.SaveProgramFile(nullptr));
    Bytes bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 100u);
    EXPECT_EQ(std::string(bytes.begin() + 28, bytes.begin() + 55), name.substr(0, 27));
    EXPECT_EQ(bytes[55], 0);

    bytes[55] = 'Z';  // a name field without terminator
    WriteFileBytes(path, bytes);
    FileUnit target(kValues, 1, &editorLog, path);
    target.FillUnusedPresets();
    EXPECT_TRUE(target.LoadProgramFile());
    EXPECT_EQ(std::string(target.PresetNameAt(0)), name.substr(0, 27));
}

TEST_F(PresetFiles, NoEditorOrNoFileChosenGivesFalse)
{
    struct Case {
        const char* ask;
        std::function<bool(IUnitBase*)> operation;
    };
    const Case cases[] = {
        {"ask 1 fxp", [](IUnitBase* unit) { return unit->SaveProgramFile("default.fxp"); }},
        {"ask 1 fxb", [](IUnitBase* unit) { return unit->SaveBankFile(nullptr); }},
        {"ask 0 fxp", [](IUnitBase* unit) { return unit->LoadProgramFile(); }},
        {"ask 0 fxb", [](IUnitBase* unit) { return unit->LoadBankFile(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ask);
        FileUnit withoutEditor(kValues, 1, nullptr, path);
        EXPECT_FALSE(c.operation(&withoutEditor));

        FileUnit unit(kValues, 1, &editorLog, "");
        unit.FillUnusedPresets();
        const std::string slots = DescribeSlots(unit);
        EXPECT_FALSE(c.operation(&unit));
        EXPECT_EQ(editorLog, Calls{c.ask});
        EXPECT_EQ(DescribeSlots(unit), slots);
        EXPECT_EQ(unit.calls, Calls{});
        EXPECT_FALSE(FileExists("default.fxp"));
    }
}

// Answers the dialog, then makes every allocation fail until starving is reset.
class StarvingEditor : public TestEditor {
public:
    using TestEditor::TestEditor;
    void AskForFile(TextBuffer* file, int action, TextBuffer* folder,
                    const char* extensions) override
    {
        TestEditor::AskForFile(file, action, folder, extensions);
        starving = std::make_unique<FailingAllocator>();
    }
    std::unique_ptr<FailingAllocator> starving;
};

TEST_F(PresetFiles, FailedSavesLeaveNoFile)
{
    const std::string missingFolder = path + "_missing/program.fxp";
    for (bool bank : {false, true}) {
        SCOPED_TRACE(bank ? "bank" : "program");
        FileUnit unit(kValues, 2, &editorLog, missingFolder);
        unit.FillUnusedPresets();
        EXPECT_FALSE(SaveFile(&unit, bank));

        FileUnit starved(kValues, 2, nullptr, "");
        starved.FillUnusedPresets();
        StarvingEditor* editor = new StarvingEditor(&editorLog);
        editor->fileAnswer = path;
        starved.AttachEditor(editor);
        const bool saved = SaveFile(&starved, bank);
        editor->starving.reset();
        EXPECT_FALSE(saved);
        EXPECT_FALSE(FileExists(path));
    }
}

}  // namespace
