#include "raster/colour_tree.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

#include "raster/bitmap.h"
#include "raster/float_to_int.h"

namespace {

constexpr int32_t kNoNode = 0;
constexpr int kNodeBytes = int(sizeof(PIX_ColorTreeNode));

PIX_ColorTreeNode& NodeAt(PIX_ColorTree* tree, int32_t index)
{
    return PIX_ColorTreeNodes(tree)[index];
}

int ChildSlot(uint32_t red, uint32_t green, uint32_t blue, int level)
{
    const int bit = level + 2;
    return int((red >> bit & 1) << 2 | (green >> bit & 1) << 1 | (blue >> bit & 1));
}

// A zero-filled node from the freed slots or the end of the pool; kNoNode
// when the pool cannot grow. Moves the pool.
int32_t NewNode(PIX_ColorTree* tree)
{
    int32_t index = tree->freeNodes;
    if (index != kNoNode) {
        tree->freeNodes = NodeAt(tree, index).next;
    } else {
        const int used = tree->nodes.Size();
        if (!tree->nodes.Resize(used + kNodeBytes)) return kNoNode;
        index = used / kNodeBytes;
    }
    NodeAt(tree, index) = PIX_ColorTreeNode{};
    return index;
}

void ReleaseNode(PIX_ColorTree* tree, int32_t index)
{
    NodeAt(tree, index).next = tree->freeNodes;
    tree->freeNodes = index;
}

void CountPixel(PIX_ColorTreeNode& node, uint32_t red, uint32_t green, uint32_t blue)
{
    ++node.count;
    node.sumRed += red;
    node.sumGreen += green;
    node.sumBlue += blue;
}

// Frees the node and its subtree; each leaf freed lowers the leaf count.
void PIX_ColorTreeFreeNode(PIX_ColorTree* tree, int32_t index)
{
    PIX_ColorTreeNode& node = NodeAt(tree, index);
    if (node.childState == 0) --tree->leafCount;
    for (int32_t child : node.children)
        if (child != kNoNode) PIX_ColorTreeFreeNode(tree, child);
    ReleaseNode(tree, index);
}

// Turns the head of the deepest non-empty merge list into a leaf holding
// its whole subtree; nothing when every list is empty.
void MergeDeepest(PIX_ColorTree* tree)
{
    for (int level = 1; level <= PIX_ColorTreeDepth; ++level) {
        const int32_t index = tree->mergeLists[level];
        if (index == kNoNode) continue;
        PIX_ColorTreeNode& node = NodeAt(tree, index);
        tree->mergeLists[level] = node.next;
        node.next = kNoNode;
        for (int32_t& child : node.children) {
            if (child != kNoNode) PIX_ColorTreeFreeNode(tree, child);
            child = kNoNode;
        }
        node.childState = 0;
        ++tree->leafCount;
        return;
    }
}

// Counts one pixel into every node of its path, growing the branch down to
// a new leaf at depth 5 where it ends. The new nodes are allocated before
// anything is counted: false, and the tree unchanged, when that fails.
bool AddPixel(PIX_ColorTree* tree, PIX_PackedColor pixel)
{
    const uint32_t red = pixel >> 16 & 255, green = pixel >> 8 & 255, blue = pixel & 255;
    int32_t path[PIX_ColorTreeDepth + 1];
    int length = 0;
    int32_t at = PIX_ColorTreeRoot;
    int level = PIX_ColorTreeDepth;
    path[length++] = at;

    const PIX_ColorTreeNode* nodes = PIX_ColorTreeNodes(tree);
    // Below the root a node without children is a leaf; the root is one
    // only once it holds pixels.
    bool atLeaf = nodes[at].childState == 0 && nodes[at].count > 0;
    while (!atLeaf) {
        const int32_t child = nodes[at].children[ChildSlot(red, green, blue, level)];
        if (child == kNoNode) break;
        at = child;
        --level;
        path[length++] = at;
        atLeaf = nodes[at].childState == 0;
    }

    // One new node for each level below the end of the branch.
    int32_t branch[PIX_ColorTreeDepth];
    const int missing = atLeaf ? 0 : level;
    for (int i = 0; i < missing; ++i) {
        branch[i] = NewNode(tree);
        if (branch[i] != kNoNode) continue;
        while (i > 0) ReleaseNode(tree, branch[--i]);
        return false;
    }

    for (int i = 0; i < length; ++i) CountPixel(NodeAt(tree, path[i]), red, green, blue);
    for (int i = 0; i < missing; ++i, --level) {
        PIX_ColorTreeNode& parent = NodeAt(tree, at);
        const int slot = ChildSlot(red, green, blue, level);
        if (parent.childState == 0) {
            parent.childState = slot + 1;
        } else if (parent.childState > 0) {
            parent.childState = -1;
            parent.next = tree->mergeLists[level];
            tree->mergeLists[level] = at;
        }
        parent.children[slot] = branch[i];
        at = branch[i];
        CountPixel(NodeAt(tree, at), red, green, blue);
    }
    if (missing > 0) ++tree->leafCount;
    return true;
}

// A channel's mean as sum x (1 / count) in long double, truncated there:
// rounding to double first could carry a value just below an integer up to
// it.
uint32_t MeanChannel(uint64_t sum, long double reciprocal)
{
    const long double mean = std::trunc(static_cast<long double>(sum) * reciprocal);
    return uint32_t(PIX_TruncateToInt(static_cast<double>(mean))) & 255u;
}

PIX_PackedColor LeafColour(const PIX_ColorTreeNode& leaf)
{
    const long double reciprocal = 1.0L / static_cast<long double>(leaf.count);
    return 0xFF000000u | MeanChannel(leaf.sumRed, reciprocal) << 16 |
           MeanChannel(leaf.sumGreen, reciprocal) << 8 | MeanChannel(leaf.sumBlue, reciprocal);
}

// Numbers the leaves below index depth first, children in slot order, from
// next on, writing their colours; returns the next index. A leaf beyond the
// palette's end takes its last index; a leaf without pixels (the empty
// root) gives no colour.
int PIX_ColorTreeNumberLeaves(PIX_ColorTree* tree, int32_t index, PIX_PackedColor* palette,
                              int next)
{
    PIX_ColorTreeNode& node = NodeAt(tree, index);
    const int last = tree->wantedColours - 1;
    if (node.childState == 0) {
        node.paletteIndex = std::min(next, last);
        if (node.count == 0 || next > last) return next;
        palette[next] = LeafColour(node);
        return next + 1;
    }
    for (int32_t child : node.children)
        if (child != kNoNode) next = PIX_ColorTreeNumberLeaves(tree, child, palette, next);
    node.paletteIndex = std::min(next - 1, last);
    return next;
}

// Allocates and fills the palette; 0 colours, and none built, for a wanted
// count below 1 or a failed allocation.
int PIX_ColorTreeBuildPalette(PIX_ColorTree* tree)
{
    const int wanted = tree->wantedColours;
    tree->paletteColours = 0;
    if (wanted < 1 || wanted > INT_MAX / int(sizeof(PIX_PackedColor)) ||
        !tree->palette.Resize(wanted * int(sizeof(PIX_PackedColor))))
        return 0;
    auto* palette = static_cast<PIX_PackedColor*>(tree->palette.Data());
    const int colours = PIX_ColorTreeNumberLeaves(tree, PIX_ColorTreeRoot, palette, 0);
    std::fill(palette + colours, palette + wanted, 0u);
    return tree->paletteColours = colours;
}

const PIX_PackedColor* BuiltPalette(PIX_ColorTree* tree)
{
    if (!tree->palette.Data()) PIX_ColorTreeBuildPalette(tree);
    return static_cast<const PIX_PackedColor*>(tree->palette.Data());
}

void ClearEntries(PIX_PackedColor* out, int count)
{
    if (count > 0) std::fill(out, out + count, 0u);
}

int SquaredDistance(PIX_PackedColor a, PIX_PackedColor b)
{
    int sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = int(a >> shift & 255) - int(b >> shift & 255);
        sum += d * d;
    }
    return sum;
}

PIX_PackedColor NearestEntry(PIX_PackedColor pixel, const PIX_PackedColor* palette, int count)
{
    PIX_PackedColor best = palette[0];
    int bestDistance = SquaredDistance(pixel, best);
    for (int i = 1; i < count; ++i) {
        const int distance = SquaredDistance(pixel, palette[i]);
        if (distance >= bestDistance) continue;
        best = palette[i];
        bestDistance = distance;
    }
    return best;
}

}  // namespace

PIX_ColorTree* PIX_ColorTreeCreate(int wantedColours)
{
    auto* tree = new (std::nothrow) PIX_ColorTree;
    if (!tree) return nullptr;
    tree->wantedColours = wantedColours;
    // Slot 0 stays unused so that a zero link means none.
    if (!tree->nodes.Resize((PIX_ColorTreeRoot + 1) * kNodeBytes)) {
        delete tree;
        return nullptr;
    }
    NodeAt(tree, kNoNode) = PIX_ColorTreeNode{};
    NodeAt(tree, PIX_ColorTreeRoot) = PIX_ColorTreeNode{};
    return tree;
}

void PIX_ColorTreeDestroy(PIX_ColorTree* tree)
{
    delete tree;
}

int PIX_ColorTreeAddBitmap(PIX_ColorTree* tree, PIX_IBitmap* bitmap)
{
    if (!tree) return 0;
    const PIX_PackedColor* pixels = bitmap ? bitmap->PixelData() : nullptr;
    const int stride = pixels ? bitmap->RowStride() : 0;
    if (stride <= 0) return tree->leafCount;

    tree->palette.Resize(0, true);
    tree->paletteColours = 0;
    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    for (int y = 0; y < height; ++y) {
        const PIX_PackedColor* row = pixels + int64_t(y) * stride;
        for (int x = 0; x < width; ++x) {
            if (!AddPixel(tree, row[x])) return tree->leafCount;
            if (tree->leafCount > tree->wantedColours) MergeDeepest(tree);
        }
    }
    return tree->leafCount;
}

int PIX_ColorTreePalette(PIX_ColorTree* tree, PIX_PackedColor* out)
{
    if (!tree || !out) return 0;
    const PIX_PackedColor* palette = BuiltPalette(tree);
    if (!palette) {
        ClearEntries(out, tree->wantedColours);
        return 0;
    }
    std::memcpy(out, palette, size_t(tree->wantedColours) * sizeof(PIX_PackedColor));
    return tree->paletteColours;
}

int PIX_ColorTreeLookup(PIX_ColorTree* tree, PIX_PackedColor colour)
{
    if (!tree || !BuiltPalette(tree)) return 0;
    const uint32_t red = colour >> 16 & 255, green = colour >> 8 & 255, blue = colour & 255;
    const PIX_ColorTreeNode* nodes = PIX_ColorTreeNodes(tree);
    int32_t at = PIX_ColorTreeRoot;
    for (int level = PIX_ColorTreeDepth; nodes[at].childState != 0; --level) {
        const int32_t child = nodes[at].children[ChildSlot(red, green, blue, level)];
        if (child == kNoNode) break;
        at = child;
    }
    return nodes[at].paletteIndex;
}

int PIX_BuildBitmapPalette(PIX_IBitmap* bitmap, PIX_PackedColor* out, int wantedColours)
{
    PIX_ColorTree* tree = PIX_ColorTreeCreate(wantedColours);
    if (!tree) {
        if (out) ClearEntries(out, wantedColours);
        return 0;
    }
    PIX_ColorTreeAddBitmap(tree, bitmap);
    const int colours = PIX_ColorTreePalette(tree, out);
    PIX_ColorTreeDestroy(tree);
    return colours;
}

void PIX_MapToPalette(PIX_IBitmap* bitmap, const PIX_PackedColor* palette, int count)
{
    if (!bitmap || !palette || count <= 0) return;
    PIX_PackedColor* pixels = bitmap->PixelData();
    const int stride = bitmap->RowStride();
    if (!pixels || stride <= 0) return;
    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    for (int y = 0; y < height; ++y) {
        PIX_PackedColor* row = pixels + int64_t(y) * stride;
        for (int x = 0; x < width; ++x) row[x] = NearestEntry(row[x], palette, count);
    }
}
