// The state block: from the device's fixed-function state to the programs' key and uniforms.
#include "platform/gfx/gl/GlFixedFunction.h"

#include "platform/gfx/gl/GlDevice.h"

#include <epoxy/gl.h>

#include <cmath>
#include <cstring>

namespace gfx::gl
{
namespace
{
float Float(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

void CopyMatrix(const D3DMATRIX& m, float out[16]) { std::memcpy(out, &m.m[0][0], 64); }

void Copy4(const D3DCOLORVALUE& c, float out[4])
{
    out[0] = c.r, out[1] = c.g, out[2] = c.b, out[3] = c.a;
}

D3DMATRIX IdentityMatrix()
{
    D3DMATRIX m{};
    for (int i = 0; i < 4; ++i)
        m.m[i][i] = 1.0f;
    return m;
}

// A point (w 1) or direction (w 0) through a row-vector matrix.
void Transform(const float v[4], const D3DMATRIX& m, float out[4])
{
    for (int c = 0; c < 4; ++c)
        out[c] = v[0] * m.m[0][c] + v[1] * m.m[1][c] + v[2] * m.m[2][c] + v[3] * m.m[3][c];
}

// Texture argument: the selector and its two modifier bits, nothing else.
int32_t Argument(DWORD value) { return int32_t(value & (D3DTA_SELECTMASK | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE)); }

// Components of texture coordinate set i in an FVF.
int32_t CoordinateSize(DWORD fvf, int set)
{
    switch ((fvf >> (16 + 2 * set)) & 3)
    {
    case 1:
        return 3;
    case 2:
        return 4;
    case 3:
        return 1;
    default:
        return 2;
    }
}
} // namespace

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

bool Invert(const D3DMATRIX& matrix, D3DMATRIX& inverse)
{
    // Gauss-Jordan elimination with partial pivoting.
    double a[4][8];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
        {
            a[i][j] = matrix.m[i][j];
            a[i][j + 4] = i == j ? 1.0 : 0.0;
        }
    for (int column = 0; column < 4; ++column)
    {
        int pivot = column;
        for (int row = column + 1; row < 4; ++row)
            if (std::fabs(a[row][column]) > std::fabs(a[pivot][column]))
                pivot = row;
        if (std::fabs(a[pivot][column]) < 1e-12)
            return false;
        for (int j = 0; j < 8; ++j)
            std::swap(a[column][j], a[pivot][j]);
        const double scale = 1.0 / a[column][column];
        for (int j = 0; j < 8; ++j)
            a[column][j] *= scale;
        for (int row = 0; row < 4; ++row)
            if (row != column)
            {
                const double factor = a[row][column];
                for (int j = 0; j < 8; ++j)
                    a[row][j] -= factor * a[column][j];
            }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            inverse.m[i][j] = float(a[i][j + 4]);
    return true;
}

void ColourFloats(D3DCOLOR colour, float out[4])
{
    out[0] = float((colour >> 16) & 0xFF) / 255.0f;
    out[1] = float((colour >> 8) & 0xFF) / 255.0f;
    out[2] = float(colour & 0xFF) / 255.0f;
    out[3] = float(colour >> 24) / 255.0f;
}

void GlDevice::BuildBlock(FixedFunctionBlock& b, DWORD fvf, bool pretransformed)
{
    std::memset(&b, 0, sizeof b);
    const auto& rs = m_RenderStates;
    auto transform = [&](uint32_t state) {
        auto it = m_Transforms.find(state);
        return it == m_Transforms.end() ? IdentityMatrix() : it->second;
    };
    const bool hasNormal = fvf & D3DFVF_NORMAL;
    const bool hasDiffuse = fvf & D3DFVF_DIFFUSE;
    const bool hasSpecular = fvf & D3DFVF_SPECULAR;
    const bool lighting = !pretransformed && rs[D3DRS_LIGHTING];

    // Fog: table (per pixel) wins over vertex fog; with neither, the specular
    // alpha is the fog factor.
    const bool fogOn = rs[D3DRS_FOGENABLE] != 0;
    const DWORD tableMode = fogOn ? rs[D3DRS_FOGTABLEMODE] : D3DFOG_NONE;
    const DWORD vertexMode = fogOn && tableMode == D3DFOG_NONE && !pretransformed ? rs[D3DRS_FOGVERTEXMODE] : D3DFOG_NONE;
    const bool fogFromSpecular = fogOn && tableMode == D3DFOG_NONE && vertexMode == D3DFOG_NONE;

    b.vertexFlags[0] = pretransformed;
    b.vertexFlags[1] = lighting;
    b.vertexFlags[2] = int32_t(vertexMode);
    b.vertexFlags[3] = vertexMode != D3DFOG_NONE && rs[D3DRS_RANGEFOGENABLE] != 0;
    b.vertexFlags2[0] = hasNormal;
    b.vertexFlags2[1] = lighting && rs[D3DRS_NORMALIZENORMALS] != 0;
    b.vertexFlags2[2] = fogFromSpecular;

    const D3DMATRIX world = transform(D3DTS_WORLD), view = transform(D3DTS_VIEW);
    const D3DMATRIX projection = transform(D3DTS_PROJECTION);
    const D3DMATRIX worldView = Multiply(world, view);
    // Table fog uses w when the projection is a perspective one, else z.
    b.vertexFlags2[3] = projection.m[2][3] != 0.0f;
    CopyMatrix(worldView, b.worldView);
    CopyMatrix(projection, b.projection);
    D3DMATRIX inverse;
    if (!Invert(worldView, inverse))
        inverse = IdentityMatrix();
    // Normals go through the inverse transpose (row vectors), which as a
    // column-vector matrix for the shader is the inverse itself.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            b.normalMatrix[c * 3 + r] = inverse.m[r][c];

    if (lighting)
    {
        const bool colourVertex = rs[D3DRS_COLORVERTEX] != 0;
        auto source = [&](DWORD value) -> int32_t {
            if (!colourVertex || value == D3DMCS_MATERIAL)
                return 0;
            if (value == D3DMCS_COLOR1)
                return hasDiffuse ? 1 : 0;
            return hasSpecular ? 2 : 0;
        };
        b.materialSource[0] = source(rs[D3DRS_DIFFUSEMATERIALSOURCE]);
        b.materialSource[1] = source(rs[D3DRS_AMBIENTMATERIALSOURCE]);
        b.materialSource[2] = source(rs[D3DRS_SPECULARMATERIALSOURCE]);
        b.materialSource[3] = source(rs[D3DRS_EMISSIVEMATERIALSOURCE]);
        Copy4(m_Material.Diffuse, b.materialDiffuse);
        Copy4(m_Material.Ambient, b.materialAmbient);
        Copy4(m_Material.Specular, b.materialSpecular);
        Copy4(m_Material.Emissive, b.materialEmissive);
        b.materialPower = m_Material.Power;
        ColourFloats(rs[D3DRS_AMBIENT], b.globalAmbient);
        int count = 0;
        for (const auto& [index, enabled] : m_LightEnabled)
        {
            auto found = m_Lights.find(index);
            if (!enabled || found == m_Lights.end() || count == 8)
                continue;
            const D3DLIGHT9& light = found->second;
            const int i = count++;
            b.lightType[i][0] = int32_t(light.Type);
            Copy4(light.Diffuse, b.lightDiffuse[i]);
            Copy4(light.Specular, b.lightSpecular[i]);
            Copy4(light.Ambient, b.lightAmbient[i]);
            const float position[4] = {light.Position.x, light.Position.y, light.Position.z, 1.0f};
            Transform(position, view, b.lightPosition[i]);
            const float direction[4] = {light.Direction.x, light.Direction.y, light.Direction.z, 0.0f};
            Transform(direction, view, b.lightDirection[i]);
            const float length = std::sqrt(b.lightDirection[i][0] * b.lightDirection[i][0] +
                                           b.lightDirection[i][1] * b.lightDirection[i][1] +
                                           b.lightDirection[i][2] * b.lightDirection[i][2]);
            for (int c = 0; c < 3 && length > 0.0f; ++c)
                b.lightDirection[i][c] /= length;
            b.lightAttenuation[i][0] = light.Attenuation0;
            b.lightAttenuation[i][1] = light.Attenuation1;
            b.lightAttenuation[i][2] = light.Attenuation2;
            b.lightAttenuation[i][3] = light.Range > 0.0f ? light.Range : 3.4e38f;
            b.lightSpot[i][0] = std::cos(light.Theta / 2.0f);
            b.lightSpot[i][1] = std::cos(light.Phi / 2.0f);
            b.lightSpot[i][2] = light.Falloff;
        }
        b.lightFlags[0] = count;
        b.lightFlags[1] = rs[D3DRS_LOCALVIEWER] != 0;
        b.lightFlags[2] = rs[D3DRS_SPECULARENABLE] != 0;
    }
    b.lightFlags[3] = (fvf & D3DFVF_PSIZE) != 0;

    b.viewport[0] = float(m_Viewport.X);
    b.viewport[1] = float(m_Viewport.Y);
    b.viewport[2] = float(m_Viewport.Width);
    b.viewport[3] = float(m_Viewport.Height);
    b.fog[0] = Float(rs[D3DRS_FOGSTART]);
    b.fog[1] = Float(rs[D3DRS_FOGEND]);
    b.fog[2] = Float(rs[D3DRS_FOGDENSITY]);
    b.fog[3] = Float(rs[D3DRS_POINTSIZE]);

    const int sets = int((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    for (int set = 0; set < 8; ++set)
        b.texCoordSize[set] = set < sets ? CoordinateSize(fvf, set) : 2;

    if (!pretransformed)
    {
        D3DMATRIX inverseView;
        if (!Invert(view, inverseView))
            inverseView = IdentityMatrix();
        for (int i = 0; i < 6; ++i)
        {
            if (!(rs[D3DRS_CLIPPLANEENABLE] & (1u << i)))
                continue;
            // A world-space plane in view space: the inverse view times the plane as a column.
            const int slot = b.clipPlaneCount++;
            for (int r = 0; r < 4; ++r)
                b.clipPlane[slot][r] = inverseView.m[r][0] * m_ClipPlanes[size_t(i)][0] +
                                       inverseView.m[r][1] * m_ClipPlanes[size_t(i)][1] +
                                       inverseView.m[r][2] * m_ClipPlanes[size_t(i)][2] +
                                       inverseView.m[r][3] * m_ClipPlanes[size_t(i)][3];
        }
    }

    // Texture stages: the first disabled colour operation ends the cascade.
    int active = 0;
    for (int stage = 0; stage < 4; ++stage)
    {
        const auto& s = m_StageStates[size_t(stage)];
        if (s[D3DTSS_COLOROP] == D3DTOP_DISABLE || s[D3DTSS_COLOROP] > D3DTOP_LERP || s[D3DTSS_COLOROP] == 0)
            break;
        active = stage + 1;
        b.colourOp[stage][0] = int32_t(s[D3DTSS_COLOROP]);
        b.colourOp[stage][1] = Argument(s[D3DTSS_COLORARG1]);
        b.colourOp[stage][2] = Argument(s[D3DTSS_COLORARG2]);
        b.colourOp[stage][3] = Argument(s[D3DTSS_COLORARG0]);
        const DWORD alphaOp = s[D3DTSS_ALPHAOP] > D3DTOP_LERP ? D3DTOP_DISABLE : s[D3DTSS_ALPHAOP];
        b.alphaOp[stage][0] = int32_t(alphaOp);
        b.alphaOp[stage][1] = Argument(s[D3DTSS_ALPHAARG1]);
        b.alphaOp[stage][2] = Argument(s[D3DTSS_ALPHAARG2]);
        b.alphaOp[stage][3] = Argument(s[D3DTSS_ALPHAARG0]);
        b.stageFlags[stage][0] = (s[D3DTSS_RESULTARG] & D3DTA_SELECTMASK) == D3DTA_TEMP;
        b.stageFlags[stage][1] = m_Textures[size_t(stage)] != nullptr;
        const DWORD flags = s[D3DTSS_TEXTURETRANSFORMFLAGS];
        b.stageFlags[stage][2] = (flags & D3DTTFF_PROJECTED) != 0;
        ColourFloats(s[D3DTSS_CONSTANT], b.stageConstant[stage]);
        b.bumpMatrix[stage][0] = Float(s[D3DTSS_BUMPENVMAT00]);
        b.bumpMatrix[stage][1] = Float(s[D3DTSS_BUMPENVMAT01]);
        b.bumpMatrix[stage][2] = Float(s[D3DTSS_BUMPENVMAT10]);
        b.bumpMatrix[stage][3] = Float(s[D3DTSS_BUMPENVMAT11]);
        b.bumpLuminance[stage][0] = Float(s[D3DTSS_BUMPENVLSCALE]);
        b.bumpLuminance[stage][1] = Float(s[D3DTSS_BUMPENVLOFFSET]);

        const DWORD index = s[D3DTSS_TEXCOORDINDEX];
        b.stageCoords[stage][0] = int32_t(index & 7);
        const DWORD generation = index >> 16;
        b.stageCoords[stage][1] = pretransformed ? 0 : int32_t(generation <= 4 ? generation : 0);
        b.stageCoords[stage][2] = int32_t(flags & 0xFF) <= 4 ? int32_t(flags & 0xFF) : 0;
        b.stageCoords[stage][3] = (flags & D3DTTFF_PROJECTED) != 0;
        if (b.stageCoords[stage][2] != 0)
            CopyMatrix(transform(D3DTS_TEXTURE0 + uint32_t(stage)), b.textureMatrix[stage]);
    }
    b.pixelFlags[0] = active;
    b.pixelFlags[1] = rs[D3DRS_ALPHATESTENABLE] && rs[D3DRS_ALPHAFUNC] >= D3DCMP_NEVER &&
                              rs[D3DRS_ALPHAFUNC] <= D3DCMP_ALWAYS
                          ? int32_t(rs[D3DRS_ALPHAFUNC])
                          : int32_t(D3DCMP_ALWAYS);
    b.pixelFlags[2] = int32_t(rs[D3DRS_ALPHAREF] & 0xFF);
    b.pixelFlags[3] = tableMode == D3DFOG_LINEAR ? 3 : int32_t(tableMode);
    b.pixelFlags2[0] = rs[D3DRS_SPECULARENABLE] != 0;
    b.pixelFlags2[1] = fogOn && tableMode == D3DFOG_NONE;
    b.pixelFlags2[2] = b.vertexFlags2[3];
    ColourFloats(rs[D3DRS_TEXTUREFACTOR], b.textureFactor);
    ColourFloats(rs[D3DRS_FOGCOLOR], b.fogColour);
    b.fogTable[0] = b.fog[0];
    b.fogTable[1] = b.fog[1];
    b.fogTable[2] = b.fog[2];
}

// Uniform locations of the fixed-function program.
struct GlDevice::FixedUniforms
{
    int worldView, projection, normalMatrix, textureMatrix, viewport, fog;
    int materialDiffuse, materialAmbient, materialSpecular, materialEmissive, materialPower, globalAmbient;
    int lightDiffuse, lightSpecular, lightAmbient, lightPosition, lightDirection, lightAttenuation,
        lightSpot;
    int clipPlane;
    int stageConstant, bumpMatrix, bumpLuminance, textureFactor;
    int alphaReference, fogColour, fogTable;

    explicit FixedUniforms(unsigned program)
    {
        auto at = [&](const char* name) { return glGetUniformLocation(program, name); };
        worldView = at("u_WorldView");
        projection = at("u_Projection");
        normalMatrix = at("u_NormalMatrix");
        textureMatrix = at("u_TextureMatrix");
        viewport = at("u_Viewport");
        fog = at("u_Fog");
        materialDiffuse = at("u_MaterialDiffuse");
        materialAmbient = at("u_MaterialAmbient");
        materialSpecular = at("u_MaterialSpecular");
        materialEmissive = at("u_MaterialEmissive");
        materialPower = at("u_MaterialPower");
        globalAmbient = at("u_GlobalAmbient");
        lightDiffuse = at("u_LightDiffuse");
        lightSpecular = at("u_LightSpecular");
        lightAmbient = at("u_LightAmbient");
        lightPosition = at("u_LightPosition");
        lightDirection = at("u_LightDirection");
        lightAttenuation = at("u_LightAttenuation");
        lightSpot = at("u_LightSpot");
        clipPlane = at("u_ClipPlane");
        stageConstant = at("u_StageConstant");
        bumpMatrix = at("u_BumpMatrix");
        bumpLuminance = at("u_BumpLuminance");
        textureFactor = at("u_TextureFactor");
        alphaReference = at("u_AlphaReference");
        fogColour = at("u_FogColour");
        fogTable = at("u_FogTable");
    }
};

GlDevice::FixedUniforms* GlDevice::LocateUniforms(unsigned program) { return new FixedUniforms(program); }

void GlDevice::ForgetUniforms(FixedUniforms* uniforms) { delete uniforms; }

void GlDevice::UploadBlock(FixedProgram& program, const FixedFunctionBlock& b)
{
    if (program.uploaded && std::memcmp(&b, &program.last, sizeof b) == 0)
        return;
    const FixedUniforms& u = *program.uniforms;
    glUniformMatrix4fv(u.worldView, 1, GL_FALSE, b.worldView);
    glUniformMatrix4fv(u.projection, 1, GL_FALSE, b.projection);
    glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, b.normalMatrix);
    glUniformMatrix4fv(u.textureMatrix, 4, GL_FALSE, &b.textureMatrix[0][0]);
    glUniform4fv(u.viewport, 1, b.viewport);
    glUniform4fv(u.fog, 1, b.fog);
    glUniform4fv(u.materialDiffuse, 1, b.materialDiffuse);
    glUniform4fv(u.materialAmbient, 1, b.materialAmbient);
    glUniform4fv(u.materialSpecular, 1, b.materialSpecular);
    glUniform4fv(u.materialEmissive, 1, b.materialEmissive);
    glUniform1f(u.materialPower, b.materialPower);
    glUniform4fv(u.globalAmbient, 1, b.globalAmbient);
    glUniform4fv(u.lightDiffuse, 8, &b.lightDiffuse[0][0]);
    glUniform4fv(u.lightSpecular, 8, &b.lightSpecular[0][0]);
    glUniform4fv(u.lightAmbient, 8, &b.lightAmbient[0][0]);
    glUniform4fv(u.lightPosition, 8, &b.lightPosition[0][0]);
    glUniform4fv(u.lightDirection, 8, &b.lightDirection[0][0]);
    glUniform4fv(u.lightAttenuation, 8, &b.lightAttenuation[0][0]);
    glUniform4fv(u.lightSpot, 8, &b.lightSpot[0][0]);
    glUniform4fv(u.clipPlane, 6, &b.clipPlane[0][0]);
    glUniform4fv(u.stageConstant, 4, &b.stageConstant[0][0]);
    glUniform4fv(u.bumpMatrix, 4, &b.bumpMatrix[0][0]);
    glUniform4fv(u.bumpLuminance, 4, &b.bumpLuminance[0][0]);
    glUniform4fv(u.textureFactor, 1, b.textureFactor);
    glUniform1i(u.alphaReference, b.pixelFlags[2]);
    glUniform4fv(u.fogColour, 1, b.fogColour);
    glUniform4fv(u.fogTable, 1, b.fogTable);
    program.last = b;
    program.uploaded = true;
}
} // namespace gfx::gl
