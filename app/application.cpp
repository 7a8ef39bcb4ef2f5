#include "app/application.h"

#include <commctrl.h>

#include "app/audio_api.h"
#include "app/main_dialog.h"
#include "app/message_loop.h"
#include "app/resource_ids.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/startup.h"

int RunApplication(HINSTANCE instance)
{
    InitCommonControls();
    CreateSettingsRecords();
    AllocateSettingsFilePath();
    if (!PrepareSettingsFile()) {
        FreeSettingsRecords();
        FreeSettingsFilePath();
        return 1;
    }
    StartUpAudioMidiAndPlug();

    HWND main = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), GetDesktopWindow(),
                                   MainDlgProc, 0);
    // Without a main dialog nothing would ever end the loop.
    if (main) {
        const char* notice = AudioDriverNotice();
        if (notice && CurrentSettings->driver == 1)
            MessageBoxA(main, notice, "Velvane", MB_OK | MB_ICONINFORMATION);
        RunMessageLoop();
    }
    if (MainDialog) DestroyWindow(MainDialog);
    ShutdownAudioMidiAndPlug();
    return 0;
}
