#pragma once

#include "editor/control.h"

// A rectangle filled with one colour.
class IPanelControl : public IControl {
public:
    // Without a colour the panel is opaque black.
    IPanelControl(IUnitBase* plug, IBox rect, const IArgb* color);
    bool Paint(IGraphics* graphics) override;

    IArgb color;
};
