// Loading the trees, their trunk geoms and billboard buffers; the near-mesh
// and billboard passes.
#include "world/QV7_TreeVegetation.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_TextureList.h"
#include "engine/effects/QV7_EffectSources.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObjectReader.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_Water.h"

#include <algorithm>
#include <cmath>
#include <cstring>

QV7_TreeVegetation* g_treeVegetation = nullptr;

namespace
{
const char* const kModule = "QV7_TreeVegetation";
constexpr int kRebuildLine = 875;
constexpr size_t kTreeRecord = 28;
constexpr float kPi = 3.14159265358979f;
constexpr float kTwoPi = 6.28318530717959f;

[[noreturn]] void Broken(const std::string& path, const BinaryReader& file, const std::string& what, int line)
{
    QV7_Logger::Log(g_logger, "ERROR: Trees File %s is broken: %s (at byte %zu of %zu).", path.c_str(),
                    what.c_str(), file.Position(), file.Size());
    ThrowBrokenString(".\\QV7_TreeVegetation", line);
}

bool Finite(const D3DXVECTOR3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

D3DXVECTOR3 ReadVector(BinaryReader& file)
{
    D3DXVECTOR3 v;
    v.x = file.ReadFloat();
    v.y = file.ReadFloat();
    v.z = file.ReadFloat();
    return v;
}

void SetMeshStates()
{
    ApplyLandscapeFog();
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_scene->SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
        g_scene->SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
    }
    g_scene->SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_LINEAR);
    g_scene->SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(QV7_TreeVegetation::kAlphaRef, D3DRS_ALPHAREF);
}

// The camera's view turned into a yaw-only billboard frame.
D3DXMATRIX BillboardFrame(const D3DXMATRIX& view)
{
    D3DXMATRIX frame = view;
    frame._41 = frame._42 = frame._43 = 0.0f;
    frame._23 = 0.0f;
    frame._13 = -frame._13;
    frame._33 = -frame._33;
    return frame;
}

float AsFloat(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
} // namespace

TreeType::~TreeType()
{
    if (billboards)
        billboards->Release();
}

QV7_TreeVegetation::QV7_TreeVegetation()
{
    g_treeVegetation = this;
    QV7_Logger::Log(g_logger, "INFO: Loading Tree Vegetation Class");
    if (!BillboardsEnabled() || !g_shaders)
        return;
    const std::string* bytes = FindEffectSource("Trees");
    try
    {
        m_Shader = bytes ? g_shaders->Create("Trees", bytes->data(), unsigned(bytes->size())) : nullptr;
    }
    catch (...)
    {
        m_Shader = nullptr;
    }
    ID3DXEffect* effect = m_Shader ? m_Shader->m_Effect : nullptr;
    m_MainTechnique = effect ? effect->GetTechniqueByName("TTree") : nullptr;
    if (!m_MainTechnique)
        QV7_Logger::Log(g_logger, "ERROR: Failed to find Tree vertex shader technique supported by 3D Card.");
    m_ReflectionTechnique = effect ? effect->GetTechniqueByName("TTree2") : nullptr;
    if (!m_ReflectionTechnique)
        QV7_Logger::Log(g_logger, "ERROR: Failed to find Tree vertex shader technique supported by 3D Card.");
}

QV7_TreeVegetation::~QV7_TreeVegetation()
{
    if (g_treeVegetation == this)
        g_treeVegetation = nullptr;
    QV7_Logger::Log(g_logger, "INFO: Unloading Tree Vegetation Class");
    if (m_Shader && g_shaders)
        g_shaders->Unload(m_Shader);
    m_Shader = nullptr;
    QV7_Logger::Log(g_logger, "INFO: Unloading Tree Vegetation Class Done");
    while (!m_Types.empty())
        m_Types.pop_back();
}

bool QV7_TreeVegetation::BillboardsEnabled()
{
    const GameSettings* settings = g_windowsData ? &g_windowsData->m_Settings : nullptr;
    return settings && (settings->Detail > 0 || settings->force_TreeBillBoards == 1);
}

float QV7_TreeVegetation::BillboardAngle(float yaw)
{
    if (!std::isfinite(yaw))
        return 0.0f;
    // Whole turns at once, in double: a huge yaw cannot leave a loop that
    // subtracts less than one unit of its last place.
    const double wrapped = std::remainder(double(yaw), double(kTwoPi));
    return std::clamp(float(wrapped), -kPi, kPi);
}

void QV7_TreeVegetation::Load(const std::string& path, IDirect3DDevice9* device,
                              const QV7_TextureList* textures, StaticGeomSink sink)
{
    if (g_landscape)
        m_FogStart = AsFloat(g_landscape->m_Fog[4]), m_FogEnd = AsFloat(g_landscape->m_Fog[5]);
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Trees File %s could not be opened.", path.c_str());
        ThrowDataError(".\\QV7_TreeVegetation", __LINE__);
    }
    const int32_t count = file.ReadCount(MESH_BLOCK_HEADER_SIZE);
    if (file.Failed())
        Broken(path, file, "the tree type count runs past the end of the file", __LINE__);
    for (int32_t i = 0; i < count; ++i)
        ReadType(file, path, device, textures);
    MakeGeoms(sink);
}

void QV7_TreeVegetation::ReadType(BinaryReader& file, const std::string& path, IDirect3DDevice9* device,
                                  const QV7_TextureList* textures)
{
    // Only a whole type joins the list.
    auto made = std::make_unique<TreeType>();
    TreeType& type = *made;
    ReadMeshObjectBlock(file, type.mesh, kFvf, device, textures, TreesMeshReader());
    type.nearDistance = file.ReadFloat();
    const uint32_t textureId = file.ReadUInt32();
    type.billboardSize = file.ReadFloat();
    type.alphaReference = file.ReadFloat();
    if (file.Failed())
        Broken(path, file, "it ends inside a tree type", __LINE__);
    if (!std::isfinite(type.nearDistance) || !std::isfinite(type.billboardSize) ||
        !std::isfinite(type.alphaReference))
        Broken(path, file, "a tree type holds a value that is not a number", __LINE__);
    type.billboardTexture = textures ? textures->FindByCompileId(textureId) : nullptr;
    const std::string wrong = ReadSceneryShapes(file, type.shapes, true);
    if (!wrong.empty())
        Broken(path, file, wrong, __LINE__);
    const int32_t trees = file.ReadCount(kTreeRecord);
    if (file.Failed())
        Broken(path, file, "the tree count runs past the end of the file", __LINE__);
    type.trees.resize(size_t(trees));
    for (TreeInstance& tree : type.trees)
    {
        tree.position = ReadVector(file);
        tree.scale = file.ReadFloat();
        tree.rotation = ReadVector(file);
        if (!SceneryCoordinate(tree.position) || !Finite(tree.rotation) || !SceneryScale(tree.scale))
            Broken(path, file, "a tree holds a value that is not a number or out of range", __LINE__);
    }
    BuildBillboards(type);
    m_Types.push_back(std::move(made));
}

void QV7_TreeVegetation::MakeGeoms(StaticGeomSink& sink)
{
    for (const auto& type : m_Types)
        for (const TreeInstance& tree : type->trees)
        {
            ShapePlacement placement;
            placement.origin = tree.position;
            placement.rotation = YawPitchRollMatrix(tree.rotation);
            placement.scale = tree.scale;
            CreateShapeGeoms(type->shapes, placement, sink, nullptr);
        }
}

void QV7_TreeVegetation::BuildBillboards(TreeType& type)
{
    if (!BillboardsEnabled())
        return;
    if (type.billboards)
        ThrowDataError(kModule, kRebuildLine);
    // A type without trees has nothing to draw; a buffer of no bytes cannot be made.
    if (type.trees.empty() || !g_device)
        return;
    const UINT bytes = UINT(type.trees.size()) * kBillboardBytesPerTree;
    if (FAILED(g_device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DONOTCLIP, 0,
                                            D3DPOOL_DEFAULT, &type.billboards, nullptr)))
    {
        type.billboards = nullptr;
        return;
    }
    void* data = nullptr;
    if (FAILED(type.billboards->Lock(0, 0, &data, 0)))
        return;
    auto* v = static_cast<TreeBillboardVertex*>(data);
    for (const TreeInstance& tree : type.trees)
    {
        const float angle = BillboardAngle(tree.rotation.x);
        const float w = type.billboardSize * tree.scale;
        const float corners[6][4] = {{w, 0, 0.25f, 0.5f}, {-w, 2 * w, 0, 0},   {w, 2 * w, 0.25f, 0},
                                     {-w, 2 * w, 0, 0},   {w, 0, 0.25f, 0.5f}, {-w, 0, 0, 0.5f}};
        for (const auto& c : corners)
            *v++ = {
                {c[0], c[1], 0.0f}, {tree.position.x, tree.position.y, tree.position.z, angle}, {c[2], c[3]}};
    }
    type.billboards->Unlock();
}

void QV7_TreeVegetation::OnLostReset(int lost)
{
    for (const auto& type : m_Types)
    {
        if (lost)
        {
            if (type->billboards)
                type->billboards->Release();
            type->billboards = nullptr;
        }
        else
            BuildBillboards(*type);
    }
}

void QV7_TreeVegetation::Render(int reflection)
{
    if (m_TreesOff || !g_scene || !g_device || !g_camera)
        return;
    int step = 2;
    size_t index = 0;
    try
    {
        for (index = 0; index < m_Types.size(); ++index)
            RenderType(*m_Types[index], reflection, step);
    }
    catch (...)
    {
        QV7_Logger::Log(g_logger, "ERROR: TREES Vegetation CRASH!");
        QV7_Logger::Log(g_logger, "OUTPUT: Item %d, count: %d", int(index), int(m_Types.size()));
        QV7_Logger::Log(g_logger, "OUTPUT: Current Step %d", step);
        QV7_Logger::Log(g_logger, reflection ? "OUTPUT: rendering mode: REFLECTION"
                                             : "OUTPUT: rendering mode: DEFAULT");
        if (g_scene->m_Open)
        {
            QV7_Logger::Log(g_logger, "OUTPUT: Rendering Status ACTIVE!");
            g_scene->EndWorkSpace(0);
        }
    }
}

void QV7_TreeVegetation::RenderType(TreeType& type, int reflection, int& step)
{
    if (!reflection)
        DrawNearMeshes(type, step);
    if (BillboardsEnabled() && m_Shader && m_Shader->m_Effect && type.billboards)
        DrawBillboards(type, reflection, step);
}

void QV7_TreeVegetation::DrawNearMeshes(TreeType& type, int& step)
{
    g_scene->StartWorkSpace();
    SetMeshStates();
    step = 3;
    g_device->SetFVF(m_Fvf);
    g_scene->SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    g_device->SetStreamSource(0, type.mesh.m_VertexBuffer, 0, MESH_VERTEX_SIZE);
    g_device->SetIndices(type.mesh.m_IndexBuffer);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    step = 4;
    MeshObject& mesh = type.mesh;
    const float nearSquared = type.nearDistance * type.nearDistance;
    for (const TreeInstance& tree : type.trees)
    {
        const D3DXVECTOR3 apart = tree.position - g_camera->m_Eye;
        if (apart.x * apart.x + apart.y * apart.y + apart.z * apart.z >= nearSquared)
            continue;
        step = 5;
        mesh.m_Position = tree.position, mesh.m_Rotation = tree.rotation;
        const float ratio = mesh.m_Scale != 0.0f ? tree.scale / mesh.m_Scale : 1.0f;
        mesh.m_SphereRadius *= ratio, mesh.m_SphereCentre *= ratio;
        mesh.m_BoxMin *= ratio, mesh.m_BoxMax *= ratio;
        mesh.m_Scale = tree.scale;
        BuildPlacementMatrix(mesh);
        // The centre is scaled already; the placement only turns and moves it.
        D3DXVECTOR3 unscaled =
            mesh.m_Scale != 0.0f ? mesh.m_SphereCentre / mesh.m_Scale : mesh.m_SphereCentre;
        if (!QV7_Camera::IsSphereVisible(&mesh.m_World, &unscaled, g_camera, mesh.m_SphereRadius))
            continue;
        step = 6;
        g_device->SetTransform(D3DTS_WORLD, &mesh.m_World);
        for (uint32_t subset = 0; subset < mesh.m_SubsetCount; ++subset)
        {
            if (mesh.BlendMode(subset) == MeshBlendMode::Blended)
                continue;
            g_scene->SetRenderState(mesh.Word(MESH_WORD_CULLMODE, subset), D3DRS_CULLMODE);
            g_scene->SetRenderState(mesh.Word(MESH_WORD_SPECULAR, subset), D3DRS_SPECULARENABLE);
            g_scene->SetTexture(mesh.Texture(subset), 0);
            g_device->SetMaterial(&mesh.m_Materials[subset]);
            mesh.DrawSubsetRange(g_device, subset);
        }
    }
    step = 7;
    g_scene->EndWorkSpace(0);
}

void QV7_TreeVegetation::DrawBillboards(TreeType& type, int reflection, int& step)
{
    ID3DXEffect* effect = m_Shader->m_Effect;
    g_scene->StartWorkSpace();
    step = 8;
    effect->SetTechnique(reflection ? m_ReflectionTechnique : m_MainTechnique);
    g_device->SetFVF(kBillboardFvf);
    step = 9;
    const D3DXMATRIX& view = g_camera->m_View;
    const D3DXMATRIX frame = BillboardFrame(view);
    effect->SetMatrix("InvView", &frame);
    effect->SetMatrix("View", &view);
    effect->SetMatrix("Proj", &g_camera->m_Projection);
    step = 10;
    const D3DXVECTOR4 eye(g_camera->m_Eye.x, g_camera->m_Eye.y, g_camera->m_Eye.z, 0.0f);
    effect->SetVector("CamPosition", &eye);
    effect->SetFloat("WaterHeight", g_water ? g_water->m_WaterLevel : 0.0f);
    const D3DXVECTOR4 direction(view._13, view._23, view._33, 0.0f);
    effect->SetVector("CamDirection", &direction);
    step = 11;
    effect->SetTexture("BillBoardTexture", TextureOf(type.billboardTexture));
    effect->SetFloat("AlphaRef", type.alphaReference);
    effect->SetFloat("Distance", type.nearDistance);
    step = 12;
    g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
    g_scene->SetRenderState(g_landscape ? g_landscape->m_Fog[1] : 0, D3DRS_FOGCOLOR);
    g_scene->SetRenderState(D3DFOG_LINEAR, D3DRS_FOGVERTEXMODE);
    g_scene->SetRenderState(g_landscape ? g_landscape->m_Fog[4] : 0, D3DRS_FOGSTART);
    g_scene->SetRenderState(g_landscape ? g_landscape->m_Fog[5] : 0, D3DRS_FOGEND);
    // The fog colour the fixed pipeline would fog the shader's output with.
    const D3DCOLOR fog = g_landscape ? g_landscape->m_Fog[1] : 0;
    const D3DXVECTOR4 fogColour(float((fog >> 16) & 0xFF) / 255.0f, float((fog >> 8) & 0xFF) / 255.0f,
                                float(fog & 0xFF) / 255.0f, 1.0f);
    effect->SetVector("FogColour", &fogColour);
    effect->SetFloat("FogStart", m_FogStart);
    effect->SetFloat("FogEnd", m_FogEnd);
    step = 13;
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    step = 14;
    g_device->SetStreamSource(0, type.billboards, 0, sizeof(TreeBillboardVertex));
    g_device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, UINT(2 * type.trees.size()));
    step = 15;
    effect->EndPass();
    effect->End();
    step = 16;
    g_scene->EndWorkSpace(0);
}
