// The sky box's geometry, its placement per pass and its draw.
#include "world/QV7_SkyDome.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"

#include <cstring>

QV7_SkyDome* g_skyDome = nullptr;

namespace
{
// Atlas rows: the top face takes the lower left quarter, the sides two bands
// above it; each side's lower half stretches its band's last row down.
constexpr float kBandBottom = 0.25555554f;

void MarkViewChanged()
{
    if (g_skyDome)
        g_skyDome->m_ViewChanged = 1;
}
} // namespace

// Top, then the sides z = +S, x = +S, x = -S and z = -S, two halves each.
const WORD QV7_SkyDome::kIndices[kTriangleCount * 3] = {
    0,  1,  2,  2,  1,  3,                          // top
    5,  4,  6,  5,  6,  7,  7,  6,  8,  7,  8,  9,  // z = +S
    11, 13, 10, 11, 12, 13, 13, 12, 14, 13, 14, 15, // x = +S
    17, 16, 19, 18, 17, 19, 18, 19, 20, 20, 19, 21, // x = -S
    23, 22, 24, 23, 24, 25, 25, 24, 26, 25, 26, 27, // z = -S
};

void QV7_SkyDome::FillVertices(Vertex* out, float s)
{
    const Vertex table[kVertexCount] = {
        {-s, s, -s, 0.001f, 0.999f},      {s, s, -s, 0.001f, 0.499f},  {-s, s, s, 0.499f, 0.999f},
        {s, s, s, 0.499f, 0.499f},        {s, s, s, 0.499f, 0.499f},   {-s, s, s, 0.999f, 0.499f},
        {s, 0, s, 0.499f, 0.255f},        {-s, 0, s, 0.999f, 0.255f},  {s, -s, s, 0.499f, kBandBottom},
        {-s, -s, s, 0.999f, kBandBottom}, {s, s, s, 0.499f, 0.499f},   {s, s, -s, 0.001f, 0.499f},
        {s, 0, -s, 0.001f, 0.255f},       {s, 0, s, 0.499f, 0.255f},   {s, -s, -s, 0.001f, kBandBottom},
        {s, -s, s, 0.499f, kBandBottom},  {-s, s, s, 0.999f, 0.001f},  {-s, s, -s, 0.499f, 0.001f},
        {-s, 0, -s, 0.499f, 0.245f},      {-s, 0, s, 0.999f, 0.245f},  {-s, -s, -s, 0.499f, 0.245f},
        {-s, -s, s, 0.999f, 0.245f},      {-s, s, -s, 0.499f, 0.001f}, {s, s, -s, 0.001f, 0.001f},
        {-s, 0, -s, 0.499f, 0.245f},      {s, 0, -s, 0.001f, 0.245f},  {-s, -s, -s, 0.499f, 0.245f},
        {s, -s, -s, 0.001f, 0.245f},
    };
    std::memcpy(out, table, sizeof table);
}

QV7_SkyDome::QV7_SkyDome()
{
    D3DXMatrixIdentity(&m_World);
    g_skyDome = this;
    QV7_Camera::s_SkyViewChanged = &MarkViewChanged;
    CreateBuffers();
}

QV7_SkyDome::~QV7_SkyDome()
{
    if (m_VertexBuffer)
        m_VertexBuffer->Release();
    if (m_IndexBuffer)
        m_IndexBuffer->Release();
    if (g_skyDome == this)
    {
        g_skyDome = nullptr;
        QV7_Camera::s_SkyViewChanged = nullptr;
    }
}

// Managed buffers: they outlive device resets, so the sky needs no device hook.
void QV7_SkyDome::CreateBuffers()
{
    if (!g_device)
        return;
    void* data = nullptr;
    if (SUCCEEDED(g_device->CreateVertexBuffer(kVertexCount * sizeof(Vertex), D3DUSAGE_WRITEONLY, kFvf,
                                               D3DPOOL_MANAGED, &m_VertexBuffer)) &&
        SUCCEEDED(m_VertexBuffer->Lock(0, 0, &data, 0)))
    {
        FillVertices(static_cast<Vertex*>(data), m_Size);
        m_VertexBuffer->Unlock();
    }
    if (SUCCEEDED(g_device->CreateIndexBuffer(sizeof kIndices, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                              D3DPOOL_MANAGED, &m_IndexBuffer)) &&
        SUCCEEDED(m_IndexBuffer->Lock(0, 0, &data, 0)))
    {
        std::memcpy(data, kIndices, sizeof kIndices);
        m_IndexBuffer->Unlock();
    }
}

D3DXVECTOR3 QV7_SkyDome::Centre(const D3DXVECTOR3& eye, int reflection) const
{
    if (!reflection && !m_ReflectionMode)
        return eye;
    // The mirrored dome sits on the water; past a height the eye's climb
    // lowers it by as much, so that its horizon stays in the reflection.
    const float rise = eye.y - m_WaterLevel;
    const float y = rise <= kReflectionHeight ? m_WaterLevel : m_WaterLevel + kReflectionHeight - rise;
    return D3DXVECTOR3(eye.x, y, eye.z);
}

void QV7_SkyDome::Render(int reflection)
{
    if (!m_Enabled || !g_device || !g_scene || !m_VertexBuffer || !m_IndexBuffer)
        return;
    const D3DXVECTOR3 eye = g_camera ? g_camera->m_Eye : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 centre = Centre(eye, reflection);
    D3DXMatrixTranslation(&m_World, centre.x, centre.y, centre.z);
    const bool mirrored = reflection || m_ReflectionMode;

    g_scene->StartWorkSpace();
    g_scene->SetRenderState(D3DZB_FALSE, D3DRS_ZENABLE);
    g_device->SetTransform(D3DTS_WORLD, &m_World);
    g_scene->SetRenderState(FALSE, D3DRS_LIGHTING);
    g_scene->SetRenderState(FALSE, D3DRS_FOGENABLE);
    g_scene->SetRenderState(mirrored ? D3DCULL_CW : D3DCULL_CCW, D3DRS_CULLMODE);
    g_device->SetFVF(kFvf);
    g_scene->SetTexture(TextureOf(m_Texture), 0);
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    g_device->SetStreamSource(0, m_VertexBuffer, 0, sizeof(Vertex));
    g_device->SetIndices(m_IndexBuffer);
    g_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kVertexCount, 0, kTriangleCount);
    g_scene->EndWorkSpace(0);
}
