#include "app/notices.h"

namespace {

int gNoticesOpen = 0;

void ShowNotice(HWND owner, const char* text, const char* caption, UINT icon)
{
    ++gNoticesOpen;
    MessageBoxA(owner, text, caption, MB_OK | icon);
    --gNoticesOpen;
}

}  // namespace

void ShowAudioNotice(HWND owner, const char* text)
{
    ShowNotice(owner, text, "Velvane audio", MB_ICONINFORMATION);
}

void ShowSettingsNotice(HWND owner, const char* text)
{
    ShowNotice(owner, text, "Velvane settings", MB_ICONWARNING);
}

bool NoticeShown()
{
    return gNoticesOpen > 0;
}

void ShowStartFailure(const char* text)
{
    MessageBoxA(nullptr, text, "Velvane cannot start", MB_OK | MB_ICONERROR);
}
