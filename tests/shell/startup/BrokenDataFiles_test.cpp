// The real program started headless over the demo data with one data file
// damaged, one table row per kind of damage: the log lines the damage must
// leave in Logger.dat and how the run must end. A fatal damage ends the game
// by itself with the crash line and the tail of shut-down; a damage the
// loader can live with leaves a game that runs until the player closes it.
// Every run is bounded, so a game left running without a page fails its row
// instead of hanging the suite.
//
// A row for another data file needs only its file name, its damage and its
// lines: the rows below are grouped by file.
#include "tests/shell/TestLog.h"
#include "tests/shell/startup/ChildProcess.h"
#include "tools/demo/DemoData.h"
#include "tools/demo/DemoFonts.h"
#include "tools/demo/DemoMenus.h"
#include "tools/writers/MenuFileWriter.h"
#include "tools/writers/ProfilesWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

namespace
{
enum class Ending
{
    Crash, // the game ends by itself: crash line, tail of shut-down, exit code 0
    Runs,  // the game reaches its main menu and runs until the player closes it
};

using Bytes = std::vector<uint8_t>;

struct Row
{
    const char* name;
    // The damaged file, in the data folder.
    std::string file;
    // Changes the demo's bytes of the file; it may also remove the file (see Missing).
    std::function<void(Bytes&)> damage;
    // Lines expected in this order (others may lie between). "{data}" stands
    // for the data folder, "{size}" for the damaged file's length in bytes; a
    // line ending in '*' matches as a prefix.
    std::vector<std::string> lines;
    Ending ending;
    // Added to Settings.ini; prepare runs on the data folder before the damage.
    std::string settings = {};
    std::function<void(const std::string& dataDir)> prepare = {};
};

void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.name;
}

// The damage that removes the file instead of changing it.
const Bytes kMissing = {'m', 'i', 's', 's', 'i', 'n', 'g'};
void Missing(Bytes& bytes)
{
    bytes = kMissing;
}

void PutInt(Bytes& b, size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + size_t(i)) = uint8_t(uint32_t(v) >> (8 * i));
}

// Offsets in the demo's Menu.qvx, from the writer itself: the bytes before a
// page or a control are those of the file cut just before it.
size_t LastMenuPage()
{
    return DemoMenuFile().pages.size() - 1;
}
size_t PageAt(size_t page)
{
    MenuFileRecord file = DemoMenuFile();
    file.pages.resize(page);
    return BuildMenuFile(file).Bytes().size();
}
size_t ControlAt(size_t page, size_t control)
{
    MenuFileRecord file = DemoMenuFile();
    file.pages.resize(page + 1);
    file.pages[page].controls.resize(control);
    return BuildMenuFile(file).Bytes().size();
}
// The demo's first page, the loading page, and its main menu page (drawn by
// every run that reaches the menu).
const size_t kPage = 0;
const size_t kMenuPage = 1;
size_t ControlIdAt(size_t page, size_t control)
{
    return ControlAt(page, control) + 4;
}
// The first control of that type on the page.
size_t FirstOfType(size_t page, int32_t type)
{
    const MenuFileRecord file = DemoMenuFile();
    const std::vector<MenuControlRecord>& controls = file.pages[page].controls;
    const auto found = std::find_if(controls.begin(), controls.end(),
                                    [&](const MenuControlRecord& c) { return c.type == type; });
    EXPECT_NE(found, controls.end());
    return size_t(found - controls.begin());
}
// The repeated type code, after the id.
size_t SecondTypeCodeAt(size_t page, size_t control)
{
    return ControlIdAt(page, control) + 4 + DemoMenuFile().pages[page].controls[control].id.size() + 1;
}
size_t ButtonFirstTextAt(size_t page)
{
    const size_t button = FirstOfType(page, 0);
    return SecondTypeCodeAt(page, button) + 4 * 7 + 4 * 4;
}

// The demo's Menu.qvx rebuilt after a change to its record.
std::function<void(Bytes&)> Rebuilt(std::function<void(MenuFileRecord&)> change)
{
    return [change](Bytes& bytes)
    {
        MenuFileRecord file = DemoMenuFile();
        change(file);
        bytes = BuildMenuFile(file).Bytes();
    };
}

// The lines each kind of ending adds for a menu file.
std::vector<std::string> BrokenText(const std::string& file)
{
    return {"Critical Problem, File Broken, Application will crash to avoid any additional problems.",
            "ERROR DETAILS: FILE .\\QV7_Globals LINE *",
            "ERROR: Menu file {data}" + file + " is broken: a text can't be read*"};
}
std::vector<std::string> Broken(const std::string& file, const std::string& what)
{
    return {"ERROR: Menu file {data}" + file + " is broken: " + what + "*",
            "ERROR DETAILS: FILE .\\MenuFileLayout LINE *"};
}

void CopyToLanguage(const std::string& dataDir)
{
    std::filesystem::copy_file(dataDir + "Menu.qvx", dataDir + "Menu_FR.qvx");
    std::filesystem::copy_file(dataDir + "LANG.lng", dataDir + "LANGFR.lng");
}

std::vector<Row> MenuFileRows()
{
    const std::string menu = "Menu.qvx";
    auto at = [](std::function<size_t()> where, int32_t value)
    { return [where, value](Bytes& b) { PutInt(b, where(), value); }; };
    return {
        // A damaged text: the string reader's lines end the start-up.
        {"MenuPageNameOfLength0", menu, at([] { return PageAt(kPage); }, 0), BrokenText(menu), Ending::Crash},
        {"MenuPageNameOfNegativeLength", menu, at([] { return PageAt(kPage); }, -7), BrokenText(menu),
         Ending::Crash},
        {"MenuPageNameLongerThanItsBuffer", menu, at([] { return PageAt(kPage); }, 261), BrokenText(menu),
         Ending::Crash},
        {"MenuPageNamePastTheEnd", menu, at([] { return PageAt(kPage + 1); }, 1 << 30), BrokenText(menu),
         Ending::Crash},
        {"MenuPageNameWithoutItsZero", menu,
         [](Bytes& b) { b.at(PageAt(kPage) + 4 + DemoMenuFile().pages[kPage].name.size()) = 'X'; },
         BrokenText(menu), Ending::Crash},
        {"MenuControlIdLongerThanItsBuffer", menu, at([] { return ControlIdAt(kMenuPage, 0); }, 161),
         BrokenText(menu), Ending::Crash},
        {"MenuButtonTextOfLength0", menu, at([] { return ButtonFirstTextAt(kMenuPage); }, 0),
         BrokenText(menu), Ending::Crash},
        // Two pages only, so that the page count still fits the bytes left however many pages the demo has.
        {"MenuCutInsideAPageName", menu,
         [](Bytes& b)
         {
             MenuFileRecord file = DemoMenuFile();
             file.pages.resize(kMenuPage + 1);
             b = BuildMenuFile(file).Bytes();
             b.resize(PageAt(kMenuPage) + 6);
         },
         BrokenText(menu), Ending::Crash},
        // Other damage: the file is named with what is wrong, then the details.
        {"MenuEmpty", menu, [](Bytes& b) { b.clear(); }, Broken(menu, "it ends inside a record"),
         Ending::Crash},
        {"MenuCutInsideTheHeader", menu, [](Bytes& b) { b.resize(2); },
         Broken(menu, "it ends inside a record"), Ending::Crash},
        // A file cut inside a page has fewer bytes than its control count needs.
        {"MenuCutInsideAPagesControls", menu, [](Bytes& b) { b.resize(ControlIdAt(LastMenuPage(), 1) - 6); },
         Broken(menu,
                "a count of " + std::to_string(DemoMenuFile().pages[LastMenuPage()].controls.size()) + " "),
         Ending::Crash},
        {"MenuCutInsideItsLastNumber", menu,
         [](Bytes& b)
         {
             Rebuilt([](MenuFileRecord& f) { f.pages.push_back(menufile::Page("ID_LAST", 99, 0)); })(b);
             b.resize(b.size() - 2); // inside the last page's control count
         },
         Broken(menu, "it ends inside a record"), Ending::Crash},
        {"MenuHugeTextureCount", menu, at([] { return size_t(0); }, 1 << 28),
         Broken(menu, "a count of 268435456 "), Ending::Crash},
        {"MenuNegativePageCount", menu, at([] { return PageAt(0) - 4; }, -1), Broken(menu, "a count of -1 "),
         Ending::Crash},
        {"MenuHugeControlCount", menu, at([] { return ControlAt(kMenuPage, 0) - 4; }, 1000000),
         Broken(menu, "a count of 1000000 "), Ending::Crash},
        {"MenuUnknownControlType", menu, at([] { return ControlAt(kMenuPage, 0); }, 10),
         Broken(menu, "unknown control type 10"), Ending::Crash},
        {"MenuTypeCodesThatDisagree", menu,
         at([] { return SecondTypeCodeAt(kMenuPage, FirstOfType(kMenuPage, 0)); }, 1),
         Broken(menu, "control IDSINGLEPLAYER gives its type as 0 and 1"), Ending::Crash},
        // No page to show at all.
        {"MenuMissing",
         menu,
         Missing,
         {"ERROR: File {data}Menu.qvx in Data directory can't be accessed.",
          "ERROR DETAILS: FILE .\\QV7_MenuManager LINE *"},
         Ending::Crash},
        {"MenuWithoutPages",
         menu,
         Rebuilt([](MenuFileRecord& f) { f.pages.clear(); }),
         {"ERROR: Menu file {data}Menu.qvx holds no page to show.",
          "ERROR DETAILS: FILE .\\QV7_MenuManager LINE *"},
         Ending::Crash},
        // What the loader can live with costs the record, not the file.
        {"MenuControlPastAnyScreen",
         menu,
         Rebuilt([](MenuFileRecord& f) { f.pages[kPage].controls.back().left = -2147483148; }),
         {"WARNING: Menu page ID_LOADING_GAME: control IDPROGRESSBAR dropped, its place or size lies past "
          "any screen."},
         Ending::Runs},
        {"MenuProgressOutOfRange",
         menu,
         Rebuilt([](MenuFileRecord& f) { f.pages[kPage].controls.back().percent = 250.0f; }),
         {"WARNING: Menu page ID_LOADING_GAME: progress IDPROGRESSBAR at 250 percent, kept at 100."},
         Ending::Runs},
        {"MenuPopUpParentCycle",
         menu,
         Rebuilt(
             [](MenuFileRecord& f)
             {
                 // The exit question is a pop-up of the main menu; make the main menu its pop-up too.
                 const auto exit =
                     std::find_if(f.pages.begin(), f.pages.end(),
                                  [](const MenuPageRecord& p) { return p.id == "ID_MAIN_MENU_EXIT"; });
                 f.pages[kMenuPage].parentNumber = exit->ownNumber;
             }),
         {"WARNING: Menu page ID_MAIN_MENU_EXIT: its parent ID_MAIN_MENU leads back to it; shown without a "
          "parent."},
         Ending::Runs},
    };
}

std::vector<Row> LanguageMenuFileRows()
{
    const std::string settings = "[Language]\nVersion=FR\n";
    return {
        {"LanguageMenuPageNameOfLength0", "Menu_FR.qvx", [](Bytes& b) { PutInt(b, PageAt(kPage), 0); },
         BrokenText("Menu_FR.qvx"), Ending::Crash, settings, CopyToLanguage},
        {"LanguageMenuMissing",
         "Menu_FR.qvx",
         Missing,
         {"ERROR: File {data}Menu_FR.qvx in Data directory can't be accessed."},
         Ending::Crash,
         settings,
         CopyToLanguage},
        {"LanguageMenuReadsItsOwnFile",
         "Menu_FR.qvx",
         [](Bytes&) {},
         {},
         Ending::Runs,
         settings,
         CopyToLanguage},
    };
}

std::vector<Row> MenuStringsRows()
{
    const std::string strings = "Menu_c.qvx";
    return {
        {"MenuStringOfLength0", strings, [](Bytes& b) { PutInt(b, 4, 0); }, BrokenText(strings),
         Ending::Crash},
        {"MenuStringOfNegativeLength", strings, [](Bytes& b) { PutInt(b, 4, -1); }, BrokenText(strings),
         Ending::Crash},
        {"MenuStringLongerThanItsBuffer", strings, [](Bytes& b) { PutInt(b, 4, 261); }, BrokenText(strings),
         Ending::Crash},
        {"MenuStringPastTheEnd", strings, [](Bytes& b) { PutInt(b, 4, 1 << 30); }, BrokenText(strings),
         Ending::Crash},
        {"MenuStringsCutInsideAString", strings, [](Bytes& b) { b.resize(b.size() - 2); },
         BrokenText(strings), Ending::Crash},
        {"MenuStringsHugeCount", strings, [](Bytes& b) { PutInt(b, 0, 1 << 28); },
         Broken(strings, "a count of 268435456 "), Ending::Crash},
        {"MenuStringsNegativeCount", strings, [](Bytes& b) { PutInt(b, 0, -3); },
         Broken(strings, "a count of -3 "), Ending::Crash},
        {"MenuStringsEmpty", strings, [](Bytes& b) { b.clear(); }, Broken(strings, "it ends inside a record"),
         Ending::Crash},
        // The one menu file the game may do without: the credits have no lines.
        {"MenuStringsMissing",
         strings,
         Missing,
         {"ERROR: File Menu_c.qvx in Data directory can't be accessed. {data}Menu_c.qvx"},
         Ending::Runs},
    };
}

// The string reader's lines, without a file name: every data file but the
// menus' reports a broken string with these alone.
std::vector<std::string> BrokenString(const std::string& details = ".\\QV7_Globals")
{
    return {"Critical Problem, File Broken, Application will crash to avoid any additional problems.",
            "ERROR DETAILS: FILE " + details + " LINE *"};
}

int32_t GetInt(const Bytes& b, size_t at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t(b.at(at + size_t(i))) << (8 * i);
    return int32_t(v);
}

// The demo's LANG.lng: its group count, the first group's string count,
// then the strings, the first being "Respawn".
const size_t kFirstLanguageString = 8;

std::vector<Row> LanguageFileRows()
{
    const std::string lang = "LANG.lng";
    return {
        // A string that is not there is a broken string: fatal.
        {"LanguageStringOfLength0", lang, [](Bytes& b) { PutInt(b, kFirstLanguageString, 0); },
         BrokenString(), Ending::Crash},
        {"LanguageStringWithoutItsZero", lang,
         [](Bytes& b) { b.at(kFirstLanguageString + 4 + std::string("Respawn").size()) = 'X'; },
         BrokenString(), Ending::Crash},
        {"LanguageMoreStringsThanPresent", lang, [](Bytes& b) { PutInt(b, 4, GetInt(b, 4) + 1); },
         BrokenString(), Ending::Crash},
        // 500 characters and the zero: one more than an entry holds.
        {"LanguageStringTooLong",
         lang,
         [](Bytes& b) { PutInt(b, kFirstLanguageString, 501); },
         {"ERROR: String too long", "ERROR DETAILS: FILE .\\QV7_Windows LINE 275"},
         Ending::Crash},
        // A count that can't be read costs the table, not the game.
        {"LanguageEmpty",
         lang,
         [](Bytes& b) { b.clear(); },
         {"ERROR: Language file '{data}LANG.lng' is broken at offset 0"},
         Ending::Runs},
        {"LanguageGroupCountPastTheEnd",
         lang,
         [](Bytes& b) { PutInt(b, 0, GetInt(b, 0) + 1); },
         {"ERROR: Language file '{data}LANG.lng' is broken at offset *"},
         Ending::Runs},
        {"LanguageMissing", lang, Missing, {"ERROR: Can't load '{data}LANG.lng'"}, Ending::Runs},
    };
}

// SndSfx.dat: a record count, then records of a name and a file number.
std::vector<Row> SoundTableRows()
{
    const std::string table = "SndSfx.dat";
    const std::string settings = "[Sound]\nINIT_SoundEnabled=1\n";
    const std::vector<std::string> broken = {"ERROR: Sounds: Broken sound table {data}SndSfx.dat"};
    return {
        {"SoundNameOfLength0", table, [](Bytes& b) { PutInt(b, 4, 0); }, BrokenString(), Ending::Crash,
         settings},
        {"SoundNameLongerThanItsBuffer", table, [](Bytes& b) { PutInt(b, 4, 257); }, BrokenString(),
         Ending::Crash, settings},
        {"SoundMoreRecordsThanPresent", table, [](Bytes& b) { PutInt(b, 0, GetInt(b, 0) + 1); },
         BrokenString(), Ending::Crash, settings},
        {"SoundNegativeCount", table, [](Bytes& b) { PutInt(b, 0, -1); }, broken, Ending::Runs, settings},
        {"SoundCountCut", table, [](Bytes& b) { b.resize(2); }, broken, Ending::Runs, settings},
    };
}

// Fonts.qvx: a font count, then per font its id, its picture's length and
// bytes, its name, its numbers and its glyph cells.
size_t FirstFontNameAt(const Bytes& b)
{
    return 12 + size_t(GetInt(b, 8));
}
// The first glyph's first coordinate: after the name, height, flags, atlas
// size and scale.
size_t FirstGlyphAt(const Bytes& b)
{
    const size_t name = FirstFontNameAt(b);
    return name + 4 + size_t(GetInt(b, name)) + 5 * 4;
}

std::vector<Row> FontsFileRows()
{
    const std::string fonts = "Fonts.qvx";
    return {
        {"FontNameOfLength0", fonts, [](Bytes& b) { PutInt(b, FirstFontNameAt(b), 0); },
         BrokenString(".\\QV7_FontsHandler"), Ending::Crash},
        // The count reads on past the last font to a name that is not there.
        {"FontMoreThanPresent", fonts, [](Bytes& b) { PutInt(b, 0, GetInt(b, 0) + 1); },
         BrokenString(".\\QV7_FontsHandler"), Ending::Crash},
        // 80 characters and the zero.
        {"FontNameLongerThanItsBuffer", fonts, [](Bytes& b) { PutInt(b, FirstFontNameAt(b), 81); },
         BrokenString(), Ending::Crash},
        {"FontNegativeCount",
         fonts,
         [](Bytes& b) { PutInt(b, 0, -1); },
         {"Error: Fonts File {data}Fonts.qvx is broken at offset 0"},
         Ending::Runs},
        {"FontGlyphOutsideItsAtlas",
         fonts,
         [](Bytes& b)
         {
             const float outside = 2.0f;
             int32_t bits;
             std::memcpy(&bits, &outside, sizeof bits);
             PutInt(b, FirstGlyphAt(b), bits);
         },
         {"Error: Font " + std::to_string(demo::kMenuFontId) + " glyph 32 lies outside its atlas, dropped"},
         Ending::Runs},
    };
}

// Textures1.qvx: a record count, then the records. The race maps' lists are
// read when a race loads, not at start-up.
std::vector<Row> MenuTexturesRows()
{
    const std::string textures = "Textures1.qvx";
    return {
        {"MenuTexturesMoreThanPresent",
         textures,
         [](Bytes& b) { PutInt(b, 0, GetInt(b, 0) + 1); },
         {"Error: Texture File {data}Textures1.qvx is broken at offset {size}"},
         Ending::Runs},
    };
}

// Maps_srt.qvx: a map count, the map records (name first), the pointer-mesh
// flag and the pointer mesh; Aip.dat: a pilot count and the pilots.
std::vector<Row> MapsDatabaseRows()
{
    const std::string maps = "Maps_srt.qvx", pilots = "Aip.dat";
    const std::vector<std::string> cut = {
        "ERROR: Maps Database file {data}Maps_srt.qvx is broken: *",
        "Critical Problem, File Broken, Application will crash to avoid any "
        "additional problems.",
        "ERROR DETAILS: FILE .\\QV7_MapsSort LINE *"};
    return {
        // The game starts without races: the front end has nothing to list.
        {"MapsDatabaseMissing",
         maps,
         Missing,
         {"ERROR NOTE: No Maps Database file found, game can't load any map without this file. "
          "{data}Maps_srt.qvx"},
         Ending::Runs},
        {"MapsDatabaseNameOfLength0",
         maps,
         [](Bytes& b) { PutInt(b, 4, 0); },
         {"Critical Problem, File Broken, Application will crash to avoid any additional problems.",
          "ERROR DETAILS: FILE .\\QV7_Globals LINE *",
          "ERROR: Maps Database file {data}Maps_srt.qvx is broken: a text can't be read (at byte 4 of *"},
         Ending::Crash},
        {"MapsDatabaseHugeCount", maps, [](Bytes& b) { PutInt(b, 0, 1 << 28); }, cut, Ending::Crash},
        {"MapsDatabaseCutInsideItsPointerMesh",
         maps,
         [](Bytes& b) { b.resize(b.size() - 30); },
         {"Info: MapSort Mesh System: Mesh Loading Start", "ERROR DETAILS: FILE *"},
         Ending::Crash},
        {"MapsDatabaseEmpty", maps, [](Bytes& b) { b.clear(); }, cut, Ending::Crash},
        // The opponents' pages go without pilots; the races run.
        {"PilotsMissing",
         pilots,
         Missing,
         {"MAP Sorting *",
          "ERROR NOTE: No Pilots file found, the races show no pilot profiles. {data}Aip.dat"},
         Ending::Runs},
        {"PilotsMoreThanPresent",
         pilots,
         [](Bytes& b) { PutInt(b, 0, GetInt(b, 0) + 1); },
         {"ERROR: Pilots file {data}Aip.dat is broken: *"},
         Ending::Crash},
    };
}

// Profiles.dtx: the demo ships none, so each row first writes two profiles.
// A damaged file starts the game with no profiles and is kept aside.
std::vector<Row> ProfilesRows()
{
    const std::string profiles = "Profiles.dtx";
    const auto written = [](const std::string& dataDir)
    {
        ASSERT_TRUE(BuildProfilesFile({SampleProfileEntry("One", 0), SampleProfileEntry("Two", 1)})
                        .SaveToFile(dataDir + "Profiles.dtx"));
    };
    const std::string keptAside = "NOTE: The unreadable profile file is kept as {data}Profiles.dtx.broken";
    return {
        {"ProfilesCutShort",
         profiles,
         [](Bytes& b) { b.resize(b.size() - 3); },
         {"WARNING: Profile file {data}Profiles.dtx is broken at offset *", keptAside},
         Ending::Runs,
         {},
         written},
        {"ProfilesOtherVersion",
         profiles,
         [](Bytes& b) { PutInt(b, 0, 1063); },
         {"WARNING: Profile File Structure is not valid with the current data header, will consider it as "
          "empty. "
          "{data}Profiles.dtx",
          keptAside},
         Ending::Runs,
         {},
         written},
        {"ProfilesNameNotEnded",
         profiles,
         [](Bytes& b) { b.at(8 + 4 + 3) = 'x'; },
         {"WARNING: Profile file {data}Profiles.dtx is broken at offset *", keptAside},
         Ending::Runs,
         {},
         written},
    };
}

// DatA.dat: an object count, then the objects. Any damage ends the start-up;
// a missing file leaves a game without buggies.
std::vector<Row> BuggyDatabaseRows()
{
    const std::string data = "DatA.dat";
    const std::vector<std::string> refused = {
        "Critical Problem, File Broken, Application will crash to avoid any additional problems.",
        "ERROR DETAILS: FILE QV7_BuggyMeshSystem LINE *"};
    auto lines = [&](const std::string& first)
    {
        std::vector<std::string> all = {first};
        all.insert(all.end(), refused.begin(), refused.end());
        return all;
    };
    return {
        {"BuggyDatabaseHugeCount", data, [](Bytes& b) { PutInt(b, 0, 1 << 28); },
         lines("ERROR: Buggy Mesh System: DatA.dat object count 268435456 is larger than the file"),
         Ending::Crash},
        // Half the demo's file ends inside a mesh.
        {"BuggyDatabaseCutShort", data, [](Bytes& b) { b.resize(b.size() / 2); },
         lines("ERROR: Mesh System: Broken mesh object block, *"), Ending::Crash},
        {"BuggyDatabaseEmpty", data, [](Bytes& b) { b.clear(); },
         lines("ERROR: Buggy Mesh System: DatA.dat is cut short before the object count"), Ending::Crash},
        {"BuggyDatabaseMissing",
         data,
         Missing,
         {"ERROR: Buggy Mesh System: cannot open {data}DatA.dat, no buggies"},
         Ending::Runs},
    };
}

// Textures2.dbs: the buggy textures' IDs back to back; Maps_srt_ex.qvx: a
// count and the IDs taken back out. Both only choose textures: a missing
// file costs the textures, a count that does not fit ends the start-up.
std::vector<Row> BuggyTextureIdRows()
{
    const std::string ids = "Textures2.dbs", excluded = "Maps_srt_ex.qvx";
    return {
        {"BuggyTextureIdsMissing",
         ids,
         Missing,
         {"Error: Buggies Number file while accesing {data}Textures2.dbs (A)",
          "Error: Buggies Number file while accesing {data}Textures2.dbs (B)", "Info: Loading Buggy Textures",
          "Info: Buggy Textures Loaded"},
         Ending::Runs},
        {"BuggyTextureIdsCutInsideAnId",
         ids,
         [](Bytes& b) { b.resize(b.size() - 1); },
         {"Warning: Buggies Number file {data}Textures2.dbs ends inside a texture id, its last 3 bytes are "
          "ignored"},
         Ending::Runs},
        {"TextureExclusionsMissing", excluded, Missing, {"Info: Buggy Textures Loaded"}, Ending::Runs},
        {"TextureExclusionsHugeCount",
         excluded,
         [](Bytes& b) { PutInt(b, 0, 1 << 28); },
         {"ERROR: Buggy texture exclusion file {data}Maps_srt_ex.qvx is broken: a count of 268435456 for *",
          "ERROR DETAILS: FILE .\\QV7_ItemDatabase LINE *"},
         Ending::Crash},
        {"TextureExclusionsNegativeCount",
         excluded,
         [](Bytes& b) { PutInt(b, 0, -1); },
         {"ERROR: Buggy texture exclusion file {data}Maps_srt_ex.qvx is broken: a count of -1 for *"},
         Ending::Crash},
        {"TextureExclusionsEmpty",
         excluded,
         [](Bytes& b) { b.clear(); },
         {"ERROR: Buggy texture exclusion file {data}Maps_srt_ex.qvx is broken: it holds no count"},
         Ending::Crash},
    };
}

std::vector<Row> AllRows()
{
    std::vector<Row> rows;
    for (auto group : {MenuFileRows, LanguageMenuFileRows, MenuStringsRows, LanguageFileRows, SoundTableRows,
                       FontsFileRows, MenuTexturesRows, MapsDatabaseRows, ProfilesRows, BuggyDatabaseRows,
                       BuggyTextureIdRows})
        for (Row& row : group())
            rows.push_back(std::move(row));
    return rows;
}

// The movie skipped once its first second has passed; a run that reaches the
// main menu then waits a little and is closed by the end of the script. A
// crash row must end long before it, by itself.
const char* const kRunsScript = "ms 50\nwait 25\npress ESCAPE\nwait 60\n";
const char* const kCrashScript = "ms 50\nwait 25\npress ESCAPE\nwait 1000000\n";

bool Matches(const std::string& line, const std::string& expected)
{
    if (!expected.empty() && expected.back() == '*')
        return line.rfind(expected.substr(0, expected.size() - 1), 0) == 0;
    return line == expected;
}

class BrokenDataFileTest : public ::testing::TestWithParam<Row>
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteDemoData(Data()));
        std::ofstream(dir.Path() + "Settings.ini") << "[MAIN]\nDebug=1\nWindowed=1\n" << GetParam().settings;
    }

    std::string Data() const { return dir.Path() + "Data/"; }

    void Damage()
    {
        const Row& row = GetParam();
        if (row.prepare)
            row.prepare(Data());
        const std::string path = Data() + row.file;
        Bytes bytes;
        {
            std::ifstream in(path, std::ios::binary);
            ASSERT_TRUE(in) << path;
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        row.damage(bytes);
        size = bytes.size();
        if (bytes == kMissing)
            std::filesystem::remove(path);
        else
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    // The exit code, or -1 when the game had not ended after the bound.
    int Run(const char* script)
    {
        std::ofstream(dir.Path() + "script.txt") << script;
        const pid_t pid = fork();
        if (pid == 0)
        {
            setenv("QV7_BACKEND", "null", 1);
            setenv("QV7_PROGRAM_DIR", dir.Path().c_str(), 1);
            setenv("QV7_LOCK_DIR", dir.Path().c_str(), 1);
            setenv("QV7_INPUT_SCRIPT", (dir.Path() + "script.txt").c_str(), 1);
            unsetenv("QV7_QUIT_AFTER_FRAMES");
            execl(QV7_BIN_DIR "/qv7", "qv7", nullptr);
            _exit(127);
        }
        return WaitForChild(pid, 60);
    }

    TempDir dir;
    size_t size = 0;
};

TEST_P(BrokenDataFileTest, EndsAsTheDamageRequires)
{
    const Row& row = GetParam();
    Damage();
    const bool crash = row.ending == Ending::Crash;
    ASSERT_EQ(Run(crash ? kCrashScript : kRunsScript), 0) << "-1: still running after the bound";
    const std::vector<std::string> log = LogTexts(dir.Path() + "Logger.dat");
    ASSERT_GE(log.size(), 2u);

    auto at = log.begin();
    for (std::string expected : row.lines)
    {
        for (size_t p; (p = expected.find("{data}")) != std::string::npos;)
            expected.replace(p, 6, Data());
        for (size_t p; (p = expected.find("{size}")) != std::string::npos;)
            expected.replace(p, 6, std::to_string(size));
        at = std::find_if(at, log.end(), [&](const std::string& line) { return Matches(line, expected); });
        ASSERT_NE(at, log.end()) << "missing, in order: " << expected << "\n"
                                 << ::testing::PrintToString(log);
        ++at;
    }

    const auto count = [&](const std::string& text) { return std::count(log.begin(), log.end(), text); };
    const std::string crashLine = "ERROR: Game Crashed, Error Code A0";
    const std::string scriptOver = "INFO: Input script over, closing the window";
    EXPECT_EQ(log.back(), "Unloading Log/Memory Mannager...");
    if (crash)
    {
        EXPECT_EQ(log[log.size() - 2], crashLine) << ::testing::PrintToString(log);
        EXPECT_EQ(count(crashLine), 1);
        EXPECT_EQ(count(scriptOver), 0) << "the game did not end by itself";
    }
    else
    {
        EXPECT_EQ(count(crashLine), 0) << ::testing::PrintToString(log);
        EXPECT_EQ(count(scriptOver), 1) << "the game did not reach its menu loop";
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, BrokenDataFileTest, ::testing::ValuesIn(AllRows()),
                         [](const ::testing::TestParamInfo<Row>& info)
                         { return std::string(info.param.name); });
} // namespace
