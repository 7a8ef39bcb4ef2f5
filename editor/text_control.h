#pragma once

#include "core/text_buffer.h"
#include "editor/control.h"

// A text read-out.
class ITextControl : public IControl {
public:
    ITextControl(IUnitBase* plug, IBox rect, const ITextStyle* style, const char* text);
    bool Paint(IGraphics* graphics) override;
    // Marks the control and takes the text when it differs from the shown one.
    void ReplaceText(const char* newText);
    const char* Text() const;

    TextBuffer text;
};
