// Vertex meanings (ours, as the island files store them):
// - item billboards: POSITION0 the item (w 1), POSITION1 the corner offset
//   (x right, y up) with the visibility in w; hidden corners collapse.
// - vegetation billboards: POSITION the plant's base point, POSITION1 the
//   corner offset; only the top corners sway with the wind phase.
// - vegetation meshes and shorelines: world-space vertices.
// Every effect fades by distance between EndDistance and EndFadingDistance
// where it has them, and fogs linearly between FogStart and FogEnd when
// FogEnd > FogStart (otherwise the fog factor is 1: unfogged).
#include "engine/effects/QV7_WorldEffects.h"

#include "platform/d3dx/EffectDescription.h"

#include <utility>
#include <vector>

namespace
{
using d3dx::ParameterType;

const char* const kCommonVertex = R"GLSL(
float LinearFog(float start, float end, float distance)
{
    return end > start ? clamp((end - distance) / (end - start), 0.0, 1.0) : 1.0;
}
float DistanceFade(float end, float endFading, float distance)
{
    return endFading > end ? clamp((endFading - distance) / (endFading - end), 0.0, 1.0)
                           : (distance < end ? 1.0 : 0.0);
}
)GLSL";

const char* const kItemVertex = R"GLSL(
in vec4 a_Position;
in vec4 a_Position1;
in vec4 a_Diffuse;
in vec4 a_TexCoord0;
uniform mat4 InvView;
uniform mat4 ProjView;
uniform vec4 CamPosition;
uniform float EndDistance;
uniform float EndFadingDistance;
uniform float Movement;
out vec4 v_Colour;
out vec2 v_Uv;
void main()
{
    // Right and up of the camera, so the piece always faces it.
    vec3 right = InvView[0].xyz;
    vec3 up = InvView[1].xyz;
    float shown = a_Position1.w;
    float bob = 6.0 * sin(2.0 * Movement + 0.01 * (a_Position.x + a_Position.z));
    vec3 p = a_Position.xyz + vec3(0.0, bob, 0.0) + shown * (right * a_Position1.x + up * a_Position1.y);
    gl_Position = ProjView * vec4(p, 1.0);
    float fade = DistanceFade(EndDistance, EndFadingDistance, distance(a_Position.xyz, CamPosition.xyz));
    v_Colour = vec4(a_Diffuse.rgb, a_Diffuse.a * fade * shown);
    v_Uv = a_TexCoord0.xy;
}
)GLSL";

const char* const kBillboardVertex = R"GLSL(
in vec4 a_Position;
in vec4 a_Position1;
in vec4 a_Diffuse;
in vec4 a_TexCoord0;
uniform mat4 InvView;
uniform mat4 ProjView;
uniform vec4 CamPosition;
uniform float EndDistance;
uniform float EndFadingDistance;
uniform float Movement;
uniform float FogStart;
uniform float FogEnd;
out vec4 v_Colour;
out vec2 v_Uv;
out float v_Fog;
void main()
{
    // Upright plants turn about the vertical only: InvView is the view with
    // its tilt and translation taken out, whose first column is the camera's
    // right axis in the world.
    vec3 right = vec3(InvView[0][0], 0.0, InvView[2][0]);
    right = dot(right, right) > 1e-8 ? normalize(right) : vec3(1.0, 0.0, 0.0);
    float sway = sin(Movement + 0.002 * a_Position.x + 0.003 * a_Position.z) * 0.12 * a_Position1.y;
    vec3 p = a_Position.xyz + right * a_Position1.x + vec3(sway, a_Position1.y, 0.5 * sway);
    gl_Position = ProjView * vec4(p, 1.0);
    float d = distance(a_Position.xyz, CamPosition.xyz);
    v_Colour = vec4(a_Diffuse.rgb, a_Diffuse.a * DistanceFade(EndDistance, EndFadingDistance, d));
    v_Uv = a_TexCoord0.xy;
    v_Fog = LinearFog(FogStart, FogEnd, d);
}
)GLSL";

const char* const kMeshVertex = R"GLSL(
in vec4 a_Position;
in vec4 a_Diffuse;
in vec4 a_TexCoord0;
uniform mat4 ProjView;
uniform vec4 CamPosition;
uniform float EndDistance;
uniform float EndFadingDistance;
uniform float FogStart;
uniform float FogEnd;
out vec4 v_Colour;
out vec2 v_Uv;
out float v_Fog;
void main()
{
    gl_Position = ProjView * vec4(a_Position.xyz, 1.0);
    float d = distance(a_Position.xyz, CamPosition.xyz);
    v_Colour = vec4(a_Diffuse.rgb, a_Diffuse.a * DistanceFade(EndDistance, EndFadingDistance, d));
    v_Uv = a_TexCoord0.xy;
    v_Fog = LinearFog(FogStart, FogEnd, d);
}
)GLSL";

const char* const kShoreVertex = R"GLSL(
in vec4 a_Position;
in vec4 a_Diffuse;
in vec4 a_TexCoord0;
uniform mat4 View;
uniform mat4 Proj;
uniform float ShoreFloating;
uniform float FogStart;
uniform float FogEnd;
out vec4 v_Colour;
out vec2 v_Uv;
out float v_Fog;
void main()
{
    // The surf rolls in and out across the strip (v 0 on the beach, 1 at sea)
    // and the sea-side edge rises and falls a little.
    float wave = sin(ShoreFloating + 0.0007 * (a_Position.x + a_Position.z));
    vec3 p = a_Position.xyz + vec3(0.0, 1.5 * wave * a_TexCoord0.y, 0.0);
    vec4 view = View * vec4(p, 1.0);
    gl_Position = Proj * view;
    v_Colour = a_Diffuse;
    v_Uv = vec2(a_TexCoord0.x, a_TexCoord0.y + 0.2 * wave);
    v_Fog = LinearFog(FogStart, FogEnd, length(view.xyz));
}
)GLSL";

// The fragment of all four: texture times colour, the effect's own alpha
// reference, then Direct3D's after-shader steps.
const char* const kFragment = R"GLSL(
uniform sampler2D Picture;
uniform float AlphaRef;
in vec4 v_Colour;
in vec2 v_Uv;
in float v_Fog;
out vec4 o_Colour;
void main()
{
    vec4 texel = texture(Picture, v_Uv);
    if (texel.a * 255.0 < AlphaRef)
        discard;
    vec4 colour = texel * v_Colour;
    if (colour.a <= 0.0)
        discard;
    o_Colour = qv7_AfterShader(colour, v_Fog);
}
)GLSL";

std::string Fragment(const char* texture, bool fogged)
{
    std::string source = std::string("#define Picture ") + texture + "\n" + kFragment;
    if (!fogged)
        source = "#define v_Fog 1.0\n" + source;
    // The vertex stage declares v_Fog only where it fogs.
    if (!fogged)
    {
        const std::string line = "in float v_Fog;\n";
        source.erase(source.find(line), line.size());
    }
    return source;
}

using States = std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>>;

const States kBlended = {{D3DRS_ALPHABLENDENABLE, TRUE},
                         {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                         {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                         {D3DRS_ZWRITEENABLE, FALSE},
                         {D3DRS_CULLMODE, D3DCULL_NONE}};
const States kTested = {{D3DRS_ALPHABLENDENABLE, TRUE},
                        {D3DRS_SRCBLEND, D3DBLEND_SRCALPHA},
                        {D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA},
                        {D3DRS_ZWRITEENABLE, TRUE},
                        {D3DRS_CULLMODE, D3DCULL_NONE}};

struct Technique
{
    const char* name;
    const States* states;
};

std::string Build(const std::vector<std::pair<const char*, ParameterType>>& parameters,
                  const std::vector<Technique>& techniques, const char* vertex, const char* texture,
                  bool fogged)
{
    d3dx::EffectDescription description;
    for (const auto& [name, type] : parameters)
        description.parameters.push_back({name, type, 1});
    for (const Technique& technique : techniques)
    {
        d3dx::PassDescription pass;
        pass.name = "P0";
        pass.states = *technique.states;
        pass.samplers.emplace_back(0, texture);
        pass.vertexSource = std::string(kCommonVertex) + vertex;
        pass.fragmentSource = Fragment(texture, fogged);
        description.techniques.push_back({technique.name, {pass}});
    }
    return d3dx::WriteEffectDescription(description);
}

constexpr ParameterType M = ParameterType::Matrix, V = ParameterType::Vector, F = ParameterType::Float,
                        T = ParameterType::Texture;
} // namespace

const std::string& ItemsEffectSource()
{
    static const std::string bytes = Build({{"InvView", M},
                                            {"ProjView", M},
                                            {"BillBoardTexture", T},
                                            {"CamPosition", V},
                                            {"CamDirection", V},
                                            {"AlphaRef", F},
                                            {"EndDistance", F},
                                            {"EndFadingDistance", F},
                                            {"Matrix", M},
                                            {"Movement", F}},
                                           {{"TBillBoard_Item", &kTested}, {"TItems_Fading", &kBlended}},
                                           kItemVertex, "BillBoardTexture", false);
    return bytes;
}

const std::string& VegetationBillboardsEffectSource()
{
    static const std::string bytes = Build({{"InvView", M},
                                            {"ProjView", M},
                                            {"Proj", M},
                                            {"View", M},
                                            {"BillBoardTexture", T},
                                            {"CamPosition", V},
                                            {"CamDirection", V},
                                            {"AlphaRef", F},
                                            {"Movement", F},
                                            {"FogStart", F},
                                            {"FogEnd", F},
                                            {"EndDistance", F},
                                            {"EndFadingDistance", F}},
                                           {{"TBillBoard_Blending", &kBlended},
                                            {"TBillBoard_BlendingFog", &kBlended},
                                            {"TBillBoard_AlphaTest", &kTested},
                                            {"TBillBoard_AlphaTestFog", &kTested}},
                                           kBillboardVertex, "BillBoardTexture", true);
    return bytes;
}

const std::string& FadingVegetationEffectSource()
{
    static const std::string bytes = Build({{"Proj", M},
                                            {"View", M},
                                            {"ProjView", M},
                                            {"MeshTexture", T},
                                            {"CamPosition", V},
                                            {"CamDirection", V},
                                            {"AlphaRef", F},
                                            {"EndDistance", F},
                                            {"EndFadingDistance", F},
                                            {"FogStart", F},
                                            {"FogEnd", F}},
                                           {{"TFading", &kTested}}, kMeshVertex, "MeshTexture", true);
    return bytes;
}

const std::string& ShoreLinesEffectSource()
{
    static const std::string bytes = Build(
        {{"View", M}, {"Proj", M}, {"MeshTexture", T}, {"ShoreFloating", F}, {"FogStart", F}, {"FogEnd", F}},
        {{"TShoreLine", &kBlended}}, kShoreVertex, "MeshTexture", true);
    return bytes;
}
