#include "app/combo_box.h"

#include <algorithm>

void ClearCombo(HWND dialog, int id)
{
    SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
}

void AddComboText(HWND dialog, int id, const char* text)
{
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, LPARAM(text));
}

void SelectComboEntry(HWND dialog, int id, int index)
{
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, WPARAM(index), 0);
}

int ComboSelection(HWND dialog, int id)
{
    const LRESULT index = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? -1 : int(index);
}

int FindComboEntry(HWND dialog, int id, const char* text)
{
    const LRESULT index =
        SendDlgItemMessageA(dialog, id, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(text));
    return index == CB_ERR ? -1 : int(index);
}

int SelectComboText(HWND dialog, int id, const char* text)
{
    const int index = FindComboEntry(dialog, id, text);
    SelectComboEntry(dialog, id, index);
    return index;
}

bool SelectedComboText(HWND dialog, int id, std::string* out)
{
    out->clear();
    const int index = ComboSelection(dialog, id);
    if (index < 0) return false;
    const LRESULT length = SendDlgItemMessageA(dialog, id, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length == CB_ERR) return false;
    std::string text(size_t(length) + 1, '\0');
    const LRESULT copied =
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, WPARAM(index), LPARAM(&text[0]));
    if (copied == CB_ERR) return false;
    text.resize(std::min(size_t(copied), size_t(length)));
    *out = std::move(text);
    return true;
}
