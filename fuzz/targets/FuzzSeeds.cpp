// Seeds and fixed files of the fuzz targets, from the writers in tools/.
#include "fuzz/targets/FuzzSeeds.h"

#include "fuzz/targets/FuzzTargets.h"
#include "media/QV7_SoundSystem.h"
#include "platform/win/Ini.h"
#include "tools/demo/DemoLanguage.h"
#include "tools/demo/DemoMenus.h"
#include "tools/demo/DemoPictures.h"
#include "tools/writers/BuggyDatabaseWriter.h"
#include "tools/writers/FontsFileWriter.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/LandscapeMapWriter.h"
#include "tools/writers/LanguageFileWriter.h"
#include "tools/writers/MenuFileWriter.h"
#include "tools/writers/MeshObjectWriter.h"
#include "tools/writers/ProfilesWriter.h"
#include "tools/writers/SoundPackWriter.h"
#include "tools/writers/TextureContainerWriter.h"
#include "tools/writers/VorbisEncoder.h"
#include "tools/writers/XFileWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

const std::vector<int32_t> kFuzzPictureIds = {
    demo::kMainBackdropId, demo::kPageBackdropId, demo::kLoadingBackdropId,  demo::kButtonId,
    demo::kButtonHoverId,  demo::kSmallButtonId,  demo::kSmallButtonHoverId, demo::kCursorId,
    demo::kCursorTrailId,  demo::kPanelId,        demo::kProgressFrameId,    demo::kProgressFillId,
};
const std::vector<int32_t> kFuzzFontIds = {1, 2, 3};

namespace
{
// A small picture with some structure, so lossy and compressed writers have
// edges and gradients to encode.
ImagePixels Pattern(uint32_t width, uint32_t height, bool alpha)
{
    ImagePixels image;
    image.width = width;
    image.height = height;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
        {
            const uint32_t a = alpha ? (x * 255 / std::max(1u, width - 1)) : 255;
            const uint32_t r = (x * 37 + y * 11) & 0xFF, g = ((x ^ y) * 16) & 0xFF,
                           b = y * 255 / std::max(1u, height - 1);
            image.argb.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    return image;
}

// Item indices within the fuzz target's database of 24 objects, and one
// profile naming objects beyond it.
std::vector<FuzzSeed> ProfileSeeds()
{
    ProfileEntry outside = SampleProfileEntry("Outside", 2);
    outside.ownedItems.push_back(30);
    outside.buggies[0].model = 99;
    outside.opponents[1].model = -1;
    return {{"two.dtx",
             BuildProfilesFile({SampleProfileEntry("First", 0), SampleProfileEntry("Second", 1)}).Bytes()},
            {"new.dtx", BuildProfilesFile({ProfileEntry()}).Bytes()},
            {"outside.dtx", BuildProfilesFile({outside}).Bytes()},
            {"none.dtx", BuildProfilesFile({}).Bytes()}};
}

std::vector<FuzzSeed> ImageSeeds()
{
    const ImagePixels rgb = Pattern(8, 6, false), rgba = Pattern(8, 8, true), odd = Pattern(5, 3, true);
    return {
        {"bmp24.bmp", WriteBmp(rgb, 24)},
        {"bmp32_topdown.bmp", WriteBmp(rgba, 32, true)},
        {"tga24.tga", WriteTga(rgb, 24)},
        {"tga32_topdown.tga", WriteTga(odd, 32, true)},
        {"rgba.png", WritePng(rgba)},
        {"rgb.png", WritePng(odd, false)},
        {"photo.jpg", WriteJpeg(rgb, 80)},
        {"dxt1_mips.dds", WriteDds(rgba, D3DFMT_DXT1, 0)},
        {"dxt3.dds", WriteDds(rgba, D3DFMT_DXT3)},
        {"dxt5_mips.dds", WriteDds(odd, D3DFMT_DXT5, 0)},
        {"argb_mips.dds", WriteDds(rgba, D3DFMT_A8R8G8B8, 0)},
        {"xrgb.dds", WriteDds(rgb, D3DFMT_X8R8G8B8)},
        {"r5g6b5.dds", WriteDds(odd, D3DFMT_R5G6B5)},
        {"a4r4g4b4.dds", WriteDds(rgba, D3DFMT_A4R4G4B4, 2)},
        {"a1r5g5b5.dds", WriteDds(rgb, D3DFMT_A1R5G5B5)},
    };
}

// Container records: a few ids with pictures of every kind the game stores.
std::vector<TextureContainerRecord> ContainerRecords(size_t count)
{
    const std::vector<FuzzSeed> images = ImageSeeds();
    std::vector<TextureContainerRecord> records;
    for (size_t i = 0; i < count; ++i)
        records.push_back(
            {kFuzzPictureIds[i % kFuzzPictureIds.size()], images[(i * 3) % images.size()].bytes});
    return records;
}

FontFileRecord SmallFont(int32_t id, const std::string& name, int32_t height, int32_t spacing)
{
    const ImagePixels atlas = Pattern(16, 16, true);
    FontFileRecord font;
    font.fontId = id;
    font.picture = WritePng(atlas);
    font.name = name;
    font.height = height;
    font.flags = id == 2 ? 4 : 0;
    font.textureWidth = 16;
    font.textureHeight = 16;
    font.textScale = 1.0f;
    for (int c = 0; c < FontFileRecord::kGlyphs; ++c)
    {
        const float x = float(c % 4) / 4.0f, y = float(c / 4 % 4) / 4.0f;
        font.glyphs[c][0] = x;
        font.glyphs[c][1] = y;
        font.glyphs[c][2] = x + 0.25f;
        font.glyphs[c][3] = y + 0.25f;
    }
    font.spacing = spacing;
    font.alphaBlending = uint8_t(id != 3);
    return font;
}

std::vector<FontFileRecord> SmallFonts()
{
    return {SmallFont(1, "Menu", 18, 1), SmallFont(2, "Title", 30, 0), SmallFont(3, "Small", 14, 2)};
}

// Every control type once, with pictures and fonts the fixtures hold.
MenuFileRecord AllControlsMenu()
{
    using namespace menufile;
    MenuFileRecord file;
    file.textureIds = kFuzzPictureIds;
    file.fontIds = kFuzzFontIds;
    file.cursorId = demo::kCursorId;
    file.trailId = demo::kCursorTrailId;
    MenuPageRecord page = Page("ID_ALL", 1, demo::kPageBackdropId);
    page.controls.push_back(Button("IDOK", 10, 10, 120, 40, demo::kButtonHoverId, demo::kButtonId));
    page.controls.push_back(Picture("IDPIC", 10, 50, 60, 100, demo::kPanelId));
    page.controls.push_back(Caption("IDCAPTION", 10, 110, 200, 130, 1, 0xFFFFFFFF, "Caption"));
    MenuControlRecord text = Control(3, "IDTEXT", 10, 140, 200, 160);
    text.texts[0] = "Player";
    text.fontId = 3;
    text.value = 16;
    page.controls.push_back(text);
    page.controls.push_back(Check("IDCHECK", 10, 170, 30, 190, demo::kSmallButtonId, 1));
    page.controls.push_back(Option("IDOPTION", 40, 170, 60, 190, demo::kSmallButtonId, 0));
    MenuControlRecord combo = Control(6, "IDCOMBO", 10, 200, 200, 220);
    combo.fontId = 1;
    combo.pictureIds[0] = demo::kSmallButtonId;
    combo.pictureIds[1] = demo::kPanelId;
    combo.pictureIds[2] = demo::kSmallButtonHoverId;
    combo.colour = 0xFFFFFFFF;
    combo.selectedColour = 0xFFFF0000;
    page.controls.push_back(combo);
    MenuControlRecord list = Control(7, "IDLIST", 210, 10, 400, 200);
    list.fontId = 3;
    list.pictureIds[0] = demo::kSmallButtonHoverId;
    list.colour = 0xFFFFFFFF;
    list.selectedColour = 0xFF00FF00;
    page.controls.push_back(list);
    page.controls.push_back(Progress("IDPROGRESSBAR", 10, 230, 200, 240, demo::kProgressFillId, 40.0f));
    page.controls.push_back(Slider("IDSLIDER", 10, 250, 200, 270, demo::kSmallButtonId, 16, 16));
    file.pages.push_back(page);
    file.pages.push_back(Page("ID_POPUP", 2, demo::kPanelId, 1));
    return file;
}

std::vector<uint8_t> IniSeed(bool crlf)
{
    char pattern[] = "/tmp/qv7-fuzzseed-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0)
        return {};
    if (crlf)
    {
        const char head[] = "\xEF\xBB\xBF; written by hand\r\n[Options]\r\nScreenWidth = 1024\r\n";
        if (::write(fd, head, sizeof(head) - 1) < 0)
            return {};
    }
    ::close(fd);
    const std::string path = pattern;
    const char* const entries[][3] = {
        {"MAIN", "Debug", "1"},
        {"MAIN", "Windowed", "1"},
        {"MAIN", "Version", "3"},
        {"Options", "ScreenHeight", "768"},
        {"Options", "Detail", "-2"},
        {"Custom", "FSAA", "4"},
        {"Sound", "MusicVolume", "75"},
        {"Language", "Version", "\"DE\""},
        {"Language", "VersionNumber", "7"},
        {"Controller", "Device", "Pad 1"},
        {"Keys", "Key1_Accelerate", "200"},
        {"Keys", "Key2_Shoot", "+29"},
    };
    for (const auto& entry : entries)
        win::WritePrivateProfileStringA(entry[0], entry[1], entry[2], path);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path.c_str());
    return bytes;
}

std::vector<uint8_t> SoundSeed(double seconds, int channels, int rate)
{
    const size_t frames = size_t(seconds * rate);
    std::vector<int16_t> pcm(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            pcm[i * size_t(channels) + size_t(c)] = int16_t(9000 * std::sin(0.05 * double(i) * (c + 1)));
    return EncodeOggVorbis(pcm, channels, rate, 0.0f);
}

std::vector<SoundEffectRecord> AllSoundSlots()
{
    std::vector<SoundEffectRecord> records;
    for (int slot = 0; slot < SOUND_SLOT_COUNT; ++slot)
        records.push_back({kSoundSlotNames[slot], slot % 3 == 0 ? 1 : (slot % 3 == 1 ? -1 : 40 + slot)});
    return records;
}

template <typename Write> std::vector<uint8_t> Written(Write write)
{
    BinaryWriter file;
    write(file);
    return file.Bytes();
}
// A box whose faces alternate between two materials (a third unused), an
// arrow, both back to back, and a block with nothing in it.
std::vector<FuzzSeed> MeshObjectSeeds()
{
    MeshObjectDescription box = MakeBoxMesh(D3DXVECTOR3(1.0f, 2.0f, 3.0f), 11, 1);
    box.materials.resize(3);
    box.materials[1].texture0Id = 12;
    box.materials[1].words[MESH_WORD_BLEND] = 2;
    for (size_t f = 0; f < box.faces.size(); ++f)
        box.faces[f].subset = uint32_t(f % 2);
    const MeshObjectDescription arrow = MakeArrowMesh(40.0f, 6.0f, 12, 2);
    auto written = [](std::initializer_list<const MeshObjectDescription*> meshes)
    {
        BinaryWriter file;
        for (const MeshObjectDescription* mesh : meshes)
            WriteMeshObjectBlock(file, *mesh);
        return file.Bytes();
    };
    const MeshObjectDescription empty;
    return {{"box.bin", written({&box})},
            {"arrow.bin", written({&arrow})},
            {"box_arrow_box.bin", written({&box, &arrow, &box})},
            {"empty.bin", written({&empty})}};
}

// A map from the writer as the landscape target takes it: its tail and the
// first rows of its heights as the pattern.
FuzzSeed LandscapeSeed(const char* name, const LandscapeMapDescription& map, size_t patternSize)
{
    return {name, LandscapeFuzzInput(BuildLandscapeMap(map).Bytes(), patternSize)};
}

std::vector<FuzzSeed> LandscapeSeeds()
{
    LandscapeMapDescription flat = MakeFlatLandscapeMap();
    flat.baseTextureId = kFuzzPictureIds[0];
    flat.detailTextureId = kFuzzPictureIds[1];
    LandscapeMapDescription hills = flat;
    for (int x = 0; x < 1024; ++x)
        hills.Height(x, 0) = 25.0f + 25.0f * float(std::sin(0.05 * x));
    hills.shadeLevel = 0.2f;
    hills.light.Direction = {0.5f, -0.7f, 0.3f};
    hills.fog =
        MakeLandscapeFog(true, 0xFF8899AAu, D3DFOG_NONE, D3DFOG_LINEAR, 2000.0f, 20000.0f, 1.0f, false);
    hills.waterLevel = 8.0f;
    LandscapeMapDescription shifted = hills;
    for (int x = 0; x < 1024; ++x)
        shifted.Height(x, 1) = float(x % 37);
    shifted.light.Type = D3DLIGHT_SPOT;
    shifted.fog = MakeLandscapeFog(true, 0xFF203040u, D3DFOG_EXP2, D3DFOG_NONE, 0.0f, 1.0f, 0.0004f, true);
    shifted.detailTextureId = 77;
    return {LandscapeSeed("flat.bin", flat, 4096), LandscapeSeed("hills_fog.bin", hills, 4096),
            LandscapeSeed("two_rows_shifting.bin", shifted, 2 * 4096 + 4)};
}

// Two bodies with one primitive of each kind, one joint of each kind and two
// markers: every list of a physics definition holds something.
PhysicsDefinitionDescription SeedPhysics()
{
    PhysicsDefinitionDescription physics;
    physics.AddBody({"wheel", 1.0f, 0, 0.9f, 0, -1, -1, {}});
    physics.AddBody({"chassis", 1.0f, 0, 0.9f, 9, -1, -1, {}});
    physics.AddSphere(0, {{0, 0, 0}, {0, 120, 0}, {}});
    physics.AddBox(1, {{0, 0, 0}, {1400, 250, 700}, {}});
    physics.AddCylinder(1, {{0, 100, 0}, 20, 80, {}});
    physics.AddBall({0, 1, {}});
    physics.AddHinge({1, 0, {}, {}, {0, 1, 0}});
    physics.AddSlider({1, 0, {}, {1, 0, 0}});
    physics.AddUniversal({1, 0, {}, {}, {}, {0, 1, 0}, {0, 0, 1}});
    TwoAxisJointDescription wheel{1, 0, {}, {}, {0, 0, 0}, {0, 1, 0}, {0, 0, -1}};
    wheel.parameters1.Set(JointParameterSet::LO_STOP, 0).Set(JointParameterSet::HI_STOP, 0);
    wheel.parameters2.Set(JointParameterSet::VEL, 0);
    physics.AddHinge2(wheel);
    physics.AddMotor({1, 0, {}, {1, 0, 0}, {0, 0, 1}, 1, 2});
    physics.AddMarker("uitlaat", {-700, 100, 50});
    physics.AddMarker("uit2", {-700, 100, -50});
    return physics;
}

// A model with a two-subset mesh and a full definition, a weapon, ammunition
// and a chain of three parts; and a database with no objects.
std::vector<FuzzSeed> BuggyDatabaseSeeds()
{
    BuggyDatabaseDescription database;
    BuggyObjectDescription model;
    model.names = {{"Model", "A buggy."}, {"Modell", "Ein Buggy."}};
    model.mesh = MakeBoxMesh(D3DXVECTOR3(100, 50, 60), 5001, 1);
    model.mesh->materials.push_back(model.mesh->materials[0]);
    model.mesh->materials[1].texture0Id = 5002;
    for (size_t f = 0; f < model.mesh->faces.size(); ++f)
        model.mesh->faces[f].subset = uint32_t(f % 2);
    model.physics = SeedPhysics();
    database.Add(model);
    BuggyObjectDescription weapon;
    weapon.type = 3;
    weapon.FitModels(1, {0, 200, 0}, {1.5707964f, 0, 0});
    weapon.physics.AddMarker("muzzle", {0, 0, -40});
    database.Add(weapon);
    BuggyObjectDescription ammunition;
    ammunition.type = 16;
    database.Add(ammunition);
    database.AddChain(3,
                      [](int level)
                      {
                          BuggyObjectDescription part;
                          part.type = 7;
                          part.value1 = 1000u * uint32_t(level);
                          return part;
                      });
    return {{"model_weapon_chain.dat", BuildBuggyDatabase(database).Bytes()},
            {"empty.dat", BuildBuggyDatabase({}).Bytes()}};
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The figure with every motion, one without animation (and so no
// controller), and one mesh of two bones whose weights cross, keyed by
// matrices at the default ticks per second, with no normals.
std::vector<FuzzSeed> XFileSeeds()
{
    ArticulatedFigureDescription figure;
    figure.textureFile = "driver.png";
    figure.sets = {{"IDLE", FigureMotion::Breathe, 2.0f, false},
                   {"STUUR_LINKS", FigureMotion::SteerLeft, 0.5f, false},
                   {"STUUR_RECHTS_TERUG", FigureMotion::SteerRight, 0.5f, true},
                   {"BUMP_BOTS", FigureMotion::Bump, 0.4f, false},
                   {"ACHTERUIT", FigureMotion::Reverse, 1.0f, false}};
    ArticulatedFigureDescription still;
    still.height = 10.0f;

    d3dx::XFileDescription bones;
    bones.frames.resize(1);
    d3dx::XFrame& root = bones.frames[0];
    root.name = "Root";
    D3DXMatrixIdentity(&root.transform);
    root.children.resize(1);
    root.children[0].name = "Tip";
    D3DXMatrixTranslation(&root.children[0].transform, 0.0f, 1.0f, 0.0f);
    d3dx::XMesh mesh;
    mesh.positions = {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {1, 2, 0}};
    mesh.faces = {{0, 2, 1}, {1, 2, 3}};
    D3DXMATRIX identity, down;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixTranslation(&down, 0.0f, -1.0f, 0.0f);
    mesh.skin = {{"Root", {0, 1, 2}, {1.0f, 1.0f, 0.5f}, identity}, {"Tip", {2, 3}, {0.5f, 1.0f}, down}};
    root.meshes.push_back(mesh);
    D3DXMATRIX turned;
    D3DXMatrixRotationZ(&turned, 0.5f);
    turned._42 = 1.0f;
    bones.animationSets = {{"Wave", {{"Tip", {}, {}, {}, {{0, down}, {2400, turned}}}}}};
    return {{"figure.x", Bytes(WriteXFile(MakeArticulatedFigure(figure)))},
            {"still.x", Bytes(WriteXFile(MakeArticulatedFigure(still)))},
            {"two_bones.x", Bytes(WriteXFile(bones))}};
}
} // namespace

std::vector<FuzzSeed> FuzzSeedsFor(const std::string& target)
{
    if (target == "settings_ini")
        return {{"written.ini", IniSeed(false)}, {"crlf_bom_comments.ini", IniSeed(true)}};
    if (target == "language_file")
        return {{"demo.lng", BuildLanguageFile(DemoLanguageGroups()).Bytes()},
                {"small.lng", BuildLanguageFile({{"Respawn", "", "Turbo"}, {}, {"x"}}).Bytes()}};
    if (target == "menu_textures")
        return {{"three.qvx", BuildMenuTextureContainer(ContainerRecords(3)).Bytes()},
                {"mixed.qvx", BuildMenuTextureContainer(ContainerRecords(6)).Bytes()},
                {"empty.qvx", BuildMenuTextureContainer({}).Bytes()}};
    if (target == "world_textures")
        return {{"three.qvx", BuildWorldTextureContainer(ContainerRecords(3)).Bytes()},
                {"mixed.qvx", BuildWorldTextureContainer(ContainerRecords(6)).Bytes()}};
    if (target == "map_texture_list")
        return {{"three.tex",
                 BuildMapTextureList({kFuzzPictureIds[0], kFuzzPictureIds[1], kFuzzPictureIds[2]}).Bytes()},
                {"unknown_ids.tex", BuildMapTextureList({kFuzzPictureIds[4], 77, -1}).Bytes()},
                {"empty.tex", BuildMapTextureList({}).Bytes()}};
    if (target == "fonts")
        return {{"three.qvx", BuildFontsFile(SmallFonts()).Bytes()},
                {"one.qvx", BuildFontsFile({SmallFont(2, "T", 9, 3)}).Bytes()}};
    if (target == "menu_file")
        return {{"all_controls.qvx", BuildMenuFile(AllControlsMenu()).Bytes()},
                {"demo.qvx", BuildMenuFile(DemoMenuFile()).Bytes()}};
    if (target == "menu_strings")
        return {{"strings.qvx", BuildMenuStrings({"Credits", "", "Line with spaces"}).Bytes()},
                {"empty.qvx", BuildMenuStrings({}).Bytes()}};
    if (target == "music_table")
        return {{"islands.dat",
                 Written(
                     [](BinaryWriter& f) {
                         WriteMusicTable(
                             {{kFrontEndMusicKey, 1, 2}, {1, 3, -1}, {2, -1, 1}, {kFrontEndMusicKey, 5, 5}},
                             f);
                     })},
                {"empty.dat", Written([](BinaryWriter& f) { WriteMusicTable({}, f); })}};
    if (target == "sound_table")
        return {
            {"all_slots.dat", Written([](BinaryWriter& f) { WriteSoundEffectTable(AllSoundSlots(), f); })},
            {"unknown_name.dat", Written(
                                     [](BinaryWriter& f) {
                                         WriteSoundEffectTable({{"SOUND_NONE", 1}}, f);
                                     })}};
    if (target == "ogg_vorbis")
        return {{"mono.ogg", SoundSeed(0.05, 1, 8000)},
                {"stereo.ogg", SoundSeed(0.03, 2, 22050)},
                {"headers_only.ogg", EncodeOggVorbis({}, 1, 8000)}};
    if (target == "image")
        return ImageSeeds();
    if (target == "mesh_object")
        return MeshObjectSeeds();
    if (target == "maps_database")
        return MapsDatabaseSeeds();
    if (target == "pilots")
        return PilotsSeeds();
    if (target == "landscape_map")
        return LandscapeSeeds();
    if (target == "buggy_database")
        return BuggyDatabaseSeeds();
    if (target == "x_file")
        return XFileSeeds();
    if (target == "profiles")
        return ProfileSeeds();
    if (target == "buggy_texture_ids")
        return BuggyTextureIdSeeds();
    if (target == "texture_exclusions")
        return TextureExclusionSeeds();
    if (target == "triggers")
        return TriggersSeeds();
    if (target == "waypoints")
        return WaypointSeeds();
    if (target == "checkpoints")
        return CheckpointSeeds();
    if (target == "effect_library")
        return EffectLibrarySeeds();
    if (target == "placed_effects")
        return PlacedEffectSeeds();
    if (target == "track_items")
        return TrackItemSeeds();
    if (target == "shorelines")
        return ShoreLineSeeds();
    if (target == "fading_vegetation")
        return FadingVegetationSeeds();
    if (target == "teleporters")
        return TeleporterSeeds();
    if (target == "static_objects")
        return StaticObjectsSeeds();
    if (target == "trees")
        return TreesSeeds();
    if (target == "moving_scenery")
        return MovingScenerySeeds();
    return {};
}

bool WriteFuzzSeeds(const std::string& dir)
{
    for (const FuzzTarget& target : FuzzTargets())
    {
        const std::filesystem::path folder = std::filesystem::path(dir) / target.name;
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        for (const FuzzSeed& seed : FuzzSeedsFor(target.name))
        {
            if (seed.bytes.empty())
                return false;
            std::ofstream out(folder / seed.name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(seed.bytes.data()), std::streamsize(seed.bytes.size()));
            if (!out)
                return false;
        }
    }
    return true;
}

FuzzFixtures MakeFuzzFixtures()
{
    FuzzFixtures fixtures;
    std::vector<TextureContainerRecord> pictures;
    for (int32_t id : kFuzzPictureIds)
        pictures.push_back({id, WritePng(Pattern(4, 4, true))});
    fixtures.menuTextures = BuildMenuTextureContainer(pictures).Bytes();
    fixtures.worldTextures = BuildWorldTextureContainer(pictures).Bytes();
    fixtures.fonts = BuildFontsFile(SmallFonts()).Bytes();
    fixtures.sound = SoundSeed(0.02, 1, 8000);
    return fixtures;
}

std::vector<uint8_t> LandscapeFuzzShadingPicture()
{
    return WritePng(Pattern(8, 8, true));
}
