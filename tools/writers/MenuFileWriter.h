// Writer of the menu files: Menu.qvx (and its language variants Menu_%s.qvx),
// whose pages and controls come from the same field description the game's
// loader reads (gui/MenuFileLayout.h), and Menu_c.qvx, the menu strings.
// The builders below make records without repeating the defaults everywhere.
#pragma once

#include "gui/MenuFileLayout.h"

#include <string>
#include <vector>

BinaryWriter BuildMenuFile(const MenuFileRecord& file);
BinaryWriter BuildMenuStrings(const std::vector<std::string>& strings);
bool WriteMenuFile(const std::string& path, const MenuFileRecord& file);
bool WriteMenuStringsFile(const std::string& path, const std::vector<std::string>& strings);

// "Menu.qvx" for "EN", else "Menu_%s.qvx" with the language code.
std::string MenuFileNameFor(const std::string& language);

// Control records with the common header filled in; the caller adds the rest.
namespace menufile
{
MenuControlRecord Control(int32_t type, const std::string& id, int left, int top, int right, int bottom);
MenuControlRecord Button(const std::string& id, int left, int top, int right, int bottom,
                         int32_t hoverPicture, int32_t pressedPicture = 0);
MenuControlRecord Picture(const std::string& id, int left, int top, int right, int bottom, int32_t picture);
MenuControlRecord Caption(const std::string& id, int left, int top, int right, int bottom, int32_t font,
                          uint32_t colour, const std::string& text);
MenuControlRecord Check(const std::string& id, int left, int top, int right, int bottom, int32_t mark,
                        int32_t checked);
MenuControlRecord Option(const std::string& id, int left, int top, int right, int bottom, int32_t mark,
                         int32_t checked);
MenuControlRecord Progress(const std::string& id, int left, int top, int right, int bottom, int32_t picture,
                           float percent);
MenuControlRecord Slider(const std::string& id, int left, int top, int right, int bottom, int32_t knob,
                         int32_t knobWidth, int32_t knobHeight);
MenuPageRecord Page(const std::string& id, int32_t ownNumber, int32_t background, int32_t parentNumber = -1);
} // namespace menufile
