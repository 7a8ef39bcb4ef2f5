// Which controls the editor repaints and which control takes pointer and
// key input.

#include "core/unit_base.h"
#include "editor/graphics.h"

bool IGraphics::CollectDirtyRegion(IRegion* region)
{
    bool any = false;
    for (int i = 0; i < controls.Count(); ++i)
        if (controls.ItemAt(i)->AddDirtyArea(region)) any = true;
    return any;
}

void IGraphics::PaintControl(IControl* control, const IRegion& clip)
{
    drawClip = clip;
    control->Paint(this);
    control->shownRect = control->rect;
}

// A piece is left to a later control only when that control covers all of
// it; one it covers in part is painted whole, as before.
IRegion IGraphics::UncoveredPart(const IRegion& region, int i) const
{
    IRegion part;
    for (const IBox& piece : region) {
        bool covered = false;
        for (int j = i + 1; j < controls.Count() && !covered; ++j) {
            const IControl* later = controls.ItemAt(j);
            covered = later->opaque && !later->hidden && Covers(later->rect, piece);
        }
        if (!covered) part.Add(piece);
    }
    return part;
}

bool IGraphics::RedrawRegion(const IRegion* region)
{
    const int count = controls.Count();
    if (count > 0 && strictDrawing) {
        // Each control is acknowledged right after its own paint, so a paint
        // that dirties a later control is drawn in this frame, and one that
        // dirties an earlier control in the next. A visible control outside
        // the region keeps its request for a frame that covers it.
        for (int i = 0; i < count; ++i) {
            IControl* control = controls.ItemAt(i);
            const bool visible = !control->hidden && !control->rect.Empty();
            if (visible && !region->Intersects(control->rect)) continue;
            if (visible) PaintControl(control, UncoveredPart(*region, i));
            control->AcknowledgeRedraw();
        }
    } else if (count > 0) {
        IControl* first = controls.ItemAt(0);
        if (first->NeedsRedraw()) {
            const IRegion clip(first->rect);
            for (int i = 0; i < count; ++i) {
                IControl* control = controls.ItemAt(i);
                if (i != 0 && control->hidden) continue;
                PaintControl(control, clip);
                control->AcknowledgeRedraw();
            }
        } else {
            for (int i = 1; i < count; ++i) {
                IControl* dirtyOne = controls.ItemAt(i);
                if (!dirtyOne->NeedsRedraw()) continue;
                const IBox around = dirtyOne->rect;
                for (int j = 0; j < count; ++j) {
                    IControl* control = controls.ItemAt(j);
                    if (control->hidden) continue;
                    if (j == i || control->rect.Intersects(around))
                        PaintControl(control, IRegion(around));
                }
                dirtyOne->AcknowledgeRedraw();
            }
        }
    }
    return PresentRegion(region);
}

void IGraphics::SelectRedrawMode(bool strict)
{
    strictDrawing = strict;
    MarkAllControlsDirty();
}

int IGraphics::ControlIndexAt(int x, int y, bool pointerOverMode)
{
    if (capturedControl >= 0) return capturedControl;
    for (int i = controls.Count() - 1; i >= 0; --i) {
        IControl* control = controls.ItemAt(i);
        if (control->hidden) continue;
        const bool eligible =
            !control->greyed || (pointerOverMode && control->pointerOverWhenGreyed);
        if (eligible && control->HitTest(x, y)) return i;
    }
    return -1;
}

void IGraphics::ReleasePointerCapture()
{
    capturedControl = lastPointerX = lastPointerY = -1;
}

void IGraphics::EndParameterGesture()
{
    if (gestureParam >= 0 && plug) plug->EndParameterGesture(gestureParam);
    gestureParam = -1;
}

void IGraphics::DispatchMouseDown(int x, int y, const IPointerKeys* keys)
{
    ReleasePointerCapture();
    EndParameterGesture();
    const int i = ControlIndexAt(x, y, false);
    if (i < 0) return;
    capturedControl = i;
    lastPointerX = x;
    lastPointerY = y;
    IControl* control = controls.ItemAt(i);
    const int p = control->paramIdx;
    if (plug && plug->BindingKind() == 1 && keys && keys->right && p >= 0) {
        ReleasePointerCapture();
        plug->ParameterRightClicked(p, x, y);
        return;
    }
    if (p >= 0 && plug) {
        plug->BeginParameterGesture(p);
        gestureParam = p;
    }
    control->HandleMouseDown(x, y, keys);
}

void IGraphics::DispatchMouseUp(int x, int y, const IPointerKeys* keys)
{
    const int i = ControlIndexAt(x, y, false);
    ReleasePointerCapture();
    if (i >= 0) controls.ItemAt(i)->HandleMouseUp(x, y, keys);
    // Only a gesture that a press began ends, and it always does.
    EndParameterGesture();
}

void IGraphics::DispatchMouseDrag(int x, int y, const IPointerKeys* keys)
{
    if (capturedControl < 0 || (x == lastPointerX && y == lastPointerY)) return;
    IControl* control = controls.ItemAt(capturedControl);
    if (!control) return;
    const int dX = x - lastPointerX, dY = y - lastPointerY;
    lastPointerX = x;
    lastPointerY = y;
    control->HandleMouseDrag(x, y, dX, dY, keys);
}

bool IGraphics::DispatchDoubleClick(int x, int y, const IPointerKeys* keys)
{
    ReleasePointerCapture();
    EndParameterGesture();
    const int i = ControlIndexAt(x, y, false);
    if (i < 0) return false;
    IControl* control = controls.ItemAt(i);
    if (!control->doubleClickAsClick) {
        control->HandleDoubleClick(x, y, keys);
        return false;
    }
    capturedControl = i;
    lastPointerX = x;
    lastPointerY = y;
    control->HandleMouseDown(x, y, keys);
    return true;
}

void IGraphics::DispatchWheel(int x, int y, const IPointerKeys* keys, int steps)
{
    const int i = ControlIndexAt(x, y, false);
    if (i >= 0) controls.ItemAt(i)->HandleWheel(x, y, keys, steps);
}

bool IGraphics::DispatchPointerOver(int x, int y, const IPointerKeys* keys)
{
    if (!handlePointerOver) return false;
    const int i = ControlIndexAt(x, y, true);
    if (i < 0) return true;
    lastPointerX = x;
    lastPointerY = y;
    controls.ItemAt(i)->HandlePointerOver(x, y, keys);
    if (pointerOverControl >= 0 && pointerOverControl != i)
        if (IControl* previous = controls.ItemAt(pointerOverControl))
            previous->HandlePointerLeave();
    pointerOverControl = i;
    return true;
}

void IGraphics::DispatchPointerLeave()
{
    for (int i = 0; i < controls.Count(); ++i) controls.ItemAt(i)->HandlePointerLeave();
    pointerOverControl = -1;
}

bool IGraphics::DispatchKey(int x, int y, IKeyCode key)
{
    const int i = ControlIndexAt(x, y, false);
    if (i > 0) return controls.ItemAt(i)->HandleKey(x, y, key);
    return keyCatcher ? keyCatcher->HandleKey(x, y, key) : false;
}

void IGraphics::NoteClickedParam(int x, int y)
{
    const int i = ControlIndexAt(x, y, false);
    clickedParam = i > 0 ? controls.ItemAt(i)->paramIdx : -1;
}

int IGraphics::TakeClickedParam()
{
    const int p = clickedParam;
    clickedParam = -1;
    return p;
}

void IGraphics::BroadcastHookToControls()
{
    for (int i = 0; i < controls.Count(); ++i) controls.ItemAt(i)->BroadcastHook();
}
