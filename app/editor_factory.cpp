// The plug-in's editor in velvane.exe: the Win32 editor window, with the
// window class and the images of the executable itself.
#include "analyser/unit_effect.h"
#include "editor/graphics_win.h"

IGraphics* CreateEditorGraphics(IUnitEffect* plug, int width, int height, int frameRate)
{
    IGraphicsWin* editor = new IGraphicsWin(plug, width, height, frameRate);
    editor->SetInstance(GetModuleHandleA(nullptr));
    return editor;
}
