#pragma once

#include "editor/control.h"

// An invisible area of the background: a click on it shows the about
// picture, and a click on the picture hides it again.
class IAboutButton : public IControl {
public:
    IAboutButton(IUnitBase* plug, IBox buttonBox, IImageStrip image, int pictureX, int pictureY);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    void HandleWheel(int x, int y, const IPointerKeys* keys, int steps) override;
    bool Paint(IGraphics* graphics) override;

    IImageStrip image;
    // 0 while hidden; 1 to the frame count while a frame is shown.
    int clickCount = 0;
    IBox pictureBox;
    IBox buttonBox;
};
