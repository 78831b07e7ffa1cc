#include "menus/GaragePreviews.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "menus/QV7_GarageHub.h"
#include "platform/gfx/D3D9.h"
#include "race/BuggyConfiguration.h"
#include "race/BuggyMesh.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_Profiles.h"
#include "race/RenderBuggyConfiguration.h"
#include "world/MeshObjectBlock.h"

#include <cstring>

float g_garageYaw = 0.0f;
const QV7_DataBase_MeshObject* g_shopPreviewItem = nullptr;
MountedPart* g_upgradePart = nullptr;
const QV7_DataBase_MeshObject* g_weaponPreview[3] = {};
int g_bestOwnedModel = 0;
const QV7_DataBase_MeshObject* g_ammoPreview = nullptr;
NewBuggyPreview g_newBuggyPreview[2];

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
// Where one kind of preview stands: eye, target and the model's position.
struct Placement
{
    D3DXVECTOR3 eye, target, at;
};

const Placement kBuggyPlacement{{0, 600, 0}, {0, 100, 1600}, {0, -160, 1600}};

void Place(const Placement& placement, PreviewLight light)
{
    SetCameraEye(placement.eye.x, placement.eye.y, placement.eye.z);
    SetCameraTarget(placement.target.x, placement.target.y, placement.target.z);
    SetPreviewLight(light);
}

// One database object's own mesh (no parts).
void DrawItemMesh(const QV7_DataBase_MeshObject* item, const D3DXMATRIX& world)
{
    if (!item || !item->mesh || !g_device)
        return;
    item->mesh->m_World = world;
    item->mesh->Draw(g_device, MESH_OBJECT_FVF);
}

bool DrawnAlone(const QV7_DataBase_MeshObject* item)
{
    return item && (item->type == 6 || item->type == 8 || item->type == 10);
}

// Parts of types 6, 10 and 8 stand closer to the camera than whole buggies.
Placement PartPlacement(int type)
{
    if (type == 6)
        return {{0, 20, 0}, {0, 0, 300}, {0, -80, 300}};
    if (type == 10)
        return {{0, 100, 0}, {0, 0, 300}, {0, -10, 300}};
    return {{0, 100, 0}, {0, 0, 300}, {0, -40, 400}};
}

// Weapons by type; false for a type the pages do not show.
bool WeaponPlacement(int type, Placement& placement)
{
    switch (type)
    {
    case 1:
    case 2:
        placement = {{0, 300, 0}, {0, 100, 550}, {0, 0, 550}};
        return true;
    case 3:
        placement = {{0, 300, 0}, {0, 100, 500}, {0, 96, 500}};
        return true;
    case 4:
        placement = {{0, 300, 0}, {0, 100, 500}, {0, 0, 500}};
        return true;
    case 5:
    case 9:
    case 12:
        placement = {{0, 300, 0}, {0, 100, 550}, {0, -35, 550}};
        return true;
    default:
        return false;
    }
}

bool AmmoPlacement(int type, Placement& placement)
{
    if (type >= 16 && type <= 18)
        placement = {{0, 200, 0}, {0, 100, 200}, {0, 80, 200}};
    else if (type == 19)
        placement = {{0, 200, 0}, {0, 100, 600}, {0, 0, 600}};
    else
        return false;
    return true;
}

BuggyConfiguration* CurrentBuggy()
{
    const ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    return profile ? profile->currentBuggy : nullptr;
}

bool Named(const char* id, const char* name)
{
    return id && std::strcmp(id, name) == 0;
}
} // namespace

void DrawGarageModel(const char*, QV7_Menu_Picture*)
{
    const QV7_DataBase_MeshObject* item = g_shopPreviewItem;
    if (DrawnAlone(item))
    {
        const Placement placement = PartPlacement(item->type);
        Place(placement, PreviewLight::Normal);
        DrawItemMesh(item, PreviewWorld(g_garageYaw, 1.0f, placement.at));
        return;
    }
    if (BuggyConfiguration* buggy = CurrentBuggy())
    {
        Place(kBuggyPlacement, PreviewLight::Normal);
        RenderBuggyConfiguration(buggy, nullptr, 0, 0, PreviewWorld(g_garageYaw, 1.0f, kBuggyPlacement.at));
    }
}

void DrawGarageItem(const char*, QV7_Menu_Picture*)
{
    QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    const QV7_DataBase_MeshObject* item = g_upgradePart && db ? db->Item(g_upgradePart->item) : nullptr;
    if (!item)
        return;
    if (DrawnAlone(item))
    {
        const Placement placement = PartPlacement(item->type);
        Place(placement, PreviewLight::Normal);
        DrawItemMesh(item->parent, PreviewWorld(g_garageYaw, 1.0f, placement.at));
        return;
    }
    if (BuggyConfiguration* buggy = CurrentBuggy())
    {
        Place(kBuggyPlacement, PreviewLight::Normal);
        RenderBuggyConfiguration(buggy, g_upgradePart, 0, 0,
                                 PreviewWorld(g_garageYaw, 1.0f, kBuggyPlacement.at));
    }
}

void DrawWeaponModel(const char* id, QV7_Menu_Picture*)
{
    const int slot = Named(id, "ID3DMODEL")    ? 0
                     : Named(id, "ID3DMODELL") ? 1
                     : Named(id, "ID3DMODELR") ? 2
                                               : -1;
    const QV7_DataBase_MeshObject* weapon = slot >= 0 ? g_weaponPreview[slot] : nullptr;
    Placement placement;
    if (!weapon || !weapon->mesh || !WeaponPlacement(weapon->type, placement))
        return;
    Place(placement, slot == 0 ? PreviewLight::Normal : PreviewLight::Dim);
    DrawItemMesh(weapon, PreviewWorld(g_garageYaw, 1.0f, placement.at));
}

void DrawAmmoModel(const char*, QV7_Menu_Picture*)
{
    Placement placement;
    if (!g_ammoPreview || !AmmoPlacement(g_ammoPreview->type, placement))
        return;
    Place(placement, PreviewLight::Normal);
    DrawItemMesh(g_ammoPreview, PreviewWorld(g_garageYaw, 1.0f, placement.at));
}

void DrawNewBuggyModel(const char* id, QV7_Menu_Picture*)
{
    const int side = Named(id, "ID3DMODELLEFT") ? 0 : Named(id, "ID3DMODELRIGHT") ? 1 : -1;
    if (side < 0 || !g_newBuggyPreview[side].model)
        return;
    Place(kBuggyPlacement, PreviewLight::Normal);
    DrawItemMesh(g_newBuggyPreview[side].model, PreviewWorld(g_garageYaw, 1.0f, kBuggyPlacement.at));
}

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
