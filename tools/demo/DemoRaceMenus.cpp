// Demo in-race pages.
#include "tools/demo/DemoRaceMenus.h"

#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoPictures.h"
#include "tools/writers/MenuFileWriter.h"

namespace
{
using namespace menufile;

constexpr uint32_t kTextColour = 0xFFFFFFFF;
constexpr uint32_t kTitleColour = 0xFFFFD060;
constexpr uint32_t kRowColour = 0xFFBBBBFF;
constexpr uint32_t kSelectedRowColour = 0xFFFFFFFF;
constexpr int kKnobSize = 20;
constexpr int kKnobWidth = 20;

// A button with its normal look, hover picture and label; the label has an
// empty rectangle so that it never takes the click.
void AddButton(MenuPageRecord& page, const std::string& id, const std::string& label, int left, int top,
               bool small)
{
    const int width = small ? 128 : 256, height = small ? 32 : 64;
    page.controls.push_back(Picture(id + "_LOOK", left, top, left + width, top + height,
                                    small ? demo::kSmallButtonId : demo::kButtonId));
    page.controls.push_back(Button(id, left, top, left + width, top + height,
                                   small ? demo::kSmallButtonHoverId : demo::kButtonHoverId, 0));
    const int textLeft = left + (small ? 14 : 20), textTop = top + (height - 22) / 2;
    page.controls.push_back(
        Caption(id + "_TEXT", textLeft, textTop, textLeft, textTop, demo::kMenuFontId, kTextColour, label));
}

// A picture stretched whole over its rectangle.
MenuControlRecord Stretched(const std::string& id, int left, int top, int right, int bottom, int32_t picture)
{
    MenuControlRecord c = Picture(id, left, top, right, bottom, picture);
    c.flag = 1;
    return c;
}

void AddPanel(MenuPageRecord& page, const std::string& id, int left, int top, int right, int bottom)
{
    page.controls.push_back(Stretched(id, left, top, right, bottom, demo::kPanelId));
}

void AddTitle(MenuPageRecord& page, const std::string& text, int left, int top)
{
    page.controls.push_back(
        Caption("IDTITLE", left, top, left + 400, top + 36, demo::kTitleFontId, kTitleColour, text));
}

// The two tabs of the options pages, after the page's panel and the page's
// own tab first: the page swaps its tab with its first control, and every
// control under the mouse takes a click, the last drawn winning it, so the
// panel must stay ahead of the other tab. The open page's tab shows its hover
// picture; the tabs have no normal look, only their labels.
void AddOptionTabs(MenuPageRecord& page, bool soundFirst, int left, int top)
{
    const struct
    {
        const char* id;
        const char* label;
        int left;
    } tabs[] = {{"IDSOUND", "Sound", left}, {"IDCONTROLS", "Controls", left + 140}};
    for (int i = 0; i < 2; ++i)
    {
        const auto& tab = tabs[soundFirst ? i : 1 - i];
        page.controls.push_back(
            Button(tab.id, tab.left, top, tab.left + 128, top + 32, demo::kSmallButtonHoverId, 0));
    }
    for (const auto& tab : tabs)
        page.controls.push_back(Caption(std::string(tab.id) + "_TEXT", tab.left + 14, top + 5, tab.left + 14,
                                        top + 5, demo::kMenuFontId, kTextColour, tab.label));
}

MenuPageRecord EscMenuPage(int number)
{
    MenuPageRecord page = Page("ID_ESC_MENU", number, 0);
    AddPanel(page, "IDESCMENU", 0, 0, 300, 370);
    AddTitle(page, "Paused", 22, 14);
    const char* const buttons[][2] = {
        {"IDRETURN", "Resume"}, {"IDRESTART", "Restart"}, {"IDOPTIONS", "Options"}, {"IDEXIT", "Leave race"}};
    int top = 62;
    for (const auto& button : buttons)
    {
        AddButton(page, button[0], button[1], 22, top, false);
        top += 74;
    }
    return page;
}

MenuControlRecord VolumeSlider(const std::string& id, int left, int top)
{
    return Slider(id, left, top, left + 420, top + kKnobSize, demo::kProgressFillId, kKnobWidth, kKnobSize);
}

MenuPageRecord SoundPage(int number)
{
    MenuPageRecord page = Page("ID_ESC_SOUND", number, 0);
    AddPanel(page, "IDHWND290055", 150, 110, 650, 490);
    AddOptionTabs(page, true, 190, 130);
    const struct
    {
        const char* label;
        const char* track;
        const char* slider;
        int top;
    } rows[] = {{"Effects volume", "IDHWND290056", "IDSLIDER1", 210},
                {"Music volume", "IDHWND290057", "IDSLIDER2", 310}};
    for (const auto& row : rows)
    {
        page.controls.push_back(Caption(std::string(row.slider) + "_TEXT", 190, row.top, 610, row.top + 24,
                                        demo::kMenuFontId, kTextColour, row.label));
        page.controls.push_back(
            Stretched(row.track, 190, row.top + 34, 610, row.top + 50, demo::kProgressFrameId));
        page.controls.push_back(VolumeSlider(row.slider, 190, row.top + 32));
    }
    AddButton(page, "IDBACK", "Back", 190, 430, true);
    return page;
}

MenuControlRecord DeviceCombo()
{
    MenuControlRecord combo = Control(6, "IDCOMBO", 200, 180, 520, 206);
    combo.pictureIds[0] = demo::kSmallButtonHoverId;
    combo.pictureIds[1] = demo::kPanelId;
    combo.pictureIds[2] = demo::kCursorTrailId;
    combo.width = 26;
    combo.height = 26;
    combo.knobWidth = combo.knobHeight = 16;
    combo.fontId = demo::kSmallFontId;
    combo.dropListHeight = 90;
    combo.colour = kRowColour;
    combo.selectedColour = kSelectedRowColour;
    return combo;
}

MenuControlRecord KeyList()
{
    MenuControlRecord list = Control(7, "IDKEYS", 70, 226, 730, 470);
    list.pictureIds[0] = demo::kCursorTrailId;
    list.knobWidth = list.knobHeight = 16;
    list.fontId = demo::kSmallFontId;
    list.colour = kRowColour;
    list.selectedColour = kSelectedRowColour;
    list.value = -1;
    return list;
}

MenuPageRecord ControlsPage(int number)
{
    MenuPageRecord page = Page("ID_ESC_CONTROLS", number, 0);
    AddPanel(page, "IDCONTROLSPANEL", 50, 110, 750, 540);
    AddOptionTabs(page, false, 70, 130);
    page.controls.push_back(
        Caption("IDDEVICE_TEXT", 70, 182, 190, 206, demo::kMenuFontId, kTextColour, "Device"));
    page.controls.push_back(Stretched("IDCOMBOFRAME", 196, 176, 524, 210, demo::kProgressFrameId));
    page.controls.push_back(KeyList());
    AddButton(page, "IDDEFAULT", "Defaults", 70, 490, true);
    AddButton(page, "IDBACK", "Back", 602, 490, true);
    // Last, so that its open list lies over the key list.
    page.controls.push_back(DeviceCombo());
    return page;
}
} // namespace

std::vector<MenuPageRecord> DemoRaceMenuPages(int firstNumber)
{
    return {EscMenuPage(firstNumber), SoundPage(firstNumber + 1), ControlsPage(firstNumber + 2)};
}
