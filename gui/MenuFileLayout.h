// The layout of the menu files, written once for both directions: Menu.qvx
// (and its language variants Menu_%s.qvx) and the menu strings of Menu_c.qvx.
// MenuFileFields walks every field of a file record in file order with an
// "io" object that either reads (MenuFileReadIo, bounds-checked) or writes
// (MenuFileWriteIo); the game's loader and the writer in tools/ share it, so
// the two cannot drift apart. Header only: tools/ use it without the gui library.
//
// Pictures are int32 compile IDs of the menu texture list and fonts int32 font
// ids; the records keep the numbers and, after loading, the menu manager puts
// the resolved pointers beside them before a control takes its fields.
#pragma once

#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TextureRecord;
struct FontSlot;

// One control as the file holds it. Which fields a type uses is in MenuControlFields.
struct MenuControlRecord
{
    int32_t type = -1;
    std::string id;
    int32_t left = 10, top = 10, right = 50, bottom = 50;
    int32_t reserved = -1;
    int32_t visible = 1;

    // Pictures in file order: Button hover, pressed; Picture, Check, Option,
    // Progress, Slider their one; Combo drop button, drop list, scroll knob; List scroll knob.
    int32_t pictureIds[3] = {};
    TextureRecord* pictures[3] = {};
    // Caption, Text, Combo, List.
    int32_t fontId = 0;
    FontSlot* font = nullptr;
    // Picture, mark or knob size (Button, Picture, Check, Option, Progress,
    // Slider); the drop button's size of a Combo. 4 x 4 = the picture's own.
    int32_t width = 4, height = 4;
    // Scroll-knob size of List and Combo.
    int32_t knobWidth = 4, knobHeight = 4;
    // Picture scale flag, Check/Option left-aligned flag, Progress/Slider vertical flag.
    int32_t flag = 0;
    // Check/Option checked, Slider value (ignored by the slider), List selected
    // row, Combo selected item, Text maximum length.
    int32_t value = 0;
    // Progress value, percent.
    float percent = 0.0f;
    // List and Combo scroll position (ignored: they start at 0).
    int32_t scroll = 0;
    // Combo drop-list height.
    int32_t dropListHeight = 100;
    // Caption/Text colour, List row colour, Combo item colour.
    uint32_t colour = 0;
    // List selected-row colour, Combo selected-item colour.
    uint32_t selectedColour = 0;
    // The type's own reserved word (Caption, Text, List, Combo); not interpreted.
    int32_t typeReserved = 0;
    // Button texts 1 to 3; Caption and Text keep their text in texts[0].
    std::string texts[3];
};

struct MenuPageRecord
{
    std::string name = "NO NAME";
    std::string id = "ID_NOID";
    int32_t parentNumber = -1;
    int32_t ownNumber = -1;
    int32_t backgroundId = 0;
    std::vector<MenuControlRecord> controls;
};

struct MenuFileRecord
{
    std::vector<int32_t> textureIds;
    std::vector<int32_t> fontIds;
    int32_t cursorId = 0;
    int32_t trailId = 0;
    std::vector<MenuPageRecord> pages;
};

// How many of pictureIds a type uses, and whether it names a font.
inline int MenuControlPictureCount(int32_t type)
{
    switch (type)
    {
    case 0:
        return 2;
    case 1:
    case 4:
    case 5:
    case 7:
    case 8:
    case 9:
        return 1;
    case 6:
        return 3;
    default:
        return 0;
    }
}
inline bool MenuControlHasFont(int32_t type)
{
    return type == 2 || type == 3 || type == 6 || type == 7;
}

// Longest texts the game keeps (its buffers are one byte longer).
constexpr size_t kMenuIdChars = 159;
constexpr size_t kMenuPageTextChars = 259;
constexpr size_t kMenuCaptionChars = 499;
constexpr size_t kMenuStringChars = 259;

// Reading side: every count and length is checked against the bytes left.
// A text goes through the game's string reader, so a broken one ends the load
// the way every data file's strings do (its log line, then CDException); this
// reader names the file after it. Any other damage (the file ends inside a
// number, a count its bytes can't hold, an unknown control type) is just as
// fatal: the game can't run without its menus. Either way the read ends in
// CDException after an "ERROR: Menu file ... is broken" line.
class MenuFileReadIo
{
  public:
    MenuFileReadIo(BinaryReader& reader, std::string fileName)
        : m_Reader(reader), m_FileName(std::move(fileName))
    {
    }
    static constexpr bool kReading = true;

    void Int(int32_t& v)
    {
        v = m_Reader.ReadInt32();
        CheckNotCut(__LINE__);
    }
    void UInt(uint32_t& v)
    {
        v = m_Reader.ReadUInt32();
        CheckNotCut(__LINE__);
    }
    void Float(float& v)
    {
        v = m_Reader.ReadFloat();
        CheckNotCut(__LINE__);
    }
    void Text(std::string& text, size_t maxChars)
    {
        const size_t at = m_Reader.Position();
        std::vector<char> buffer(maxChars + 1);
        try
        {
            ReadString(buffer.data(), buffer.size(), m_Reader);
        }
        catch (const CDException&)
        {
            LogBroken("a text can't be read", at);
            throw;
        }
        text.assign(buffer.data());
    }
    // A count followed by records of at least minRecordSize bytes each.
    template <typename T> void Count(std::vector<T>& list, size_t minRecordSize)
    {
        const size_t at = m_Reader.Position();
        const int32_t n = m_Reader.ReadInt32();
        CheckNotCut(__LINE__);
        if (n < 0 || size_t(n) > m_Reader.Remaining() / minRecordSize)
            Broken("a count of " + std::to_string(n) + " that its bytes can't hold", at, __LINE__);
        list.assign(size_t(n), T());
    }
    // Logs the damage and ends the read with CDException.
    [[noreturn]] void Broken(const std::string& what, size_t at, int line)
    {
        LogBroken(what, at);
        ThrowDataError(".\\MenuFileLayout", line);
    }
    size_t Position() const { return m_Reader.Position(); }

  private:
    void CheckNotCut(int line)
    {
        if (m_Reader.Failed())
            Broken("it ends inside a record", m_Reader.Position(), line);
    }
    void LogBroken(const std::string& what, size_t at)
    {
        QV7_Logger::Log(g_logger, "ERROR: Menu file %s is broken: %s (at byte %zu of %zu).",
                        m_FileName.c_str(), what.c_str(), at, m_Reader.Size());
    }

    BinaryReader& m_Reader;
    std::string m_FileName;
};

// Writing side: a string is its int32 length (characters + 1) and the
// characters with their zero, as the game's own string writer makes it.
class MenuFileWriteIo
{
  public:
    explicit MenuFileWriteIo(BinaryWriter& writer) : m_Writer(writer) {}
    static constexpr bool kReading = false;

    void Int(int32_t& v) { m_Writer.WriteInt32(v); }
    void UInt(uint32_t& v) { m_Writer.WriteUInt32(v); }
    void Float(float& v) { m_Writer.WriteFloat(v); }
    void Text(std::string& text, size_t)
    {
        m_Writer.WriteInt32(int32_t(text.size() + 1));
        m_Writer.WriteBytes(text.c_str(), text.size() + 1);
    }
    template <typename T> void Count(std::vector<T>& list, size_t)
    {
        int32_t n = int32_t(list.size());
        m_Writer.WriteInt32(n);
    }
    size_t Position() const { return m_Writer.Bytes().size(); }

  private:
    BinaryWriter& m_Writer;
};

// The type's fields after the common header, in file order.
template <typename Io> void MenuControlTypeFields(Io& io, MenuControlRecord& c)
{
    switch (c.type)
    {
    case 0: // Button
        io.Int(c.pictureIds[0]);
        io.Int(c.pictureIds[1]);
        io.Int(c.width);
        io.Int(c.height);
        for (std::string& text : c.texts)
            io.Text(text, kMenuIdChars);
        break;
    case 1: // Picture
        io.Int(c.pictureIds[0]);
        io.Int(c.width);
        io.Int(c.height);
        io.Int(c.flag);
        break;
    case 2: // Caption
        io.Int(c.fontId);
        io.UInt(c.colour);
        io.Int(c.typeReserved);
        io.Text(c.texts[0], kMenuCaptionChars);
        break;
    case 3: // Text field
        io.Text(c.texts[0], kMenuPageTextChars);
        io.UInt(c.colour);
        io.Int(c.typeReserved);
        io.Int(c.value);
        io.Int(c.fontId);
        break;
    case 4: // Check
    case 5: // Option
        io.Int(c.pictureIds[0]);
        io.Int(c.value);
        io.Int(c.flag);
        io.Int(c.width);
        io.Int(c.height);
        break;
    case 6: // Combo
        io.Int(c.fontId);
        io.Int(c.pictureIds[0]);
        io.Int(c.pictureIds[1]);
        io.Int(c.pictureIds[2]);
        io.Int(c.dropListHeight);
        io.Int(c.scroll);
        io.Int(c.width);
        io.Int(c.height);
        io.Int(c.knobWidth);
        io.Int(c.knobHeight);
        io.UInt(c.colour);
        io.UInt(c.selectedColour);
        io.Int(c.typeReserved);
        io.Int(c.value);
        break;
    case 7: // List
        io.Int(c.fontId);
        io.Int(c.pictureIds[0]);
        io.Int(c.scroll);
        io.Int(c.knobWidth);
        io.Int(c.knobHeight);
        io.UInt(c.colour);
        io.UInt(c.selectedColour);
        io.Int(c.typeReserved);
        io.Int(c.value);
        break;
    case 8: // Progress
        io.Int(c.pictureIds[0]);
        io.Int(c.width);
        io.Int(c.height);
        io.Int(c.flag);
        io.Float(c.percent);
        break;
    case 9: // Slider
        io.Int(c.pictureIds[0]);
        io.Int(c.width);
        io.Int(c.height);
        io.Int(c.flag);
        io.Int(c.value);
        break;
    default: // the reader admits only the ten types
        break;
    }
}

// Screen coordinates and sizes far past any screen only come from a damaged
// record; the controls compute their edges, spans and row counts from them
// (which overflows an int), so the loader drops such a control and keeps the
// rest of its page.
constexpr int32_t kMenuCoordinateLimit = 16384;

inline bool MenuControlGeometryPlausible(const MenuControlRecord& c)
{
    for (int32_t v :
         {c.left, c.top, c.right, c.bottom, c.width, c.height, c.knobWidth, c.knobHeight, c.dropListHeight})
        if (v < -kMenuCoordinateLimit || v > kMenuCoordinateLimit)
            return false;
    return true;
}

// A progress is a percentage: one outside 0 to 100 is brought into it (NaN to 0).
inline float MenuProgressPercent(float percent)
{
    if (!(percent >= 0.0f))
        return 0.0f;
    return percent > 100.0f ? 100.0f : percent;
}

// A control: type code, then the common header (with the code again), then the type's fields.
template <typename Io> void MenuControlFields(Io& io, MenuControlRecord& c)
{
    const size_t at = io.Position();
    io.Int(c.type);
    if constexpr (Io::kReading)
        if (c.type < 0 || c.type > 9)
            io.Broken("unknown control type " + std::to_string(c.type), at, __LINE__);
    io.Text(c.id, kMenuIdChars);
    int32_t again = c.type;
    io.Int(again);
    if constexpr (Io::kReading)
        if (again != c.type)
            io.Broken("control " + c.id + " gives its type as " + std::to_string(c.type) + " and " +
                          std::to_string(again),
                      at, __LINE__);
    io.Int(c.left);
    io.Int(c.top);
    io.Int(c.right);
    io.Int(c.bottom);
    io.Int(c.reserved);
    io.Int(c.visible);
    MenuControlTypeFields(io, c);
}

// Smallest sizes of the records, for counts checked against the bytes left.
constexpr size_t kMinControlBytes = 4 + 5 + 4 * 7;
constexpr size_t kMinPageBytes = 5 + 5 + 4 * 4;

template <typename Io> void MenuPageFields(Io& io, MenuPageRecord& p)
{
    io.Text(p.name, kMenuPageTextChars);
    io.Text(p.id, kMenuPageTextChars);
    io.Int(p.parentNumber);
    io.Int(p.ownNumber);
    io.Int(p.backgroundId);
    io.Count(p.controls, kMinControlBytes);
    for (MenuControlRecord& c : p.controls)
        MenuControlFields(io, c);
}

template <typename Io> void MenuFileFields(Io& io, MenuFileRecord& f)
{
    io.Count(f.textureIds, 4);
    for (int32_t& id : f.textureIds)
        io.Int(id);
    io.Count(f.fontIds, 4);
    for (int32_t& id : f.fontIds)
        io.Int(id);
    io.Int(f.cursorId);
    io.Int(f.trailId);
    io.Count(f.pages, kMinPageBytes);
    for (MenuPageRecord& p : f.pages)
        MenuPageFields(io, p);
}

// Menu_c.qvx: a count, then the strings in order.
template <typename Io> void MenuStringsFields(Io& io, std::vector<std::string>& strings)
{
    io.Count(strings, 5);
    for (std::string& s : strings)
        io.Text(s, kMenuStringChars);
}

// Whole-file readers: a broken file (see MenuFileReadIo) is logged under
// fileName and throws CDException. Bytes after the last record are not looked
// at, as the game never reads them.
inline void ReadMenuFile(BinaryReader& reader, MenuFileRecord& file, const std::string& fileName)
{
    MenuFileReadIo io(reader, fileName);
    MenuFileFields(io, file);
}

inline void WriteMenuFile(BinaryWriter& writer, MenuFileRecord& file)
{
    MenuFileWriteIo io(writer);
    MenuFileFields(io, file);
}

inline void ReadMenuStrings(BinaryReader& reader, std::vector<std::string>& strings,
                            const std::string& fileName)
{
    MenuFileReadIo io(reader, fileName);
    MenuStringsFields(io, strings);
}

inline void WriteMenuStrings(BinaryWriter& writer, std::vector<std::string>& strings)
{
    MenuFileWriteIo io(writer);
    MenuStringsFields(io, strings);
}
