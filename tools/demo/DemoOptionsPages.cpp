#include "tools/demo/DemoOptionsPages.h"

#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoPageParts.h"
#include "tools/demo/DemoPictures.h"
#include "tools/writers/MenuFileWriter.h"

namespace
{
using namespace menufile;
using namespace demopages;

enum PageNumber
{
    kGraphics = 90,
    kCustom,
    kSound,
    kControllers,
};

MenuPageRecord OptionsPage(const std::string& id, int number, const std::string& title)
{
    MenuPageRecord page = Page(id, number, demo::kPageBackdropId);
    AddTitle(page, "Options - " + title);
    const char* const tabs[][2] = {{"IDGRAPHICS", "Graphics"},
                                   {"IDCUSTOM", "Custom"},
                                   {"IDSOUNDMUSIC", "Sound"},
                                   {"IDCONTROLLERS", "Controls"}};
    int left = 40;
    for (const auto& tab : tabs)
    {
        AddButton(page, tab[0], tab[1], left, 104, true);
        left += 144;
    }
    AddButton(page, "IDBACKTOMAINMENU", "Main menu", 60, 510);
    return page;
}

MenuControlRecord Combo(const std::string& id, int left, int top, int right, int bottom, int dropHeight)
{
    MenuControlRecord combo = Control(6, id, left, top, right, bottom);
    combo.pictureIds[0] = demo::kDropArrowId;
    combo.pictureIds[1] = demo::kPanelId;
    combo.pictureIds[2] = demo::kListKnobId;
    combo.fontId = demo::kMenuFontId;
    combo.width = bottom - top;
    combo.height = bottom - top;
    combo.knobWidth = 12;
    combo.knobHeight = 32;
    combo.dropListHeight = dropHeight;
    combo.colour = kRowColour;
    combo.selectedColour = kSelectedRowColour;
    return combo;
}

void AddCombo(MenuPageRecord& page, const std::string& id, int left, int top, int right, int dropHeight)
{
    AddPanel(page, left, top, right, top + 32);
    page.controls.push_back(Combo(id, left + 6, top + 2, right, top + 30, dropHeight));
}

void AddSlider(MenuPageRecord& page, const std::string& id, int left, int top, int right)
{
    page.controls.push_back(Picture(id + "_TRACK", left, top + 8, right, top + 24, demo::kSliderTrackId));
    page.controls.back().flag = 1;
    page.controls.push_back(Slider(id, left, top, right, top + 32, demo::kListKnobId, 12, 32));
}

MenuPageRecord GraphicsPage()
{
    MenuPageRecord page = OptionsPage("ID_OPTIONS_GRAPHICS", kGraphics, "Graphics");
    const char* const presets[] = {"Low",   "Medium", "High", "Very high", "Best, with anti-aliasing",
                                   "Custom"};
    int top = 214;
    for (int i = 0; i < 6; ++i, top += 40)
        AddOption(page, "IDOPTIONBOX" + std::to_string(i + 1), presets[i], 80, top, i == 1);
    AddLabel(page, "Screen size", 440, 180, 700);
    // Last, so that its open list covers what lies below it.
    AddCombo(page, "IDCOMBOBOX", 440, 210, 720, 220);
    return page;
}

MenuPageRecord CustomPage()
{
    MenuPageRecord page = OptionsPage("ID_OPTIONS_GRAPHICS_CUSTOM", kCustom, "Custom");
    const char* const left[] = {"Fading objects", "Fading billboards", "Tree billboards", "Shadows",
                                "Detailed animation"};
    const char* const right[] = {"Detailed textures", "Reflective water", "Water ripples", "Shorelines"};
    for (int i = 0; i < 5; ++i)
        AddOption(page, "IDCHECK" + std::to_string(i + 1) + "L", left[i], 80, 170 + 38 * i, false, true);
    for (int i = 0; i < 4; ++i)
        AddOption(page, "IDCHECK" + std::to_string(i + 1) + "R", right[i], 440, 170 + 38 * i, false, true);
    AddLabel(page, "Anti-aliasing", 80, 380, 300);
    AddSlider(page, "IDSLI1", 300, 376, 620);
    page.controls.push_back(
        Caption("IDSLITEXT1", 640, 380, 740, 402, demo::kMenuFontId, kValueColour, "Off"));
    AddLabel(page, "Texture filtering", 80, 430, 300);
    AddSlider(page, "IDSLI2", 300, 426, 620);
    page.controls.push_back(
        Caption("IDSLITEXT2", 640, 430, 740, 452, demo::kMenuFontId, kValueColour, "Off"));
    return page;
}

MenuPageRecord SoundPage()
{
    MenuPageRecord page = OptionsPage("ID_OPTIONS_SOUND_MUSIC", kSound, "Sound");
    AddLabel(page, "Sound effects", 100, 234, 300);
    AddSlider(page, "IDHWND5466", 300, 230, 700);
    AddLabel(page, "Music", 100, 304, 300);
    AddSlider(page, "IDHWND5467", 300, 300, 700);
    return page;
}

MenuPageRecord ControllersPage()
{
    MenuPageRecord page = OptionsPage("ID_OPTIONS_CONTROLLERS", kControllers, "Controls");
    page.controls.push_back(
        Caption("IDHINT", 40, 470, 760, 490, demo::kSmallFontId, kLabelColour,
                "Click a key to change it, then press the new key (Escape keeps the old one)."));
    AddList(page, "IDCONTROLS", 40, 210, 760, 460);
    AddButton(page, "IDDEFAULT", "Defaults", 632, 162, true);
    AddLabel(page, "Controller", 40, 166, 180);
    AddCombo(page, "IDCOMBOBOX", 180, 160, 560, 160);
    return page;
}
} // namespace

std::vector<MenuPageRecord> DemoOptionsPages()
{
    return {GraphicsPage(), CustomPage(), SoundPage(), ControllersPage()};
}
