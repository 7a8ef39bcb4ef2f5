#pragma once

#include <atomic>
#include <cstdint>

#include "analyser/sono_colour.h"
#include "analyser/spectrum_analyser.h"
#include "editor/control.h"
#include "raster/bitmap.h"

class ITextControl;

// A bitmap over pixels that another object owns; it never frees or resizes
// them. The pixels start at the first 64-byte boundary of the block.
class my_MemBitmap : public PIX_IBitmap {
public:
    my_MemBitmap(void* pixelBlock, int width, int height)
        : pixelBlock(pixelBlock), width(width), height(height)
    {
    }
    ~my_MemBitmap() override {}

    PIX_PackedColor* PixelData() const override;
    int PixelWidth() const override { return width; }
    int PixelHeight() const override { return height; }
    int RowStride() const override { return (width + rowMask) & ~rowMask; }
    bool SetSize(int, int) override { return false; }

private:
    void* pixelBlock;
    int width;
    int height;
    int rowMask = 4;
};

// The sonogram: one column per spectrum of the analyser's ring, one row per
// bin (DC at the bottom). It colours the columns that arrived since the last
// frame into its own picture and copies the picture into the editor, as it
// lies or scrolled; a right press places a cursor row, a left press toggles
// "freeze". UI thread only; the shared block is read without the lock.
class ISono : public IControl {
public:
    static constexpr int kWidth = SpectrumShared::kColumns;
    static constexpr int kHeight = 257;
    static constexpr int kFreezeParam = 6;

    ISono(IUnitBase* plug, IBox rect, SpectrumShared* shared, ITextControl* cursorReadOut);

    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys* keys) override;
    bool Paint(IGraphics* graphics) override;
    bool NeedsRedraw() override { return true; }

    // The 64-byte aligned start of the picture: row 0 at the top, rows of
    // kWidth pixels.
    PIX_PackedColor* PixelStore() { return bitmap.PixelData(); }
    // Colours picture columns first .. first + count - 1 (first + count at
    // most kWidth) from the ring with the current settings.
    void ColourColumns(int first, int count);

    float gain = 1.0f;
    bool scroll = false;
    bool pendingCopy = false;
    int anchorCopy = 0;
    int resumeColumn = 0;  // the write index the last paint saw pending: where analysis resumes
    uint16_t marker1 = 0, marker2 = 0;
    bool showMarkers = false;
    std::atomic<bool> blink{false};  // toggled by the audio thread without the lock
    uint8_t channelMode = 0, phaseMode = 0;
    int leftOffset = 0, rightOffset = 0;  // columns by which a channel is shown late
    SpectrumShared* shared;
    IBox area;
    PIX_PackedColor pixelBlock[kWidth * kHeight + 64] = {};  // 256 bytes of alignment slack
    my_MemBitmap bitmap;
    uint16_t cursorRow = 0;  // outside the area: no cursor before the first right press
    ITextControl* cursorReadOut;
    SonoColouring colourMode = kColourBalanceAndPhase;
    char rowLabels[kHeight][10] = {};  // label j names bin j, picture row 256 - j

private:
    // Colours the columns up to the write index (or past it while frozen);
    // returns the display read index reached.
    int ColourNewColumns();
    // The pixels of picture column c, bin 0 (the bottom row) first.
    void ColourColumnBins(int c, PIX_PackedColor* pixels);
    void CopyPicture(PIX_IBitmap* surface, int readIndex);
    void DrawCursor(PIX_IBitmap* surface, PIX_PackedColor colour);
    void DrawMarkers(PIX_IBitmap* surface, PIX_PackedColor colour);
};
