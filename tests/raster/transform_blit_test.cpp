#include "raster/transform_blit.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"
#include "raster_test_support.h"
#include "reference.h"

namespace {

using namespace raster_test;

// A transform in 16.16 fixed point and its source clip box.
struct FixedTransform {
    int64_t x0, y0, dxPixel, dyPixel, dxRow, dyRow, ddxPixel, ddyPixel;
    int left, top, right, bottom;
};

// The sample at 16.16 position (x, y), or false when it is skipped.
bool RefSample(GuardedBitmap& src, const FixedTransform& t, bool bilinear, int64_t x, int64_t y,
               uint32_t* colour)
{
    const int64_t sx = ref::Div(x, 65536), sy = ref::Div(y, 65536);
    const int64_t fx = x & 0xFFFF, fy = y & 0xFFFF;
    if (sx < t.left || sy < t.top || sx >= t.right || sy >= t.bottom) return false;
    *colour =
        bilinear ? RefBilinear(src, sx, sy, fx, fy, t.right, t.bottom) : src.At(int(sx), int(sy));
    return true;
}

// Destination pixel (destX + j, destY + r) samples row start plus j times
// the per-pixel step of row r.
void RefTransform(GuardedBitmap& dest, GuardedBitmap& src, int destX, int destY, int width,
                  int height, const FixedTransform& t, bool bilinear, int64_t w,
                  PIX_CombineMode mode)
{
    for (int r = 0; r < height; ++r)
        for (int j = 0; j < width; ++j) {
            const int64_t x = t.x0 + r * t.dxRow + j * (t.dxPixel + r * t.ddxPixel);
            const int64_t y = t.y0 + r * t.dyRow + j * (t.dyPixel + r * t.ddyPixel);
            uint32_t s;
            if (!RefSample(src, t, bilinear, x, y, &s)) continue;
            uint32_t& d = dest.At(destX + j, destY + r);
            d = RefCombine(d, s, mode, w);
        }
}

PIX_PixelKernelFn KernelOf(PIX_CombineMode mode, int w)
{
    switch (mode & 0x100FF) {
        case 0:
            return w == 256 ? PIX_PixelKernelCopyOpaque : PIX_PixelKernelCopy;
        case 1:
            return PIX_PixelKernelAdd;
        case 2:
            return PIX_PixelKernelDodge;
        case 3:
            return PIX_PixelKernelMultiply;
        case 4:
            return PIX_PixelKernelSoftLight;
        case 5:
            return PIX_PixelKernelHsvShift;
        case 0x10000:
            return w == 256 ? PIX_PixelKernelCopySourceAlphaOpaque : PIX_PixelKernelCopySourceAlpha;
        case 0x10001:
            return PIX_PixelKernelAddSourceAlpha;
        case 0x10002:
            return PIX_PixelKernelDodgeSourceAlpha;
        case 0x10003:
            return PIX_PixelKernelMultiplySourceAlpha;
        case 0x10004:
            return PIX_PixelKernelSoftLightSourceAlpha;
        default:
            return PIX_PixelKernelHsvShiftSourceAlpha;
    }
}

const PIX_CombineMode kModes[] = {0,       1,       2,       3,       4,       5,
                                  0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005};
const PIX_CombineMode kAllModes[] = {0, 1, 2, 3, 4, 5, 6, 0x10000, 0x10003, 0x10005, 0x10006, 0xF4};
const float kAlphas[] = {1.0f, 0.5f, 0.25f, 1.25f, -0.5f, 0.003f};

uint8_t* Bytes(GuardedBitmap& b, int x, int y)
{
    return reinterpret_cast<uint8_t*>(&b.At(x, y));
}
ptrdiff_t Step(GuardedBitmap& b)
{
    return (b.IsBottomUp() ? -4 : 4) * ptrdiff_t(b.RowStride());
}

TEST(TransformKernel, MatchesReferenceForRandomTransforms)
{
    Lcg rng{17};
    int mismatches = 0;
    for (int n = 0; n < 2500; ++n) {
        const bool bilinear = rng.Range(0, 1) == 1;
        const PIX_CombineMode mode = kModes[rng.Range(0, 11)];
        const int w = rng.Range(0, 3) == 0 ? 256 : rng.Range(-300, 400);
        if (w == 0 || ((mode & 0x100FF) == 0 && w < 0)) continue;
        GuardedBitmap src(rng.Range(1, 9), rng.Range(1, 9), rng.Range(0, 1), rng);
        GuardedBitmap dest(9, 8, rng.Range(0, 1), rng);
        const int width = rng.Range(1, 9), height = rng.Range(1, 8);
        FixedTransform t;
        t.x0 = rng.Range(-3 * 65536, 10 * 65536);
        t.y0 = rng.Range(-3 * 65536, 10 * 65536);
        t.dxPixel = rng.Range(-90000, 90000);
        t.dyPixel = rng.Range(-90000, 90000);
        t.dxRow = rng.Range(-90000, 90000);
        t.dyRow = rng.Range(-90000, 90000);
        t.ddxPixel = rng.Range(0, 2) == 0 ? 0 : rng.Range(-9000, 9000);
        t.ddyPixel = rng.Range(0, 2) == 0 ? 0 : rng.Range(-9000, 9000);
        t.left = rng.Range(0, src.PixelWidth() - 1);
        t.top = rng.Range(0, src.PixelHeight() - 1);
        t.right = rng.Range(t.left, src.PixelWidth());
        t.bottom = rng.Range(t.top, src.PixelHeight());
        GuardedBitmap want = dest;
        RefTransform(want, src, 0, 0, width, height, t, bilinear, w, mode);
        PIX_TransformKernel(Bytes(dest, 0, 0), Bytes(src, 0, 0), width, height, int(t.x0),
                            int(t.y0), int(t.dxPixel), int(t.dyPixel), int(t.dxRow), int(t.dyRow),
                            int(t.ddxPixel), int(t.ddyPixel), t.left, t.top, t.right, t.bottom,
                            Step(src), Step(dest), w, bilinear ? 0x100 : 0x200, KernelOf(mode, w));
        ASSERT_TRUE(dest.GuardIntact() && src.GuardIntact());
        if (dest.Pixels() != want.Pixels() && mismatches++ < 5)
            ADD_FAILURE() << "case " << n << " mode " << mode << " w " << w
                          << (bilinear ? " bilinear" : "");
    }
    EXPECT_EQ(mismatches, 0);
}

int Fixed(double v)
{
    return int(std::trunc(v * 65536.0));
}

// Rotated copies wholly inside the destination or cut only at its right and
// bottom: the start follows from the centre rule, the rest from the steps.
struct RotateCase {
    int destX, destY, destWidth, destHeight;
    float srcX, srcY, srcWidth, srcHeight, angle, offsetX, offsetY;
    bool clip;
};
const RotateCase kRotateCases[] = {
    {1, 1, 7, 6, 0, 0, 7, 6, 0.0f, 0, 0, false},          // one-to-one
    {0, 0, 10, 9, 1, 1, 5, 4.5f, 0.0f, 0, 0, true},       // enlargement, clipped source
    {2, 1, 8, 8, 0.5f, 0.25f, 8, 8, 0.6f, 0, 0, false},   // rotation
    {0, 0, 9, 7, 1, 0, 6, 7, -2.2f, 1.5f, -0.75f, true},  // rotation with offsets
    {3, 2, 9, 9, 0, 0, 9, 8, 3.0f, 0, 0, true},           // cut at the right and bottom
    {9, 7, -6, -5, 0, 0, 9, 8, 0.3f, 0, 0, false},        // mirrored both ways
    {0, 0, 10, 9, 2, 2, 1, 5, 0.1f, 0, 0, true},          // clip box one column wide
};

TEST(RotateCopy, MatchesReferenceInEveryModeWeightAndFilter)
{
    Lcg rng{23};
    int mismatches = 0;
    for (const bool bottomUp : {false, true})
        for (const PIX_CombineMode op : kAllModes)
            for (const PIX_CombineMode filter : {0x000u, 0x100u})
                for (const float alpha : kAlphas)
                    for (const RotateCase& k : kRotateCases) {
                        const PIX_CombineMode mode = op | filter;
                        GuardedBitmap src(9, 8, bottomUp, rng), dest(10, 9, !bottomUp, rng);
                        GuardedBitmap want = dest;
                        int x = k.destX, y = k.destY, dw = k.destWidth, dh = k.destHeight;
                        float sx = k.srcX, sy = k.srcY, sw = k.srcWidth, sh = k.srcHeight;
                        FixedTransform t;
                        t.left = k.clip ? int(std::max(sx, 0.0f)) : 0;
                        t.top = k.clip ? int(std::max(sy, 0.0f)) : 0;
                        t.right = k.clip ? int(std::min(sx + sw, 9.0f)) : 9;
                        t.bottom = k.clip ? int(std::min(sy + sh, 8.0f)) : 8;
                        if (dw < 0) x += dw, sx += sw, sw = -sw, dw = -dw;
                        if (dh < 0) y += dh, sy += sh, sh = -sh, dh = -dh;
                        const double c = std::cos(double(k.angle)), s = std::sin(double(k.angle));
                        const double rx = double(sw) / dw, ry = double(sh) / dh;
                        // The centre of the destination samples the centre of the source.
                        const double cx = sx + sw / 2.0 + k.offsetX, cy = sy + sh / 2.0 + k.offsetY;
                        t.x0 = Fixed(float(cx - (c * rx * dw + s * rx * dh) / 2));
                        t.y0 = Fixed(float(cy - (-s * ry * dw + c * ry * dh) / 2));
                        t.dxPixel = Fixed(c * rx), t.dyPixel = Fixed(-s * ry);
                        t.dxRow = Fixed(s * rx), t.dyRow = Fixed(c * ry);
                        t.ddxPixel = t.ddyPixel = 0;
                        const int64_t w = Weight(alpha);
                        const bool draws =
                            (op & 0xFF) <= 5 && w != 0 && !((op & 0x100FF) == 0 && w < 0);
                        if (draws)
                            RefTransform(want, src, x, y, std::min(dw, 10 - x), std::min(dh, 9 - y),
                                         t, filter == 0x100, w, op);
                        PIX_RotateCopy(&dest, &src, k.destX, k.destY, k.destWidth, k.destHeight,
                                       k.srcX, k.srcY, k.srcWidth, k.srcHeight, k.angle, k.clip,
                                       alpha, mode, k.offsetX, k.offsetY);
                        ASSERT_TRUE(dest.GuardIntact());
                        if (dest.Pixels() != want.Pixels() && mismatches++ < 5)
                            ADD_FAILURE() << "mode " << mode << " alpha " << alpha << " case "
                                          << (&k - kRotateCases) << (bottomUp ? " bottom-up" : "");
                    }
    EXPECT_EQ(mismatches, 0);
}

// The source coordinates as a pixel, for reading back which pixel was copied.
uint32_t Coordinates(int x, int y)
{
    return 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
}

void FillWithCoordinates(GuardedBitmap& b)
{
    for (int y = 0; y < b.PixelHeight(); ++y)
        for (int x = 0; x < b.PixelWidth(); ++x) b.At(x, y) = Coordinates(x, y);
}

// Rows of source columns that row 0 of a 1-row destination shows (-1: untouched).
std::vector<int> Columns(GuardedBitmap& dest, int row = 0)
{
    std::vector<int> v;
    for (int x = 0; x < dest.PixelWidth(); ++x) {
        const uint32_t p = dest.At(x, row);
        v.push_back(p == 0 ? -1 : int(p & 0xFF));
    }
    return v;
}

TEST(RotateCopy, GeometryExamples)
{
    Lcg rng{1};
    const struct {
        const char* what;
        int destX, destWidth;
        float srcX, srcWidth;
        std::vector<int> want;
    } cases[] = {
        {"angle 0 at equal size copies one to one", 0, 6, 0, 6, {0, 1, 2, 3, 4, 5}},
        {"twice the size samples at top-left corners", 0, 6, 0, 3, {0, 0, 1, 1, 2, 2}},
        {"clipped on the left keeps the mapping", -2, 6, 0, 3, {1, 1, 2, 2, -1, -1}},
        {"a source start of -0.5 truncates toward column 0", 0, 4, -0.5f, 4, {0, 0, 1, 2, -1, -1}},
        {"mirrored pixel k samples position srcX + srcWidth - k", 5, -5, 0, 5, {5, 4, 3, 2, 1, -1}},
    };
    for (const auto& c : cases) {
        GuardedBitmap src(8, 1, false, rng), dest(6, 1, true, rng);
        FillWithCoordinates(src);
        for (int x = 0; x < 6; ++x) dest.At(x, 0) = 0;
        PIX_RotateCopy(&dest, &src, c.destX, 0, c.destWidth, 1, c.srcX, 0, c.srcWidth, 1, 0.0f,
                       false, 1.0f, 0, 0, 0);
        EXPECT_EQ(Columns(dest), c.want) << c.what;
        EXPECT_TRUE(dest.GuardIntact()) << c.what;
    }
}

TEST(RotateCopy, BilinearOnAOneColumnClipBoxInterpolatesVertically)
{
    Lcg rng{2};
    GuardedBitmap src(3, 3, false, rng), dest(2, 4, false, rng);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            src.At(x, y) = x == 1 ? 0xFF000000u | uint32_t(y * 100) : 0xFFFFFFFFu;
    // Column 1 only, rows 0..2 onto four destination rows: positions 0, 0.75, 1.5, 2.25.
    PIX_RotateCopy(&dest, &src, 0, 0, 2, 4, 1, 0, 1, 3, 0.0f, true, 1.0f, 0x100, 0, 0);
    const uint32_t want[4] = {0xFF000000u, 0xFF00004Bu, 0xFF000096u, 0xFF0000C8u};
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(dest.At(0, y), want[y]) << "row " << y;
        EXPECT_EQ(dest.At(1, y), want[y]) << "row " << y;
    }
}

// Destination clipping on the left and top must leave the samples of the
// remaining pixels as they were: the picture at (-3, -2) equals the part of
// the same picture drawn at (0, 0) into a larger destination. Exact binary
// steps, so that no rounding differs.
TEST(TransformedCopies, ClippingAtTheLeftAndTopKeepsTheMapping)
{
    Lcg rng{31};
    const struct {
        const char* what;
        double dxPixel, dyPixel, dxRow, dyRow, ddxPixel, ddyPixel;
    } cases[] = {
        {"scaled", 0.5, 0, 0, 0.75, 0, 0},
        {"sheared", 0.5, 0.25, -0.25, 0.5, 0, 0},
        {"bilinear mapping with step changes", 0.5, 0.125, 0.25, 0.5, 0.0625, -0.03125},
    };
    for (const auto& c : cases)
        for (const PIX_CombineMode filter : {0u, 0x100u}) {
            GuardedBitmap src(9, 9, false, rng), small(7, 6, true, rng), large(10, 8, false, rng);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 7; ++x) large.At(x + 3, y + 2) = small.At(x, y);
            PIX_SteppedCopy(&small, &src, -3, -2, 10, 8, 1.5f, 0.75f, 0, 0, c.dxPixel, c.dyPixel,
                            c.dxRow, c.dyRow, c.ddxPixel, c.ddyPixel, false, 1.0f, filter);
            PIX_SteppedCopy(&large, &src, 0, 0, 10, 8, 1.5f, 0.75f, 0, 0, c.dxPixel, c.dyPixel,
                            c.dxRow, c.dyRow, c.ddxPixel, c.ddyPixel, false, 1.0f, filter);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 7; ++x)
                    ASSERT_EQ(small.At(x, y), large.At(x + 3, y + 2))
                        << c.what << " at " << x << ", " << y;
        }
}

TEST(SteppedCopy, MatchesReferenceWithClippingAndMirroring)
{
    Lcg rng{37};
    const struct {
        int destX, destY, destWidth, destHeight;
        float srcX, srcY, srcWidth, srcHeight;
        double dxPixel, dyPixel, dxRow, dyRow, ddxPixel, ddyPixel;
        bool clip;
        // The reference rectangle and start after mirroring and clipping.
        int x, y, width, height;
        double startX, startY;
    } cases[] = {
        {1, 1, 6, 5, 0, 0, 9, 8, 1, 0, 0, 1, 0, 0, false, 1, 1, 6, 5, 0, 0},
        {0, 0, 9, 7, 2.5f, 1, 3, 4, 0.3, 0.1, -0.2, 0.6, 0.01, -0.02, true, 0, 0, 9, 7, 2.5, 1},
        {-2, -1, 8, 6, 1, 2, 0, 0, 0.5, 0.25, 0.125, 0.5, 0, 0, false, 0, 0, 6, 5, 2.125, 3.0},
        {8, 6, -5, -4, 1, 2, 6, 5, -1, 0, 0, -1, 0, 0, true, 3, 2, 5, 4, 7, 7},
        {5, 4, 9, 9, 0, 0, 9, 8, 0.9, -0.4, 0.4, 0.9, 0, 0, false, 5, 4, 5, 5, 0, 0},
    };
    int mismatches = 0;
    for (const bool bottomUp : {false, true})
        for (const PIX_CombineMode op : kModes)
            for (const PIX_CombineMode filter : {0x000u, 0x100u})
                for (const float alpha : {1.0f, 0.6f, -0.7f})
                    for (const auto& k : cases) {
                        GuardedBitmap src(9, 8, bottomUp, rng), dest(10, 9, !bottomUp, rng);
                        GuardedBitmap want = dest;
                        FixedTransform t = {Fixed(k.startX),
                                            Fixed(k.startY),
                                            Fixed(k.dxPixel),
                                            Fixed(k.dyPixel),
                                            Fixed(k.dxRow),
                                            Fixed(k.dyRow),
                                            Fixed(k.ddxPixel),
                                            Fixed(k.ddyPixel),
                                            k.clip ? int(std::max(k.srcX, 0.0f)) : 0,
                                            k.clip ? int(std::max(k.srcY, 0.0f)) : 0,
                                            k.clip ? int(std::min(k.srcX + k.srcWidth, 9.0f)) : 9,
                                            k.clip ? int(std::min(k.srcY + k.srcHeight, 8.0f)) : 8};
                        const int64_t w = Weight(alpha);
                        if (!((op & 0x100FF) == 0 && w < 0))
                            RefTransform(want, src, k.x, k.y, k.width, k.height, t, filter == 0x100,
                                         w, op);
                        PIX_SteppedCopy(&dest, &src, k.destX, k.destY, k.destWidth, k.destHeight,
                                        k.srcX, k.srcY, k.srcWidth, k.srcHeight, k.dxPixel,
                                        k.dyPixel, k.dxRow, k.dyRow, k.ddxPixel, k.ddyPixel, k.clip,
                                        alpha, op | filter);
                        ASSERT_TRUE(dest.GuardIntact());
                        if (dest.Pixels() != want.Pixels() && mismatches++ < 5)
                            ADD_FAILURE()
                                << "mode " << (op | filter) << " alpha " << alpha << " case "
                                << (&k - cases) << (bottomUp ? " bottom-up" : "");
                    }
    EXPECT_EQ(mismatches, 0);
}

TEST(MeshWarp, AffineGridEqualsOneSteppedCopy)
{
    Lcg rng{41};
    // Cells of 4 x 2 destination pixels over a lattice of steps 0.5 and 0.75,
    // with a shear of 0.25 per row: every cell continues the same mapping.
    const struct {
        const char* what;
        int gridWidth, gridHeight;
    } cases[] = {{"2 x 2 corners", 2, 2}, {"3 x 4 lattice", 3, 4}};
    for (const auto& c : cases)
        for (const bool useFloat : {false, true}) {
            const int destWidth = 8, destHeight = 6;
            std::vector<double> grid;
            for (int j = 0; j < c.gridHeight; ++j)
                for (int i = 0; i < c.gridWidth; ++i) {
                    const double u = double(i) * destWidth / (c.gridWidth - 1);
                    const double v = double(j) * destHeight / (c.gridHeight - 1);
                    grid.push_back(0.5 + 0.5 * u + 0.25 * v);
                    grid.push_back(1.0 + 0.75 * v);
                }
            const std::vector<float> gridFloat(grid.begin(), grid.end());
            for (const PIX_CombineMode mode : {0u, 0x103u, 0x10001u}) {
                GuardedBitmap src(9, 8, true, rng), dest(10, 9, false, rng);
                GuardedBitmap want = dest;
                PIX_SteppedCopy(&want, &src, 1, 2, destWidth, destHeight, 0.5f, 1.0f, 0, 0, 0.5, 0,
                                0.25, 0.75, 0, 0, false, 0.8f, mode);
                if (useFloat)
                    PIX_MeshWarpCopyFloat(&dest, &src, 1, 2, destWidth, destHeight,
                                          gridFloat.data(), c.gridWidth, c.gridHeight, 0.8f, mode);
                else
                    PIX_MeshWarpCopyDouble(&dest, &src, 1, 2, destWidth, destHeight, grid.data(),
                                           c.gridWidth, c.gridHeight, 0.8f, mode);
                EXPECT_TRUE(dest.GuardIntact());
                EXPECT_EQ(dest.Pixels(), want.Pixels())
                    << c.what << " mode " << mode << (useFloat ? " float" : "");
            }
        }
}

TEST(MeshWarp, BandsOfZeroHeightAreSkipped)
{
    Lcg rng{43};
    GuardedBitmap src(8, 8, false, rng), dest(3, 2, false, rng);
    FillWithCoordinates(src);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) dest.At(x, y) = 0;
    // Four bands over two rows: boundaries 0, 1, 1, 2, so only the bands of
    // grid rows 1-2 and 3-4 draw; grid row j samples source row j.
    std::vector<double> grid;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 2; ++i) grid.insert(grid.end(), {double(i * 3), double(j)});
    PIX_MeshWarpCopyDouble(&dest, &src, 0, 0, 3, 2, grid.data(), 2, 5, 1.0f, 0);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(dest.At(x, 0), Coordinates(x, 1));
        EXPECT_EQ(dest.At(x, 1), Coordinates(x, 3));
    }
}

// The blurred picture of an area, from the weights: the pixel 1/2, each side
// neighbour 1/8, or 1/4 for the one opposite a missing neighbour; each term
// rounded down per channel.
std::vector<uint32_t> RefBlur(GuardedBitmap& src, int left, int top, int width, int height)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            auto at = [&](int dx, int dy, int k) {
                return int64_t(Channel(src.At(left + x + dx, top + y + dy), k));
            };
            uint32_t v = 0;
            for (int k = 0; k < 4; ++k) {
                int64_t sum = ref::Div(at(0, 0, k), 2);
                const bool l = x > 0, r = x<width - 1, u = y> 0, d = y < height - 1;
                sum += l && r ? ref::Div(at(-1, 0, k), 8) + ref::Div(at(1, 0, k), 8)
                              : ref::Div(l ? at(-1, 0, k) : at(1, 0, k), 4);
                sum += u && d ? ref::Div(at(0, -1, k), 8) + ref::Div(at(0, 1, k), 8)
                              : ref::Div(u ? at(0, -1, k) : at(0, 1, k), 4);
                v |= uint32_t(sum) << (8 * k);
            }
            out.push_back(v);
        }
    return out;
}

TEST(CrossBlurCopy, MatchesReferenceWithClippingAtEveryEdge)
{
    Lcg rng{47};
    const struct {
        const char* what;
        int destX, destY, srcX, srcY, width, height;
        // The source area and where it lands.
        int left, top, areaWidth, areaHeight, x, y;
    } cases[] = {
        {"inside", 1, 2, 1, 1, 6, 5, 1, 1, 6, 5, 1, 2},
        {"negative source only cuts", 2, 1, -2, -1, 6, 5, 0, 0, 4, 4, 2, 1},
        {"negative destination moves the source", -2, -3, 1, 1, 7, 6, 3, 4, 5, 3, 0, 0},
        {"cut at the source's right and bottom", 0, 0, 5, 4, 9, 9, 5, 4, 4, 4, 0, 0},
        {"cut at the destination's right and bottom", 6, 5, 0, 0, 9, 8, 0, 0, 4, 3, 6, 5},
        {"two by two", 3, 3, 7, 6, 2, 2, 7, 6, 2, 2, 3, 3},
    };
    for (const bool bottomUp : {false, true})
        for (const auto& c : cases) {
            GuardedBitmap src(9, 8, bottomUp, rng), dest(10, 8, !bottomUp, rng);
            GuardedBitmap want = dest;
            const std::vector<uint32_t> blurred =
                RefBlur(src, c.left, c.top, c.areaWidth, c.areaHeight);
            for (int y = 0; y < c.areaHeight; ++y)
                for (int x = 0; x < c.areaWidth; ++x)
                    want.At(c.x + x, c.y + y) = blurred[size_t(y * c.areaWidth + x)];
            PIX_CrossBlurCopy(&dest, &src, c.destX, c.destY, c.srcX, c.srcY, c.width, c.height);
            EXPECT_TRUE(dest.GuardIntact()) << c.what;
            EXPECT_EQ(dest.Pixels(), want.Pixels()) << c.what << (bottomUp ? " bottom-up" : "");
        }
}

TEST(CrossBlurCopy, InPlaceEqualsACopyIntoAnotherBitmap)
{
    Lcg rng{53};
    // 1100 columns take the heap buffer.
    for (const int width : {5, 12, 1100})
        for (const bool bottomUp : {false, true}) {
            GuardedBitmap image(width, 6, bottomUp, rng);
            GuardedBitmap copy(width, 6, bottomUp, rng);
            PIX_CrossBlurCopy(&copy, &image, 0, 0, 0, 0, width, 6);
            PIX_CrossBlurCopy(&image, &image, 0, 0, 0, 0, width, 6);
            EXPECT_TRUE(image.GuardIntact());
            EXPECT_EQ(image.Pixels(), copy.Pixels()) << width << (bottomUp ? " bottom-up" : "");
        }
}

TEST(CrossBlurCopy, Examples)
{
    Lcg rng{59};
    GuardedBitmap src(5, 5, false, rng), dest(5, 5, false, rng);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) src.At(x, y) = x == 2 && y == 2 ? 0xFFFFFFFFu : 0;
    PIX_CrossBlurCopy(&dest, &src, 0, 0, 0, 0, 5, 5);
    EXPECT_EQ(dest.At(2, 2), 0x7F7F7F7Fu);
    for (const auto& [x, y] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}})
        EXPECT_EQ(dest.At(x, y), 0x1F1F1F1Fu);
    EXPECT_EQ(dest.At(1, 1), 0u);

    // Areas of one row or one column are not blurred at all.
    const std::vector<uint32_t> before = dest.Pixels();
    PIX_CrossBlurCopy(&dest, &src, 0, 0, 0, 0, 1, 5);
    PIX_CrossBlurCopy(&dest, &src, 0, 0, 0, 0, 5, 1);
    PIX_CrossBlurCopy(&dest, &src, 0, 0, 4, 0, 5, 5);  // cut to one column
    PIX_CrossBlurCopy(&dest, &src, 4, 0, 0, 0, 5, 5);  // cut to one column by the destination
    PIX_CrossBlurCopy(&dest, &src, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(dest.Pixels(), before);
}

TEST(TransformedCopies, NullBitmapsPixelsAndGridsReturnSilently)
{
    Lcg rng{61};
    GuardedBitmap good(4, 4, false, rng), nullPixels(4, 4, false, rng, true);
    PIX_MemBitmap empty(0, 0, 4);
    const double grid[8] = {0, 0, 4, 0, 0, 4, 4, 4};
    const std::vector<uint32_t> before = good.Pixels();
    for (PIX_IBitmap* other : std::initializer_list<PIX_IBitmap*>{nullptr, &nullPixels, &empty}) {
        for (const auto& [a, b] :
             {std::pair<PIX_IBitmap*, PIX_IBitmap*>{&good, other}, {other, &good}}) {
            PIX_RotateCopy(a, b, 0, 0, 4, 4, 0, 0, 4, 4, 0.5f, false, 1.0f, 0x100, 0, 0);
            PIX_SteppedCopy(a, b, 0, 0, 4, 4, 0, 0, 4, 4, 1, 0, 0, 1, 0, 0, true, 1.0f, 0);
            PIX_MeshWarpCopyDouble(a, b, 0, 0, 4, 4, grid, 2, 2, 1.0f, 0);
            PIX_CrossBlurCopy(a, b, 0, 0, 0, 0, 4, 4);
        }
    }
    PIX_MeshWarpCopyDouble(&good, &good, 0, 0, 4, 4, nullptr, 2, 2, 1.0f, 0);
    PIX_MeshWarpCopyFloat(&good, &good, 0, 0, 4, 4, nullptr, 2, 2, 1.0f, 0);
    PIX_MeshWarpCopyDouble(&good, &good, 0, 0, 4, 4, grid, 1, 2, 1.0f, 0);
    PIX_TransformKernel(nullptr, nullptr, 4, 4, 0, 0, 65536, 0, 0, 65536, 0, 0, 0, 0, 4, 4, 0, 0,
                        256, 0, PIX_PixelKernelCopy);
    EXPECT_EQ(good.Pixels(), before);
    EXPECT_TRUE(good.GuardIntact());
}

// NaN, infinite and huge angles, positions and steps saturate instead of
// being undefined: nothing outside the destination is touched.
TEST(TransformedCopies, NonFiniteAndHugeArgumentsAreDefined)
{
    Lcg rng{67};
    const float nan = std::numeric_limits<float>::quiet_NaN(),
                inf = std::numeric_limits<float>::infinity();
    const float values[] = {nan, inf, -inf, 3e38f, -3e38f, 1e9f};
    for (const float v : values) {
        GuardedBitmap src(5, 5, false, rng), dest(6, 6, true, rng);
        for (const PIX_CombineMode filter : {0u, 0x100u}) {
            PIX_RotateCopy(&dest, &src, 0, 0, 6, 6, 0, 0, 5, 5, v, false, 1.0f, filter, 0, 0);
            PIX_RotateCopy(&dest, &src, -3, 0, 6, 6, v, 0, 5, v, 0.4f, true, 0.5f, filter, v, 0);
            PIX_RotateCopy(&dest, &src, 0, 0, 6, 6, 0, 0, 5, 5, 0.4f, false, v, filter, 0, 0);
            PIX_SteppedCopy(&dest, &src, -2, -2, 6, 6, v, 0, 5, 5, double(v), 1, 0, double(v),
                            double(v), 0, false, 1.0f, filter);
            PIX_SteppedCopy(&dest, &src, 0, 0, INT32_MAX, INT32_MIN, 0, 0, 5, 5, 1, 0, 0, 1, 0, 0,
                            false, 1.0f, filter);
            const double grid[8] = {double(v), 0, 5, double(v), 0, 5, 5, 5};
            PIX_MeshWarpCopyDouble(&dest, &src, -1, -1, 8, 8, grid, 2, 2, 1.0f, filter);
            PIX_MeshWarpCopyDouble(&dest, &src, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, grid, 2,
                                   2, 1.0f, filter);
        }
        PIX_CrossBlurCopy(&dest, &src, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MAX,
                          INT32_MAX);
        EXPECT_TRUE(dest.GuardIntact() && src.GuardIntact()) << v;
    }
}

// A deterministic sweep of rotated, stepped and warped copies and blurs with
// float arguments; its digest was taken from the native build and must hold
// in the Windows one.
TEST(TransformChecksum, SweepGivesTheSameDigestInBothBuilds)
{
    Lcg rng{2106};
    GuardedBitmap dest(40, 30, false, rng), src(23, 19, true, rng);
    for (int n = 0; n < 1200; ++n) {
        const PIX_CombineMode mode = kModes[rng.Range(0, 11)] | (rng.Range(0, 1) ? 0x100 : 0);
        const float alpha = rng.Unit() * 1.3f - 0.1f;
        switch (n % 4) {
            case 0:
                PIX_RotateCopy(&dest, &src, rng.Range(-10, 35), rng.Range(-10, 25),
                               rng.Range(-30, 30), rng.Range(-25, 25), rng.Unit() * 25 - 3,
                               rng.Unit() * 20 - 3, rng.Unit() * 25, rng.Unit() * 20,
                               rng.Unit() * 14 - 7, rng.Range(0, 1) == 1, alpha, mode,
                               rng.Unit() * 4 - 2, rng.Unit() * 4 - 2);
                break;
            case 1:
                PIX_SteppedCopy(&dest, &src, rng.Range(-10, 35), rng.Range(-10, 25),
                                rng.Range(-30, 30), rng.Range(-25, 25), rng.Unit() * 25 - 3,
                                rng.Unit() * 20 - 3, rng.Unit() * 25, rng.Unit() * 20,
                                rng.Unit() * 3 - 1.5, rng.Unit() * 3 - 1.5, rng.Unit() * 3 - 1.5,
                                rng.Unit() * 3 - 1.5, rng.Unit() * 0.2 - 0.1,
                                rng.Unit() * 0.2 - 0.1, rng.Range(0, 1) == 1, alpha, mode);
                break;
            case 2: {
                const int gw = rng.Range(2, 5), gh = rng.Range(2, 5);
                std::vector<float> grid;
                for (int i = 0; i < gw * gh; ++i)
                    grid.insert(grid.end(), {rng.Unit() * 26 - 2, rng.Unit() * 22 - 2});
                if (rng.Range(0, 1)) {
                    PIX_MeshWarpCopyFloat(&dest, &src, rng.Range(-10, 35), rng.Range(-10, 25),
                                          rng.Range(1, 30), rng.Range(1, 25), grid.data(), gw, gh,
                                          alpha, mode);
                } else {
                    const std::vector<double> wide(grid.begin(), grid.end());
                    PIX_MeshWarpCopyDouble(&dest, &src, rng.Range(-10, 35), rng.Range(-10, 25),
                                           rng.Range(1, 30), rng.Range(1, 25), wide.data(), gw, gh,
                                           alpha, mode);
                }
                break;
            }
            default:
                PIX_CrossBlurCopy(&dest, rng.Range(0, 1) ? &src : &dest, rng.Range(-5, 35),
                                  rng.Range(-5, 25), rng.Range(-5, 20), rng.Range(-5, 15),
                                  rng.Range(0, 30), rng.Range(0, 25));
                break;
        }
    }
    ASSERT_TRUE(dest.GuardIntact());
    Digest digest;
    for (uint32_t v : dest.Pixels()) digest.Add(v);
    EXPECT_EQ(digest.value, 0x7470507d01381829ull) << std::hex << digest.value;
}

// A picture whose rows end exactly where its pixels do, so that a read past
// the last column leaves the block.
class ExactBitmap : public PIX_IBitmap {
public:
    ExactBitmap(int width, int height)
        : mPixels(size_t(width) * height), mWidth(width), mHeight(height)
    {
    }
    PIX_PackedColor* PixelData() const override
    {
        return const_cast<PIX_PackedColor*>(mPixels.data());
    }
    int PixelWidth() const override { return mWidth; }
    int PixelHeight() const override { return mHeight; }
    int RowStride() const override { return mWidth; }
    bool SetSize(int, int) override { return false; }

private:
    std::vector<PIX_PackedColor> mPixels;
    int mWidth, mHeight;
};

// Above 2^24 a width rounds up in single precision; the source clip must
// still end at the last column.
TEST(SteppedCopy, SourceClipNeverPassesTheLastColumn)
{
    const int width = 16777219;
    ExactBitmap src(width, 1), dest(width + 1, 1);
    src.PixelData()[width - 1] = 0xFF123456u;
    PIX_SteppedCopy(&dest, &src, 0, 0, width + 1, 1, 0.f, 0.f, 1e8f, 1.f, 1, 0, 0, 1, 0, 0, true,
                    1.0f, PIX_CombineCopy);
    EXPECT_EQ(dest.PixelData()[width - 1], 0xFF123456u);
    EXPECT_EQ(dest.PixelData()[width], 0u);
}

}  // namespace
