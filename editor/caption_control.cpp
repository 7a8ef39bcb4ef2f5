#include "editor/caption_control.h"

#include <cstdio>

#include "core/parameter.h"
#include "core/unit_base.h"

ICaptionControl::ICaptionControl(IUnitBase* plug, IBox rect, int paramIdx, const ITextStyle* style,
                                 bool showLabel)
    : ITextControl(plug, rect, style, ""), showLabel(showLabel)
{
    this->paramIdx = paramIdx;
}

void ICaptionControl::HandleMouseDown(int, int, const IPointerKeys* keys)
{
    if (keys && (keys->left || keys->right)) AskForValue();
}

void ICaptionControl::HandleDoubleClick(int, int, const IPointerKeys*)
{
    AskForValue();
}

bool ICaptionControl::Paint(IGraphics* graphics)
{
    const IParameter* parameter = plug ? plug->ParameterAt(paramIdx) : nullptr;
    char shown[2 * IParameter::kTextSize] = {};
    if (parameter) {
        char formatted[IParameter::kTextSize] = {};
        parameter->FormatValue(parameter->Value(), false, formatted, true);
        const char* label = showLabel ? parameter->UnitLabel() : nullptr;
        std::snprintf(shown, sizeof shown, "%s%s%s", formatted, label ? " " : "",
                      label ? label : "");
    }
    text.Assign(shown);
    return ITextControl::Paint(graphics);
}
