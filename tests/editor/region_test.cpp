#include "editor/region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr int kGrid = 40;

// How often each pixel of a kGrid square is held by the region's pieces.
std::vector<int> Layers(const IRegion& region)
{
    std::vector<int> layers(kGrid * kGrid, 0);
    for (const IBox& box : region)
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) ++layers[y * kGrid + x];
    return layers;
}

std::vector<int> UnionOf(const std::vector<IBox>& boxes)
{
    std::vector<int> held(kGrid * kGrid, 0);
    for (const IBox& box : boxes)
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) held[y * kGrid + x] = 1;
    return held;
}

bool Same(const IBox& a, const IBox& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Overlapping, nested, touching and repeated boxes: every pixel added is held
// exactly once.
TEST(Region, HoldsWhatWasAddedOnce)
{
    const std::vector<std::vector<IBox>> cases = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}},
        {{0, 0, 30, 30}, {10, 10, 20, 20}},
        {{10, 10, 20, 20}, {0, 0, 30, 30}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}},
        {{0, 0, 10, 10}, {0, 0, 10, 10}},
        {{0, 10, 40, 11}, {10, 0, 11, 40}, {30, 0, 31, 40}, {12, 0, 20, 40}},
        {{5, 5, 35, 35}, {0, 15, 40, 20}, {15, 0, 20, 40}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        IRegion region;
        for (const IBox& box : cases[i]) region.Add(box);
        EXPECT_EQ(Layers(region), UnionOf(cases[i])) << "case " << i;
    }
}

TEST(Region, SeededBoxesAreHeldOnceOrWithinTheirBounds)
{
    uint32_t state = 7;
    auto next = [&](int range) {
        return int((state = state * 1664525u + 1013904223u) >> 8) % range;
    };
    for (int run = 0; run < 300; ++run) {
        IRegion region;
        std::vector<IBox> boxes;
        for (int n = 1 + next(12); n > 0; --n) {
            const int x = next(kGrid), y = next(kGrid);
            boxes.push_back({x, y, x + 1 + next(kGrid - x), y + 1 + next(kGrid - y)});
            region.Add(boxes.back());
        }
        const std::vector<int> layers = Layers(region), held = UnionOf(boxes);
        if (region.Count() == 1 && layers != held) {
            // Out of room: one box around everything.
            IBox bounds;
            for (const IBox& box : boxes) bounds = bounds.Union(box);
            EXPECT_TRUE(Same(*region.begin(), bounds)) << "run " << run;
        } else {
            EXPECT_EQ(layers, held) << "run " << run;
        }
    }
}

TEST(Region, BoxesWithoutPixelsAddNothing)
{
    IRegion region;
    for (const IBox& box : {IBox{}, IBox{5, 5, 5, 10}, IBox{5, 5, 10, 5}, IBox{10, 10, 5, 20}})
        region.Add(box);
    EXPECT_TRUE(region.Empty());
    EXPECT_TRUE(region.Bounds().Empty());
    EXPECT_FALSE(region.Intersects({0, 0, 100, 100}));
}

TEST(Region, OutOfRoomItBecomesOneBoxAroundAll)
{
    IRegion region;
    for (int i = 0; i < IRegion::kCapacity; ++i) region.Add({2 * i, 0, 2 * i + 1, 1});
    EXPECT_EQ(region.Count(), IRegion::kCapacity);
    region.Add({0, 5, 1, 6});
    ASSERT_EQ(region.Count(), 1);
    EXPECT_TRUE(Same(*region.begin(), {0, 0, 2 * IRegion::kCapacity - 1, 6}));

    // A box cut into more fragments than there is room for.
    IRegion comb;
    for (int i = 0; i < IRegion::kCapacity; ++i) comb.Add({2 * i + 1, 1, 2 * i + 2, 2});
    comb.Add({0, 0, 2 * IRegion::kCapacity + 1, 3});
    ASSERT_EQ(comb.Count(), 1);
    EXPECT_TRUE(Same(*comb.begin(), {0, 0, 2 * IRegion::kCapacity + 1, 3}));
}

TEST(Region, IntersectsByTheBoxRulesAndClips)
{
    IRegion region;
    region.Add({0, 0, 100, 100});
    region.Add({200, 0, 300, 10});
    EXPECT_TRUE(region.Intersects({100, 0, 120, 10})) << "its left edge at a piece's right edge";
    EXPECT_FALSE(region.Intersects({-20, 0, 0, 10})) << "its right edge at a piece's left edge";
    EXPECT_FALSE(region.Intersects({120, 0, 180, 10})) << "between the pieces";
    EXPECT_TRUE(region.Intersects({250, 5, 260, 50}));
    EXPECT_TRUE(Same(region.Bounds(), {0, 0, 300, 100}));

    const IRegion clipped = region.ClippedTo({50, 5, 250, 200});
    ASSERT_EQ(clipped.Count(), 2);
    EXPECT_TRUE(Same(clipped.begin()[0], {50, 5, 100, 100}));
    EXPECT_TRUE(Same(clipped.begin()[1], {200, 5, 250, 10}));
    EXPECT_TRUE(region.ClippedTo({120, 0, 180, 10}).Empty());
}

TEST(Region, CoversOnlyWhatLiesWhollyInside)
{
    const IBox outer = {10, 10, 20, 20};
    EXPECT_TRUE(Covers(outer, outer));
    EXPECT_TRUE(Covers(outer, {12, 12, 15, 15}));
    EXPECT_FALSE(Covers(outer, {9, 12, 15, 15}));
    EXPECT_FALSE(Covers(outer, {12, 12, 21, 15}));
}

}  // namespace
