// The landscape's life, its queries and its drawing; the tiles themselves are
// built in QV7_LandscapeRings.cpp and the map file read in LandscapeMapFile.cpp.
#include "world/QV7_Landscape.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_ShadowMap.h"
#include "engine/QV7_TextureList.h"
#include "shell/QV7_Logger.h"
#include "world/LandscapeHelpers.h"
#include "world/ParallelRows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

QV7_Landscape* g_landscape = nullptr;
QV7_ShadowMap* (*QV7_Landscape::s_SessionShadowMap)() = nullptr;

namespace
{
constexpr float kSampleScale = 1.0f / 64.0f;
const D3DXVECTOR3 kUp(0.0f, 1.0f, 0.0f);

// The shadow map lights from where the map's sun shines.
bool LandscapeSunDirection(D3DXVECTOR3* direction)
{
    if (!g_landscape || !g_landscape->IsCreated())
        return false;
    const D3DVECTOR& d = g_landscape->m_Light.Direction;
    *direction = D3DXVECTOR3(d.x, d.y, d.z);
    return true;
}

// A normal the sun (travelling along l) lights less than `shade` times flat
// ground becomes an upright one of length shade; one it lights less than
// `bright` times flat ground, of length bright. Tested against the normal's
// first product; the brightness wins.
inline void ShadeOrBrighten(const D3DVECTOR& l, float shade, float bright, D3DXVECTOR3& normal)
{
    const float d = l.x * normal.x + l.y * normal.y + l.z * normal.z;
    if (l.y * shade < d)
        normal = D3DXVECTOR3(0.0f, shade, 0.0f);
    if (l.y * bright > d)
        normal = D3DXVECTOR3(0.0f, bright, 0.0f);
}

const D3DRENDERSTATETYPE kFogStates[8] = {D3DRS_FOGENABLE,    D3DRS_FOGCOLOR,      D3DRS_FOGVERTEXMODE,
                                          D3DRS_FOGTABLEMODE, D3DRS_FOGSTART,      D3DRS_FOGEND,
                                          D3DRS_FOGDENSITY,   D3DRS_RANGEFOGENABLE};
} // namespace

QV7_Landscape::QV7_Landscape()
{
    QV7_Logger::Log(g_logger, "INFO: Loading Landscape environment.");
    D3DXMatrixIdentity(&m_World);
    D3DXMatrixIdentity(&m_TextureMatrix0);
    D3DXMatrixIdentity(&m_TextureMatrix1);
    for (int i = 0; i < 8; ++i)
        m_Fog[i] = g_scene ? g_scene->GetRenderState(kFogStates[i]) : 0;
    g_landscape = this;
    QV7_ShadowMap::s_SunDirection = &LandscapeSunDirection;
}

QV7_Landscape::~QV7_Landscape()
{
    if (m_ShadowTexture)
    {
        if (g_scene)
            g_scene->ForgetTexture(m_ShadowTexture);
        m_ShadowTexture->Release();
        m_ShadowTexture = nullptr;
    }
    if (g_landscape == this)
        g_landscape = nullptr;
    if (QV7_ShadowMap::s_SunDirection == &LandscapeSunDirection)
        QV7_ShadowMap::s_SunDirection = nullptr;
    if (m_Created)
        Unload();
}

void QV7_Landscape::Create()
{
    Allocate(true);
}

void QV7_Landscape::CreateForMap()
{
    Allocate(false);
}

void QV7_Landscape::Allocate(bool zeroed)
{
    if (m_Created)
        return;
    QV7_Logger::Log(g_logger, "INFO: Landscape: Creating Width: %d Height: %d", kGridSide, kGridSide);
    m_Width = m_Height = kGridSide;
    m_CellSizeX = m_CellSizeZ = kSampleSpacing;
    const size_t samples = size_t(m_Width) * size_t(m_Height);
    auto size = [zeroed, samples](auto& grid, const auto& value)
    {
        if (zeroed)
            grid.assign(samples, value);
        else
            grid.resize(samples);
    };
    for (LandscapeGrid<float>* grid : {&m_Heights, &m_Brightness, &m_ThirdLayer})
        size(*grid, 0.0f);
    for (LandscapeGrid<D3DXVECTOR3>* grid : {&m_CellNormals, &m_LightingNormals})
        size(*grid, kUp);
    m_BaseTexture = m_DetailTexture = nullptr;
    m_DetailFactor = 2.0f;
    m_ShadeLevel = -0.5f;
    BuildTextureMatrices();
    m_VerticesPerTile = kTileVertices;
    CreateIndexBuffer();
    m_CameraCell.x = m_CameraCell.z = 0.0f;
    m_MaxHeight = 0.0f;
    CreateTileBuffers();
    D3DXMatrixTranslation(&m_World, 0.0f, 0.0f, 0.0f);
    m_Created = 1;
    QV7_Logger::Log(g_logger, "INFO: Landscape: Created");
}

void QV7_Landscape::CreateIndexBuffer()
{
    m_IndexCount = kStripIndices;
    m_Indices.assign(size_t(kStripIndices), 0);
    BuildSpiralStrip(m_Indices.data());
    if (!g_device ||
        FAILED(g_device->CreateIndexBuffer(UINT(kStripIndices * sizeof(uint16_t)), D3DUSAGE_WRITEONLY,
                                           D3DFMT_INDEX16, D3DPOOL_MANAGED, &m_IndexBuffer, nullptr)))
    {
        m_IndexBuffer = nullptr;
        QV7_Logger::Log(g_logger, "ERROR: Landscape: Creating the index buffer FAILED");
        return;
    }
    void* data = nullptr;
    if (SUCCEEDED(m_IndexBuffer->Lock(0, 0, &data, 0)))
    {
        std::memcpy(data, m_Indices.data(), m_Indices.size() * sizeof(uint16_t));
        m_IndexBuffer->Unlock();
    }
}

void QV7_Landscape::Unload()
{
    QV7_Logger::Log(g_logger, "INFO: Landscape unloading.");
    ReleaseTileBuffers();
    for (TerrainTile& tile : m_NearTiles)
        tile.m_Positions.clear();
    for (auto& ring : m_RingTiles)
        for (TerrainTile& tile : ring)
            tile.m_Positions.clear();
    if (m_IndexBuffer)
        m_IndexBuffer->Release();
    m_IndexBuffer = nullptr;
    m_Indices.clear();
    for (LandscapeGrid<float>* grid : {&m_Heights, &m_Brightness, &m_ThirdLayer})
        LandscapeGrid<float>().swap(*grid);
    LandscapeGrid<D3DXVECTOR3>().swap(m_CellNormals);
    LandscapeGrid<D3DXVECTOR3>().swap(m_LightingNormals);
    // The map's textures belong to its texture list, which goes with the race.
    m_BaseTexture = m_DetailTexture = nullptr;
    QV7_Logger::Log(g_logger, "INFO: Landscape: Unloading done");
    m_Created = 0;
}

float QV7_Landscape::GetHeight(float x, float z) const
{
    if (!m_Created || !std::isfinite(x) || !std::isfinite(z))
        return 0.0f;
    const float fx = FloorF(x * kSampleScale), fz = FloorF(z * kSampleScale);
    if (fx < 0.0f || fz < 0.0f || fx >= float(m_Width - 1) || fz >= float(m_Height - 1))
        return 0.0f;
    const float u = x * kSampleScale - fx, v = z * kSampleScale - fz;
    const int ix = int(fx), iz = int(fz);
    const float h00 = Height(ix, iz), h10 = Height(ix + 1, iz);
    const float h01 = Height(ix, iz + 1), h11 = Height(ix + 1, iz + 1);
    return (1.0f - v) * ((1.0f - u) * h00 + u * h10) + v * ((1.0f - u) * h01 + u * h11);
}

D3DXVECTOR3 QV7_Landscape::GetNormal(float x, float z) const
{
    if (!m_Created || !std::isfinite(x) || !std::isfinite(z))
        return kUp;
    const float fx = FloorF(x * kSampleScale), fz = FloorF(z * kSampleScale);
    if (fx < 0.0f || fz < 0.0f || fx >= float(m_Width) || fz >= float(m_Height))
        return kUp;
    return m_CellNormals[size_t(fz) * size_t(m_Width) + size_t(fx)];
}

void QV7_Landscape::ComputeMaximumHeight()
{
    m_MaxHeight = 0.0f;
    for (float height : m_Heights)
        m_MaxHeight = std::max(m_MaxHeight, height);
}

void QV7_Landscape::ComputeCellNormals()
{
    ForEachRowInParallel(m_Height, [this](int z) { CellNormalsOfRow(z); });
}

void QV7_Landscape::ComputeLightingNormals()
{
    ForEachRowInParallel(m_Height, [this](int z) { LightingNormalsOfRow(z); });
}

void QV7_Landscape::ComputeNormals()
{
    ForEachRowInParallel(m_Height,
                         [this](int z)
                         {
                             CellNormalsOfRow(z);
                             LightingNormalsOfRow(z);
                         });
}

// The triangle normal of (x, z), (x + 1, z) and (x, z + 1), with 0 beyond the
// grid's last row and column. With the corners 64 apart the cross product is
// (-64 dx, 64 * 64, -64 dz), worked out term by term as the general product
// does and never 0: short enough for a million of them on every load.
void QV7_Landscape::CellNormalsOfRow(int z)
{
    const float step = float(kSampleSpacing);
    const float* row = &m_Heights[size_t(z) * size_t(m_Width)];
    const float* next = z + 1 < m_Height ? row + m_Width : nullptr;
    D3DXVECTOR3* out = &m_CellNormals[size_t(z) * size_t(m_Width)];
    for (int x = 0; x < m_Width; ++x)
    {
        const float h = row[x];
        const float dx = (x + 1 < m_Width ? row[x + 1] : 0.0f) - h;
        const float dz = (next ? next[x] : 0.0f) - h;
        // The zero terms stay: they give the general product's signed zeros.
        const D3DXVECTOR3 cross(dz * 0.0f - step * dx, step * step - 0.0f * 0.0f, 0.0f * dx - dz * step);
        out[x] = cross / std::sqrt(cross.x * cross.x + cross.y * cross.y + cross.z * cross.z);
    }
}

// AdjustLightingNormal over a row inside the grid, where the brightness is
// always there to read.
void QV7_Landscape::LightingNormalsOfRow(int z)
{
    const size_t first = size_t(z) * size_t(m_Width);
    const D3DVECTOR& l = m_Light.Direction;
    const float shade = m_ShadeLevel + 1.0f;
    const bool hasBrightness = !m_Brightness.empty();
    for (size_t i = first; i < first + size_t(m_Width); ++i)
    {
        D3DXVECTOR3 normal = m_CellNormals[i];
        ShadeOrBrighten(l, shade, (hasBrightness ? m_Brightness[i] : 0.0f) + 1.0f, normal);
        m_LightingNormals[i] = normal;
    }
}

void QV7_Landscape::AdjustLightingNormal(int x, int z, D3DXVECTOR3& normal) const
{
    const bool inside = x >= 0 && x <= m_Width - 1 && z >= 0 && z <= m_Height - 1 && !m_Brightness.empty();
    const float brightness = inside ? m_Brightness[size_t(z) * size_t(m_Width) + size_t(x)] : 0.0f;
    ShadeOrBrighten(m_Light.Direction, m_ShadeLevel + 1.0f, brightness + 1.0f, normal);
}

void QV7_Landscape::BuildTextureMatrices()
{
    std::memset(&m_TextureMatrix0, 0, sizeof m_TextureMatrix0);
    std::memset(&m_TextureMatrix1, 0, sizeof m_TextureMatrix1);
    // u from world x, v from world z: the base picture once over the whole
    // island, the detail picture every 204.8 units.
    m_TextureMatrix0._11 = m_TextureMatrix0._32 = 1.0f / 65536.0f;
    m_TextureMatrix1._11 = m_TextureMatrix1._32 = 10.0f / (m_DetailFactor * 1024.0f);
}

void QV7_Landscape::ApplySunLight() const
{
    if (!g_device)
        return;
    g_device->SetLight(0, &m_Light);
    g_device->LightEnable(0, TRUE);
}

void QV7_Landscape::Render(int pass)
{
    if (!m_Created || !g_device || !g_scene || !g_camera)
        return;
    RebuildRings();
    UpdateVisibility();
    g_scene->StartWorkSpace();
    ApplyLandscapeFog();
    SetWorldTransform(pass);
    g_scene->SetRenderState(pass == 0 ? D3DCULL_CCW : D3DCULL_CW, D3DRS_CULLMODE);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    g_device->SetFVF(kFvf);
    QV7_ShadowMap* shadow = pass == 0 && s_SessionShadowMap ? s_SessionShadowMap() : nullptr;
    const int subPasses = shadow && shadow->m_Enabled ? 2 : 1;
    for (int subPass = 0; subPass < subPasses; ++subPass)
    {
        if (subPass == 0)
            SetTextureStages();
        else if (!BeginShadowSubPass(shadow))
            break;
        g_device->SetMaterial(&m_Material);
        g_device->SetIndices(m_IndexBuffer);
        DrawVisibleTiles();
        if (subPass == 1)
        {
            shadow->m_Shader->m_Effect->EndPass();
            shadow->m_Shader->m_Effect->End();
        }
    }
    g_scene->EndWorkSpace(0);
}

void QV7_Landscape::UpdateVisibility()
{
    ForEachTile(
        [this](TerrainTile& tile)
        { tile.m_Visible = QV7_Camera::IsSphereVisible(&m_World, &tile.m_Centre, g_camera, tile.m_Radius); });
}

void QV7_Landscape::SetWorldTransform(int pass)
{
    if (pass == 1)
    {
        D3DXMATRIX lowered;
        D3DXMatrixTranslation(&lowered, m_CameraCell.x, -kReflectionDrop, m_CameraCell.z);
        g_device->SetTransform(D3DTS_WORLD, &lowered);
        D3DXMatrixTranslation(&m_World, m_CameraCell.x, 0.0f, m_CameraCell.z);
        return;
    }
    g_device->SetTransform(D3DTS_WORLD, &m_World);
}

void QV7_Landscape::SetTextureStages()
{
    D3DXMATRIX inverseView, texture0, texture1;
    D3DXMatrixInverse(&inverseView, nullptr, &g_camera->m_View);
    D3DXMatrixMultiply(&texture0, &inverseView, &m_TextureMatrix0);
    D3DXMatrixMultiply(&texture1, &inverseView, &m_TextureMatrix1);
    for (DWORD stage = 0; stage < 2; ++stage)
    {
        g_scene->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        g_scene->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    }
    g_device->SetTransform(D3DTS_TEXTURE0, &texture0);
    g_device->SetTransform(D3DTS_TEXTURE1, &texture1);
    // The base picture lies once over the island: beyond the grid its border
    // (the sea floor) goes on rather than the island repeating under the sea.
    // The detail picture repeats. Both set here, as the water leaves its own
    // stages clamped.
    for (D3DSAMPLERSTATETYPE address : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV})
    {
        g_scene->SetSamplerState(address, 0, D3DTADDRESS_CLAMP);
        g_scene->SetSamplerState(address, 1, D3DTADDRESS_WRAP);
    }
    IDirect3DTexture9* base = TextureOf(m_BaseTexture);
    IDirect3DTexture9* detail = TextureOf(m_DetailTexture);
    g_scene->SetTexture(base, 0);
    if (base)
    {
        g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        g_scene->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        g_scene->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    }
    if (detail)
    {
        g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADDSIGNED);
        g_scene->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        g_scene->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
        g_scene->SetTexture(detail, 1);
    }
    else
    {
        g_scene->SetTexture(nullptr, 1);
        g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
}

bool QV7_Landscape::BeginShadowSubPass(QV7_ShadowMap* shadow)
{
    ID3DXEffect* effect = shadow->m_Shader ? shadow->m_Shader->m_Effect : nullptr;
    if (!effect || !shadow->m_RenderScene || !shadow->m_Texture)
        return false;
    for (DWORD stage = 0; stage < 2; ++stage)
    {
        g_scene->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        g_scene->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
        g_scene->SetTexture(nullptr, stage);
    }
    D3DXMATRIX lifted = m_World, worldView, inverseView, viewToLight, lightViewProjection;
    lifted._42 += 1.0f;
    D3DXMatrixMultiply(&worldView, &lifted, &g_camera->m_View);
    D3DXMatrixInverse(&inverseView, nullptr, &g_camera->m_View);
    D3DXMatrixMultiply(&lightViewProjection, &shadow->m_LightView, &shadow->m_LightProjection);
    D3DXMatrixMultiply(&viewToLight, &inverseView, &lightViewProjection);
    effect->SetTexture("g_txShadow", shadow->m_Texture);
    effect->SetTechnique(shadow->m_RenderScene);
    effect->SetMatrix("g_mProj", &g_camera->m_Projection);
    effect->SetMatrix("g_mWorldView", &worldView);
    effect->SetMatrix("g_mViewToLightProj", &viewToLight);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    return true;
}

void QV7_Landscape::DrawVisibleTiles()
{
    ForEachTile(
        [](TerrainTile& tile)
        {
            if (!tile.m_Visible || !tile.m_VertexBuffer)
                return;
            g_device->SetStreamSource(0, tile.m_VertexBuffer, 0, kVertexStride);
            g_device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, kTileVertices, 0, kStripTriangles);
        });
}
