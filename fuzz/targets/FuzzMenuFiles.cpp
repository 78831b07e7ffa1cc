// Fuzz targets of the menus' files: Fonts.qvx (each wanted font then writes a
// line of text), Menu.qvx through the menu manager's whole load with every
// page updated and rendered once, and the menu strings of Menu_c.qvx (after a
// one-page Menu.qvx, as the game needs one). A broken file ends the load with
// CDException, which the game's start-up catches: the targets catch it too.
#include "engine/QV7_FrameManager.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "gui/QV7_FontsHandler.h"
#include "gui/QV7_MenuManager.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/MenuFileWriter.h"

#include <memory>

using fuzzworld::ScratchFile;

int FuzzFonts(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile fonts(fuzzworld::DataDir() + "Input.qvx", data, size);
    QV7_FontsHandler handler;
    QV7_Collection<int> wanted;
    for (int32_t id : kFuzzFontIds)
        *wanted.Add() = id;
    try
    {
        handler.LoadFonts(fonts.Path(), wanted);
    }
    catch (const CDException&)
    {
        // A broken name stops the game with its details: the file's own failure.
    }
    for (FontSlot* slot : handler.m_Fonts)
        DrawFontText(slot->m_Font, 10.0f, 10.0f, 0xFFFFFFFF, "Ab 09~\n\x7F\x80 z",
                     kFontCentreX | kFontCentreInBox);
    return 0;
}

int FuzzMenuFile(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile menu(fuzzworld::DataDir() + "Menu.qvx", data, size);
    // Menu_c.qvx is missing: logged, as the loader allows.
    std::unique_ptr<QV7_MenuManager> menus;
    try
    {
        menus = std::make_unique<QV7_MenuManager>();
    }
    catch (const CDException&)
    {
        return 0; // a broken menu file ends the start-up with its details
    }
    menus->m_CursorFlag = 1;
    // Every page in one frame: a frame per page would spend the run clearing
    // and presenting the null back buffer.
    g_frameManager->BeginFrame();
    for (int page = 0; page < menus->m_Pages.Count(); ++page)
    {
        menus->m_CurrentPage = page;
        menus->UpdateCurrentPage();
        menus->RenderCurrentPage(0);
    }
    g_frameManager->EndFrame();
    return 0;
}

int FuzzMenuStrings(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    // The strings are read after a menu file with one plain page.
    static const std::vector<uint8_t> onePage = []
    {
        MenuFileRecord file;
        file.pages.push_back(menufile::Page("ID_ONLY", 1, 0));
        return BuildMenuFile(file).Bytes();
    }();
    ScratchFile menu(fuzzworld::DataDir() + "Menu.qvx", onePage.data(), onePage.size());
    ScratchFile strings(fuzzworld::DataDir() + "Menu_c.qvx", data, size);
    try
    {
        QV7_MenuManager menus;
    }
    catch (const CDException&)
    {
        // A broken string ends the start-up with its details.
    }
    return 0;
}
