#include "raster/cached_font.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "raster/fill.h"
#include "raster/float_to_int.h"
#include "raster/pixel_kernels.h"
#include "raster/sys_bitmap.h"
#include "raster/text_system.h"
#include "raster/transform_blit.h"

namespace {

int gLiveFonts = 0;
PIX_SysBitmap* gGlyphBitmap = nullptr;
PIX_SysBitmap* gScratchBitmap = nullptr;

constexpr int kMinimumGlyphBitmap = 256;
constexpr int kMaximumCellHeight = 1023;
constexpr int kFull = 255;
constexpr int kEdge = 0x80;
constexpr int kHardEdgeThreshold = 131;

// Sizes the glyph bitmap to at least size x size: white text on an opaque
// black background. False when it has no context.
bool PrepareGlyphBitmap(int size)
{
    PIX_SysBitmap* bitmap = PIX_GlyphBitmap();
    if (bitmap->PixelWidth() < size || bitmap->PixelHeight() < size) {
        bitmap->SetSize(size, size);
        const uint32_t black = 0;
        PIX_SetSystemTextColours(bitmap->DeviceContext(), 0xFFFFFF, PIX_BackgroundOpaque, &black);
    }
    return bitmap->DeviceContext() != nullptr && bitmap->PixelData() != nullptr;
}

const uint8_t* RowOf(PIX_IBitmap* bitmap, int y)
{
    const int row = bitmap->IsBottomUp() ? bitmap->PixelHeight() - 1 - y : y;
    return reinterpret_cast<const uint8_t*>(bitmap->PixelData() +
                                            ptrdiff_t(row) * bitmap->RowStride());
}

// The columns of a width x height map worth keeping: all up to the advance,
// those beyond it only as far as they hold ink.
int InkedWidth(const uint8_t* map, int width, int height, int advance)
{
    for (int x = width - 1; x >= advance; --x)
        for (int y = 0; y < height; ++y)
            if (map[y * width + x]) return x + 1;
    return advance;
}

}  // namespace

PIX_SysBitmap* PIX_GlyphBitmap()
{
    if (!gGlyphBitmap) gGlyphBitmap = new PIX_SysBitmap(0, 0);
    return gGlyphBitmap;
}

PIX_SysBitmap* PIX_TextScratchBitmap()
{
    if (!gScratchBitmap) gScratchBitmap = new PIX_SysBitmap(0, 0);
    return gScratchBitmap;
}

int PIX_CompareGlyphCode(const void* a, const void* b)
{
    const int32_t x = static_cast<const PIX_CachedGlyph*>(a)->code;
    const int32_t y = static_cast<const PIX_CachedGlyph*>(b)->code;
    return x < y ? -1 : (x > y ? 1 : 0);
}

int PIX_DecodeUtf8Bounded(const char* text, int available, uint16_t* code)
{
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    const unsigned lead = s[0];
    int extra = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        extra = 1;
    else if (lead >= 0xE0 && lead <= 0xEF)
        extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3;
    bool complete = extra < available;
    for (int k = 1; complete && k <= extra; ++k) complete = (s[k] & 0xC0) == 0x80;
    unsigned value = lead;
    if (!complete || extra == 0)
        extra = 0;
    else if (extra == 1)
        value = (lead & 0x1F) << 6 | (s[1] & 0x3F);
    else if (extra == 2)
        value = ((lead & 0x0F) << 12 | (s[1] & 0x3F) << 6 | (s[2] & 0x3F)) & 0xFFFF;
    else
        value = 0x20;
    if (code) *code = uint16_t(value);
    return extra + 1;
}

int PIX_DecodeUtf8(const char* text, uint16_t* code)
{
    // A terminating zero is no continuation byte, so four is never too many.
    return PIX_DecodeUtf8Bounded(text, 4, code);
}

PIX_CachedFont::PIX_CachedFont()
{
    ++gLiveFonts;
}

PIX_CachedFont::~PIX_CachedFont()
{
    if ((flags & PIX_FontOwnsGdiFont) && fontHandle) PIX_DeleteSystemFont(fontHandle);
    if (--gLiveFonts == 0) {
        delete gGlyphBitmap;
        delete gScratchBitmap;
        gGlyphBitmap = gScratchBitmap = nullptr;
    }
}

PIX_PackedColor PIX_CachedFont::SetForegroundColor(PIX_PackedColor colour)
{
    return std::exchange(textColor, colour);
}

PIX_PackedColor PIX_CachedFont::SetBackgroundColor(PIX_PackedColor colour)
{
    return std::exchange(backgroundColor, colour);
}

PIX_PackedColor PIX_CachedFont::SetEdgeColor(PIX_PackedColor colour)
{
    return std::exchange(edgeColor, colour);
}

int PIX_CachedFont::SetBackgroundFillMode(int mode)
{
    return std::exchange(backgroundFillMode, mode);
}

void PIX_CachedFont::SetBlend(PIX_CombineMode mode, float newAlpha)
{
    combineMode = mode;
    alpha = newAlpha;
}

void PIX_CachedFont::AttachFont(PIX_FontHandle font, int newFlags)
{
    const bool sameOwned = (flags & PIX_FontOwnsGdiFont) && fontHandle && fontHandle == font;
    if ((flags & PIX_FontOwnsGdiFont) && fontHandle && !sameOwned) PIX_DeleteSystemFont(fontHandle);
    flags = newFlags;
    fontHandle = font;
    if (font) {
        // Without a glyph bitmap to measure in, the font has no cell.
        cellHeight = 0;
        if (PrepareGlyphBitmap(kMinimumGlyphBitmap)) {
            PIX_DeviceContext context = PIX_GlyphBitmap()->DeviceContext();
            const PIX_FontHandle previous = PIX_SelectSystemFont(context, font);
            cellHeight = PIX_SystemFontHeight(context);
            PIX_SelectSystemFont(context, previous);
        }
    }
    DropGlyphs();
    if (flags & PIX_FontAsciiOnly)
        for (int code = 0; code < 128; ++code) RenderGlyph(code);
}

void PIX_CachedFont::DropGlyphs()
{
    std::memset(directGlyphs, 0, sizeof(directGlyphs));
    moreGlyphs.SetUsed(0);
    coverage.SetUsed(0, true);
}

PIX_CachedGlyph* PIX_CachedFont::FindGlyph(int code)
{
    code &= 0xFFFF;
    if (code < 128) return &directGlyphs[code];
    const int count = moreGlyphs.Size() / int(sizeof(PIX_CachedGlyph));
    if (count == 0) return nullptr;
    PIX_CachedGlyph key = {0, 0, 0, 0, code};
    return static_cast<PIX_CachedGlyph*>(std::bsearch(
        &key, moreGlyphs.Data(), size_t(count), sizeof(PIX_CachedGlyph), PIX_CompareGlyphCode));
}

const uint8_t* PIX_CachedFont::GlyphCoverage(const PIX_CachedGlyph& glyph) const
{
    if (glyph.coverageOffset <= 0 || !coverage.Data()) return nullptr;
    return static_cast<const uint8_t*>(coverage.Data()) + (glyph.coverageOffset - 1);
}

bool PIX_CachedFont::RenderGlyph(int code)
{
    if (cellHeight > kMaximumCellHeight) return false;
    code &= 0xFFFF;
    if (code >= 128 && !AddGlyphRecord(code)) return false;
    int advance = 0;
    PIX_Box box = {0, 0, 0, 0};
    if (!RasteriseGlyph(code, &advance, &box)) return false;
    // Adding the record may have moved every record.
    StoreCoverage(FindGlyph(code), advance, box.right, box.bottom);
    return true;
}

bool PIX_CachedFont::AddGlyphRecord(int code)
{
    if (!PIX_SystemHasWideText()) return false;
    if (FindGlyph(code)) return true;
    if (flags & PIX_FontAsciiOnly) return false;
    const int used = moreGlyphs.Size();
    if (!moreGlyphs.Resize(used + int(sizeof(PIX_CachedGlyph)))) return false;
    const PIX_CachedGlyph fresh = {0, 0, 0, 0, code};
    std::memcpy(static_cast<char*>(moreGlyphs.Data()) + used, &fresh, sizeof(fresh));
    const int count = moreGlyphs.Size() / int(sizeof(PIX_CachedGlyph));
    if (count > 1)
        std::qsort(moreGlyphs.Data(), size_t(count), sizeof(PIX_CachedGlyph), PIX_CompareGlyphCode);
    return true;
}

bool PIX_CachedFont::RasteriseGlyph(int code, int* advance, PIX_Box* box)
{
    const int need = 2 * ((cellHeight > 1 ? cellHeight : 1) + 4);
    if (!PrepareGlyphBitmap(need)) return false;
    PIX_SysBitmap* bitmap = PIX_GlyphBitmap();
    PIX_DeviceContext context = bitmap->DeviceContext();
    const PIX_FontHandle previous =
        fontHandle ? PIX_SelectSystemFont(context, fontHandle) : nullptr;
    const int padding = cellHeight > 15 ? cellHeight / 16 + 2 : 2;
    const bool wide = PIX_SystemHasWideText();

    const uint16_t unit = uint16_t(code);
    const char bytes[2] = {char(code), 0};
    constexpr int kMeasure = PIX_DtCalcRect | PIX_DtNoPrefix | PIX_DtSingleLine;
    if (wide)
        PIX_SystemDrawWideText(context, &unit, 1, box, kMeasure);
    else
        PIX_SystemDrawText(context, bytes, -1, box, kMeasure);
    *advance = box->right - box->left;
    *box = PIX_Box{0, 0, *advance + padding, box->bottom - box->top};
    PIX_FillBox(bitmap, 0, 0, box->right, box->bottom, 0, 1.0f, PIX_CombineCopy);
    if (wide)
        PIX_SystemDrawWideText(context, &unit, 1, box,
                               PIX_DtNoPrefix | PIX_DtNoClip | PIX_DtSingleLine);
    else
        PIX_SystemDrawText(context, bytes, -1, box, PIX_DtNoPrefix | PIX_DtSingleLine);
    if (*advance > bitmap->PixelWidth()) *advance = bitmap->PixelWidth();
    if (box->right > bitmap->PixelWidth()) box->right = bitmap->PixelWidth();
    if (box->bottom > bitmap->PixelHeight()) box->bottom = bitmap->PixelHeight();
    if (fontHandle) PIX_SelectSystemFont(context, previous);
    return true;
}

void PIX_CachedFont::StoreCoverage(PIX_CachedGlyph* glyph, int advance, int width, int height)
{
    const int used = coverage.Size();
    const int64_t grown = int64_t(used) + int64_t(width) * height;
    if (advance <= 0 || height <= 0 || width <= 0 || grown > INT_MAX ||
        !coverage.Resize(int(grown))) {
        glyph->coverageOffset = -1;
        glyph->width = glyph->height = glyph->advance = 0;
        return;
    }
    glyph->advance = advance;
    PIX_SysBitmap* bitmap = PIX_GlyphBitmap();
    if (flags & PIX_FontSoften) PIX_CrossBlurCopy(bitmap, bitmap, 0, 0, 0, 0, width, height);

    uint8_t* map = static_cast<uint8_t*>(coverage.Data()) + used;
    const uint8_t flip = (flags & PIX_FontNegative) ? 0xFF : 0x00;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = RowOf(bitmap, y);
        for (int x = 0; x < width; ++x) map[y * width + x] = row[4 * x + PIX_ChannelRed] ^ flip;
    }
    glyph->coverageOffset = used + 1;

    const int kept = InkedWidth(map, width, height, advance);
    if (kept < width) {
        for (int y = 1; y < height; ++y)
            std::memmove(map + y * kept, map + y * width, size_t(kept));
        coverage.SetUsed(used + kept * height);
    }
    glyph->width = kept;
    glyph->height = height;
    ShapeCoverage(glyph);
}

void PIX_CachedFont::ShapeCoverage(PIX_CachedGlyph* glyph)
{
    uint8_t* map = static_cast<uint8_t*>(coverage.Data()) + (glyph->coverageOffset - 1);
    int w = glyph->width, h = glyph->height;
    const int n = w * h;
    if (flags & PIX_FontSideways) {
        const std::vector<uint8_t> input(map, map + n);
        const bool up = (flags & PIX_FontSidewaysUp) != 0;
        // Output is h wide and w high.
        for (int r = 0; r < w; ++r)
            for (int c = 0; c < h; ++c)
                map[r * h + c] = up ? input[c * w + (w - 1 - r)] : input[(h - 1 - c) * w + r];
        glyph->width = h;
        glyph->height = w;
        w = glyph->width;
        h = glyph->height;
    }
    const bool shadow = (flags & PIX_FontDropShadow) != 0;
    const bool halo = !shadow && (flags & PIX_FontHalo);
    if (!(flags & PIX_FontHardEdges) && !shadow && !halo) return;
    for (int i = 0; i < n; ++i) map[i] = map[i] >= kHardEdgeThreshold ? kFull : 0;
    if (!shadow && !halo) return;
    auto full = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h && map[y * w + x] == kFull;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (map[y * w + x]) continue;
            const bool mark =
                shadow ? full(x - 1, y) || full(x - 1, y - 1) || full(x, y - 1)
                       : full(x - 1, y) || full(x + 1, y) || full(x, y - 1) || full(x, y + 1);
            if (mark) map[y * w + x] = kEdge;
        }
}

bool PIX_CachedFont::PaintGlyph(PIX_IBitmap* bitmap, int code, int x, int y, const PIX_Box* clip)
{
    const PIX_CachedGlyph* glyph = FindGlyph(code);
    if (!glyph || !bitmap || !clip) return false;
    const PIX_Box area = {x, y, PIX_SaturateToInt(int64_t(x) + glyph->width),
                          PIX_SaturateToInt(int64_t(y) + glyph->height)};
    PIX_Box limit = *clip;
    if (limit.left < 0) limit.left = 0;
    if (limit.top < 0) limit.top = 0;
    if (limit.right > bitmap->PixelWidth()) limit.right = bitmap->PixelWidth();
    if (limit.bottom > bitmap->PixelHeight()) limit.bottom = bitmap->PixelHeight();
    const PIX_Box drawn = {area.left > limit.left ? area.left : limit.left,
                           area.top > limit.top ? area.top : limit.top,
                           area.right < limit.right ? area.right : limit.right,
                           area.bottom < limit.bottom ? area.bottom : limit.bottom};
    if (drawn.IsEmpty()) return false;
    const uint8_t* map = GlyphCoverage(*glyph);
    PIX_PackedColor* pixels = bitmap->PixelData();
    if (!map || !pixels) return false;

    if (backgroundFillMode == PIX_BackgroundOpaque)
        PIX_FillBox(bitmap, drawn.left, drawn.top, drawn.right - drawn.left,
                    drawn.bottom - drawn.top, backgroundColor, alpha,
                    combineMode & ~PIX_CombineSourceAlpha);

    const PIX_CombineMode op = combineMode & PIX_CombineOpMask;
    // Each glyph pixel has a weight of its own: the general kernel serves them all.
    const PIX_PixelKernelFn kernel = PIX_GeneralKernel(PIX_PixelKernels, op);
    if (!kernel) return true;
    const bool edged = (flags & (PIX_FontDropShadow | PIX_FontHalo)) != 0;
    const bool mono = edged || (flags & PIX_FontHardEdges);
    const int weight = PIX_WeightFromAlpha(alpha);
    const int monoWeight = weight > 256 ? 256 : weight;
    if ((mono ? monoWeight : weight) <= 0) return true;
    // At full opacity a copy stores the colour itself, alpha byte included.
    const bool store = mono && alpha == 1.0f && op == PIX_CombineCopy;

    const int rowStride = bitmap->RowStride();
    for (int py = drawn.top; py < drawn.bottom; ++py) {
        const int row = bitmap->IsBottomUp() ? bitmap->PixelHeight() - 1 - py : py;
        PIX_PackedColor* line = pixels + ptrdiff_t(row) * rowStride;
        const uint8_t* source = map + ptrdiff_t(py - y) * glyph->width;
        for (int px = drawn.left; px < drawn.right; ++px) {
            const int c = source[px - x];
            if (c == 0) continue;
            const PIX_PackedColor colour = edged && c != kFull ? edgeColor : textColor;
            if (store) {
                line[px] = colour;
                continue;
            }
            int w = monoWeight;
            if (!mono) {
                const int64_t scaled = int64_t(c) * weight / 256;
                w = weight == 256 ? c + 1 : int(scaled < 256 ? scaled : 256);
                if (w <= 0) continue;
            }
            kernel(reinterpret_cast<uint8_t*>(line + px), int((colour >> 16) & 0xFF),
                   int((colour >> 8) & 0xFF), int(colour & 0xFF), 255, w);
        }
    }
    return true;
}
