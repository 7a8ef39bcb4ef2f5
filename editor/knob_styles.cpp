#include "editor/knob_styles.h"

#include <cmath>
#include <cstdint>

#include "editor/graphics.h"
#include "raster/float_to_int.h"

namespace {

constexpr int kOpaqueCopy = 1;

double AngleAt(double minAngle, double maxAngle, double value)
{
    return minAngle + (maxAngle - minAngle) * value;
}

// The box of the whole image at (x, y), held within the int range.
IBox ImageBoxAt(int x, int y, const IImageStrip& image)
{
    return {x, y, PIX_SaturateToInt(int64_t(x) + image.width),
            PIX_SaturateToInt(int64_t(y) + image.height)};
}

}  // namespace

IKnobLineControl::IKnobLineControl(IUnitBase* plug, IBox rect, int paramIdx, const IArgb* color,
                                   double innerRadius, double outerRadius, double minAngle,
                                   double maxAngle, int direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing),
      color(color ? *color : IArgb{}),
      minAngle(float(minAngle)),
      maxAngle(float(maxAngle)),
      innerRadius(float(innerRadius)),
      outerRadius(outerRadius == 0.0 ? float(0.5 * (double(rect.right) - rect.left))
                                     : float(outerRadius))
{
    blend.kind = kOpaqueCopy;
}

bool IKnobLineControl::Paint(IGraphics* graphics)
{
    const double angle = AngleAt(minAngle, maxAngle, value);
    const double s = std::sin(angle), c = std::cos(angle);
    const double cx = (double(rect.left) + rect.right) * 0.5,
                 cy = (double(rect.top) + rect.bottom) * 0.5;
    return graphics->StrokeSegment(&color, float(cx + innerRadius * s), float(cy - innerRadius * c),
                                   float(cx + outerRadius * s), float(cy - outerRadius * c), &blend,
                                   true);
}

IKnobRotaterControl::IKnobRotaterControl(IUnitBase* plug, int x, int y, int paramIdx,
                                         IImageStrip image, double minAngle, double maxAngle,
                                         int rotationOffsetY, int direction, double gearing)
    : IKnobControl(plug, ImageBoxAt(x, y, image), paramIdx, direction, gearing),
      image(image),
      minAngle(minAngle),
      maxAngle(maxAngle),
      rotationOffsetY(rotationOffsetY)
{
}

bool IKnobRotaterControl::Paint(IGraphics* graphics)
{
    const int cx = int((int64_t(rect.left) + rect.right) / 2),
              cy = int((int64_t(rect.top) + rect.bottom) / 2);
    return graphics->BlitImageRotated(&image, cx, cy, AngleAt(minAngle, maxAngle, value),
                                      rotationOffsetY, &blend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IUnitBase* plug, int x, int y, int paramIdx,
                                                   IImageStrip baseImage, IImageStrip maskImage,
                                                   IImageStrip topImage, double minAngle,
                                                   double maxAngle, int direction, double gearing)
    : IKnobControl(plug, ImageBoxAt(x, y, baseImage), paramIdx, direction, gearing),
      baseImage(baseImage),
      maskImage(maskImage),
      topImage(topImage),
      minAngle(minAngle),
      maxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Paint(IGraphics* graphics)
{
    return graphics->BlitRotatedMask(&baseImage, &maskImage, &topImage, rect.left, rect.top,
                                     AngleAt(minAngle, maxAngle, value), &blend);
}
