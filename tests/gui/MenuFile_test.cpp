// The menu files: Menu.qvx and Menu_c.qvx written by our writer and read back
// through the game's field description, and a table of broken files, each of
// which must end the read cleanly with its log lines.
#include "shell/QV7_Globals.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/MenuFileWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace
{
// One control of every type with values that differ from the defaults.
MenuFileRecord EveryControlType()
{
    using namespace menufile;
    MenuFileRecord file;
    file.textureIds = {11, 12, 13};
    file.fontIds = {7, 8};
    file.cursorId = 11;
    file.trailId = 12;
    MenuPageRecord page = Page("ID_ALL", 3, 13);
    MenuControlRecord button = Button("IDOK", 1, 2, 3, 4, 11, 12);
    button.texts[0] = "one";
    button.texts[1] = "two";
    button.texts[2] = std::string(159, 'x');
    button.width = 64;
    button.reserved = 77;
    button.visible = 0;
    page.controls.push_back(button);
    MenuControlRecord picture = Picture("IDPIC", 5, 6, 7, 8, 13);
    picture.flag = 1;
    picture.width = 10;
    picture.height = 20;
    page.controls.push_back(picture);
    page.controls.push_back(Caption("IDCAP", 0, 0, 100, 20, 7, 0xFF123456, std::string(499, 'c')));
    MenuControlRecord text = menufile::Control(3, "IDTEXT", 0, 30, 100, 50);
    text.texts[0] = "typed";
    text.colour = 0xFFABCDEF;
    text.typeReserved = 5;
    text.value = 40;
    text.fontId = 8;
    page.controls.push_back(text);
    page.controls.push_back(Check("IDCHECK", 0, 60, 20, 80, 11, 1));
    page.controls.push_back(Option("IDOPT", 30, 60, 50, 80, 12, 0));
    MenuControlRecord combo = menufile::Control(6, "IDCOMBO", 0, 90, 200, 110);
    combo.fontId = 7;
    combo.pictureIds[0] = 11;
    combo.pictureIds[1] = 12;
    combo.pictureIds[2] = 13;
    combo.dropListHeight = 150;
    combo.scroll = 9;
    combo.width = 16;
    combo.height = 17;
    combo.knobWidth = 18;
    combo.knobHeight = 19;
    combo.colour = 1;
    combo.selectedColour = 2;
    combo.typeReserved = 3;
    combo.value = 4;
    page.controls.push_back(combo);
    MenuControlRecord list = menufile::Control(7, "IDLIST", 0, 120, 200, 300);
    list.fontId = 8;
    list.pictureIds[0] = 13;
    list.scroll = 6;
    list.knobWidth = 12;
    list.knobHeight = 14;
    list.colour = 5;
    list.selectedColour = 6;
    list.value = -1;
    page.controls.push_back(list);
    MenuControlRecord progress = Progress("IDPROGRESSBAR", 0, 310, 200, 330, 12, 42.5f);
    progress.flag = 1;
    page.controls.push_back(progress);
    MenuControlRecord slider = Slider("IDSLIDER1", 0, 340, 200, 360, 13, 20, 20);
    slider.value = 99;
    page.controls.push_back(slider);
    file.pages.push_back(page);
    file.pages.push_back(Page("ID_POPUP", 4, 0, 3));
    return file;
}

bool ReadBack(const std::vector<uint8_t>& bytes, MenuFileRecord& out)
{
    BinaryReader reader(bytes);
    ReadMenuFile(reader, out, "Menu.qvx");
    return true;
}
} // namespace

TEST(MenuFile, EveryControlTypeRoundTrips)
{
    const MenuFileRecord written = EveryControlType();
    const std::vector<uint8_t> bytes = BuildMenuFile(written).Bytes();
    MenuFileRecord read;
    ASSERT_TRUE(ReadBack(bytes, read));
    // Written again, the record read gives the same bytes: every field came back.
    EXPECT_EQ(BuildMenuFile(read).Bytes(), bytes);

    ASSERT_EQ(read.pages.size(), 2u);
    EXPECT_EQ(read.textureIds, (std::vector<int32_t>{11, 12, 13}));
    EXPECT_EQ(read.fontIds, (std::vector<int32_t>{7, 8}));
    EXPECT_EQ(read.pages[1].parentNumber, 3);
    const std::vector<MenuControlRecord>& c = read.pages[0].controls;
    ASSERT_EQ(c.size(), 10u);
    for (int type = 0; type < 10; ++type)
        EXPECT_EQ(c[type].type, type);
    EXPECT_EQ(c[0].texts[2], std::string(159, 'x'));
    EXPECT_EQ(c[0].reserved, 77);
    EXPECT_EQ(c[0].visible, 0);
    EXPECT_EQ(c[2].texts[0].size(), 499u);
    EXPECT_EQ(c[3].value, 40);
    EXPECT_EQ(c[6].dropListHeight, 150);
    EXPECT_EQ(c[6].value, 4);
    EXPECT_FLOAT_EQ(c[8].percent, 42.5f);
    EXPECT_EQ(c[9].value, 99);
}

TEST(MenuFile, StringsRoundTripAndLanguageNames)
{
    const std::vector<std::string> strings = {"first", std::string(259, 's'), "third"};
    BinaryReader reader(BuildMenuStrings(strings).Bytes());
    std::vector<std::string> read;
    ReadMenuStrings(reader, read, "Menu_c.qvx");
    EXPECT_EQ(read, strings);
    EXPECT_EQ(MenuFileNameFor("EN"), "Menu.qvx");
    EXPECT_EQ(MenuFileNameFor("FR"), "Menu_FR.qvx");
}

// Each case breaks a good file in one way; every one ends the read with
// CDException after a line naming the file and the byte, never a crash. A
// broken text goes through the string reader first, with its own lines.
TEST(MenuFile, BrokenFilesEndTheReadWithTheirLines)
{
    struct Case
    {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> breakIt;
        bool brokenText;    // the string reader's lines come first
        const char* reason; // the start of what the broken-file line says
    };
    const std::vector<uint8_t> good = BuildMenuFile(EveryControlType()).Bytes();
    auto putInt = [](std::vector<uint8_t>& b, size_t at, int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    };
    // Offsets in the good file: T at 0, ids, F, ids, cursor, trail, P.
    const size_t fontCountAt = 4 + 3 * 4;
    const size_t pageCountAt = fontCountAt + 4 + 2 * 4 + 8;
    const size_t firstPageAt = pageCountAt + 4;
    const size_t controlsCountAt = firstPageAt + (4 + 7) + (4 + 7) + 12;
    const size_t firstControlAt = controlsCountAt + 4;
    const size_t firstControlIdAt = firstControlAt + 4;
    // The last page is ID_POPUP without controls: its name "NO NAME", its id, then four ints.
    const size_t lastPageAt = good.size() - (4 + 8) - (4 + 9) - 16;
    const std::vector<Case> cases = {
        {"empty", [](auto& b) { b.clear(); }, false, "it ends inside a record"},
        {"cut in the texture count", [](auto& b) { b.resize(2); }, false, "it ends inside a record"},
        {"cut in the texture ids", [](auto& b) { b.resize(6); }, false, "a count of 3 "},
        {"cut in the last page's name", [&](auto& b) { b.resize(lastPageAt + 7); }, true,
         "a text can't be read"},
        {"cut in the last page's numbers", [](auto& b) { b.resize(b.size() - 2); }, false,
         "it ends inside a record"},
        {"texture count past the end", [&](auto& b) { putInt(b, 0, 1 << 28); }, false,
         "a count of 268435456 "},
        {"negative texture count", [&](auto& b) { putInt(b, 0, -1); }, false, "a count of -1 "},
        {"font count past the end", [&](auto& b) { putInt(b, fontCountAt, 100000); }, false,
         "a count of 100000 "},
        {"page count past the end", [&](auto& b) { putInt(b, pageCountAt, 1000000); }, false,
         "a count of 1000000 "},
        {"control count past the end", [&](auto& b) { putInt(b, controlsCountAt, 50000); }, false,
         "a count of 50000 "},
        {"page name length past the end", [&](auto& b) { putInt(b, firstPageAt, 1 << 30); }, true,
         "a text can't be read"},
        {"page name longer than its buffer", [&](auto& b) { putInt(b, firstPageAt, 261); }, true,
         "a text can't be read"},
        {"page name of length 0", [&](auto& b) { putInt(b, firstPageAt, 0); }, true, "a text can't be read"},
        {"page name of negative length", [&](auto& b) { putInt(b, firstPageAt, -5); }, true,
         "a text can't be read"},
        {"page name without its zero", [&](auto& b) { b[firstPageAt + 4 + 6] = 'X'; }, true,
         "a text can't be read"},
        {"control id longer than its buffer", [&](auto& b) { putInt(b, firstControlIdAt, 161); }, true,
         "a text can't be read"},
        {"unknown type code", [&](auto& b) { putInt(b, firstControlAt, 10); }, false,
         "unknown control type 10"},
        {"negative type code", [&](auto& b) { putInt(b, firstControlAt, -3); }, false,
         "unknown control type -3"},
        {"type codes that disagree", [&](auto& b) { putInt(b, firstControlAt + 4 + 4 + 5, 1); }, false,
         "control IDOK gives its type as 0 and 1"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ScopedTestLogger log;
        std::vector<uint8_t> bytes = good;
        c.breakIt(bytes);
        MenuFileRecord read;
        EXPECT_THROW(ReadBack(bytes, read), CDException);
        const std::vector<std::string> lines = log.Lines();
        ASSERT_FALSE(lines.empty());
        const std::string prefix = std::string("ERROR: Menu file Menu.qvx is broken: ") + c.reason;
        const auto broken = std::find_if(lines.begin(), lines.end(),
                                         [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
        ASSERT_NE(broken, lines.end()) << ::testing::PrintToString(lines);
        EXPECT_NE(broken->find(" of " + std::to_string(bytes.size()) + ")."), std::string::npos) << *broken;
        if (c.brokenText)
        {
            ASSERT_GE(lines.size(), 3u);
            EXPECT_EQ(
                lines[0],
                "Critical Problem, File Broken, Application will crash to avoid any additional problems.");
            EXPECT_EQ(lines[1].rfind("ERROR DETAILS: FILE .\\QV7_Globals LINE ", 0), 0u) << lines[1];
            EXPECT_EQ(lines[2], *broken);
        }
        else
        {
            ASSERT_EQ(lines.size(), 2u) << ::testing::PrintToString(lines);
            EXPECT_EQ(lines[1].rfind("ERROR DETAILS: FILE .\\MenuFileLayout LINE ", 0), 0u) << lines[1];
        }
    }
}
