// Building blocks of the demo's menu pages, in one look: buttons with their
// picture and label, titles, labels, panels, lists, option boxes, 3D previews
// and the one-button and yes/no pop-ups.
#pragma once

#include "gui/MenuFileLayout.h"
#include "tools/demo/DemoFonts.h"

#include <string>

namespace demopages
{
constexpr uint32_t kTextColour = 0xFFFFFFFF;
constexpr uint32_t kTitleColour = 0xFFFFD060;
constexpr uint32_t kLabelColour = 0xFFB0C0FF;
constexpr uint32_t kValueColour = 0xFFFFE0A0;
constexpr uint32_t kRowColour = 0xFFE0E8FF;
constexpr uint32_t kSelectedRowColour = 0xFFFFB040;

// The button's normal picture, the button with its hover picture, and a label that never takes the click.
void AddButton(MenuPageRecord& page, const std::string& id, const std::string& label, int left, int top,
               bool small = false);
// A small garage button a page may grey: lit by a dark veil, not the orange hover.
void AddGreyableButton(MenuPageRecord& page, const std::string& id, const std::string& label, int left,
                       int top);
void AddTitle(MenuPageRecord& page, const std::string& text);
void AddLabel(MenuPageRecord& page, const std::string& text, int left, int top, int right,
              uint32_t colour = kLabelColour);
// A panel picture drawn behind lists, previews and fields.
void AddPanel(MenuPageRecord& page, int left, int top, int right, int bottom);
MenuControlRecord List(const std::string& id, int left, int top, int right, int bottom, int32_t font);
// A list that only shows a text: no row starts selected.
MenuControlRecord TextList(const std::string& id, int left, int top, int right, int bottom);
// A list on a panel.
void AddList(MenuPageRecord& page, const std::string& id, int left, int top, int right, int bottom,
             int32_t font = demo::kSmallFontId);
// An option box (or, with check, a check box) in its frame with its label.
void AddOption(MenuPageRecord& page, const std::string& id, const std::string& label, int left, int top,
               bool checked, bool check = false);
// A picture with no texture of its own (the screens give it a draw callback).
void AddPreview(MenuPageRecord& page, const std::string& id, int left, int top, int right, int bottom,
                bool panel = true);
MenuPageRecord Popup(const std::string& id, int number, int parent, const std::string& question);
MenuPageRecord YesNo(const std::string& id, int number, int parent, const std::string& question);
MenuPageRecord Message(const std::string& id, int number, int parent, const std::string& text);
} // namespace demopages
