#pragma once

// The value records the editor, its controls and the analyser's editor pass
// to each other, and the framework's colour constants.

#include <cstdint>

#include "raster/pixel.h"

class PIX_IBitmap;
class PIX_CachedFont;

// A rectangle in editor pixels; right and bottom are exclusive. Only the
// all-zero box is empty.
struct IBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool Empty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(int x, int y) const
    {
        return !Empty() && left <= x && x < right && top <= y && y < bottom;
    }
    // One-sided at the edges: a box starting at this right (bottom) edge
    // intersects, one ending at this left (top) edge does not.
    bool Intersects(const IBox& o) const
    {
        return !Empty() && !o.Empty() && o.left <= right && left < o.right && o.top <= bottom &&
               top < o.bottom;
    }
    IBox Intersection(const IBox& o) const
    {
        return {left > o.left ? left : o.left, top > o.top ? top : o.top,
                right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
    }
    IBox Union(const IBox& o) const
    {
        if (Empty()) return o;
        if (o.Empty()) return *this;
        return {left < o.left ? left : o.left, top < o.top ? top : o.top,
                right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom};
    }
};

// An editor colour, channels 0 to 255.
struct IArgb {
    int alpha = 255;
    int red = 0;
    int green = 0;
    int blue = 0;

    // The alpha is shifted unmasked; callers keep it within 0 to 255.
    PIX_PackedColor Packed() const
    {
        return PIX_PackedColor(alpha) << 24 | PIX_PackedColor(red & 255) << 16 |
               PIX_PackedColor(green & 255) << 8 | PIX_PackedColor(blue & 255);
    }
    // A system colour value: red in the low byte; the alpha is dropped.
    uint32_t SystemColour() const
    {
        return uint32_t(red & 255) | uint32_t(green & 255) << 8 | uint32_t(blue & 255) << 16;
    }
};

inline constexpr IArgb kArgbTransparent = {0, 0, 0, 0};
inline constexpr IArgb kArgbBlack = {255, 0, 0, 0};
inline constexpr IArgb kArgbGrey = {255, 127, 127, 127};
inline constexpr IArgb kArgbWhite = {255, 255, 255, 255};
inline constexpr IArgb kArgbRed = {255, 255, 0, 0};
inline constexpr IArgb kArgbGreen = {255, 0, 255, 0};
inline constexpr IArgb kArgbBlue = {255, 0, 0, 255};
inline constexpr IArgb kArgbYellow = {255, 255, 255, 0};
inline constexpr IArgb kArgbOrange = {255, 255, 127, 0};
inline constexpr IArgb kTextDefaultColour = {255, 0, 0, 0};
inline constexpr IArgb kEntryDefaultBackground = {255, 255, 255, 255};
inline constexpr IArgb kEntryDefaultForeground = {255, 0, 0, 0};

// How a control's text is drawn and how a text entry for it looks.
struct ITextStyle {
    char face[32] = "Verdana";
    int size = 12;  // the system font's height in pixels
    IArgb colour = kTextDefaultColour;
    IArgb entryBackground = kEntryDefaultBackground;
    IArgb entryForeground = kEntryDefaultForeground;
    int weightStyle = 0;  // 0 normal, 1 bold, 2 italic, other values normal
    int align = 1;        // 0 left, 1 centred, 2 right
    int orientation = 0;  // degrees counter-clockwise
    int quality = 0;      // 0 default, 2 antialiased, 3 ClearType, others non-antialiased
    PIX_CachedFont* cachedFont = nullptr;  // found in the font cache; not owned
};

// Buttons and modifier keys held during a mouse event.
struct IPointerKeys {
    bool left = false;
    bool right = false;
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

// A decoded image of one or more equal frames; the bitmap belongs to the
// image cache.
struct IImageStrip {
    PIX_IBitmap* bitmap = nullptr;
    int width = 0;
    int height = 0;
    int frames = 1;
    bool framesHorizontal = false;
};

// How a control's images are combined into the editor's bitmap.
struct IBlend {
    int kind = 0;  // 1 opaque copy, 2 additive, 3 colour dodge, others copy through alpha
    float weight = 1.0f;

    PIX_CombineMode CombineMode(bool rotated = false) const
    {
        PIX_CombineMode mode;
        switch (kind) {
            case 1:
                mode = PIX_CombineCopy;
                break;
            case 2:
                mode = PIX_CombineAdd | PIX_CombineSourceAlpha;
                break;
            case 3:
                mode = PIX_CombineDodge | PIX_CombineSourceAlpha;
                break;
            default:
                mode = PIX_CombineCopy | PIX_CombineSourceAlpha;
                break;
        }
        return rotated ? mode | PIX_CombineBilinear : mode;
    }
};

// The combine of a drawing call made without a blend.
inline constexpr PIX_CombineMode kUnblendedMode = PIX_CombineCopy | PIX_CombineSourceAlpha;

// What a drawing call's blend, or none, gives the raster call.
inline float BlendAlpha(const IBlend* blend)
{
    return blend ? blend->weight : 1.0f;
}
inline PIX_CombineMode BlendMode(const IBlend* blend)
{
    return blend ? blend->CombineMode() : kUnblendedMode;
}

// A key for the controls' key handler: 0 space, 1 to 4 up, down, left,
// right, 5 to 14 digits, 15 to 40 letters (keypad 1 to 9 and F1 to F11
// share them).
using IKeyCode = int;
constexpr IKeyCode kNoKeyCode = -1;

// The key code of a virtual key, kNoKeyCode for a key without one.
inline IKeyCode KeyCodeForVirtualKey(int vk)
{
    switch (vk) {
        case 0x20:
            return 0;
        case 0x26:
            return 1;
        case 0x28:
            return 2;
        case 0x25:
            return 3;
        case 0x27:
            return 4;
        default:
            break;
    }
    if (vk >= 0x30 && vk <= 0x39) return vk - 43;
    if (vk >= 0x41 && vk <= 0x5A) return vk - 50;
    if (vk >= 0x61 && vk <= 0x7A) return vk - 82;
    return kNoKeyCode;
}
