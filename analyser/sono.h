#pragma once

#include <atomic>
#include <bitset>
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
// "freeze". Its dirty area is what changed since it was last painted: the
// columns coloured, the lines that moved or changed colour, or all of it when
// the picture moved, was marked dirty or is new. Whoever writes the picture
// other than by colouring marks the control dirty. UI thread only; the shared
// block is read without the lock.
class ISono : public IControl {
public:
    static constexpr int kWidth = SpectrumShared::kColumns;
    static constexpr int kHeight = 257;
    static constexpr int kFreezeParam = 6;

    ISono(IUnitBase* plug, IBox rect, SpectrumShared* shared, ITextControl* cursorReadOut);

    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys* keys) override;
    // Copies the changed part of the picture and whatever the draw clip asks
    // for. After AddDirtyArea it draws the frame that call took.
    bool Paint(IGraphics* graphics) override;
    // It takes part in every frame; its dirty area tells what changed.
    bool NeedsRedraw() override { return true; }
    // Colours the columns that arrived and takes the frame: what the area
    // is to show, and what of it changed.
    bool AddDirtyArea(IRegion* region) override;

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
    // What the area shows: where the picture's columns land and the lines
    // drawn over it.
    struct View {
        int shift = 0;              // the picture column at the area's left edge
        int cursorRow = -1;         // -1: no cursor line
        int markerX[2] = {-1, -1};  // -1: no marker line
        PIX_PackedColor lineColour = 0;
    };

    void TakeFrame();
    View CurrentView(int readIndex) const;
    // Adds the part of the area that differs from what it showed when it was
    // last painted; false when nothing does.
    bool AddChangedArea(IRegion* region) const;
    IBox CursorBox(int row) const;
    IBox MarkerBox(int x) const;
    void MarkColumnsChanged(int first, int count);
    void CopyPiece(PIX_IBitmap* surface, const IBox& box);
    // Colours the columns up to the write index (or past it while frozen);
    // returns the display read index reached.
    int ColourNewColumns();
    // The pixels of picture column c, bin 0 (the bottom row) first.
    void ColourColumnBins(int c, PIX_PackedColor* pixels);
    void DrawCursor(PIX_IBitmap* surface);
    void DrawMarkers(PIX_IBitmap* surface);

    View shown;  // as last painted
    View frame;  // as the frame being drawn shows it
    bool frameTaken = false;
    std::bitset<kWidth> changedColumns;  // picture columns coloured since the last paint
};
