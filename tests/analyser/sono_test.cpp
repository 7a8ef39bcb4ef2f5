#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "analyser/sono.h"
#include "analyser/spectrum_analyser.h"
#include "core/heap_buffer.h"
#include "core/parameter.h"
#include "editor/text_control.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

namespace {

constexpr IBox kArea = {10, 10, 1034, 267};
constexpr PIX_PackedColor kBlack = 0xFF000000u;
constexpr PIX_PackedColor kLine = 0xFF623C62u;
constexpr PIX_PackedColor kBlinkLine = 0xFFA1A1A1u;
constexpr float kFull = 2560.0f;  // magnitude 1 at gain 1

// Every picture pixel different, so that a copy shows where it came from.
PIX_PackedColor Pattern(int c, int row)
{
    return kBlack | PIX_PackedColor(c) << 9 | row;
}

class SonoTest : public ::testing::Test {
protected:
    SonoTest()
    {
        unit.ParameterAt(ISono::kFreezeParam)->SetupInt("freeze", 0, 0, 1, "", "");
        editor.CreateSurfaces();
        readOut = new ITextControl(&unit, {470, 271, 570, 285}, &style, "");
        editor.AddControl(readOut);
        sono = new ISono(&unit, kArea, shared.get(), readOut);
        editor.AddControl(sono);
        for (int j = 0; j < ISono::kHeight; ++j)
            std::snprintf(sono->rowLabels[j], sizeof sono->rowLabels[j], "bin %d", j);
    }

    void SetBin(int column, int j, float lr, float li, float rr, float ri)
    {
        float* bin = shared->columns[column].bins[j];
        bin[0] = lr;
        bin[1] = li;
        bin[2] = rr;
        bin[3] = ri;
    }
    // Columns from..to-1 arrived since the last paint.
    void Arrive(int from, int to)
    {
        shared->displayReadIndex = from;
        shared->writeIndex = shared->scrollAnchor = to;
    }
    void FillPattern()
    {
        for (int row = 0; row < ISono::kHeight; ++row)
            for (int c = 0; c < ISono::kWidth; ++c) Picture(c, row) = Pattern(c, row);
    }
    PIX_PackedColor& Picture(int c, int row) { return sono->PixelStore()[row * ISono::kWidth + c]; }
    PIX_PackedColor Surface(int x, int y) const
    {
        const PIX_SysBitmap* s = editor.DrawSurface();
        return s->PixelData()[y * s->RowStride() + x];
    }
    // Picture columns whose copy is not at x = area.left + (c - a) mod 1024.
    int MisplacedColumns(int a) const
    {
        int misplaced = 0;
        for (int c = 0; c < ISono::kWidth; ++c) {
            const int x = kArea.left + (c - a + ISono::kWidth) % ISono::kWidth;
            for (int row : {0, 128, 256})
                if (Surface(x, kArea.top + row) != Pattern(c, row)) ++misplaced;
        }
        return misplaced;
    }
    double Freeze() const { return unit.ParameterAt(ISono::kFreezeParam)->Value(); }

    static constexpr int kParamCount = 11;  // as many as the analyser has

    TestUnit unit{kParamCount};
    HeadlessGraphics editor{&unit, 1044, 347};
    std::unique_ptr<SpectrumShared> shared = std::make_unique<SpectrumShared>();
    ITextStyle style;
    ITextControl* readOut;
    ISono* sono;
};

TEST_F(SonoTest, BitmapWrapsTheAlignedStore)
{
    const my_MemBitmap& b = sono->bitmap;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b.PixelData()) % 64, 0u);
    EXPECT_GE(reinterpret_cast<const char*>(b.PixelData()),
              reinterpret_cast<const char*>(sono->pixelBlock));
    EXPECT_LT(reinterpret_cast<const char*>(b.PixelData()),
              reinterpret_cast<const char*>(sono->pixelBlock) + 64);
    EXPECT_EQ(b.PixelWidth(), 1024);
    EXPECT_EQ(b.PixelHeight(), 257);
    EXPECT_EQ(b.RowStride(), 1024);
    EXPECT_FALSE(sono->bitmap.SetSize(10, 10));
    EXPECT_EQ(b.PixelWidth(), 1024);
    EXPECT_TRUE(sono->NeedsRedraw());
    EXPECT_TRUE(sono->doubleClickAsClick);
    EXPECT_EQ(sono->paramIdx, -1);
}

// Pixels of bin 1 for the two channels' values, per colour mode 0..4.
TEST_F(SonoTest, ColoursByBalanceAndPhase)
{
    struct Case {
        const char* name;
        float gain, lr, li, rr, ri;
        PIX_PackedColor byMode[5];
    };
    const Case cases[] = {
        {"equal", 1, kFull, 0, kFull, 0, {0xFFFEFFFE, 0xFFFEFFFE, kBlack, 0xFFFEFFFE, 0xFFFEFFFE}},
        {"equal at gain 2",
         2,
         kFull / 2,
         0,
         kFull / 2,
         0,
         {0xFFFEFFFE, 0xFFFEFFFE, kBlack, 0xFFFEFFFE, 0xFFFEFFFE}},
        {"left alone", 1, kFull, 0, 0, 0, {0xFFFF9300, 0xFFD9D9D9, kBlack, 0xFFFF9300, 0xFFD9D9D9}},
        {"right alone",
         1,
         0,
         0,
         kFull,
         0,
         {0xFF00BDFF, 0xFFD9D9D9, kBlack, 0xFF00BDFF, 0xFFD9D9D9}},
        {"opposite",
         1,
         kFull,
         0,
         -kFull,
         0,
         {0xFF67FF00, 0xFF67FF00, 0xFF67FF00, 0xFFFEFFFE, 0xFFFEFFFE}},
        {"near +pi and -pi",
         1,
         -kFull,
         1,
         -kFull,
         -1,
         {0xFFFEFFFD, 0xFFFEFFFD, 0xFF020600, 0xFFFEFFFE, 0xFFFEFFFE}},
        {"exactly +pi and -pi",
         1,
         -kFull,
         0.0f,
         -kFull,
         -0.0f,
         {0xFFFEFFFE, 0xFFFEFFFE, kBlack, 0xFFFEFFFE, 0xFFFEFFFE}},
        {"zero", 1, 0, 0, 0, 0, {kBlack, kBlack, kBlack, kBlack, kBlack}},
    };
    struct Modes {
        uint8_t channel, phase;
        int colour;
    };
    const Modes modes[] = {{1, 1, 0}, {2, 1, 1}, {0, 1, 2}, {1, 0, 3},
                           {0, 0, 4}, {2, 0, 4}, {3, 1, 0}};
    for (const Case& k : cases) {
        for (const Modes& m : modes) {
            SetBin(0, 1, k.lr, k.li, k.rr, k.ri);
            sono->gain = k.gain;
            sono->channelMode = m.channel;
            sono->phaseMode = m.phase;
            Arrive(0, 1);
            sono->Paint(&editor);
            ASSERT_EQ(sono->colourMode, m.colour);
            EXPECT_EQ(Picture(0, 255), k.byMode[m.colour])
                << k.name << ", disp. LR " << int(m.channel) << ", disp. Phase " << int(m.phase);
        }
    }
}

TEST_F(SonoTest, DcAndNyquistRowsShowHalfThePackedValues)
{
    SetBin(0, 0, 2 * kFull, 0, 0, 2 * kFull);  // left DC, right Nyquist
    sono->channelMode = 1;
    sono->phaseMode = 1;
    Arrive(0, 1);
    sono->Paint(&editor);
    EXPECT_EQ(Picture(0, 256), 0xFFFF9300u) << "DC: the left channel alone";
    EXPECT_EQ(Picture(0, 0), 0xFF00BDFFu) << "Nyquist: the right channel alone";
}

// The write index (and the read index, nothing new to colour) at a.
TEST_F(SonoTest, CopiesThePictureAsItLiesOrScrolled)
{
    FillPattern();
    struct Case {
        bool scroll;
        int index;
        int shift;
    };
    const Case cases[] = {
        {false, 600, 0}, {true, 0, 0}, {true, 1, 1}, {true, 600, 600}, {true, 1023, 1023}};
    for (const Case& k : cases) {
        sono->scroll = k.scroll;
        Arrive(k.index, k.index);
        sono->Paint(&editor);
        EXPECT_EQ(MisplacedColumns(k.shift), 0) << "scroll " << k.scroll << ", index " << k.index;
    }
    EXPECT_EQ(Surface(kArea.left - 1, kArea.top), 0u) << "nothing left of the area";
    EXPECT_EQ(Surface(kArea.right, kArea.top), 0u) << "nothing right of the area";
}

TEST_F(SonoTest, OffsetShowsOneChannelLate)
{
    struct Case {
        int leftOffset, rightOffset;
        int earlyColumn, column;
    };
    const Case cases[] = {{5, 0, 2, 7}, {0, 5, 2, 7}, {5, 0, 1021, 2}};
    for (const Case& k : cases) {
        shared = std::make_unique<SpectrumShared>();
        sono->shared = shared.get();
        sono->leftOffset = k.leftOffset;
        sono->rightOffset = k.rightOffset;
        const bool leftLate = k.leftOffset != 0;
        SetBin(k.earlyColumn, 1, leftLate ? kFull : 0, 0, leftLate ? 0 : kFull, 0);
        SetBin(k.column, 1, leftLate ? 0 : kFull, 0, leftLate ? kFull : 0, 0);
        Arrive(k.earlyColumn, (k.column + 1) % 1024);
        sono->Paint(&editor);
        EXPECT_EQ(Picture(k.column, 255), 0xFFFEFFFEu) << "both channels at " << k.column;
        EXPECT_EQ(Picture(k.earlyColumn, 255), kBlack) << "neither at " << k.earlyColumn;
    }
}

TEST_F(SonoTest, FrozenRecolouringKeepsThePictureStill)
{
    FillPattern();
    sono->scroll = true;
    Arrive(100, 100);
    shared->pending = true;
    shared->skippedCount = 3;
    SetBin(101, 1, kFull, 0, kFull, 0);
    sono->Paint(&editor);
    EXPECT_TRUE(sono->pendingCopy);
    EXPECT_EQ(sono->anchorCopy, 100);
    EXPECT_EQ(shared->displayReadIndex, 103) << "ahead of the write index by the skipped count";
    EXPECT_EQ(Picture(101, 255), 0xFFFEFFFEu) << "recoloured";
    EXPECT_EQ(Picture(103, 255), Pattern(103, 255)) << "not yet";
    EXPECT_EQ(Surface(kArea.right - 1, kArea.top), Pattern(99, 0)) << "anchored, not scrolled";
    EXPECT_EQ(Surface(kArea.left + 1, kArea.top + 255), 0xFFFEFFFEu) << "column 101 at x + 1";
    EXPECT_EQ(Surface(kArea.left + 3, kArea.top), Pattern(103, 0)) << "column 103 at x + 3";

    // Unfrozen: the target falls back behind the read index; the whole ring
    // is recoloured once, up to the write index.
    shared->pending = false;
    shared->skippedCount = 0;
    sono->Paint(&editor);
    EXPECT_FALSE(sono->pendingCopy);
    EXPECT_EQ(shared->displayReadIndex, 100);
    EXPECT_EQ(Picture(500, 0), kBlack);
    EXPECT_EQ(Picture(99, 0), kBlack);
    EXPECT_EQ(Surface(kArea.right - 1, kArea.top + 255), Picture(99, 255));
    EXPECT_EQ(Surface(kArea.left + 1, kArea.top + 255), 0xFFFEFFFEu) << "column 101";
}

// The real analyser at one hop per sample, fed a steady tone on the left
// channel at bin 12's centre: freeze, S skipped hops, a paint, unfreeze, h
// analysed columns, a paint. The ring's columns from the resume column on
// held silence before, so a new column not coloured from its own spectrum
// does not show the tone.
TEST_F(SonoTest, ColouringResumesAtTheFirstColumnAnalysedAfterAFreeze)
{
    struct Case {
        int skipped, analysed;
    };
    const Case cases[] = {{1, 1}, {3, 8}, {8, 8}, {1030, 33}, {9, 8}, {1000, 33}, {1024, 8}};
    constexpr int kToneRow = ISono::kHeight - 1 - 12;
    constexpr double kPi = 3.14159265358979323846;
    for (const Case& k : cases) {
        auto analyser = std::make_unique<SpectrumAnalyser>();
        analyser->SetWindowType(0);
        ASSERT_TRUE(analyser->ResetRings());
        analyser->SetHopIncrement(1.0);
        SpectrumShared* ring = analyser->Shared();
        sono->shared = ring;
        int n = 0;
        auto feed = [&](int samples) {
            for (int i = 0; i < samples; ++i, ++n) {
                const double left = 0.5 * std::sin(2.0 * kPi * 12.0 * n / 512.0), right = 0.0;
                analyser->ProcessSamples(&left, &right, 1);
            }
        };
        feed(512);  // the first sample does not hop
        const int resumeColumn = ring->writeIndex;
        ASSERT_EQ(resumeColumn, 511);
        sono->Paint(&editor);
        const PIX_PackedColor tone = Picture(resumeColumn - 1, kToneRow);
        ASSERT_NE(tone & 0xFFFFFF, 0u) << "the tone is lit";

        analyser->SetFrozen(true);
        feed(k.skipped);
        ASSERT_EQ(ring->skippedCount, k.skipped);
        sono->Paint(&editor);
        analyser->SetFrozen(false);
        feed(k.analysed);
        ASSERT_EQ(ring->writeIndex, resumeColumn + k.analysed);
        sono->Paint(&editor);

        int stale = 0;
        for (int c = resumeColumn; c < resumeColumn + k.analysed; ++c)
            if (Picture(c, kToneRow) != tone) ++stale;
        EXPECT_EQ(stale, 0) << "S " << k.skipped << ", h " << k.analysed;
        EXPECT_EQ(ring->displayReadIndex, ring->writeIndex);
    }
}

TEST_F(SonoTest, CursorRowLabelAndLimits)
{
    struct Case {
        int row;
        bool blink;
        const char* text;  // empty: no line either
    };
    const Case cases[] = {{10, false, "y = bin 256"},
                          {266, true, "y = bin 0"},
                          {100, false, "y = bin 166"},
                          {267, false, ""},
                          {9, true, ""}};
    for (const Case& k : cases) {
        const IPointerKeys right{false, true};
        sono->HandleMouseDown(20, k.row, &right);
        sono->blink = k.blink;
        sono->Paint(&editor);
        EXPECT_EQ(std::string(readOut->Text()), k.text) << k.row;
        const bool shown = *k.text != '\0';
        const PIX_PackedColor line = k.blink ? kBlinkLine : kLine;
        for (int x : {kArea.left, kArea.right - 1, kArea.right})
            EXPECT_EQ(Surface(x, k.row) == line, shown) << "row " << k.row << ", x " << x;
    }
    EXPECT_EQ(Surface(kArea.right + 1, 100), 0u) << "the line ends at area.right";
}

TEST_F(SonoTest, RightDragMovesTheCursor)
{
    const IPointerKeys right{false, true}, left{true, false};
    editor.DispatchMouseDown(20, 50, &right);
    EXPECT_EQ(sono->cursorRow, 50);
    editor.DispatchMouseDrag(20, 60, &right);
    EXPECT_EQ(sono->cursorRow, 60);
    editor.DispatchMouseUp(20, 60, &right);
    editor.DispatchMouseDown(20, 70, &left);
    editor.DispatchMouseDrag(20, 80, &left);
    EXPECT_EQ(sono->cursorRow, 60) << "the left button leaves it";
    EXPECT_EQ(Freeze(), 1.0);
}

TEST_F(SonoTest, MarkerLines)
{
    FillPattern();
    struct Case {
        bool show;
        uint16_t marker1, marker2;
    };
    const Case cases[] = {{true, 0, 1023}, {true, 512, 7}, {false, 300, 301}};
    for (const Case& k : cases) {
        sono->showMarkers = k.show;
        sono->marker1 = k.marker1;
        sono->marker2 = k.marker2;
        sono->Paint(&editor);
        for (int m : {k.marker1, k.marker2}) {
            const int x = kArea.left + m;
            EXPECT_EQ(Surface(x, kArea.top) == kLine, k.show) << m;
            EXPECT_EQ(Surface(x, kArea.bottom - 1) == kLine, k.show) << m;
            EXPECT_NE(Surface(x, kArea.bottom), kLine) << m;
        }
        EXPECT_EQ(Surface(kArea.left + 100, kArea.top), Pattern(100, 0));
    }
}

TEST_F(SonoTest, PressesSetTheCursorAndToggleFreeze)
{
    struct Case {
        bool left, right;
        int row;
        double freeze;
        uint16_t cursorRow;
    };
    const Case cases[] = {{true, false, 40, 1, 0},
                          {false, true, 50, 1, 50},
                          {true, true, 60, 0, 60},
                          {false, false, 70, 0, 60}};
    for (const Case& k : cases) {
        const IPointerKeys keys{k.left, k.right};
        sono->HandleMouseDown(20, k.row, &keys);
        EXPECT_EQ(Freeze(), k.freeze) << k.row;
        EXPECT_EQ(sono->cursorRow, k.cursorRow) << k.row;
    }
}

TEST_F(SonoTest, DoubleClickTogglesFreezeTwice)
{
    const IPointerKeys left{true, false};
    editor.DispatchMouseDown(20, 20, &left);
    editor.DispatchMouseUp(20, 20, &left);
    EXPECT_EQ(Freeze(), 1.0);
    EXPECT_TRUE(editor.DispatchDoubleClick(20, 20, &left));
    editor.DispatchMouseUp(20, 20, &left);
    EXPECT_EQ(Freeze(), 0.0);
    const std::vector<std::string> expected = {"report 6 1.000000", "changed 6",
                                               "report 6 0.000000", "changed 6"};
    EXPECT_EQ(unit.calls, expected);
}

// Counts HeapBuffer blocks taken while alive.
class CountingAllocator {
public:
    CountingAllocator() { SetHeapAllocator(&kCounting); }
    ~CountingAllocator() { SetHeapAllocator(nullptr); }
    static inline int taken = 0;

private:
    static void* Reallocate(void* block, size_t bytes)
    {
        ++taken;
        return std::realloc(block, bytes);
    }
    static void* Allocate(size_t bytes)
    {
        ++taken;
        return std::malloc(bytes);
    }
    static constexpr HeapAllocator kCounting = {Reallocate, Allocate, std::free};
};

TEST_F(SonoTest, PaintingTakesNoBlocks)
{
    sono->cursorRow = 10;
    sono->showMarkers = true;
    Arrive(0, 1024 - 1);
    CountingAllocator counting;
    CountingAllocator::taken = 0;
    sono->Paint(&editor);
    EXPECT_EQ(std::string(readOut->Text()), "y = bin 256");
    EXPECT_EQ(CountingAllocator::taken, 0);
}

}  // namespace
