// Effect descriptions of the renderers, built once from their interfaces.
#include "engine/effects/QV7_EffectSources.h"

#include "platform/d3dx/EffectDescription.h"

#include <cstring>

namespace
{
using d3dx::ParameterType;

struct Interface
{
    const char* name;
    std::vector<const char*> techniques;
    std::vector<std::pair<const char*, ParameterType>> parameters;
    // The matrix that takes positions to clip space in the placeholder, and its texture.
    const char* transform;
    const char* texture;
};

std::string PlaceholderVertex(const char* transform)
{
    return std::string("in vec4 a_Position;\nin vec4 a_Diffuse;\nin vec4 a_TexCoord0;\nuniform mat4 ") + transform +
           ";\nout vec4 v_Colour;\nout vec2 v_Uv;\nvoid main()\n{\n    gl_Position = " + transform +
           " * vec4(a_Position.xyz, 1.0);\n    v_Colour = a_Diffuse;\n    v_Uv = a_TexCoord0.xy;\n}\n";
}

std::string PlaceholderFragment(const char* texture)
{
    return std::string("uniform sampler2D ") + texture +
           ";\nin vec4 v_Colour;\nin vec2 v_Uv;\nout vec4 o_Colour;\nvoid main()\n{\n    o_Colour = texture(" +
           texture + ", v_Uv) * v_Colour;\n}\n";
}

std::string Build(const Interface& i)
{
    d3dx::EffectDescription description;
    for (const auto& [name, type] : i.parameters)
    {
        d3dx::ParameterDescription parameter;
        parameter.name = name;
        parameter.type = type;
        if (std::strcmp(name, "mWorldMatrixArray") == 0)
            parameter.count = 26;
        description.parameters.push_back(parameter);
    }
    for (const char* technique : i.techniques)
    {
        d3dx::PassDescription pass;
        pass.name = "P0";
        pass.samplers.emplace_back(0, i.texture);
        pass.vertexSource = PlaceholderVertex(i.transform);
        pass.fragmentSource = PlaceholderFragment(i.texture);
        description.techniques.push_back({technique, {pass}});
    }
    return d3dx::WriteEffectDescription(description);
}

std::vector<EffectSource> BuildAll()
{
    const ParameterType M = ParameterType::Matrix, V = ParameterType::Vector, F = ParameterType::Float,
                        T = ParameterType::Texture, I = ParameterType::Int;
    const Interface interfaces[] = {
        {"Effect_Billboards_%d",
         {"Effects_BillBoard", "Effects_BillBoard2", "Effects_BillBoard3"},
         {{"InvView", M}, {"ProjView", M}, {"BillBoardTexture", T}},
         "ProjView",
         "BillBoardTexture"},
        {"ShadowMap",
         {"RenderScene", "RenderShadow"},
         {{"g_mWorldView", M}, {"g_mProj", M}, {"g_mViewToLightProj", M}, {"g_txShadow", T}},
         "g_mProj",
         "g_txShadow"},
        {"BillBoards",
         {"TBillBoard_Blending", "TBillBoard_BlendingFog", "TBillBoard_AlphaTest", "TBillBoard_AlphaTestFog"},
         {{"InvView", M},       {"ProjView", M},     {"Proj", M},         {"View", M},
          {"BillBoardTexture", T}, {"CamPosition", V}, {"CamDirection", V}, {"AlphaRef", F},
          {"Movement", F},      {"FogStart", F},     {"FogEnd", F},       {"EndDistance", F},
          {"EndFadingDistance", F}},
         "ProjView",
         "BillBoardTexture"},
        {"FadingVegetation",
         {"TFading"},
         {{"Proj", M}, {"View", M}, {"ProjView", M}, {"MeshTexture", T}, {"CamPosition", V}, {"CamDirection", V},
          {"AlphaRef", F}, {"EndDistance", F}, {"EndFadingDistance", F}, {"FogStart", F}, {"FogEnd", F}},
         "ProjView",
         "MeshTexture"},
        {"Trees",
         {"TTree", "TTree2"},
         {{"InvView", M}, {"Proj", M}, {"View", M}, {"BillBoardTexture", T}, {"CamPosition", V},
          {"CamDirection", V}, {"AlphaRef", F}, {"Distance", F}, {"WaterHeight", F}, {"FogStart", F},
          {"FogEnd", F}},
         "Proj",
         "BillBoardTexture"},
        {"Skinned",
         {"vsArray_11", "vsArray_20"},
         {{"lightDir", V}, {"I_a", V}, {"I_d", V}, {"I_s", V}, {"k_a", V}, {"k_d", V}, {"k_e", V},
          {"mWorldMatrixArray", M}, {"mViewProj", M}, {"World", M}, {"View", M}, {"AlphaRef", F},
          {"CurNumBones", I}, {"SkinTexture", T}},
         "mViewProj",
         "SkinTexture"},
        {"ShoreLines",
         {"TShoreLine"},
         {{"View", M}, {"Proj", M}, {"MeshTexture", T}, {"ShoreFloating", F}, {"FogStart", F}, {"FogEnd", F}},
         "Proj",
         "MeshTexture"},
        {"Items",
         {"TBillBoard_Item", "TItems_Fading"},
         {{"InvView", M}, {"ProjView", M}, {"BillBoardTexture", T}, {"CamPosition", V}, {"CamDirection", V},
          {"AlphaRef", F}, {"EndDistance", F}, {"EndFadingDistance", F}, {"Matrix", M}, {"Movement", F}},
         "ProjView",
         "BillBoardTexture"},
    };
    std::vector<EffectSource> sources;
    for (const Interface& i : interfaces)
        sources.push_back({i.name, Build(i)});
    return sources;
}
} // namespace

const std::vector<EffectSource>& EffectSources()
{
    static const std::vector<EffectSource> sources = BuildAll();
    return sources;
}

const std::string* FindEffectSource(const char* registryName)
{
    if (!registryName)
        return nullptr;
    for (const EffectSource& source : EffectSources())
    {
        if (std::strcmp(source.name, registryName) == 0)
            return &source.bytes;
        // "Effect_Billboards_%d": the numbered billboard effects share one description.
        const char* percent = std::strstr(source.name, "%d");
        if (percent && std::strncmp(registryName, source.name, size_t(percent - source.name)) == 0)
        {
            const char* digits = registryName + (percent - source.name);
            if (*digits && std::strspn(digits, "0123456789") == std::strlen(digits))
                return &source.bytes;
        }
    }
    return nullptr;
}
