// Loading the static objects, their geoms and their sorted draw list; the
// opaque, shadow-receiving and blended passes.
#include "world/QV7_Mesh_StaticObjects.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_ShadowMap.h"
#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObjectReader.h"
#include "world/QV7_Landscape.h"

#include <algorithm>
#include <cmath>
#include <exception>

QV7_Mesh_StaticObjects* g_staticObjects = nullptr;

namespace
{
const char* const kModule = ".\\QV7_Mesh_StaticObjects";
constexpr size_t kInstanceRecord = 36;
constexpr size_t kTypeNameLimit = 260;

[[noreturn]] void Broken(const std::string& path, const BinaryReader& file, const std::string& what, int line)
{
    QV7_Logger::Log(g_logger, "ERROR: Static Objects File %s is broken: %s (at byte %zu of %zu).",
                    path.c_str(), what.c_str(), file.Position(), file.Size());
    ThrowBrokenString(kModule, line);
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

int64_t TextureKey(const MeshObject& mesh, uint32_t subset)
{
    const TextureRecord* texture = subset < mesh.m_Textures.size() ? mesh.m_Textures[subset] : nullptr;
    return texture ? int64_t(texture->m_CompileId) : -1;
}

DWORD MirroredCull(DWORD cull, int reflection)
{
    if (!reflection)
        return cull;
    return cull == D3DCULL_CW ? D3DCULL_CCW : cull == D3DCULL_CCW ? D3DCULL_CW : cull;
}

// Pending binds: set by an item's change flags, kept over skipped items.
struct DirtyFlags
{
    bool texture = true, mesh = true, state = true;
    void Take(const StaticDrawItem& item)
    {
        texture = texture || item.textureChanged;
        mesh = mesh || item.meshChanged;
        state = state || item.stateChanged;
    }
};

void BindItem(const StaticDrawItem& item, DirtyFlags& dirty, int reflection)
{
    const MeshObject& mesh = *item.mesh;
    if (dirty.texture)
        g_scene->SetTexture(mesh.Texture(item.subset), 0), dirty.texture = false;
    if (dirty.mesh)
    {
        g_device->SetStreamSource(0, mesh.m_VertexBuffer, 0, MESH_VERTEX_SIZE);
        g_device->SetIndices(mesh.m_IndexBuffer);
        dirty.mesh = false;
    }
    if (dirty.state)
    {
        g_scene->SetRenderState(MirroredCull(mesh.Word(MESH_WORD_CULLMODE, item.subset), reflection),
                                D3DRS_CULLMODE);
        g_scene->SetRenderState(mesh.Word(MESH_WORD_SPECULAR, item.subset), D3DRS_SPECULARENABLE);
        dirty.state = false;
    }
    g_scene->SetRenderState(item.instance->scaled, D3DRS_NORMALIZENORMALS);
    g_scene->SetRenderState(mesh.BlendMode(item.subset) != MeshBlendMode::Blended, D3DRS_ALPHATESTENABLE);
}

void CloseAfterFault()
{
    if (g_scene && g_scene->m_Open)
    {
        QV7_Logger::Log(g_logger, "OUTPUT: Error in 'ACTIVE' rendering environment");
        g_scene->EndWorkSpace(0);
    }
}
} // namespace

QV7_Mesh_StaticObjects::QV7_Mesh_StaticObjects()
{
    g_staticObjects = this;
}

QV7_Mesh_StaticObjects::~QV7_Mesh_StaticObjects()
{
    if (g_staticObjects == this)
        g_staticObjects = nullptr;
}

void QV7_Mesh_StaticObjects::Load(const std::string& path, IDirect3DDevice9* device,
                                  const QV7_TextureList* textures, StaticGeomSink sink)
{
    QV7_Logger::Log(g_logger, "Info: Static Object Mesh System: Loading X File library from: '%s' ",
                    path.c_str());
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Static Objects File %s could not be opened.", path.c_str());
        ThrowDataError(kModule, __LINE__);
    }
    ReadMeshes(file, path, device, textures);
    ReadTypes(file, path);
    ReadInstances(file, path, sink);
    BuildDrawList();
}

void QV7_Mesh_StaticObjects::ReadMeshes(BinaryReader& file, const std::string& path, IDirect3DDevice9* device,
                                        const QV7_TextureList* textures)
{
    const int32_t count = file.ReadCount(MESH_BLOCK_HEADER_SIZE);
    if (file.Failed())
        Broken(path, file, "the mesh count runs past the end of the file", __LINE__);
    for (int32_t i = 0; i < count; ++i)
    {
        m_Meshes.push_back(std::make_unique<MeshObject>());
        ReadMeshObjectBlock(file, *m_Meshes.back(), kFvf, device, textures, StaticObjectsMeshReader(i));
    }
}

void QV7_Mesh_StaticObjects::ReadTypes(BinaryReader& file, const std::string& path)
{
    for (size_t i = 0; i < m_Meshes.size(); ++i)
    {
        auto type = std::make_unique<StaticObjectType>();
        char name[kTypeNameLimit];
        ReadString(name, sizeof name, file);
        type->name = name;
        type->wordA = file.ReadInt32();
        type->wordB = file.ReadInt32();
        type->factor = file.ReadFloat();
        type->viewDistance = file.ReadFloat();
        if (file.Failed())
            Broken(path, file, "it ends inside an object type", __LINE__);
        const std::string wrong = ReadSceneryShapes(file, type->shapes, false);
        if (!wrong.empty())
            Broken(path, file, wrong, __LINE__);
        m_Types.push_back(std::move(type));
    }
}

void QV7_Mesh_StaticObjects::ReadInstances(BinaryReader& file, const std::string& path, StaticGeomSink& sink)
{
    const int32_t count = file.ReadCount(kInstanceRecord);
    if (file.Failed())
        Broken(path, file, "the instance count runs past the end of the file", __LINE__);
    for (int32_t i = 0; i < count; ++i)
    {
        auto instance = std::make_unique<StaticObjectInstance>();
        const int32_t typeIndex = file.ReadInt32();
        instance->position = ReadVector(file);
        instance->rotation = ReadVector(file);
        instance->scale = file.ReadFloat();
        instance->collisionScale = file.ReadFloat();
        if (file.Failed())
            Broken(path, file, "it ends inside an instance", __LINE__);
        if (typeIndex < 0 || size_t(typeIndex) >= m_Types.size())
            Broken(path, file, "an instance names an object type the file does not have", __LINE__);
        if (!SceneryCoordinate(instance->position) || !Finite(instance->rotation) ||
            !SceneryScale(instance->scale) || !SceneryScale(instance->collisionScale))
            Broken(path, file, "an instance holds a value that is not a number or out of range", __LINE__);
        instance->type = m_Types[size_t(typeIndex)].get();
        instance->mesh = m_Meshes[size_t(typeIndex)].get();
        MakeGeoms(*instance, sink);
        if (SurfaceClass(*instance->mesh) >= 0)
            m_TutorialTargets.push_back(instance.get());
        D3DXMATRIX scaling, placed;
        D3DXMatrixScaling(&scaling, instance->scale, instance->scale, instance->scale);
        const D3DXMATRIX rotation = YawPitchRollMatrix(instance->rotation);
        D3DXMatrixMultiply(&placed, &scaling, &rotation);
        placed._41 = instance->position.x, placed._42 = instance->position.y,
        placed._43 = instance->position.z;
        instance->world = placed;
        instance->scaled = instance->scale != 1.0f ? 1u : 0u;
        instance->boundingRadius =
            instance->mesh->m_SphereRadius * (instance->scaled ? instance->scale : 1.0f);
        m_Instances.push_back(std::move(instance));
    }
}

int32_t QV7_Mesh_StaticObjects::SurfaceClass(const MeshObject& mesh)
{
    if (mesh.m_Materials.empty())
        return -1;
    const float power = mesh.m_Materials[0].Power;
    return power == 100.0f ? 2 : power == 99.0f ? 0 : power == 98.0f ? 1 : -1;
}

void QV7_Mesh_StaticObjects::MakeGeoms(StaticObjectInstance& instance, StaticGeomSink& sink)
{
    ShapePlacement placement;
    placement.origin = instance.position;
    placement.rotation = YawPitchRollMatrix(instance.rotation);
    placement.scale = instance.collisionScale;
    const int32_t surface = SurfaceClass(*instance.mesh);
    const bool singleBox = instance.type->shapes.SingleBox();
    CreateShapeGeoms(instance.type->shapes, placement, sink,
                     [&](ShapeKind kind)
                     {
                         auto tag = std::make_unique<StaticGeomTag>();
                         tag->singleBox = kind == ShapeKind::Box && singleBox ? 1 : 0;
                         tag->surfaceClass = surface;
                         tag->instance = &instance;
                         m_GeomTags.push_back(std::move(tag));
                         return m_GeomTags.back().get();
                     });
}

bool QV7_Mesh_StaticObjects::CompareStaticDrawItems(const StaticDrawItem& a, const StaticDrawItem& b)
{
    const int64_t ta = TextureKey(*a.mesh, a.subset), tb = TextureKey(*b.mesh, b.subset);
    if (ta != tb)
        return ta < tb;
    if (a.mesh->m_Id != b.mesh->m_Id)
        return a.mesh->m_Id < b.mesh->m_Id;
    return a.subset < b.subset;
}

void QV7_Mesh_StaticObjects::BuildDrawList()
{
    m_DrawList.clear();
    for (const auto& instance : m_Instances)
        for (uint32_t subset = 0; subset < instance->mesh->m_SubsetCount; ++subset)
            m_DrawList.push_back({instance.get(), instance->type, instance->mesh, subset, 0, 0, 0});
    SortDrawList();
}

void QV7_Mesh_StaticObjects::SortDrawList()
{
    std::stable_sort(m_DrawList.begin(), m_DrawList.end(), CompareStaticDrawItems);
    // Two meshes may share an id: buffers are compared by the mesh itself,
    // so one mesh never draws from another's buffers.
    const IDirect3DBaseTexture9* texture = nullptr;
    const MeshObject* mesh = nullptr;
    int64_t subset = -1;
    bool first = true;
    for (StaticDrawItem& item : m_DrawList)
    {
        const IDirect3DBaseTexture9* itemTexture = item.mesh->Texture(item.subset);
        item.textureChanged = first || itemTexture != texture;
        item.meshChanged = item.mesh != mesh;
        item.stateChanged = item.meshChanged || int64_t(item.subset) != subset;
        texture = itemTexture, mesh = item.mesh, subset = item.subset, first = false;
    }
}

void QV7_Mesh_StaticObjects::UpdateVisibility()
{
    for (const auto& instance : m_Instances)
    {
        const MeshObject& mesh = *instance->mesh;
        const D3DXVECTOR3 centre = mesh.m_SphereCentre + instance->position;
        const D3DXVECTOR3 apart = g_camera->m_Eye - centre;
        const float distance = std::sqrt(apart.x * apart.x + apart.y * apart.y + apart.z * apart.z);
        instance->visible = QV7_Camera::IsSphereVisible(&instance->world, &mesh.m_SphereCentre, g_camera,
                                                        instance->boundingRadius) &&
                            distance <= instance->type->viewDistance;
    }
}

void QV7_Mesh_StaticObjects::SetCommonStates() const
{
    ApplyLandscapeFog();
    g_scene->SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(kAlphaRef, D3DRS_ALPHAREF);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_scene->SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
        g_scene->SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
    }
    g_scene->SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_LINEAR);
    g_scene->SetRenderState(FALSE, D3DRS_COLORVERTEX);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    g_scene->SetTexture(nullptr, 2);
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    g_scene->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    g_device->SetFVF(m_Fvf);
}

void QV7_Mesh_StaticObjects::Render(int reflection)
{
    if (m_RenderOff || !g_scene || !g_device || !g_camera)
        return;
    try
    {
        DrawOpaque(reflection);
        QV7_ShadowMap* shadow =
            !reflection && QV7_Landscape::s_SessionShadowMap ? QV7_Landscape::s_SessionShadowMap() : nullptr;
        if (shadow && shadow->m_Enabled)
            DrawShadowReceivers();
    }
    catch (...)
    {
        QV7_Logger::Log(g_logger, "ERROR: Static Objects");
        QV7_Logger::Log(g_logger, "ERROR: Reflection: %d", reflection);
        CloseAfterFault();
    }
}

void QV7_Mesh_StaticObjects::DrawOpaque(int reflection)
{
    g_scene->StartWorkSpace();
    UpdateVisibility();
    SetCommonStates();
    static const D3DMATERIAL9 kDark{};
    DirtyFlags dirty;
    for (const StaticDrawItem& item : m_DrawList)
    {
        dirty.Take(item);
        if (!item.instance->visible)
            continue;
        BindItem(item, dirty, reflection);
        if (item.mesh->BlendMode(item.subset) == MeshBlendMode::Blended)
            continue;
        g_device->SetTransform(D3DTS_WORLD, &item.instance->world);
        g_device->SetMaterial(item.instance->dark ? &kDark : &item.mesh->m_Materials[item.subset]);
        item.mesh->DrawSubsetRange(g_device, item.subset);
    }
    g_scene->EndWorkSpace(0);
}

void QV7_Mesh_StaticObjects::DrawShadowReceivers()
{
    QV7_ShadowMap* shadow = QV7_Landscape::s_SessionShadowMap();
    ID3DXEffect* effect = shadow->m_Shader ? shadow->m_Shader->m_Effect : nullptr;
    if (!effect || !shadow->m_RenderScene || !shadow->m_Texture)
        return;
    g_scene->StartWorkSpace();
    D3DXMATRIX inverseView, lightViewProjection, viewToLight;
    D3DXMatrixInverse(&inverseView, nullptr, &g_camera->m_View);
    D3DXMatrixMultiply(&lightViewProjection, &shadow->m_LightView, &shadow->m_LightProjection);
    D3DXMatrixMultiply(&viewToLight, &inverseView, &lightViewProjection);
    effect->SetTexture("g_txShadow", shadow->m_Texture);
    effect->SetTechnique(shadow->m_RenderScene);
    effect->SetMatrix("g_mProj", &g_camera->m_Projection);
    effect->SetMatrix("g_mViewToLightProj", &viewToLight);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    for (const StaticDrawItem& item : m_DrawList)
    {
        const MeshObject& mesh = *item.mesh;
        g_device->SetStreamSource(0, mesh.m_VertexBuffer, 0, MESH_VERTEX_SIZE);
        g_device->SetIndices(mesh.m_IndexBuffer);
        g_scene->SetRenderState(mesh.Word(MESH_WORD_CULLMODE, item.subset), D3DRS_CULLMODE);
        if (mesh.BlendMode(item.subset) == MeshBlendMode::Blended)
            continue;
        g_device->SetTransform(D3DTS_WORLD, &item.instance->world);
        D3DXMATRIX lifted = item.instance->world, worldView;
        lifted._42 += 1.0f;
        D3DXMatrixMultiply(&worldView, &lifted, &g_camera->m_View);
        effect->SetMatrix("g_mWorldView", &worldView);
        effect->CommitChanges();
        mesh.DrawSubsetRange(g_device, item.subset);
    }
    effect->EndPass();
    effect->End();
    g_scene->EndWorkSpace(0);
}

void QV7_Mesh_StaticObjects::RenderBlended()
{
    if (m_RenderOff || !g_scene || !g_device || !g_camera)
        return;
    try
    {
        DrawBlended();
    }
    catch (...)
    {
        QV7_Logger::Log(g_logger, "ERROR: Static Objects Blending");
        CloseAfterFault();
    }
}

void QV7_Mesh_StaticObjects::DrawBlended()
{
    g_scene->StartWorkSpace();
    SetCommonStates();
    DirtyFlags dirty;
    for (const StaticDrawItem& item : m_DrawList)
    {
        dirty.Take(item);
        const MeshBlendMode mode = item.mesh->BlendMode(item.subset);
        if (mode == MeshBlendMode::Opaque || !item.instance->visible)
            continue;
        BindItem(item, dirty, 0);
        g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
        g_scene->SetRenderState(item.mesh->Word(MESH_WORD_SRCBLEND, item.subset), D3DRS_SRCBLEND);
        g_scene->SetRenderState(item.mesh->Word(MESH_WORD_DESTBLEND, item.subset), D3DRS_DESTBLEND);
        g_device->SetTransform(D3DTS_WORLD, &item.instance->world);
        g_device->SetMaterial(&item.mesh->m_Materials[item.subset]);
        item.mesh->DrawSubsetRange(g_device, item.subset);
    }
    g_scene->EndWorkSpace(0);
}
