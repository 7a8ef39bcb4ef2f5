#pragma once

#include "editor/control.h"

// A handle sliding along length pixels: vertical for direction 0 (value 1
// at the top), horizontal otherwise (value 1 at the right). Presses and
// drags put the handle's centre under the pointer; with onlyHandle only the
// handle takes presses.
class IFaderControl : public IControl {
public:
    IFaderControl(IUnitBase* plug, int x, int y, int length, int paramIdx, IImageStrip handle,
                  int direction, bool onlyHandle);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys* keys) override;
    bool Paint(IGraphics* graphics) override;
    bool HitTest(int x, int y) override;
    // Sets the value that puts the handle's centre at (x, y), then pushes.
    // A fader without travel (length at most the handle) keeps its value.
    virtual void SnapToPointer(int x, int y);

    // The handle's rectangle at value v; a negative v means the current value.
    IBox HandleRect(double v) const;

    int length;
    int handleSize;
    IImageStrip handle;
    int direction;
    bool onlyHandle;

private:
    bool Horizontal() const { return direction != 0; }
};
