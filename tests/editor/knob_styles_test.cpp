#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "editor/graphics.h"
#include "editor/knob_styles.h"
#include "raster/bitmap.h"
#include "raster/golden_image.h"
#include "raster/pixel_ops.h"
#include "raster/raster_test_support.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

#include "control_test_support.h"
#include "test_images.h"

namespace {

constexpr PIX_PackedColor kBackdrop = 0xFF283038;
constexpr IArgb kLineColour = {255, 240, 200, 60};
constexpr double kPi = 3.141592653589793;

// A headless editor whose surface is the backdrop colour and whose draw
// clip is all of it, as while a control paints.
class Surface : public HeadlessGraphics {
public:
    Surface(int width, int height) : HeadlessGraphics(nullptr, width, height)
    {
        CreateSurfaces();
        PIX_FillBitmap(DrawSurface(), kBackdrop);
        drawClip = IRegion(IBox{0, 0, width, height});
    }

    std::vector<uint32_t> Picture() const { return ::Picture(DrawSurface()); }
};

// ---- Images of our own ----

// Twice the offset from the centre, and whether (x, y) lies in the disc
// that fills the image's width.
struct Place {
    int dx, dy;
    bool inDisc;
};

Place PlaceOf(int x, int y, int w, int h)
{
    const int dx = 2 * x + 1 - w, dy = 2 * y + 1 - h;
    return {dx, dy, dx * dx + dy * dy <= (w - 2) * (w - 2)};
}

// A shaded disc with a light pointer bar at its top: no two turns alike.
uint32_t KnobPixel(int x, int y, int w, int h)
{
    const Place p = PlaceOf(x, y, w, h);
    if (!p.inDisc) return 0;
    if (std::abs(p.dx) <= 2 && p.dy < -w / 3) return 0xFFF8F4E8;
    const uint32_t shade = uint32_t(150 - y * 90 / h);
    return 0xFF000000u | shade << 16 | shade << 8 | uint32_t(shade + 40);
}

// Opaque, red to the right and green downward.
uint32_t BasePixel(int x, int y, int w, int h)
{
    return 0xFF000000u | uint32_t(40 + x * 200 / w) << 16 | uint32_t(40 + y * 160 / h) << 8 | 0x50;
}

// The disc, its upper half covering fully, its lower half a third.
uint32_t MaskPixel(int x, int y, int w, int h)
{
    const Place p = PlaceOf(x, y, w, h);
    if (!p.inDisc) return 0;
    return (p.dy < 0 ? 0xFF000000u : 0x55000000u) | 0x183048;
}

// A pointer from the centre to the right.
uint32_t TopPixel(int x, int y, int w, int h)
{
    const Place p = PlaceOf(x, y, w, h);
    return p.inDisc && p.dx > 0 && std::abs(p.dy) <= 2 ? 0xFF10E0F0 : 0;
}

struct KnobImages {
    TestImage knob = MakeImage(21, 21, KnobPixel);  // odd sizes: centres fall between pixels
    TestImage base = MakeImage(25, 25, BasePixel);
    TestImage mask = MakeImage(25, 25, MaskPixel);
    TestImage top = MakeImage(25, 25, TopPixel);
};

const KnobImages& Images()
{
    static const KnobImages images;
    return images;
}

class KnobStylesTest : public OneParameterTest {};

TEST_F(KnobStylesTest, ConstructorsFillTheirFields)
{
    const IBox rect = {10, 20, 51, 60};
    IKnobLineControl line(&unit, rect, 0, &kLineColour, 4.0, 0.0, -2.5, 2.5, 1, 3.0);
    EXPECT_EQ(line.blend.kind, 1);
    EXPECT_EQ(line.color.Packed(), kLineColour.Packed());
    EXPECT_EQ(line.outerRadius, 20.5f);  // half the width
    EXPECT_EQ(line.innerRadius, 4.0f);
    EXPECT_EQ(line.direction, 1);
    EXPECT_EQ(line.gearing, 3.0);
    EXPECT_EQ(line.targetRect.right, 51);
    EXPECT_EQ(IKnobLineControl(&unit, rect, 0, nullptr, 0, 7, 0, 1, 0, 1).outerRadius, 7.0f);
    EXPECT_EQ(IKnobLineControl(&unit, rect, 0, nullptr, 0, 7, 0, 1, 0, 1).color.Packed(),
              IArgb{}.Packed());

    const KnobImages& images = Images();
    IKnobRotaterControl rotater(&unit, -4, 5, 0, images.knob.strip, -1.0, 2.0, 3, 0, 2.0);
    EXPECT_EQ(rotater.rect.left, -4);
    EXPECT_EQ(rotater.rect.right, 17);
    EXPECT_EQ(rotater.rect.bottom, 26);
    EXPECT_EQ(rotater.blend.kind, 0);
    EXPECT_EQ(rotater.rotationOffsetY, 3);
    EXPECT_EQ(rotater.maxAngle, 2.0);

    IKnobRotatingMaskControl mask(&unit, 3, 4, 0, images.base.strip, images.mask.strip,
                                  images.top.strip, -135.0, 135.0, 1, 4.0);
    EXPECT_EQ(mask.rect.right, 28);
    EXPECT_EQ(mask.rect.bottom, 29);
    EXPECT_EQ(mask.blend.kind, 0);
    EXPECT_EQ(mask.minAngle, -135.0);
    EXPECT_EQ(mask.topImage.bitmap, images.top.bitmap.get());
}

// Each paint against the routine called directly on a twin surface with
// the arguments the paint must hand on.
TEST_F(KnobStylesTest, TheLineRunsAlongTheAngleFromTheCentre)
{
    struct Case {
        IBox rect;
        double minAngle, maxAngle, value, inner, outer;
        float x1, y1, x2, y2;
    };
    const Case cases[] = {
        // From -2.5 to 2.5 at 0.5: straight up.
        {{10, 10, 50, 50}, -2.5, 2.5, 0.5, 5, 15, 30, 25, 30, 15},
        {{10, 10, 50, 50}, 0, kPi, 0.5, 5, 15, 35, 30, 45, 30},  // right
        // Down. The angles are floats: from 0 to pi at 1, float(pi) is past pi and the
        // outer end a hair left of 30, which the stroke truncates to 29.
        {{10, 10, 50, 50}, -kPi, 0, 0.0, 5, 15, 30, 35, 30, 45},
        {{10, 10, 50, 50}, -kPi / 2, 0, 0.0, 0, 15, 30, 30, 15, 30},  // left, from the centre
        {{10, 10, 50, 50}, -2.5, 2.5, 0.5, 5, 0, 30, 25, 30, 10},     // outer 0: half the width
        {{10, 11, 51, 52}, -2.5, 2.5, 0.5, 4, 12, 30.5, 27.5, 30.5, 19.5},  // half-pixel centre
    };
    for (const Case& c : cases) {
        Surface painted(60, 60), twin(60, 60);
        IKnobLineControl knob(&unit, c.rect, 0, &kLineColour, c.inner, c.outer, c.minAngle,
                              c.maxAngle, 0, 1.0);
        knob.value = c.value;
        EXPECT_TRUE(knob.Paint(&painted));
        IBlend opaque;
        opaque.kind = 1;
        twin.StrokeSegment(&kLineColour, c.x1, c.y1, c.x2, c.y2, &opaque, true);
        const std::vector<uint32_t> picture = painted.Picture();
        EXPECT_EQ(picture, twin.Picture()) << c.minAngle << ".." << c.maxAngle << " at " << c.value;
        EXPECT_NE(picture, Surface(60, 60).Picture()) << "nothing drawn";
    }
}

TEST_F(KnobStylesTest, TheRotaterTurnsItsImageByRadians)
{
    struct Case {
        int x, y;
        double minAngle, maxAngle, value;
        int offsetY;
        int centreX, centreY;  // of the image's box, truncated toward zero
        double angle;
    };
    const Case cases[] = {
        {20, 10, 0, kPi, 0.5, 0, 30, 20, kPi / 2}, {20, 10, -1, 1, 0.0, 3, 30, 20, -1},
        {20, 10, -1, 1, 1.0, -2, 30, 20, 1},       {20, 10, 0.25, 0.25, 0.7, 0, 30, 20, 0.25},
        {-15, -3, 0, 2, 0.5, 0, -4, 7, 1},  // (-15 + 6) / 2 is -4, not -5
    };
    const KnobImages& images = Images();
    for (const Case& c : cases) {
        Surface painted(64, 48), twin(64, 48);
        IKnobRotaterControl knob(&unit, c.x, c.y, 0, images.knob.strip, c.minAngle, c.maxAngle,
                                 c.offsetY, 0, 1.0);
        knob.value = c.value;
        EXPECT_TRUE(knob.Paint(&painted));
        const IBlend blend;
        twin.BlitImageRotated(&images.knob.strip, c.centreX, c.centreY, c.angle, c.offsetY, &blend);
        const std::vector<uint32_t> picture = painted.Picture();
        EXPECT_EQ(picture, twin.Picture()) << "at " << c.x << ", " << c.y << " value " << c.value;
        EXPECT_NE(picture, Surface(64, 48).Picture()) << "nothing drawn";
    }
}

TEST_F(KnobStylesTest, TheMaskKnobTurnsItsLayersByDegrees)
{
    struct Case {
        int x, y;
        double minAngle, maxAngle, value, degrees;
    };
    const Case cases[] = {
        {4, 3, 0, 90, 0.5, 45},  {4, 3, -135, 135, 1.0, 135}, {4, 3, -135, 135, 0.0, -135},
        {4, 3, 30, 30, 0.2, 30}, {-5, 20, 0, 180, 1.0, 180},  // partly off the surface
    };
    const KnobImages& images = Images();
    for (const Case& c : cases) {
        Surface painted(40, 40), twin(40, 40);
        IKnobRotatingMaskControl knob(&unit, c.x, c.y, 0, images.base.strip, images.mask.strip,
                                      images.top.strip, c.minAngle, c.maxAngle, 0, 1.0);
        knob.value = c.value;
        EXPECT_TRUE(knob.Paint(&painted));
        const IBlend blend;
        twin.BlitRotatedMask(&images.base.strip, &images.mask.strip, &images.top.strip, c.x, c.y,
                             c.degrees, &blend);
        const std::vector<uint32_t> picture = painted.Picture();
        EXPECT_EQ(picture, twin.Picture()) << c.degrees << " degrees";
        EXPECT_NE(picture, Surface(40, 40).Picture()) << "nothing drawn";
    }
}

TEST_F(KnobStylesTest, GoldenPanel)
{
    const KnobImages& images = Images();
    HeadlessGraphics editor(&unit, 120, 36);
    editor.CreateSurfaces();
    const IArgb backdrop = {255, 40, 48, 56};
    editor.AddColourBackdrop(&backdrop);
    struct Knob {
        IKnobControl* control;
        double value;
    };
    const Knob knobs[] = {
        {new IKnobLineControl(&unit, {2, 2, 34, 34}, 0, &kLineColour, 4, 0, -2.5, 2.5, 0, 1), 0.3},
        {new IKnobLineControl(&unit, {36, 2, 68, 34}, 0, &kArgbWhite, 0, 10, -2.5, 2.5, 0, 1), 0.9},
        {new IKnobRotaterControl(&unit, 70, 7, 0, images.knob.strip, -2.5, 2.5, 0, 0, 1), 0.75},
        {new IKnobRotatingMaskControl(&unit, 94, 5, 0, images.base.strip, images.mask.strip,
                                      images.top.strip, -135, 135, 0, 1),
         0.25},
    };
    for (const Knob& knob : knobs) {
        knob.control->value = knob.value;
        editor.AddControl(knob.control);
    }
    const IRegion all(IBox{0, 0, 120, 36});
    ASSERT_TRUE(editor.RedrawRegion(&all));
    raster_test::WriteGoldenIfRequested(*editor.DrawSurface(), "knob_styles");
    EXPECT_EQ(raster_test::DigestOfArea(*editor.DrawSurface(), 0, 0, 120, 36),
              0x26007107bd83b9c9ull);  // looked at once
}

}  // namespace
