// Each island is a recipe: a height-field generator, a sun, ground colours, a
// sky and a water colour. Building one computes its shadows, shading,
// brightness and pictures; writing puts them into the files the race loads.
#include "tools/demo/DemoIslands.h"

#include "tools/demo/DemoIslandPictures.h"

#include <future>
#include <mutex>

namespace demo
{
namespace
{
struct IslandRecipe
{
    Heightfield (*generate)(uint32_t seed);
    uint32_t seed;
    Sun sun;
    Rgb sunColour, ambient;
    GroundPalette palette;
    SkyLook sky;
    Rgb water;
    bool roughDetail;
    float fogStart, fogEnd;
};

// Brightness of sunlit ground: slopes facing the sun may light up to 1.3 times
// flat ground.
constexpr float kLitCap = 0.3f;
constexpr float kShadeLevel = -0.5f;
// Grey of the shading picture in shadow, about the lighting's shadow-to-sun ratio.
constexpr float kShadingAmbient = 0.6f;

// Golden sand, meadows drying on the heights, grey rock.
GroundPalette GreenGround()
{
    GroundPalette palette{};
    palette.sand = {0.88f, 0.80f, 0.60f};
    palette.wetSand = {0.66f, 0.58f, 0.43f};
    palette.seabed = {0.42f, 0.50f, 0.42f};
    palette.grass = {0.42f, 0.62f, 0.24f};
    palette.lushGrass = {0.26f, 0.50f, 0.18f};
    palette.dryGrass = {0.64f, 0.62f, 0.34f};
    palette.rock = {0.54f, 0.51f, 0.46f};
    palette.darkRock = {0.38f, 0.36f, 0.34f};
    return palette;
}

// White coral sand, deep greens, rock only on the steepest ground.
GroundPalette TropicalGround()
{
    GroundPalette palette{};
    palette.sand = {0.94f, 0.89f, 0.72f};
    palette.wetSand = {0.74f, 0.68f, 0.54f};
    palette.seabed = {0.55f, 0.70f, 0.58f};
    palette.grass = {0.32f, 0.62f, 0.22f};
    palette.lushGrass = {0.18f, 0.46f, 0.15f};
    palette.dryGrass = {0.58f, 0.63f, 0.30f};
    palette.rock = {0.50f, 0.47f, 0.42f};
    palette.darkRock = {0.33f, 0.31f, 0.30f};
    palette.rockSlope = 0.62f;
    return palette;
}

// Desert: ochre scrub on the mesa, sand on the low ground, banded red rock.
GroundPalette DesertGround()
{
    GroundPalette palette{};
    palette.sand = {0.90f, 0.74f, 0.52f};
    palette.wetSand = {0.70f, 0.55f, 0.40f};
    palette.seabed = {0.45f, 0.48f, 0.40f};
    palette.grass = {0.78f, 0.62f, 0.40f};
    palette.lushGrass = {0.66f, 0.56f, 0.36f};
    palette.dryGrass = {0.86f, 0.72f, 0.50f};
    palette.rock = {0.62f, 0.46f, 0.34f};
    palette.darkRock = {0.45f, 0.30f, 0.22f};
    palette.strata = true;
    palette.strataLight = {0.88f, 0.64f, 0.44f};
    palette.strataDark = {0.60f, 0.32f, 0.21f};
    palette.sandLine = 200.0f;
    return palette;
}

// Island 1: a green hill island at midday under fair-weather clouds.
IslandRecipe HillRecipe()
{
    IslandRecipe recipe{};
    recipe.generate = HillIsland;
    recipe.seed = 11;
    recipe.sun = {1, 1, 40.0f};
    recipe.sunColour = {0.82f, 0.80f, 0.72f};
    recipe.ambient = {0.27f, 0.29f, 0.34f};
    recipe.palette = GreenGround();
    recipe.sky = {{0.18f, 0.40f, 0.80f},
                  {0.72f, 0.83f, 0.93f},
                  {1.0f, 0.9f, 0.7f},
                  {1.0f, 1.0f, 1.0f},
                  {0.62f, 0.67f, 0.76f},
                  0.45f,
                  101};
    recipe.water = {0.30f, 0.43f, 0.48f};
    recipe.fogStart = 17000.0f;
    recipe.fogEnd = 34000.0f;
    return recipe;
}

// Island 2: a tropical ring of hills in the warm afternoon sun, few clouds.
IslandRecipe LagoonRecipe()
{
    IslandRecipe recipe{};
    recipe.generate = LagoonIsland;
    recipe.seed = 22;
    recipe.sun = {-1, 1, 33.0f};
    recipe.sunColour = {0.90f, 0.82f, 0.68f};
    recipe.ambient = {0.28f, 0.28f, 0.33f};
    recipe.palette = TropicalGround();
    recipe.sky = {{0.14f, 0.36f, 0.78f},
                  {0.76f, 0.86f, 0.93f},
                  {1.0f, 0.82f, 0.55f},
                  {1.0f, 0.97f, 0.92f},
                  {0.66f, 0.64f, 0.70f},
                  0.3f,
                  202};
    recipe.water = {0.30f, 0.52f, 0.52f};
    recipe.fogStart = 18000.0f;
    recipe.fogEnd = 36000.0f;
    return recipe;
}

// Island 3: a desert mesa and its canyon under a low evening sun and a hazy sky.
IslandRecipe CanyonRecipe()
{
    IslandRecipe recipe{};
    recipe.generate = CanyonIsland;
    recipe.seed = 33;
    recipe.sun = {0, 1, 34.0f};
    recipe.sunColour = {1.0f, 0.84f, 0.64f};
    recipe.ambient = {0.34f, 0.30f, 0.32f};
    recipe.palette = DesertGround();
    recipe.sky = {{0.26f, 0.38f, 0.66f},
                  {0.93f, 0.76f, 0.58f},
                  {1.0f, 0.7f, 0.4f},
                  {1.0f, 0.9f, 0.8f},
                  {0.62f, 0.52f, 0.54f},
                  0.25f,
                  303};
    recipe.water = {0.26f, 0.40f, 0.50f};
    recipe.roughDetail = true;
    recipe.fogStart = 13000.0f;
    recipe.fogEnd = 30000.0f;
    return recipe;
}

IslandRecipe Recipe(int number)
{
    switch (number)
    {
    case 1:
        return HillRecipe();
    case 2:
        return LagoonRecipe();
    default:
        return CanyonRecipe();
    }
}

D3DCOLORVALUE Colour(const Rgb& c, float a = 1.0f)
{
    return {c.r, c.g, c.b, a};
}

D3DLIGHT9 SunLight(const IslandRecipe& recipe)
{
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = Colour(recipe.sunColour);
    light.Ambient = Colour(recipe.ambient);
    light.Direction = recipe.sun.Direction();
    light.Range = 100000.0f;
    return light;
}

// Plain white ground: the base picture and the light give the colour.
D3DMATERIAL9 GroundMaterial()
{
    D3DMATERIAL9 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    return material;
}

// Linear pixel fog into the sky's horizon colour, so far land melts into the sky.
LandscapeFogWords Fog(const IslandRecipe& recipe)
{
    return MakeLandscapeFog(true, PackArgb(recipe.sky.horizon), D3DFOG_NONE, D3DFOG_LINEAR, recipe.fogStart,
                            recipe.fogEnd, 0.0001f, false);
}

// The map textures as the race loads them by default (DXT5 with their mip
// chains): they go to the device as they are, with nothing to decode.
std::vector<uint8_t> MapTexture(const ImagePixels& image)
{
    return WriteDds(image, D3DFMT_DXT5, 0);
}

// Island `number`'s heights, made once per process: they are most of the
// work of an island, and both its files and the maps database's pictures of
// it are made from them.
const Heightfield& IslandField(int number)
{
    static Heightfield fields[kDemoIslandCount];
    static std::once_flag made[kDemoIslandCount];
    const int index = std::clamp(number, 1, kDemoIslandCount) - 1;
    std::call_once(made[index],
                   [index]
                   {
                       const IslandRecipe recipe = Recipe(index + 1);
                       fields[index] = recipe.generate(recipe.seed);
                   });
    return fields[index];
}
} // namespace

int32_t IslandBaseId(int number)
{
    return 3000 + 100 * number;
}

int32_t IslandSkyId(int number)
{
    return IslandBaseId(number) + 1;
}

int32_t IslandWaterId(int number)
{
    return IslandBaseId(number) + 2;
}

Heightfield DemoIslandHeightfield(int number)
{
    return IslandField(number);
}

DemoIsland BuildDemoIsland(int number)
{
    const IslandRecipe recipe = Recipe(number);
    DemoIsland island;
    island.number = number;
    const Heightfield& field = IslandField(number);
    const std::vector<float> shadows = CastShadows(field, recipe.sun);
    island.shading = ShadingPicture(SunShading(field, recipe.sun, shadows, kShadingAmbient));
    island.basePicture = BasePicture(field, recipe.palette, recipe.seed + 1000);
    island.sky = SkyAtlas(recipe.sky, recipe.sun, 1024);
    island.water = WaterPicture(recipe.water, recipe.seed + 2000);

    LandscapeMapDescription& map = island.map;
    map.heights = field.heights;
    map.brightness = BrightnessLayer(shadows, kLitCap, kShadeLevel);
    map.thirdLayer.assign(map.heights.size(), 0.0f);
    map.shadeLevel = kShadeLevel;
    map.baseTextureId = IslandBaseId(number);
    map.detailTextureId = recipe.roughDetail ? kIslandRoughDetailId : kIslandDetailId;
    map.material = GroundMaterial();
    map.light = SunLight(recipe);
    map.fog = Fog(recipe);
    map.skyTextureId = IslandSkyId(number);
    map.waterTextureId1 = IslandWaterId(number);
    map.waterTextureId2 = kIslandRippleId;
    map.waterLevel = kIslandWaterLevel;
    return island;
}

IslandTopView BuildIslandTopView(int number)
{
    const IslandRecipe recipe = Recipe(number);
    IslandTopView view;
    view.field = IslandField(number);
    const std::vector<float> shading =
        SunShading(view.field, recipe.sun, CastShadows(view.field, recipe.sun), kShadingAmbient);
    view.ground = BasePicture(view.field, recipe.palette, recipe.seed + 1000);
    for (size_t i = 0; i < view.ground.argb.size(); ++i)
    {
        const uint32_t c = view.ground.argb[i];
        const float light = shading[i];
        view.ground.argb[i] =
            PackArgb({float((c >> 16) & 0xFF) / 255.0f * light, float((c >> 8) & 0xFF) / 255.0f * light,
                      float(c & 0xFF) / 255.0f * light});
    }
    view.water = PackArgb(recipe.water);
    return view;
}

std::vector<TextureContainerRecord> SharedIslandTextures()
{
    return {{kIslandDetailId, MapTexture(DetailPicture(256, 0.08f, 41))},
            {kIslandRoughDetailId, MapTexture(DetailPicture(256, 0.13f, 42))},
            {kIslandRippleId, MapTexture(RipplePicture(43))}};
}

std::vector<TextureContainerRecord> IslandTextures(const DemoIsland& island)
{
    return {{island.map.baseTextureId, MapTexture(island.basePicture)},
            {island.map.skyTextureId, MapTexture(island.sky)},
            {island.map.waterTextureId1, MapTexture(island.water)}};
}

std::vector<int32_t> IslandTextureIds(const DemoIsland& island)
{
    const LandscapeMapDescription& map = island.map;
    return {map.baseTextureId, map.detailTextureId, map.skyTextureId, map.waterTextureId1,
            map.waterTextureId2};
}

namespace
{
// An island with its pictures already encoded as they go into the files.
struct EncodedIsland
{
    DemoIsland island;
    std::vector<TextureContainerRecord> textures;
    std::vector<uint8_t> shading;
};

EncodedIsland BuildAndEncode(int number)
{
    EncodedIsland encoded{BuildDemoIsland(number), {}, {}};
    encoded.textures = IslandTextures(encoded.island);
    // The landscape loads its shading picture as A8R8G8B8 with a full mip
    // chain: a DDS that holds just that is copied in without any decoding.
    encoded.shading = WriteDds(encoded.island.shading, D3DFMT_A8R8G8B8, 0);
    return encoded;
}
} // namespace

bool WriteDemoIslands(const std::string& dataDir, std::vector<TextureContainerRecord> worldPictures,
                      const std::vector<int32_t>& worldPictureIds)
{
    // The islands are independent: build them side by side, write them in order.
    std::vector<std::future<EncodedIsland>> building;
    for (int number = 1; number <= kDemoIslandCount; ++number)
        building.push_back(std::async(std::launch::async, BuildAndEncode, number));
    for (TextureContainerRecord& record : SharedIslandTextures())
        worldPictures.push_back(std::move(record));
    bool ok = true;
    for (std::future<EncodedIsland>& future : building)
    {
        EncodedIsland encoded = future.get();
        const DemoIsland& island = encoded.island;
        for (TextureContainerRecord& record : encoded.textures)
            worldPictures.push_back(std::move(record));
        std::vector<int32_t> ids = IslandTextureIds(island);
        ids.insert(ids.end(), worldPictureIds.begin(), worldPictureIds.end());
        const std::string suffix = std::to_string(island.number);
        ok = ok && WriteLandscapeMap(dataDir + "Map" + suffix + ".map", island.map);
        ok = ok && SaveImageFile(dataDir + "MapSHD" + suffix + ".map", encoded.shading);
        ok = ok && WriteMapTextureList(dataDir + "Map" + suffix + ".tex", ids);
    }
    return ok && WriteWorldTextureContainer(dataDir + "Textures2.qvx", worldPictures);
}
} // namespace demo
