// qv7-dump Map%d.map [x,z ...]: the landscape as the race loader builds it,
// with its shading picture, Map%d.tex and Textures2.qvx from the file's
// folder, on the null graphics back-end; each x,z argument adds a height and
// normal query.
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/win/Backend.h"
#include "tools/dump/DumpKinds.h"
#include "tools/dump/JsonWriter.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace
{
// The engine on the null device, torn down when the dump ends.
struct NullEngine
{
    NullEngine()
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
        engine = std::make_unique<QV7_Engine>();
        engine->m_FullScreen = 0;
        ready = !engine->m_Failed && engine->Initialize(0) == 1 && g_landscape;
    }
    std::unique_ptr<QV7_Engine> engine;
    bool ready = false;
};

void Colour(JsonWriter& out, const char* key, const D3DCOLORVALUE& c)
{
    out.NumberArray(key, {c.r, c.g, c.b, c.a});
}

void Vector(JsonWriter& out, const char* key, const D3DVECTOR& v)
{
    out.NumberArray(key, {v.x, v.y, v.z});
}

void Range(JsonWriter& out, const char* key, const LandscapeGrid<float>& grid)
{
    const auto [low, high] = std::minmax_element(grid.begin(), grid.end());
    out.NumberArray(key, {*low, *high});
}

void Texture(JsonWriter& out, const char* key, int32_t id, const TextureRecord* found)
{
    out.Key(key);
    out.BeginObject();
    out.Field("id", int(id));
    out.Field("found", found != nullptr);
    out.EndObject();
}

void Material(JsonWriter& out, const D3DMATERIAL9& m)
{
    out.Key("material");
    out.BeginObject();
    Colour(out, "diffuse", m.Diffuse);
    Colour(out, "ambient", m.Ambient);
    Colour(out, "specular", m.Specular);
    Colour(out, "emissive", m.Emissive);
    out.Field("power", m.Power);
    out.EndObject();
}

void Light(JsonWriter& out, const D3DLIGHT9& l)
{
    out.Key("light");
    out.BeginObject();
    out.Field("type", int(l.Type));
    Colour(out, "diffuse", l.Diffuse);
    Colour(out, "specular", l.Specular);
    Colour(out, "ambient", l.Ambient);
    Vector(out, "position", l.Position);
    Vector(out, "direction", l.Direction);
    out.NumberArray("rangeFalloffAttenuationThetaPhi",
                    {l.Range, l.Falloff, l.Attenuation0, l.Attenuation1, l.Attenuation2, l.Theta, l.Phi});
    out.EndObject();
}

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void Fog(JsonWriter& out, const uint32_t* fog)
{
    char colour[16];
    std::snprintf(colour, sizeof colour, "0x%08X", fog[1]);
    out.Key("fog");
    out.BeginObject();
    out.Field("enable", int(fog[0]));
    out.Field("colour", colour);
    out.Field("vertexMode", int(fog[2]));
    out.Field("tableMode", int(fog[3]));
    out.Field("start", FloatOf(fog[4]));
    out.Field("end", FloatOf(fog[5]));
    out.Field("density", FloatOf(fog[6]));
    out.Field("rangeFog", int(fog[7]));
    out.EndObject();
}

void ShadingPicture(JsonWriter& out, IDirect3DTexture9* picture)
{
    out.Key("shadingPicture");
    out.BeginObject();
    out.Field("loaded", picture != nullptr);
    D3DSURFACE_DESC desc{};
    if (picture && SUCCEEDED(picture->GetLevelDesc(0, &desc)))
    {
        out.Field("width", unsigned(desc.Width));
        out.Field("height", unsigned(desc.Height));
    }
    out.EndObject();
}

// "x,z" arguments; anything else is a usage error of that argument, reported and skipped.
void Queries(JsonWriter& out, const QV7_Landscape& land, const std::vector<std::string>& args)
{
    out.Key("queries");
    out.BeginArray();
    for (const std::string& arg : args)
    {
        float x = 0.0f, z = 0.0f;
        char rest = 0;
        if (std::sscanf(arg.c_str(), "%f,%f%c", &x, &z, &rest) != 2)
        {
            std::fprintf(stderr, "qv7-dump: query %s is not x,z\n", arg.c_str());
            continue;
        }
        const D3DXVECTOR3 n = land.GetNormal(x, z);
        out.BeginObject();
        out.Field("x", x);
        out.Field("z", z);
        out.Field("height", land.GetHeight(x, z));
        out.NumberArray("normal", {n.x, n.y, n.z});
        out.EndObject();
    }
    out.EndArray();
}

void Print(JsonWriter& out, const QV7_Landscape& land, int number, const QV7_TextureList& textures,
           const std::vector<std::string>& args)
{
    out.BeginObject();
    out.Field("kind", "Map%d.map");
    out.Field("map", number);
    out.Field("width", land.m_Width);
    out.Field("height", land.m_Height);
    out.Field("samples", int64_t(land.m_Heights.size()));
    Range(out, "heightRange", land.m_Heights);
    out.Field("maxHeight", land.m_MaxHeight);
    Range(out, "brightnessRange", land.m_Brightness);
    out.Field("shadeLevel", land.m_ShadeLevel);
    out.Field("mapTextures", textures.Count());
    Texture(out, "baseTexture", land.m_BaseTextureId, land.m_BaseTexture);
    Texture(out, "detailTexture", land.m_DetailTextureId, land.m_DetailTexture);
    out.Field("skyTextureId", int(land.m_SkyTextureId));
    out.NumberArray("waterTextureIds",
                    {double(land.m_WaterTextureIds[0]), double(land.m_WaterTextureIds[1])});
    out.Field("waterLevel", land.m_WaterLevel);
    ShadingPicture(out, land.m_ShadowTexture);
    Material(out, land.m_Material);
    Light(out, land.m_Light);
    Fog(out, land.m_Fog);
    Queries(out, land, args);
    out.EndObject();
}
} // namespace

bool DumpLandscapeMap(const DumpRequest& request, JsonWriter& out)
{
    NullEngine stage;
    if (!stage.ready)
        return false;
    const int number = NumberInName(request.fileName, "Map");
    QV7_TextureList textures;
    textures.LoadMapTextures(request.folder + "Map" + std::to_string(number) + ".tex",
                             request.folder + "Textures2.qvx", nullptr);
    LoadLandscapeMap(*g_landscape, request.folder, number, &textures);
    Print(out, *g_landscape, number, textures, request.args);
    g_landscape->Unload();
    return true;
}
