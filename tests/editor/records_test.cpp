#include <gtest/gtest.h>

#include "editor/records.h"

namespace {

struct BoxCase {
    IBox box;
    bool empty;
    int width, height;
};

TEST(IBoxTest, OnlyTheAllZeroBoxIsEmpty)
{
    const BoxCase cases[] = {
        {{0, 0, 0, 0}, true, 0, 0},
        {{5, 5, 5, 5}, false, 0, 0},
        {{0, 0, 1, 0}, false, 1, 0},
        {{-3, 2, 7, 12}, false, 10, 10},
    };
    for (const BoxCase& c : cases) {
        EXPECT_EQ(c.box.Empty(), c.empty) << c.box.left << "," << c.box.top;
        EXPECT_EQ(c.box.Width(), c.width);
        EXPECT_EQ(c.box.Height(), c.height);
    }
}

TEST(IBoxTest, ContainsTheLeftTopEdgesOnly)
{
    struct Case {
        IBox box;
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {{10, 10, 20, 20}, 10, 10, true},  {{10, 10, 20, 20}, 19, 19, true},
        {{10, 10, 20, 20}, 20, 15, false}, {{10, 10, 20, 20}, 15, 20, false},
        {{10, 10, 20, 20}, 9, 15, false},  {{0, 0, 0, 0}, 0, 0, false},
        {{5, 5, 5, 5}, 5, 5, false},       {{-5, -5, 0, 0}, -1, -1, true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.box.Contains(c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST(IBoxTest, IntersectsIsOneSidedAtTheRightAndBottomEdges)
{
    struct Case {
        IBox a, b;
        bool intersects;
    };
    const Case cases[] = {
        {{0, 0, 10, 10}, {10, 0, 20, 10}, true},   // b starts at a's right edge
        {{10, 0, 20, 10}, {0, 0, 10, 10}, false},  // b ends at a's left edge
        {{0, 0, 10, 10}, {-10, 0, 0, 10}, false},
        {{0, 0, 10, 10}, {0, 10, 10, 20}, true},   // b starts at a's bottom edge
        {{0, 10, 10, 20}, {0, 0, 10, 10}, false},  // b ends at a's top edge
        {{0, 0, 10, 10}, {11, 0, 20, 10}, false},
        {{0, 0, 10, 10}, {2, 2, 3, 3}, true},
        {{0, 0, 10, 10}, {0, 0, 0, 0}, false},
        {{0, 0, 0, 0}, {-5, -5, 5, 5}, false},
        {{0, 0, 10, 10}, {5, 5, 5, 5}, true},  // degenerate but not empty
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.a.Intersects(c.b), c.intersects)
            << "(" << c.a.left << "," << c.a.top << "," << c.a.right << "," << c.a.bottom
            << ") vs (" << c.b.left << "," << c.b.top << "," << c.b.right << "," << c.b.bottom
            << ")";
}

void ExpectBox(const IBox& actual, const IBox& expected)
{
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST(IBoxTest, UnionSkipsEmptyBoxesAndIntersectionTakesTheInnerEdges)
{
    struct Case {
        IBox a, b, unionBox;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, {3, 4, 5, 6}, {3, 4, 5, 6}},
        {{3, 4, 5, 6}, {0, 0, 0, 0}, {3, 4, 5, 6}},
        {{3, 4, 5, 6}, {1, 9, 2, 10}, {1, 4, 5, 10}},
        {{-4, -4, -1, -1}, {0, 0, 0, 0}, {-4, -4, -1, -1}},
    };
    for (const Case& c : cases) ExpectBox(c.a.Union(c.b), c.unionBox);
    ExpectBox(IBox{0, 0, 100, 100}.Intersection(IBox{90, 90, 120, 120}), IBox{90, 90, 100, 100});
    ExpectBox(IBox{-20, 0, 0, 20}.Intersection(IBox{0, 0, 100, 100}), IBox{0, 0, 0, 20});
}

TEST(IArgbTest, PacksAsAarrggbbAndSystemColoursDropTheAlpha)
{
    struct Case {
        IArgb colour;
        PIX_PackedColor packed;
        uint32_t system;
    };
    const Case cases[] = {
        {kArgbTransparent, 0x00000000u, 0x000000u},
        {kArgbBlack, 0xFF000000u, 0x000000u},
        {kArgbGrey, 0xFF7F7F7Fu, 0x7F7F7Fu},
        {kArgbWhite, 0xFFFFFFFFu, 0xFFFFFFu},
        {kArgbRed, 0xFFFF0000u, 0x0000FFu},
        {kArgbGreen, 0xFF00FF00u, 0x00FF00u},
        {kArgbBlue, 0xFF0000FFu, 0xFF0000u},
        {kArgbYellow, 0xFFFFFF00u, 0x00FFFFu},
        {kArgbOrange, 0xFFFF7F00u, 0x007FFFu},
        {kTextDefaultColour, 0xFF000000u, 0x000000u},
        {kEntryDefaultBackground, 0xFFFFFFFFu, 0xFFFFFFu},
        {kEntryDefaultForeground, 0xFF000000u, 0x000000u},
        {{255, 300, 0, 0}, 0xFF2C0000u, 0x00002Cu},  // channels are masked to 8 bits
        {{128, 1, 2, 3}, 0x80010203u, 0x030201u},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.colour.Packed(), c.packed) << std::hex << c.packed;
        EXPECT_EQ(c.colour.SystemColour(), c.system) << std::hex << c.system;
    }
}

TEST(IBlendTest, CombineModeOfEachKind)
{
    struct Case {
        int kind;
        PIX_CombineMode mode;
    };
    const Case cases[] = {
        {1, PIX_CombineCopy},
        {2, PIX_CombineAdd | PIX_CombineSourceAlpha},
        {3, PIX_CombineDodge | PIX_CombineSourceAlpha},
        {0, PIX_CombineCopy | PIX_CombineSourceAlpha},
        {4, PIX_CombineCopy | PIX_CombineSourceAlpha},
        {-1, PIX_CombineCopy | PIX_CombineSourceAlpha},
    };
    for (const Case& c : cases) {
        const IBlend blend{c.kind, 0.5f};
        EXPECT_EQ(blend.CombineMode(), c.mode) << c.kind;
        EXPECT_EQ(blend.CombineMode(true), c.mode | PIX_CombineBilinear) << c.kind;
    }
    EXPECT_EQ(kUnblendedMode, PIX_CombineCopy | PIX_CombineSourceAlpha);
}

TEST(IKeyCodeTest, VirtualKeysMapToCodes)
{
    struct Case {
        int vk;
        IKeyCode code;
    };
    const Case cases[] = {
        {0x20, 0},          {0x26, 1},          {0x28, 2},          {0x25, 3},
        {0x27, 4},          {0x30, 5},          {0x39, 14},         {0x41, 15},
        {0x50, 30},         {0x5A, 40},         {0x61, 15},         {0x69, 23},
        {0x70, 30},         {0x7A, 40},          // keypad and F1 to F11
        {0x60, kNoKeyCode}, {0x7B, kNoKeyCode},  // keypad 0, F12
        {0x2F, kNoKeyCode}, {0x3A, kNoKeyCode}, {0x40, kNoKeyCode}, {0x5B, kNoKeyCode},
        {0x21, kNoKeyCode}, {0x0D, kNoKeyCode}, {0, kNoKeyCode},    {-1, kNoKeyCode},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyCodeForVirtualKey(c.vk), c.code) << std::hex << c.vk;
}

TEST(ITextStyleTest, Defaults)
{
    const ITextStyle style;
    EXPECT_STREQ(style.face, "Verdana");
    EXPECT_EQ(style.size, 12);
    EXPECT_EQ(style.colour.Packed(), kTextDefaultColour.Packed());
    EXPECT_EQ(style.entryBackground.Packed(), kEntryDefaultBackground.Packed());
    EXPECT_EQ(style.entryForeground.Packed(), kEntryDefaultForeground.Packed());
    EXPECT_EQ(style.weightStyle, 0);
    EXPECT_EQ(style.align, 1);
    EXPECT_EQ(style.orientation, 0);
    EXPECT_EQ(style.quality, 0);
    EXPECT_EQ(style.cachedFont, nullptr);
}

}  // namespace
