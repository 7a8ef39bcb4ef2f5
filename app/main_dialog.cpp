#include "app/main_dialog.h"

#include <cstdio>
#include <string>

#include "analyser/unit_effect.h"
#include "app/audio_midi_services.h"
#include "app/audio_stream.h"
#include "app/build_date.h"
#include "app/notices.h"
#include "app/preferences_dialog.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/startup.h"

HWND MainDialog = nullptr;

namespace {

// The audio watch: underflow lines and stream troubles, four times a second.
constexpr UINT_PTR kAudioWatchTimer = 1;
constexpr UINT kAudioWatchPeriodMs = 250;

// One preferences dialog at a time: a second command brings it to the front.
void OpenPreferences(HWND owner)
{
    if (HWND open = PreferencesDialog()) {
        SetForegroundWindow(open);
        return;
    }
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PREFERENCES), owner,
                        PreferencesDlgProc, LPARAM(&RealAudioMidiServices()));
    // The edits stay in use for the session even when the file keeps the old
    // settings.
    if (result == IDOK && !WriteSettingsFile()) {
        const std::string text = std::string("Velvane could not save its settings to ") +
                                 SettingsFilePath +
                                 ". The new settings are used until Velvane ends; its next "
                                 "start reads the file as it is.";
        ShowSettingsNotice(owner, text.c_str());
    }
}

void ShowAbout(HWND owner)
{
    IUnitBase* plug = PlugIn();
    if (plug && plug->HandleAboutRequest()) return;
    MessageBoxA(owner, "Kestrane\nBuilt on " VELVANE_BUILD_DATE, "tq_Velvane", MB_OK);
}

void WatchAudio(HWND window)
{
    PrintAudioUnderflows();
    // One notice at a time: the watch is asked again once it is closed.
    if (NoticeShown()) return;
    const std::string trouble = TakeAudioStreamTrouble();
    if (!trouble.empty()) ShowAudioNotice(window, trouble.c_str());
}

void HandleMenu(HWND window, int id)
{
    switch (id) {
        case IDM_PREFERENCES:
            OpenPreferences(window);
            break;
        case IDM_QUIT:
            DestroyWindow(window);
            break;
        case IDM_ABOUT:
            ShowAbout(window);
            break;
        default:
            break;
    }
}

}  // namespace

INT_PTR CALLBACK MainDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
        case WM_INITDIALOG:
            MainDialog = window;
            if (!OpenEditorInMainDialog()) {
                printf("couldn't attach gui\n");
                fflush(stdout);
            }
            CenterWindowClient(window, kMainClientWidth, kMainClientHeight);
            ShowWindow(window, SW_SHOW);
            SetTimer(window, kAudioWatchTimer, kAudioWatchPeriodMs, nullptr);
            return TRUE;
        case WM_TIMER:
            if (wParam == kAudioWatchTimer) WatchAudio(window);
            return FALSE;
        case WM_COMMAND:
            HandleMenu(window, LOWORD(wParam));
            return FALSE;
        case WM_CLOSE:
            DestroyWindow(window);
            return FALSE;
        case WM_DESTROY:
            MainDialog = nullptr;
            PostQuitMessage(0);
            return FALSE;
        default:
            return FALSE;
    }
}

void CenterWindowClient(HWND window, int width, int height)
{
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    const int frameWidth = (outer.right - outer.left) - (client.right - client.left);
    const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    MoveWindow(window, x, y, width + frameWidth, height + frameHeight, FALSE);
}
