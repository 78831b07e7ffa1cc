// Reading Map%d.map into the landscape, in the order the race loader builds
// the land: shading picture, grids, textures, material and sun, then both
// kinds of normal in one pass, fog, then the sky and water values.
#include "world/LandscapeMapFile.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/QV7_Landscape.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

void (*g_onLandscapeMapLoaded)(const QV7_Landscape& landscape, const QV7_TextureList* mapTextures) = nullptr;

namespace
{
const char* const kModule = ".\\QV7_Landscape";
// No island is higher or deeper than this, nor lit brighter; a value past it
// is a broken file, not a landscape (it would overflow the normals).
constexpr float kLargestValue = 1.0e6f;

std::string MapPath(const std::string& dataDir, const char* pattern, int mapNumber)
{
    char name[64];
    std::snprintf(name, sizeof name, pattern, mapNumber);
    return dataDir + name;
}

[[noreturn]] void Broken(const std::string& path, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

void Broken(const std::string& path, int line, const char* format, ...)
{
    char reason[200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(reason, sizeof reason, format, args);
    va_end(args);
    QV7_Logger::Log(g_logger, "Error: Map File %s is broken: %s", path.c_str(), reason);
    ThrowBrokenString(kModule, line);
}

bool Plausible(float value)
{
    return std::isfinite(value) && std::fabs(value) <= kLargestValue;
}

void ReadLayer(BinaryReader& file, LandscapeGrid<float>& grid)
{
    file.ReadBytes(grid.data(), grid.size() * sizeof(float));
}

void CheckLayer(const LandscapeGrid<float>& grid, const std::string& path, const char* name)
{
    for (size_t i = 0; i < grid.size(); ++i)
        if (!Plausible(grid[i]))
            Broken(path, __LINE__, "%s at sample (%d, %d) is %g", name, int(i % QV7_Landscape::kGridSide),
                   int(i / QV7_Landscape::kGridSide), double(grid[i]));
}

D3DCOLORVALUE ReadColour(BinaryReader& file)
{
    D3DCOLORVALUE colour;
    colour.r = file.ReadFloat();
    colour.g = file.ReadFloat();
    colour.b = file.ReadFloat();
    colour.a = file.ReadFloat();
    return colour;
}

D3DVECTOR ReadVector(BinaryReader& file)
{
    D3DVECTOR vector;
    vector.x = file.ReadFloat();
    vector.y = file.ReadFloat();
    vector.z = file.ReadFloat();
    return vector;
}

bool AllPlausible(const float* values, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        if (!Plausible(values[i]))
            return false;
    return true;
}

void ReadMaterial(BinaryReader& file, D3DMATERIAL9& material, const std::string& path)
{
    material.Diffuse = ReadColour(file);
    material.Ambient = ReadColour(file);
    material.Specular = ReadColour(file);
    material.Emissive = ReadColour(file);
    material.Power = file.ReadFloat();
    if (!AllPlausible(&material.Diffuse.r, sizeof material / sizeof(float)))
        Broken(path, __LINE__, "the material holds a value that is not a colour");
}

void ReadLight(BinaryReader& file, D3DLIGHT9& light, const std::string& path)
{
    const uint32_t type = file.ReadUInt32();
    light.Diffuse = ReadColour(file);
    light.Specular = ReadColour(file);
    light.Ambient = ReadColour(file);
    light.Position = ReadVector(file);
    light.Direction = ReadVector(file);
    for (float* value : {&light.Range, &light.Falloff, &light.Attenuation0, &light.Attenuation1,
                         &light.Attenuation2, &light.Theta, &light.Phi})
        *value = file.ReadFloat();
    if (type < D3DLIGHT_POINT || type > D3DLIGHT_DIRECTIONAL)
        Broken(path, __LINE__, "light type %u is not a point, spot or directional light", type);
    light.Type = D3DLIGHTTYPE(type);
    if (!AllPlausible(&light.Diffuse.r, (sizeof light - sizeof light.Type) / sizeof(float)))
        Broken(path, __LINE__, "the sun light holds a value that is not a number");
    const D3DVECTOR& d = light.Direction;
    if (type != D3DLIGHT_POINT && d.x == 0.0f && d.y == 0.0f && d.z == 0.0f)
        Broken(path, __LINE__, "the sun light has no direction");
}

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void ReadFog(BinaryReader& file, uint32_t* fog, const std::string& path)
{
    for (int i = 0; i < 8; ++i)
        fog[i] = file.ReadUInt32();
    if (fog[0] > 1 || fog[7] > 1)
        Broken(path, __LINE__, "fog switch words %u and %u must be 0 or 1", fog[0], fog[7]);
    if (fog[2] > D3DFOG_LINEAR || fog[3] > D3DFOG_LINEAR)
        Broken(path, __LINE__, "fog vertex mode %u or table mode %u is not a fog mode", fog[2], fog[3]);
    for (int i = 4; i < 7; ++i)
        if (!std::isfinite(FloatOf(fog[i])))
            Broken(path, __LINE__, "fog start, end or density 0x%08x is not a number", fog[i]);
}

void LoadShadingPicture(QV7_Landscape& landscape, const std::string& path)
{
    IDirect3DTexture9* picture = LoadTextureFromFile(path);
    if (landscape.m_ShadowTexture)
    {
        if (g_scene)
            g_scene->ForgetTexture(landscape.m_ShadowTexture);
        landscape.m_ShadowTexture->Release();
    }
    landscape.m_ShadowTexture = picture;
    // The island is drawn without its sun shading on the buggies then.
    if (!picture)
        QV7_Logger::Log(g_logger, "WARNING: Map shading picture %s could not be loaded", path.c_str());
}

void OpenMapFile(BinaryReader& file, const std::string& path)
{
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "Error: Loading Map File %s", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    if (file.Size() < kLandscapeMapFileSize)
        Broken(path, __LINE__, "%zu bytes, a map holds %zu", file.Size(), kLandscapeMapFileSize);
}

void ReadGrids(BinaryReader& file, QV7_Landscape& landscape, const std::string& path)
{
    ReadLayer(file, landscape.m_Heights);
    ReadLayer(file, landscape.m_Brightness);
    ReadLayer(file, landscape.m_ThirdLayer);
    landscape.m_ShadeLevel = file.ReadFloat();
    for (float& value : landscape.m_Spare)
        value = file.ReadFloat();
    CheckLayer(landscape.m_Heights, path, "height");
    CheckLayer(landscape.m_Brightness, path, "brightness");
    if (!Plausible(landscape.m_ShadeLevel))
        Broken(path, __LINE__, "shade level %g is not a number", double(landscape.m_ShadeLevel));
}

TextureRecord* FindTexture(const QV7_TextureList* textures, int32_t id)
{
    return textures ? textures->FindByCompileId(uint32_t(id)) : nullptr;
}

void ReadMapFile(QV7_Landscape& landscape, const std::string& path, const QV7_TextureList* textures)
{
    BinaryReader file;
    OpenMapFile(file, path);
    ReadGrids(file, landscape, path);
    landscape.ComputeMaximumHeight();
    landscape.m_CameraCell = D3DXVECTOR3(-1.0f, -1.0f, -1.0f);
    landscape.m_BaseTextureId = file.ReadInt32();
    landscape.m_DetailTextureId = file.ReadInt32();
    landscape.m_BaseTexture = FindTexture(textures, landscape.m_BaseTextureId);
    landscape.m_DetailTexture = FindTexture(textures, landscape.m_DetailTextureId);
    ReadMaterial(file, landscape.m_Material, path);
    ReadLight(file, landscape.m_Light, path);
    // The cell normals need only the heights, the lighting ones the sun as
    // well: both are built in one pass once the sun is read.
    landscape.ComputeNormals();
    ReadFog(file, landscape.m_Fog, path);
    landscape.m_SkyTextureId = file.ReadInt32();
    landscape.m_WaterTextureIds[0] = file.ReadInt32();
    landscape.m_WaterTextureIds[1] = file.ReadInt32();
    landscape.m_WaterLevel = file.ReadFloat();
    // The size was checked up front; a failed read here is a fault of ours.
    if (file.Failed())
        Broken(path, __LINE__, "a read past the end");
    if (!Plausible(landscape.m_WaterLevel))
        Broken(path, __LINE__, "water level %g is not a number", double(landscape.m_WaterLevel));
}
} // namespace

void LoadLandscapeMap(QV7_Landscape& landscape, const std::string& dataDir, int mapNumber,
                      const QV7_TextureList* mapTextures)
{
    LoadShadingPicture(landscape, MapPath(dataDir, "MapSHD%d.map", mapNumber));
    landscape.CreateForMap();
    try
    {
        ReadMapFile(landscape, MapPath(dataDir, "Map%d.map", mapNumber), mapTextures);
    }
    catch (const CDException&)
    {
        // Nothing of a broken map answers a query or gets drawn.
        landscape.Unload();
        throw;
    }
    if (g_onLandscapeMapLoaded)
        g_onLandscapeMapLoaded(landscape, mapTextures);
    landscape.ApplySunLight();
    QV7_Logger::Log(g_logger, "INFO: Landscape: Map File %d loaded", mapNumber);
}
