#include "editor/link_control.h"

#include "core/text_buffer.h"
#include "editor/graphics.h"

IURLControl::IURLControl(IUnitBase* plug, IBox rect, const char* url, const char* backupUrl,
                         const char* title)
    : IControl(plug, rect, -1, 0)
{
    CopyTextBounded(this->url, kUrlSize, url);
    CopyTextBounded(this->backupUrl, kUrlSize, backupUrl);
    CopyTextBounded(this->title, kTitleSize, title);
}

void IURLControl::HandleMouseDown(int, int, const IPointerKeys*)
{
    IGraphics* editor = AttachedGraphics(plug);
    if (!editor) return;
    if (*url && editor->OpenLink(url, title, nullptr, nullptr)) return;
    if (*backupUrl) editor->OpenLink(backupUrl, title, nullptr, nullptr);
}

bool IURLControl::Paint(IGraphics*)
{
    return true;
}
