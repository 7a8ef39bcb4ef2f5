#include "editor/graphics_win.h"

#include <gtest/gtest.h>

#include <colordlg.h>
#include <dlgs.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/unit_editor.h"

#include "editor_window_scene.h"

namespace {

// Drives the modal dialogs of a call from a thread timer: each dialog of the
// thread that takes input is handed to the action once, in the order they
// come up. After kMaxRounds every dialog still open is ended, so that no
// test can hang.
class DialogDriver {
public:
    using Action = std::function<void(HWND dialog, int index)>;

    explicit DialogDriver(Action act) : action(std::move(act))
    {
        active = this;
        timer = SetTimer(nullptr, 0, kPeriod, Fire);
    }
    ~DialogDriver()
    {
        KillTimer(nullptr, timer);
        active = nullptr;
    }

    int Seen() const { return int(seen.size()); }
    bool TimedOut() const { return rounds > kMaxRounds; }

private:
    static constexpr UINT kPeriod = 50;
    static constexpr int kMaxRounds = 200;

    static std::vector<HWND> ThreadDialogs()
    {
        std::vector<HWND> dialogs;
        EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
        return dialogs;
    }
    static BOOL CALLBACK CollectDialog(HWND window, LPARAM list)
    {
        char name[16] = "";
        GetClassNameA(window, name, sizeof name);
        if (std::string(name) == "#32770" && IsWindowVisible(window))
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD)
    {
        if (active) active->Round();
    }
    void Round()
    {
        const std::vector<HWND> dialogs = ThreadDialogs();
        if (++rounds > kMaxRounds) {
            for (HWND d : dialogs) EndDialog(d, 0);
            return;
        }
        for (HWND d : dialogs) {
            // The dialog on top: one that opened over it disables it.
            if (!IsWindowEnabled(d) || std::find(seen.begin(), seen.end(), d) != seen.end())
                continue;
            seen.push_back(d);
            action(d, Seen() - 1);
        }
    }

    static inline DialogDriver* active = nullptr;
    Action action;
    UINT_PTR timer = 0;
    int rounds = 0;
    std::vector<HWND> seen;
};

std::string TextOf(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void Press(HWND dialog, int button)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

// The file dialog's name field: an edit, or the edit of a combo box.
HWND NameField(HWND dialog)
{
    HWND field = GetDlgItem(dialog, edt1);
    return field ? field : GetDlgItem(dialog, cmb13);
}

// An editor window, a folder and a folder inside it, each holding a file.
class FileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(scene.Open(), nullptr);
        GetCurrentDirectoryA(sizeof workingFolder, workingFolder);
        char temp[MAX_PATH] = "", full[MAX_PATH] = "";
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        GetLongPathNameA(temp, full, sizeof full);
        folder = std::string(full) + "velvane-dialogs-" + std::to_string(GetCurrentProcessId());
        for (const char* place : {"", "inner"}) {
            ASSERT_TRUE(CreateDirectoryA(In(place).c_str(), nullptr) ||
                        GetLastError() == ERROR_ALREADY_EXISTS);
            HANDLE f = CreateFileA((In(place) + "\\take.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            CloseHandle(f);
        }
    }
    // The folders can only go once no dialog has left the working folder in
    // them.
    void TearDown() override
    {
        SetCurrentDirectoryA(workingFolder);
        for (const char* name : {"take.txt", "inner\\take.txt", "inner\\fresh.txt", "inner", ""})
            if (!DeleteFileA(In(name).c_str())) RemoveDirectoryA(In(name).c_str());
    }
    // A path in the folder; "" is the folder.
    std::string In(const char* path) const { return *path ? folder + "\\" + path : folder; }

    EditorScene scene;
    std::string folder;
    char workingFolder[MAX_PATH] = "";
};

// Each case starts in another folder than the one before ended in, which the
// dialog would take without a starting folder.
TEST_F(FileDialog, TypedNameOrCancel)
{
    struct Case {
        const char* what;
        int action;
        const char* start;
        const char* typed;   // null: Cancel
        const char* chosen;  // null: nothing
        int dialogs;
    };
    const Case cases[] = {
        {"open in the inner folder", kFileOpen, "inner", "take.txt", "inner\\take.txt", 1},
        {"open in the folder", kFileOpen, "", "take.txt", "take.txt", 1},
        {"save takes the default extension", kFileSave, "inner", "fresh", "inner\\fresh.txt", 1},
        {"save over a file asks first", kFileSave, "", "take.txt", "take.txt", 2},
        {"open cancelled", kFileOpen, "inner", nullptr, nullptr, 1},
        {"save cancelled", kFileSave, "", nullptr, nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TextBuffer file, start;
        file.Assign("previous.txt");
        start.Assign(In(c.start).c_str());
        DialogDriver driver([&](HWND dialog, int index) {
            if (index > 0) {
                Press(dialog, IDYES);  // the question whether to replace
            } else if (c.typed) {
                SetWindowTextA(NameField(dialog), c.typed);
                Press(dialog, IDOK);
            } else {
                Press(dialog, IDCANCEL);
            }
        });
        char before[MAX_PATH] = "", after[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof before, before);
        scene.editor->AskForFile(&file, c.action, &start, "txt csv");
        GetCurrentDirectoryA(sizeof after, after);
        EXPECT_STREQ(after, before) << "a host's relative paths rely on its working folder";
        EXPECT_FALSE(driver.TimedOut());
        EXPECT_EQ(driver.Seen(), c.dialogs);
        EXPECT_EQ(file.Get(), c.chosen ? In(c.chosen) : "");
        EXPECT_EQ(start.Get(), In(c.start));
    }
}

// The texts are cut to the dialog's buffers; the caller's stay whole.
TEST_F(FileDialog, LongTextsAreCut)
{
    const std::string name(300, 'n'), longFolder = "C:\\" + std::string(300, 'f');
    TextBuffer file, start;
    file.Assign(name.c_str());
    start.Assign(longFolder.c_str());
    std::string shown;
    DialogDriver driver([&](HWND dialog, int) {
        shown = TextOf(NameField(dialog));
        Press(dialog, IDCANCEL);
    });
    scene.editor->AskForFile(&file, kFileOpen, &start, "txt");
    EXPECT_EQ(driver.Seen(), 1);
    EXPECT_EQ(shown, name.substr(0, 255));
    EXPECT_STREQ(file.Get(), "");
    EXPECT_EQ(start.Get(), longFolder);
}

TEST(EditorDialogs, NothingWithoutAWindow)
{
    EditorScene scene;
    DialogDriver driver([](HWND dialog, int) { EndDialog(dialog, 0); });
    TextBuffer file, start;
    file.Assign("previous.txt");
    start.Assign("C:\\");
    scene.editor->AskForFile(&file, kFileOpen, &start, "txt");
    EXPECT_STREQ(file.Get(), "");
    IArgb colour = {10, 20, 30, 40};
    EXPECT_FALSE(scene.editor->AskForColour(&colour, "Tint"));
    EXPECT_EQ(colour.Packed(), (IArgb{10, 20, 30, 40}.Packed()));
    scene.Open();
    EXPECT_FALSE(scene.editor->AskForColour(nullptr, "Tint"));
    EXPECT_FALSE(scene.editor->OpenLink(nullptr, "Link", "Open it?", "It failed"));
    EXPECT_EQ(driver.Seen(), 0);
}

// Types a colour into the dialog's red, green and blue fields.
void TypeColour(HWND dialog, int red, int green, int blue)
{
    SetDlgItemInt(dialog, COLOR_RED, red, FALSE);
    SetDlgItemInt(dialog, COLOR_GREEN, green, FALSE);
    SetDlgItemInt(dialog, COLOR_BLUE, blue, FALSE);
}

class ColourDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(scene.Open(), nullptr); }

    EditorScene scene;
};

TEST_F(ColourDialog, AnswerUnderThePrompt)
{
    struct Case {
        const char* what;
        bool typed;  // 12, 34, 56
        int button;
        bool chosen;
        IArgb result;
    };
    const Case cases[] = {
        {"OK gives the initial colour", false, IDOK, true, {77, 10, 200, 30}},
        {"OK gives the typed colour", true, IDOK, true, {77, 12, 34, 56}},
        {"Cancel leaves it", true, IDCANCEL, false, {77, 10, 200, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IArgb colour = {77, 10, 200, 30};
        std::string title;
        DialogDriver driver([&](HWND dialog, int) {
            title = TextOf(dialog);
            if (c.typed) TypeColour(dialog, 12, 34, 56);
            Press(dialog, c.button);
        });
        EXPECT_EQ(scene.editor->AskForColour(&colour, "Pick a tint"), c.chosen);
        EXPECT_EQ(driver.Seen(), 1);
        EXPECT_EQ(title, "Pick a tint");
        EXPECT_EQ(colour.Packed(), c.result.Packed());
    }
}

// A colour added to the custom colours in one call is there to be picked in
// the next.
TEST_F(ColourDialog, CustomColoursPersist)
{
    IArgb colour = {40, 1, 2, 3};
    {
        DialogDriver driver([](HWND dialog, int) {
            TypeColour(dialog, 12, 34, 56);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(COLOR_ADD, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, COLOR_ADD)));
            Press(dialog, IDOK);
        });
        ASSERT_TRUE(scene.editor->AskForColour(&colour, "First"));
    }
    colour = {90, 200, 100, 50};
    DialogDriver driver([](HWND dialog, int) {
        // A click into the first of the custom colours.
        RECT cells;
        GetWindowRect(GetDlgItem(dialog, COLOR_CUSTOM1), &cells);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&cells), 2);
        const LPARAM at = MAKELPARAM(cells.left + 3, cells.top + 3);
        SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(dialog, WM_LBUTTONUP, 0, at);
        Press(dialog, IDOK);
    });
    EXPECT_TRUE(scene.editor->AskForColour(&colour, "Second"));
    EXPECT_EQ(colour.Packed(), (IArgb{90, 12, 34, 56}.Packed()));
}

// The link names no known scheme, so that nothing can start.
TEST(EditorLink, AnswerAtTheConfirmation)
{
    EditorScene scene;
    ASSERT_NE(scene.Open(), nullptr);
    struct Case {
        int answer;
        std::vector<std::string> texts;  // of the boxes shown
    };
    const Case cases[] = {
        {IDNO, {"Open it?"}},
        {IDYES, {"Open it?", "It failed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        std::vector<std::string> texts, titles;
        DialogDriver driver([&](HWND dialog, int index) {
            texts.push_back(TextOf(GetDlgItem(dialog, 0xFFFF)));
            titles.push_back(TextOf(dialog));
            Press(dialog, index == 0 ? c.answer : IDOK);
        });
        EXPECT_FALSE(
            scene.editor->OpenLink("velvane-test:nowhere", "Link", "Open it?", "It failed"));
        EXPECT_EQ(texts, c.texts);
        EXPECT_EQ(titles, std::vector<std::string>(c.texts.size(), "Link"));
    }
}

}  // namespace
