#pragma once

#include <cstdint>

#include "core/heap_buffer.h"
#include "raster/font.h"

class PIX_SysBitmap;

// A rendered glyph: coverageOffset is the offset of its coverage bytes plus
// 1 (0 not rendered yet, -1 rendered with nothing to draw); the map is
// width x height bytes without padding; advance is the pen step.
struct PIX_CachedGlyph {
    int32_t coverageOffset;
    int32_t width;
    int32_t height;
    int32_t advance;
    int32_t code;
};

// Orders two glyph records by code (qsort style).
int PIX_CompareGlyphCode(const void* a, const void* b);

// Decodes one UTF-8 character and returns the bytes it used; the code is
// written when code is not null. Invalid or incomplete sequences give their
// lead byte; characters beyond 16 bits give a blank.
int PIX_DecodeUtf8(const char* text, uint16_t* code);
// The same, reading at most available bytes (a lead whose continuation lies
// beyond them counts as incomplete).
int PIX_DecodeUtf8Bounded(const char* text, int available, uint16_t* code);

// A font over a system font that draws either through the system renderer
// or from a cache of glyph coverage maps, each glyph rendered once.
class PIX_CachedFont : public PIX_IFont {
public:
    PIX_CachedFont();
    ~PIX_CachedFont() override;
    PIX_CachedFont(const PIX_CachedFont&) = delete;
    PIX_CachedFont& operator=(const PIX_CachedFont&) = delete;

    void AttachFont(PIX_FontHandle font, int flags) override;
    PIX_PackedColor SetForegroundColor(PIX_PackedColor colour) override;
    PIX_PackedColor SetBackgroundColor(PIX_PackedColor colour) override;
    PIX_PackedColor SetEdgeColor(PIX_PackedColor colour) override;
    int SetBackgroundFillMode(int mode) override;
    void SetBlend(PIX_CombineMode mode, float alpha) override;
    int PaintText(PIX_IBitmap* bitmap, const char* utf8Text, int length, PIX_Box* box,
                  int flags) override;
    PIX_PackedColor ForegroundColor() override { return textColor; }
    PIX_FontHandle FontHandle() override { return fontHandle; }
    int CellHeight() override { return cellHeight; }

    // The record of a code (16 bits), or null.
    PIX_CachedGlyph* FindGlyph(int code);
    bool RenderGlyph(int code);
    // Paints a glyph with its top-left corner at (x, y), within clip.
    bool PaintGlyph(PIX_IBitmap* bitmap, int code, int x, int y, const PIX_Box* clip);

    // The coverage map of a rendered glyph, or null.
    const uint8_t* GlyphCoverage(const PIX_CachedGlyph& glyph) const;

private:
    int PaintWithSystem(PIX_IBitmap* bitmap, const char* text, int length, PIX_Box* box, int flags);
    int MeasureCached(const char* text, int length, PIX_Box* box, int flags);
    int DrawCached(PIX_IBitmap* bitmap, const char* text, int length, PIX_Box* box, int flags,
                   bool nested);
    // The glyph of the next character, rendered when needed; null skips it.
    const PIX_CachedGlyph* GlyphToDraw(int code);
    void DropGlyphs();
    // The record of a code from 128 on, added in order when missing.
    bool AddGlyphRecord(int code);
    // Draws a code into the glyph bitmap: its advance, and the box it inked.
    bool RasteriseGlyph(int code, int* advance, PIX_Box* box);
    // Copies the glyph bitmap's coverage into the map, trimmed to its ink.
    void StoreCoverage(PIX_CachedGlyph* glyph, int advance, int width, int height);
    void ShapeCoverage(PIX_CachedGlyph* glyph);

    PIX_PackedColor textColor = 0;
    PIX_PackedColor backgroundColor = 0xFFFFFFFF;
    PIX_PackedColor edgeColor = 0xFFFFFFFF;
    int backgroundFillMode = PIX_BackgroundTransparent;
    PIX_CombineMode combineMode = 0;
    float alpha = 1.0f;
    int flags = 0;
    int cellHeight = 0;
    PIX_CachedGlyph directGlyphs[128] = {};
    HeapBuffer moreGlyphs{4096};
    HeapBuffer coverage{65536};
    PIX_FontHandle fontHandle = nullptr;
};

// The bitmap every font renders its glyphs in, and the scratch bitmap of the
// system renderer; both live until the last font is destroyed.
PIX_SysBitmap* PIX_GlyphBitmap();
PIX_SysBitmap* PIX_TextScratchBitmap();

// Which renderer PaintText may choose: Automatic follows the Wine finding;
// tests force the system renderer (as if not under Wine) or the glyph cache.
enum class PIX_TextRendererChoice { Automatic, SystemWhereAllowed, GlyphCache };
void PIX_ForceTextRenderer(PIX_TextRendererChoice choice);
