#pragma once

#include <windows.h>

#include "core/text_buffer.h"
#include "editor/graphics.h"

// Editor windows open in the process; the window class is registered while
// there is one.
extern int EditorWindowClassUses;
// The frame rate of the editor whose window is being created.
extern double EditorTimerFrameRate;

// The states of the text-entry field: what the next tick does with it.
enum TextEntryState {
    TextEntryIdle = 0,     // no request pending
    TextEntryFocused = 1,  // the field has the keyboard focus
    TextEntryPainted = 2,  // the editor was repainted around the field on this tick
    TextEntryCancel = 3,   // close it without applying
    TextEntryCommit = 4,   // apply its text and close it
};
// The control id of the text-entry field.
constexpr int kTextEntryFieldId = 99;

// The redraw timer of an editor window and its period in milliseconds.
constexpr UINT_PTR kEditorTimerId = 2;
int EditorTimerPeriod(double frameRate);

// The editor on Win32: a child window of the class "IUnitWndClass" inside
// the window the host gives. A timer paints what changed and copies it to the
// window; mouse and key messages go to the editor's dispatch.
class IGraphicsWin : public IGraphics {
public:
    IGraphicsWin(IUnitBase* plug, int width, int height, int frameRate);
    ~IGraphicsWin() override;

    // Into the paint's device context while the window handles a paint
    // message; otherwise into one of the window's own.
    bool PresentRegion(const IRegion* region) override;
    void CancelTextEntry() override;
    void ResizeEditor(int width, int height) override;
    bool HasWindow() override;
    int ShowMessage(const char* text, const char* caption, int type) override;
    void HostFolder(TextBuffer* out) override;
    void ModuleFolder(TextBuffer* out) override;
    void DefaultFileFolder(TextBuffer* out) override;
    void ExtraFolder(TextBuffer* out) override;
    PopupMenu* RunPopupMenu(PopupMenu* menu, IBox* box) override;
    // One field at a time, over box; the timer applies or cancels it.
    void StartTextEntry(IControl* control, ITextStyle* style, IBox* box, const char* text,
                        IParameter* parameter) override;
    // The open dialog, or with action kFileSave the save dialog; file is ""
    // when nothing was chosen. The folder text is not changed.
    void AskForFile(TextBuffer* file, int action, TextBuffer* folder,
                    const char* extensions) override;
    // The custom colours persist for the editor's life; alpha is kept.
    bool AskForColour(IArgb* colour, const char* prompt) override;
    bool OpenLink(const char* url, const char* title, const char* confirm,
                  const char* error) override;
    // Opening an open editor recreates its window at the same place and size.
    IWindowHandle OpenEditorWindow(IWindowHandle parent) override;
    void CloseEditorWindow() override;
    IWindowHandle WindowHandle() override;
    void HidePointer() override;
    void ShowPointer() override;
    void PlatformHook() override;
    // A PNG resource of the module, for names whose extension is "png".
    PIX_IBitmap* LoadImageResource(int resourceId, const char* name) override;

    // The module of the window class and the resources; null means the
    // running executable.
    void SetInstance(HINSTANCE module) { instance = module; }
    // The outermost window above the parent, or, once that is gone, a
    // top-level window of this process of the same class.
    HWND TopLevelWindow();
    // The window's screen rectangle less 6 at the right and 23 at the bottom.
    IBox WindowBoxInset();
    void SetWindowTitle(const char* text);

protected:
    // The open text-entry field, or null, and what the next tick does with it.
    HWND TextEntryWindow() const { return textEntryWindow; }
    int TextEntryStateNow() const { return textEntryState; }

private:
    friend LRESULT CALLBACK EditorWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK TextEntryWindowProc(HWND, UINT, WPARAM, LPARAM);

    HINSTANCE Module() const;
    // Marks the whole client area for the next paint.
    void InvalidateAll();
    LRESULT HandleMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    void Tick();
    void TickIfOverdue();
    void ForgetDestroyedWindow();
    void OpenTooltip();
    void CloseTooltip();
    void ShowTooltip();
    void HideTooltip();
    void SetTooltipText(const char* text);
    // The field's part of the window's messages and of the tick.
    LRESULT HandleTextEntryMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
    void ServeTextEntry();
    LRESULT ColourTextEntry(HDC dc);
    // Restores the field's procedure, destroys it and clears the entry fields.
    void CloseTextEntry();
    // The field went with its window: only the fields are cleared.
    void ForgetTextEntry();

    HINSTANCE instance = nullptr;
    HWND window = nullptr;
    // The device context of the paint message being handled.
    HDC paintTarget = nullptr;
    // When the last tick began (GetTickCount).
    DWORD lastTickTime = 0;
    HWND textEntryWindow = nullptr;
    HWND tooltipWindow = nullptr;
    IControl* textEntryControl = nullptr;
    IParameter* textEntryParam = nullptr;
    WNDPROC textEntryOriginalProc = nullptr;
    int textEntryState = TextEntryIdle;
    // Made for the field and deleted with it.
    HFONT textEntryFont = nullptr;
    bool tooltipShown = false;
    int tooltipControl = -1;
    // The colour dialog's 16 custom colours, made on first use.
    COLORREF* customColours = nullptr;
    HWND parentWindow = nullptr;
    HWND topLevelWindow = nullptr;
    TextBuffer topLevelClassName;
};

// The window procedure of "IUnitWndClass".
LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of the editor's open text-entry field.
LRESULT CALLBACK TextEntryWindowProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
// The system popup menu of a menu tree; its items take ids from *nextId on,
// a block per menu in the order the menus are built. Null when none can be
// made.
HMENU BuildNativeMenu(PopupMenu* menu, int* nextId);
// Makes the prompt in the dialog's custom data the colour dialog's title.
UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The size of the window's rectangle; 0 by 0 for no window.
void WindowOuterSize(HWND window, int* width, int* height);
// 0 for no window or one that is not a child; otherwise the low byte is 1
// unless the window is an MDI child.
int ChildStyleCode(HWND window);
// The window's class name, at most 127 characters.
void WindowClassNameOf(HWND window, TextBuffer* out);
// The folder of the module's file with its closing backslash, or empty; a
// null module is the running executable.
void ModuleFileFolder(HINSTANCE module, TextBuffer* out);
