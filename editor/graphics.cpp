#include "editor/graphics.h"

#include <cstring>

#include "core/parameter.h"
#include "core/unit_base.h"
#include "editor/bitmap_control.h"
#include "editor/panel_control.h"
#include "editor/popup_menu.h"
#include "raster/bitmap.h"
#include "raster/sys_bitmap.h"

namespace {

constexpr int kDefaultFrameRate = 25;

}  // namespace

IGraphics::IGraphics(IUnitBase* plug, int width, int height, int frameRate)
    : plug(plug),
      width(width),
      height(height),
      frameRate(frameRate > 0 ? frameRate : kDefaultFrameRate)
{
}

IGraphics::~IGraphics()
{
    delete keyCatcher;
    DeleteControls();
    delete drawSurface;
    delete scratchBitmap;
}

void IGraphics::DeleteControls()
{
    controls.Clear(true);
    pointerOverControl = -1;
}

bool IGraphics::MeasureText(ITextStyle* style, const char* text, IBox* box)
{
    return DrawTextInBox(style, text, box, true);
}

void IGraphics::ResizeEditor(int newWidth, int newHeight)
{
    // The plug-in lets go of the deleted controls (through ApplyEditorSize)
    // under the lock its audio thread holds while it reaches them.
    LockGuard lock(plug ? plug->PluginLock() : nullptr);
    width = newWidth;
    height = newHeight;
    ReleasePointerCapture();
    DeleteControls();
    CreateSurfaces();  // replaces both bitmaps
    if (plug) plug->ApplyEditorSize(newWidth, newHeight);
}

bool IGraphics::HasWindow()
{
    return WindowHandle() != nullptr;
}

const char* IGraphics::EmptyText()
{
    return "";
}

bool IGraphics::OptionalRequest(intptr_t, intptr_t, intptr_t, intptr_t)
{
    return false;
}

void IGraphics::OptionalNotice(intptr_t) {}

void IGraphics::OptionalHook() {}

void IGraphics::HidePointer() {}

void IGraphics::ShowPointer() {}

void IGraphics::CreateSurfaces()
{
    delete drawSurface;
    delete scratchBitmap;
    drawSurface = new PIX_SysBitmap(width, height);
    scratchBitmap = new PIX_MemBitmap(0, 0, 4);
}

int IGraphics::AddControl(IControl* control)
{
    if (!controls.Add(control)) {
        delete control;
        return -1;
    }
    return controls.Count() - 1;
}

void IGraphics::AddImageBackdrop(int resourceId, const char* name)
{
    const IImageStrip strip = LoadImageStrip(resourceId, name, 1, false);
    IBitmapControl* backdrop = new IBitmapControl(plug, 0, 0, -1, strip, 1);
    if (!controls.InsertAt(0, backdrop)) delete backdrop;
}

void IGraphics::AddColourBackdrop(const IArgb* colour)
{
    IPanelControl* backdrop = new IPanelControl(plug, IBox{0, 0, width, height}, colour);
    if (!controls.InsertAt(0, backdrop)) delete backdrop;
}

void IGraphics::SetKeyCatcher(IControl* control)
{
    delete keyCatcher;
    keyCatcher = control;
}

void IGraphics::ApplyParameterFromCore(int p, double value, bool normalised)
{
    if (!normalised) {
        const IParameter* parameter = plug ? plug->ParameterAt(p) : nullptr;
        if (!parameter) return;
        value = parameter->Normalize(value);
    }
    for (int i = 0; i < controls.Count(); ++i) {
        IControl* control = controls.ItemAt(i);
        if (control->paramIdx == p) control->ApplyValueFromCore(value);
        const int aux = control->AuxIndexOf(p);
        if (aux >= 0) control->ApplyAuxValueFromCore(aux, value);
    }
}

void IGraphics::MarkAllControlsDirty()
{
    for (int i = 0; i < controls.Count(); ++i) controls.ItemAt(i)->MarkDirty(false);
}

void IGraphics::HideControlsOfParam(int p, bool hidden)
{
    for (int i = 0; i < controls.Count(); ++i)
        if (controls.ItemAt(i)->paramIdx == p) controls.ItemAt(i)->SetHidden(hidden);
}

void IGraphics::GreyControlsOfParam(int p, bool greyed)
{
    for (int i = 0; i < controls.Count(); ++i)
        if (controls.ItemAt(i)->paramIdx == p) controls.ItemAt(i)->SetGreyed(greyed);
}

void IGraphics::ClampControlsOfParam(int p, double low, double high, bool normalised)
{
    if (!normalised) {
        const IParameter* parameter = plug ? plug->ParameterAt(p) : nullptr;
        if (!parameter) return;
        low = parameter->Normalize(low);
        high = parameter->Normalize(high);
    }
    for (int i = 0; i < controls.Count(); ++i) {
        IControl* control = controls.ItemAt(i);
        if (control->paramIdx != p) continue;
        control->lowLimit = low;
        control->highLimit = high;
    }
}

void IGraphics::ApplyValueToControlAt(int index, double normalised)
{
    if (IControl* control = controls.ItemAt(index)) control->ApplyValueFromCore(normalised);
}

void IGraphics::ApplyEnteredValueToParam(int p, double normalised)
{
    for (int i = 0; i < controls.Count(); ++i)
        if (controls.ItemAt(i)->paramIdx == p) controls.ItemAt(i)->ApplyEnteredValue(normalised);
}

void IGraphics::SetControlValueFromText(IControl* control, IParameter* parameter, const char* text)
{
    if (!parameter || !control || !text) return;
    double value = 0.0;
    const IParameterKind kind = parameter->Kind();
    if (kind == IParameterKind::Bool || kind == IParameterKind::Enum) {
        int found = 0;
        if (parameter->ValueForText(text, &found)) value = found;
    } else if (!parameter->ValueForNumberText(text, &value)) {
        return;  // refused: the control keeps its value
    }
    control->ApplyEnteredValue(parameter->Normalize(value));
}

void IGraphics::AskForParamValue(IControl* control, IParameter* parameter, IBox* box)
{
    if (!control || !parameter || !box) return;
    const IParameterKind kind = parameter->Kind();
    const int count = parameter->ValueTextCount();
    char current[IParameter::kTextSize];
    if (kind == IParameterKind::Enum || (kind == IParameterKind::Bool && count > 0)) {
        parameter->FormatValue(parameter->Value(), false, current, true);
        PopupMenu menu;
        for (int i = 0; i < count; ++i) {
            const char* text = parameter->TextForValue(i);
            const bool checked = std::strcmp(text, current) == 0;
            menu.InsertTextItem(text, -1, checked ? PopupMenuItem::kChecked : 0);
        }
        const PopupMenu* chosen = RunPopupMenu(&menu, box);
        if (chosen && chosen->chosenItem >= 0 && chosen->chosenItem < count)
            control->ApplyEnteredValue(parameter->Normalize(chosen->chosenItem));
        return;
    }
    parameter->FormatValue(parameter->Value(), false, current, false);
    StartTextEntry(control, &control->textStyle, box, current, parameter);
}

IGraphics* AttachedGraphics(const IUnitBase* plug)
{
    return plug ? dynamic_cast<IGraphics*>(plug->AttachedEditor()) : nullptr;
}
