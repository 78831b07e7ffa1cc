#include "menus/GaragePreviews.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "menus/QV7_GarageHub.h"
#include "platform/gfx/D3D9.h"
#include "race/BuggyConfiguration.h"
#include "race/QV7_Profiles.h"
#include "race/RenderBuggyConfiguration.h"

#include <cstring>

namespace
{
enum class PreviewLight
{
    Normal,
    Dim,
};

void SetPreviewLight(PreviewLight kind)
{
    if (!g_device)
        return;
    const float diffuse = kind == PreviewLight::Normal ? 0.5f : 0.2f;
    const float specular = kind == PreviewLight::Normal ? 0.6f : 0.25f;
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Direction = {0.0f, 0.0f, 1.0f};
    light.Diffuse = {diffuse, diffuse, diffuse, 0.0f};
    light.Specular = {specular, specular, specular, 0.0f};
    g_device->SetLight(0, &light);
    g_device->LightEnable(0, TRUE);
}

// Scale, then the turn about the vertical axis, then the (unturned) translation.
D3DXMATRIX PreviewWorld(float yaw, float scale, const D3DXVECTOR3& at)
{
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, yaw, 0.0f, 0.0f);
    D3DXMATRIX scaled, turned, moved, world;
    D3DXMatrixScaling(&scaled, scale, scale, scale);
    D3DXMatrixRotationQuaternion(&turned, &turn);
    D3DXMatrixTranslation(&moved, at.x, at.y, at.z);
    D3DXMatrixMultiply(&world, &scaled, &turned);
    D3DXMatrixMultiply(&world, &world, &moved);
    return world;
}
} // namespace

void DrawHubBuggy(const char* id, QV7_Menu_Picture*)
{
    const ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (!profile || !id)
        return;
    const bool middle = std::strcmp(id, "ID3DMODELMIDDLE") == 0;
    const int offset = middle                                   ? 0
                       : std::strcmp(id, "ID3DMODELLEFT") == 0  ? -1
                       : std::strcmp(id, "ID3DMODELRIGHT") == 0 ? 1
                                                                : 2;
    BuggyConfiguration* config = offset == 2 ? nullptr : OwnedNeighbour(*profile, offset);
    if (!config)
        return;
    SetCameraEye(0.0f, 600.0f, 0.0f);
    SetCameraTarget(0.0f, 100.0f, 1600.0f);
    SetPreviewLight(middle ? PreviewLight::Normal : PreviewLight::Dim);
    const D3DXMATRIX world = PreviewWorld(g_hubYaw, 0.85f, {0.0f, middle ? -160.0f : -150.0f, 1600.0f});
    RenderBuggyConfiguration(config, nullptr, middle ? 1 : 0, middle ? 0 : 1, world);
}
