#include "editor/text_control.h"

#include <cstring>

#include "editor/graphics.h"

ITextControl::ITextControl(IUnitBase* plug, IBox rect, const ITextStyle* style, const char* t)
    : IControl(plug, rect, -1, 0)
{
    if (style) textStyle = *style;
    text.Assign(t ? t : "");
}

const char* ITextControl::Text() const
{
    const char* shown = text.Get();
    return shown ? shown : "";
}

void ITextControl::ReplaceText(const char* newText)
{
    if (!newText || std::strcmp(Text(), newText) == 0) return;
    MarkDirty(false);
    text.Assign(newText);
}

bool ITextControl::Paint(IGraphics* graphics)
{
    if (!*Text()) return true;
    return graphics->DrawTextInBox(&textStyle, Text(), &rect, false);
}
