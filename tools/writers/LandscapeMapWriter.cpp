// Map%d.map in the layout its reader expects, field by field.
#include "tools/writers/LandscapeMapWriter.h"

#include <algorithm>
#include <cstring>

namespace
{
uint32_t FloatBits(float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void WriteLayer(BinaryWriter& file, const std::vector<float>& layer)
{
    const size_t count = std::min(layer.size(), size_t(LandscapeMapDescription::kSamples));
    if (count)
        file.WriteBytes(layer.data(), count * sizeof(float));
    const std::vector<float> zeros(size_t(LandscapeMapDescription::kSamples) - count, 0.0f);
    if (!zeros.empty())
        file.WriteBytes(zeros.data(), zeros.size() * sizeof(float));
}

void WriteColour(BinaryWriter& file, const D3DCOLORVALUE& colour)
{
    file.WriteFloat(colour.r);
    file.WriteFloat(colour.g);
    file.WriteFloat(colour.b);
    file.WriteFloat(colour.a);
}

void WriteVector(BinaryWriter& file, const D3DVECTOR& vector)
{
    file.WriteFloat(vector.x);
    file.WriteFloat(vector.y);
    file.WriteFloat(vector.z);
}

void WriteMaterial(BinaryWriter& file, const D3DMATERIAL9& material)
{
    WriteColour(file, material.Diffuse);
    WriteColour(file, material.Ambient);
    WriteColour(file, material.Specular);
    WriteColour(file, material.Emissive);
    file.WriteFloat(material.Power);
}

void WriteLight(BinaryWriter& file, const D3DLIGHT9& light)
{
    file.WriteUInt32(uint32_t(light.Type));
    WriteColour(file, light.Diffuse);
    WriteColour(file, light.Specular);
    WriteColour(file, light.Ambient);
    WriteVector(file, light.Position);
    WriteVector(file, light.Direction);
    for (float value : {light.Range, light.Falloff, light.Attenuation0, light.Attenuation1,
                        light.Attenuation2, light.Theta, light.Phi})
        file.WriteFloat(value);
}
} // namespace

LandscapeFogWords MakeLandscapeFog(bool enable, uint32_t colour, uint32_t vertexMode, uint32_t tableMode,
                                   float start, float end, float density, bool rangeFog)
{
    LandscapeFogWords fog;
    fog.words[0] = enable ? 1u : 0u;
    fog.words[1] = colour;
    fog.words[2] = vertexMode;
    fog.words[3] = tableMode;
    fog.words[4] = FloatBits(start);
    fog.words[5] = FloatBits(end);
    fog.words[6] = FloatBits(density);
    fog.words[7] = rangeFog ? 1u : 0u;
    return fog;
}

LandscapeMapDescription MakeFlatLandscapeMap()
{
    LandscapeMapDescription map;
    map.heights.assign(LandscapeMapDescription::kSamples, 0.0f);
    map.brightness.assign(LandscapeMapDescription::kSamples, 0.0f);
    map.thirdLayer.assign(LandscapeMapDescription::kSamples, 0.0f);
    map.material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    map.material.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
    map.light.Type = D3DLIGHT_DIRECTIONAL;
    map.light.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    map.light.Ambient = {0.2f, 0.2f, 0.2f, 1.0f};
    map.light.Direction = {0.0f, -0.8f, 0.6f};
    map.fog =
        MakeLandscapeFog(false, 0xFF8090A0u, D3DFOG_LINEAR, D3DFOG_NONE, 5000.0f, 30000.0f, 1.0f, false);
    return map;
}

BinaryWriter BuildLandscapeMap(const LandscapeMapDescription& map)
{
    BinaryWriter file;
    WriteLayer(file, map.heights);
    WriteLayer(file, map.brightness);
    WriteLayer(file, map.thirdLayer);
    file.WriteFloat(map.shadeLevel);
    for (float value : map.spare)
        file.WriteFloat(value);
    file.WriteInt32(map.baseTextureId);
    file.WriteInt32(map.detailTextureId);
    WriteMaterial(file, map.material);
    WriteLight(file, map.light);
    for (uint32_t word : map.fog.words)
        file.WriteUInt32(word);
    file.WriteInt32(map.skyTextureId);
    file.WriteInt32(map.waterTextureId1);
    file.WriteInt32(map.waterTextureId2);
    file.WriteFloat(map.waterLevel);
    return file;
}

bool WriteLandscapeMap(const std::string& path, const LandscapeMapDescription& map)
{
    return BuildLandscapeMap(map).SaveToFile(path);
}
