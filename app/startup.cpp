#include "app/startup.h"

#include "analyser/unit_effect.h"
#include "app/audio_api.h"
#include "app/audio_stream.h"
#include "app/main_dialog.h"
#include "app/midi_ports.h"
#include "app/settings.h"
#include "editor/graphics.h"

namespace {

IUnitEffect* gPlug = nullptr;

}  // namespace

IUnitEffect* PlugIn()
{
    return gPlug;
}

bool StartUpAudioMidiAndPlug()
{
    CreateAudioApi();
    ProbeAudioDevices();
    CreateMidiClients();
    ListMidiPorts();
    gPlug = CreatePlugInstance(MidiOutputForPlugIn(), &CurrentSettings->midiOutputChannel);
    AttachAudioPlugIn(gPlug);
    AttachMidiPlugIn(gPlug);
    gPlug->SelectPreset(0);
    OpenMidiInByName(CurrentSettings->midiInputPort);
    OpenMidiOutByName(CurrentSettings->midiOutputPort);
    return StartAudioFromSettings();
}

bool OpenEditorInMainDialog()
{
    IGraphics* editor = AttachedGraphics(gPlug);
    if (!editor || !editor->OpenEditorWindow(MainDialog)) return false;
    gPlug->EditorOpened();
    return true;
}

bool ShutdownAudioMidiAndPlug()
{
    // Aborted rather than stopped: the output is silent, and a stop waits for
    // buffers to drain that a vanished device never plays.
    CloseAudioApiStream();
    CloseMidiPorts();
    if (AudioApiWasAbandoned()) return false;
    // No thread calls the plug-in any more.
    AttachAudioPlugIn(nullptr);
    AttachMidiPlugIn(nullptr);
    delete gPlug;
    gPlug = nullptr;
    FreeSettingsRecords();
    DeleteMidiClients();
    DeleteAudioApi();
    FreeSettingsFilePath();
    return true;
}
