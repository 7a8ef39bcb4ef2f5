#include "app/notices.h"

namespace {

int gAudioNoticesOpen = 0;

}  // namespace

void ShowAudioNotice(HWND owner, const char* text)
{
    ++gAudioNoticesOpen;
    MessageBoxA(owner, text, "Velvane audio", MB_OK | MB_ICONINFORMATION);
    --gAudioNoticesOpen;
}

bool AudioNoticeShown()
{
    return gAudioNoticesOpen > 0;
}

void ShowStartFailure(const char* text)
{
    MessageBoxA(nullptr, text, "Velvane cannot start", MB_OK | MB_ICONERROR);
}
