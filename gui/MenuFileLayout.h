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

// Reading side: every count and length is checked against the bytes left, and
// a text longer than its buffer or without its terminating zero fails the read.
class MenuFileReadIo
{
  public:
    explicit MenuFileReadIo(BinaryReader& reader) : m_Reader(reader) {}
    static constexpr bool kReading = true;

    void Int(int32_t& v) { v = m_Reader.ReadInt32(); }
    void UInt(uint32_t& v) { v = m_Reader.ReadUInt32(); }
    void Float(float& v) { v = m_Reader.ReadFloat(); }
    void Text(std::string& text, size_t maxChars)
    {
        const int32_t length = m_Reader.ReadInt32();
        if (m_Reader.Failed() || length <= 0 || size_t(length) > maxChars + 1 ||
            size_t(length) > m_Reader.Remaining())
        {
            m_Reader.Fail();
            text.clear();
            return;
        }
        std::vector<char> bytes(static_cast<size_t>(length));
        m_Reader.ReadBytes(bytes.data(), bytes.size());
        if (bytes.back() != '\0')
        {
            m_Reader.Fail();
            text.clear();
            return;
        }
        text.assign(bytes.data());
    }
    // A count followed by records of at least minRecordSize bytes each.
    template <typename T> void Count(std::vector<T>& list, size_t minRecordSize)
    {
        const int32_t n = m_Reader.ReadCount(minRecordSize);
        list.assign(m_Reader.Failed() ? 0 : size_t(n), T());
    }
    bool Failed() const { return m_Reader.Failed(); }
    void Fail() { m_Reader.Fail(); }

  private:
    BinaryReader& m_Reader;
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
    bool Failed() const { return false; }
    void Fail() {}

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
    default: // the file must hold only the ten types
        io.Fail();
        break;
    }
}

// Screen coordinates and sizes far past any screen, or a progress outside
// 0 to 100 percent, only come from a damaged file: refused when read, so the
// controls never compute their edges, spans and row counts from them (which
// overflows an int).
constexpr int32_t kMenuCoordinateLimit = 16384;

inline bool MenuControlNumbersPlausible(const MenuControlRecord& c)
{
    for (int32_t v :
         {c.left, c.top, c.right, c.bottom, c.width, c.height, c.knobWidth, c.knobHeight, c.dropListHeight})
        if (v < -kMenuCoordinateLimit || v > kMenuCoordinateLimit)
            return false;
    return c.percent >= 0.0f && c.percent <= 100.0f; // false for NaN too
}

// A control: type code, then the common header (with the code again), then the type's fields.
template <typename Io> void MenuControlFields(Io& io, MenuControlRecord& c)
{
    io.Int(c.type);
    if (c.type < 0 || c.type > 9)
    {
        io.Fail();
        return;
    }
    io.Text(c.id, kMenuIdChars);
    int32_t again = c.type;
    io.Int(again);
    if (again != c.type)
        io.Fail();
    io.Int(c.left);
    io.Int(c.top);
    io.Int(c.right);
    io.Int(c.bottom);
    io.Int(c.reserved);
    io.Int(c.visible);
    if (!io.Failed())
        MenuControlTypeFields(io, c);
    if constexpr (Io::kReading)
        if (!io.Failed() && !MenuControlNumbersPlausible(c))
            io.Fail();
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
    {
        if (io.Failed())
            return;
        MenuControlFields(io, c);
    }
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
    {
        if (io.Failed())
            return;
        MenuPageFields(io, p);
    }
}

// Menu_c.qvx: a count, then the strings in order.
template <typename Io> void MenuStringsFields(Io& io, std::vector<std::string>& strings)
{
    io.Count(strings, 5);
    for (std::string& s : strings)
    {
        if (io.Failed())
            return;
        io.Text(s, kMenuStringChars);
    }
}

// Whole-file helpers: false when the bytes are broken (short, a count or
// length past the end, a text too long, an unknown type code, a control's
// numbers past any screen). Bytes after the last record are not looked at, as
// the game never reads them.
inline bool ReadMenuFile(BinaryReader& reader, MenuFileRecord& file)
{
    MenuFileReadIo io(reader);
    MenuFileFields(io, file);
    return !reader.Failed();
}

inline void WriteMenuFile(BinaryWriter& writer, MenuFileRecord& file)
{
    MenuFileWriteIo io(writer);
    MenuFileFields(io, file);
}

inline bool ReadMenuStrings(BinaryReader& reader, std::vector<std::string>& strings)
{
    MenuFileReadIo io(reader);
    MenuStringsFields(io, strings);
    return !reader.Failed();
}

inline void WriteMenuStrings(BinaryWriter& writer, std::vector<std::string>& strings)
{
    MenuFileWriteIo io(writer);
    MenuStringsFields(io, strings);
}
