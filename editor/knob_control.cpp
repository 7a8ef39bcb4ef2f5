#include "editor/knob_control.h"

#include <cmath>

#include "editor/bitmap_control.h"
#include "editor/graphics.h"

namespace {

constexpr double kFineGearing = 10.0;

}  // namespace

IKnobControl::IKnobControl(IUnitBase* plug, IBox rect, int paramIdx, int direction, double gearing)
    : IControl(plug, rect, paramIdx, 0), direction(direction), gearing(gearing)
{
}

bool KnobDragDelta(const IBox& rect, int direction, double gearing, int dX, int dY,
                   const IPointerKeys* keys, double* delta)
{
    double g = gearing;
    if (keys && (keys->ctrl || keys->shift)) g *= kFineGearing;
    const double travel = direction == 0 ? g * (double(rect.top) - rect.bottom)
                                         : g * (double(rect.right) - rect.left);
    // 0 or not a number: the control does not turn.
    if (!(travel < 0.0 || travel > 0.0)) return false;
    *delta = (direction == 0 ? dY : dX) / travel;
    return std::isfinite(*delta);
}

void IKnobControl::HandleMouseDrag(int, int, int dX, int dY, const IPointerKeys* keys)
{
    double delta;
    if (!KnobDragDelta(rect, direction, gearing, dX, dY, keys, &delta)) return;
    value += delta;
    MarkDirty(true);
}

IKnobMultiControl::IKnobMultiControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image,
                                     int direction, double gearing)
    : IKnobControl(plug, FrameBoxAt(x, y, image), paramIdx, direction, gearing), image(image)
{
}

bool IKnobMultiControl::Paint(IGraphics* graphics)
{
    return graphics->BlitImageFrame(&image, &rect, FrameForValue(image, value), &blend);
}
