// Shorelines: reading Map%d.ssh, the cells' buffers across device loss, and
// drawing the camera's cell.
#include "world/QV7_ShoreLines.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_TextureList.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_Landscape.h"

#include <cstring>

namespace
{
const char* const kModule = "QV7_ShoreLines";

const GameSettings& Settings()
{
    static const GameSettings defaults;
    return g_windowsData ? g_windowsData->m_Settings : defaults;
}

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace

bool QV7_ShoreLines::Enabled()
{
    return Settings().Detail != -1 || Settings().force_Shore != 0;
}

QV7_ShoreLines::QV7_ShoreLines()
{
    if (!Enabled() || !g_device)
        return;
    static const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        {0, 20, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        D3DDECL_END()};
    g_device->CreateVertexDeclaration(elements, &m_Declaration);
    const std::string* bytes = FindEffectSource("ShoreLines");
    try
    {
        if (g_shaders && bytes)
            m_Shader = g_shaders->Create("ShoreLines", bytes->data(), unsigned(bytes->size()));
    }
    catch (const CDException&)
    {
        m_Shader = nullptr;
    }
    m_Technique =
        m_Shader && m_Shader->m_Effect ? m_Shader->m_Effect->GetTechniqueByName("TShoreLine") : nullptr;
    if (!m_Technique)
        QV7_Logger::Log(g_logger,
                        "ERROR: Failed to find Shoreline vertex shader technique supported by 3D Card.");
    CreateQuadIndices();
}

QV7_ShoreLines::~QV7_ShoreLines()
{
    if (m_Declaration)
        m_Declaration->Release();
    if (m_QuadIndices)
        m_QuadIndices->Release();
    if (g_shaders && m_Shader)
        g_shaders->Unload(m_Shader);
    ReleaseCellBuffers();
}

void QV7_ShoreLines::CreateQuadIndices()
{
    if (FAILED(g_device->CreateIndexBuffer(kQuadIndices * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                           D3DPOOL_MANAGED, &m_QuadIndices, nullptr)))
        return;
    void* data = nullptr;
    if (FAILED(m_QuadIndices->Lock(0, 0, &data, 0)))
        return;
    auto* indices = static_cast<uint16_t*>(data);
    for (uint16_t k = 0; k < kQuadIndices / 6; ++k)
    {
        const uint16_t base = uint16_t(4 * k);
        const uint16_t quad[6] = {base,
                                  uint16_t(base + 1),
                                  uint16_t(base + 2),
                                  uint16_t(base + 1),
                                  uint16_t(base + 2),
                                  uint16_t(base + 3)};
        std::memcpy(indices + 6 * k, quad, sizeof quad);
    }
    m_QuadIndices->Unlock();
}

void QV7_ShoreLines::Load(const std::string& path, const QV7_TextureList* mapTextures)
{
    if (!Enabled())
        return;
    QV7_Logger::Log(g_logger, "INFO: Loading shorelines");
    ReleaseCellBuffers();
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Shorelines: cannot open %s", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    for (ShoreCell& cell : m_Cells)
    {
        cell = ShoreCell{};
        cell.vertexCount = file.ReadUInt32();
        if (!file.Failed() && (cell.vertexCount % 4 != 0 || cell.vertexCount > kMostVertices))
        {
            QV7_Logger::Log(g_logger, "ERROR: Shorelines: %s is broken: a cell holds %u vertices",
                            path.c_str(), cell.vertexCount);
            ThrowBrokenString(kModule, __LINE__);
        }
        cell.vertices.resize(size_t(cell.vertexCount) * kVertexBytes);
        file.ReadBytes(cell.vertices.data(), cell.vertices.size());
        for (uint32_t& word : cell.words)
            word = file.ReadUInt32();
        if (file.Failed())
            break;
    }
    const uint32_t textureId = file.ReadUInt32();
    if (file.Failed())
    {
        QV7_Logger::Log(g_logger, "ERROR: Shorelines: %s is broken: it ends early", path.c_str());
        for (ShoreCell& cell : m_Cells)
            cell = ShoreCell{};
        ThrowBrokenString(kModule, __LINE__);
    }
    m_Texture = mapTextures ? mapTextures->FindByCompileId(textureId) : nullptr;
    QV7_Logger::Log(g_logger, "INFO: Shorelines Loading done");
}

void QV7_ShoreLines::ReleaseCellBuffers()
{
    for (ShoreCell& cell : m_Cells)
        if (cell.vertexBuffer)
        {
            cell.vertexBuffer->Release();
            cell.vertexBuffer = nullptr;
        }
}

void QV7_ShoreLines::OnLostReset(int lost)
{
    if (!Enabled())
        return;
    if (lost == 1)
    {
        ReleaseCellBuffers();
        return;
    }
    for (ShoreCell& cell : m_Cells)
    {
        if (cell.vertexCount == 0 || cell.vertexBuffer || !g_device)
            continue;
        if (FAILED(g_device->CreateVertexBuffer(UINT(cell.vertices.size()),
                                                D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT,
                                                &cell.vertexBuffer, nullptr)))
            continue;
        void* data = nullptr;
        if (SUCCEEDED(cell.vertexBuffer->Lock(0, 0, &data, D3DLOCK_DISCARD)))
        {
            std::memcpy(data, cell.vertices.data(), cell.vertices.size());
            cell.vertexBuffer->Unlock();
        }
    }
}

ShoreCell* QV7_ShoreLines::FindCameraCell(float x, float z)
{
    if (!(x >= 0.0f) || !(z >= 0.0f))
        return nullptr;
    const float cx = x * 0.00048828125f, cz = z * 0.00048828125f;
    if (cx >= float(kCellSide) || cz >= float(kCellSide))
        return nullptr;
    return &m_Cells[size_t(int(cz) * kCellSide + int(cx))];
}

void QV7_ShoreLines::Render()
{
    if (!Enabled() || !g_camera || !g_scene || !g_device)
        return;
    const ShoreCell* cell = FindCameraCell(g_camera->m_Eye.x, g_camera->m_Eye.z);
    if (!cell || cell->vertexCount == 0)
        return;
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    m_Phase += frameMs * 0.0005f;
    while (m_Phase > kTwoPi)
        m_Phase -= kTwoPi;
    Draw(*cell);
}

void QV7_ShoreLines::Draw(const ShoreCell& cell)
{
    ID3DXEffect* effect = m_Shader ? m_Shader->m_Effect : nullptr;
    if (!effect || !m_Technique || !cell.vertexBuffer || !m_QuadIndices)
        return;
    g_scene->StartWorkSpace();
    effect->SetTechnique(m_Technique);
    g_device->SetFVF(0);
    g_device->SetVertexDeclaration(m_Declaration);
    effect->SetMatrix("Proj", &g_camera->m_Projection);
    effect->SetMatrix("View", &g_camera->m_View);
    effect->SetTexture("MeshTexture", m_Texture ? m_Texture->m_Texture : nullptr);
    const uint32_t* fog = g_landscape ? g_landscape->m_Fog : nullptr;
    g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
    g_scene->SetRenderState(fog ? fog[1] : 0, D3DRS_FOGCOLOR);
    g_scene->SetRenderState(D3DFOG_LINEAR, D3DRS_FOGVERTEXMODE);
    g_scene->SetRenderState(fog ? fog[4] : 0, D3DRS_FOGSTART);
    g_scene->SetRenderState(fog ? fog[5] : 0, D3DRS_FOGEND);
    effect->SetFloat("FogStart", fog ? FloatOf(fog[4]) : 0.0f);
    effect->SetFloat("FogEnd", fog ? FloatOf(fog[5]) : 0.0f);
    effect->SetFloat("ShoreFloating", m_Phase);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    for (UINT pass = 0; pass < passes; ++pass)
    {
        effect->BeginPass(pass);
        effect->CommitChanges();
        g_device->SetIndices(m_QuadIndices);
        g_device->SetStreamSource(0, cell.vertexBuffer, 0, kVertexBytes);
        g_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, cell.vertexCount, 0, cell.vertexCount / 2);
        effect->EndPass();
    }
    effect->End();
    g_scene->EndWorkSpace(0);
}
