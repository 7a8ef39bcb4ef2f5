#include "app/notices.h"

void ShowAudioNotice(HWND owner, const char* text)
{
    MessageBoxA(owner, text, "Velvane audio", MB_OK | MB_ICONINFORMATION);
}

void ShowStartFailure(const char* text)
{
    MessageBoxA(nullptr, text, "Velvane cannot start", MB_OK | MB_ICONERROR);
}
