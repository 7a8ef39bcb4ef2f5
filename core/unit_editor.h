#pragma once

class TextBuffer;

// The system's window, opaque here (HWND on Windows).
struct HWND__;
using IWindowHandle = HWND__*;

// What a file dialog is asked for.
enum IFileAction { kFileOpen = 0, kFileSave = 1 };

// The plug-in's view of its editor: what the core calls on the editor it was
// handed. The editor library's IGraphics implements it; the core owns the
// attached editor and deletes it through this interface.
class IUnitEditor {
public:
    virtual ~IUnitEditor() = default;
    // A parameter's value (normalised, or plain when normalised is false)
    // reaches the controls that show it.
    virtual void ApplyParameterFromCore(int p, double value, bool normalised) = 0;
    // Prepares the drawing surfaces; called once, after the first values.
    virtual void CreateSurfaces() = 0;
    // Asks the user for a file to open or save (kFileSave), starting in folder;
    // extensions are separated by blanks ("fxp"). file becomes the chosen
    // path, or "" when none was chosen.
    virtual void AskForFile(TextBuffer* file, int action, TextBuffer* folder,
                            const char* extensions) = 0;
    // Opens the editor's window inside parent; null when it could not.
    virtual IWindowHandle OpenEditorWindow(IWindowHandle parent) = 0;
    virtual void CloseEditorWindow() = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};
