#include "analyser/sono.h"

#include <cstdio>
#include <cstring>

#include "core/compiler_specifics.h"
#include "core/parameter.h"
#include "core/unit_base.h"
#include "editor/graphics.h"
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

// Scrolled, the column before the anchor (the newest) lands at the right edge.
void ISono::CopyPicture(PIX_IBitmap* surface, int readIndex)
{
    if (!scroll) {
        PIX_CopyRegionXYWH(surface, &bitmap, area.left, area.top, 0, 0, kWidth, kHeight, 1.0f,
                           PIX_CombineCopy);
        return;
    }
    const int a = (pendingCopy ? anchorCopy : readIndex) & kMask;
    const int n = kWidth - a;
    if (a > 0)
        PIX_CopyRegionXYWH(surface, &bitmap, area.left + n, area.top, 0, 0, a, kHeight, 1.0f,
                           PIX_CombineCopy);
    PIX_CopyRegionXYWH(surface, &bitmap, area.left, area.top, a, 0, n, kHeight, 1.0f,
                       PIX_CombineCopy);
}

void ISono::DrawCursor(PIX_IBitmap* surface, PIX_PackedColor colour)
{
    const int row = cursorRow;
    const int label = area.bottom - row - 1;
    const bool shown = area.top <= row && row < area.bottom;
    if (shown && surface)
        PIX_DrawSegment(surface, area.left, row, area.right, row, colour, 1.0f, PIX_CombineCopy,
                        false);
    if (!cursorReadOut) return;
    char text[4 + kLabelSize + 1] = "";
    // A label without a terminator ends at its field.
    if (shown && 0 <= label && label <= kTopBin)
        std::snprintf(text, sizeof text, "y = %.*s", kLabelSize, rowLabels[label]);
    cursorReadOut->ReplaceText(text);
}

void ISono::DrawMarkers(PIX_IBitmap* surface, PIX_PackedColor colour)
{
    for (const int marker : {marker1, marker2}) {
        const int x = area.left + marker;
        PIX_DrawSegment(surface, x, area.top, x, area.bottom - 1, colour, 1.0f, PIX_CombineCopy,
                        false);
    }
}

bool ISono::Paint(IGraphics* graphics)
{
    const int readIndex = shared ? ColourNewColumns() : 0;
    PIX_IBitmap* surface = graphics ? graphics->DrawSurface() : nullptr;
    const PIX_PackedColor colour =
        blink.load(std::memory_order_relaxed) ? kLineBlinkColour : kLineColour;
    if (surface) CopyPicture(surface, readIndex);
    DrawCursor(surface, colour);
    if (surface && showMarkers) DrawMarkers(surface, colour);
    return true;
}
