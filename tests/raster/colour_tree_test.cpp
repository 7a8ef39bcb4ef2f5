#include "raster/colour_tree.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/heap_buffer.h"
#include "raster_test_support.h"
#include "support/failing_allocator.h"

namespace {

using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::MisreportedStride;

constexpr uint32_t kSentinel = 0xA5A5A5A5u;

// The pixels, one row of them (0 x 0 when there are none).
GuardedBitmap RowOf(const std::vector<uint32_t>& pixels)
{
    Lcg rng{1};
    GuardedBitmap bitmap(int(pixels.size()), pixels.empty() ? 0 : 1, false, rng);
    for (size_t i = 0; i < pixels.size(); ++i) bitmap.Memory(int(i), 0) = pixels[i];
    return bitmap;
}

// A bitmap's pixels in memory order, the order the tree counts them in.
std::vector<uint32_t> MemoryOrder(GuardedBitmap& bitmap)
{
    std::vector<uint32_t> pixels;
    for (int y = 0; y < bitmap.PixelHeight(); ++y)
        for (int x = 0; x < bitmap.PixelWidth(); ++x) pixels.push_back(bitmap.Memory(x, y));
    return pixels;
}

// n colours with random channels and alpha.
std::vector<uint32_t> RandomColours(uint32_t seed, int n)
{
    Lcg rng{seed};
    std::vector<uint32_t> colours = std::vector<uint32_t>(size_t(n));
    for (uint32_t& c : colours) c = rng.Next();
    return colours;
}

// The top bits 7..3 of red, green and blue, interleaved as the tree orders
// its leaves.
int InterleavedKey(uint32_t c)
{
    int key = 0;
    for (int bit = 7; bit >= 3; --bit)
        key =
            key << 3 | int((c >> (16 + bit) & 1) << 2 | (c >> (8 + bit) & 1) << 1 | (c >> bit & 1));
    return key;
}

// A palette channel as the quantiser defines it: sum x (1 / count) in long
// double, truncated.
uint32_t Mean(uint64_t sum, uint64_t count)
{
    return uint32_t(std::trunc((long double)sum * (1.0L / (long double)count)));
}

// The first inconsistency of the tree's structure, or empty: children
// against states, each branching node's counts and sums the totals of its
// children, the merge lists holding exactly the branching nodes of their
// level, the leaf count, and pixels counted at the root.
class TreeChecker {
public:
    TreeChecker(const PIX_ColorTree& tree) : mTree(tree) {}

    std::string Faults(uint64_t pixels)
    {
        const PIX_ColorTreeNode& root = Node(PIX_ColorTreeRoot);
        if (root.count != pixels) return Text("root count %llu, pixels %llu", root.count, pixels);
        std::string fault = Walk(PIX_ColorTreeRoot, PIX_ColorTreeDepth);
        if (!fault.empty()) return fault;
        if (mLeaves != mTree.leafCount)
            return Text("leaf count %d, leaves %d", mTree.leafCount, mLeaves);
        std::set<int32_t> listed;
        for (int level = 1; level <= PIX_ColorTreeDepth; ++level) {
            for (int32_t i = mTree.mergeLists[level]; i != 0; i = Node(i).next) {
                if (!mBranching.count(i) || mBranching[i] != level || !listed.insert(i).second)
                    return Text("node %d in the merge list of level %d", i, level);
            }
        }
        if (listed.size() != mBranching.size()) return "a branching node is in no merge list";
        return {};
    }

private:
    const PIX_ColorTreeNode& Node(int32_t i) const { return PIX_ColorTreeNodes(&mTree)[i]; }

    template <class... Args>
    static std::string Text(const char* format, Args... args)
    {
        char text[160];
        std::snprintf(text, sizeof text, format, args...);
        return text;
    }

    std::string Walk(int32_t index, int level)
    {
        const int32_t pool = mTree.nodes.Size() / int32_t(sizeof(PIX_ColorTreeNode));
        if (index <= 0 || index >= pool || !mSeen.insert(index).second)
            return Text("link to slot %d", index);
        const PIX_ColorTreeNode& node = Node(index);
        int children = 0, onlySlot = -1;
        uint64_t count = 0, red = 0, green = 0, blue = 0;
        for (int slot = 0; slot < 8; ++slot) {
            const int32_t child = node.children[slot];
            if (child == 0) continue;
            ++children;
            onlySlot = slot;
            if (level == 0) return Text("node %d at depth 5 has children", index);
            std::string fault = Walk(child, level - 1);
            if (!fault.empty()) return fault;
            const PIX_ColorTreeNode& c = Node(child);
            count += c.count;
            red += c.sumRed;
            green += c.sumGreen;
            blue += c.sumBlue;
        }
        const int wantState = children == 0 ? 0 : children == 1 ? onlySlot + 1 : -1;
        if (node.childState != wantState)
            return Text("node %d has state %d and %d children", index, node.childState, children);
        if (index != PIX_ColorTreeRoot && node.count == 0) return Text("node %d is empty", index);
        if (children == 0) {
            mLeaves += node.count > 0;
            return {};
        }
        if (count != node.count || red != node.sumRed || green != node.sumGreen ||
            blue != node.sumBlue)
            return Text("node %d does not hold the totals of its children", index);
        if (children > 1) mBranching[index] = level;
        return {};
    }

    const PIX_ColorTree& mTree;
    std::set<int32_t> mSeen;
    std::map<int32_t, int> mBranching;
    int mLeaves = 0;
};

// The first way in which the palette (colours entries, then zeros up to
// wanted) does not fit the counted pixels, or empty: every pixel's lookup
// names one of the colours, each colour is the mean of exactly the pixels
// looked up to it, alpha 255, and the colours come in the order of their
// pixels' interleaved top bits.
std::string PaletteFaults(PIX_ColorTree* tree, const std::vector<uint32_t>& pixels,
                          const std::vector<uint32_t>& palette, int colours)
{
    struct Group {
        uint64_t count = 0, red = 0, green = 0, blue = 0;
        int lowKey = 1 << 15, highKey = -1;
    };
    std::vector<Group> groups = std::vector<Group>(size_t(colours));
    for (uint32_t p : pixels) {
        const int index = PIX_ColorTreeLookup(tree, p);
        if (colours == 0 && index == 0) continue;
        if (index < 0 || index >= colours)
            return "pixel " + std::to_string(p) + " looks up to " + std::to_string(index);
        Group& g = groups[size_t(index)];
        ++g.count;
        g.red += p >> 16 & 255;
        g.green += p >> 8 & 255;
        g.blue += p & 255;
        g.lowKey = std::min(g.lowKey, InterleavedKey(p));
        g.highKey = std::max(g.highKey, InterleavedKey(p));
    }
    for (int i = 0; i < colours; ++i) {
        const Group& g = groups[size_t(i)];
        if (g.count == 0) return "no pixel looks up to colour " + std::to_string(i);
        const uint32_t want = 0xFF000000u | Mean(g.red, g.count) << 16 |
                              Mean(g.green, g.count) << 8 | Mean(g.blue, g.count);
        if (palette[size_t(i)] != want) return "colour " + std::to_string(i) + " is not its mean";
        if (i > 0 && groups[size_t(i - 1)].highKey >= g.lowKey)
            return "colour " + std::to_string(i) + " out of order";
    }
    for (size_t i = size_t(colours); i < palette.size(); ++i)
        if (palette[i] != 0) return "entry " + std::to_string(i) + " after the colours is not 0";
    return {};
}

// The tree's palette read into wanted entries followed by sentinels that
// must stay.
struct PaletteRead {
    int colours;
    std::vector<uint32_t> entries;
    bool sentinelsIntact;
};
PaletteRead ReadPalette(PIX_ColorTree* tree)
{
    const size_t wanted = size_t(std::max(tree->wantedColours, 0));
    std::vector<uint32_t> out(wanted + 4, kSentinel);
    const int colours = PIX_ColorTreePalette(tree, out.data());
    bool intact = true;
    for (size_t i = wanted; i < out.size(); ++i) intact = intact && out[i] == kSentinel;
    out.resize(wanted);
    return {colours, out, intact};
}

std::vector<uint32_t> Repeat(uint32_t colour, int n)
{
    return std::vector<uint32_t>(size_t(n), colour);
}

// --- The palette table. ---

struct Step {
    std::vector<uint32_t> pixels;
    int leaves;
    int colours;
    // The colours; the entries after them are 0.
    std::vector<uint32_t> palette;
};

struct QuantiserCase {
    const char* name;
    int wanted;
    std::vector<Step> steps;
};

// Ordered by the interleaved top bits: 072721 (all 0 at bit 7 and 6), 410305
// (red's bit 6), 12817F (green's bit 7); neither by value nor by red first.
constexpr uint32_t kEarly = 0x80072721u, kMiddle = 0x00410305u, kLate = 0x1212817Fu;
// The same top five bits of every channel.
constexpr uint32_t kShadeA = 0x40132431u, kShadeB = 0xC0172036u;

const std::vector<QuantiserCase>& Cases()
{
    static const std::vector<QuantiserCase> cases = {
        {"3 colours into 16: their exact colours, alpha 255, in interleaved bit order",
         16,
         {{{kLate, kMiddle, kEarly, kMiddle}, 3, 3, {0xFF072721u, 0xFF410305u, 0xFF12817Fu}}}},
        {"2 colours with the same top bits share a leaf: pixel-weighted mean, truncated",
         16,
         {{{kShadeA, kShadeA, kShadeB, kShadeA}, 1, 1, {0xFF142332u}}}},
        {"a further bitmap frees the palette: the next request numbers again",
         16,
         {{{kMiddle}, 1, 1, {0xFF410305u}},
          {{kEarly}, 2, 2, {0xFF072721u, 0xFF410305u}},
          {{kLate}, 3, 3, {0xFF072721u, 0xFF410305u, 0xFF12817Fu}}}},
        {"the deepest branching node merges first",
         2,
         {{{0x00000000u, 0x00000008u}, 2, 2, {0xFF000000u, 0xFF000008u}},
          {{0x00800000u}, 2, 2, {0xFF000004u, 0xFF800000u}}}},
        {"an empty bitmap: no colours, all entries 0", 16, {{{}, 0, 0, {}}}},
        {"41 pixels of 808080: 41 x 128 x (1 / 41) in long double truncates to 127",
         16,
         {{Repeat(0xFF808080u, 41), 1, 1, {0xFF7F7F7Fu}}}},
        {"wanted 0 over 50 random colours: no palette", 0, {{RandomColours(7, 50), 1, 0, {}}}},
        {"wanted 1 over 50 random colours: the mean of all",
         1,
         {{RandomColours(7, 50), 1, 1, {0xFF66787Fu}}}},
        {"wanted 4 over 50 random colours: a fifth branch at the root merges the root, "
         "which then takes every pixel",
         4,
         {{RandomColours(7, 50), 1, 1, {0xFF66787Fu}}}},
    };
    return cases;
}

TEST(ColourTree, PaletteTable)
{
    for (const QuantiserCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        PIX_ColorTree* tree = PIX_ColorTreeCreate(c.wanted);
        ASSERT_NE(tree, nullptr);
        std::vector<uint32_t> added;
        for (const Step& step : c.steps) {
            GuardedBitmap bitmap = RowOf(step.pixels);
            EXPECT_EQ(PIX_ColorTreeAddBitmap(tree, &bitmap), step.leaves);
            added.insert(added.end(), step.pixels.begin(), step.pixels.end());
            const PaletteRead read = ReadPalette(tree);
            EXPECT_EQ(read.colours, step.colours);
            EXPECT_TRUE(read.sentinelsIntact) << "written past the wanted entries";
            std::vector<uint32_t> want = step.palette;
            want.resize(read.entries.size(), 0u);
            EXPECT_EQ(read.entries, want);
            EXPECT_EQ(TreeChecker(*tree).Faults(added.size()), "");
            EXPECT_EQ(PaletteFaults(tree, added, read.entries, read.colours), "");
            EXPECT_TRUE(bitmap.GuardIntact());
        }
        PIX_ColorTreeDestroy(tree);

        if (c.steps.size() != 1) continue;
        GuardedBitmap bitmap = RowOf(c.steps[0].pixels);
        std::vector<uint32_t> out(size_t(std::max(c.wanted, 0)), kSentinel);
        EXPECT_EQ(PIX_BuildBitmapPalette(&bitmap, out.data(), c.wanted), c.steps[0].colours);
        std::vector<uint32_t> want = c.steps[0].palette;
        want.resize(out.size(), 0u);
        EXPECT_EQ(out, want) << "PIX_BuildBitmapPalette";
    }
}

TEST(ColourTree, AnUnseenBranchLooksUpToTheLastLeafOfTheDeepestNodeOnItsPath)
{
    PIX_ColorTree* tree = PIX_ColorTreeCreate(16);
    ASSERT_NE(tree, nullptr);
    GuardedBitmap three = RowOf({kLate, kMiddle, kEarly});
    ASSERT_EQ(PIX_ColorTreeAddBitmap(tree, &three), 3);
    const struct {
        uint32_t colour;
        int index;
        const char* why;
    } cases[] = {
        {0x00FFFFFFu, 2, "off the root: its last leaf"},
        {0x00000040u, 1, "off the branching node above 072721 and 410305"},
        {0x00000000u, 0, "off the chain of 072721 below bit 6"},
        {0xFF410305u, 1, "alpha aside, a counted colour"},
    };
    for (const auto& c : cases) EXPECT_EQ(PIX_ColorTreeLookup(tree, c.colour), c.index) << c.why;
    PIX_ColorTreeDestroy(tree);
}

// --- Mapping. ---

struct MapCase {
    const char* name;
    std::vector<uint32_t> palette;
    int count;
    uint32_t pixel;
    uint32_t want;
};

TEST(ColourTreeMap, NearestEntryTable)
{
    const MapCase cases[] = {
        {"equally near entries keep the first",
         {0x11000000u, 0x22000020u},
         2,
         0xFF000010u,
         0x11000000u},
        {"equal entries keep the first", {0x33102030u, 0x44102030u}, 2, 0x00102030u, 0x33102030u},
        {"a strictly nearer later entry wins with its alpha",
         {0xFF000000u, 0x00FFFFFFu, 0x7F808080u},
         3,
         0xFF707070u,
         0x7F808080u},
        {"alpha is not in the distance", {0xFF101010u, 0x00101013u}, 2, 0x00101010u, 0xFF101010u},
        {"each channel counts squared", {0x00300000u, 0x00001818u}, 2, 0x00000000u, 0x00001818u},
        {"only count entries are looked at",
         {0x00000000u, 0x00FFFFFFu},
         1,
         0x00F0F0F0u,
         0x00000000u},
        {"a count of 0 leaves the bitmap", {0x00000000u}, 0, 0x12345678u, 0x12345678u},
        {"a negative count leaves the bitmap", {0x00000000u}, -1, 0x12345678u, 0x12345678u},
        {"a null palette leaves the bitmap", {}, 3, 0x12345678u, 0x12345678u},
    };
    for (const MapCase& c : cases) {
        for (bool bottomUp : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (bottomUp ? ", bottom-up" : ""));
            Lcg rng{3};
            GuardedBitmap bitmap(3, 2, bottomUp, rng);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x) bitmap.At(x, y) = c.pixel;
            PIX_MapToPalette(&bitmap, c.palette.empty() ? nullptr : c.palette.data(), c.count);
            EXPECT_EQ(bitmap.Pixels(), Repeat(c.want, 6));
            EXPECT_TRUE(bitmap.GuardIntact());
        }
    }
}

// --- Quiet returns and failures. ---

TEST(ColourTreeFaults, MissingArgumentsAndPixelsChangeNothing)
{
    PIX_ColorTree* tree = PIX_ColorTreeCreate(16);
    ASSERT_NE(tree, nullptr);
    GuardedBitmap two = RowOf({kEarly, kLate});
    ASSERT_EQ(PIX_ColorTreeAddBitmap(tree, &two), 2);
    ASSERT_EQ(ReadPalette(tree).colours, 2);
    const void* palette = tree->palette.Data();

    Lcg rng{5};
    GuardedBitmap nullPixels(4, 4, false, rng, true);
    GuardedBitmap pixels(4, 4, false, rng);
    MisreportedStride zeroStride(pixels, 0), negativeStride(pixels, -6);
    PIX_IBitmap* broken[] = {nullptr, &nullPixels, &zeroStride, &negativeStride};
    const uint32_t entries[] = {0u, 0xFFFFFFFFu};
    for (PIX_IBitmap* bitmap : broken) {
        EXPECT_EQ(PIX_ColorTreeAddBitmap(tree, bitmap), 2);
        EXPECT_EQ(tree->palette.Data(), palette) << "the palette stays";
        PIX_MapToPalette(bitmap, entries, 2);
    }
    EXPECT_EQ(zeroStride.Words(), pixels.Words());
    EXPECT_EQ(negativeStride.Words(), pixels.Words());
    EXPECT_EQ(TreeChecker(*tree).Faults(2), "");
    EXPECT_EQ(PIX_ColorTreeLookup(tree, kLate), 1);
    EXPECT_EQ(PIX_ColorTreePalette(tree, nullptr), 0);

    uint32_t out[2] = {kSentinel, kSentinel};
    EXPECT_EQ(PIX_ColorTreeAddBitmap(nullptr, &two), 0);
    EXPECT_EQ(PIX_ColorTreePalette(nullptr, out), 0);
    EXPECT_EQ(PIX_ColorTreeLookup(nullptr, kLate), 0);
    EXPECT_EQ(out[0], kSentinel);
    EXPECT_EQ(PIX_BuildBitmapPalette(&nullPixels, out, 2), 0);
    EXPECT_EQ(out[0], 0u);
    EXPECT_EQ(out[1], 0u);
    EXPECT_EQ(PIX_BuildBitmapPalette(&two, nullptr, 2), 0);
    PIX_ColorTreeDestroy(tree);
    PIX_ColorTreeDestroy(nullptr);
}

TEST(ColourTreeFaults, EmptyTreeAndWantedBelowOneHaveNoColours)
{
    for (int wanted : {-5, 0, 1, 16}) {
        SCOPED_TRACE(wanted);
        PIX_ColorTree* tree = PIX_ColorTreeCreate(wanted);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(PIX_ColorTreeLookup(tree, 0xFF123456u), 0);
        const PaletteRead read = ReadPalette(tree);
        EXPECT_EQ(read.colours, 0);
        EXPECT_EQ(read.entries, std::vector<uint32_t>(size_t(std::max(wanted, 0)), 0u));
        EXPECT_TRUE(read.sentinelsIntact);
        PIX_ColorTreeDestroy(tree);
    }
}

TEST(ColourTreeFaults, NoTreeWithoutItsRoot)
{
    GuardedBitmap two = RowOf({kEarly, kLate});
    uint32_t out[4] = {kSentinel, kSentinel, kSentinel, kSentinel};
    FailingAllocator failing;
    EXPECT_EQ(PIX_ColorTreeCreate(4), nullptr);
    EXPECT_EQ(PIX_BuildBitmapPalette(&two, out, 4), 0);
    for (uint32_t entry : out) EXPECT_EQ(entry, 0u);
}

TEST(ColourTreeFaults, AFailedNodeLeavesThatPixelAndTheRestOut)
{
    Lcg rng{11};
    GuardedBitmap bitmap(64, 64, false, rng);
    const std::vector<uint32_t> pixels = MemoryOrder(bitmap);
    PIX_ColorTree* tree = PIX_ColorTreeCreate(100000);
    ASSERT_NE(tree, nullptr);
    {
        FailingAllocator failing;
        PIX_ColorTreeAddBitmap(tree, &bitmap);
    }
    const uint64_t counted = PIX_ColorTreeNodes(tree)[PIX_ColorTreeRoot].count;
    ASSERT_GT(counted, 0u) << "the pool's spare nodes serve the first pixels";
    ASSERT_LT(counted, pixels.size());
    EXPECT_EQ(TreeChecker(*tree).Faults(counted), "");

    const std::vector<uint32_t> prefix(pixels.begin(), pixels.begin() + long(counted));
    GuardedBitmap first = RowOf(prefix);
    PIX_ColorTree* fresh = PIX_ColorTreeCreate(100000);
    PIX_ColorTreeAddBitmap(fresh, &first);
    EXPECT_EQ(ReadPalette(tree).entries, ReadPalette(fresh).entries);
    PIX_ColorTreeDestroy(fresh);

    PIX_ColorTreeAddBitmap(tree, &bitmap);
    EXPECT_EQ(TreeChecker(*tree).Faults(counted + pixels.size()), "");
    PIX_ColorTreeDestroy(tree);
}

TEST(ColourTreeFaults, AFailedPaletteGivesNoColoursUntilItCanBeBuilt)
{
    PIX_ColorTree* tree = PIX_ColorTreeCreate(8);
    ASSERT_NE(tree, nullptr);
    GuardedBitmap three = RowOf({kLate, kMiddle, kEarly});
    ASSERT_EQ(PIX_ColorTreeAddBitmap(tree, &three), 3);
    {
        FailingAllocator failing;
        const PaletteRead read = ReadPalette(tree);
        EXPECT_EQ(read.colours, 0);
        EXPECT_EQ(read.entries, std::vector<uint32_t>(8, 0u));
        EXPECT_TRUE(read.sentinelsIntact);
        EXPECT_EQ(PIX_ColorTreeLookup(tree, kLate), 0);
    }
    EXPECT_EQ(ReadPalette(tree).colours, 3);
    EXPECT_EQ(PIX_ColorTreeLookup(tree, kLate), 2);
    PIX_ColorTreeDestroy(tree);

    // More entries than a palette's bytes can count.
    tree = PIX_ColorTreeCreate(INT_MAX);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(PIX_ColorTreeAddBitmap(tree, &three), 3);
    EXPECT_EQ(PIX_ColorTreeLookup(tree, kLate), 0);
    PIX_ColorTreeDestroy(tree);
}

// --- Fuzz. ---

// Lets a number of allocations through, then fails every one.
class AllocationBudget {
public:
    explicit AllocationBudget(int allowed)
    {
        sAllowed = allowed;
        SetHeapAllocator(&kBudget);
    }
    ~AllocationBudget() { SetHeapAllocator(nullptr); }

private:
    static bool Take() { return sAllowed-- > 0; }
    static void* Reallocate(void* block, size_t bytes)
    {
        return Take() ? std::realloc(block, bytes) : nullptr;
    }
    static void* Allocate(size_t bytes) { return Take() ? std::malloc(bytes) : nullptr; }
    static inline int sAllowed = 0;
    static constexpr HeapAllocator kBudget = {Reallocate, Allocate, std::free};
};

// Pixels of every kind: any word, a few colours repeated, or shades of one
// colour that branch deep in the tree.
GuardedBitmap RandomBitmap(Lcg& rng)
{
    const int width = rng.Range(0, 64), height = rng.Range(0, 64);
    GuardedBitmap bitmap(width, height, rng.Below(2) == 1, rng, rng.Below(16) == 0);
    std::vector<uint32_t> few(size_t(rng.Range(1, 20)));
    for (uint32_t& c : few) c = rng.Next();
    const uint32_t base = rng.Next(), spread = rng.Below(2) ? 0x0F0F0Fu : 0x3F3F3Fu;
    const int kind = rng.Below(3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t& p = bitmap.Memory(x, y);
            if (kind == 0) p = rng.Next();
            if (kind == 1) p = few[size_t(rng.Below(int(few.size())))];
            if (kind == 2) p = base ^ (rng.Next() & spread);
        }
    }
    return bitmap;
}

TEST(ColourTreeFuzz, RandomBitmapsAndWantedCountsKeepTheTreeWhole)
{
    Lcg rng{20240518};
    for (int iteration = 0; iteration < 400; ++iteration) {
        const int wanted = rng.Range(-1, 300);
        SCOPED_TRACE("iteration " + std::to_string(iteration) + ", wanted " +
                     std::to_string(wanted));
        PIX_ColorTree* tree = PIX_ColorTreeCreate(wanted);
        ASSERT_NE(tree, nullptr);
        std::vector<uint32_t> counted;
        GuardedBitmap bitmap(0, 0, false, rng);
        for (int add = rng.Range(1, 3); add > 0; --add) {
            bitmap = RandomBitmap(rng);
            const uint64_t before = PIX_ColorTreeNodes(tree)[PIX_ColorTreeRoot].count;
            int leaves;
            if (rng.Below(8) == 0) {
                AllocationBudget budget(rng.Below(3));
                leaves = PIX_ColorTreeAddBitmap(tree, &bitmap);
            } else {
                leaves = PIX_ColorTreeAddBitmap(tree, &bitmap);
            }
            EXPECT_EQ(leaves, tree->leafCount);
            EXPECT_LE(leaves, std::max(wanted, 1));
            const uint64_t now = PIX_ColorTreeNodes(tree)[PIX_ColorTreeRoot].count;
            if (bitmap.PixelData()) {
                const std::vector<uint32_t> pixels = MemoryOrder(bitmap);
                counted.insert(counted.end(), pixels.begin(), pixels.begin() + long(now - before));
            }
            ASSERT_EQ(TreeChecker(*tree).Faults(counted.size()), "");
            EXPECT_TRUE(bitmap.GuardIntact());
        }

        const PaletteRead read = ReadPalette(tree);
        EXPECT_TRUE(read.sentinelsIntact);
        EXPECT_EQ(read.colours, wanted < 1 ? 0 : tree->leafCount);
        ASSERT_EQ(PaletteFaults(tree, counted, read.entries, read.colours), "");

        // Mapping against the nearest entry found naively.
        const int count = rng.Range(-1, int(read.entries.size()));
        std::vector<uint32_t> want = bitmap.Pixels();
        if (count > 0 && bitmap.PixelData()) {
            for (uint32_t& p : want) {
                auto distance = [&](uint32_t e) {
                    int sum = 0;
                    for (int k = 0; k < 3; ++k) {
                        const int d =
                            int(raster_test::Channel(p, k)) - int(raster_test::Channel(e, k));
                        sum += d * d;
                    }
                    return sum;
                };
                size_t best = 0;
                for (size_t i = 1; i < size_t(count); ++i)
                    if (distance(read.entries[i]) < distance(read.entries[best])) best = i;
                p = read.entries[best];
            }
        }
        PIX_MapToPalette(&bitmap, read.entries.data(), count);
        EXPECT_EQ(bitmap.Pixels(), want);
        EXPECT_TRUE(bitmap.GuardIntact());
        PIX_ColorTreeDestroy(tree);
    }
}

}  // namespace
