// The maps database read from files our writer makes: the sorting into the
// race lists (signed sort numbers, class 0 in three lists), pictures and their
// keep flag, the pilots, a missing file of either kind, and every kind of
// damage: each must end in its log lines and CDException, never a crash.
#include "world/QV7_MapsSort.h"

#include "engine/QV7_TextureList.h"
#include "shell/QV7_Globals.h"
#include "tests/shell/TestLog.h"
#include "tools/writers/MapsDatabaseWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>

namespace
{
using Bytes = std::vector<uint8_t>;

std::vector<std::string>& Log()
{
    static std::vector<std::string> lines;
    return lines;
}
void Capture(const char* text)
{
    Log().emplace_back(text);
}

// Maps of every class, out of order, with extreme and equal sort numbers.
MapsDatabaseFileRecord SampleMaps()
{
    MapsDatabaseFileRecord file;
    file.maps = {
        MakeMapRecord("Canyon", 0, 30, 3, {"A long canyon.", "Un long canyon."}, {4003, 4103, 4203, 4300}),
        MakeMapRecord("Lagoon Lesson", 1, -5, 2, {}, {4002}),
        MakeMapRecord("Hill Island", 0, -2147483647 - 1, 1, {"Hills and a beach."}, {4001, 4101, 4201, 4300}),
        MakeMapRecord("Time Trial", 2, 7, 1),
        MakeMapRecord("Quick Race", 3, INT_MAX, 2),
        MakeMapRecord("Arena", 4, 0, 3),
        MakeMapRecord("Network", 5, 1, 1),
        MakeMapRecord("Nowhere", 6, 2, 9),
        MakeMapRecord("First Steps", 1, -40, 1, {"Learn to drive."}),
    };
    return file;
}

std::vector<PilotRecord> SamplePilots()
{
    return {MakePilotRecord(4500, "Rex", {"Fast.", "Schnell."}), MakePilotRecord(99, "Mona"),
            MakePilotRecord(4501, "Ivo", {"Careful."})};
}

std::vector<std::string> Names(const QV7_MapsSort& maps, int list)
{
    std::vector<std::string> names;
    for (int i = 0; i < maps.ListCount(list); ++i)
        names.push_back(maps.ListEntry(list, i)->name);
    return names;
}

class MapsSortTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Log().clear();
        QV7_Logger::SetConsoleEcho(&Capture);
        WriteMaps(BuildMapsDatabase(SampleMaps()).Bytes());
        WritePilots(BuildPilotsFile(SamplePilots()).Bytes());
    }
    void TearDown() override
    {
        QV7_Logger::SetConsoleEcho(nullptr);
        g_itemTextures = nullptr;
    }

    void WriteMaps(const Bytes& bytes) { Save("Maps_srt.qvx", bytes); }
    void WritePilots(const Bytes& bytes) { Save("Aip.dat", bytes); }
    void Save(const std::string& name, const Bytes& bytes)
    {
        std::ofstream(dir.Path() + name, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::string MapsPath() const { return dir.Path() + "Maps_srt.qvx"; }
    std::string PilotsPath() const { return dir.Path() + "Aip.dat"; }

    // Loading must fail with CDException, leave no database behind and log
    // these lines in this order (a line ending in '*' matches as a prefix).
    void ExpectRefused(const std::vector<std::string>& lines, const std::string& what)
    {
        Log().clear();
        EXPECT_THROW(QV7_MapsSort maps(dir.Path()), CDException) << what;
        EXPECT_EQ(g_mapsSort, nullptr) << what;
        auto at = Log().begin();
        for (const std::string& expected : lines)
        {
            const bool prefix = !expected.empty() && expected.back() == '*';
            const std::string text = prefix ? expected.substr(0, expected.size() - 1) : expected;
            at = std::find_if(at, Log().end(),
                              [&](const std::string& line)
                              { return prefix ? line.rfind(text, 0) == 0 : line == text; });
            ASSERT_NE(at, Log().end()) << what << ": missing, in order: " << expected << "\n"
                                       << ::testing::PrintToString(Log());
            ++at;
        }
    }

    TempDir dir;
};

TEST_F(MapsSortTest, SortsBySignedNumberIntoTheListsOfEachClass)
{
    {
        QV7_MapsSort maps(dir.Path());
        EXPECT_EQ(g_mapsSort, &maps);
        ASSERT_EQ(maps.MapCount(), 9);
        std::vector<int32_t> order;
        for (int i = 0; i < maps.MapCount(); ++i)
            order.push_back(maps.Map(i)->sortNumber);
        EXPECT_EQ(order, (std::vector<int32_t>{INT_MIN, -40, -5, 0, 1, 2, 7, 30, INT_MAX}));

        EXPECT_EQ(Names(maps, QV7_MapsSort::kChampionshipList),
                  (std::vector<std::string>{"Hill Island", "Canyon"}));
        EXPECT_EQ(Names(maps, QV7_MapsSort::kTutorialList),
                  (std::vector<std::string>{"First Steps", "Lagoon Lesson"}));
        EXPECT_EQ(Names(maps, 2), (std::vector<std::string>{"Hill Island", "Time Trial", "Canyon"}));
        EXPECT_EQ(Names(maps, 3), (std::vector<std::string>{"Hill Island", "Canyon", "Quick Race"}));
        EXPECT_EQ(Names(maps, 4), std::vector<std::string>{"Arena"});
        EXPECT_EQ(Names(maps, 5), std::vector<std::string>{"Network"});
        EXPECT_EQ(maps.ListEntry(0, 2), nullptr);
        EXPECT_EQ(maps.ListEntry(6, 0), nullptr);
        EXPECT_EQ(maps.ListEntry(0, -1), nullptr);

        const MapRecord* canyon = maps.ListEntry(0, 1);
        EXPECT_EQ(canyon->mapNumber, 3u);
        EXPECT_EQ(canyon->modeClass, 0u);
        EXPECT_EQ(canyon->lines, (std::vector<std::string>{"A long canyon.", "Un long canyon."}));
        EXPECT_EQ(canyon->textureIds[MAP_PICTURE_MINIMAP], 4203u);
        EXPECT_TRUE(maps.ListEntry(1, 1)->lines.empty());

        ASSERT_EQ(maps.PilotCount(), 3);
        EXPECT_EQ(maps.Pilot(0)->name, "Rex");
        EXPECT_EQ(maps.Pilot(0)->lines, (std::vector<std::string>{"Fast.", "Schnell."}));
        EXPECT_EQ(maps.Pilot(1)->portraitId, 99u);
        EXPECT_TRUE(maps.Pilot(1)->lines.empty());
        EXPECT_EQ(maps.Pilot(3), nullptr);
        EXPECT_EQ(maps.m_PointerFvf, 274u);
    }
    EXPECT_EQ(g_mapsSort, nullptr);
    // One line per map, in sorted order, each ending in a blank.
    std::vector<std::string> sorting;
    std::copy_if(Log().begin(), Log().end(), std::back_inserter(sorting),
                 [](const std::string& line) { return line.rfind("MAP Sorting", 0) == 0; });
    EXPECT_EQ(sorting, (std::vector<std::string>{
                           "MAP Sorting -2147483648 Hill Island ", "MAP Sorting -40 First Steps ",
                           "MAP Sorting -5 Lagoon Lesson ", "MAP Sorting 0 Arena ", "MAP Sorting 1 Network ",
                           "MAP Sorting 2 Nowhere ", "MAP Sorting 7 Time Trial ", "MAP Sorting 30 Canyon ",
                           "MAP Sorting 2147483647 Quick Race "}));
}

TEST_F(MapsSortTest, EqualSortNumbersKeepEveryMapOnce)
{
    MapsDatabaseFileRecord file;
    for (const char* name : {"A", "B", "C", "D"})
        file.maps.push_back(MakeMapRecord(name, 0, 3, 1));
    file.maps.push_back(MakeMapRecord("E", 0, 2, 1));
    WriteMaps(BuildMapsDatabase(file).Bytes());
    QV7_MapsSort maps(dir.Path());
    std::vector<std::string> names = Names(maps, 0);
    ASSERT_EQ(names.size(), 5u);
    EXPECT_EQ(names[0], "E");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C", "D", "E"}));
}

TEST_F(MapsSortTest, PicturesResolveInTheItemListAndOnlyLoadingAndMiniMapAreSwappable)
{
    QV7_TextureList items;
    for (uint32_t id : {4001u, 4101u, 4201u, 4300u, 4500u})
        items.Append()->m_CompileId = id;
    g_itemTextures = &items;
    QV7_MapsSort maps(dir.Path());

    const MapRecord* hill = maps.ListEntry(0, 0);
    for (int i = 0; i < MAP_PICTURE_COUNT; ++i)
    {
        ASSERT_NE(hill->textures[i], nullptr) << i;
        EXPECT_EQ(hill->textures[i]->m_CompileId, hill->textureIds[i]);
        EXPECT_EQ(hill->textures[i]->m_Flag, uint32_t(i == MAP_PICTURE_LOADING || i == MAP_PICTURE_MINIMAP))
            << i;
    }
    // Canyon's own pictures are not in the list; its marker is shared.
    const MapRecord* canyon = maps.ListEntry(0, 1);
    EXPECT_EQ(canyon->textures[MAP_PICTURE_LIST], nullptr);
    EXPECT_EQ(canyon->textures[MAP_PICTURE_MINIMAP], nullptr);
    EXPECT_EQ(canyon->textures[MAP_PICTURE_MARKER], hill->textures[MAP_PICTURE_MARKER]);
    EXPECT_EQ(maps.Pilot(0)->portrait, items.FindByCompileId(4500));
    EXPECT_EQ(maps.Pilot(0)->portrait->m_Flag, 0u);
    EXPECT_EQ(maps.Pilot(1)->portrait, nullptr);
}

TEST_F(MapsSortTest, WithoutAnItemListEveryPictureIsNull)
{
    QV7_MapsSort maps(dir.Path());
    for (int i = 0; i < maps.MapCount(); ++i)
        for (TextureRecord* picture : maps.Map(i)->textures)
            EXPECT_EQ(picture, nullptr);
}

TEST_F(MapsSortTest, AMissingDatabaseLeavesItEmptyAndUnpublished)
{
    std::filesystem::remove(MapsPath());
    QV7_MapsSort maps(dir.Path());
    EXPECT_EQ(g_mapsSort, nullptr);
    EXPECT_EQ(maps.MapCount(), 0);
    EXPECT_EQ(maps.PilotCount(), 0);
    for (int list = 0; list < QV7_MapsSort::kListCount; ++list)
        EXPECT_EQ(maps.ListCount(list), 0);
    EXPECT_EQ(Log(),
              std::vector<std::string>{
                  "ERROR NOTE: No Maps Database file found, game can't load any map without this file. " +
                  MapsPath()});
}

TEST_F(MapsSortTest, MissingPilotsLeaveTheMapsUsable)
{
    std::filesystem::remove(PilotsPath());
    QV7_MapsSort maps(dir.Path());
    EXPECT_EQ(g_mapsSort, &maps);
    EXPECT_EQ(maps.MapCount(), 9);
    EXPECT_EQ(maps.PilotCount(), 0);
    EXPECT_EQ(Log().back(),
              "ERROR NOTE: No Pilots file found, the races show no pilot profiles. " + PilotsPath());
}

TEST_F(MapsSortTest, PointerMeshFlagOtherThanOneEndsTheFile)
{
    for (uint32_t flag : {0u, 2u, 0xFFFFFFFFu})
    {
        MapsDatabaseFileRecord file = SampleMaps();
        file.pointerMeshFlag = flag;
        Bytes bytes = BuildMapsDatabase(file).Bytes();
        bytes.insert(bytes.end(), {1, 2, 3}); // trailing bytes after the end are ignored
        WriteMaps(bytes);
        QV7_MapsSort maps(dir.Path());
        EXPECT_EQ(maps.MapCount(), 9) << flag;
    }
}

TEST_F(MapsSortTest, TextsUpToTheirLimitsAreKept)
{
    MapsDatabaseFileRecord file;
    file.maps = {MakeMapRecord(std::string(259, 'n'), 1, 0, 1, {std::string(1999, 'l'), ""})};
    WriteMaps(BuildMapsDatabase(file).Bytes());
    WritePilots(
        BuildPilotsFile({MakePilotRecord(1, std::string(259, 'p'), {std::string(999, 'q')})}).Bytes());
    QV7_MapsSort maps(dir.Path());
    EXPECT_EQ(maps.Map(0)->name.size(), 259u);
    EXPECT_EQ(maps.Map(0)->lines[0].size(), 1999u);
    EXPECT_EQ(maps.Map(0)->lines[1], "");
    EXPECT_EQ(maps.Pilot(0)->lines[0].size(), 999u);
}

TEST(MapRecordDescription, TheLanguagesLineElseTheFirstElseNothing)
{
    const std::vector<std::string> two = {"English.", "Deutsch."};
    EXPECT_EQ(DescriptionFor(two, 1), "Deutsch.");
    EXPECT_EQ(DescriptionFor(two, 0), "English.");
    EXPECT_EQ(DescriptionFor(two, 5), "English.");
    EXPECT_EQ(DescriptionFor(two, -1), "English.");
    EXPECT_EQ(DescriptionFor({}, 0), "");
}

// --- Broken files ---------------------------------------------------------

void PutInt(Bytes& b, size_t at, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + size_t(i)) = uint8_t(uint32_t(v) >> (8 * i));
}

// Offsets in the sample files, from the writer itself.
size_t MapAt(size_t index)
{
    MapsDatabaseFileRecord file = SampleMaps();
    file.maps.resize(index);
    return BuildMapsDatabase(file).Bytes().size() - 4; // less the pointer-mesh flag
}
// The first map's line count: after its name and eight numbers.
size_t FirstMapLineCountAt()
{
    return MapAt(0) + 4 + SampleMaps().maps[0].name.size() + 1 + 7 * 4;
}
size_t PilotAt(size_t index)
{
    std::vector<PilotRecord> pilots = SamplePilots();
    pilots.resize(index);
    return BuildPilotsFile(pilots).Bytes().size();
}

std::vector<std::string> BrokenText(const std::string& kind, const std::string& path)
{
    return {"Critical Problem, File Broken, Application will crash to avoid any additional problems.",
            "ERROR DETAILS: FILE .\\QV7_Globals LINE *",
            "ERROR: " + kind + " file " + path + " is broken: a text can't be read (at byte *"};
}
std::vector<std::string> Broken(const std::string& kind, const std::string& path, const std::string& what)
{
    return {"ERROR: " + kind + " file " + path + " is broken: " + what,
            "Critical Problem, File Broken, Application will crash to avoid any additional problems.",
            "ERROR DETAILS: FILE .\\QV7_MapsSort LINE *"};
}

struct Damage
{
    const char* name;
    bool pilots; // Aip.dat, else Maps_srt.qvx
    std::function<void(Bytes&)> change;
    // "text" for a broken string, else the start of what the reader names.
    std::string what;
};

TEST_F(MapsSortTest, DamagedFilesEndInTheirLogLinesAndAnException)
{
    const Bytes maps = BuildMapsDatabase(SampleMaps()).Bytes();
    const Bytes pilots = BuildPilotsFile(SamplePilots()).Bytes();
    const std::vector<Damage> damages = {
        {"MapCountPastTheFile", false, [](Bytes& b) { PutInt(b, 0, 1000); },
         "a count of 1000 that its bytes can't hold (at byte 0 of *"},
        {"MapCountNegative", false, [](Bytes& b) { PutInt(b, 0, -1); }, "a count of 4294967295 *"},
        {"OneMapMoreThanPresent", false, [](Bytes& b) { PutInt(b, 0, 10); }, "text"},
        {"LineCountPastTheFile", false, [](Bytes& b) { PutInt(b, FirstMapLineCountAt(), 1 << 30); },
         "a count of 1073741824 *"},
        {"EmptyFile", false, [](Bytes& b) { b.clear(); }, "it ends inside a record (at byte 0 of 0)."},
        {"NoPointerMeshFlag", false, [](Bytes& b) { b.resize(b.size() - 4); }, "it ends inside a record*"},
        {"NameOfLength0", false, [](Bytes& b) { PutInt(b, MapAt(1), 0); }, "text"},
        {"NameOfNegativeLength", false, [](Bytes& b) { PutInt(b, MapAt(1), -3); }, "text"},
        {"NameLongerThan259", false, [](Bytes& b) { PutInt(b, MapAt(1), 261); }, "text"},
        {"NamePastTheEnd", false, [](Bytes& b) { PutInt(b, MapAt(2), 1 << 30); }, "text"},
        {"NameWithoutItsZero", false,
         [](Bytes& b) { b.at(MapAt(0) + 4 + SampleMaps().maps[0].name.size()) = 'X'; }, "text"},
        {"LineLongerThan1999", false, [](Bytes& b) { PutInt(b, FirstMapLineCountAt() + 4, 2001); }, "text"},
        {"PilotCountPastTheFile", true, [](Bytes& b) { PutInt(b, 0, 100); }, "a count of 100 *"},
        {"OnePilotMoreThanPresent", true, [](Bytes& b) { PutInt(b, 0, 4); }, "it ends inside a record*"},
        {"PilotsEmpty", true, [](Bytes& b) { b.clear(); }, "it ends inside a record (at byte 0 of 0)."},
        {"PilotNameLongerThan259", true, [](Bytes& b) { PutInt(b, PilotAt(1) + 4, 261); }, "text"},
        {"PilotNameOfLength0", true, [](Bytes& b) { PutInt(b, PilotAt(2) + 4, 0); }, "text"},
        {"PilotLineLongerThan999", true, [](Bytes& b) { PutInt(b, PilotAt(0) + 4 + 4 + 4 + 4, 1001); },
         "text"},
    };
    for (const Damage& d : damages)
    {
        Bytes bytes = d.pilots ? pilots : maps;
        d.change(bytes);
        WriteMaps(d.pilots ? maps : bytes);
        WritePilots(d.pilots ? bytes : pilots);
        const std::string kind = d.pilots ? "Pilots" : "Maps Database";
        const std::string path = d.pilots ? PilotsPath() : MapsPath();
        ExpectRefused(d.what == "text" ? BrokenText(kind, path) : Broken(kind, path, d.what), d.name);
    }
}

// Every shorter file is a broken one: cut anywhere, in the count, a text's
// length or its characters, a number, the line list or the flag.
TEST_F(MapsSortTest, EveryCutIsRefused)
{
    const Bytes maps = BuildMapsDatabase(SampleMaps()).Bytes();
    for (size_t size = 0; size < maps.size(); ++size)
    {
        WriteMaps(Bytes(maps.begin(), maps.begin() + std::ptrdiff_t(size)));
        ExpectRefused({"ERROR: Maps Database file " + MapsPath() + " is broken: *"},
                      "Maps_srt.qvx cut to " + std::to_string(size));
    }
    WriteMaps(maps);
    const Bytes pilots = BuildPilotsFile(SamplePilots()).Bytes();
    for (size_t size = 0; size < pilots.size(); ++size)
    {
        WritePilots(Bytes(pilots.begin(), pilots.begin() + std::ptrdiff_t(size)));
        ExpectRefused({"ERROR: Pilots file " + PilotsPath() + " is broken: *"},
                      "Aip.dat cut to " + std::to_string(size));
    }
}
} // namespace
