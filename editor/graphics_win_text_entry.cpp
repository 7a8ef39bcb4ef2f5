#include "editor/graphics_win.h"

#include <string>

#include "core/parameter.h"
#include "editor/control.h"
#include "editor/text_entry_rules.h"

namespace {

LONG AlignStyle(int align)
{
    switch (align) {
        case 0:
            return ES_LEFT;
        case 2:
            return ES_RIGHT;
        default:
            return ES_CENTER;
    }
}

HFONT FieldFont(const ITextStyle& style)
{
    return CreateFontA(style.size, 0, 0, 0, style.weightStyle == 1 ? FW_BOLD : 0,
                       style.weightStyle == 2, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, style.face);
}

// The field's whole first line: a text set or pasted into it may be longer
// than what can be typed, or hold line breaks.
std::string FieldText(HWND field)
{
    std::string text(size_t(GetWindowTextLengthA(field)) + 1, '\0');
    SendMessageA(field, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(text.find_first_of("\r\n", 0, 3));
    return text;
}

}  // namespace

void IGraphicsWin::StartTextEntry(IControl* control, ITextStyle* style, IBox* box, const char* text,
                                  IParameter* parameter)
{
    if (!control || !window || textEntryWindow) return;
    const ITextStyle& shown = style ? *style : control->textStyle;
    const IBox place = box ? *box : control->rect;
    // The field scrolls both ways, so a text larger than the box is not
    // refused.
    HWND field = CreateWindowExA(
        0, "EDIT", text ? text : "",
        WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
            AlignStyle(shown.align),
        place.left, place.top, place.right - place.left + 1, place.bottom - place.top + 1, window,
        reinterpret_cast<HMENU>(INT_PTR(kTextEntryFieldId)), Module(), nullptr);
    if (!field) return;
    textEntryFont = FieldFont(shown);
    SendMessageA(field, WM_SETFONT, reinterpret_cast<WPARAM>(textEntryFont), FALSE);
    SendMessageA(field, EM_SETSEL, 0, -1);
    SendMessageA(field, EM_LIMITTEXT, WPARAM(TextEntryLimit(control->textEntryMaxChars)), 0);
    // A request left from before must not reach the new field. The first
    // focus goes to the field's own procedure, so the state stays idle.
    textEntryState = TextEntryIdle;
    SetFocus(field);
    SetWindowLongPtrA(field, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    textEntryOriginalProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextEntryWindowProc)));
    textEntryWindow = field;
    textEntryControl = control;
    textEntryParam = parameter;
    if (!textEntryOriginalProc) CloseTextEntry();
}

void IGraphicsWin::CloseTextEntry()
{
    HWND field = textEntryWindow;
    if (!field) return;
    if (textEntryOriginalProc)
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(textEntryOriginalProc));
    DestroyWindow(field);
    ForgetTextEntry();
}

void IGraphicsWin::ForgetTextEntry()
{
    textEntryWindow = nullptr;
    textEntryControl = nullptr;
    textEntryParam = nullptr;
    textEntryOriginalProc = nullptr;
    textEntryState = TextEntryIdle;
    if (textEntryFont) DeleteObject(textEntryFont);
    textEntryFont = nullptr;
}

// A tick with a request pending serves it and draws nothing. The field is
// closed before its text is applied: what the control or the plug-in does
// with the text may run a dialog, whose loop goes on ticking.
void IGraphicsWin::ServeTextEntry()
{
    const int request = textEntryState;
    if (request != TextEntryCommit && request != TextEntryCancel) {
        textEntryState = TextEntryIdle;
        return;
    }
    const std::string text = request == TextEntryCommit ? FieldText(textEntryWindow) : "";
    IControl* control = textEntryControl;
    IParameter* parameter = textEntryParam;
    CloseTextEntry();
    if (request != TextEntryCommit) return;
    if (parameter)
        SetControlValueFromText(control, parameter, text.c_str());
    else
        control->AcceptEnteredText(text.c_str());
}

LRESULT IGraphicsWin::ColourTextEntry(HDC dc)
{
    if (!textEntryControl) return 0;
    const ITextStyle& style = textEntryControl->textStyle;
    SetBkColor(dc, style.entryBackground.SystemColour());
    SetTextColor(dc, style.entryForeground.SystemColour());
    SetBkMode(dc, OPAQUE);
    // The brush fills the field beyond its text.
    SetDCBrushColor(dc, style.entryBackground.SystemColour());
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

LRESULT IGraphicsWin::HandleTextEntryMessage(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    HideTooltip();
    const WNDPROC original = textEntryOriginalProc;
    switch (message) {
        case WM_SETFOCUS:
            textEntryState = TextEntryFocused;
            break;
        case WM_KILLFOCUS:
            textEntryState = TextEntryCancel;
            break;
        case WM_GETDLGCODE: {
            if (textEntryParam) break;
            LRESULT code = CallWindowProcA(original, field, message, wParam, lParam);
            const MSG* asked = reinterpret_cast<const MSG*>(lParam);
            if (asked && asked->message == WM_KEYDOWN && wParam == VK_RETURN)
                code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_KEYDOWN:
            // A multiline field in a dialog would close its parent, the
            // editor window, on Escape.
            if (wParam == VK_ESCAPE) {
                textEntryState = TextEntryCancel;
                return 0;
            }
            if (wParam != VK_RETURN) break;
            textEntryState = TextEntryCommit;
            return 0;
        case WM_CHAR:
            if (!TextEntryAcceptsChar(textEntryParam, int(wParam))) return 0;
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) != 1) break;
            textEntryState = TextEntryCommit;
            return 0;
        case WM_NCDESTROY:
            // The field went with the editor window.
            ForgetTextEntry();
            break;
        default:
            break;
    }
    return CallWindowProcA(original, field, message, wParam, lParam);
}

LRESULT CALLBACK TextEntryWindowProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    IGraphicsWin* editor = reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(field, GWLP_USERDATA));
    if (!editor || editor->textEntryWindow != field)
        return DefWindowProcA(field, message, wParam, lParam);
    return editor->HandleTextEntryMessage(field, message, wParam, lParam);
}
