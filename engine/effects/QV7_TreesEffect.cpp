// The trees' billboard GLSL.
#include "engine/effects/QV7_TreesEffect.h"

#include "platform/d3dx/EffectDescription.h"

namespace
{
const char* const kVertex = R"GLSL(
in vec4 a_Position;
in vec4 a_TexCoord0;
in vec4 a_TexCoord1;
uniform mat4 View;
uniform mat4 Proj;
uniform vec4 CamPosition;
uniform float Distance;
uniform float FogStart;
uniform float FogEnd;
out vec2 v_Uv;
out float v_Fade;
out float v_Fog;
out float v_Height;
void main()
{
    vec3 tree = a_TexCoord0.xyz;
    vec2 toEye = CamPosition.xz - tree.xz;
    float apart = length(toEye);
    vec2 facing = apart > 0.001 ? toEye / apart : vec2(0.0, -1.0);
    // The camera's right seen from here: D3D's look-at right for a forward of -facing.
    vec3 right = vec3(-facing.y, 0.0, facing.x);
    vec3 world = tree + right * a_Position.x + vec3(0.0, a_Position.y, 0.0);
    vec4 view = View * vec4(world, 1.0);
    gl_Position = Proj * view;
    float seen = atan(toEye.x, toEye.y) - a_TexCoord0.w;
    float cell = mod(floor(seen / 6.2831853 * 8.0 + 0.5), 8.0);
    v_Uv = a_TexCoord1.xy + vec2(mod(cell, 4.0) * 0.25, floor(cell / 4.0) * 0.5);
    v_Fade = clamp((apart - Distance) / (0.15 * max(Distance, 1.0)), 0.0, 1.0);
    float range = FogEnd - FogStart;
    v_Fog = range > 0.0 ? clamp((FogEnd - view.z) / range, 0.0, 1.0) : 1.0;
    v_Height = world.y;
}
)GLSL";

std::string Fragment(bool reflection)
{
    return std::string(R"GLSL(
uniform sampler2D BillBoardTexture;
uniform float AlphaRef;
uniform float WaterHeight;
uniform vec4 FogColour;
in vec2 v_Uv;
in float v_Fade;
in float v_Fog;
in float v_Height;
out vec4 o_Colour;
void main()
{
)GLSL") + (reflection ? "    if (v_Height < WaterHeight) discard;\n" : "") +
           R"GLSL(    vec4 picture = texture(BillBoardTexture, v_Uv);
    if (picture.a * v_Fade < AlphaRef)
        discard;
    o_Colour = vec4(mix(FogColour.rgb, picture.rgb * 0.95, v_Fog), 1.0);
}
)GLSL";
}

d3dx::PassDescription Pass(bool reflection)
{
    d3dx::PassDescription pass;
    pass.name = "P0";
    pass.states = {{D3DRS_ALPHABLENDENABLE, FALSE},
                   {D3DRS_ZENABLE, D3DZB_TRUE},
                   {D3DRS_ZWRITEENABLE, TRUE},
                   {D3DRS_CULLMODE, D3DCULL_NONE}};
    pass.samplers.emplace_back(0, "BillBoardTexture");
    pass.vertexSource = kVertex;
    pass.fragmentSource = Fragment(reflection);
    return pass;
}

std::string Build()
{
    using d3dx::ParameterType;
    d3dx::EffectDescription description;
    for (const char* name : {"InvView", "Proj", "View"})
        description.parameters.push_back({name, ParameterType::Matrix, 1});
    description.parameters.push_back({"BillBoardTexture", ParameterType::Texture, 1});
    for (const char* name : {"CamPosition", "CamDirection", "FogColour"})
        description.parameters.push_back({name, ParameterType::Vector, 1});
    for (const char* name : {"AlphaRef", "Distance", "WaterHeight", "FogStart", "FogEnd"})
        description.parameters.push_back({name, ParameterType::Float, 1});
    description.techniques.push_back({"TTree", {Pass(false)}});
    description.techniques.push_back({"TTree2", {Pass(true)}});
    return d3dx::WriteEffectDescription(description);
}
} // namespace

const std::string& TreesEffectSource()
{
    static const std::string bytes = Build();
    return bytes;
}
