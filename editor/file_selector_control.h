#pragma once

#include "core/text_buffer.h"
#include "editor/control.h"

// A click asks the plug-in's editor for a file and toggles the value between
// 0 and 1, also when the dialog was cancelled. The image shows while the
// dialog is open.
class IFileSelectorControl : public IControl {
public:
    enum State { kIdle = 0, kDialogOpen = 1, kFileChosen = 2 };

    // A constructor of our own, filling every field: the image is drawn at
    // rect's top-left corner while the dialog is open; action 1 asks where to
    // save, any other which file to open; folder and extensions (as the
    // editor's AskForFile takes them) may be null. Blend kind 0.
    IFileSelectorControl(IUnitBase* plug, IBox rect, int paramIdx, IImageStrip image, int action,
                         const char* folder, const char* extensions);
    void HandleMouseDown(int x, int y, const IPointerKeys* keys) override;
    bool Paint(IGraphics* graphics) override;
    // True while dirty, and once more after a choice.
    bool NeedsRedraw() override;

    void ChosenFile(TextBuffer* out) const;
    // Null or "" empties the file.
    void SetChosenFile(const char* path);

    IImageStrip image;
    TextBuffer folder;
    TextBuffer file;
    TextBuffer extensions;
    int action;
    int state = kIdle;
};
