#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "analyser/about_button.h"
#include "analyser/notched_knob.h"
#include "analyser/sono.h"
#include "analyser/unit_effect.h"
#include "core/parameter.h"
#include "core/state_chunk.h"
#include "editor/bitmap_control.h"
#include "editor/graphics.h"
#include "editor/knob_control.h"
#include "editor/text_control.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"

namespace {

std::unique_ptr<IUnitEffect> MakeUnit(double sampleRate = 44100.0)
{
    std::unique_ptr<IUnitEffect> unit(CreatePlugInstance(nullptr, nullptr));
    unit->ChangeSampleRate(sampleRate);
    unit->ResetDspState();
    return unit;
}

std::string Text(const ITextControl* control)
{
    return control->Text();
}

// Sets a parameter as the editor does and returns the read-out it changed.
void Set(IUnitEffect& unit, int index, double value)
{
    unit.SetParameterFromGUI(index, unit.ParameterAt(index)->Normalize(value));
}

}  // namespace

TEST(UnitEffect, BuildsTheEditorInOrder)
{
    std::unique_ptr<IUnitEffect> unit(CreatePlugInstance(nullptr, nullptr));
    IGraphics* editor = AttachedGraphics(unit.get());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Width(), 1044);
    EXPECT_EQ(editor->Height(), 347);
    EXPECT_EQ(editor->FrameRate(), 60);
    struct Expected {
        IBox rect;
        int param;
    };
    const Expected expected[] = {
        {{0, 0, 1044, 347}, -1},    {{470, 271, 570, 285}, -1}, {{834, 271, 934, 285}, -1},
        {{734, 271, 834, 285}, -1}, {{350, 271, 470, 285}, -1}, {{104, 271, 204, 285}, -1},
        {{220, 271, 270, 285}, -1}, {{27, 271, 101, 285}, -1},  {{965, 271, 1020, 285}, -1},
        {{10, 10, 1034, 267}, -1},  {{870, 304, 895, 329}, 4},  {{928, 312, 949, 325}, 7},
        {{980, 304, 1005, 329}, 5}, {{140, 304, 165, 329}, 3},  {{230, 304, 255, 329}, 2},
        {{456, 312, 477, 325}, 10}, {{380, 304, 405, 329}, 8},  {{410, 304, 435, 329}, 9},
        {{33, 302, 58, 331}, 0},    {{67, 302, 92, 331}, 1},    {{606, 303, 737, 333}, -1},
    };
    ASSERT_EQ(editor->ControlCount(), 21);
    for (int i = 0; i < 21; ++i) {
        const IControl* c = editor->ControlAt(i);
        EXPECT_EQ(c->rect.left, expected[i].rect.left) << i;
        EXPECT_EQ(c->rect.top, expected[i].rect.top) << i;
        EXPECT_EQ(c->rect.right, expected[i].rect.right) << i;
        EXPECT_EQ(c->rect.bottom, expected[i].rect.bottom) << i;
        EXPECT_EQ(c->paramIdx, expected[i].param) << i;
    }
    EXPECT_NE(dynamic_cast<IBitmapControl*>(editor->ControlAt(0)), nullptr);
    EXPECT_EQ(editor->ControlAt(0)->blend.kind, 1);
    EXPECT_EQ(editor->ControlAt(9), unit->Sonogram());
    EXPECT_TRUE(unit->Sonogram()->doubleClickAsClick);
    EXPECT_NE(dynamic_cast<INotchedKnobControl*>(editor->ControlAt(13)), nullptr);
    EXPECT_NE(dynamic_cast<IAboutButton*>(editor->ControlAt(20)), nullptr);
    for (int i : {11, 15}) EXPECT_NE(dynamic_cast<ISwitchControl*>(editor->ControlAt(i)), nullptr);
    EXPECT_EQ(editor->ControlIndexAt(20, 20, false), 9) << "the sonogram, not the backdrop";
}

TEST(UnitEffect, DefaultsAndTheirPreset)
{
    std::unique_ptr<IUnitEffect> unit(CreatePlugInstance(nullptr, nullptr));
    const double defaults[] = {1, 0, 0, 0, 500, 1, 0, 0, 255, 767, 0};
    const char* names[] = {"disp. LR", "disp. Phase", "disp. offset", "window type",
                           "speed",    "gain",        "freeze",       "scroll",
                           "marker1",  "marker2",     "show markers"};
    for (int i = 0; i < IUnitEffect::kParamCount; ++i) {
        EXPECT_STREQ(unit->ParameterAt(i)->Name(), names[i]);
        EXPECT_DOUBLE_EQ(unit->ParameterAt(i)->Value(), defaults[i]) << i;
    }
    EXPECT_NEAR(unit->ParameterAt(IUnitEffect::kSpeed)->NormalizedValue(), 0.5, 1e-12);
    EXPECT_NEAR(unit->ParameterAt(IUnitEffect::kGain)->NormalizedValue(), 0.5, 1e-12);
    EXPECT_NEAR(AttachedGraphics(unit.get())->ControlAt(10)->value, 0.5, 1e-12) << "speed knob";
    ASSERT_EQ(unit->PresetCount(), 1);
    EXPECT_STREQ(unit->PresetAt(0)->name, "-");
    EXPECT_TRUE(unit->PresetAt(0)->used);
    IStateChunk state;
    ASSERT_TRUE(unit->WriteState(&state));
    const IStateChunk& stored = unit->PresetAt(0)->state;
    ASSERT_EQ(stored.Size(), state.Size());
    EXPECT_EQ(std::memcmp(stored.Data(), state.Data(), size_t(state.Size())), 0);
}

TEST(UnitEffect, ResetWritesLabelsAndTheStartUpPicture)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    const ISono* sono = unit->Sonogram();
    const std::pair<int, const char*> labels[] = {
        {0, "-DC-"},       {1, "86.13 Hz"},    {2, "172.2 Hz"},    {11, "947.4 Hz"},
        {12, "1.034 kHz"}, {100, "8.613 kHz"}, {255, "21.96 kHz"}, {256, "22.05 kHz"},
    };
    for (const auto& [row, label] : labels) EXPECT_STREQ(sono->rowLabels[row], label) << row;
    EXPECT_EQ(sono->rowLabels[1][8], '\0');
    EXPECT_EQ(sono->rowLabels[1][9], '\0');

    PIX_PackedColor* pixels = unit->Sonogram()->PixelStore();
    for (int c = 0; c <= 332; ++c) ASSERT_EQ(pixels[c], 0xFF000000u) << c;
    EXPECT_NE(pixels[400] & 0xFFFFFF, 0u) << "the bright band";
}

// A reset makes the row labels and the analysis window again only when
// their rate or type changed, and then in full.
TEST(UnitEffect, AResetFollowsANewRateAndANewWindow)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    const ISono* sono = unit->Sonogram();
    const SpectrumAnalyser& analyser = unit->Analyser();
    const std::vector<float> blackmanHarris(analyser.WindowTable(), analyser.WindowTable() + 512);
    Set(*unit, IUnitEffect::kWindowType, 3);
    const std::vector<float> flatTop(analyser.WindowTable(), analyser.WindowTable() + 512);
    ASSERT_NE(flatTop, blackmanHarris);

    struct Step {
        double rate;
        int windowType;
        const char *label1, *label256, *windowName;
        const std::vector<float>* window;
    };
    const Step steps[] = {
        {48000.0, 3, "93.75 Hz", "24.00 kHz", "flat-top", &flatTop},
        {48000.0, 0, "93.75 Hz", "24.00 kHz", "blackman-harris", &blackmanHarris},
        {44100.0, 0, "86.13 Hz", "22.05 kHz", "blackman-harris", &blackmanHarris},
        {44100.0, 3, "86.13 Hz", "22.05 kHz", "flat-top", &flatTop},
    };
    for (const Step& step : steps) {
        Set(*unit, IUnitEffect::kWindowType, step.windowType);
        unit->ChangeSampleRate(step.rate);
        unit->ResetDspState();
        EXPECT_STREQ(sono->rowLabels[1], step.label1) << step.rate;
        EXPECT_STREQ(sono->rowLabels[256], step.label256) << step.rate;
        EXPECT_EQ(Text(unit->Texts().window), step.windowName) << step.windowType;
        EXPECT_EQ(std::vector<float>(analyser.WindowTable(), analyser.WindowTable() + 512),
                  *step.window)
            << step.windowType;
    }
}

TEST(UnitEffect, ReadOutTexts)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    const IUnitEffect::ReadOuts& t = unit->Texts();
    EXPECT_EQ(Text(t.rate), "rate = 500.000 Hz");
    EXPECT_EQ(Text(t.overlap), "overlap = 82.8%");
    EXPECT_EQ(Text(t.window), "blackman-harris");
    EXPECT_EQ(Text(t.gain), "1.000");
    EXPECT_EQ(Text(t.marker), "");
    EXPECT_EQ(Text(t.offset), "");
    EXPECT_EQ(Text(t.frozen), "");

    struct Case {
        int index;
        double value;
        const ITextControl* readOut;
        const char* text;
    };
    const Case cases[] = {
        {IUnitEffect::kSpeed, 100, t.rate, "rate = 100.000 Hz"},
        {IUnitEffect::kSpeed, 100, t.overlap, "overlap = 13.9%"},
        {IUnitEffect::kSpeed, 1000, t.rate, "rate =  1.000 kHz"},
        {IUnitEffect::kSpeed, 1000, t.overlap, "overlap = 91.4%"},
        {IUnitEffect::kSpeed, 2000, t.overlap, "overlap = 95.7%"},
        {IUnitEffect::kSpeed, 500, t.marker, ""},
        {IUnitEffect::kShowMarkers, 1, t.marker, "x = 1.024 S"},
        {IUnitEffect::kMarker2, 260, t.marker, "x = 10.00 mS"},
        {IUnitEffect::kMarker2, 256, t.marker, "x = 2.000 mS"},
        {IUnitEffect::kMarker2, 355, t.marker, "x = 200.0 mS"},
        {IUnitEffect::kDispOffset, -5, t.offset, "+5 (L)"},
        {IUnitEffect::kDispOffset, 7, t.offset, "+7 (R)"},
        {IUnitEffect::kDispOffset, 0, t.offset, ""},
        {IUnitEffect::kFreeze, 1, t.frozen, "<frozen>"},
        {IUnitEffect::kFreeze, 0, t.frozen, ""},
        {IUnitEffect::kGain, 0.01, t.gain, "0.010"},
        {IUnitEffect::kWindowType, 2, t.window, "dolph-chebyshev"},
    };
    for (const Case& c : cases) {
        Set(*unit, c.index, c.value);
        EXPECT_EQ(Text(c.readOut), c.text) << c.index << " = " << c.value;
    }
    EXPECT_EQ(unit->Sonogram()->leftOffset, 0);
    Set(*unit, IUnitEffect::kDispOffset, -5);
    EXPECT_EQ(unit->Sonogram()->leftOffset, 5);
    EXPECT_EQ(unit->Sonogram()->rightOffset, 0);
    EXPECT_TRUE(unit->Analyser().Frozen() == false);

    std::unique_ptr<IUnitEffect> fast = MakeUnit(96000.0);
    Set(*fast, IUnitEffect::kSpeed, 100);
    EXPECT_EQ(Text(fast->Texts().overlap), "overlap = 0.0%");
}

TEST(UnitEffect, BlinkTogglesEveryQuarterSecond)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    std::vector<double> left(11025), right(11025);
    double* inputs[2] = {left.data(), right.data()};
    const bool before = unit->Sonogram()->blink;
    unit->ProcessDoubleBlock(inputs, nullptr, 11025);
    EXPECT_EQ(unit->Sonogram()->blink, before) << "not more than a quarter yet";
    unit->ProcessDoubleBlock(inputs, nullptr, 1);
    EXPECT_NE(unit->Sonogram()->blink, before);
    unit->ProcessDoubleBlock(inputs, nullptr, 0);
}

TEST(UnitEffect, ResetReappliesEveryParameterInOrder)
{
    struct Recording : IUnitEffect {
        Recording() : IUnitEffect(nullptr, nullptr) {}
        void ParameterChanged(int index) override
        {
            order.push_back(index);
            IUnitEffect::ParameterChanged(index);
        }
        std::vector<int> order;
    };
    // The plug-in holds the 4 MiB spectrum ring: never on the stack.
    auto unit = std::make_unique<Recording>();
    EXPECT_TRUE(unit->order.empty()) << "construction announces nothing";
    EXPECT_TRUE(unit->ResetDspState());
    EXPECT_EQ(unit->order, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(UnitEffect, SetsTheSonogramFromItsParameters)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    ISono* sono = unit->Sonogram();
    Set(*unit, IUnitEffect::kDispLR, 2);
    Set(*unit, IUnitEffect::kDispPhase, 1);
    Set(*unit, IUnitEffect::kScroll, 1);
    Set(*unit, IUnitEffect::kGain, 0.5);
    Set(*unit, IUnitEffect::kMarker1, 100);
    Set(*unit, IUnitEffect::kShowMarkers, 1);
    Set(*unit, IUnitEffect::kFreeze, 1);
    EXPECT_EQ(sono->channelMode, 2);
    EXPECT_EQ(sono->phaseMode, 1);
    EXPECT_TRUE(sono->scroll);
    EXPECT_NEAR(sono->gain, 0.5f, 1e-6f);
    EXPECT_EQ(sono->marker1, 100);
    EXPECT_TRUE(sono->showMarkers);
    EXPECT_TRUE(unit->Analyser().Frozen());
    Set(*unit, IUnitEffect::kSpeed, 1000);
    EXPECT_NEAR(unit->Analyser().HopIncrement(), 1000.0 / 44100.0, 1e-9);
}

// A reset while frozen starts the ring again, the freeze the sonogram saw
// with it: the start-up picture stays where no column has come since.
TEST(UnitEffect, AResetWhileFrozenKeepsTheStartUpPicture)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    IGraphics* editor = AttachedGraphics(unit.get());
    const IRegion all(IBox{0, 0, 1044, 347});
    std::vector<double> left(30000), right(30000);
    double* inputs[2] = {left.data(), right.data()};
    unit->ProcessDoubleBlock(inputs, nullptr, 30000);
    editor->RedrawRegion(&all);
    Set(*unit, IUnitEffect::kFreeze, 1);
    unit->ProcessDoubleBlock(inputs, nullptr, 1000);
    editor->RedrawRegion(&all);
    ASSERT_TRUE(unit->Sonogram()->pendingCopy);

    unit->ResetDspState();
    const PIX_PackedColor* picture = unit->Sonogram()->PixelStore();
    const std::vector<PIX_PackedColor> startUp(picture, picture + ISono::kWidth * ISono::kHeight);
    unit->ProcessDoubleBlock(inputs, nullptr, 1000);
    editor->RedrawRegion(&all);
    const SpectrumShared* ring = unit->Analyser().Shared();
    ASSERT_TRUE(ring->pending);
    const int recoloured = ring->skippedCount;
    int changed = 0;
    for (int row = 0; row < ISono::kHeight; ++row)
        for (int c = recoloured; c < ISono::kWidth; ++c)
            if (picture[row * ISono::kWidth + c] != startUp[row * ISono::kWidth + c]) ++changed;
    EXPECT_EQ(changed, 0);
}

// Resizing deletes the editor's controls while the audio thread processes
// blocks (each toggles the sonogram's blink flag): the plug-in lets go of
// them, and blocks, parameter changes, a reset and paints after it reach
// none of them.
TEST(UnitEffect, ResizingTheEditorLetsGoOfItsControls)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    IGraphics* editor = AttachedGraphics(unit.get());
    const int frames = 44100 / 4 + 1;
    std::vector<double> left(frames), right(frames);
    double* inputs[2] = {left.data(), right.data()};
    std::atomic<int> blocks{0};
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        while (!stop) {
            unit->ProcessBlockLocked(inputs, nullptr, frames);
            ++blocks;
        }
    });
    while (blocks == 0) std::this_thread::yield();
    editor->ResizeEditor(800, 300);
    const int resizedAt = blocks;
    while (blocks < resizedAt + 2) std::this_thread::yield();  // one block wholly after it
    stop = true;
    audio.join();

    EXPECT_EQ(editor->ControlCount(), 0);
    EXPECT_EQ(unit->Sonogram(), nullptr);
    const IUnitEffect::ReadOuts& t = unit->Texts();
    for (const ITextControl* readOut :
         {t.cursor, t.rate, t.overlap, t.marker, t.window, t.offset, t.frozen, t.gain})
        EXPECT_EQ(readOut, nullptr);

    unit->ResetDspState();
    Set(*unit, IUnitEffect::kShowMarkers, 1);
    unit->ProcessBlockLocked(inputs, nullptr, frames);
    const IRegion region(IBox{0, 0, 800, 300});
    editor->RedrawRegion(&region);
    EXPECT_EQ(editor->DrawSurface()->PixelWidth(), 800);
}

// Audio in, picture out: a tone on the left channel at bin 12's centre
// lights row 12 of the newest column in the balance colour of the left.
TEST(UnitEffect, AToneLightsItsRow)
{
    std::unique_ptr<IUnitEffect> unit = MakeUnit();
    const int frames = 22050;
    std::vector<double> left(frames), right(frames);
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < frames; ++i) left[i] = 0.5 * std::sin(2.0 * pi * 12.0 * i / 512.0);
    double* inputs[2] = {left.data(), right.data()};
    unit->ProcessDoubleBlock(inputs, nullptr, frames);

    IGraphics* editor = AttachedGraphics(unit.get());
    const IRegion region(IBox{0, 0, 1044, 347});
    editor->RedrawRegion(&region);
    const int newest = (unit->Analyser().Shared()->writeIndex + 1023) % 1024;
    const PIX_SysBitmap* surface = editor->DrawSurface();
    auto at = [&](int row) {
        return surface->PixelData()[(10 + 256 - row) * surface->RowStride() + 10 + newest];
    };
    const PIX_PackedColor lit = at(12), dark = at(100);
    const int r = (lit >> 16) & 255, g = (lit >> 8) & 255, b = lit & 255;
    EXPECT_GT(r, 150);
    EXPECT_GT(r, g + 40) << std::hex << lit;
    EXPECT_GT(g, b + 20) << std::hex << lit;
    EXPECT_LT(dark & 0xFFFFFF, 0x202020u) << std::hex << dark;
}

// The analyser's program and bank files through its editor's file dialog,
// which answers with a temporary path.
TEST(UnitEffect, ProgramAndBankFilesRoundTrip)
{
    const std::string path = testing::TempDir() + "velvane_unit_effect_preset";
    for (bool bank : {false, true}) {
        std::unique_ptr<IUnitEffect> saved = MakeUnit();
        std::unique_ptr<IUnitEffect> loaded = MakeUnit();
        auto* editor = static_cast<HeadlessGraphics*>(AttachedGraphics(saved.get()));
        static_cast<HeadlessGraphics*>(AttachedGraphics(loaded.get()))->fileAnswer = path;
        editor->fileAnswer = path;
        Set(*saved, IUnitEffect::kGain, 10.0);
        Set(*saved, IUnitEffect::kMarker1, 100);
        saved->ModifyCurrentPreset("loud");
        ASSERT_TRUE(bank ? saved->SaveBankFile(nullptr) : saved->SaveProgramFile(nullptr));
        EXPECT_EQ(editor->fileActions, std::vector<int>{kFileSave});
        ASSERT_TRUE(bank ? loaded->LoadBankFile() : loaded->LoadProgramFile()) << bank;
        EXPECT_EQ(loaded->ParameterAt(IUnitEffect::kMarker1)->Value(), 100) << bank;
        EXPECT_NEAR(loaded->ParameterAt(IUnitEffect::kGain)->Value(), 10.0, 1e-9) << bank;
        EXPECT_STREQ(loaded->PresetNameAt(0), "loud") << bank;
        std::remove(path.c_str());
    }
}
