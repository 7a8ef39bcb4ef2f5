#pragma once

#include "editor/control.h"

// An invisible area that opens a link when clicked, falling back to a second
// link when the first is empty or cannot be opened.
class IURLControl : public IControl {
public:
    static constexpr int kUrlSize = 256;
    static constexpr int kTitleSize = 1024;

    // Longer texts are cut to fit their fields, terminator included.
    IURLControl(IUnitBase* plug, IBox rect, const char* url, const char* backupUrl,
                const char* title);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    bool Paint(IGraphics* graphics) override;

    char url[kUrlSize];
    char backupUrl[kUrlSize];
    char title[kTitleSize];
};
