// Texture lists on the null back-end: container round trips from our writers,
// broken containers, the search and removal rules, loose files with their
// failure lines, the map textures' format choice and the texture swap around
// a race.
#include "EngineTestSupport.h"
#include "engine/QV7_TextureList.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/TextureContainerWriter.h"

#include <filesystem>

namespace
{
using enginetest::Logged;

std::vector<uint8_t> Picture(uint32_t width, uint32_t height, uint32_t argb = 0xFF336699)
{
    ImagePixels image;
    image.width = width;
    image.height = height;
    image.argb.assign(size_t(width) * height, argb);
    return WritePng(image);
}

class TextureListTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        windows->m_Settings.Debug = 1; // log lines are written in debug mode only
        windows->m_Active = 1;          // the loading screen pumps the frame gate
        Start();
        dir = std::filesystem::temp_directory_path() /
              ("qv7_texturelist_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        std::filesystem::remove_all(dir);
        EngineFixture::TearDown();
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    std::string Save(const char* name, const std::vector<uint8_t>& bytes) const
    {
        EXPECT_TRUE(SaveImageFile(Path(name), bytes));
        return Path(name);
    }
    static std::vector<uint32_t> Ids(const QV7_TextureList& list)
    {
        std::vector<uint32_t> ids;
        for (int i = 0; i < list.Count(); ++i)
            ids.push_back(list.At(i)->m_CompileId);
        return ids;
    }
    // Records 10 (4 x 2), 20 (8 x 8), 30 (2 x 4), 20 again (16 x 16).
    static std::vector<TextureContainerRecord> Records()
    {
        return {{10, Picture(4, 2)}, {20, Picture(8, 8)}, {30, Picture(2, 4)}, {20, Picture(16, 16)}};
    }
    std::filesystem::path dir;
};

TEST_F(TextureListTest, MenuContainerRoundTripKeepsWantedIdsOnceInFileOrder)
{
    ASSERT_NE(g_menuTextures, nullptr) << "the engine's subsystems make the menu list";
    const std::string path = Save("Textures1.qvx", BuildMenuTextureContainer(Records()).Bytes());
    QV7_Collection<int> wanted;
    for (int id : {30, 10, 30, 99, 10})
        *wanted.Append(new int) = id;
    QV7_TextureList::LoadMenuTextures(path, wanted);
    EXPECT_EQ(wanted.Count(), 3) << "duplicates leave the wanted collection, first occurrences stay";
    EXPECT_EQ(*wanted[0], 30);
    EXPECT_EQ(*wanted[1], 10);
    EXPECT_EQ(*wanted[2], 99);
    EXPECT_EQ(Ids(*g_menuTextures), (std::vector<uint32_t>{10, 30}));
    const TextureRecord* first = QV7_TextureList::FindMenuTexture(10);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first->m_Texture, nullptr);
    EXPECT_EQ(first->m_Info.Width, 4u);
    EXPECT_EQ(first->m_Info.Height, 2u);
    EXPECT_TRUE(Logged("Info: Texture Loaded Compile ID: 30, size 2 x 4"));
    EXPECT_EQ(QV7_TextureList::FindMenuTexture(99), nullptr);
}

TEST_F(TextureListTest, WorldContainerRoundTripAndFindByCompileIdTakesTheFirstMatch)
{
    QV7_TextureList list;
    EXPECT_EQ(list.FindByCompileId(20), nullptr) << "empty list";
    const std::string path = Save("Textures2.qvx", BuildWorldTextureContainer(Records()).Bytes());
    const int32_t ids[] = {20, 30};
    list.LoadBuggyTextures(path, ids, 2);
    EXPECT_EQ(Ids(list), (std::vector<uint32_t>{20, 30, 20}));
    TextureRecord* found = list.FindByCompileId(20);
    ASSERT_EQ(found, list.At(0));
    EXPECT_EQ(found->m_Info.Width, 8u);
    EXPECT_EQ(list.FindByCompileId(10), nullptr);
    EXPECT_TRUE(Logged("Info: Loading Buggy Textures"));
    EXPECT_TRUE(Logged("Info: Buggy Textures Loaded"));
}

TEST_F(TextureListTest, RemoveTakesOutOneRecordAndIgnoresAbsentOnes)
{
    QV7_TextureList list;
    const std::string path = Save("Textures2.qvx", BuildWorldTextureContainer(Records()).Bytes());
    const int32_t ids[] = {10, 20, 30};
    list.LoadBuggyTextures(path, ids, 3);
    ASSERT_EQ(list.Count(), 4);
    TextureRecord stranger;
    enginetest::Log().clear();
    list.Remove(&stranger);
    EXPECT_EQ(list.Count(), 4);
    EXPECT_TRUE(Logged("ERROR: Memory Collecion Delete(T* Item) pointer unit not found."));
    list.Remove(nullptr);
    EXPECT_EQ(list.Count(), 4);
    list.Remove(list.At(1));
    EXPECT_EQ(Ids(list), (std::vector<uint32_t>{10, 30, 20}));
}

// Every broken file ends the load cleanly with what came before the break.
TEST_F(TextureListTest, BrokenContainersStopTheLoadWithoutReadingPastTheEnd)
{
    const std::vector<uint8_t> good = BuildWorldTextureContainer({{10, Picture(4, 2)}}).Bytes();
    const std::vector<uint8_t> goodMenu = BuildMenuTextureContainer({{10, Picture(4, 2)}}).Bytes();
    auto withTail = [](std::vector<uint8_t> bytes, std::vector<uint8_t> tail) {
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    struct Case
    {
        const char* name;
        bool menu;
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> expected;
        bool errorLogged;
    };
    const std::vector<Case> cases = {
        {"world empty file", false, {}, {}, false},
        {"world truncated length", false, withTail(good, {20, 0, 0, 0, 9, 0}), {10}, true},
        {"world length past the end", false, withTail(good, {20, 0, 0, 0, 0xFF, 0, 0, 0, 1, 2}), {10}, true},
        {"world truncated id", false, withTail(good, {20, 0}), {10}, true},
        {"menu empty file", true, {}, {}, true},
        {"menu zero records", true, {0, 0, 0, 0}, {}, false},
        // Nine records claimed, one there: it loads, the missing ID stops the load.
        {"menu count past the end",
         true,
         withTail({9, 0, 0, 0}, std::vector<uint8_t>(goodMenu.begin() + 4, goodMenu.end())),
         {10},
         true},
        {"menu count past the bytes", true, {200, 0, 0, 0, 10, 0, 0, 0}, {}, true},
        // The count is not trusted ahead of the records: the ones present load.
        {"menu huge count",
         true,
         withTail({0xFF, 0xFF, 0xFF, 0x7F}, std::vector<uint8_t>(goodMenu.begin() + 4, goodMenu.end())),
         {10},
         true},
        {"menu negative count", true, {0xFF, 0xFF, 0xFF, 0xFF}, {}, true},
        {"menu length past the end", true, {1, 0, 0, 0, 10, 0, 0, 0, 0xFF, 0xFF, 0, 0, 1}, {}, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        enginetest::Log().clear();
        const std::string path = Save("broken.qvx", c.bytes);
        if (c.menu)
        {
            g_menuTextures->FreeAll();
            QV7_Collection<int> wanted;
            *wanted.Append(new int) = 10;
            QV7_TextureList::LoadMenuTextures(path, wanted);
            EXPECT_EQ(Ids(*g_menuTextures), c.expected);
            // The reload after a race walks the same records.
            QV7_TextureList::ReleaseUnused();
            QV7_TextureList::ReloadMenuTextures(path, false, 0.0f);
            for (int i = 0; i < g_menuTextures->Count(); ++i)
                EXPECT_NE(g_menuTextures->At(i)->m_Texture, nullptr);
        }
        else
        {
            QV7_TextureList list;
            const int32_t ids[] = {10, 20};
            list.LoadBuggyTextures(path, ids, 2);
            EXPECT_EQ(Ids(list), c.expected);
            EXPECT_TRUE(Logged("Info: Buggy Textures Loaded"));
        }
        const bool error = std::any_of(enginetest::Log().begin(), enginetest::Log().end(), [](const std::string& line) {
            return line.rfind("Error: Texture File ", 0) == 0;
        });
        EXPECT_EQ(error, c.errorLogged);
    }
}

TEST_F(TextureListTest, MissingContainersLogTheirOpenErrors)
{
    QV7_Collection<int> wanted;
    QV7_TextureList::LoadMenuTextures(Path("none.qvx"), wanted);
    EXPECT_TRUE(Logged("Error: Binary Texture File Load Open Error " + Path("none.qvx")));
    QV7_TextureList list;
    list.LoadBuggyTextures(Path("none2.qvx"), nullptr, 0);
    EXPECT_TRUE(Logged("Error: Binary Map Texture File Open Error " + Path("none2.qvx")));
    list.LoadMapTextures(Path("Map9.tex"), Path("none2.qvx"), nullptr);
    EXPECT_TRUE(Logged("Error: Binary Map Texture File LIST Open Error " + Path("Map9.tex")));
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(TextureListTest, LooseFilesLoadOrFailWithTheResultLine)
{
    QV7_TextureList list;
    const std::string good = Save("ldat3.gfx", Picture(16, 8));
    TextureRecord* record = list.Load(good);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->m_Info.Width, 16u);
    EXPECT_TRUE(Logged("Loading: '" + good + "'"));

    const std::string bad = Save("ldat4.gfx", {1, 2, 3, 4});
    EXPECT_EQ(list.Load(bad), nullptr);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(Logged("Loading Texture: ERROR while loading Texture with FileName: '" + bad + "'"));
    EXPECT_TRUE(Logged("ERROR INFO: The data is invalid."));

    EXPECT_EQ(LoadTextureFromFile(bad), nullptr);
    IDirect3DTexture9* loose = LoadTextureFromFile(good);
    ASSERT_NE(loose, nullptr);
    loose->Release();
}

TEST_F(TextureListTest, LoadingScreenListTakesTheFourStartUpPictures)
{
    for (const char* name : {"ldat1.gfx", "ldat2.gfx", "ldat3.gfx", "ldat4.gfx"})
        Save(name, Picture(8, 8));
    {
        QV7_TextureList list(TextureListRole::LoadingScreen);
        EXPECT_EQ(g_textureList, &list);
        LoadLoadingScreen(list, dir.string() + "/");
        EXPECT_EQ(list.Count(), 4);
        EXPECT_EQ(list.m_Logo1, list.At(0));
        EXPECT_EQ(list.m_LoadingPicture, list.At(2));
        EXPECT_EQ(list.m_ProgressBar, list.At(3));
        gfx::null::ClearCalls();
        DrawLoadingScreen(&list, 50, 255.0f, 0);
        EXPECT_EQ(gfx::null::CountCalls("DrawPrimitiveUP("), 3u) << "picture, bar, fade";
        EXPECT_EQ(gfx::null::CountCalls("Present"), 1u);
    }
    EXPECT_EQ(g_textureList, nullptr);
}

TEST_F(TextureListTest, MapTexturesAreCompressedOnLowDetailOnly)
{
    Save("Textures2.qvx", BuildWorldTextureContainer(Records()).Bytes());
    Save("Map1.tex", BuildMapTextureList({30, 10, 30}).Bytes());
    for (int detail : {3, 4})
    {
        SCOPED_TRACE(detail);
        enginetest::Log().clear();
        g_windowsData->m_Settings.Detail = detail;
        QV7_TextureList list;
        list.Init();
        list.LoadMapTextures(Path("Map1.tex"), Path("Textures2.qvx"), nullptr);
        EXPECT_EQ(Ids(list), (std::vector<uint32_t>{10, 30})) << "a repeated ID loads once";
        D3DSURFACE_DESC desc{};
        ASSERT_EQ(list.At(0)->m_Texture->GetLevelDesc(0, &desc), D3D_OK);
        EXPECT_EQ(desc.Format, detail <= 3 ? D3DFMT_DXT5 : D3DFMT_A8R8G8B8);
        EXPECT_EQ(Logged("INFO: Trying to use Compressed Textures"), detail <= 3);
        EXPECT_EQ(Logged("INFO: Loading as compressed Texture"), detail <= 3);
        EXPECT_TRUE(Logged("Info: Map Textures Loaded"));
        list.Destroy();
        EXPECT_EQ(list.Count(), 0);
    }
}

// A broken ID list keeps the IDs before the break, and their textures load.
TEST_F(TextureListTest, BrokenMapTextureListsKeepTheIdsPresent)
{
    Save("Textures2.qvx", BuildWorldTextureContainer(Records()).Bytes());
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<uint32_t> expected;
        int idsRead;
    };
    const std::vector<Case> cases = {
        {"count past the end", {5, 0, 0, 0, 10, 0, 0, 0}, {10}, 1},
        {"huge count", {0xFF, 0xFF, 0xFF, 0x7F, 30, 0, 0, 0, 10, 0, 0, 0}, {10, 30}, 2},
        {"negative count", {0xFD, 0xFF, 0xFF, 0xFF, 10, 0, 0, 0}, {}, 0},
        {"cut inside the count", {2, 0}, {}, 0},
        {"cut inside the second id", {2, 0, 0, 0, 10, 0, 0, 0, 20}, {10}, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        enginetest::Log().clear();
        Save("Map2.tex", c.bytes);
        QV7_TextureList list;
        list.LoadMapTextures(Path("Map2.tex"), Path("Textures2.qvx"), nullptr);
        EXPECT_EQ(Ids(list), c.expected);
        EXPECT_TRUE(Logged("Error: Texture List File " + Path("Map2.tex") + " is broken after " +
                           std::to_string(c.idsRead) + " IDs"));
        EXPECT_TRUE(Logged("Info: Map Textures Loaded"));
    }
}

// The swap around a race on a small fixture: what goes, what stays, what comes back.
TEST_F(TextureListTest, MenuSwapReleasesUnmarkedTexturesAndReloadsExactlyThose)
{
    const std::vector<TextureContainerRecord> records = {
        {1, Picture(2, 2)}, {2, Picture(4, 4)}, {3, Picture(8, 8)}, {4, Picture(2, 8)}};
    const std::string path = Save("Textures1.qvx", BuildMenuTextureContainer(records).Bytes());
    QV7_Collection<int> wanted;
    for (int id : {1, 3, 4})
        *wanted.Append(new int) = id;
    QV7_TextureList::LoadMenuTextures(path, wanted);
    QV7_TextureList& menu = *g_menuTextures;
    ASSERT_EQ(Ids(menu), (std::vector<uint32_t>{1, 3, 4}));
    menu.At(1)->m_Flag = 1; // in use during the race
    IDirect3DTexture9* kept = menu.At(1)->m_Texture;

    QV7_TextureList::ReleaseUnused();
    EXPECT_EQ(menu.At(0)->m_Texture, nullptr);
    EXPECT_EQ(menu.At(1)->m_Texture, kept);
    EXPECT_EQ(menu.At(2)->m_Texture, nullptr);
    EXPECT_EQ(menu.Count(), 3) << "records keep their places";

    enginetest::Log().clear();
    QV7_TextureList::ReloadMenuTextures(path, false, 0.0f);
    EXPECT_NE(menu.At(0)->m_Texture, nullptr);
    EXPECT_EQ(menu.At(1)->m_Texture, kept);
    EXPECT_NE(menu.At(2)->m_Texture, nullptr);
    EXPECT_EQ(menu.At(2)->m_Info.Height, 8u);
    EXPECT_TRUE(Logged("Info: Texture Loaded Compile ID: 1, size 2 x 2"));
    EXPECT_FALSE(Logged("Info: Texture Loaded Compile ID: 3, size 8 x 8")) << "a kept texture is not loaded again";
}

TEST_F(TextureListTest, BuggySwapKeepsTheRaceMapPicturesAndReloadsTheRest)
{
    const std::vector<TextureContainerRecord> records = {
        {1, Picture(2, 2)}, {2, Picture(4, 4)}, {3, Picture(8, 8)}, {4, Picture(2, 8)}};
    const std::string path = Save("Textures2.qvx", BuildWorldTextureContainer(records).Bytes());
    const int32_t ids[] = {1, 2, 3, 4};
    QV7_TextureList items;
    items.Init();
    g_itemTextures = &items;
    items.LoadBuggyTextures(path, ids, 4);
    ASSERT_EQ(items.Count(), 4);
    for (int i = 0; i < 3; ++i)
        items.At(i)->m_Flag = 1; // three swappable pictures; record 4 is a buggy texture
    TextureRecord* loading = items.At(1);
    IDirect3DTexture9* loadingTexture = loading->m_Texture;

    EXPECT_EQ(items.ReleaseBuggyTextures(loading, nullptr, nullptr), loading);
    EXPECT_EQ(items.m_Kept[0], loading);
    EXPECT_EQ(items.At(0)->m_Texture, nullptr);
    EXPECT_EQ(items.At(1)->m_Texture, loadingTexture);
    EXPECT_EQ(items.At(2)->m_Texture, nullptr);
    EXPECT_NE(items.At(3)->m_Texture, nullptr) << "flag 0: not swappable";

    items.ReloadBuggyTextures(path, ids, 4);
    EXPECT_NE(items.At(0)->m_Texture, nullptr);
    EXPECT_EQ(items.At(1)->m_Texture, loadingTexture);
    EXPECT_NE(items.At(2)->m_Texture, nullptr);
    EXPECT_EQ(items.At(2)->m_Info.Width, 8u);
    EXPECT_EQ(Ids(items), (std::vector<uint32_t>{1, 2, 3, 4}));

    DeleteBuggyTexture(2);
    EXPECT_EQ(Ids(items), (std::vector<uint32_t>{1, 3, 4}));
    EXPECT_EQ(items.m_Kept[0], nullptr) << "a removed kept record is no longer designated";
    DeleteBuggyTexture(77);
    EXPECT_EQ(items.Count(), 3);
    g_itemTextures = nullptr;
}
} // namespace
