// Track items: loading Map%d.zph, the pick-up test and its rewards, the
// camera cell's billboards and meshes, and putting everything back.
#include "world/QV7_ZephyrionItems.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_TextureList.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/io/BinaryReader.h"
#include "race/QV7_AIController.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObject.h"
#include "world/MeshObjectReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void (*QV7_ZephyrionItems::s_CreateStars)(const D3DXVECTOR3& position, float scale) = nullptr;
int* (*QV7_ZephyrionItems::s_CurrencyCounter)(int racerIndex) = nullptr;

namespace
{
const char* const kModule = "QV7_ZephyrionItems";
constexpr float kTwoPi = 6.2831854820251465f;
constexpr size_t kItemRecordBytes = 92;
constexpr size_t kVisibilityOffset = 28; // POSITION1.w inside a vertex

[[noreturn]] void Broken(const std::string& path, int line, const char* what)
{
    QV7_Logger::Log(g_logger, "ERROR: Zephyrion Items: %s is broken: %s", path.c_str(), what);
    ThrowBrokenString(kModule, line);
}

void SetVisibility(uint8_t* vertices, int count, float visibility)
{
    for (int v = 0; v < count; ++v)
        std::memcpy(vertices + size_t(v) * ItemGridCell::kVertexBytes + kVisibilityOffset, &visibility,
                    sizeof visibility);
}

// The racer's driver, whichever kind drives it.
QV7_DriveController* DriverOf(const QV7_Buggy& racer)
{
    if (racer.controllerKind == QV7_Buggy::CONTROLLER_PLAYER)
        return racer.playerController;
    if (racer.controllerKind == QV7_Buggy::CONTROLLER_COMPUTER)
        return racer.computerController;
    return nullptr;
}

void FillBuffer(ItemGridCell& cell)
{
    void* data = nullptr;
    if (!cell.vertexBuffer || FAILED(cell.vertexBuffer->Lock(0, 0, &data, 0)))
        return;
    std::memcpy(data, cell.vertices.data(), cell.vertices.size());
    cell.vertexBuffer->Unlock();
}

D3DXMATRIX InverseView()
{
    D3DXMATRIX inverse;
    D3DXMatrixIdentity(&inverse);
    D3DXMatrixInverse(&inverse, nullptr, &g_camera->m_View);
    return inverse;
}
} // namespace

QV7_ZephyrionItems::QV7_ZephyrionItems()
{
    const std::string* bytes = FindEffectSource("Items");
    try
    {
        if (g_shaders && bytes)
            m_Shader = g_shaders->Create("Items", bytes->data(), unsigned(bytes->size()));
    }
    catch (const CDException&)
    {
        m_Shader = nullptr;
    }
    ID3DXEffect* effect = m_Shader ? m_Shader->m_Effect : nullptr;
    m_ItemTechnique = effect ? effect->GetTechniqueByName("TBillBoard_Item") : nullptr;
    if (!m_ItemTechnique)
        QV7_Logger::Log(
            g_logger,
            "ERROR: Failed to find Zephyrion Items Fading vertex shader technique supported by 3D Card.");
    m_FadingTechnique = effect ? effect->GetTechniqueByName("TItems_Fading") : nullptr;
    if (!m_FadingTechnique)
        QV7_Logger::Log(g_logger,
                        "ERROR: Failed to find Zephyrions vertex shader technique supported by 3D Card.");
    static const D3DVERTEXELEMENT9 elements[] = {
        {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 16, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 1},
        {0, 32, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
        {0, 36, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END()};
    if (g_device)
        g_device->CreateVertexDeclaration(elements, &m_Declaration);
}

QV7_ZephyrionItems::~QV7_ZephyrionItems()
{
    if (m_Declaration)
        m_Declaration->Release();
    if (g_shaders && m_Shader)
        g_shaders->Unload(m_Shader);
    Clear();
}

void QV7_ZephyrionItems::Clear()
{
    ReleaseBuffers();
    for (ItemGridCell& cell : m_Grid)
        cell = ItemGridCell{};
    m_Items.clear();
    m_Meshes.clear();
}

// ---- loading ----

void QV7_ZephyrionItems::Load(const std::string& path, const QV7_TextureList* mapTextures)
{
    QV7_Logger::Log(g_logger, "INFO: Loading Zephyrion Items");
    Clear();
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Zephyrion Items: cannot open %s", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    const uint32_t textureId = file.ReadUInt32();
    m_Texture = mapTextures ? mapTextures->FindByCompileId(textureId) : nullptr;
    for (int k = 0; k < kMeshKinds; ++k)
    {
        m_Meshes.push_back(std::make_unique<MeshObject>());
        ReadMeshObjectBlock(file, *m_Meshes.back(), kMeshFvf, g_device, mapTextures,
                            ZephyrionItemsMeshReader(k));
    }
    file.Skip(11 * 4);
    ReadItems(file, path);
    ReadCells(file, path);
    CheckReferences(path);
    QV7_Logger::Log(g_logger, "INFO: Zephyrion Items Generating Buffers");
    CreateBuffers();
    QV7_Logger::Log(g_logger, "INFO: Zephyrion Items Loaded");
}

void QV7_ZephyrionItems::ReadItems(BinaryReader& file, const std::string& path)
{
    const int32_t count = file.ReadCount(kItemRecordBytes);
    if (file.Failed())
        Broken(path, __LINE__, "the item count is larger than the file");
    for (int32_t i = 0; i < count; ++i)
    {
        auto item = std::make_unique<TrackItem>();
        item->position.x = file.ReadFloat();
        item->position.y = file.ReadFloat();
        item->position.z = file.ReadFloat();
        item->spare = file.ReadFloat();
        item->type = file.ReadInt32();
        file.ReadBytes(&item->world, sizeof item->world);
        item->index = i;
        const int32_t references = file.ReadCount(8);
        for (int32_t r = 0; r < references; ++r)
        {
            const uint32_t cell = file.ReadUInt32();
            const uint32_t first = file.ReadUInt32();
            if (cell >= m_Grid.size() || first > uint32_t(INT32_MAX))
                Broken(path, __LINE__, "an item's billboard lies outside the grid");
            item->references.push_back({&m_Grid[cell], int(first)});
        }
        if (file.Failed())
            Broken(path, __LINE__, "an item record is cut short");
        if (item->type < 0 || item->type > 10)
            Broken(path, __LINE__, "an item's type is not 0 to 10");
        if (!std::isfinite(item->position.x) || !std::isfinite(item->position.y) ||
            !std::isfinite(item->position.z))
            Broken(path, __LINE__, "an item's position is not a number");
        m_Items.push_back(std::move(item));
    }
}

void QV7_ZephyrionItems::ReadCells(BinaryReader& file, const std::string& path)
{
    for (ItemGridCell& cell : m_Grid)
    {
        cell.billboardCount = file.ReadCount(ItemGridCell::kBillboardBytes);
        cell.vertices.resize(size_t(cell.billboardCount) * ItemGridCell::kBillboardBytes);
        file.ReadBytes(cell.vertices.data(), cell.vertices.size());
        for (auto& list : cell.lists)
        {
            const int32_t count = file.ReadCount(4);
            for (int32_t i = 0; i < count; ++i)
            {
                const uint32_t index = file.ReadUInt32();
                if (index >= m_Items.size())
                    Broken(path, __LINE__, "a cell lists an item that does not exist");
                list.push_back(m_Items[index].get());
            }
        }
        if (file.Failed())
            Broken(path, __LINE__, "a cell record is cut short");
    }
}

void QV7_ZephyrionItems::CheckReferences(const std::string& path)
{
    for (const auto& item : m_Items)
        for (const ItemBillboardRef& reference : item->references)
            if (int64_t(reference.firstVertex) + 6 > 6 * int64_t(reference.cell->billboardCount))
                Broken(path, __LINE__, "an item's billboard lies outside its cell's billboards");
}

void QV7_ZephyrionItems::CreateBuffers()
{
    if (!g_device)
        return;
    for (ItemGridCell& cell : m_Grid)
    {
        if (cell.billboardCount == 0 || cell.vertexBuffer)
            continue;
        if (FAILED(g_device->CreateVertexBuffer(UINT(cell.vertices.size()),
                                                D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY | D3DUSAGE_DONOTCLIP, 0,
                                                D3DPOOL_DEFAULT, &cell.vertexBuffer, nullptr)))
            continue;
        FillBuffer(cell);
    }
}

void QV7_ZephyrionItems::ReleaseBuffers()
{
    for (ItemGridCell& cell : m_Grid)
        if (cell.vertexBuffer)
        {
            cell.vertexBuffer->Release();
            cell.vertexBuffer = nullptr;
        }
}

ItemGridCell* QV7_ZephyrionItems::GetCell(float x, float z)
{
    if (!(x >= 0.0f) || !(z >= 0.0f) || x >= kCellSize * kGridSide || z >= kCellSize * kGridSide)
        return nullptr;
    const int cx = int(x) / int(kCellSize), cz = int(z) / int(kCellSize);
    return &m_Grid[size_t(cx + kGridSide * cz)];
}

// ---- pick-ups ----

float QV7_ZephyrionItems::ReachDistance(int type, float distance)
{
    if (type > 0)
        distance -= 20.0f;
    if (type == 2 || type == 3)
        distance -= 50.0f;
    return distance;
}

void QV7_ZephyrionItems::UpdatePickups(QV7_PhysicsGroup& group)
{
    for (const auto& item : m_Items)
    {
        if (item->taken)
            continue;
        for (int j = 0; j < group.racers.Count(); ++j)
        {
            QV7_Buggy& racer = *group.racers[j];
            const D3DXVECTOR3 d = item->position - racer.position;
            if (ReachDistance(item->type, D3DXVec3Length(&d)) < 100.0f)
            {
                Take(*item, racer, j);
                break;
            }
        }
    }
}

void QV7_ZephyrionItems::Take(TrackItem& item, QV7_Buggy& racer, int racerIndex)
{
    if (s_CreateStars)
        s_CreateStars(item.position, 0.2f);
    item.taken = 1;
    GiveReward(item.type, racer, racerIndex);
    if (item.type == 0)
        for (const ItemBillboardRef& reference : item.references)
            Hide(reference);
}

void QV7_ZephyrionItems::Hide(const ItemBillboardRef& reference)
{
    ItemGridCell& cell = *reference.cell;
    const size_t offset = size_t(reference.firstVertex) * ItemGridCell::kVertexBytes;
    SetVisibility(cell.vertices.data() + offset, 6, 0.0f);
    void* data = nullptr;
    if (cell.vertexBuffer &&
        SUCCEEDED(cell.vertexBuffer->Lock(UINT(offset), ItemGridCell::kBillboardBytes, &data, 0)))
    {
        std::memcpy(data, cell.vertices.data() + offset, ItemGridCell::kBillboardBytes);
        cell.vertexBuffer->Unlock();
    }
}

void QV7_ZephyrionItems::GiveReward(int type, QV7_Buggy& racer, int racerIndex)
{
    static const int currency[] = {1, 10, 100, 1000};
    static const int ammunition[] = {20, 20, 50, 10}; // flamer, ice cannon, chain gun, cannon
    if (type >= 0 && type <= 3)
    {
        int* counter = s_CurrencyCounter ? s_CurrencyCounter(racerIndex) : nullptr;
        if (counter)
            *counter += currency[type];
        return;
    }
    if (type >= 4 && type <= 7)
    {
        if (racer.ammo)
            racer.ammo[type - 4] += ammunition[type - 4];
        return;
    }
    QV7_DriveController* driver = DriverOf(racer);
    if (!driver)
        return;
    if (type == 8 && driver->turbo > 0.0f)
    {
        driver->turboMax += 4000.0f;
        driver->turbo = driver->turboMax;
    }
    else if (type == 9)
        driver->energy = std::min(driver->energy + 20.0f, driver->energyMax);
    else if (type == 10)
        driver->health = std::min(driver->health + 20.0f, driver->healthMax);
}

// ---- drawing ----

void QV7_ZephyrionItems::Render()
{
    if (!g_device || !g_camera || !g_scene)
        return;
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    m_Phase += frameMs * 0.001f;
    while (m_Phase > kTwoPi)
        m_Phase -= kTwoPi;
    ItemGridCell* cell = GetCell(g_camera->m_Eye.x, g_camera->m_Eye.z);
    if (!cell)
        return;
    if (cell->billboardCount > 0)
        RenderBillboards(*cell);
    RenderMeshes(*cell, frameMs);
}

void QV7_ZephyrionItems::RenderBillboards(const ItemGridCell& cell)
{
    ID3DXEffect* effect = m_Shader ? m_Shader->m_Effect : nullptr;
    if (!effect || !m_ItemTechnique || !m_Declaration || !cell.vertexBuffer)
        return;
    g_scene->StartWorkSpace();
    effect->SetTechnique(m_ItemTechnique);
    g_device->SetFVF(0);
    g_device->SetVertexDeclaration(m_Declaration);
    const D3DXMATRIX inverseView = InverseView();
    D3DXMATRIX projView;
    D3DXMatrixMultiply(&projView, &g_camera->m_View, &g_camera->m_Projection);
    const D3DXMATRIX& view = g_camera->m_View;
    const D3DXVECTOR4 eye(g_camera->m_Eye.x, g_camera->m_Eye.y, g_camera->m_Eye.z, 1.0f);
    const D3DXVECTOR4 direction(view._13, view._23, view._33, 0.0f);
    effect->SetMatrix("InvView", &inverseView);
    effect->SetMatrix("ProjView", &projView);
    effect->SetVector("CamPosition", &eye);
    effect->SetVector("CamDirection", &direction);
    effect->SetTexture("BillBoardTexture", m_Texture ? m_Texture->m_Texture : nullptr);
    effect->SetFloat("AlphaRef", 32.0f);
    effect->SetFloat("EndDistance", 6000.0f);
    effect->SetFloat("EndFadingDistance", 7000.0f);
    effect->SetFloat("Movement", m_Phase);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    effect->CommitChanges();
    g_device->SetStreamSource(0, cell.vertexBuffer, 0, ItemGridCell::kVertexBytes);
    g_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, UINT(2 * cell.billboardCount));
    effect->EndPass();
    effect->End();
    g_scene->EndWorkSpace(0);
}

void QV7_ZephyrionItems::BindMesh(const MeshObject& mesh)
{
    g_scene->SetTexture(mesh.Texture(0), 0);
    mesh.BindBuffers(g_device, m_Fvf);
    g_scene->SetRenderState(mesh.Word(MESH_WORD_CULLMODE, 0), D3DRS_CULLMODE);
    g_scene->SetRenderState(mesh.Word(MESH_WORD_SPECULAR, 0), D3DRS_SPECULARENABLE);
    g_scene->SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    g_device->SetMaterial(&mesh.m_Materials[0]);
}

void QV7_ZephyrionItems::RenderMeshes(ItemGridCell& cell, float frameMs)
{
    g_scene->StartWorkSpace();
    ApplyLandscapeFog();
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
    g_scene->SetRenderState(112, D3DRS_ALPHAREF);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_scene->SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
        g_scene->SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
    }
    g_scene->SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_LINEAR);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    g_device->SetFVF(m_Fvf);
    D3DXMATRIX spin;
    D3DXMatrixRotationY(&spin, frameMs * 0.001f);
    const D3DXVECTOR3& eye = g_camera->m_Eye;
    for (int k = 0; k < kMeshKinds && k < int(m_Meshes.size()); ++k)
    {
        const MeshObject& mesh = *m_Meshes[size_t(k)];
        // A kind without a material or faces has nothing to draw.
        if (mesh.m_SubsetCount == 0 || mesh.m_Materials.empty() || !mesh.SubsetRange(0) ||
            cell.lists[k].empty())
            continue;
        BindMesh(mesh);
        const bool moves = k == 0 || k >= 3;
        for (TrackItem* item : cell.lists[size_t(k)])
        {
            const D3DXVECTOR3 d = item->position - eye;
            if (item->taken || D3DXVec3Length(&d) > kDrawDistance)
                continue;
            D3DXMATRIX world = item->world;
            if (moves)
            {
                D3DXMatrixMultiply(&item->world, &spin, &item->world);
                world = item->world;
                world._42 -= 12.0f * std::sin(2.0f * (float(item->index) + m_Phase));
            }
            g_device->SetTransform(D3DTS_WORLD, &world);
            mesh.DrawSubsetRange(g_device, 0);
        }
    }
    g_scene->EndWorkSpace(0);
}

// ---- restart and device loss ----

void QV7_ZephyrionItems::Reset()
{
    for (ItemGridCell& cell : m_Grid)
    {
        if (cell.billboardCount == 0)
            continue;
        SetVisibility(cell.vertices.data(), 6 * cell.billboardCount, 1.0f);
        FillBuffer(cell);
    }
    for (const auto& item : m_Items)
        item->taken = 0;
}

void QV7_ZephyrionItems::OnLostReset(int lost)
{
    if (lost == 1)
        ReleaseBuffers();
    else
        CreateBuffers();
}
