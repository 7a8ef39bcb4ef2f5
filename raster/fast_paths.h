#pragma once

// Choosing the one kernel a call runs, as data. Each primitive's kernels form
// a family: a general kernel for every combination and a short list of fast
// paths; PIX_SelectKernel is the one lookup every primitive calls.
//
// The rules, the same for every family:
// - a weight of 0 draws nothing, nor does a plain copy at a negative weight;
// - operations past PIX_CombineHsvShift draw nothing (a primitive that has
//   single-channel copies handles them before it selects);
// - the fast paths are tried in their order; the first whose combination and
//   weight are the call's, and whose alpha (when not 0) is exactly the
//   call's, serves;
// - otherwise the general kernel of the combination serves; a null slot
//   draws nothing.
// Families without source-alpha forms (the flag folded into the weight, or
// ignored) are called with the operation alone and leave those kernels null.
//
// A new family: its kernel type, a PIX_KernelFamily of its kernels and fast
// paths next to them, and PIX_SelectKernel where the primitive draws.

#include <array>
#include <cstddef>

#include "raster/pixel.h"

// The weights that have fast paths, in 1/256.
constexpr int PIX_WeightOpaque = 256;
constexpr int PIX_WeightHalf = 128;
constexpr int PIX_WeightQuarter = 64;
constexpr int PIX_WeightThreeQuarter = 192;

constexpr int PIX_GeneralOperationCount = int(PIX_CombineHsvShift) + 1;

template <class Fn>
struct PIX_FastPath {
    PIX_CombineMode combination;  // the operation, with PIX_CombineSourceAlpha or not
    int weight;
    float alpha;  // 0: any alpha of that weight
    Fn kernel;
};

template <class Fn, size_t FastPathCount = 0>
struct PIX_KernelFamily {
    std::array<Fn, PIX_GeneralOperationCount> plain;        // Copy to HsvShift
    std::array<Fn, PIX_GeneralOperationCount> sourceAlpha;  // the same with source alpha
    std::array<PIX_FastPath<Fn>, FastPathCount> fastPaths;
};

// The general kernel of a combination, whatever the weight; null past
// PIX_CombineHsvShift.
template <class Fn, size_t N>
Fn PIX_GeneralKernel(const PIX_KernelFamily<Fn, N>& family, PIX_CombineMode combination)
{
    const PIX_CombineMode op = combination & PIX_CombineOpMask;
    if (op >= PIX_CombineMode(PIX_GeneralOperationCount)) return nullptr;
    return (combination & PIX_CombineSourceAlpha ? family.sourceAlpha : family.plain)[op];
}

// The kernel that draws combination (mode & (PIX_CombineSourceAlpha |
// PIX_CombineOpMask), or the operation alone) at weight, from alpha; null
// when nothing is drawn.
template <class Fn, size_t N>
Fn PIX_SelectKernel(const PIX_KernelFamily<Fn, N>& family, PIX_CombineMode combination, int weight,
                    float alpha)
{
    if (weight == 0 || (combination == PIX_CombineCopy && weight < 0)) return nullptr;
    for (const PIX_FastPath<Fn>& path : family.fastPaths)
        if (path.combination == combination && path.weight == weight &&
            (path.alpha == 0.0f || path.alpha == alpha))
            return path.kernel;
    return PIX_GeneralKernel(family, combination);
}
