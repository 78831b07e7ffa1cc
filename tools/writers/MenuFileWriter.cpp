// Menu file writing through the shared field description.
#include "tools/writers/MenuFileWriter.h"

BinaryWriter BuildMenuFile(const MenuFileRecord& file)
{
    BinaryWriter writer;
    // The field walk takes its record by reference for both directions; writing leaves it unchanged.
    MenuFileRecord copy = file;
    WriteMenuFile(writer, copy);
    return writer;
}

BinaryWriter BuildMenuStrings(const std::vector<std::string>& strings)
{
    BinaryWriter writer;
    std::vector<std::string> copy = strings;
    WriteMenuStrings(writer, copy);
    return writer;
}

bool WriteMenuFile(const std::string& path, const MenuFileRecord& file)
{
    return BuildMenuFile(file).SaveToFile(path);
}

bool WriteMenuStringsFile(const std::string& path, const std::vector<std::string>& strings)
{
    return BuildMenuStrings(strings).SaveToFile(path);
}

std::string MenuFileNameFor(const std::string& language)
{
    return language == "EN" ? "Menu.qvx" : "Menu_" + language + ".qvx";
}

namespace menufile
{
MenuControlRecord Control(int32_t type, const std::string& id, int left, int top, int right, int bottom)
{
    MenuControlRecord c;
    c.type = type;
    c.id = id;
    c.left = left;
    c.top = top;
    c.right = right;
    c.bottom = bottom;
    return c;
}

MenuControlRecord Button(const std::string& id, int left, int top, int right, int bottom,
                         int32_t hoverPicture, int32_t pressedPicture)
{
    MenuControlRecord c = Control(0, id, left, top, right, bottom);
    c.pictureIds[0] = hoverPicture;
    c.pictureIds[1] = pressedPicture;
    c.texts[0] = c.texts[1] = c.texts[2] = "None";
    return c;
}

MenuControlRecord Picture(const std::string& id, int left, int top, int right, int bottom, int32_t picture)
{
    MenuControlRecord c = Control(1, id, left, top, right, bottom);
    c.pictureIds[0] = picture;
    return c;
}

MenuControlRecord Caption(const std::string& id, int left, int top, int right, int bottom, int32_t font,
                          uint32_t colour, const std::string& text)
{
    MenuControlRecord c = Control(2, id, left, top, right, bottom);
    c.fontId = font;
    c.colour = colour;
    c.texts[0] = text;
    return c;
}

MenuControlRecord Check(const std::string& id, int left, int top, int right, int bottom, int32_t mark,
                        int32_t checked)
{
    MenuControlRecord c = Control(4, id, left, top, right, bottom);
    c.pictureIds[0] = mark;
    c.value = checked;
    return c;
}

MenuControlRecord Option(const std::string& id, int left, int top, int right, int bottom, int32_t mark,
                         int32_t checked)
{
    MenuControlRecord c = Check(id, left, top, right, bottom, mark, checked);
    c.type = 5;
    return c;
}

MenuControlRecord Progress(const std::string& id, int left, int top, int right, int bottom, int32_t picture,
                           float percent)
{
    MenuControlRecord c = Control(8, id, left, top, right, bottom);
    c.pictureIds[0] = picture;
    c.percent = percent;
    return c;
}

MenuControlRecord Slider(const std::string& id, int left, int top, int right, int bottom, int32_t knob,
                         int32_t knobWidth, int32_t knobHeight)
{
    MenuControlRecord c = Control(9, id, left, top, right, bottom);
    c.pictureIds[0] = knob;
    c.width = knobWidth;
    c.height = knobHeight;
    return c;
}

MenuPageRecord Page(const std::string& id, int32_t ownNumber, int32_t background, int32_t parentNumber)
{
    MenuPageRecord p;
    p.name = id;
    p.id = id;
    p.ownNumber = ownNumber;
    p.parentNumber = parentNumber;
    p.backgroundId = background;
    return p;
}
} // namespace menufile
