#include "app/application.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/audio_api.h"
#include "app/main_dialog.h"
#include "app/message_loop.h"
#include "app/notices.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/startup.h"
#include "core/debug_text.h"

namespace {

int FailStart(const char* reason)
{
    WriteDebugLine("%s\n", reason);
    ShowStartFailure(reason);
    return 1;
}

// An audio thread that never came back may still run into the plug-in and
// the libraries: the process ends without running anything more of ours.
[[noreturn]] void EndProcessNow()
{
    WriteDebugLine(
        "the audio stream did not end; the process ends without the rest of its "
        "shutdown\n");
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 0);
    for (;;) Sleep(INFINITE);
}

}  // namespace

int RunApplication(HINSTANCE instance)
{
    InitCommonControls();
    CreateSettingsRecords();
    AllocateSettingsFilePath();
    std::string problem;
    if (!PrepareSettingsFile(&problem)) {
        FreeSettingsRecords();
        FreeSettingsFilePath();
        return FailStart(problem.c_str());
    }
    StartUpAudioMidiAndPlug();

    HWND main = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(),
                                   MainDlgProc, 0);
    int result = 0;
    // Without a main dialog nothing would ever end the loop.
    if (main) {
        const char* notice = AudioDriverNotice();
        if (notice && CurrentSettings->driver == 1) ShowAudioNotice(main, notice);
        RunMessageLoop();
    } else {
        result = FailStart("Velvane could not create its main window.");
    }
    if (MainDialog) DestroyWindow(MainDialog);
    if (!ShutdownAudioMidiAndPlug()) EndProcessNow();
    return result;
}
