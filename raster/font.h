#pragma once

#include "raster/bitmap.h"
#include "raster/pixel.h"

// The system's font, opaque here (HFONT on Windows).
struct HFONT__;
using PIX_FontHandle = HFONT__*;

// Font flags of PIX_IFont::AttachFont.
constexpr int PIX_FontSideways = 0x1;
constexpr int PIX_FontSidewaysUp = 0x2;
constexpr int PIX_FontAsciiOnly = 0x4;
constexpr int PIX_FontSoften = 0x10;
constexpr int PIX_FontNegative = 0x20;
constexpr int PIX_FontHardEdges = 0x40;
constexpr int PIX_FontDropShadow = 0x80;
constexpr int PIX_FontHalo = 0x100;
constexpr int PIX_FontOwnsGdiFont = 0x200;
constexpr int PIX_FontSystemRenderer = 0x400;

// Text flags of PIX_IFont::PaintText: the system's text-drawing flags (these
// are interpreted, other bits go to the system renderer unchanged) and two
// of the font's own.
constexpr int PIX_DtCenter = 0x1;
constexpr int PIX_DtRight = 0x2;
constexpr int PIX_DtVCenter = 0x4;
constexpr int PIX_DtBottom = 0x8;
constexpr int PIX_DtSingleLine = 0x20;
constexpr int PIX_DtNoClip = 0x100;
constexpr int PIX_DtCalcRect = 0x400;
constexpr int PIX_DtNoPrefix = 0x800;
// The font's alpha is multiplied by the text colour's alpha / 255.
constexpr int PIX_TextColorAlpha = 0x40000000;
// The call must not use the system renderer.
constexpr int PIX_TextNested = int(0x80000000u);

// Background fill modes (the system's background modes).
constexpr int PIX_BackgroundTransparent = 1;
constexpr int PIX_BackgroundOpaque = 2;

// A font that draws or measures UTF-8 text in a bitmap.
class PIX_IFont {
public:
    virtual ~PIX_IFont() {}
    virtual void AttachFont(PIX_FontHandle font, int flags) = 0;
    // The setters return the previous value.
    virtual PIX_PackedColor SetForegroundColor(PIX_PackedColor colour) = 0;
    virtual PIX_PackedColor SetBackgroundColor(PIX_PackedColor colour) = 0;
    virtual PIX_PackedColor SetEdgeColor(PIX_PackedColor colour) = 0;
    virtual int SetBackgroundFillMode(int mode) = 0;
    virtual void SetBlend(PIX_CombineMode mode, float alpha) = 0;
    // Draws text (length bytes, or up to its zero when negative) in box, or
    // measures it into box with PIX_DtCalcRect; the bitmap may then be null.
    // Returns the height covered (the width for sideways fonts), 0 on failure.
    virtual int PaintText(PIX_IBitmap* bitmap, const char* utf8Text, int length, PIX_Box* box,
                          int flags) = 0;
    virtual PIX_PackedColor ForegroundColor() = 0;
    virtual PIX_FontHandle FontHandle() = 0;
    virtual int CellHeight() = 0;
};
