#include "analyser/notched_knob.h"

#include "editor/knob_control.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/parameter.h"
#include "core/unit_base.h"
#include "editor/bitmap_control.h"
#include "editor/graphics.h"
#include "raster/float_to_int.h"

namespace {

// The nearest whole number, halves upward, saturated to the int range; NaN
// gives 0.
int Nearest(double v)
{
    return PIX_TruncateToInt(std::floor(v + 0.5));
}

// The notches a parameter's range gives; 0 for a double or missing one.
int NotchesOf(const IParameter* parameter)
{
    if (!parameter || parameter->Kind() == IParameterKind::Double) return 0;
    double minimum = 0.0, maximum = 0.0;
    parameter->RangeLimits(&minimum, &maximum);
    return PIX_TruncateToInt(std::floor(maximum + 1.5 - minimum));
}

}  // namespace

INotchedKnobBase::INotchedKnobBase(IUnitBase* plug, IBox rect, int paramIdx, int direction,
                                   double gearing)
    : IControl(plug, rect, paramIdx, 0), direction(direction), gearing(gearing)
{
    const int notches = NotchesOf(plug ? plug->ParameterAt(paramIdx) : nullptr);
    if (notches >= kLeastNotches) notchCount = notches;
    UpdateNotch();
}

double INotchedKnobBase::EasedNotches(double e) const
{
    const double whole = std::floor(e);
    const double f = e - whole;
    // A smooth curve through (0, 0), (0.5, 0.5) and (1, 1), squared so that
    // it lingers at the notch, mixed with a steep step halfway.
    const double g = (-2.0833333333333 * f * f - 0.0416666666666) * f + 3.125 * f * f;
    const double step = 1.0 / (std::exp(30.0 - 60.0 * f) + 1.0);
    return whole + (g * g + step * (snapWeight - 1.0)) / snapWeight;
}

void INotchedKnobBase::UpdateNotch()
{
    const int n = notchCount;
    if (clamped) {
        wrapped = false;
        const double e = value * (n - 1);
        notchIndex = Nearest(e);
        displayPosition = EasedNotches(e) / (n - 1);
        return;
    }
    if (turnRate < 1.0) wrapped = false;
    const double e = wrapped ? (value - std::floor(value)) * n : value * (n - 1);
    notchIndex = Nearest(e) % n;
    const double p = EasedNotches(e) / n * turnRate + turnOffset;
    displayPosition = p - std::floor(p);
}

void INotchedKnobBase::HandleMouseDrag(int, int, int dX, int dY, const IPointerKeys* keys)
{
    double delta;
    if (!KnobDragDelta(rect, direction, gearing, dX, dY, keys, &delta)) return;
    value += delta;
    // The picture follows the value before the push clamps it.
    UpdateNotch();
    MarkDirty(true);
}

void INotchedKnobBase::HandleMouseUp(int, int, const IPointerKeys*)
{
    RestOnNotch(NotchOfValue());
}

void INotchedKnobBase::HandleWheel(int, int, const IPointerKeys*, int steps)
{
    if (steps == 0) return;
    const int64_t n = notchCount;
    const int64_t notch = NotchOfValue() + int64_t(steps);
    RestOnNotch(int(clamped ? std::clamp<int64_t>(notch, 0, n - 1) : (notch % n + n) % n));
}

int INotchedKnobBase::NotchOfValue() const
{
    return Nearest((notchCount - 1) * value) % notchCount;
}

void INotchedKnobBase::RestOnNotch(int notch)
{
    const int n = notchCount;
    notchIndex = notch;
    if (clamped) {
        value = displayPosition = double(notchIndex) / (n - 1);
    } else {
        value = double(notchIndex) / n;
        const double p = value * turnRate + turnOffset;
        displayPosition = p - std::floor(p);
    }
    MarkDirty(true);
}

INotchedKnobControl::INotchedKnobControl(IUnitBase* plug, int x, int y, int paramIdx,
                                         IImageStrip image, int direction, double gearing)
    : INotchedKnobBase(plug, FrameBoxAt(x, y, image), paramIdx, direction, gearing), image(image)
{
}

bool INotchedKnobControl::Paint(IGraphics* graphics)
{
    return graphics->BlitImageFrame(&image, &rect, FrameForValue(image, displayPosition), &blend);
}
