#pragma once

#include "editor/control.h"

// A control turned by dragging: direction 0 follows vertical drags, others
// horizontal ones; gearing is the travel, in control sizes, of the range.
class IKnobControl : public IControl {
public:
    IKnobControl(IUnitBase* plug, IBox rect, int paramIdx, int direction, double gearing);
    void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys* keys) override;

    int direction;
    double gearing;
};

// A knob drawn as the frame of a strip that shows its value.
class IKnobMultiControl : public IKnobControl {
public:
    IKnobMultiControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image, int direction,
                      double gearing);
    bool Paint(IGraphics* graphics) override;

    IImageStrip image;
};

// The value change of a drag by (dX, dY) on a control of rect: vertical
// drags for direction 0 (upward raises), horizontal ones otherwise; the
// whole range takes gearing times the control's size, ten times that with
// shift or ctrl. False for a control of no size or an unusable gearing.
bool KnobDragDelta(const IBox& rect, int direction, double gearing, int dX, int dY,
                   const IPointerKeys* keys, double* delta);
