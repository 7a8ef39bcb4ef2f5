#pragma once

#include "editor/knob_control.h"

// A knob drawn as a line from innerRadius to outerRadius out of the centre
// of its rectangle; the angles are in radians, 0 pointing up, growing
// clockwise. An outer radius of 0 reaches half the rectangle's width.
class IKnobLineControl : public IKnobControl {
public:
    IKnobLineControl(IUnitBase* plug, IBox rect, int paramIdx, const IArgb* color,
                     double innerRadius, double outerRadius, double minAngle, double maxAngle,
                     int direction, double gearing);
    bool Paint(IGraphics* graphics) override;

    IArgb color;
    float minAngle, maxAngle, innerRadius, outerRadius;
};

// A knob that turns its whole image about the centre of its rectangle (the
// image's box at x, y), moved down by rotationOffsetY. The angles are in
// RADIANS, as IGraphics::BlitImageRotated takes them.
class IKnobRotaterControl : public IKnobControl {
public:
    IKnobRotaterControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image,
                        double minAngle, double maxAngle, int rotationOffsetY, int direction,
                        double gearing);
    bool Paint(IGraphics* graphics) override;

    IImageStrip image;
    double minAngle, maxAngle;
    int rotationOffsetY;
};

// A knob whose mask and top images turn over its base image, in the base's
// box at x, y. The angles are in DEGREES, as IGraphics::BlitRotatedMask
// takes them.
class IKnobRotatingMaskControl : public IKnobControl {
public:
    IKnobRotatingMaskControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip baseImage,
                             IImageStrip maskImage, IImageStrip topImage, double minAngle,
                             double maxAngle, int direction, double gearing);
    bool Paint(IGraphics* graphics) override;

    IImageStrip baseImage, maskImage, topImage;
    double minAngle, maxAngle;
};
