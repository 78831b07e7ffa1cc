// The skinned figure effect's GLSL.
#include "engine/effects/QV7_SkinnedEffect.h"

#include "platform/d3dx/EffectDescription.h"

namespace
{
// Positions and normals are blended in the figure's space (palette = bone
// offset x combined); mViewProj then takes them to clip space (it holds the
// world matrix too). The explicit weights are all but the last influence's;
// the last gets what is left of 1.
const char* const kSkinnedVertex = R"GLSL(
in vec4 a_Position;
in vec3 a_Normal;
in vec4 a_TexCoord0;
in vec4 a_BlendWeight;
in vec4 a_BlendIndices;
uniform mat4 mWorldMatrixArray[26];
uniform mat4 mViewProj;
uniform mat4 World;
uniform mat4 View;
uniform int CurNumBones;
uniform vec4 lightDir;
uniform vec4 I_a;
uniform vec4 I_d;
uniform vec4 I_s;
uniform vec4 k_a;
uniform vec4 k_d;
uniform vec4 k_e;
uniform float n;
out vec4 v_Colour;
out vec2 v_Uv;
void main()
{
    int influences = clamp(CurNumBones, 0, 3) + 1;
    vec3 position = vec3(0.0);
    vec3 normal = vec3(0.0);
    float left = 1.0;
    for (int i = 0; i < 4; ++i)
    {
        if (i >= influences)
            break;
        float weight = i == influences - 1 ? left : a_BlendWeight[i];
        left -= weight;
        mat4 bone = mWorldMatrixArray[clamp(int(a_BlendIndices[i] + 0.5), 0, 25)];
        position += (bone * vec4(a_Position.xyz, 1.0)).xyz * weight;
        normal += mat3(bone) * a_Normal * weight;
    }
    gl_Position = mViewProj * vec4(position, 1.0);
    normal = length(normal) > 0.0 ? normalize(normal) : vec3(0.0, 1.0, 0.0);
    vec3 toLight = length(lightDir.xyz) > 0.0 ? normalize(lightDir.xyz) : vec3(0.0, 1.0, 0.0);
    float diffuse = max(dot(normal, toLight), 0.0);
    // The eye in the figure's space, for the highlight.
    vec3 eye = (inverse(View * World) * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    vec3 halfway = normalize(toLight + normalize(eye - position));
    float specular = n > 0.0 && diffuse > 0.0 ? pow(max(dot(normal, halfway), 0.0), n) : 0.0;
    vec3 colour = I_a.rgb * k_a.rgb + I_d.rgb * k_d.rgb * diffuse + I_s.rgb * specular + k_e.rgb;
    v_Colour = vec4(clamp(colour, 0.0, 1.0), k_d.a);
    v_Uv = a_TexCoord0.xy;
}
)GLSL";

const char* const kTexturedFragment = R"GLSL(
uniform sampler2D FigureTexture;
in vec4 v_Colour;
in vec2 v_Uv;
out vec4 o_Colour;
void main()
{
    o_Colour = texture(FigureTexture, v_Uv) * v_Colour;
}
)GLSL";

// Stage 1 modulates the colour and gives the alpha; it reads the figure's
// own texture coordinates.
const char* const kOverlayFragment = R"GLSL(
uniform sampler2D FigureTexture;
uniform sampler2D OverlayTexture;
uniform float AlphaRef;
in vec4 v_Colour;
in vec2 v_Uv;
out vec4 o_Colour;
void main()
{
    vec4 overlay = texture(OverlayTexture, v_Uv);
    vec4 colour = texture(FigureTexture, v_Uv) * v_Colour;
    if (overlay.a * 255.0 < AlphaRef)
        discard;
    o_Colour = vec4(colour.rgb * overlay.rgb, overlay.a);
}
)GLSL";

d3dx::PassDescription Pass(const char* name, bool overlay)
{
    d3dx::PassDescription pass;
    pass.name = name;
    pass.states = {{D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_ALPHATESTENABLE, overlay ? TRUE : FALSE}};
    if (overlay)
        pass.states.emplace_back(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    pass.stageSamplers.emplace_back(0, "FigureTexture");
    if (overlay)
        pass.stageSamplers.emplace_back(1, "OverlayTexture");
    pass.vertexSource = kSkinnedVertex;
    pass.fragmentSource = overlay ? kOverlayFragment : kTexturedFragment;
    return pass;
}

std::string Build()
{
    using d3dx::ParameterType;
    d3dx::EffectDescription description;
    for (const char* name : {"lightDir", "I_a", "I_d", "I_s", "k_a", "k_d", "k_e"})
        description.parameters.push_back({name, ParameterType::Vector, 1});
    description.parameters.push_back({"n", ParameterType::Float, 1});
    description.parameters.push_back({"mWorldMatrixArray", ParameterType::Matrix, kSkinnedPaletteSize});
    for (const char* name : {"mViewProj", "World", "View"})
        description.parameters.push_back({name, ParameterType::Matrix, 1});
    description.parameters.push_back({"AlphaRef", ParameterType::Float, 1});
    description.parameters.push_back({"CurNumBones", ParameterType::Int, 1});
    for (const char* technique : {"t0", "t1"})
        description.techniques.push_back({technique, {Pass("p0", false), Pass("p1", true)}});
    return d3dx::WriteEffectDescription(description);
}
} // namespace

const std::string& SkinnedEffectSource()
{
    static const std::string bytes = Build();
    return bytes;
}
