// Fading vegetation: reading Map%d.fvf, the layers' buffers, and the batched
// per-frame copy of the visible cells round the camera.
#include "world/QV7_FadingVegetation.h"

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

#include <algorithm>
#include <cstring>

namespace
{
const char* const kModule = "QV7_FadingVegetation";
// A layer's smallest record: the name's length and zero, six words, and 4096 empty cells.
constexpr size_t kSmallestLayer = 4 + 1 + 24 + 4096 * 12;
constexpr uint32_t kMostCellVertices = 65536;

const GameSettings& Settings()
{
    static const GameSettings defaults;
    return g_windowsData ? g_windowsData->m_Settings : defaults;
}

[[noreturn]] void Broken(const std::string& path, int line, const char* what)
{
    QV7_Logger::Log(g_logger, "ERROR: Fading Vegetation: %s is broken: %s", path.c_str(), what);
    ThrowBrokenString(kModule, line);
}

float FloatOf(uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

ShaderEntry* CreateEffect(const char* name)
{
    const std::string* bytes = FindEffectSource(name);
    try
    {
        return g_shaders && bytes ? g_shaders->Create(name, bytes->data(), unsigned(bytes->size())) : nullptr;
    }
    catch (const CDException&)
    {
        return nullptr;
    }
}

D3DXHANDLE Technique(ShaderEntry* shader, const char* name, const char* missing)
{
    D3DXHANDLE handle = shader && shader->m_Effect ? shader->m_Effect->GetTechniqueByName(name) : nullptr;
    if (!handle)
        QV7_Logger::Log(g_logger, "%s", missing);
    return handle;
}

ID3DXEffect* EffectOf(ShaderEntry* shader)
{
    return shader ? shader->m_Effect : nullptr;
}
} // namespace

bool QV7_FadingVegetation::BillboardsEnabled()
{
    return Settings().Detail > 0 || Settings().force_FadingBillBoards == 1;
}

bool QV7_FadingVegetation::MeshesEnabled()
{
    return Settings().Detail > 1 || Settings().force_FadingObjects == 1;
}

QV7_FadingVegetation::QV7_FadingVegetation()
{
    QV7_Logger::Log(g_logger, "INFO: Loading Fading Vegetation Class");
    D3DXMatrixIdentity(&m_World);
    if (BillboardsEnabled())
    {
        m_BillboardShader = CreateEffect("BillBoards");
        const char* blending =
            "ERROR: Failed to find billboard Blending vertex shader technique supported by 3D Card.";
        const char* tested =
            "ERROR: Failed to find billboard AlphaTest vertex shader technique supported by 3D Card.";
        m_BillboardTechniques = {Technique(m_BillboardShader, "TBillBoard_Blending", blending),
                                 Technique(m_BillboardShader, "TBillBoard_AlphaTest", tested),
                                 Technique(m_BillboardShader, "TBillBoard_BlendingFog", blending),
                                 Technique(m_BillboardShader, "TBillBoard_AlphaTestFog", tested)};
        static const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 1},
            {0, 24, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
            {0, 28, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END()};
        if (g_device)
            g_device->CreateVertexDeclaration(elements, &m_BillboardDeclaration);
    }
    if (MeshesEnabled())
    {
        m_MeshShader = CreateEffect("FadingVegetation");
        m_FadingTechnique = Technique(
            m_MeshShader, "TFading",
            "ERROR: Failed to find vegetation fading vertex shader technique supported by 3D Card.");
        static const D3DVERTEXELEMENT9 elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
            {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END()};
        if (g_device)
            g_device->CreateVertexDeclaration(elements, &m_MeshDeclaration);
    }
}

QV7_FadingVegetation::~QV7_FadingVegetation()
{
    QV7_Logger::Log(g_logger, "INFO: Unloading Fading Vegetation Class");
    for (IDirect3DVertexDeclaration9* declaration : {m_BillboardDeclaration, m_MeshDeclaration})
        if (declaration)
            declaration->Release();
    for (ShaderEntry* shader : {m_BillboardShader, m_MeshShader})
        if (g_shaders && shader)
            g_shaders->Unload(shader);
    FreeLayers();
}

void QV7_FadingVegetation::FreeLayers()
{
    while (!m_Layers.empty())
    {
        VegetationLayer& layer = *m_Layers.back();
        if (layer.vertexBuffer)
            layer.vertexBuffer->Release();
        if (layer.indexBuffer)
            layer.indexBuffer->Release();
        m_Layers.pop_back();
    }
}

// ---- loading ----

void QV7_FadingVegetation::Load(const std::string& path, const QV7_TextureList* mapTextures)
{
    QV7_Logger::Log(g_logger,
                    "Info: Fading Vegetation System: Loading Vegetation Quadtree library from: '%s' ",
                    path.c_str());
    FreeLayers();
    if (g_landscape)
    {
        m_FogStart = FloatOf(g_landscape->m_Fog[4]);
        m_FogEnd = FloatOf(g_landscape->m_Fog[5]);
    }
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Fading Vegetation: cannot open %s", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    const int32_t count = file.ReadCount(kSmallestLayer);
    if (file.Failed())
        Broken(path, __LINE__, "the layer count is larger than the file");
    uint32_t billboardCapacity = 0, meshCapacity = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        ReadLayer(file, path, mapTextures);
        VegetationLayer& layer = *m_Layers.back();
        CreateBuffers(layer);
        (layer.kind == 0 ? billboardCapacity : meshCapacity) =
            std::max(layer.kind == 0 ? billboardCapacity : meshCapacity, layer.capacity);
    }
    m_BillboardBatch.assign(BillboardsEnabled() ? size_t(billboardCapacity) * kBillboardBytes : 0, 0);
    m_MeshBatch.assign(MeshesEnabled() ? size_t(meshCapacity) * kMeshBytes : 0, 0);
    QV7_Logger::Log(g_logger, "Info: Fading Vegetation System: Loading Done");
}

void QV7_FadingVegetation::ReadLayer(BinaryReader& file, const std::string& path,
                                     const QV7_TextureList* mapTextures)
{
    m_Layers.push_back(std::make_unique<VegetationLayer>());
    VegetationLayer& layer = *m_Layers.back();
    ReadString(layer.name, sizeof layer.name, file);
    const uint32_t textureId = file.ReadUInt32();
    layer.texture = mapTextures ? mapTextures->FindByCompileId(textureId) : nullptr;
    layer.kind = file.ReadUInt32();
    layer.blend = file.ReadUInt32();
    layer.fadeLength = file.ReadFloat();
    layer.endDistance = file.ReadFloat();
    layer.alphaRef = file.ReadFloat();
    if (file.Failed())
        Broken(path, __LINE__, "a layer's header is cut short");
    if (layer.kind > 1)
        Broken(path, __LINE__, "a layer's kind is neither billboards nor meshes");
    if (!(layer.fadeLength >= 0.0f && layer.fadeLength < 1e6f && layer.endDistance >= 0.0f &&
          layer.endDistance < 1e6f))
        Broken(path, __LINE__, "a layer's fade distances are not distances");
    if (layer.kind == 1)
    {
        layer.verticesPerInstance = file.ReadUInt32();
        const int32_t triangles = file.ReadCount(6);
        layer.instanceIndices.resize(size_t(triangles) * 3);
        for (uint16_t& index : layer.instanceIndices)
            index = file.ReadUInt16();
        if (file.Failed() || triangles == 0 || layer.verticesPerInstance == 0 ||
            layer.verticesPerInstance > kMostCellVertices)
            Broken(path, __LINE__, "a mesh layer's instance template is broken");
        for (uint16_t index : layer.instanceIndices)
            if (index >= layer.verticesPerInstance)
                Broken(path, __LINE__, "the instance template uses a vertex outside the instance");
    }
    ReadCells(file, path, layer);
}

void QV7_FadingVegetation::ReadCells(BinaryReader& file, const std::string& path, VegetationLayer& layer)
{
    const uint32_t stride = layer.VertexSize();
    for (VegetationCell& cell : layer.cells)
    {
        cell.x = file.ReadUInt32();
        cell.z = file.ReadUInt32();
        cell.vertexCount = file.ReadUInt32();
        if (cell.vertexCount > 0)
        {
            const uint32_t bytes = file.ReadUInt32();
            if (!file.Failed() && (cell.vertexCount > kMostCellVertices ||
                                   bytes != cell.vertexCount * stride || bytes > file.Remaining()))
                Broken(path, __LINE__, "a cell's byte size does not fit its vertices");
            cell.vertices.resize(bytes);
            file.ReadBytes(cell.vertices.data(), cell.vertices.size());
            if (layer.kind == 1)
            {
                cell.indexCount = file.ReadUInt32();
                const uint32_t instances = cell.vertexCount / layer.verticesPerInstance;
                if (!file.Failed() &&
                    (cell.vertexCount % layer.verticesPerInstance != 0 ||
                     uint64_t(cell.indexCount) != uint64_t(instances) * layer.instanceIndices.size()))
                    Broken(path, __LINE__, "a mesh cell does not hold whole instances");
            }
        }
        if (file.Failed())
            Broken(path, __LINE__, "the cells are cut short");
    }
}

void QV7_FadingVegetation::CreateBuffers(VegetationLayer& layer)
{
    const bool enabled = layer.kind == 0 ? BillboardsEnabled() : MeshesEnabled();
    if (!enabled)
        return;
    uint32_t largest = kLeastCapacity, largestIndices = 10000;
    for (const VegetationCell& cell : layer.cells)
    {
        largest = std::max(largest, cell.vertexCount);
        largestIndices = std::max(largestIndices, cell.indexCount);
    }
    layer.capacity = largest;
    // A template with more triangles than vertices needs more than 3V indices.
    layer.indexCapacity = layer.kind == 1 ? std::max(3 * largest, largestIndices) : 0;
    CreateVertexBuffer(layer);
    if (layer.kind == 1)
        FillIndices(layer);
}

void QV7_FadingVegetation::CreateVertexBuffer(VegetationLayer& layer)
{
    if (!g_device || layer.capacity == 0 || layer.vertexBuffer)
        return;
    g_device->CreateVertexBuffer(layer.capacity * layer.VertexSize(),
                                 D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_DONOTCLIP, 0,
                                 D3DPOOL_DEFAULT, &layer.vertexBuffer, nullptr);
}

void QV7_FadingVegetation::FillIndices(VegetationLayer& layer)
{
    if (!g_device ||
        FAILED(g_device->CreateIndexBuffer(layer.indexCapacity * 2, D3DUSAGE_WRITEONLY | D3DUSAGE_DONOTCLIP,
                                           D3DFMT_INDEX16, D3DPOOL_MANAGED, &layer.indexBuffer, nullptr)))
        return;
    void* data = nullptr;
    if (FAILED(layer.indexBuffer->Lock(0, 0, &data, 0)))
        return;
    auto* indices = static_cast<uint16_t*>(data);
    uint16_t instance = 0;
    size_t i = 0;
    for (uint32_t j = 0; j < layer.indexCapacity; ++j)
    {
        indices[j] = uint16_t(instance * layer.verticesPerInstance + layer.instanceIndices[i]);
        if (++i == layer.instanceIndices.size())
            i = 0, ++instance;
    }
    layer.indexBuffer->Unlock();
}

void QV7_FadingVegetation::ReleaseVertexBuffers()
{
    for (const auto& layer : m_Layers)
        if (layer->vertexBuffer)
        {
            layer->vertexBuffer->Release();
            layer->vertexBuffer = nullptr;
        }
}

void QV7_FadingVegetation::OnLostReset(int lost)
{
    if (lost == 1)
    {
        ReleaseVertexBuffers();
        return;
    }
    for (const auto& layer : m_Layers)
        if (layer->kind == 0 ? BillboardsEnabled() : MeshesEnabled())
            CreateVertexBuffer(*layer);
}

VegetationCell* QV7_FadingVegetation::FindCameraCell(VegetationLayer& layer, float x, float z)
{
    if (!(x >= 0.0f) || !(z >= 0.0f) || x >= 65536.0f || z >= 65536.0f)
        return nullptr;
    const int cx = int(x) / int(kCellSize), cz = int(z) / int(kCellSize);
    return &layer.cells[size_t(cz * 64 + cx)];
}

// ---- drawing ----

void QV7_FadingVegetation::Render()
{
    if (Settings().Detail < 1 && Settings().force_FadingObjects == 0 &&
        Settings().force_FadingBillBoards == 0)
        return;
    if (!g_device || !g_camera || !g_scene)
        return;
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    m_WindPhase += frameMs * 0.003f;
    while (m_WindPhase > kTwoPi)
        m_WindPhase -= kTwoPi;
    try
    {
        RenderLayers();
    }
    catch (...)
    {
        QV7_Logger::Log(g_logger, "ERROR: Small Vegetation");
        if (g_scene->m_Open)
        {
            QV7_Logger::Log(g_logger, "OUTPUT: Error in 'ACTIVE' rendering environment");
            g_scene->EndWorkSpace(0);
        }
    }
}

void QV7_FadingVegetation::RenderLayers()
{
    g_device->SetFVF(0);
    for (const auto& owned : m_Layers)
    {
        VegetationLayer& layer = *owned;
        const bool mesh = layer.kind != 0;
        ID3DXEffect* effect = EffectOf(mesh ? m_MeshShader : m_BillboardShader);
        if (!effect || !(mesh ? MeshesEnabled() : BillboardsEnabled()) || !layer.vertexBuffer)
            continue;
        g_scene->StartWorkSpace();
        if (mesh)
            BeginMeshLayer(*effect, layer);
        else
            BeginBillboardLayer(*effect, layer);
        DrawCells(layer);
        effect->EndPass();
        effect->End();
        g_scene->EndWorkSpace(0);
    }
}

void QV7_FadingVegetation::SetFogStates()
{
    const uint32_t* fog = g_landscape ? g_landscape->m_Fog : nullptr;
    g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
    g_scene->SetRenderState(fog ? fog[1] : 0, D3DRS_FOGCOLOR);
    g_scene->SetRenderState(D3DFOG_LINEAR, D3DRS_FOGVERTEXMODE);
    g_scene->SetRenderState(fog ? fog[4] : 0, D3DRS_FOGSTART);
    g_scene->SetRenderState(fog ? fog[5] : 0, D3DRS_FOGEND);
}

void QV7_FadingVegetation::BeginMeshLayer(ID3DXEffect& effect, VegetationLayer& layer)
{
    const QV7_Camera& camera = *g_camera;
    D3DXMATRIX projView;
    D3DXMatrixMultiply(&projView, &camera.m_View, &camera.m_Projection);
    const D3DXVECTOR4 eye(camera.m_Eye.x, camera.m_Eye.y, camera.m_Eye.z, 0.0f);
    const D3DXVECTOR4 direction(camera.m_View._13, camera.m_View._23, camera.m_View._33, 0.0f);
    effect.SetTechnique(m_FadingTechnique);
    g_device->SetVertexDeclaration(m_MeshDeclaration);
    effect.SetMatrix("ProjView", &projView);
    effect.SetVector("CamPosition", &eye);
    effect.SetVector("CamDirection", &direction);
    effect.SetTexture("MeshTexture", layer.texture ? layer.texture->m_Texture : nullptr);
    effect.SetFloat("AlphaRef", layer.alphaRef);
    effect.SetFloat("EndDistance", layer.endDistance);
    effect.SetFloat("EndFadingDistance", layer.endDistance + layer.fadeLength);
    effect.SetMatrix("Proj", &camera.m_Projection);
    effect.SetMatrix("View", &camera.m_View);
    SetFogStates();
    effect.SetFloat("FogStart", m_FogStart);
    effect.SetFloat("FogEnd", m_FogEnd);
    UINT passes = 0;
    effect.Begin(&passes, 0);
    effect.BeginPass(0);
    effect.CommitChanges();
    g_device->SetIndices(layer.indexBuffer);
}

void QV7_FadingVegetation::BeginBillboardLayer(ID3DXEffect& effect, VegetationLayer& layer)
{
    const QV7_Camera& camera = *g_camera;
    const bool fogged = m_RaceIndex == kFoggedRace;
    effect.SetTechnique(m_BillboardTechniques[size_t((fogged ? 2 : 0) + (layer.blend != 0 ? 0 : 1))]);
    g_device->SetVertexDeclaration(m_BillboardDeclaration);
    // The view turned for upright plants: no translation, no tilt.
    D3DXMATRIX invView = camera.m_View;
    invView._41 = invView._42 = invView._43 = 0.0f;
    invView._23 = 0.0f;
    invView._13 *= -1.0f;
    invView._33 *= -1.0f;
    D3DXMATRIX projView;
    D3DXMatrixMultiply(&projView, &camera.m_View, &camera.m_Projection);
    effect.SetMatrix("InvView", &invView);
    effect.SetMatrix("ProjView", &projView);
    if (fogged)
    {
        effect.SetMatrix("View", &camera.m_View);
        effect.SetMatrix("Proj", &camera.m_Projection);
        SetFogStates();
        effect.SetFloat("FogStart", m_FogStart);
        effect.SetFloat("FogEnd", m_FogEnd);
    }
    const D3DXVECTOR4 eye(camera.m_Eye.x, camera.m_Eye.y, camera.m_Eye.z, 0.0f);
    const D3DXVECTOR4 direction(camera.m_View._13, camera.m_View._23, camera.m_View._33, 0.0f);
    effect.SetVector("CamPosition", &eye);
    effect.SetVector("CamDirection", &direction);
    effect.SetTexture("BillBoardTexture", layer.texture ? layer.texture->m_Texture : nullptr);
    effect.SetFloat("AlphaRef", layer.alphaRef);
    effect.SetFloat("EndDistance", layer.endDistance);
    effect.SetFloat("EndFadingDistance", layer.endDistance + layer.fadeLength);
    effect.SetFloat("Movement", m_WindPhase);
    UINT passes = 0;
    effect.Begin(&passes, 0);
    effect.BeginPass(0);
    effect.CommitChanges();
}

void QV7_FadingVegetation::DrawCells(VegetationLayer& layer)
{
    const D3DXVECTOR3& eye = g_camera->m_Eye;
    const VegetationCell* cameraCell = FindCameraCell(layer, eye.x, eye.z);
    if (!cameraCell)
        return;
    const int camX = int(eye.x) / int(kCellSize), camZ = int(eye.z) / int(kCellSize);
    const int n = 1 + int((layer.endDistance + layer.fadeLength) / kCellSize);
    g_device->SetStreamSource(0, layer.vertexBuffer, 0, layer.VertexSize());
    Batch batch;
    for (int cx = camX - n; cx <= camX + n; ++cx)
        for (int cz = camZ - n; cz <= camZ + n; ++cz)
        {
            if (cx < 0 || cx > 63 || cz < 0 || cz > 63)
                continue;
            const VegetationCell& cell = layer.cells[size_t(cz * 64 + cx)];
            const float x = kCellSize * float(cx) + 512.0f, z = kCellSize * float(cz) + 512.0f;
            const D3DXVECTOR3 centre(x, g_landscape ? g_landscape->GetHeight(x, z) : 0.0f, z);
            if (QV7_Camera::IsSphereVisible(&m_World, &centre, g_camera, kCellRadius))
                Append(layer, cell, batch);
        }
    Flush(layer, batch);
}

void QV7_FadingVegetation::Append(VegetationLayer& layer, const VegetationCell& cell, Batch& batch)
{
    if (cell.vertexCount == 0)
        return;
    const bool mesh = layer.kind != 0;
    if (batch.vertices + cell.vertexCount >= layer.capacity ||
        (mesh && batch.indices + cell.indexCount >= layer.indexCapacity))
        Flush(layer, batch);
    std::vector<uint8_t>& buffer = mesh ? m_MeshBatch : m_BillboardBatch;
    const size_t at = size_t(batch.vertices) * layer.VertexSize();
    if (at + cell.vertices.size() > buffer.size())
        throw CDException("the vegetation batch is smaller than a cell");
    std::memcpy(buffer.data() + at, cell.vertices.data(), cell.vertices.size());
    batch.vertices += cell.vertexCount;
    batch.indices += cell.indexCount;
}

void QV7_FadingVegetation::Flush(VegetationLayer& layer, Batch& batch)
{
    if (batch.vertices == 0)
        return;
    const bool mesh = layer.kind != 0;
    const uint32_t bytes = batch.vertices * layer.VertexSize();
    void* data = nullptr;
    if (SUCCEEDED(layer.vertexBuffer->Lock(0, bytes, &data, D3DLOCK_DISCARD)))
    {
        std::memcpy(data, (mesh ? m_MeshBatch : m_BillboardBatch).data(), bytes);
        layer.vertexBuffer->Unlock();
    }
    if (mesh)
    {
        if (batch.indices > layer.indexCapacity)
        {
            QV7_Logger::Log(g_logger, "ERROR: Wrong Index Buffer Size, Used Count: %d Limitation: %d",
                            int(batch.indices), int(layer.indexCapacity));
            throw CDException(FormatErrorDetails("FILE %s LINE %d", kModule, 655));
        }
        g_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, batch.vertices, 0, batch.indices / 3);
    }
    else
        g_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, batch.vertices / 3);
    batch = Batch{};
}
