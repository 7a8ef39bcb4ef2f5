#include "analyser/about_button.h"

#include "editor/bitmap_control.h"
#include "editor/graphics.h"

IAboutButton::IAboutButton(IUnitBase* plug, IBox buttonBox, IImageStrip image, int pictureX,
                           int pictureY)
    : IControl(plug, buttonBox, -1, 0),
      image(image),
      pictureBox(FrameBoxAt(pictureX, pictureY, image)),
      buttonBox(buttonBox)
{
    doubleClickAsClick = true;
}

void IAboutButton::HandleMouseDown(int, int, const IPointerKeys*)
{
    MarkDirty(true);
    // A strip of no frames counts as one, like its box.
    const int frames = image.frames > 0 ? image.frames : 1;
    if (++clickCount > frames) clickCount = 0;
    // While shown the control covers the picture and takes its clicks.
    rect = targetRect = clickCount == 0 ? buttonBox : pictureBox;
}

void IAboutButton::HandleWheel(int, int, const IPointerKeys*, int) {}

bool IAboutButton::Paint(IGraphics* graphics)
{
    if (clickCount == 0) return true;
    return graphics->BlitImageFrame(&image, &rect, clickCount - 1, &blend);
}
