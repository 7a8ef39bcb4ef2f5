// How controls draw image frames and texts into the editor's draw surface.

#include "editor/graphics.h"
#include "raster/blit.h"
#include "raster/cached_font.h"
#include "raster/sys_bitmap.h"

bool IGraphics::BlitImage(const IImageStrip* strip, const IBox* dest, int srcX, int srcY,
                          const IBlend* blend)
{
    if (!strip || !dest || dest->Empty()) return true;
    const float alpha = BlendAlpha(blend);
    const PIX_CombineMode mode = BlendMode(blend);
    for (const IBox& piece : drawClip) {
        const IBox area = dest->Intersection(piece);
        if (!HasPixels(area)) continue;
        PIX_CopyRegionXYWH(drawSurface, strip->bitmap, area.left, area.top,
                           area.left + srcX - dest->left, area.top + srcY - dest->top, area.Width(),
                           area.Height(), alpha, mode);
    }
    return true;
}

bool IGraphics::BlitImageFrame(const IImageStrip* strip, const IBox* dest, int frame,
                               const IBlend* blend)
{
    if (!strip) return true;
    int srcX = 0, srcY = 0;
    if (strip->frames >= 2 && frame >= 2) {
        const int size = strip->framesHorizontal ? strip->width : strip->height;
        const int offset = int(double(size) * (frame - 1) / strip->frames + 0.5);
        (strip->framesHorizontal ? srcX : srcY) = offset;
    }
    return BlitImage(strip, dest, srcX, srcY, blend);
}

bool IGraphics::DrawTextInBox(ITextStyle* style, const char* text, IBox* box, bool measure)
{
    if (!text || !*text) return true;
    if (!style || !box) return false;
    PIX_CachedFont* font = style->cachedFont ? style->cachedFont : CachedFontFor(style);
    if (!font) return false;
    font->SetForegroundColor(style->colour.Packed());
    int flags = PIX_DtNoClip;
    if (style->colour.alpha != 255) flags |= PIX_TextColorAlpha;
    if (style->align == 1)
        flags |= PIX_DtCenter;
    else if (style->align != 0)
        flags |= PIX_DtRight;

    if (!measure) {
        PIX_Box area = {box->left, box->top, box->right, box->bottom};
        font->PaintText(drawSurface, text, -1, &area, flags);
        return true;
    }
    PIX_Box measured = {0, 0, 0, 0};
    font->PaintText(drawSurface, text, -1, &measured, flags | PIX_DtCalcRect);
    if (style->align == 0) {
        box->right = box->left + measured.right;
    } else if (style->align == 1) {
        const int centre = int(float(box->left + box->right) * 0.5f);
        box->left = centre - measured.right / 2;
        box->right = box->left + measured.right;
    } else {
        box->left = box->right - measured.right;
    }
    box->bottom = box->top + measured.bottom;
    return true;
}
