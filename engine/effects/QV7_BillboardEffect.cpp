#include "engine/effects/QV7_BillboardEffect.h"

#include "platform/d3dx/EffectDescription.h"

namespace
{
const char* const kBillboardVertex = R"GLSL(
in vec4 a_Position;
in vec3 a_Normal;
in vec4 a_Diffuse;
in vec4 a_TexCoord0;
uniform mat4 InvView;
uniform mat4 ProjView;
out vec4 v_Colour;
out vec2 v_Uv;
out float v_Depth;
void main()
{
    vec3 p = mat3(InvView) * a_Position.xyz + a_Normal;
    gl_Position = ProjView * vec4(p, 1.0);
    v_Depth = gl_Position.w;
    v_Colour = a_Diffuse;
    v_Uv = a_TexCoord0.xy;
}
)GLSL";

const char* const kBillboardFragment = R"GLSL(
uniform sampler2D BillBoardTexture;
in vec4 v_Colour;
in vec2 v_Uv;
in float v_Depth;
out vec4 o_Colour;
void main()
{
    vec4 colour = texture(BillBoardTexture, v_Uv) * v_Colour;
    if (!qv7_AlphaTestPasses(colour.a))
        discard;
    o_Colour = qv7_Fogged(colour, v_Depth);
}
)GLSL";

std::string Build()
{
    d3dx::EffectDescription description;
    const std::pair<const char*, d3dx::ParameterType> parameters[] = {
        {"InvView", d3dx::ParameterType::Matrix},
        {"ProjView", d3dx::ParameterType::Matrix},
        {"BillBoardTexture", d3dx::ParameterType::Texture}};
    for (const auto& [name, type] : parameters)
    {
        d3dx::ParameterDescription parameter;
        parameter.name = name;
        parameter.type = type;
        description.parameters.push_back(parameter);
    }
    for (const char* technique : {"Effects_BillBoard", "Effects_BillBoard2", "Effects_BillBoard3"})
    {
        d3dx::PassDescription pass;
        pass.name = "P0";
        pass.samplers.emplace_back(0, "BillBoardTexture");
        pass.vertexSource = kBillboardVertex;
        pass.fragmentSource = kBillboardFragment;
        description.techniques.push_back({technique, {pass}});
    }
    return d3dx::WriteEffectDescription(description);
}
} // namespace

const std::string& BillboardEffectSource()
{
    static const std::string source = Build();
    return source;
}
