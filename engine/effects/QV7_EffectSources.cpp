// Effect descriptions of the renderers, built once from their interfaces.
#include "engine/effects/QV7_EffectSources.h"

#include "engine/effects/QV7_BillboardEffect.h"
#include "engine/effects/QV7_SkinnedEffect.h"
#include "engine/effects/QV7_WorldEffects.h"
#include "engine/effects/QV7_TreesEffect.h"
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
                        T = ParameterType::Texture;
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
    // The driver figures' effect has its own GLSL.
    sources.insert(sources.begin() + 5, {"Skinned", SkinnedEffectSource()});
    // The effect libraries' billboards have their own GLSL too.
    sources[0].bytes = BillboardEffectSource();
    // The island effects with GLSL of their own take their placeholders' place.
    const std::pair<const char*, const std::string&> own[] = {
        {"Items", ItemsEffectSource()},
        {"BillBoards", VegetationBillboardsEffectSource()},
        {"FadingVegetation", FadingVegetationEffectSource()},
        {"ShoreLines", ShoreLinesEffectSource()},
    };
    for (const auto& [name, bytes] : own)
        for (EffectSource& source : sources)
            if (std::strcmp(source.name, name) == 0)
                source.bytes = bytes;
    // So do the trees.
    for (EffectSource& source : sources)
        if (std::strcmp(source.name, "Trees") == 0)
            source.bytes = TreesEffectSource();
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

// ---------------------------------------------------------------------------
// The intro movie's video effect.
//
// Every pass draws the full-screen quad (positions through WorldViewProj,
// texture coordinates shifted by the tap UvBase[UvOffsetToUse]); the passes
// set their own states so that whatever the game left on the device (culling,
// depth, blending) cannot hide the picture. The taps (set by the movie from
// the texel size) are: 0 none; 1 half a texel; 2 a thousandth of a texel,
// which keeps point samples clear of texel edges; 3 two-thirds of a texel;
// 4-6, 7-9 and 10-12 rings of one, two-thirds and one half texel at 0, 120 and
// 240 degrees; 13-15 and 16-18 the first two rings turned by 180 degrees;
// 19 minus half a texel.
namespace
{
const char* const kVideoVertex = R"GLSL(in vec4 a_Position;
in vec4 a_TexCoord0;
uniform mat4 WorldViewProj;
uniform float UvOffsetToUse;
uniform vec4 UvBase[20];
out vec2 v_Uv;
void main()
{
    gl_Position = WorldViewProj * vec4(a_Position.xyz, 1.0);
    v_Uv = a_TexCoord0.xy + UvBase[clamp(int(UvOffsetToUse + 0.5), 0, 19)].xy;
}
)GLSL";

// Packed 4:2:2 YUV in an A8L8 texture: each texel holds one pixel's Y and,
// alternately, the pair's U or V. The texels are fetched whole (point
// sampling: a filtered fetch would mix U with V), Y from the pixel's own
// texel and U, V from its pair, then BT.601 video range to RGB.
std::string PackedYuvFragment(bool yuy2)
{
    const char* y = yuy2 ? "here.r" : "here.a";
    const char* u = yuy2 ? "even.a" : "even.r";
    const char* v = yuy2 ? "odd.a" : "odd.r";
    return std::string(R"GLSL(uniform sampler2D BlurTex;
in vec2 v_Uv;
out vec4 o_Colour;
void main()
{
    ivec2 size = textureSize(BlurTex, 0);
    ivec2 at = clamp(ivec2(floor(v_Uv * vec2(size))), ivec2(0), size - 1);
    vec4 here = texelFetch(BlurTex, at, 0);
    vec4 even = texelFetch(BlurTex, ivec2(at.x & ~1, at.y), 0);
    vec4 odd = texelFetch(BlurTex, ivec2(min(at.x | 1, size.x - 1), at.y), 0);
    float y = 1.164383 * ()GLSL") +
           y + " - 16.0 / 255.0);\n    float u = " + u + " - 128.0 / 255.0;\n    float v = " + v +
           R"GLSL( - 128.0 / 255.0;
    vec3 rgb = vec3(y + 1.596027 * v, y - 0.391762 * u - 0.812968 * v, y + 2.017232 * u);
    o_Colour = vec4(clamp(rgb, 0.0, 1.0), 1.0);
}
)GLSL";
}

const char* const kCopyFragment = R"GLSL(uniform sampler2D BlurTex;
in vec2 v_Uv;
out vec4 o_Colour;
void main()
{
    o_Colour = vec4(texture(BlurTex, v_Uv).rgb, 1.0);
}
)GLSL";

// The centre and the ring taps, averaged.
const char* const kBlurFragment = R"GLSL(uniform sampler2D BlurTex;
uniform vec4 UvBase[20];
in vec2 v_Uv;
out vec4 o_Colour;
void main()
{
    vec3 sum = texture(BlurTex, v_Uv).rgb;
    for (int i = 4; i <= 18; ++i)
        sum += texture(BlurTex, v_Uv + UvBase[i].xy).rgb;
    o_Colour = vec4(sum / 16.0, 1.0);
}
)GLSL";

// Brightness scales, contrast stretches about mid-grey, saturation mixes
// with the luma grey, and hue (radians) turns the colour about the grey
// axis; 1, 1, 1 and 0 give back the picture exactly.
const char* const kColorControlsFragment = R"GLSL(uniform sampler2D BlurTex;
uniform float Brightness;
uniform float Contrast;
uniform float Saturation;
uniform float Hue;
in vec2 v_Uv;
out vec4 o_Colour;
void main()
{
    vec3 c = texture(BlurTex, v_Uv).rgb * Brightness;
    c = (c - 0.5) * Contrast + 0.5;
    c = mix(vec3(dot(c, vec3(0.299, 0.587, 0.114))), c, Saturation);
    vec3 k = vec3(0.57735027);
    float cs = cos(Hue), sn = sin(Hue);
    c = c * cs + cross(k, c) * sn + k * dot(k, c) * (1.0 - cs);
    o_Colour = vec4(clamp(c, 0.0, 1.0), 1.0);
}
)GLSL";

std::string BuildVideoEffect()
{
    d3dx::EffectDescription description;
    auto add = [&](const std::string& name, ParameterType type) {
        d3dx::ParameterDescription parameter;
        parameter.name = name;
        parameter.type = type;
        description.parameters.push_back(parameter);
    };
    // Each tap is a parameter of its own, as the movie sets them one by one.
    for (int i = 0; i < 20; ++i)
        add("UvBase[" + std::to_string(i) + "]", ParameterType::Vector);
    add("SrcTexWidth", ParameterType::Float);
    add("SrcTexHeight", ParameterType::Float);
    add("UvOffsetToUse", ParameterType::Float);
    add("WorldViewProj", ParameterType::Matrix);
    add("BlurTex", ParameterType::Texture);
    add("Brightness", ParameterType::Float);
    add("Contrast", ParameterType::Float);
    add("Saturation", ParameterType::Float);
    add("Hue", ParameterType::Float);

    const std::pair<const char*, std::string> techniques[] = {
        {"Simple", kCopyFragment},
        {"SimpleUYVY", PackedYuvFragment(false)},
        {"SimpleYUY2", PackedYuvFragment(true)},
        {"Blur", kBlurFragment},
        {"ColorControls", kColorControlsFragment},
    };
    for (const auto& [name, fragment] : techniques)
    {
        d3dx::PassDescription pass;
        pass.name = "P0";
        pass.states = {{D3DRS_ZENABLE, 0},          {D3DRS_ZWRITEENABLE, 0},    {D3DRS_CULLMODE, D3DCULL_NONE},
                       {D3DRS_ALPHABLENDENABLE, 0}, {D3DRS_ALPHATESTENABLE, 0}, {D3DRS_FOGENABLE, 0}};
        pass.samplers.emplace_back(0, "BlurTex");
        pass.vertexSource = kVideoVertex;
        pass.fragmentSource = fragment;
        description.techniques.push_back({name, {pass}});
    }
    return d3dx::WriteEffectDescription(description);
}
} // namespace

const std::string& VideoEffectSource()
{
    static const std::string source = BuildVideoEffect();
    return source;
}
