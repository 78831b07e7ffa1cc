// Each island is a recipe: a height-field generator, a sun, ground colours, a
// sky and a water colour. Building one computes its shadows, shading,
// brightness and pictures; writing puts them into the files the race loads.
#include "tools/demo/DemoIslands.h"

#include "tools/demo/DemoIslandPictures.h"

#include <cstdio>
#include <cstring>

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

const GroundPalette kGreenIsland{{0.88f, 0.80f, 0.60f},
                                 {0.66f, 0.58f, 0.43f},
                                 {0.42f, 0.50f, 0.42f},
                                 {0.36f, 0.55f, 0.22f},
                                 {0.22f, 0.44f, 0.16f},
                                 {0.60f, 0.58f, 0.32f},
                                 {0.52f, 0.49f, 0.44f},
                                 {0.36f, 0.34f, 0.32f},
                                 false,
                                 {},
                                 {}};
const GroundPalette kTropicalIsland{{0.94f, 0.89f, 0.72f},
                                    {0.74f, 0.68f, 0.54f},
                                    {0.55f, 0.70f, 0.58f},
                                    {0.30f, 0.58f, 0.20f},
                                    {0.16f, 0.42f, 0.14f},
                                    {0.55f, 0.60f, 0.28f},
                                    {0.50f, 0.47f, 0.42f},
                                    {0.33f, 0.31f, 0.30f},
                                    false,
                                    {},
                                    {},
                                    kBeachRise,
                                    0.62f};
const GroundPalette kCanyonIsland{{0.90f, 0.74f, 0.52f}, {0.70f, 0.55f, 0.40f}, {0.45f, 0.48f, 0.40f},
                                  {0.78f, 0.62f, 0.40f}, {0.66f, 0.56f, 0.36f}, {0.86f, 0.72f, 0.50f},
                                  {0.62f, 0.46f, 0.34f}, {0.45f, 0.30f, 0.22f}, true,
                                  {0.88f, 0.64f, 0.44f}, {0.60f, 0.32f, 0.21f}, 200.0f};

const IslandRecipe kRecipes[kDemoIslandCount] = {
    {HillIsland,
     11,
     {1, 1, 48.0f},
     {0.92f, 0.89f, 0.80f},
     {0.30f, 0.33f, 0.38f},
     kGreenIsland,
     {{0.18f, 0.40f, 0.80f},
      {0.72f, 0.83f, 0.93f},
      {1.0f, 0.9f, 0.7f},
      {1.0f, 1.0f, 1.0f},
      {0.62f, 0.67f, 0.76f},
      0.45f,
      101},
     {0.30f, 0.43f, 0.48f},
     false,
     16000.0f,
     32000.0f},
    {LagoonIsland,
     22,
     {-1, 1, 38.0f},
     {1.0f, 0.90f, 0.74f},
     {0.32f, 0.31f, 0.36f},
     kTropicalIsland,
     {{0.14f, 0.36f, 0.78f},
      {0.86f, 0.84f, 0.78f},
      {1.0f, 0.82f, 0.55f},
      {1.0f, 0.97f, 0.92f},
      {0.66f, 0.64f, 0.70f},
      0.3f,
      202},
     {0.30f, 0.52f, 0.52f},
     false,
     15000.0f,
     31000.0f},
    {CanyonIsland,
     33,
     {0, 1, 34.0f},
     {1.0f, 0.84f, 0.64f},
     {0.34f, 0.30f, 0.32f},
     kCanyonIsland,
     {{0.26f, 0.38f, 0.66f},
      {0.93f, 0.76f, 0.58f},
      {1.0f, 0.7f, 0.4f},
      {1.0f, 0.9f, 0.8f},
      {0.62f, 0.52f, 0.54f},
      0.25f,
      303},
     {0.26f, 0.40f, 0.50f},
     true,
     13000.0f,
     30000.0f},
};

uint32_t FloatBits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
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
std::array<uint32_t, 8> Fog(const IslandRecipe& recipe)
{
    return {1u,
            PackArgb(recipe.sky.horizon),
            uint32_t(D3DFOG_NONE),
            uint32_t(D3DFOG_LINEAR),
            FloatBits(recipe.fogStart),
            FloatBits(recipe.fogEnd),
            FloatBits(0.0001f),
            0u};
}

std::vector<uint8_t> Jpeg(const ImagePixels& image)
{
    return WriteJpeg(image, 92);
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

DemoIsland BuildDemoIsland(int number)
{
    const IslandRecipe& recipe = kRecipes[number - 1];
    DemoIsland island;
    island.number = number;
    island.field = recipe.generate(recipe.seed);
    const std::vector<float> shadows = CastShadows(island.field, recipe.sun);
    island.brightness = BrightnessLayer(shadows, kLitCap, kShadeLevel);
    island.shadeLevel = kShadeLevel;
    island.baseId = IslandBaseId(number);
    island.detailId = recipe.roughDetail ? kIslandRoughDetailId : kIslandDetailId;
    island.skyId = IslandSkyId(number);
    island.waterId = IslandWaterId(number);
    island.rippleId = kIslandRippleId;
    island.material = GroundMaterial();
    island.light = SunLight(recipe);
    island.fog = Fog(recipe);
    island.shading = ShadingPicture(SunShading(island.field, recipe.sun, shadows, kShadingAmbient));
    island.basePicture = BasePicture(island.field, recipe.palette, recipe.seed + 1000);
    island.sky = SkyAtlas(recipe.sky, recipe.sun, 1024);
    island.water = WaterPicture(recipe.water, recipe.seed + 2000);
    return island;
}

std::vector<TextureContainerRecord> SharedIslandTextures()
{
    return {{kIslandDetailId, WritePng(DetailPicture(256, 0.08f, 41), false)},
            {kIslandRoughDetailId, WritePng(DetailPicture(256, 0.13f, 42), false)},
            {kIslandRippleId, WritePng(RipplePicture(43), false)}};
}

std::vector<TextureContainerRecord> IslandTextures(const DemoIsland& island)
{
    return {{island.baseId, Jpeg(island.basePicture)},
            {island.skyId, Jpeg(island.sky)},
            {island.waterId, WritePng(island.water, true)}};
}

std::vector<int32_t> IslandTextureIds(const DemoIsland& island)
{
    return {island.baseId, island.detailId, island.skyId, island.waterId, island.rippleId};
}

bool WriteDemoIslands(const std::string& dataDir, std::vector<TextureContainerRecord> worldPictures,
                      const std::vector<int32_t>& worldPictureIds)
{
    for (TextureContainerRecord& record : SharedIslandTextures())
        worldPictures.push_back(std::move(record));
    bool ok = true;
    for (int number = 1; number <= kDemoIslandCount && ok; ++number)
    {
        const DemoIsland island = BuildDemoIsland(number);
        for (TextureContainerRecord& record : IslandTextures(island))
            worldPictures.push_back(std::move(record));
        std::vector<int32_t> ids = IslandTextureIds(island);
        ids.insert(ids.end(), worldPictureIds.begin(), worldPictureIds.end());
        const std::string suffix = std::to_string(number);
        ok = SaveImageFile(dataDir + "MapSHD" + suffix + ".map", WritePng(island.shading, true));
        ok = ok && WriteMapTextureList(dataDir + "Map" + suffix + ".tex", ids);
    }
    return ok && WriteWorldTextureContainer(dataDir + "Textures2.qvx", worldPictures);
}
} // namespace demo
