#include "tools/demo/DemoPageParts.h"

#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoPictures.h"
#include "tools/writers/MenuFileWriter.h"

namespace demopages
{
using namespace menufile;

// Same look as the main menu's buttons: the normal picture, the button with
// its hover picture, and a label that never takes the click.
void AddButton(MenuPageRecord& page, const std::string& id, const std::string& label, int left, int top,
               bool small)
{
    const int width = small ? 128 : 256, height = small ? 32 : 64;
    page.controls.push_back(Picture(id + "_LOOK", left, top, left + width, top + height,
                                    small ? demo::kSmallButtonId : demo::kButtonId));
    page.controls.push_back(Button(id, left, top, left + width, top + height,
                                   small ? demo::kSmallButtonHoverId : demo::kButtonHoverId));
    const int textLeft = left + (small ? 12 : 20), textTop = top + (height - (small ? 18 : 22)) / 2;
    page.controls.push_back(Caption(id + "_TEXT", textLeft, textTop, textLeft, textTop,
                                    small ? demo::kSmallFontId : demo::kMenuFontId, kTextColour, label));
}

// A small garage button a page may grey: lit by a dark veil, not the orange hover.
void AddGreyableButton(MenuPageRecord& page, const std::string& id, const std::string& label, int left,
                       int top)
{
    AddButton(page, id, label, left, top, true);
    for (MenuControlRecord& control : page.controls)
        if (control.id == id)
            control.pictureIds[0] = demo::kSmallButtonDimId;
}

void AddTitle(MenuPageRecord& page, const std::string& text)
{
    page.controls.push_back(Caption("IDTITLE", 60, 40, 740, 80, demo::kTitleFontId, kTitleColour, text));
}

void AddLabel(MenuPageRecord& page, const std::string& text, int left, int top, int right, uint32_t colour)
{
    page.controls.push_back(Caption("IDLABEL", left, top, right, top + 22, demo::kMenuFontId, colour, text));
}

// A panel picture drawn behind lists, previews and fields.
void AddPanel(MenuPageRecord& page, int left, int top, int right, int bottom)
{
    page.controls.push_back(Picture("IDPANEL", left, top, right, bottom, demo::kPanelId));
    page.controls.back().flag = 1; // the whole picture, stretched over the rectangle
}

MenuControlRecord List(const std::string& id, int left, int top, int right, int bottom, int32_t font)
{
    MenuControlRecord list = Control(7, id, left, top, right, bottom);
    list.pictureIds[0] = demo::kListKnobId;
    list.fontId = font;
    list.knobWidth = 12;
    list.knobHeight = 32;
    list.colour = kRowColour;
    list.selectedColour = kSelectedRowColour;
    return list;
}

// A list that only shows a text: no row starts selected.
MenuControlRecord TextList(const std::string& id, int left, int top, int right, int bottom)
{
    MenuControlRecord list = List(id, left, top, right, bottom, demo::kSmallFontId);
    list.value = -1;
    return list;
}

void AddList(MenuPageRecord& page, const std::string& id, int left, int top, int right, int bottom,
             int32_t font)
{
    AddPanel(page, left - 10, top - 10, right + 10, bottom + 10);
    page.controls.push_back(List(id, left, top, right, bottom, font));
}

void AddOption(MenuPageRecord& page, const std::string& id, const std::string& label, int left, int top,
               bool checked, bool check)
{
    page.controls.push_back(Picture(id + "_BOX", left, top, left + 32, top + 32, demo::kCheckFrameId));
    MenuControlRecord option = (check ? Check : Option)(id, left - 10, top, left + 230, top + 32,
                                                        demo::kCheckMarkId, checked ? 1 : 0);
    option.flag = 1; // the mark 10 pixels in from the left: over the box
    page.controls.push_back(option);
    // An empty rectangle, so that the label never takes the option's click.
    page.controls.push_back(
        Caption(id + "_TEXT", left + 44, top + 5, left + 44, top + 5, demo::kMenuFontId, kTextColour, label));
}

// A 3D preview: a picture with no texture of its own (the screens give it a draw callback).
void AddPreview(MenuPageRecord& page, const std::string& id, int left, int top, int right, int bottom,
                bool panel)
{
    if (panel)
        AddPanel(page, left, top, right, bottom);
    page.controls.push_back(Picture(id, left, top, right, bottom, 0));
}

MenuPageRecord Popup(const std::string& id, int number, int parent, const std::string& question)
{
    MenuPageRecord page = Page(id, number, demo::kPanelId, parent);
    page.controls.push_back(
        Caption("IDQUESTION", 290, 230, 690, 300, demo::kMenuFontId, kTextColour, question));
    return page;
}

MenuPageRecord YesNo(const std::string& id, int number, int parent, const std::string& question)
{
    MenuPageRecord page = Popup(id, number, parent, question);
    AddButton(page, "IDYES", "Yes", 250, 340, true);
    AddButton(page, "IDNO", "No", 422, 340, true);
    return page;
}

MenuPageRecord Message(const std::string& id, int number, int parent, const std::string& text)
{
    MenuPageRecord page = Popup(id, number, parent, text);
    AddButton(page, "IDOK", "OK", 336, 340, true);
    return page;
}
} // namespace demopages
