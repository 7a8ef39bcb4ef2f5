#pragma once

#include "editor/text_control.h"

// Shows its parameter's formatted value, with the unit label when asked; a
// click or double click asks for a value (prompting starts disabled).
class ICaptionControl : public ITextControl {
public:
    ICaptionControl(IUnitBase* plug, IBox rect, int paramIdx, const ITextStyle* style,
                    bool showLabel);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    void HandleDoubleClick(int x, int y, const IPointerKeys* keys) override;
    // Rewrites the text from the parameter, without marking the control: an
    // index that names no parameter shows nothing.
    bool Paint(IGraphics* graphics) override;

    bool showLabel;
};
