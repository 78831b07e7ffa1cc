// Fixed-function drawing of the buggy database's meshes: whole meshes for the
// menus, whole racer meshes and single subsets at body poses for the race,
// the advanced two-pass variant that lays the island's shading over a racer
// near the camera, and the crash guards that keep one faulty mesh from
// taking the frame with it.
#include "race/QV7_BuggyMeshSystem.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_ShadowMap.h"
#include "race/BuggyMeshStages.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_MapSystem.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"
#include "shell/QV7_Windows.h"
#include "world/HudPointerStages.h"
#include "world/QV7_Landscape.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace
{
constexpr float kAdvancedDistance = 10000.0f;
constexpr DWORD kLateAlphaReference = 112;
constexpr int kLateModelFirst = 4;
constexpr int kLateModelLast = 6;

bool s_skippedGroupLogged = false;
bool s_pointerErrorLogged = false;

// How one subset is drawn: the material, the culling and whether the
// texture stages are set (not in the shadow pass) and carry alpha.
struct SubsetLook
{
    int black = 0;
    const float* tint = nullptr;
    int mirrored = 0;
    int shadowPass = 0;
    bool withAlpha = false;
};

// Faults inside a guarded draw leave the work space open; give it back so
// that the next renderer starts from the cached states.
void CloseOpenWorkSpace()
{
    if (g_scene && g_scene->m_Open)
        g_scene->EndWorkSpace(0);
}

template <class Body> void Guarded(const char* method, Body body)
{
    int location = 0;
    if (!RunGuarded([&] { body(location); }))
    {
        CloseOpenWorkSpace();
        QV7_Logger::Log(g_logger, "ERROR: QV7_BuggyMeshSystem::%s(%d)", method, location);
    }
}

DWORD MirroredCull(DWORD cull, int mirrored)
{
    if (!mirrored)
        return cull;
    return cull == D3DCULL_CW ? D3DCULL_CCW : cull == D3DCULL_CCW ? D3DCULL_CW : cull;
}

D3DMATERIAL9 MaterialOf(const BuggyMesh& mesh, uint32_t subset, const SubsetLook& look)
{
    D3DMATERIAL9 material{};
    if (look.tint)
    {
        const float* c = look.tint;
        material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        material.Ambient = {c[0], c[1], c[2], 0.0f};
        material.Emissive = {c[0], c[1], c[2], 0.0f};
        material.Power = 0.1f;
        return material;
    }
    if (look.black || subset >= mesh.m_Materials.size())
        return material;
    return mesh.m_Materials[subset];
}

// The subset's reflection texture; the one pointer value known to be a
// leftover marker is refused, with one log line per run.
IDirect3DBaseTexture9* ReflectionOf(const BuggyMesh& mesh, uint32_t subset)
{
    if (subset < mesh.m_Textures2.size() && reinterpret_cast<uintptr_t>(mesh.m_Textures2[subset]) == 3)
    {
        if (!s_pointerErrorLogged)
            QV7_Logger::Log(g_logger, "ERROR: 0x00000003 on QV7_BuggyMeshSystem pointer error!");
        s_pointerErrorLogged = true;
        return nullptr;
    }
    return mesh.Texture2(subset);
}

const D3DXMATRIX& BiasMatrix(DWORD word)
{
    static const D3DXMATRIX kBias(0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                                  0.5f, 0.5f, 0.0f, 1.0f);
    if (!g_buggyMeshSystem)
        return kBias;
    return g_buggyMeshSystem->biasMatrices[word == 1 ? 0 : 1];
}

// Cull, blend and specular words, the material, the stages, the mip filter.
// Returns the stage plan so the shading pass knows the first free stage.
BuggyStagePlan SetSubsetStates(QV7_Scene& scene, const BuggyMesh& mesh, uint32_t i, const SubsetLook& look)
{
    scene.SetRenderState(MirroredCull(mesh.Word(MESH_WORD_CULLMODE, i), look.mirrored), D3DRS_CULLMODE);
    scene.SetRenderState(mesh.Word(MESH_WORD_SPECULAR, i), D3DRS_SPECULARENABLE);
    scene.SetRenderState(mesh.AlphaBlendEnable(i), D3DRS_ALPHABLENDENABLE);
    scene.SetRenderState(mesh.Word(MESH_WORD_SRCBLEND, i), D3DRS_SRCBLEND);
    scene.SetRenderState(mesh.Word(MESH_WORD_DESTBLEND, i), D3DRS_DESTBLEND);
    const D3DMATERIAL9 material = MaterialOf(mesh, i, look);
    g_device->SetMaterial(&material);
    IDirect3DBaseTexture9* base = mesh.Texture(i);
    IDirect3DBaseTexture9* reflection = ReflectionOf(mesh, i);
    const BuggyStagePlan plan =
        PlanBuggyStages(base != nullptr, reflection != nullptr, mesh.Word(MESH_WORD_ENVIRONMENT, i),
                        MaxSimultaneousTextures(g_device));
    if (!look.shadowPass)
        ApplyBuggyStages(scene, plan, base, reflection, BiasMatrix(mesh.Word(MESH_WORD_REFLECTION, i)),
                         look.withAlpha);
    const DWORD mip = mesh.Word(MESH_WORD_MIPFILTER, i) == 1 ? D3DTEXF_LINEAR : D3DTEXF_NONE;
    scene.SetSamplerState(D3DSAMP_MIPFILTER, 0, mip);
    if (reflection)
        scene.SetSamplerState(D3DSAMP_MIPFILTER, 1, mip);
    scene.SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    return plan;
}

void OpenMeshState(QV7_Scene& scene, const BuggyMesh& mesh, const D3DXMATRIX& world)
{
    scene.StartWorkSpace();
    g_device->SetTransform(D3DTS_WORLD, &world);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        scene.SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
        scene.SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
    }
    scene.SetRenderState(TRUE, D3DRS_LIGHTING);
    scene.SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
    mesh.BindBuffers(g_device, MESH_OBJECT_FVF);
}

bool Drawable(const BuggyMesh& mesh)
{
    return g_device && g_scene && mesh.m_VertexBuffer && mesh.m_SubsetCount > 0;
}

// The bounding sphere under world, its radius grown with the largest scale.
bool InView(const BuggyMesh& mesh, const D3DXMATRIX& world)
{
    if (!g_camera)
        return true;
    float scale = 0.0f;
    for (int row = 0; row < 3; ++row)
        scale =
            std::max(scale, std::sqrt(world.m[row][0] * world.m[row][0] + world.m[row][1] * world.m[row][1] +
                                      world.m[row][2] * world.m[row][2]));
    return QV7_Camera::IsSphereVisible(&world, &mesh.m_SphereCentre, g_camera, mesh.m_SphereRadius * scale);
}

// The session's shadow effect, ready for the depth pass; null without one.
ID3DXEffect* ShadowEffect(QV7_ShadowMap** shadow)
{
    if (QV7_BuggyMeshSystem::s_ShadowMapSource)
        *shadow = QV7_BuggyMeshSystem::s_ShadowMapSource();
    else
        *shadow = g_mapSystem ? g_mapSystem->shadowMap.get() : nullptr;
    if (!*shadow || !(*shadow)->m_Shader || !(*shadow)->m_RenderShadow)
        return nullptr;
    return (*shadow)->m_Shader->m_Effect;
}

// Draws the subset's range, in the shadow pass through the shadow effect.
void DrawRange(const BuggyMesh& mesh, uint32_t i, int shadowPass, const D3DXMATRIX& world)
{
    if (!shadowPass)
    {
        mesh.DrawSubsetRange(g_device, i);
        return;
    }
    QV7_ShadowMap* shadow = nullptr;
    ID3DXEffect* effect = ShadowEffect(&shadow);
    if (!effect)
        return;
    D3DXMATRIX worldView;
    D3DXMatrixMultiply(&worldView, &world, &shadow->m_LightView);
    effect->SetTechnique(shadow->m_RenderShadow);
    effect->SetMatrix("g_mProj", &shadow->m_LightProjection);
    effect->SetMatrix("g_mWorldView", &worldView);
    effect->SetMatrix("g_mWorld", &world);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    mesh.DrawSubsetRange(g_device, i);
    effect->EndPass();
    effect->End();
}

// The world of subset i: subset 0 rolled about its z axis when it spins.
D3DXMATRIX SubsetWorld(const D3DXMATRIX& world, uint32_t i, int spin, float spinAngle)
{
    if (!spin || i != 0)
        return world;
    D3DXMATRIX roll, rolled;
    D3DXMatrixRotationZ(&roll, spinAngle);
    D3DXMatrixMultiply(&rolled, &roll, &world);
    return rolled;
}

// The late subsets of the models at positions 4 to 6: the ones their bodies
// name; empty for every other mesh.
std::vector<uint32_t> LateSubsets(const BuggyMesh& mesh)
{
    std::vector<uint32_t> late;
    if (!g_buggyMeshSystem)
        return late;
    const std::vector<QV7_DataBase_MeshObject*>& models = g_buggyMeshSystem->models;
    for (int m = kLateModelFirst; m <= kLateModelLast && m < int(models.size()); ++m)
    {
        if (models[size_t(m)]->mesh != &mesh)
            continue;
        const QV7_Collection<PhysicsBodyDef>& bodies = models[size_t(m)]->physics.bodies;
        for (int b = 0; b < bodies.Count(); ++b)
            if (bodies[b]->id3 >= 0)
                late.push_back(uint32_t(bodies[b]->id3));
    }
    return late;
}

// The island's shading laid over a subset already drawn: the first free
// stage takes the shading picture at camera-space positions, colour
// modulated, alpha from the picture, alpha-tested at ref.
void DrawShadingPass(QV7_Scene& scene, const BuggyMesh& mesh, uint32_t i, DWORD stage, DWORD ref)
{
    if (!g_landscape || !g_landscape->m_ShadowTexture || !g_camera)
        return;
    D3DXMATRIX inverseView, shading;
    D3DXMatrixInverse(&inverseView, nullptr, &g_camera->m_View);
    D3DXMatrixMultiply(&shading, &inverseView, &g_landscape->m_TextureMatrix0);
    scene.SetTexture(g_landscape->m_ShadowTexture, stage);
    scene.SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    scene.SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    g_device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &shading);
    scene.SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    scene.SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_CURRENT);
    scene.SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
    scene.SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
    scene.SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    scene.SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    if (stage + 1 < DWORD(QV7_Scene::kStages))
        scene.SetTextureStageState(stage + 1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    scene.SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    scene.SetRenderState(ref, D3DRS_ALPHAREF);
    mesh.DrawSubsetRange(g_device, i);
    scene.SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
}

// Pass 0 as the simple path with the base texture's alpha carried through,
// then the shading pass unless the racer has faded out completely.
void DrawAdvancedSubset(QV7_Scene& scene, const BuggyMesh& mesh, uint32_t i, const SubsetLook& look,
                        DWORD ref)
{
    const BuggyStagePlan plan = SetSubsetStates(scene, mesh, i, look);
    mesh.DrawSubsetRange(g_device, i);
    if (ref < 255)
        DrawShadingPass(scene, mesh, i, plan.used, ref);
}

} // namespace

QV7_ShadowMap* (*QV7_BuggyMeshSystem::s_ShadowMapSource)() = nullptr;

bool QV7_BuggyMeshSystem::UsesAdvancedPath(const QV7_Buggy* racer, int shadowPass)
{
    if (!racer || shadowPass || !g_windowsData || !g_camera || !g_device)
        return false;
    const GameSettings& settings = g_windowsData->m_Settings;
    if (!(settings.Detail > 2 || settings.force_Shadow == 1) || MaxSimultaneousTextures(g_device) <= 3)
        return false;
    const D3DXVECTOR3 apart = racer->position - g_camera->m_Eye;
    return D3DXVec3Length(&apart) < kAdvancedDistance;
}

DWORD QV7_BuggyMeshSystem::ShadingReference(const QV7_Buggy& racer)
{
    return DWORD(std::clamp(racer.contactLevel * 64, 0, 255));
}

void QV7_BuggyMeshSystem::RenderMesh(BuggyMesh& mesh, int silhouette, const float* tint)
{
    Guarded("RenderMesh",
            [&](int& location)
            {
                if (!Drawable(mesh) || !InView(mesh, mesh.m_World))
                    return;
                location = 1;
                QV7_Scene& scene = *g_scene;
                OpenMeshState(scene, mesh, mesh.m_World);
                const std::vector<uint32_t> late = LateSubsets(mesh);
                SubsetLook look;
                look.black = silhouette;
                look.tint = tint;
                location = 2;
                for (uint32_t i = 0; i < mesh.m_SubsetCount; ++i)
                {
                    if (std::find(late.begin(), late.end(), i) != late.end())
                        continue;
                    SetSubsetStates(scene, mesh, i, look);
                    mesh.DrawSubsetRange(g_device, i);
                }
                location = 3;
                if (!late.empty() && late.back() < mesh.m_SubsetCount)
                {
                    SetSubsetStates(scene, mesh, late.back(), look);
                    scene.SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
                    scene.SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
                    scene.SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
                    mesh.DrawSubsetRange(g_device, late.back());
                    scene.SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
                }
                location = 4;
                scene.EndWorkSpace(0);
            });
}

void QV7_BuggyMeshSystem::RenderPhysicsMesh(BuggyMesh& mesh, const QV7_Buggy* racer, int black, int mirrored,
                                            int spin, float spinAngle, int shadowPass)
{
    if (g_landscape && g_landscape->IsCreated() && UsesAdvancedPath(racer, shadowPass))
    {
        RenderPhysicsMeshAdvanced(mesh, racer, black, mirrored, spin, spinAngle, shadowPass);
        return;
    }
    Guarded("RenderPhysicsMesh",
            [&](int& location)
            {
                if (!Drawable(mesh))
                    return;
                location = 1;
                QV7_Scene& scene = *g_scene;
                OpenMeshState(scene, mesh, mesh.m_World);
                SubsetLook look;
                look.black = black;
                look.mirrored = mirrored;
                look.shadowPass = shadowPass;
                for (uint32_t i = 0; i < mesh.m_SubsetCount; ++i)
                {
                    location = 2;
                    const D3DXMATRIX world = SubsetWorld(mesh.m_World, i, spin, spinAngle);
                    if (spin)
                        g_device->SetTransform(D3DTS_WORLD, &world);
                    SetSubsetStates(scene, mesh, i, look);
                    location = 3;
                    DrawRange(mesh, i, shadowPass, world);
                }
                location = 4;
                scene.EndWorkSpace(0);
            });
}

void QV7_BuggyMeshSystem::RenderPhysicsMeshAdvanced(BuggyMesh& mesh, const QV7_Buggy* racer, int black,
                                                    int mirrored, int spin, float spinAngle,
                                                    int /*shadowPass*/)
{
    Guarded("RenderPhysicsMeshAdvanced",
            [&](int& location)
            {
                if (!Drawable(mesh) || !racer)
                    return;
                location = 1;
                const DWORD ref = ShadingReference(*racer);
                QV7_Scene& scene = *g_scene;
                OpenMeshState(scene, mesh, mesh.m_World);
                SubsetLook look;
                look.black = black;
                look.mirrored = mirrored;
                look.withAlpha = true;
                for (uint32_t i = 0; i < mesh.m_SubsetCount; ++i)
                {
                    location = 2;
                    const D3DXMATRIX world = SubsetWorld(mesh.m_World, i, spin, spinAngle);
                    if (spin)
                        g_device->SetTransform(D3DTS_WORLD, &world);
                    location = 3;
                    DrawAdvancedSubset(scene, mesh, i, look, ref);
                }
                location = 4;
                scene.EndWorkSpace(0);
            });
}

void QV7_BuggyMeshSystem::RenderPhysicsGroup(BuggyMesh& mesh, const QV7_Buggy* racer, uint32_t subset,
                                             int black, int mirrored, int shadowPass, int alphaTest,
                                             const D3DXMATRIX& world)
{
    if (subset >= mesh.m_SubsetCount)
    {
        if (!s_skippedGroupLogged)
            QV7_Logger::Log(g_logger,
                            "ERROR: Skipped Mesh Group Due to a malfunction, message will NOT repeat.");
        s_skippedGroupLogged = true;
        return;
    }
    if (UsesAdvancedPath(racer, shadowPass))
    {
        RenderPhysicsGroupAdvanced(mesh, racer, subset, black, mirrored, shadowPass, alphaTest, world);
        return;
    }
    Guarded("RenderPhysicsGroup",
            [&](int& location)
            {
                if (!Drawable(mesh) || !InView(mesh, world))
                    return;
                location = 1;
                QV7_Scene& scene = *g_scene;
                OpenMeshState(scene, mesh, world);
                SubsetLook look;
                look.black = black;
                look.mirrored = mirrored;
                look.shadowPass = shadowPass;
                location = 2;
                SetSubsetStates(scene, mesh, subset, look);
                location = 3;
                if (alphaTest == 1)
                {
                    scene.SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
                    scene.SetRenderState(kLateAlphaReference, D3DRS_ALPHAREF);
                }
                DrawRange(mesh, subset, shadowPass, world);
                location = 4;
                scene.EndWorkSpace(0);
            });
}

void QV7_BuggyMeshSystem::RenderPhysicsGroupAdvanced(BuggyMesh& mesh, const QV7_Buggy* racer, uint32_t subset,
                                                     int black, int mirrored, int /*shadowPass*/,
                                                     int alphaTest, const D3DXMATRIX& world)
{
    Guarded("RenderPhysicsGroupAdvanced",
            [&](int& location)
            {
                if (!Drawable(mesh) || !racer || subset >= mesh.m_SubsetCount || !InView(mesh, world))
                    return;
                location = 1;
                QV7_Scene& scene = *g_scene;
                OpenMeshState(scene, mesh, world);
                SubsetLook look;
                look.black = black;
                look.mirrored = mirrored;
                look.withAlpha = true;
                location = 2;
                const DWORD ref = ShadingReference(*racer);
                if (alphaTest == 1)
                {
                    // The see-through parts keep their own test in pass 0.
                    const BuggyStagePlan plan = SetSubsetStates(scene, mesh, subset, look);
                    scene.SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
                    scene.SetRenderState(kLateAlphaReference, D3DRS_ALPHAREF);
                    mesh.DrawSubsetRange(g_device, subset);
                    location = 3;
                    if (ref < 255)
                        DrawShadingPass(scene, mesh, subset, plan.used, ref);
                }
                else
                {
                    location = 3;
                    DrawAdvancedSubset(scene, mesh, subset, look, ref);
                }
                location = 4;
                scene.EndWorkSpace(0);
            });
}
