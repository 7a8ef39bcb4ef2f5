#include "editor/panel_control.h"

#include "editor/graphics.h"

IPanelControl::IPanelControl(IUnitBase* plug, IBox rect, const IArgb* color)
    : IControl(plug, rect, -1, 0), color(color ? *color : IArgb{})
{
}

bool IPanelControl::Paint(IGraphics* graphics)
{
    graphics->FillBox(&color, &rect, &blend);
    return true;
}
