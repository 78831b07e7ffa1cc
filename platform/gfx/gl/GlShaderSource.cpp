// GLSL sources of the fixed-function ubershaders and the effect wrapper.
#include "platform/gfx/gl/GlShaderSource.h"

#include "platform/gfx/gl/GlFixedFunction.h"

#include <cstring>

namespace gfx::gl
{
FixedFunctionKey::FixedFunctionKey(const FixedFunctionBlock& b)
{
    // Every byte is compared and hashed: no padding may stay undefined.
    std::memset(this, 0, sizeof *this);
    std::memcpy(vertexFlags, b.vertexFlags, sizeof vertexFlags);
    std::memcpy(vertexFlags2, b.vertexFlags2, sizeof vertexFlags2);
    std::memcpy(materialSource, b.materialSource, sizeof materialSource);
    std::memcpy(lightFlags, b.lightFlags, sizeof lightFlags);
    std::memcpy(stageCoords, b.stageCoords, sizeof stageCoords);
    std::memcpy(texCoordSize, b.texCoordSize, sizeof texCoordSize);
    for (int i = 0; i < 8; ++i)
        lightType[i] = b.lightType[i][0];
    clipPlaneCount = b.clipPlaneCount;
    std::memcpy(colourOp, b.colourOp, sizeof colourOp);
    std::memcpy(alphaOp, b.alphaOp, sizeof alphaOp);
    std::memcpy(stageFlags, b.stageFlags, sizeof stageFlags);
    std::memcpy(pixelFlags, b.pixelFlags, sizeof pixelFlags);
    pixelFlags[2] = 0; // the alpha reference is a uniform
    std::memcpy(pixelFlags2, b.pixelFlags2, sizeof pixelFlags2);
}

bool FixedFunctionKey::operator==(const FixedFunctionKey& other) const
{
    return std::memcmp(this, &other, sizeof *this) == 0;
}

size_t FixedFunctionKeyHash::operator()(const FixedFunctionKey& key) const
{
    static_assert(sizeof(FixedFunctionKey) % 4 == 0);
    int32_t words[sizeof(FixedFunctionKey) / 4];
    std::memcpy(words, &key, sizeof key);
    uint64_t hash = 1469598103934665603ull;
    for (int32_t word : words)
        hash = (hash ^ uint32_t(word)) * 1099511628211ull;
    return size_t(hash);
}

namespace
{
void Vector(std::string& out, const char* name, const int32_t* v)
{
    out += "const ivec4 ";
    out += name;
    out += " = ivec4(" + std::to_string(v[0]) + ", " + std::to_string(v[1]) + ", " + std::to_string(v[2]) + ", " +
           std::to_string(v[3]) + ");\n";
}

void VectorArray(std::string& out, const char* name, const int32_t (*v)[4], int count)
{
    out += "const ivec4 " + std::string(name) + "[" + std::to_string(count) + "] = ivec4[](";
    for (int i = 0; i < count; ++i)
    {
        out += i ? ", ivec4(" : "ivec4(";
        for (int c = 0; c < 4; ++c)
            out += (c ? ", " : "") + std::to_string(v[i][c]);
        out += ")";
    }
    out += ");\n";
}

void IntArray(std::string& out, const char* name, const int32_t* v, int count)
{
    out += "const int " + std::string(name) + "[" + std::to_string(count) + "] = int[](";
    for (int i = 0; i < count; ++i)
        out += (i ? ", " : "") + std::to_string(v[i]);
    out += ");\n";
}
} // namespace

std::string FixedShaderHeader(const FixedFunctionKey& key, bool fragment)
{
    std::string out = "#version 330 core\n";
    if (!fragment)
    {
        // x pre-transformed, y lighting, z vertex fog formula (0 none, 1 exp, 2 exp2, 3 linear), w range fog
        Vector(out, "u_VertexFlags", key.vertexFlags);
        // x normal present, y normalise normals, z fog factor from specular alpha, w table fog from w (else z)
        Vector(out, "u_VertexFlags2", key.vertexFlags2);
        // Material colour sources: diffuse, ambient, specular, emissive (0 material, 1 vertex diffuse, 2 vertex
        // specular)
        Vector(out, "u_MaterialSource", key.materialSource);
        // x light count, y local viewer, z specular enable, w point size present
        Vector(out, "u_LightFlags", key.lightFlags);
        // Per stage: coordinate set, generation (0 pass-through, 1 normal, 2 position, 3 reflection, 4 sphere
        // map), transform count (0 none), projected
        VectorArray(out, "u_StageCoords", key.stageCoords, 4);
        IntArray(out, "u_TexCoordSize", key.texCoordSize, 8);
        // Per light: x type (1 point, 2 spot, 3 directional)
        int32_t types[8][4] = {};
        for (int i = 0; i < 8; ++i)
            types[i][0] = key.lightType[i];
        VectorArray(out, "u_LightType", types, 8);
        out += "const int u_ClipPlaneCount = " + std::to_string(key.clipPlaneCount) + ";\n";
        return out;
    }
    // Per stage: operation, argument 1, argument 2, argument 0.
    VectorArray(out, "u_ColourOp", key.colourOp, 4);
    VectorArray(out, "u_AlphaOp", key.alphaOp, 4);
    // Per stage: x result to temp, y texture bound, z projected coordinates
    VectorArray(out, "u_StageFlags", key.stageFlags, 4);
    // x active stages, y alpha function (1 never .. 8 always), w table fog formula
    Vector(out, "u_PixelFlags", key.pixelFlags);
    out += "#define QV7_STAGES " + std::to_string(key.pixelFlags[0]) + "\n";
    // x add specular, y vertex fog on, z table fog from w
    Vector(out, "u_PixelFlags2", key.pixelFlags2);
    return out;
}

const char* const kAttributeNames[kAttributeCount] = {
    "a_Position",  "a_Normal",    "a_Diffuse",   "a_Specular",  "a_PointSize",  "a_TexCoord0", "a_TexCoord1",
    "a_TexCoord2", "a_TexCoord3", "a_TexCoord4", "a_TexCoord5", "a_TexCoord6", "a_TexCoord7", "a_BlendWeight",
    "a_BlendIndices", "a_Position1"};

const char* const kFixedVertexShader = R"GLSL(
in vec4 a_Position;
in vec3 a_Normal;
in vec4 a_Diffuse;
in vec4 a_Specular;
in float a_PointSize;
in vec4 a_TexCoord0;
in vec4 a_TexCoord1;
in vec4 a_TexCoord2;
in vec4 a_TexCoord3;
in vec4 a_TexCoord4;
in vec4 a_TexCoord5;
in vec4 a_TexCoord6;
in vec4 a_TexCoord7;

uniform mat4 u_WorldView;
uniform mat4 u_Projection;
uniform mat3 u_NormalMatrix;
uniform mat4 u_TextureMatrix[4];
uniform vec4 u_Viewport;       // x, y, width, height
uniform vec4 u_Fog;            // start, end, density, point size
uniform vec4 u_MaterialDiffuse;
uniform vec4 u_MaterialAmbient;
uniform vec4 u_MaterialSpecular;
uniform vec4 u_MaterialEmissive;
uniform float u_MaterialPower;
uniform vec4 u_GlobalAmbient;
uniform vec4 u_LightDiffuse[8];
uniform vec4 u_LightSpecular[8];
uniform vec4 u_LightAmbient[8];
uniform vec4 u_LightPosition[8];  // view space
uniform vec4 u_LightDirection[8]; // view space, normalised
uniform vec4 u_LightAttenuation[8]; // a0, a1, a2, range
uniform vec4 u_LightSpot[8];        // cos(theta / 2), cos(phi / 2), falloff
uniform vec4 u_ClipPlane[6];        // view space

out vec4 v_Diffuse;
out vec4 v_Specular;
out vec4 v_TexCoord[4];
out float v_Fog;
out float v_FogW;
noperspective out float v_FogZ;
out float gl_ClipDistance[6];

vec4 TexCoordSet(int index)
{
    if (index == 0) return a_TexCoord0;
    if (index == 1) return a_TexCoord1;
    if (index == 2) return a_TexCoord2;
    if (index == 3) return a_TexCoord3;
    if (index == 4) return a_TexCoord4;
    if (index == 5) return a_TexCoord5;
    if (index == 6) return a_TexCoord6;
    return a_TexCoord7;
}

vec4 Source(int source, vec4 material)
{
    if (source == 1) return a_Diffuse;
    if (source == 2) return a_Specular;
    return material;
}

float FogFactor(int formula, float depth)
{
    if (formula == 1) return clamp(exp(-depth * u_Fog.z), 0.0, 1.0);
    if (formula == 2) { float d = depth * u_Fog.z; return clamp(exp(-d * d), 0.0, 1.0); }
    if (formula == 3)
    {
        float range = u_Fog.y - u_Fog.x;
        return range == 0.0 ? (depth < u_Fog.y ? 1.0 : 0.0) : clamp((u_Fog.y - depth) / range, 0.0, 1.0);
    }
    return 1.0;
}

void main()
{
    bool pretransformed = u_VertexFlags.x != 0;
    vec4 diffuse = a_Diffuse;
    vec4 specular = a_Specular;
    vec3 position = vec3(0.0);
    vec3 normal = vec3(0.0);
    if (pretransformed)
    {
        float w = a_Position.w == 0.0 ? 1.0 : 1.0 / a_Position.w;
        // Direct3D puts pixel centres on whole coordinates, OpenGL half a pixel further.
        vec2 ndc = (a_Position.xy + 0.5 - u_Viewport.xy) / u_Viewport.zw * 2.0 - 1.0;
        gl_Position = vec4(ndc * w, (a_Position.z * 2.0 - 1.0) * w, w);
        v_FogW = w;
        v_FogZ = a_Position.z;
        for (int i = 0; i < 6; ++i)
            gl_ClipDistance[i] = 1.0;
    }
    else
    {
        vec4 eye = u_WorldView * vec4(a_Position.xyz, 1.0);
        position = eye.xyz;
        normal = u_NormalMatrix * a_Normal;
        if (u_VertexFlags2.y != 0 && dot(normal, normal) > 0.0)
            normal = normalize(normal);
        vec4 clip = u_Projection * eye;
        // Direct3D's clip space: y up, z from 0 to w, pixel centres on whole coordinates;
        // our framebuffers hold the top row first.
        gl_Position = vec4(clip.x + clip.w / u_Viewport.z, -clip.y + clip.w / u_Viewport.w,
                           2.0 * clip.z - clip.w, clip.w);
        v_FogW = clip.w;
        v_FogZ = clip.w == 0.0 ? clip.z : clip.z / clip.w;
        for (int i = 0; i < 6; ++i)
            gl_ClipDistance[i] = i < u_ClipPlaneCount ? dot(eye, u_ClipPlane[i]) : 1.0;

        if (u_VertexFlags.y != 0)
        {
            vec4 materialDiffuse = Source(u_MaterialSource.x, u_MaterialDiffuse);
            vec4 materialAmbient = Source(u_MaterialSource.y, u_MaterialAmbient);
            vec4 materialSpecular = Source(u_MaterialSource.z, u_MaterialSpecular);
            vec4 materialEmissive = Source(u_MaterialSource.w, u_MaterialEmissive);
            vec3 toViewer = u_LightFlags.y != 0 && dot(position, position) > 0.0 ? normalize(-position)
                                                                                  : vec3(0.0, 0.0, -1.0);
            vec3 ambient = u_GlobalAmbient.rgb;
            vec3 lit = vec3(0.0);
            vec3 shine = vec3(0.0);
            for (int i = 0; i < 8; ++i)
            {
                if (i >= u_LightFlags.x) break;
                int type = u_LightType[i].x;
                vec3 toLight;
                float strength = 1.0;
                if (type == 3)
                    toLight = -u_LightDirection[i].xyz;
                else
                {
                    vec3 d = u_LightPosition[i].xyz - position;
                    float distance = length(d);
                    toLight = distance > 0.0 ? d / distance : vec3(0.0, 0.0, -1.0);
                    vec4 a = u_LightAttenuation[i];
                    if (distance > a.w)
                        strength = 0.0;
                    else
                    {
                        float divisor = a.x + a.y * distance + a.z * distance * distance;
                        strength = divisor > 0.0 ? 1.0 / divisor : 1.0;
                    }
                    if (type == 2)
                    {
                        float rho = dot(-toLight, u_LightDirection[i].xyz);
                        vec4 s = u_LightSpot[i];
                        if (rho <= s.y)
                            strength = 0.0;
                        else if (rho <= s.x)
                            strength *= pow(clamp((rho - s.y) / max(s.x - s.y, 1e-6), 0.0, 1.0), s.z);
                    }
                }
                ambient += strength * u_LightAmbient[i].rgb;
                float facing = max(dot(normal, toLight), 0.0);
                lit += strength * facing * u_LightDiffuse[i].rgb;
                if (u_LightFlags.z != 0 && facing > 0.0)
                {
                    float highlight = max(dot(normal, normalize(toLight + toViewer)), 0.0);
                    float power = u_MaterialPower > 0.0 ? pow(highlight, u_MaterialPower) : 1.0;
                    shine += strength * power * u_LightSpecular[i].rgb;
                }
            }
            diffuse = vec4(materialEmissive.rgb + ambient * materialAmbient.rgb + lit * materialDiffuse.rgb,
                           materialDiffuse.a);
            specular = vec4(shine * materialSpecular.rgb, a_Specular.a);
            diffuse = clamp(diffuse, 0.0, 1.0);
            specular = clamp(specular, 0.0, 1.0);
        }
    }
    v_Diffuse = diffuse;
    v_Specular = specular;

    if (u_VertexFlags.z != 0 && !pretransformed)
        v_Fog = FogFactor(u_VertexFlags.z, u_VertexFlags.w != 0 ? length(position) : abs(position.z));
    else if (u_VertexFlags2.z != 0)
        v_Fog = specular.a;
    else
        v_Fog = 1.0;

    for (int stage = 0; stage < 4; ++stage)
    {
        ivec4 setup = u_StageCoords[stage];
        vec4 coords;
        if (setup.y == 0)
        {
            vec4 raw = TexCoordSet(setup.x);
            int size = u_TexCoordSize[setup.x];
            // Missing components: the first becomes 1, the rest 0, so that a
            // matrix's third row moves two-dimensional coordinates.
            if (size == 1) coords = vec4(raw.x, 1.0, 0.0, 0.0);
            else if (size == 2) coords = vec4(raw.xy, 1.0, 0.0);
            else if (size == 3) coords = vec4(raw.xyz, 1.0);
            else coords = raw;
        }
        else if (setup.y == 1)
            coords = vec4(normal, 1.0);
        else if (setup.y == 2)
            coords = vec4(position, 1.0);
        else
        {
            vec3 incident = dot(position, position) > 0.0 ? normalize(position) : vec3(0.0, 0.0, 1.0);
            vec3 r = reflect(incident, normal);
            if (setup.y == 3)
                coords = vec4(r, 1.0);
            else
            {
                float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
                coords = m > 0.0 ? vec4(r.x / m + 0.5, r.y / m + 0.5, 0.0, 1.0) : vec4(0.5, 0.5, 0.0, 1.0);
            }
        }
        if (setup.z != 0)
            coords = u_TextureMatrix[stage] * coords;
        // Projected: the last counted component divides (the fragment shader divides by w).
        if (setup.w != 0)
        {
            int count = setup.z == 0 ? 4 : setup.z;
            coords.w = count == 1 ? coords.x : count == 2 ? coords.y : count == 3 ? coords.z : coords.w;
        }
        v_TexCoord[stage] = coords;
    }
    gl_PointSize = u_LightFlags.w != 0 ? a_PointSize : u_Fog.w;
}
)GLSL";

const char* const kFixedFragmentShader = R"GLSL(
in vec4 v_Diffuse;
in vec4 v_Specular;
in vec4 v_TexCoord[4];
in float v_Fog;
in float v_FogW;
noperspective in float v_FogZ;
out vec4 o_Colour;

uniform sampler2D u_Texture0;
uniform sampler2D u_Texture1;
uniform sampler2D u_Texture2;
uniform sampler2D u_Texture3;
uniform vec4 u_StageConstant[4];
uniform vec4 u_BumpMatrix[4];      // 00, 01, 10, 11
uniform vec4 u_BumpLuminance[4];   // scale, offset
uniform vec4 u_TextureFactor;
uniform int u_AlphaReference;
uniform vec4 u_FogColour;
uniform vec4 u_FogTable; // start, end, density

vec4 Sample(int stage, vec2 offset)
{
    if (u_StageFlags[stage].y == 0)
        return vec4(1.0);
    vec4 c = v_TexCoord[stage];
    vec2 uv = (u_StageFlags[stage].z != 0 && c.w != 0.0 ? c.xy / c.w : c.xy) + offset;
    if (stage == 0) return texture(u_Texture0, uv);
    if (stage == 1) return texture(u_Texture1, uv);
    if (stage == 2) return texture(u_Texture2, uv);
    return texture(u_Texture3, uv);
}

vec4 Argument(int argument, int stage, vec4 current, vec4 tex, vec4 temp)
{
    int select = argument & 15;
    vec4 v;
    if (select == 0) v = v_Diffuse;
    else if (select == 1) v = current;
    else if (select == 2) v = tex;
    else if (select == 3) v = u_TextureFactor;
    else if (select == 4) v = v_Specular;
    else if (select == 5) v = temp;
    else v = u_StageConstant[stage];
    if ((argument & 32) != 0) v = v.aaaa;
    if ((argument & 16) != 0) v = 1.0 - v;
    return v;
}

// One Direct3D texture operation on four channels; the caller keeps the
// channels it needs (colour or alpha).
vec4 Operate(int op, vec4 a0, vec4 a1, vec4 a2, vec4 current, vec4 tex, vec4 nextTex)
{
    if (op == 2) return a1;
    if (op == 3) return a2;
    if (op == 4) return a1 * a2;
    if (op == 5) return a1 * a2 * 2.0;
    if (op == 6) return a1 * a2 * 4.0;
    if (op == 7) return a1 + a2;
    if (op == 8) return a1 + a2 - 0.5;
    if (op == 9) return (a1 + a2 - 0.5) * 2.0;
    if (op == 10) return a1 - a2;
    if (op == 11) return a1 + a2 - a1 * a2;
    if (op == 12) return mix(a2, a1, v_Diffuse.a);
    if (op == 13) return mix(a2, a1, tex.a);
    if (op == 14) return mix(a2, a1, u_TextureFactor.a);
    if (op == 15) return a1 + a2 * (1.0 - tex.a);
    if (op == 16) return mix(a2, a1, current.a);
    if (op == 17) return a1 * nextTex;
    if (op == 18) return vec4(a1.rgb + a1.a * a2.rgb, a1.a);
    if (op == 19) return vec4(a1.rgb * a2.rgb + a1.a, a1.a);
    if (op == 20) return vec4((1.0 - a1.a) * a2.rgb + a1.rgb, a1.a);
    if (op == 21) return vec4((1.0 - a1.rgb) * a2.rgb + a1.a, a1.a);
    if (op == 24) return vec4(clamp(4.0 * dot(a1.rgb - 0.5, a2.rgb - 0.5), 0.0, 1.0));
    if (op == 25) return a0 + a1 * a2;
    if (op == 26) return mix(a2, a1, a0);
    return current;
}

bool AlphaPasses(int function, int alpha, int reference)
{
    if (function == 1) return false;
    if (function == 2) return alpha < reference;
    if (function == 3) return alpha == reference;
    if (function == 4) return alpha <= reference;
    if (function == 5) return alpha > reference;
    if (function == 6) return alpha != reference;
    if (function == 7) return alpha >= reference;
    return true;
}

// One texture stage. Called with a literal stage number, so that once the
// call is inlined every selector of the stage is a constant and only its own
// operation is left in the program (a loop over the stages would keep all of
// them, and a software rasteriser runs every branch it cannot remove).
void Stage(int stage, inout vec4 current, inout vec4 temp, inout vec2 bump, inout float luminance,
           inout bool luminanceNext)
{
    vec4 tex = Sample(stage, bump);
    if (luminanceNext)
        tex.rgb *= luminance;
    bump = vec2(0.0);
    luminanceNext = false;
    ivec4 c = u_ColourOp[stage];
    if (c.x == 22 || c.x == 23)
    {
        // Bump environment mapping: this stage's (du, dv) moves the next stage's coordinates.
        vec4 m = u_BumpMatrix[stage];
        bump = vec2(m.x * tex.r + m.z * tex.g, m.y * tex.r + m.w * tex.g);
        if (c.x == 23)
        {
            luminance = clamp(tex.b * u_BumpLuminance[stage].x + u_BumpLuminance[stage].y, 0.0, 1.0);
            luminanceNext = true;
        }
        return;
    }
    vec4 nextTex = vec4(1.0);
    if ((c.x == 17 || u_AlphaOp[stage].x == 17) && stage < 3)
        nextTex = Sample(stage + 1, vec2(0.0));
    vec4 colour = Operate(c.x, Argument(c.w, stage, current, tex, temp), Argument(c.y, stage, current, tex, temp),
                          Argument(c.z, stage, current, tex, temp), current, tex, nextTex);
    ivec4 a = u_AlphaOp[stage];
    float alpha;
    if (c.x == 24)
        alpha = colour.a;
    else if (a.x <= 1)
        alpha = current.a;
    else
        alpha = Operate(a.x, Argument(a.w, stage, current, tex, temp), Argument(a.y, stage, current, tex, temp),
                        Argument(a.z, stage, current, tex, temp), current, tex, nextTex).a;
    vec4 result = clamp(vec4(colour.rgb, alpha), 0.0, 1.0);
    if (u_StageFlags[stage].x != 0)
        temp = result;
    else
        current = result;
}

void main()
{
    vec4 current = v_Diffuse;
    vec4 temp = vec4(0.0);
    vec2 bump = vec2(0.0);
    float luminance = 1.0;
    bool luminanceNext = false;
#if QV7_STAGES > 0
    Stage(0, current, temp, bump, luminance, luminanceNext);
#endif
#if QV7_STAGES > 1
    Stage(1, current, temp, bump, luminance, luminanceNext);
#endif
#if QV7_STAGES > 2
    Stage(2, current, temp, bump, luminance, luminanceNext);
#endif
#if QV7_STAGES > 3
    Stage(3, current, temp, bump, luminance, luminanceNext);
#endif
    if (u_PixelFlags2.x != 0)
        current.rgb = clamp(current.rgb + v_Specular.rgb, 0.0, 1.0);

    int alpha = int(floor(clamp(current.a, 0.0, 1.0) * 255.0 + 0.5));
    if (!AlphaPasses(u_PixelFlags.y, alpha, u_AlphaReference))
        discard;

    float fog = 1.0;
    if (u_PixelFlags.w != 0)
    {
        float depth = u_PixelFlags2.z != 0 ? v_FogW : v_FogZ;
        if (u_PixelFlags.w == 1) fog = exp(-depth * u_FogTable.z);
        else if (u_PixelFlags.w == 2) { float d = depth * u_FogTable.z; fog = exp(-d * d); }
        else
        {
            float range = u_FogTable.y - u_FogTable.x;
            fog = range == 0.0 ? (depth < u_FogTable.y ? 1.0 : 0.0) : (u_FogTable.y - depth) / range;
        }
        fog = clamp(fog, 0.0, 1.0);
    }
    else if (u_PixelFlags2.y != 0)
        fog = clamp(v_Fog, 0.0, 1.0);
    o_Colour = vec4(mix(u_FogColour.rgb, current.rgb, fog), current.a);
}
)GLSL";

const char* const kEffectVertexPrologue = "#version 330 core\n#define main EffectMain\n";

const char* const kEffectVertexEpilogue = R"GLSL(
#undef main
uniform vec4 qv7_Viewport;
void main()
{
    EffectMain();
    vec4 clip = gl_Position;
    gl_Position = vec4(clip.x + clip.w / qv7_Viewport.z, -clip.y + clip.w / qv7_Viewport.w,
                       2.0 * clip.z - clip.w, clip.w);
}
)GLSL";

// Effects that take over the fixed pipeline's alpha test and fog call these
// with the device's states, which every effect draw uploads.
const char* const kEffectFragmentPrologue = R"GLSL(#version 330 core
uniform vec4 qv7_AlphaTest;
uniform vec4 qv7_Fog;
uniform vec4 qv7_FogColour;
bool qv7_AlphaTestPasses(float alpha)
{
    int function = int(qv7_AlphaTest.x + 0.5);
    float a = floor(alpha * 255.0 + 0.5);
    float reference = qv7_AlphaTest.y;
    if (function == 0 || function == 8) return true;
    if (function == 1) return false;
    if (function == 2) return a < reference;
    if (function == 3) return a == reference;
    if (function == 4) return a <= reference;
    if (function == 5) return a > reference;
    if (function == 6) return a != reference;
    return a >= reference;
}
vec4 qv7_Fogged(vec4 colour, float depth)
{
    int formula = int(qv7_Fog.x + 0.5);
    float f = 1.0;
    if (formula == 3)
        f = qv7_Fog.z != qv7_Fog.y ? (qv7_Fog.z - depth) / (qv7_Fog.z - qv7_Fog.y) : 1.0;
    else if (formula == 1)
        f = exp(-qv7_Fog.w * depth);
    else if (formula == 2)
        f = exp(-(qv7_Fog.w * depth) * (qv7_Fog.w * depth));
    return vec4(mix(qv7_FogColour.rgb, colour.rgb, clamp(f, 0.0, 1.0)), colour.a);
}
// Effects that take part in the fog and alpha test with a fog factor of their
// own (1 unfogged) call this with their colour.
vec4 qv7_AfterShader(vec4 colour, float fog)
{
    if (!qv7_AlphaTestPasses(colour.a))
        discard;
    if (int(qv7_Fog.x + 0.5) != 0)
        colour.rgb = mix(qv7_FogColour.rgb, colour.rgb, clamp(fog, 0.0, 1.0));
    return colour;
}
)GLSL";
} // namespace gfx::gl
