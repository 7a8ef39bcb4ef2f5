#include "editor/switch_family_controls.h"

#include "editor/graphics.h"

namespace {

int BoxCount(const HeapBuffer& boxes)
{
    return boxes.Size() / int(sizeof(IBox));
}

const IBox* Boxes(const HeapBuffer& boxes)
{
    return static_cast<const IBox*>(boxes.Data());
}

// Appends the box; a list that cannot grow stays as it was.
void AppendBox(HeapBuffer* boxes, const IBox& box)
{
    const int count = BoxCount(*boxes);
    if (boxes->Resize((count + 1) * int(sizeof(IBox))))
        static_cast<IBox*>(boxes->Data())[count] = box;
}

// The first box that holds the point, -1 for none.
int BoxIndexAt(const HeapBuffer& boxes, int x, int y)
{
    for (int i = 0; i < BoxCount(boxes); ++i)
        if (Boxes(boxes)[i].Contains(x, y)) return i;
    return -1;
}

// The value of item index of count spread over 0 to 1; a single item is 0.
double ItemValue(int index, int count)
{
    return count > 1 ? double(index) / (count - 1) : 0.0;
}

}  // namespace

ISwitchFramesControl::ISwitchFramesControl(IUnitBase* plug, int x, int y, int paramIdx,
                                           IImageStrip image, bool sideBySide, int blendKind)
    : ISwitchControl(plug, x, y, paramIdx, image, blendKind)
{
    promptDisabled = false;
    const int n = image.frames;
    if (n <= 0) return;
    const int cell = (sideBySide ? rect.Width() : rect.Height()) / n;
    for (int i = 0; i < n; ++i) {
        const int from = cell * i, to = cell * (i + 1);
        AppendBox(&frameRects, sideBySide
                                   ? IBox{rect.left + from, rect.top, rect.left + to, rect.bottom}
                                   : IBox{rect.left, rect.top + from, rect.right, rect.top + to});
    }
}

void ISwitchFramesControl::HandleMouseDown(int x, int y, const IPointerKeys*)
{
    const int hit = BoxIndexAt(frameRects, x, y);
    if (hit >= 0) value = ItemValue(hit, image.frames);
    MarkDirty(true);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IUnitBase* plug, IBox rect, int paramIdx)
    : IControl(plug, rect, paramIdx, 1)
{
}

void IInvisibleSwitchControl::HandleMouseDown(int, int, const IPointerKeys*)
{
    value = value < 0.5 ? 1.0 : 0.0;
    MarkDirty(true);
}

bool IInvisibleSwitchControl::Paint(IGraphics*)
{
    return true;
}

IRadioButtonsControl::IRadioButtonsControl(IUnitBase* plug, IBox rect, int paramIdx, int count,
                                           IImageStrip image, int direction, bool reverse)
    : IControl(plug, rect, paramIdx, 0), image(image)
{
    if (count <= 0) return;
    const int width = image.width;
    const int height = image.height / (image.frames > 0 ? image.frames : 1);
    const bool horizontal = direction == 1;
    const int size = horizontal ? width : height;
    const int span = horizontal ? rect.Width() : rect.Height();
    const int gap = count > 1 ? int((span - double(count) * size) / (count - 1)) : 0;
    const int start = horizontal ? (reverse ? rect.right - size : rect.left)
                                 : (reverse ? rect.bottom - size : rect.top);
    const int step = reverse ? -(size + gap) : size + gap;
    for (int i = 0; i < count; ++i) {
        const int at = start + step * i;
        AppendBox(&buttonRects, horizontal ? IBox{at, rect.top, at + width, rect.top + height}
                                           : IBox{rect.left, at, rect.left + width, at + height});
    }
}

void IRadioButtonsControl::HandleMouseDown(int x, int y, const IPointerKeys* keys)
{
    if (keys && keys->right) return AskForValue();
    const int hit = BoxIndexAt(buttonRects, x, y);
    if (hit >= 0) value = ItemValue(hit, BoxCount(buttonRects));
    MarkDirty(true);
}

bool IRadioButtonsControl::Paint(IGraphics* graphics)
{
    const int count = BoxCount(buttonRects);
    const int chosen = ItemForValue(count, value);
    for (int i = 0; i < count; ++i)
        graphics->BlitImageFrame(&image, &Boxes(buttonRects)[i], i == chosen ? 2 : 1, &blend);
    return true;
}

void ISwitchPopUpControl::HandleMouseDown(int, int, const IPointerKeys*)
{
    AskForValue();
    MarkDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IUnitBase* plug, int x, int y, int paramIdx,
                                             IImageStrip image, IBox targetArea, int blendKind)
    : ISwitchControl(plug, x, y, paramIdx, image, blendKind), targetArea(targetArea)
{
}

bool IBitmapOverlayControl::Paint(IGraphics* graphics)
{
    if (value < 0.5) {
        targetRect = targetArea;
        return true;
    }
    targetRect = rect;
    return IBitmapControl::Paint(graphics);
}

void IContactControl::HandleMouseUp(int, int, const IPointerKeys*)
{
    value = 0.0;
    MarkDirty(true);
}
