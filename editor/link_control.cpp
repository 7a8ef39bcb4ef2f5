#include "editor/link_control.h"

#include <cstring>

#include "editor/graphics.h"

namespace {

// Copies at most size - 1 characters of text; null gives "".
void CopyCut(char* out, int size, const char* text)
{
    int length = 0;
    while (text && text[length] && length < size - 1) ++length;
    if (length > 0) std::memcpy(out, text, size_t(length));
    out[length] = '\0';
}

}  // namespace

IURLControl::IURLControl(IUnitBase* plug, IBox rect, const char* url, const char* backupUrl,
                         const char* title)
    : IControl(plug, rect, -1, 0)
{
    CopyCut(this->url, kUrlSize, url);
    CopyCut(this->backupUrl, kUrlSize, backupUrl);
    CopyCut(this->title, kTitleSize, title);
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
