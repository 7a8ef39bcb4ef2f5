#include "editor/bitmap_control.h"

#include "editor/graphics.h"

IBox FrameBoxAt(int x, int y, const IImageStrip& image)
{
    const int frames = image.frames > 0 ? image.frames : 1;
    return IBox{x, y, x + image.width, y + image.height / frames};
}

int FrameForValue(const IImageStrip& image, double value)
{
    if (image.frames <= 1) return 1;
    const double position = (image.frames - 1) * value + 0.5;
    // Negative positions and values that are not numbers show the first frame.
    if (!(position >= 0.0)) return 1;
    if (position >= image.frames) return image.frames;
    const int n = int(position) + 1;
    return n < image.frames ? n : image.frames;
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
