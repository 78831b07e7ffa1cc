// Drawing the checkpoints: the bobbing markers with the next checkpoint's
// effect copies lit in the player's colour, the finish, and the gates of the
// debug view.
#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_Checkpoint.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObject.h"

#include <cmath>

namespace
{
constexpr float kPi = 3.14159265f;
constexpr D3DCOLOR kDebugColour = 0xFFFF0000;
constexpr float kGateWidening = 200.0f;
constexpr float kGateHalfDepth = 10.0f;

float Bob(int i, float phase)
{
    return std::sin(float(i) + phase) * QV7_Checkpoint::kBobHeight;
}

// The mesh subset with its own texture, cull mode and specular word.
void DrawSubset(const MeshObject& mesh, uint32_t subset)
{
    if (subset >= mesh.m_SubsetCount)
        return;
    g_scene->SetRenderState(mesh.Word(MESH_WORD_CULLMODE, subset), D3DRS_CULLMODE);
    g_scene->SetRenderState(mesh.Word(MESH_WORD_SPECULAR, subset), D3DRS_SPECULARENABLE);
    g_scene->SetTexture(mesh.Texture(subset), 0);
    g_device->SetMaterial(&mesh.m_Materials[subset]);
    mesh.DrawSubsetRange(g_device, subset);
}
} // namespace

void QV7_Checkpoint::Render()
{
    Render(g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f);
}

void QV7_Checkpoint::Render(float frameMs)
{
    if (hidden)
        return;
    const bool drawable = g_device && g_scene;
    if (drawable)
        g_scene->StartWorkSpace();
    const MeshObject* marker = meshes.Count() > 0 && meshes[0]->m_VertexBuffer ? meshes[0] : nullptr;
    for (CheckpointRecord* checkpoint : checkpoints)
        for (size_t j = 0; j < checkpoint->markers.size(); ++j)
            checkpoint->markerVisible[j] =
                marker && g_camera
                    ? QV7_Camera::IsSphereVisible(&checkpoint->markerMatrices[j], &marker->m_SphereCentre,
                                                  g_camera, marker->m_SphereRadius * kMarkerScale)
                    : 0;
    if (drawable)
        SetRenderStates();
    phase = std::fmod(phase + frameMs * 0.004f + kPi, 2.0f * kPi) - kPi;
    UpdateEffectCopies();
    for (CheckpointRecord* checkpoint : checkpoints)
        checkpoint->sincePassed += frameMs;
    if (drawable)
    {
        DrawMarkers();
        DrawFinish();
        g_scene->EndWorkSpace(0);
        DrawDebugBoxes();
    }
}

void QV7_Checkpoint::SetRenderStates() const
{
    QV7_Scene& scene = *g_scene;
    scene.SetRenderState(TRUE, D3DRS_LIGHTING);
    ApplyLandscapeFog();
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        scene.SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
        scene.SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
    }
    scene.SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_LINEAR);
    scene.SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    scene.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    scene.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    scene.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    if (meshes.Count() > 0)
        meshes[0]->BindBuffers(g_device, vertexFormat);
}

// Both copies of each marker bob with their checkpoint; the next checkpoint
// of the player's racer shows in the player's colour.
void QV7_Checkpoint::UpdateEffectCopies()
{
    const CheckpointRecord* playerNext =
        playerRacer && playerRacer->currentCheckpoint ? playerRacer->currentCheckpoint->next : nullptr;
    size_t copy = 0;
    for (int i = 0; i < checkpoints.count; ++i)
    {
        const CheckpointRecord& checkpoint = *checkpoints.items[i];
        for (const CheckpointMarker& m : checkpoint.markers)
            for (int side = 0; side < 2 && copy < markerEffectCopies.size(); ++side, ++copy)
            {
                CheckpointEffectCopy& c = markerEffectCopies[copy];
                c.position.y = Bob(i, phase) + m.y + kMarkerLift;
                c.colourOverride = &checkpoint == playerNext ? 1 : 0;
                if (c.colourOverride)
                    c.colour = kNextColour;
            }
    }
}

// Subset 0 at every visible marker of every checkpoint but the finish, then subset 1.
void QV7_Checkpoint::DrawMarkers()
{
    if (meshes.Count() == 0 || !meshes[0]->m_VertexBuffer)
        return;
    const MeshObject& mesh = *meshes[0];
    for (uint32_t subset = 0; subset < 2; ++subset)
        for (int i = 0; i < checkpoints.count; ++i)
        {
            CheckpointRecord& checkpoint = *checkpoints.items[i];
            if (&checkpoint == finish)
                continue;
            for (size_t j = 0; j < checkpoint.markers.size(); ++j)
            {
                if (!checkpoint.markerVisible[j])
                    continue;
                D3DXMATRIX& world = checkpoint.markerMatrices[j];
                world._42 = Bob(i, phase) + checkpoint.markers[j].y + kMeshLift;
                g_device->SetTransform(D3DTS_WORLD, &world);
                DrawSubset(mesh, subset);
            }
        }
}

void QV7_Checkpoint::DrawFinish()
{
    if (!finish || finish->markers.empty() || !finish->markerVisible[0] || meshes.Count() < 2 ||
        !meshes[1]->m_VertexBuffer)
        return;
    const MeshObject& mesh = *meshes[1];
    D3DXMATRIX& world = finish->markerMatrices[0];
    world._42 = Bob(0, phase) + finish->markers[0].y + kMeshLift;
    g_device->SetTransform(D3DTS_WORLD, &world);
    mesh.BindBuffers(g_device, vertexFormat);
    for (uint32_t subset = 0; subset < 2; ++subset)
        DrawSubset(mesh, subset);
}

// Each marker's pass gate as a wire box: as wide as the reach, 500 high.
void QV7_Checkpoint::DrawDebugBoxes() const
{
    if (!debug || !g_screen2D)
        return;
    const float h = passRadius + kGateWidening;
    g_screen2D->Begin2D();
    for (const CheckpointRecord* checkpoint : checkpoints)
        for (const CheckpointMarker& m : checkpoint->markers)
        {
            const float c = std::cos(m.yaw), s = std::sin(m.yaw);
            D3DXVECTOR3 corner[8];
            for (int n = 0; n < 8; ++n)
            {
                const float x = n & 1 ? h : -h, y = n & 2 ? kMarkerLift : 0.0f,
                            z = n & 4 ? kGateHalfDepth : -kGateHalfDepth;
                corner[n] = D3DXVECTOR3(m.x + x * c + z * s, m.y + y, m.z - x * s + z * c);
            }
            // Four edges round the bottom, four round the top.
            static const int kEdges[8][2] = {{0, 1}, {1, 5}, {5, 4}, {4, 0}, {2, 3}, {3, 7}, {7, 6}, {6, 2}};
            for (const auto& e : kEdges)
                g_screen2D->DrawLine3D(kDebugColour, corner[e[0]].x, corner[e[0]].y, corner[e[0]].z,
                                       corner[e[1]].x, corner[e[1]].y, corner[e[1]].z);
        }
    g_screen2D->End2D();
}
