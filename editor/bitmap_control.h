#pragma once

#include "editor/control.h"

// An image, or one frame of an image strip chosen by the value.
class IBitmapControl : public IControl {
public:
    IBitmapControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image, int blendKind);
    bool Paint(IGraphics* graphics) override;

    IImageStrip image;
};

// A click steps through the frames of its strip.
class ISwitchControl : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    void HandleDoubleClick(int x, int y, const IPointerKeys* keys) override;
};

// The rectangle of a one-frame-high control at (x, y): a strip of 0 frames
// counts as one frame.
IBox FrameBoxAt(int x, int y, const IImageStrip& image);
// Which of count items (from 0) a value chooses, the value spread over 0
// to 1; below 0, and values that are not numbers, choose the first.
int ItemForValue(int count, double value);
// The frame (from 1) that shows a value.
int FrameForValue(const IImageStrip& image, double value);
