// The plug-in's editor in velvane_vst.dll: the Win32 editor window, with the
// window class and the images of the module itself, not of the host.
#include "analyser/unit_effect.h"
#include "editor/graphics_win.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

IGraphics* CreateEditorGraphics(IUnitEffect* plug, int width, int height, int frameRate)
{
    IGraphicsWin* editor = new IGraphicsWin(plug, width, height, frameRate);
    editor->SetInstance(reinterpret_cast<HINSTANCE>(&__ImageBase));
    return editor;
}
