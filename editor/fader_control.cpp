#include "editor/fader_control.h"

#include "editor/graphics.h"

namespace {

// The pixels of fraction of travel, truncated; 0 where that is no number.
int TravelPixels(double fraction, int travel)
{
    const double pixels = fraction * travel;
    return pixels > -2147483648.0 && pixels < 2147483648.0 ? int(pixels) : 0;
}

}  // namespace

IFaderControl::IFaderControl(IUnitBase* plug, int x, int y, int length, int paramIdx,
                             IImageStrip handle, int direction, bool onlyHandle)
    : IControl(plug,
               direction != 0 ? IBox{x, y, x + length, y + handle.height}
                              : IBox{x, y, x + handle.width, y + length},
               paramIdx, 0),
      length(length),
      handleSize(direction != 0 ? handle.width : handle.height),
      handle(handle),
      direction(direction),
      onlyHandle(onlyHandle)
{
}

void IFaderControl::HandleMouseDown(int x, int y, const IPointerKeys* keys)
{
    if (keys && keys->right) return AskForValue();
    SnapToPointer(x, y);
}

void IFaderControl::HandleMouseDrag(int x, int y, int, int, const IPointerKeys*)
{
    SnapToPointer(x, y);
}

bool IFaderControl::Paint(IGraphics* graphics)
{
    const IBox at = HandleRect(-1.0);
    return graphics->BlitImageFrame(&handle, &at, 1, &blend);
}

bool IFaderControl::HitTest(int x, int y)
{
    if (onlyHandle) return HandleRect(-1.0).Contains(x, y);
    return IControl::HitTest(x, y);
}

void IFaderControl::SnapToPointer(int x, int y)
{
    const int travel = length - handleSize;
    if (travel > 0) {
        const int centre = handleSize / 2;
        value = Horizontal() ? double(x - rect.left - centre) / travel
                             : 1.0 - double(y - rect.top - centre) / travel;
    }
    MarkDirty(true);
}

IBox IFaderControl::HandleRect(double v) const
{
    if (v < 0.0) v = value;
    IBox box = {rect.left, rect.top, rect.left + handle.width, rect.top + handle.height};
    const int travel = length - handleSize;
    if (Horizontal()) {
        const int dx = TravelPixels(v, travel);
        box.left += dx;
        box.right += dx;
    } else {
        const int dy = TravelPixels(1.0 - v, travel);
        box.top += dy;
        box.bottom += dy;
    }
    return box;
}
