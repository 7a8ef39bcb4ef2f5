#include "editor/file_selector_control.h"

#include "core/unit_base.h"
#include "core/unit_editor.h"
#include "editor/graphics.h"

IFileSelectorControl::IFileSelectorControl(IUnitBase* plug, IBox rect, int paramIdx,
                                           IImageStrip image, int action, const char* folder,
                                           const char* extensions)
    : IControl(plug, rect, paramIdx, 0), image(image), action(action)
{
    this->folder.Assign(folder ? folder : "");
    this->extensions.Assign(extensions ? extensions : "");
}

void IFileSelectorControl::HandleMouseDown(int, int, const IPointerKeys*)
{
    IUnitEditor* editor = plug ? plug->AttachedEditor() : nullptr;
    if (!editor) return;
    state = kDialogOpen;
    MarkDirty(false);
    editor->AskForFile(&file, action, &folder, extensions.Get());
    value = value + 1.0 <= 1.0 ? value + 1.0 : 0.0;
    state = kFileChosen;
    MarkDirty(true);
}

bool IFileSelectorControl::Paint(IGraphics* graphics)
{
    if (state == kDialogOpen) {
        const IBlend defaultBlend;
        graphics->BlitImage(&image, &rect, 0, 0, &defaultBlend);
    }
    return true;
}

bool IFileSelectorControl::NeedsRedraw()
{
    if (dirty) return true;
    if (state != kFileChosen) return false;
    state = kIdle;
    return true;
}

void IFileSelectorControl::ChosenFile(TextBuffer* out) const
{
    if (out) out->Assign(file.Get());
}

void IFileSelectorControl::SetChosenFile(const char* path)
{
    file.Assign(path ? path : "");
}
