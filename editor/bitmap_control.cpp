#include "editor/bitmap_control.h"

#include "editor/graphics.h"

IBox FrameBoxAt(int x, int y, const IImageStrip& image)
{
    const int frames = image.frames > 0 ? image.frames : 1;
    return IBox{x, y, x + image.width, y + image.height / frames};
}

int ItemForValue(int count, double value)
{
    if (count <= 1) return 0;
    const double position = (count - 1) * value + 0.5;
    if (!(position >= 1.0)) return 0;
    return position >= count ? count - 1 : int(position);
}

int FrameForValue(const IImageStrip& image, double value)
{
    return ItemForValue(image.frames, value) + 1;
}

IBitmapControl::IBitmapControl(IUnitBase* plug, int x, int y, int paramIdx, IImageStrip image,
                               int blendKind)
    : IControl(plug, FrameBoxAt(x, y, image), paramIdx, blendKind), image(image)
{
}

bool IBitmapControl::Paint(IGraphics* graphics)
{
    return graphics->BlitImageFrame(&image, &rect, FrameForValue(image, value), &blend);
}

void ISwitchControl::HandleMouseDown(int, int, const IPointerKeys*)
{
    value += image.frames > 1 ? 1.0 / (image.frames - 1) : 1.0;
    if (value > 1.001) value = 0.0;
    MarkDirty(true);
}

void ISwitchControl::HandleDoubleClick(int x, int y, const IPointerKeys* keys)
{
    HandleMouseDown(x, y, keys);
}
