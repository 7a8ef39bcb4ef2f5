#include "analyser/sono.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/compiler_specifics.h"
#include "core/parameter.h"
#include "core/unit_base.h"
#include "editor/graphics.h"
#include "editor/region.h"
#include "editor/text_control.h"
#include "raster/blit.h"
#include "raster/line.h"
#include "raster/sys_bitmap.h"

namespace {

constexpr int kMask = ISono::kWidth - 1;
constexpr int kTopBin = ISono::kHeight - 1;
constexpr float kUnitMagnitude = 0.000390625f;  // 1 / 2560: a full-scale sine at a bin's centre
constexpr PIX_PackedColor kLineBlinkColour = 0xFFA1A1A1u;
constexpr PIX_PackedColor kLineColour = 0xFF623C62u;
constexpr int kLabelSize = sizeof ISono::rowLabels[0];

// Column c shown late by offset columns, in 0..kWidth-1.
int SourceColumn(int c, int offset)
{
    return (c - offset % ISono::kWidth + ISono::kWidth) & kMask;
}

// Whether c lies in (from, to], going round the ring.
bool AfterUpTo(int c, int from, int to)
{
    const int distance = (c - from) & kMask;
    return distance != 0 && distance <= ((to - from) & kMask);
}

}  // namespace

PIX_PackedColor* my_MemBitmap::PixelData() const
{
    const uintptr_t address = (reinterpret_cast<uintptr_t>(pixelBlock) + 63) & ~uintptr_t(63);
    return reinterpret_cast<PIX_PackedColor*>(address);
}

ISono::ISono(IUnitBase* plug, IBox rect, SpectrumShared* shared, ITextControl* cursorReadOut)
    : IControl(plug, rect, -1, 0),
      shared(shared),
      area(rect),
      bitmap(pixelBlock, kWidth, kHeight),
      cursorReadOut(cursorReadOut)
{
    doubleClickAsClick = true;
    opaque = true;  // the picture is copied over every pixel of the area
}

void ISono::HandleMouseDown(int, int y, const IPointerKeys* keys)
{
    if (!keys) return;
    if (keys->right) cursorRow = uint16_t(y);
    if (!keys->left || !plug) return;
    const IParameter* freeze = plug->ParameterAt(kFreezeParam);
    if (freeze) plug->SetParameterFromGUI(kFreezeParam, double(int(freeze->Value()) ^ 1));
}

void ISono::HandleMouseDrag(int, int y, int, int, const IPointerKeys* keys)
{
    if (keys && keys->right) cursorRow = uint16_t(y);
}

void ISono::ColourColumnBins(int c, PIX_PackedColor* pixels)
{
    const float(*left)[4] = shared->columns[SourceColumn(c, leftOffset)].bins;
    const float(*right)[4] = shared->columns[SourceColumn(c, rightOffset)].bins;
    const float k = kUnitMagnitude * gain;
    SonoBins bins;
    // Bin 0 packs {left DC, left Nyquist, right DC, right Nyquist}.
    bins.Set(0, 0.5f * left[0][0] * k, 0.0f, 0.5f * right[0][2] * k, 0.0f);
    for (int j = 1; j < kTopBin; ++j)
        bins.Set(j, left[j][0] * k, left[j][1] * k, right[j][2] * k, right[j][3] * k);
    bins.Set(kTopBin, 0.5f * left[0][1] * k, 0.0f, 0.5f * right[0][3] * k, 0.0f);
    bins.PadFrom(kHeight);
    SonoColourBins(bins, kHeight, colourMode, pixels);
}

// A few adjacent columns at a time, each row's pixels stored together: one
// column alone would touch a cache line per row for one pixel.
void ISono::ColourColumns(int first, int count)
{
    constexpr int kBatch = 8;
    PIX_PackedColor pixels[kBatch][SonoBins::kCapacity];
    for (int c = first; c < first + count; c += kBatch) {
        const int n = first + count - c < kBatch ? first + count - c : kBatch;
        for (int i = 0; i < n; ++i) ColourColumnBins(c + i, pixels[i]);
        PIX_PackedColor* row = PixelStore() + c;
        for (int j = kTopBin; j >= 0; --j, row += kWidth)
            for (int i = 0; i < n; ++i) row[i] = pixels[i][j];
    }
}

int ISono::ColourNewColumns()
{
    int r = AtomicLoadAcquire(&shared->displayReadIndex) & kMask;
    const int w = AtomicLoadAcquire(&shared->writeIndex) & kMask;
    // The recolouring while frozen may have run into the columns analysed
    // since: colouring restarts at the first of them.
    if (pendingCopy && AfterUpTo(r, resumeColumn, w)) r = resumeColumn;
    pendingCopy = AtomicLoadAcquire(&shared->pending);
    if (pendingCopy) resumeColumn = w;
    // While frozen the target runs ahead by the skipped hops: old columns are
    // recoloured with the current settings.
    const unsigned skipped = pendingCopy ? unsigned(AtomicLoadAcquire(&shared->skippedCount)) : 0u;
    const int t = int((unsigned(w) + skipped) & kMask);
    colourMode = SonoColourMode(channelMode, phaseMode);
    MarkColumnsChanged(r, (t - r) & kMask);
    // Runs of columns up to the target or the picture's right edge.
    while (r != t) {
        const int count = r < t ? t - r : kWidth - r;
        anchorCopy = AtomicLoadAcquire(&shared->scrollAnchor);
        AtomicStoreRelaxed(&shared->displayReadIndex, (r + count) & kMask);
        ColourColumns(r, count);
        r = (r + count) & kMask;
    }
    return r;
}

void ISono::MarkColumnsChanged(int first, int count)
{
    for (int i = 0; i < count; ++i) changedColumns.set((first + i) & kMask);
}

// Scrolled, the column before the anchor (the newest) lands at the right edge.
ISono::View ISono::CurrentView(int readIndex) const
{
    View view;
    view.shift = scroll ? (pendingCopy ? anchorCopy : readIndex) & kMask : 0;
    if (area.top <= cursorRow && cursorRow < area.bottom) view.cursorRow = cursorRow;
    if (showMarkers) {
        view.markerX[0] = area.left + marker1;
        view.markerX[1] = area.left + marker2;
    }
    view.lineColour = blink.load(std::memory_order_relaxed) ? kLineBlinkColour : kLineColour;
    return view;
}

void ISono::TakeFrame()
{
    const int readIndex = shared ? ColourNewColumns() : 0;
    frame = CurrentView(readIndex);
    frameTaken = true;
}

IBox ISono::CursorBox(int row) const
{
    return row < 0 ? IBox{} : IBox{area.left, row, area.right, row + 1};
}

IBox ISono::MarkerBox(int x) const
{
    return x < 0 ? IBox{} : IBox{x, area.top, x + 1, area.bottom};
}

bool ISono::AddChangedArea(IRegion* region) const
{
    if (dirty || frame.shift != shown.shift) {
        region->Add(area);
        return true;
    }
    IRegion changed;
    for (int x = 0; x < kWidth;) {
        int end = x;
        while (end < kWidth && changedColumns[(end + frame.shift) & kMask]) ++end;
        if (end > x) changed.Add({area.left + x, area.top, area.left + end, area.bottom});
        x = end + 1;
    }
    // A line that moved or changed colour: its old and its new place.
    const bool recoloured = frame.lineColour != shown.lineColour;
    if (recoloured || frame.cursorRow != shown.cursorRow) {
        changed.Add(CursorBox(shown.cursorRow));
        changed.Add(CursorBox(frame.cursorRow));
    }
    for (int m = 0; m < 2; ++m) {
        if (!recoloured && frame.markerX[m] == shown.markerX[m]) continue;
        changed.Add(MarkerBox(shown.markerX[m]));
        changed.Add(MarkerBox(frame.markerX[m]));
    }
    region->Add(changed.ClippedTo(area));
    return !changed.Empty();
}

bool ISono::AddDirtyArea(IRegion* region)
{
    TakeFrame();
    return AddChangedArea(region);
}

// A box of the area from the picture columns that land there, in at most
// two runs.
void ISono::CopyPiece(PIX_IBitmap* surface, const IBox& box)
{
    for (int x = box.left - area.left; x < box.right - area.left;) {
        const int c = (x + frame.shift) & kMask;
        const int run = std::min(box.right - area.left - x, kWidth - c);
        PIX_CopyRegionXYWH(surface, &bitmap, area.left + x, box.top, c, box.top - area.top, run,
                           box.Height(), 1.0f, PIX_CombineCopy);
        x += run;
    }
}

void ISono::DrawCursor(PIX_IBitmap* surface)
{
    const int row = frame.cursorRow;
    const int label = area.bottom - row - 1;
    if (row >= 0 && surface)
        PIX_DrawSegment(surface, area.left, row, area.right, row, frame.lineColour, 1.0f,
                        PIX_CombineCopy, false);
    if (!cursorReadOut) return;
    char text[4 + kLabelSize + 1] = "";
    // A label without a terminator ends at its field.
    if (row >= 0 && 0 <= label && label <= kTopBin)
        std::snprintf(text, sizeof text, "y = %.*s", kLabelSize, rowLabels[label]);
    cursorReadOut->ReplaceText(text);
}

void ISono::DrawMarkers(PIX_IBitmap* surface)
{
    for (const int x : frame.markerX) {
        if (x < 0) continue;
        PIX_DrawSegment(surface, x, area.top, x, area.bottom - 1, frame.lineColour, 1.0f,
                        PIX_CombineCopy, false);
    }
}

bool ISono::Paint(IGraphics* graphics)
{
    if (!frameTaken) TakeFrame();
    PIX_IBitmap* surface = graphics ? graphics->DrawSurface() : nullptr;
    if (surface) {
        IRegion copied = graphics->DrawClip().ClippedTo(area);
        AddChangedArea(&copied);
        for (const IBox& box : copied) CopyPiece(surface, box);
    }
    DrawCursor(surface);
    if (surface) DrawMarkers(surface);
    shown = frame;
    changedColumns.reset();
    frameTaken = false;
    return true;
}
