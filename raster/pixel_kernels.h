#pragma once

// The per-pixel arithmetic of the combine modes, as small templates that
// every kernel family instantiates: a family's loop takes one of the pixel
// operations below as a template argument, so the mode is chosen once per
// call and never tested per pixel.
//
// Every division truncates toward zero (C++ integer division does; a shift
// would floor negative numerators). Intermediates are 64-bit, so any int
// weight is defined; channel values are 0..255, or -32768..32767 for the
// clamped forms.

#include <cstdint>

#include "raster/fast_paths.h"
#include "raster/hsv.h"
#include "raster/pixel.h"

inline int64_t PIX_Clamp255(int64_t v)
{
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// Per-channel formulas: destination d, source s, weight w.
struct PIX_CopyFormula {
    static int64_t Apply(int64_t d, int64_t s, int64_t w) { return s + (d - s) * (256 - w) / 256; }
};
struct PIX_AddFormula {
    static int64_t Apply(int64_t d, int64_t s, int64_t w) { return PIX_Clamp255(d + s * w / 256); }
};
struct PIX_DodgeFormula {
    static int64_t Apply(int64_t d, int64_t s, int64_t w)
    {
        const int64_t q = s * w / 256;
        const int64_t v = 256 - q <= 1 ? d * 256 : d * 256 / (256 - q);
        return v <= 255 ? v : 255;
    }
};
struct PIX_MultiplyFormula {
    static int64_t Apply(int64_t d, int64_t s, int64_t w)
    {
        return d * (s * w + (256 - w) * 256) / 65536;
    }
};
struct PIX_SoftLightFormula {
    static int64_t Apply(int64_t d, int64_t s, int64_t w)
    {
        const int64_t t = s * w + (256 - w) * 128;
        return PIX_Clamp255(d * ((32768 - t) * d / 256 + t) / 32768);
    }
};

// How a channel is stored: its low eight bits, or clamped.
struct PIX_WrapStore {
    static uint8_t Store(int64_t v) { return static_cast<uint8_t>(v); }
};
struct PIX_ClampStore {
    static uint8_t Store(int64_t v) { return static_cast<uint8_t>(PIX_Clamp255(v)); }
};

// Effective weight of the source-alpha forms.
inline int64_t PIX_SourceAlphaWeight(int64_t w, int64_t a)
{
    return w * (a + 1) / 256;
}

// Pixel operations: Apply(pixel, r, g, b, a, w).

// A formula on all four channels at weight w.
template <class Formula, class Store>
struct PIX_ChannelOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int w)
    {
        p[0] = Store::Store(Formula::Apply(p[0], b, w));
        p[1] = Store::Store(Formula::Apply(p[1], g, w));
        p[2] = Store::Store(Formula::Apply(p[2], r, w));
        p[3] = Store::Store(Formula::Apply(p[3], a, w));
    }
};

// A formula on all four channels at the effective weight; SkipTransparent
// leaves the pixel alone for a = 0.
template <class Formula, class Store, bool SkipTransparent>
struct PIX_SourceAlphaChannelOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int w)
    {
        if (SkipTransparent && a == 0) return;
        const int64_t e = PIX_SourceAlphaWeight(w, a);
        p[0] = Store::Store(Formula::Apply(p[0], b, e));
        p[1] = Store::Store(Formula::Apply(p[1], g, e));
        p[2] = Store::Store(Formula::Apply(p[2], r, e));
        p[3] = Store::Store(Formula::Apply(p[3], a, e));
    }
};

// Copy with source alpha: colour mixed at the effective weight, alpha
// accumulating it up to 255.
template <class Store, bool SkipTransparent>
struct PIX_CopySourceAlphaOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int w)
    {
        if (SkipTransparent && a == 0) return;
        const int64_t e = PIX_SourceAlphaWeight(w, a);
        p[0] = Store::Store(PIX_CopyFormula::Apply(p[0], b, e));
        p[1] = Store::Store(PIX_CopyFormula::Apply(p[1], g, e));
        p[2] = Store::Store(PIX_CopyFormula::Apply(p[2], r, e));
        const int64_t alpha = p[3] + e;
        p[3] = Store::Store(alpha < 255 ? alpha : 255);
    }
};

// Copy with source alpha at full weight: mixes by (255 - a) / 256, adds a to
// the alpha up to 255; the weight is ignored.
template <class Store>
struct PIX_CopySourceAlphaOpaqueOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int)
    {
        if (a == 0) return;
        const int64_t keep = 255 - int64_t(a);
        p[0] = Store::Store(b + (p[0] - int64_t(b)) * keep / 256);
        p[1] = Store::Store(g + (p[1] - int64_t(g)) * keep / 256);
        p[2] = Store::Store(r + (p[2] - int64_t(r)) * keep / 256);
        const int64_t alpha = p[3] + int64_t(a);
        p[3] = Store::Store(alpha < 255 ? alpha : 255);
    }
};

// Copy at full weight: the source bytes; the weight is ignored.
template <class Store>
struct PIX_StoreOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int)
    {
        p[0] = Store::Store(b);
        p[1] = Store::Store(g);
        p[2] = Store::Store(r);
        p[3] = Store::Store(a);
    }
};

// HSV shift: red, green and blue of the source move the destination's hue,
// saturation and value; the destination alpha becomes a.
template <bool SourceAlpha>
struct PIX_HsvShiftOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int w)
    {
        const int64_t e = SourceAlpha ? PIX_SourceAlphaWeight(w, a) : w;
        int hue, saturation, value;
        PIX_RgbToHsv(p[2], p[1], p[0], &hue, &saturation, &value);
        int64_t h = hue + (int64_t(r) + r / 2 - 192) * e / 256;
        if (h < 0)
            h += 384;
        else if (h >= 384)
            h -= 384;
        h = h < INT32_MIN ? INT32_MIN : (h > INT32_MAX ? INT32_MAX : h);
        const int64_t s = PIX_Clamp255(saturation + (g - int64_t(128)) * e / 128);
        const int64_t v = PIX_Clamp255(value + (b - int64_t(128)) * e / 128);
        const PIX_PackedColor c = PIX_HsvToColor(int(h), int(s), int(v), a);
        p[0] = uint8_t(c);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c >> 16);
        p[3] = uint8_t(c >> 24);
    }
};

// The pixel operations of the twelve combinations of operation and source
// alpha, with wrapping stores, and the opaque copies.
namespace PIX_WrapOp {
using Copy = PIX_ChannelOp<PIX_CopyFormula, PIX_WrapStore>;
using CopyOpaque = PIX_StoreOp<PIX_WrapStore>;
using Add = PIX_ChannelOp<PIX_AddFormula, PIX_WrapStore>;
using Dodge = PIX_ChannelOp<PIX_DodgeFormula, PIX_WrapStore>;
using Multiply = PIX_ChannelOp<PIX_MultiplyFormula, PIX_WrapStore>;
using SoftLight = PIX_ChannelOp<PIX_SoftLightFormula, PIX_WrapStore>;
using HsvShift = PIX_HsvShiftOp<false>;
using CopySourceAlpha = PIX_CopySourceAlphaOp<PIX_WrapStore, true>;
using CopySourceAlphaOpaque = PIX_CopySourceAlphaOpaqueOp<PIX_WrapStore>;
using AddSourceAlpha = PIX_SourceAlphaChannelOp<PIX_AddFormula, PIX_WrapStore, true>;
using DodgeSourceAlpha = PIX_SourceAlphaChannelOp<PIX_DodgeFormula, PIX_WrapStore, false>;
using MultiplySourceAlpha = PIX_SourceAlphaChannelOp<PIX_MultiplyFormula, PIX_WrapStore, true>;
using SoftLightSourceAlpha = PIX_SourceAlphaChannelOp<PIX_SoftLightFormula, PIX_WrapStore, false>;
using HsvShiftSourceAlpha = PIX_HsvShiftOp<true>;
}  // namespace PIX_WrapOp

// A pixel operation as a one-pixel kernel.
template <class Op>
void PIX_PixelKernel(uint8_t* pixel, int r, int g, int b, int a, int weight)
{
    Op::Apply(pixel, r, g, b, a, weight);
}

// The named one-pixel kernels.
// clang-format off
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopy = PIX_PixelKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopyOpaque = PIX_PixelKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopyClamped = PIX_PixelKernel<PIX_ChannelOp<PIX_CopyFormula, PIX_ClampStore>>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelAdd = PIX_PixelKernel<PIX_WrapOp::Add>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelDodge = PIX_PixelKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelMultiply = PIX_PixelKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelMultiplyClamped = PIX_PixelKernel<PIX_ChannelOp<PIX_MultiplyFormula, PIX_ClampStore>>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelSoftLight = PIX_PixelKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelHsvShift = PIX_PixelKernel<PIX_WrapOp::HsvShift>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopySourceAlpha = PIX_PixelKernel<PIX_WrapOp::CopySourceAlpha>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopySourceAlphaOpaque = PIX_PixelKernel<PIX_WrapOp::CopySourceAlphaOpaque>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopySourceAlphaClamped = PIX_PixelKernel<PIX_CopySourceAlphaOp<PIX_ClampStore, true>>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopySourceAlphaOpaqueClamped = PIX_PixelKernel<PIX_CopySourceAlphaOpaqueOp<PIX_ClampStore>>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelAddSourceAlpha = PIX_PixelKernel<PIX_WrapOp::AddSourceAlpha>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelMultiplySourceAlpha = PIX_PixelKernel<PIX_WrapOp::MultiplySourceAlpha>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelMultiplySourceAlphaClamped = PIX_PixelKernel<PIX_SourceAlphaChannelOp<PIX_MultiplyFormula, PIX_ClampStore, true>>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelDodgeSourceAlpha = PIX_PixelKernel<PIX_WrapOp::DodgeSourceAlpha>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelSoftLightSourceAlpha = PIX_PixelKernel<PIX_WrapOp::SoftLightSourceAlpha>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelHsvShiftSourceAlpha = PIX_PixelKernel<PIX_WrapOp::HsvShiftSourceAlpha>;

// The source-alpha forms without the a = 0 test; callers test first.
inline constexpr PIX_PixelKernelFn PIX_BlendPixelSourceAlpha = PIX_PixelKernel<PIX_CopySourceAlphaOp<PIX_WrapStore, false>>;
inline constexpr PIX_PixelKernelFn PIX_AddPixelSourceAlpha = PIX_PixelKernel<PIX_SourceAlphaChannelOp<PIX_AddFormula, PIX_WrapStore, false>>;
inline constexpr PIX_PixelKernelFn PIX_MultiplyPixelSourceAlpha = PIX_PixelKernel<PIX_SourceAlphaChannelOp<PIX_MultiplyFormula, PIX_WrapStore, false>>;
// clang-format on

// The one-pixel families, wrapping and clamping.
inline constexpr PIX_KernelFamily<PIX_PixelKernelFn, 2> PIX_PixelKernels = {
    {PIX_PixelKernelCopy, PIX_PixelKernelAdd, PIX_PixelKernelDodge, PIX_PixelKernelMultiply,
     PIX_PixelKernelSoftLight, PIX_PixelKernelHsvShift},
    {PIX_PixelKernelCopySourceAlpha, PIX_PixelKernelAddSourceAlpha, PIX_PixelKernelDodgeSourceAlpha,
     PIX_PixelKernelMultiplySourceAlpha, PIX_PixelKernelSoftLightSourceAlpha,
     PIX_PixelKernelHsvShiftSourceAlpha},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_PixelKernelCopyOpaque},
      {PIX_CombineSourceAlpha | PIX_CombineCopy, PIX_WeightOpaque, 0.0f,
       PIX_PixelKernelCopySourceAlphaOpaque}}}};

inline constexpr PIX_KernelFamily<PIX_PixelKernelFn, 2> PIX_PixelKernelsClamped = {
    {PIX_PixelKernelCopyClamped, PIX_PixelKernelAdd, PIX_PixelKernelDodge,
     PIX_PixelKernelMultiplyClamped, PIX_PixelKernelSoftLight, PIX_PixelKernelHsvShift},
    {PIX_PixelKernelCopySourceAlphaClamped, PIX_PixelKernelAddSourceAlpha,
     PIX_PixelKernelDodgeSourceAlpha, PIX_PixelKernelMultiplySourceAlphaClamped,
     PIX_PixelKernelSoftLightSourceAlpha, PIX_PixelKernelHsvShiftSourceAlpha},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_PixelKernel<PIX_StoreOp<PIX_ClampStore>>},
      {PIX_CombineSourceAlpha | PIX_CombineCopy, PIX_WeightOpaque, 0.0f,
       PIX_PixelKernelCopySourceAlphaOpaqueClamped}}}};

// The one-pixel kernel of mode AND 0x100FF at a weight, or null when the
// combine draws nothing (weight 0, a negative copy weight, an unknown mode).
PIX_PixelKernelFn PIX_SelectPixelKernel(PIX_CombineMode mode, int weight);

// The word of four channels, each taken to its low eight bits.
inline PIX_PackedColor PIX_PackChannels(int r, int g, int b, int a)
{
    return PIX_PackedColor(a & 0xFF) << 24 | PIX_PackedColor(r & 0xFF) << 16 |
           PIX_PackedColor(g & 0xFF) << 8 | PIX_PackedColor(b & 0xFF);
}

// Whole-word copies at the fixed weights: Mix(colour, pixel) gives the pixel.
struct PIX_StoreWord {
    static PIX_PackedColor Mix(PIX_PackedColor s, PIX_PackedColor) { return s; }
};
struct PIX_HalfWord {
    static PIX_PackedColor Mix(PIX_PackedColor s, PIX_PackedColor d) { return PIX_MixHalf(s, d); }
};
struct PIX_QuarterWord {
    static PIX_PackedColor Mix(PIX_PackedColor s, PIX_PackedColor d)
    {
        return PIX_MixQuarter(s, d);
    }
};
struct PIX_ThreeQuarterWord {
    static PIX_PackedColor Mix(PIX_PackedColor s, PIX_PackedColor d)
    {
        return PIX_MixThreeQuarter(s, d);
    }
};
