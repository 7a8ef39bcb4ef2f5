#include <cstddef>
#include <cstdlib>
#include <new>

#include "raster/font8x8.h"
#include "raster/native_context.h"
#include "raster/text_system.h"

// A native font: cells of cellHeight rows; each glyph is the 8x8 glyph scaled
// to glyphWidth x cellHeight, and the pen moves by advance, 7/8 of the glyph,
// so ink in a glyph's last column reaches into the next cell.
struct HFONT__ {
    int cellHeight;
    int glyphWidth;
    int advance;
};

struct HDC__ {
    PIX_IBitmap* bitmap;
    PIX_FontHandle font;
    uint32_t textColour;
    uint32_t backgroundColour;
    int backgroundMode;
};

namespace {

constexpr int kDefaultCellHeight = 16;

HFONT__ MakeFont(int height, int width)
{
    HFONT__ font;
    font.cellHeight = height < 0 ? -height : (height == 0 ? kDefaultCellHeight : height);
    font.glyphWidth = width > 0 ? width : (font.cellHeight * 3 + 2) / 4;
    if (font.glyphWidth < 1) font.glyphWidth = 1;
    font.advance = (font.glyphWidth * 7 + 4) / 8;
    if (font.advance < 1) font.advance = 1;
    return font;
}

const HFONT__ kDefaultFont = MakeFont(kDefaultCellHeight, 0);

const HFONT__& FontOf(const HDC__* context)
{
    return context->font ? *context->font : kDefaultFont;
}

// Rows of the glyph drawn for code 0 and for codes without a glyph: a box.
constexpr uint8_t kMissingGlyph[8] = {0x00, 0xFC, 0x84, 0x84, 0x84, 0x84, 0xFC, 0x00};

const uint8_t* GlyphRows(unsigned code)
{
    return code >= 1 && code <= 127 ? &PIX_Glyphs8x8[8 * (code - 1)] : kMissingGlyph;
}

// Length of the overlap of [a, a + n) and [b, b + m).
int Overlap(int a, int n, int b, int m)
{
    const int lo = a > b ? a : b;
    const int hi = a + n < b + m ? a + n : b + m;
    return hi > lo ? hi - lo : 0;
}

// Coverage 0..255 of output pixel (ox, oy) of a glyph scaled to w x h: the
// share of its area that ink pixels cover. Source pixels are w (h) units wide
// (high), output pixels 8.
int Coverage(const uint8_t* rows, int w, int h, int ox, int oy)
{
    int area = 0;
    for (int sy = oy * 8 / h; sy < 8 && sy * h < (oy + 1) * 8; ++sy) {
        const int dy = Overlap(sy * h, h, oy * 8, 8);
        for (int sx = ox * 8 / w; sx < 8 && sx * w < (ox + 1) * 8; ++sx)
            if (rows[sy] & (0x80 >> sx)) area += dy * Overlap(sx * w, w, ox * 8, 8);
    }
    return area * 255 / 64;
}

PIX_PackedColor* PixelAt(PIX_IBitmap* bitmap, int x, int y)
{
    const int row = bitmap->IsBottomUp() ? bitmap->PixelHeight() - 1 - y : y;
    return bitmap->PixelData() + (ptrdiff_t(row) * bitmap->RowStride() + x);
}

// Mixes a system colour into a pixel by coverage / 255; alpha is kept.
void MixPixel(PIX_PackedColor* p, uint32_t colour, int coverage)
{
    const uint8_t source[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
    uint8_t* bytes = reinterpret_cast<uint8_t*>(p);
    for (int i = 0; i < 3; ++i)
        bytes[i] = uint8_t(bytes[i] + (source[i] - bytes[i]) * coverage / 255);
}

struct Painter {
    HDC__* context;
    PIX_Box clip;

    void Fill(int x, int y, int w, int h, uint32_t colour) const
    {
        for (int py = y < clip.top ? clip.top : y; py < y + h && py < clip.bottom; ++py)
            for (int px = x < clip.left ? clip.left : x; px < x + w && px < clip.right; ++px)
                MixPixel(PixelAt(context->bitmap, px, py), colour, 255);
    }

    void Glyph(unsigned code, int x, int y) const
    {
        const HFONT__& font = FontOf(context);
        if (context->backgroundMode == PIX_BackgroundOpaque)
            Fill(x, y, font.advance, font.cellHeight, context->backgroundColour);
        const uint8_t* rows = GlyphRows(code);
        for (int oy = 0; oy < font.cellHeight; ++oy) {
            if (y + oy < clip.top || y + oy >= clip.bottom) continue;
            for (int ox = 0; ox < font.glyphWidth; ++ox) {
                if (x + ox < clip.left || x + ox >= clip.right) continue;
                const int c = Coverage(rows, font.glyphWidth, font.cellHeight, ox, oy);
                if (c) MixPixel(PixelAt(context->bitmap, x + ox, y + oy), context->textColour, c);
            }
        }
    }
};

template <class Unit>
int Length(const Unit* text, int length)
{
    if (length >= 0) return length;
    int n = 0;
    while (text[n]) ++n;
    return n;
}

// Calls line(begin, end) for each line: LF, CR and CR LF end a line unless
// single-line; a break always starts a new one.
template <class Unit, class LineFn>
void ForEachLine(const Unit* text, int n, bool singleLine, LineFn line)
{
    for (int i = 0;;) {
        int end = i;
        if (singleLine)
            end = n;
        else
            while (end < n && text[end] != '\n' && text[end] != '\r') ++end;
        line(i, end);
        if (end >= n) return;
        i = end + 1;
        if (text[end] == '\r' && i < n && text[i] == '\n') ++i;
    }
}

template <class Unit>
int DrawUnits(HDC__* context, const Unit* text, int length, PIX_Box* box, int flags)
{
    if (!context || !text || !box) return 0;
    const HFONT__& font = FontOf(context);
    const int n = Length(text, length);
    const bool singleLine = (flags & PIX_DtSingleLine) != 0;

    int lines = 0, widest = 0;
    ForEachLine(text, n, singleLine, [&](int begin, int end) {
        const int width = (end - begin) * font.advance;
        if (width > widest) widest = width;
        ++lines;
    });
    const int height = lines * font.cellHeight;
    if (flags & PIX_DtCalcRect) {
        box->right = box->left + widest;
        box->bottom = box->top + height;
        return height;
    }

    PIX_IBitmap* bitmap = context->bitmap;
    if (!bitmap || !bitmap->PixelData()) return 0;
    Painter painter{context, {0, 0, bitmap->PixelWidth(), bitmap->PixelHeight()}};
    if (!(flags & PIX_DtNoClip)) {
        if (box->left > painter.clip.left) painter.clip.left = box->left;
        if (box->top > painter.clip.top) painter.clip.top = box->top;
        if (box->right < painter.clip.right) painter.clip.right = box->right;
        if (box->bottom < painter.clip.bottom) painter.clip.bottom = box->bottom;
    }
    int y = box->top;
    if (singleLine && (flags & PIX_DtBottom))
        y = box->bottom - font.cellHeight;
    else if (singleLine && (flags & PIX_DtVCenter))
        y = box->top + (box->bottom - box->top - font.cellHeight) / 2;
    const int firstY = y;
    if (painter.clip.IsEmpty()) return firstY - box->top + height;
    ForEachLine(text, n, singleLine, [&](int begin, int end) {
        const int width = (end - begin) * font.advance;
        int x = box->left;
        if (flags & PIX_DtRight)
            x = box->right - width;
        else if (flags & PIX_DtCenter)
            x = box->left + (box->right - box->left - width) / 2;
        for (int k = begin; k < end; ++k, x += font.advance)
            painter.Glyph(unsigned(text[k]) & 0xFFFF, x, y);
        y += font.cellHeight;
    });
    return firstY - box->top + height;
}

}  // namespace

PIX_DeviceContext PIX_CreateNativeContext(PIX_IBitmap* bitmap)
{
    return new (std::nothrow) HDC__{bitmap, nullptr, 0x000000, 0xFFFFFF, PIX_BackgroundOpaque};
}

void PIX_DeleteNativeContext(PIX_DeviceContext context)
{
    delete context;
}

PIX_FontHandle PIX_CreateSystemFont(const PIX_FontRequest& request)
{
    return new (std::nothrow) HFONT__(MakeFont(request.height, request.width));
}

void PIX_DeleteSystemFont(PIX_FontHandle font)
{
    delete font;
}

PIX_FontHandle PIX_SelectSystemFont(PIX_DeviceContext context, PIX_FontHandle font)
{
    if (!context) return nullptr;
    const PIX_FontHandle previous = context->font;
    context->font = font;
    return previous;
}

int PIX_SystemFontHeight(PIX_DeviceContext context)
{
    return context ? FontOf(context).cellHeight : 0;
}

void PIX_SetSystemTextColours(PIX_DeviceContext context, uint32_t textColour, int backgroundMode,
                              const uint32_t* backgroundColour)
{
    if (!context) return;
    context->textColour = textColour;
    if (backgroundColour) context->backgroundColour = *backgroundColour;
    context->backgroundMode = backgroundMode;
}

int PIX_SystemDrawText(PIX_DeviceContext context, const char* text, int length, PIX_Box* box,
                       int flags)
{
    return DrawUnits(context, reinterpret_cast<const unsigned char*>(text), length, box, flags);
}

int PIX_SystemDrawWideText(PIX_DeviceContext context, const uint16_t* text, int length,
                           PIX_Box* box, int flags)
{
    return DrawUnits(context, text, length, box, flags);
}

int PIX_SystemUtf8ToWide(const char* text, int length, uint16_t* out, int capacity)
{
    if (!text) return 0;
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    const int n = length < 0 ? Length(s, -1) + 1 : length;
    int written = 0;
    auto put = [&](uint32_t unit) {
        if (out && written >= capacity) return false;
        if (out) out[written] = uint16_t(unit);
        ++written;
        return true;
    };
    for (int i = 0; i < n;) {
        const uint32_t lead = s[i];
        const int extra = lead < 0x80                    ? 0
                          : lead >= 0xC2 && lead <= 0xDF ? 1
                          : lead >= 0xE0 && lead <= 0xEF ? 2
                          : lead >= 0xF0 && lead <= 0xF4 ? 3
                                                         : -1;
        if (extra < 0 || i + extra >= n) return 0;
        uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return 0;
            code = code << 6 | (s[i + k] & 0x3F);
        }
        static constexpr uint32_t kSmallest[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return 0;
        if (code >= 0x10000) {
            if (!put(0xD800 + ((code - 0x10000) >> 10)) || !put(0xDC00 + (code & 0x3FF))) return 0;
        } else if (!put(code)) {
            return 0;
        }
        i += extra + 1;
    }
    return written;
}

bool PIX_SystemHasWideText()
{
    return true;
}

bool PIX_SystemIsWine()
{
    return false;
}
