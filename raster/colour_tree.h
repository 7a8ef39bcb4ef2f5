#pragma once

#include <cstdint>

#include "core/heap_buffer.h"
#include "raster/pixel.h"

class PIX_IBitmap;

// A palette quantiser: an octree of depth 5 over the top five bits of red,
// green and blue. Pixels are counted into the tree, the deepest branching
// node is merged into a leaf whenever there are more leaves than wanted
// colours, and each leaf becomes one palette colour, the average of its
// pixels. Alpha is ignored when counting.

constexpr int PIX_ColorTreeDepth = 5;

// One node. Nodes live in the tree's pool and link to each other by slot
// number; slot 0 holds no node, so a zero link means none.
struct PIX_ColorTreeNode {
    // Pixels that passed through the node and the sums of their channels.
    uint64_t count;
    uint64_t sumRed;
    uint64_t sumGreen;
    uint64_t sumBlue;
    // 0 a leaf, 1..8 one child at slot childState - 1, -1 two or more.
    int32_t childState;
    // The node's colour; for a branching node that of its last leaf.
    int32_t paletteIndex;
    // The next node of the merge list (or, once freed, of the free list).
    int32_t next;
    // At level k the slot is bit k + 2 of red x 4 + green x 2 + blue.
    int32_t children[8];
};

// The root's pool slot; the root is at level 5, its children at level 4,
// the children of level-1 nodes are the leaves at depth 5.
constexpr int32_t PIX_ColorTreeRoot = 1;

struct PIX_ColorTree {
    int wantedColours = 0;
    int leafCount = 0;
    // The heads of the lists of branching nodes, one for each level 1..5
    // (index 0 unused).
    int32_t mergeLists[PIX_ColorTreeDepth + 1] = {};
    // The node pool (HeapBuffer, so that allocation failures can be
    // injected) and the head of its freed slots.
    HeapBuffer nodes{4096};
    int32_t freeNodes = 0;
    // wantedColours entries and the number of colours in them while the
    // palette is built; empty otherwise.
    HeapBuffer palette{4096};
    int paletteColours = 0;
};

// The pool's nodes, valid until the next node is allocated.
inline PIX_ColorTreeNode* PIX_ColorTreeNodes(const PIX_ColorTree* tree)
{
    return static_cast<PIX_ColorTreeNode*>(tree->nodes.Data());
}

// A tree with an empty root and that palette size; null when the root
// cannot be allocated.
PIX_ColorTree* PIX_ColorTreeCreate(int wantedColours);
void PIX_ColorTreeDestroy(PIX_ColorTree* tree);

// Counts every pixel of the bitmap, memory rows first to last, and frees
// the palette; returns the leaf count (0 for a null tree). Null pixels or a
// row stride of 0 or less change nothing. When a node cannot be allocated
// the pixel and the rest of the bitmap are left out.
//
// Once the root itself has been merged, every pixel ends at the root. A
// wanted count of 1 keeps a single leaf, the average of all pixels.
int PIX_ColorTreeAddBitmap(PIX_ColorTree* tree, PIX_IBitmap* bitmap);

// Builds the palette when there is none and copies its wantedColours
// entries to out; returns the number of colours (the leaf count), the
// entries after them 0. A wanted count below 1 has no palette: 0, nothing
// copied. A failed palette allocation gives 0 and zero entries. A null tree
// or out gives 0.
int PIX_ColorTreePalette(PIX_ColorTree* tree, PIX_PackedColor* out);

// The palette index of colour: that of the leaf on its path or, for a branch
// never seen, the last leaf index below the deepest node on its path. Builds
// the palette when there is none; 0 without a palette.
int PIX_ColorTreeLookup(PIX_ColorTree* tree, PIX_PackedColor colour);

// The palette of a bitmap in out (wantedColours entries); returns the number
// of colours. Each colour is alpha 255 with its leaf's channel averages
// (sum x (1 / count) in long double, truncated), in the order of the
// interleaved top bits (bit 7 of red, green and blue, then bit 6, ...).
int PIX_BuildBitmapPalette(PIX_IBitmap* bitmap, PIX_PackedColor* out, int wantedColours);

// Replaces every pixel by the whole word (alpha included) of its nearest
// palette entry by squared RGB distance; ties keep the lower index. Nothing
// for a null palette, a count of 0 or less, null pixels or a row stride of 0
// or less.
void PIX_MapToPalette(PIX_IBitmap* bitmap, const PIX_PackedColor* palette, int count);
