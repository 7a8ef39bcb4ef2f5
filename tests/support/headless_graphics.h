#pragma once

#include <string>
#include <vector>

#include "core/text_buffer.h"
#include "editor/graphics.h"
#include "editor/popup_menu.h"
#include "raster/png_image.h"

#ifndef VELVANE_SOURCE_DIR
#error "tests that use the headless editor define VELVANE_SOURCE_DIR"
#endif

// An editor without a window: it records what it presents and loads its
// images from the files under the source tree that their names give.
class HeadlessGraphics : public IGraphics {
public:
    HeadlessGraphics(IUnitBase* plug, int width, int height, int frameRate = 60)
        : IGraphics(plug, width, height, frameRate)
    {
    }

    bool PresentRegion(const IRegion* region) override
    {
        presented.push_back(*region);
        return true;
    }
    void CancelTextEntry() override {}
    int ShowMessage(const char*, const char*, int) override { return 0; }
    void HostFolder(TextBuffer*) override {}
    void ModuleFolder(TextBuffer*) override {}
    void DefaultFileFolder(TextBuffer*) override {}
    void ExtraFolder(TextBuffer*) override {}
    // Menus answer with menuAnswer's item of the menu (none when negative);
    // their items are recorded as shown.
    PopupMenu* RunPopupMenu(PopupMenu* menu, IBox*) override
    {
        ShownMenu shown;
        for (int i = 0; menu && i < menu->items.Count(); ++i)
            shown.items.push_back({menu->TextOfItem(i), menu->ItemAt(i)->flags});
        menusShown.push_back(shown);
        if (!menu || menuAnswer < 0) return nullptr;
        menu->chosenItem = menuAnswer;
        return menu;
    }
    void StartTextEntry(IControl* control, ITextStyle*, IBox*, const char* text,
                        IParameter* parameter) override
    {
        textEntries.push_back({control, text ? text : "", parameter});
    }
    bool AskForColour(IArgb* colour, const char* prompt) override
    {
        colourPrompts.push_back(prompt ? prompt : "");
        if (colourAnswered && colour) *colour = colourAnswer;
        return colourAnswered;
    }
    bool OpenLink(const char* url, const char*, const char*, const char*) override
    {
        linksOpened.push_back(url ? url : "");
        return linkAnswer;
    }
    // Answers with fileAnswer, a path the test chose ("" for none).
    void AskForFile(TextBuffer* file, int action, TextBuffer*, const char*) override
    {
        fileActions.push_back(action);
        file->Assign(fileAnswer.c_str());
    }
    IWindowHandle OpenEditorWindow(IWindowHandle) override { return nullptr; }
    void CloseEditorWindow() override {}
    IWindowHandle WindowHandle() override { return nullptr; }
    void PlatformHook() override {}
    PIX_IBitmap* LoadImageResource(int resourceId, const char* name) override
    {
        loads.push_back(resourceId);
        if (!name || !*name) return nullptr;
        return PIX_DecodePngFile((std::string(VELVANE_SOURCE_DIR) + "/" + name).c_str(), nullptr);
    }

    struct TextEntry {
        IControl* control;
        std::string text;
        IParameter* parameter;
    };
    struct ShownMenu {
        struct Item {
            std::string text;
            int flags;
        };
        std::vector<Item> items;
    };
    int menuAnswer = -1;
    std::vector<ShownMenu> menusShown;
    std::vector<TextEntry> textEntries;
    bool colourAnswered = false;
    IArgb colourAnswer;
    std::vector<std::string> colourPrompts;
    bool linkAnswer = false;
    std::vector<std::string> linksOpened;
    std::string fileAnswer;
    std::vector<int> fileActions;
    std::vector<IRegion> presented;
    std::vector<int> loads;
};
