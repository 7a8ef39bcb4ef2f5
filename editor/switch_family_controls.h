#pragma once

#include "core/heap_buffer.h"
#include "editor/bitmap_control.h"
#include "editor/control.h"

// A switch whose strip frames are also hit areas: a press in frame i of n
// sets the value i / (n - 1) (0 for a single frame). The cells split the
// rectangle's width (sideBySide) or height evenly. Prompting is enabled,
// though no press uses it.
class ISwitchFramesControl : public ISwitchControl {
public:
    ISwitchFramesControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image,
                         bool sideBySide, int blendKind);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;

    HeapBuffer frameRects{4096};  // IBox, one per frame
};

// A toggle without a picture: a press sets 1 below 0.5, else 0.
class IInvisibleSwitchControl : public IControl {
public:
    IInvisibleSwitchControl(IUnitBase* plug, IBox rect, int paramIdx);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    bool Paint(IGraphics* graphics) override;
};

// count buttons of one strip frame each, left to right (direction 1) or top
// to bottom (others), from the far edge with reverse, spread evenly over
// the rectangle. A press in button i sets i / (count - 1) (0 for a single
// button); the chosen button shows frame 2, the others frame 1.
class IRadioButtonsControl : public IControl {
public:
    IRadioButtonsControl(IUnitBase* plug, IBox rect, int paramIdx, int count, IImageStrip image,
                         int direction, bool reverse);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    bool Paint(IGraphics* graphics) override;

    HeapBuffer buttonRects{4096};  // IBox, one per button
    IImageStrip image;
};

// A switch that asks for its value on a press or double click. It takes
// ISwitchControl's arguments.
class ISwitchPopUpControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
};

// A switch drawn only while on (value 0.5 or more). Off, it takes presses
// only in targetArea; on, over its whole rectangle. The constructor is
// ISwitchControl's with the target area before the blend kind.
class IBitmapOverlayControl : public ISwitchControl {
public:
    IBitmapOverlayControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image,
                          IBox targetArea, int blendKind);
    bool Paint(IGraphics* graphics) override;

    IBox targetArea;
};

// A switch that steps on the press and returns to 0 on the release. It
// takes ISwitchControl's arguments.
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
    void HandleMouseUp(int x, int y, const IPointerKeys* keys) override;
};
