#include <windows.h>

#include "raster/text_system.h"

static_assert(PIX_DtCenter == DT_CENTER && PIX_DtRight == DT_RIGHT && PIX_DtVCenter == DT_VCENTER &&
                  PIX_DtBottom == DT_BOTTOM && PIX_DtSingleLine == DT_SINGLELINE &&
                  PIX_DtNoClip == DT_NOCLIP && PIX_DtCalcRect == DT_CALCRECT &&
                  PIX_DtNoPrefix == DT_NOPREFIX,
              "text flags are the system's");
static_assert(PIX_BackgroundTransparent == TRANSPARENT && PIX_BackgroundOpaque == OPAQUE,
              "background modes are the system's");
static_assert(sizeof(RECT) == sizeof(PIX_Box), "a box is a RECT");

namespace {

RECT ToRect(const PIX_Box& box)
{
    return RECT{box.left, box.top, box.right, box.bottom};
}
void FromRect(const RECT& r, PIX_Box* box)
{
    *box = PIX_Box{r.left, r.top, r.right, r.bottom};
}

BYTE SystemQuality(PIX_FontQuality quality)
{
    switch (quality) {
        case PIX_FontQuality::Default:
            return DEFAULT_QUALITY;
        case PIX_FontQuality::Antialiased:
            return ANTIALIASED_QUALITY;
        case PIX_FontQuality::ClearType:
            return CLEARTYPE_QUALITY;
        case PIX_FontQuality::NonAntialiased:
            break;
    }
    return NONANTIALIASED_QUALITY;
}

}  // namespace

PIX_FontHandle PIX_CreateSystemFont(const PIX_FontRequest& r)
{
    return CreateFontA(r.height, r.width, r.escapement, r.escapement, r.weight, r.italic, FALSE,
                       FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       SystemQuality(r.quality), DEFAULT_PITCH | FF_DONTCARE, r.face);
}

void PIX_DeleteSystemFont(PIX_FontHandle font)
{
    if (font) DeleteObject(font);
}

PIX_FontHandle PIX_SelectSystemFont(PIX_DeviceContext context, PIX_FontHandle font)
{
    return static_cast<HFONT>(SelectObject(context, font));
}

int PIX_SystemFontHeight(PIX_DeviceContext context)
{
    TEXTMETRICA metrics = {};
    return GetTextMetricsA(context, &metrics) ? metrics.tmHeight : 0;
}

void PIX_SetSystemTextColours(PIX_DeviceContext context, uint32_t textColour, int backgroundMode,
                              const uint32_t* backgroundColour)
{
    SetTextColor(context, textColour);
    if (backgroundColour) SetBkColor(context, *backgroundColour);
    SetBkMode(context, backgroundMode);
}

int PIX_SystemDrawText(PIX_DeviceContext context, const char* text, int length, PIX_Box* box,
                       int flags)
{
    RECT r = ToRect(*box);
    const int result = DrawTextA(context, text, length, &r, UINT(flags));
    if (flags & DT_CALCRECT) FromRect(r, box);
    return result;
}

int PIX_SystemDrawWideText(PIX_DeviceContext context, const uint16_t* text, int length,
                           PIX_Box* box, int flags)
{
    static_assert(sizeof(WCHAR) == sizeof(uint16_t), "UTF-16 units");
    RECT r = ToRect(*box);
    const int result =
        DrawTextW(context, reinterpret_cast<const WCHAR*>(text), length, &r, UINT(flags));
    if (flags & DT_CALCRECT) FromRect(r, box);
    return result;
}

int PIX_SystemUtf8ToWide(const char* text, int length, uint16_t* out, int capacity)
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, length,
                               reinterpret_cast<WCHAR*>(out), out ? capacity : 0);
}

bool PIX_SystemHasWideText()
{
    static const bool wide = (GetVersion() & 0x80000000u) == 0;  // the answer cannot change
    return wide;
}

bool PIX_SystemIsWine()
{
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Wine", &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}
