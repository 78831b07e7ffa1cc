// The shadow effect's GLSL. The texture holds light-view depth (the distance
// along the light's direction) of the nearest caster; 0 means no caster, which
// is what clearing the target leaves, so a cleared map shadows nothing.
// Parameters: g_mWorldView (object to view space of the pass), g_mProj (view
// to clip space), g_mViewToLightProj (the pass's view space to the light's
// clip space, for RenderScene) and g_txShadow (the shadow texture, stage 0;
// point sampling keeps caster edges exact).
#include "engine/effects/QV7_ShadowMapEffect.h"

#include "platform/d3dx/EffectDescription.h"

namespace
{
const char* const kShadowVertex = R"GLSL(
in vec4 a_Position;
uniform mat4 g_mWorldView;
uniform mat4 g_mProj;
out float v_Depth;
void main()
{
    vec4 view = g_mWorldView * vec4(a_Position.xyz, 1.0);
    gl_Position = g_mProj * view;
    v_Depth = view.z;
}
)GLSL";

const char* const kShadowFragment = R"GLSL(
in float v_Depth;
out vec4 o_Colour;
void main()
{
    // Never 0: that value is kept for "no caster".
    o_Colour = vec4(max(v_Depth, 1.0e-3), 0.0, 0.0, 1.0);
}
)GLSL";

const char* const kSceneVertex = R"GLSL(
in vec4 a_Position;
uniform mat4 g_mWorldView;
uniform mat4 g_mProj;
uniform mat4 g_mViewToLightProj;
out vec4 v_Light;
void main()
{
    vec4 view = g_mWorldView * vec4(a_Position.xyz, 1.0);
    gl_Position = g_mProj * view;
    v_Light = g_mViewToLightProj * view;
}
)GLSL";

// The pass multiplies what is on screen: 1 keeps it, the shadow halves it.
const char* const kSceneFragment = R"GLSL(
uniform sampler2D g_txShadow;
in vec4 v_Light;
out vec4 o_Colour;
void main()
{
    float lit = 1.0;
    if (v_Light.w > 0.0)
    {
        vec2 ndc = v_Light.xy / v_Light.w;
        // Direct3D's texture coordinates: v grows downwards.
        vec2 uv = vec2(0.5 * ndc.x + 0.5, -0.5 * ndc.y + 0.5);
        if (all(greaterThanEqual(uv, vec2(0.0))) && all(lessThanEqual(uv, vec2(1.0))))
        {
            float caster = texture(g_txShadow, uv).r;
            // The bias grows with distance so that a receiver never shadows itself.
            if (caster > 0.0 && v_Light.w > caster + 0.5 + 0.002 * caster)
                lit = 0.5;
        }
    }
    o_Colour = vec4(lit, lit, lit, 1.0);
}
)GLSL";

std::string Build()
{
    using d3dx::ParameterType;
    d3dx::EffectDescription description;
    for (const char* name : {"g_mWorldView", "g_mProj", "g_mViewToLightProj"})
        description.parameters.push_back({name, ParameterType::Matrix, 1});
    description.parameters.push_back({"g_txShadow", ParameterType::Texture, 1});

    d3dx::PassDescription scene;
    scene.name = "P0";
    scene.states = {{D3DRS_ALPHABLENDENABLE, TRUE},
                    {D3DRS_SRCBLEND, D3DBLEND_ZERO},
                    {D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR},
                    {D3DRS_ZWRITEENABLE, FALSE},
                    {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}};
    scene.samplers.emplace_back(0, "g_txShadow");
    scene.vertexSource = kSceneVertex;
    scene.fragmentSource = kSceneFragment;

    d3dx::PassDescription shadow;
    shadow.name = "P0";
    shadow.states = {{D3DRS_ALPHABLENDENABLE, FALSE},
                     {D3DRS_ZENABLE, D3DZB_TRUE},
                     {D3DRS_ZWRITEENABLE, TRUE},
                     {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
                     {D3DRS_CULLMODE, D3DCULL_NONE}};
    shadow.vertexSource = kShadowVertex;
    shadow.fragmentSource = kShadowFragment;

    description.techniques.push_back({"RenderScene", {scene}});
    description.techniques.push_back({"RenderShadow", {shadow}});
    return d3dx::WriteEffectDescription(description);
}
} // namespace

const std::string& ShadowMapEffectSource()
{
    static const std::string bytes = Build();
    return bytes;
}
