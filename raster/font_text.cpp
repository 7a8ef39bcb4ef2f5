// Drawing and measuring whole texts with a cached font: the choice of
// renderer, the glyph-cache layout and the system renderer's two paths.

#include <memory>
#include <new>

#include "raster/blit.h"
#include "raster/float_to_int.h"
#include "raster/cached_font.h"
#include "raster/sys_bitmap.h"
#include "raster/text_system.h"

namespace {

PIX_TextRendererChoice gRendererChoice = PIX_TextRendererChoice::Automatic;
enum class Finding { Unknown, No, Yes };
Finding gWine = Finding::Unknown;

bool RunsUnderWine()
{
    if (gRendererChoice != PIX_TextRendererChoice::Automatic)
        return gRendererChoice == PIX_TextRendererChoice::GlyphCache;
    if (gWine == Finding::Unknown) gWine = PIX_SystemIsWine() ? Finding::Yes : Finding::No;
    return gWine == Finding::Yes;
}

// Font flags that only the glyph cache can honour.
constexpr int kGlyphCacheFlags = PIX_FontSideways | PIX_FontSidewaysUp | PIX_FontAsciiOnly |
                                 PIX_FontSoften | PIX_FontNegative | PIX_FontHardEdges |
                                 PIX_FontDropShadow | PIX_FontHalo;
constexpr int kAlignFlags = PIX_DtCenter | PIX_DtRight | PIX_DtVCenter | PIX_DtBottom;
constexpr int kLargestCachedCell = 255;
// The font's own flags, and DT_MODIFYSTRING (the text is the caller's, read only).
constexpr int kNotForTheSystem = PIX_TextColorAlpha | PIX_TextNested | 0x10000;
constexpr int kStackUnits = 1024;
constexpr int kHeapFromUnits = 1000;
constexpr int kHeapSlack = 32;
constexpr int kScratchMinimum = 4;

int Max(int a, int b)
{
    return a > b ? a : b;
}
// Coordinates are summed in 64 bits and saturated, so no box overflows.
int Add(int64_t a, int64_t b)
{
    return PIX_SaturateToInt(a + b);
}

int Min(int a, int b)
{
    return a < b ? a : b;
}

bool IsContinuation(unsigned char c)
{
    return c >= 0x80 && c <= 0xBF;
}

// Whether the text holds a two- or three-byte UTF-8 sequence (a lead of a
// four-byte one counts when two continuation bytes follow).
bool HoldsMultiByte(const char* text, int length)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    for (int i = 0; length < 0 ? s[i] != 0 : i < length; ++i) {
        const bool more1 = length < 0 || i + 1 < length;
        const bool more2 = length < 0 || i + 2 < length;
        if (s[i] >= 0xC2 && s[i] <= 0xDF && more1 && IsContinuation(s[i + 1])) return true;
        if (s[i] >= 0xE0 && s[i] <= 0xF4 && more1 && IsContinuation(s[i + 1]) && more2 &&
            IsContinuation(s[i + 2]))
            return true;
    }
    return false;
}

// The characters of a text as the glyph cache lays them out.
class TextWalker {
public:
    struct Step {
        enum Kind { End, Glyph, LineBreak } kind;
        int code;
        const PIX_CachedGlyph* glyph;
    };

    TextWalker(PIX_CachedFont* font, const char* text, int length, bool singleLine)
        : mFont(font), mText(text), mLength(length), mSingleLine(singleLine)
    {
    }

    // The next glyph to place or line break; CRs and characters without a
    // drawable glyph are passed over.
    Step Next()
    {
        while (mLength != 0 && *mText != 0) {
            uint16_t code = 0x20;
            const int used = PIX_DecodeUtf8Bounded(mText, mLength < 0 ? 4 : mLength, &code);
            mText += used;
            if (mLength > 0) mLength = Max(mLength - used, 0);
            if (code == '\r') continue;
            if (code == '\n') {
                if (!mSingleLine) return {Step::LineBreak, code, nullptr};
                code = ' ';
            }
            const PIX_CachedGlyph* glyph = mFont->FindGlyph(code);
            if (!glyph || glyph->coverageOffset == 0) {
                mFont->RenderGlyph(code);
                glyph = mFont->FindGlyph(code);
            }
            if (glyph && glyph->coverageOffset > 0) return {Step::Glyph, code, glyph};
        }
        return {Step::End, 0, nullptr};
    }

private:
    PIX_CachedFont* mFont;
    const char* mText;
    int mLength;
    bool mSingleLine;
};

// Restores the font's alpha when a call ends.
class AlphaRestore {
public:
    explicit AlphaRestore(float* alpha) : mAlpha(alpha), mSaved(*alpha) {}
    ~AlphaRestore() { *mAlpha = mSaved; }
    AlphaRestore(const AlphaRestore&) = delete;
    AlphaRestore& operator=(const AlphaRestore&) = delete;

private:
    float* mAlpha;
    float mSaved;
};

}  // namespace

void PIX_ForceTextRenderer(PIX_TextRendererChoice choice)
{
    gRendererChoice = choice;
}

int PIX_CachedFont::PaintText(PIX_IBitmap* bitmap, const char* text, int length, PIX_Box* box,
                              int textFlags)
{
    const bool nested = (textFlags & PIX_TextNested) != 0;
    textFlags &= ~PIX_TextNested;
    if (!bitmap && !(textFlags & PIX_DtCalcRect)) return 0;
    if (!text || !box) return 0;
    if (length < 0) length = -1;
    const bool systemAllowed = (flags & PIX_FontSystemRenderer) && fontHandle && !nested &&
                               !(textFlags & PIX_TextColorAlpha) && !(flags & kGlyphCacheFlags);
    if (cellHeight > kLargestCachedCell || (systemAllowed && !RunsUnderWine()))
        return PaintWithSystem(bitmap, text, length, box, textFlags & ~kNotForTheSystem);
    if (textFlags & PIX_DtCalcRect) return MeasureCached(text, length, box, textFlags);
    return DrawCached(bitmap, text, length, box, textFlags, nested);
}

int PIX_CachedFont::MeasureCached(const char* text, int length, PIX_Box* box, int textFlags)
{
    const bool sideways = (flags & PIX_FontSideways) != 0;
    int x = 0, y = 0, width = 0, height = 0;
    TextWalker walker(this, text, length, (textFlags & PIX_DtSingleLine) != 0);
    for (TextWalker::Step step = walker.Next(); step.kind != TextWalker::Step::End;
         step = walker.Next()) {
        if (step.kind == TextWalker::Step::LineBreak) {
            if (sideways) {
                y = 0;
                x = Add(x, cellHeight);
            } else {
                x = 0;
                y = Add(y, cellHeight);
            }
            continue;
        }
        const PIX_CachedGlyph& g = *step.glyph;
        if (sideways) {
            height = Max(height, Add(y, Max(g.advance, g.height)));
            width = Max(width, Add(x, g.width));
            y = Add(y, g.advance);
        } else {
            width = Max(width, Add(x, Max(g.advance, g.width)));
            height = Max(height, Add(y, g.height));
            x = Add(x, g.advance);
        }
    }
    box->right = Add(box->left, width);
    box->bottom = Add(box->top, height);
    return sideways ? width : height;
}

int PIX_CachedFont::DrawCached(PIX_IBitmap* bitmap, const char* text, int length, PIX_Box* box,
                               int textFlags, bool nested)
{
    AlphaRestore restore(&alpha);
    if (textFlags & PIX_TextColorAlpha) alpha *= float(textColor >> 24) / 255.0f;
    if (alpha == 0.0f) return 0;
    const bool sideways = (flags & PIX_FontSideways) != 0;
    const bool upward = sideways && (flags & PIX_FontSidewaysUp);

    PIX_Box measured = {0, 0, 0, 0};
    if ((textFlags & kAlignFlags) || upward)
        PaintText(bitmap, text, length, &measured,
                  PIX_DtCalcRect | (textFlags & PIX_DtSingleLine) | (nested ? PIX_TextNested : 0));
    const int measuredWidth = measured.right - measured.left;
    const int measuredHeight = measured.bottom - measured.top;
    int startX = box->left, startY = box->top;
    if (textFlags & PIX_DtCenter)
        startX = Add(box->left, (int64_t(box->right) - box->left - measuredWidth) / 2);
    else if (textFlags & PIX_DtRight)
        startX = Add(box->right, -int64_t(measuredWidth));
    if (textFlags & PIX_DtVCenter)
        startY = Add(box->top, (int64_t(box->bottom) - box->top - measuredHeight) / 2);
    else if (textFlags & PIX_DtBottom)
        startY = Add(box->bottom, -int64_t(measuredHeight));
    if (upward) startY = Add(startY, measuredHeight);

    PIX_Box clip = {0, 0, bitmap->PixelWidth(), bitmap->PixelHeight()};
    if (!(textFlags & PIX_DtNoClip))
        clip = PIX_Box{Max(clip.left, box->left), Max(clip.top, box->top),
                       Min(clip.right, box->right), Min(clip.bottom, box->bottom)};
    if (clip.IsEmpty()) return 0;

    int x = startX, y = startY;
    int reached = sideways ? startX : startY;
    TextWalker walker(this, text, length, (textFlags & PIX_DtSingleLine) != 0);
    for (TextWalker::Step step = walker.Next(); step.kind != TextWalker::Step::End;
         step = walker.Next()) {
        if (step.kind == TextWalker::Step::LineBreak) {
            if (sideways) {
                y = startY;
                x = Add(x, cellHeight);
            } else {
                x = startX;
                y = Add(y, cellHeight);
            }
            continue;
        }
        // Painting renders nothing, so the record stays where it is.
        const int advance = step.glyph->advance;
        const int width = step.glyph->width, height = step.glyph->height;
        if (!sideways) {
            if (PaintGlyph(bitmap, step.code, x, y, &clip)) reached = Max(reached, Add(y, height));
            x = Add(x, advance);
        } else if (!upward) {
            if (PaintGlyph(bitmap, step.code, x, y, &clip)) reached = Max(reached, Add(x, width));
            y = Add(y, advance);
        } else {
            if (PaintGlyph(bitmap, step.code, x, Add(y, -int64_t(height)), &clip))
                reached = Max(reached, Add(x, width));
            y = Add(y, -int64_t(advance));
        }
    }
    return Add(reached, -int64_t(sideways ? startX : startY));
}

namespace {

// A text as the system takes it: with multi-byte characters as UTF-16,
// converted with its own length; otherwise as it stands.
class SystemText {
public:
    SystemText(const char* text, int length) : text(text), length(length)
    {
        if (!PIX_SystemHasWideText() || !HoldsMultiByte(text, length)) return;
        const int need = PIX_SystemUtf8ToWide(text, length, nullptr, 0);
        uint16_t* out = stackUnits;
        int capacity = kStackUnits;
        if (need >= kHeapFromUnits) {
            capacity = need + kHeapSlack;
            heapUnits.reset(new (std::nothrow) uint16_t[size_t(capacity)]);
            out = heapUnits.get();
        }
        const int converted =
            need > 0 && out ? PIX_SystemUtf8ToWide(text, length, out, capacity) : 0;
        if (converted > 0) {
            wide = out;
            wideLength = length < 0 ? -1 : converted;
        }
    }

    int Draw(PIX_DeviceContext context, PIX_Box* area, int flags) const
    {
        return wide ? PIX_SystemDrawWideText(context, wide, wideLength, area, flags)
                    : PIX_SystemDrawText(context, text, length, area, flags);
    }

private:
    const char* text;
    int length;
    uint16_t stackUnits[kStackUnits];
    std::unique_ptr<uint16_t[]> heapUnits;
    const uint16_t* wide = nullptr;
    int wideLength = -1;
};

// Where a measured text of width x height lands in the box, by the alignment
// flags; placed is that area within the bitmap and, unless unclipped, the box.
struct Placement {
    int x, y;
    PIX_Box placed;
};

Placement PlaceMeasured(const PIX_IBitmap* bitmap, const PIX_Box& box, int flags, int width,
                        int height)
{
    const int x = (flags & PIX_DtRight)    ? Add(box.right, -int64_t(width))
                  : (flags & PIX_DtCenter) ? int((int64_t(box.left) + box.right - width) / 2)
                                           : box.left;
    const int y = (flags & PIX_DtBottom)    ? Add(box.bottom, -int64_t(height))
                  : (flags & PIX_DtVCenter) ? int((int64_t(box.top) + box.bottom - height) / 2)
                                            : box.top;
    PIX_Box placed = {Max(x, 0), Max(y, 0), Min(Add(x, width), bitmap->PixelWidth()),
                      Min(Add(y, height), bitmap->PixelHeight())};
    if (!(flags & PIX_DtNoClip))
        placed = PIX_Box{Max(placed.left, box.left), Max(placed.top, box.top),
                         Min(placed.right, box.right), Min(placed.bottom, box.bottom)};
    return {x, y, placed};
}

// The system renderer with a font's handle and colours.
struct SystemPainter {
    const SystemText& text;
    PIX_FontHandle font;
    PIX_PackedColor textColour, backgroundColour;
    int fillMode;

    PIX_FontHandle Select(PIX_DeviceContext context) const
    {
        return font ? PIX_SelectSystemFont(context, font) : nullptr;
    }

    void Unselect(PIX_DeviceContext context, PIX_FontHandle previous) const
    {
        if (font) PIX_SelectSystemFont(context, previous);
    }

    int Paint(PIX_DeviceContext context, PIX_Box* area, int flags) const
    {
        const uint32_t background = PIX_SystemColour(backgroundColour);
        PIX_SetSystemTextColours(context, PIX_SystemColour(textColour), fillMode,
                                 fillMode == PIX_BackgroundOpaque ? &background : nullptr);
        return text.Draw(context, area, flags | PIX_DtNoPrefix);
    }

    int PaintDirectly(PIX_DeviceContext context, PIX_Box* box, int flags) const
    {
        const PIX_FontHandle previous = Select(context);
        const int result = Paint(context, box, flags);
        Unselect(context, previous);
        return result;
    }

    // Without a context of the target: measures on the scratch bitmap, draws
    // there over a copy of the target's pixels and copies the result back
    // with the font's alpha.
    int PaintThroughScratch(PIX_IBitmap* bitmap, PIX_Box* box, int flags, float alpha) const
    {
        PIX_SysBitmap* scratch = PIX_TextScratchBitmap();
        if (scratch->PixelWidth() < kScratchMinimum || scratch->PixelHeight() < kScratchMinimum)
            scratch->SetSize(Max(scratch->PixelWidth(), kScratchMinimum),
                             Max(scratch->PixelHeight(), kScratchMinimum));
        PIX_DeviceContext context = scratch->DeviceContext();
        if (!context) return 0;
        const PIX_FontHandle previous = Select(context);
        PIX_Box measured = {0, 0, 0, 0};
        int result =
            text.Draw(context, &measured, (flags & ~kAlignFlags) | PIX_DtCalcRect | PIX_DtNoPrefix);
        const int width = measured.right - measured.left, height = measured.bottom - measured.top;
        if (flags & PIX_DtCalcRect) {
            box->right = Add(box->left, width);
            box->bottom = Add(box->top, height);
            Unselect(context, previous);
            return result;
        }

        const Placement where = PlaceMeasured(bitmap, *box, flags, width, height);
        const PIX_Box& placed = where.placed;
        result = 0;
        if (!placed.IsEmpty()) {
            const int placedWidth = placed.right - placed.left;
            const int placedHeight = placed.bottom - placed.top;
            if (scratch->PixelWidth() < placedWidth || scratch->PixelHeight() < placedHeight) {
                scratch->SetSize(Max(scratch->PixelWidth(), placedWidth),
                                 Max(scratch->PixelHeight(), placedHeight));
                Select(context);
            }
            if (scratch->PixelWidth() >= placedWidth && scratch->PixelHeight() >= placedHeight) {
                PIX_CopyRegion(scratch, bitmap, 0, 0, &placed, 1.0f, PIX_CombineCopy);
                const int left = Add(where.x, -int64_t(placed.left));
                const int top = Add(where.y, -int64_t(placed.top));
                PIX_Box area = {left, top, Add(left, width), Add(top, height)};
                result = Paint(context, &area, flags & ~(kAlignFlags | PIX_DtNoClip));
                PIX_CopyRegionXYWH(bitmap, scratch, placed.left, placed.top, 0, 0, placedWidth,
                                   placedHeight, alpha, PIX_CombineCopy);
            }
        }
        Unselect(context, previous);
        return result;
    }
};

}  // namespace

int PIX_CachedFont::PaintWithSystem(PIX_IBitmap* bitmap, const char* text, int length, PIX_Box* box,
                                    int textFlags)
{
    const SystemText systemText(text, length);
    const SystemPainter painter{systemText, fontHandle, textColor, backgroundColor,
                                backgroundFillMode};
    if (bitmap && bitmap->DeviceContext())
        return painter.PaintDirectly(bitmap->DeviceContext(), box, textFlags);
    return painter.PaintThroughScratch(bitmap, box, textFlags, alpha);
}
