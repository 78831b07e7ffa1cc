// Drawing the racers straight from their ODE bodies, and placing what rides
// on them (smoke, flames, mounted parts, the driver, the weapon) from the
// same pose in the same pass.
#include "race/QV7_PhysicsGroup.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "race/BuggyConfiguration.h"
#include "race/BuggyMesh.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_DriveController.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_Rotation.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"
#include "world/MeshObjectBlock.h"
#include "world/QV7_Landscape.h"

#include <algorithm>

PhysicsGroupRenderHooks QV7_PhysicsGroup::s_RenderHooks;

namespace
{
constexpr float kOdeToModel = 1111.1f;
constexpr float kModelToRender = 0.18f;
constexpr int kMaxExhaustDummies = 6;

const D3DRENDERSTATETYPE kFogStates[8] = {D3DRS_FOGENABLE,    D3DRS_FOGCOLOR,      D3DRS_FOGVERTEXMODE,
                                          D3DRS_FOGTABLEMODE, D3DRS_FOGSTART,      D3DRS_FOGEND,
                                          D3DRS_FOGDENSITY,   D3DRS_RANGEFOGENABLE};

D3DXMATRIX Times(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &a, &b);
    return product;
}

void OpenStates()
{
    if (!g_scene || !g_device)
        return;
    g_scene->StartWorkSpace();
    g_device->SetFVF(MESH_OBJECT_FVF);
    if (g_landscape)
        for (int i = 0; i < 8; ++i)
            g_scene->SetRenderState(g_landscape->m_Fog[i], kFogStates[i]);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_scene->SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
        g_scene->SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
    }
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    g_scene->SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
}

void CloseStates()
{
    if (g_scene && g_scene->m_Open)
        g_scene->EndWorkSpace(0);
}

const BuggyMesh* ModelMesh(const QV7_Buggy& buggy)
{
    return buggy.modelItem ? buggy.modelItem->mesh : nullptr;
}

void BindModel(const QV7_Buggy& buggy)
{
    const BuggyMesh* mesh = ModelMesh(buggy);
    if (mesh && g_device)
        mesh->BindBuffers(g_device, MESH_OBJECT_FVF);
}

// Until the buggy renderer takes over: the subset at the body's world, plain.
void DrawPart(QV7_Buggy& buggy, int part, int destroyed, int reflection, int shadow, int late,
              const D3DXMATRIX& world)
{
    if (QV7_PhysicsGroup::s_RenderHooks.renderPart)
    {
        QV7_PhysicsGroup::s_RenderHooks.renderPart(buggy, part, destroyed, reflection, shadow, late, world);
        return;
    }
    const BuggyMesh* mesh = ModelMesh(buggy);
    if (!mesh || !g_device || part < 0 || uint32_t(part) >= mesh->m_SubsetCount)
        return;
    g_device->SetTransform(D3DTS_WORLD, &world);
    mesh->DrawSubset(g_device, uint32_t(part));
}

void DrawItem(const QV7_DataBase_MeshObject& item, QV7_Buggy& buggy, int destroyed, int reflection,
              float angle, int shadow, int spin, const D3DXMATRIX& world)
{
    if (QV7_PhysicsGroup::s_RenderHooks.renderItem)
    {
        QV7_PhysicsGroup::s_RenderHooks.renderItem(item, buggy, destroyed, reflection, angle, shadow, spin,
                                                   world);
        return;
    }
    if (!item.mesh || !g_device)
        return;
    item.mesh->m_World = world;
    item.mesh->Draw(g_device, MESH_OBJECT_FVF);
}

const QV7_BuggyMeshSystem* Items()
{
    if (QV7_Buggy::s_items)
        return QV7_Buggy::s_items;
    return g_itemDatabase ? &g_itemDatabase->meshSystem : nullptr;
}

// The anchor (model units) of the last joint of the definition that holds body; false when none does.
bool LastAnchor(const BuggyPhysicsDefinition& definition, const PhysicsBodyDef& body, D3DXVECTOR3* anchor)
{
    bool found = false;
    auto take = [&](const PhysicsBodyDef* a, const PhysicsBodyDef* b, const float* at)
    {
        if (a != &body && b != &body)
            return;
        *anchor = D3DXVECTOR3(at[0], at[1], at[2]);
        found = true;
    };
    for (const JointRef* ref : definition.jointOrder)
    {
        switch (ref->kind)
        {
        case JOINT_BALL:
        {
            auto* joint = static_cast<const BallJointDef*>(ref->record);
            take(joint->a, joint->b, joint->anchor);
            break;
        }
        case JOINT_HINGE:
        {
            auto* joint = static_cast<const HingeJointDef*>(ref->record);
            take(joint->a, joint->b, joint->anchor);
            break;
        }
        case JOINT_UNIVERSAL:
        case JOINT_HINGE2:
        {
            auto* joint = static_cast<const TwoAxisJointDef*>(ref->record);
            take(joint->a, joint->b, joint->anchor);
            break;
        }
        default:
            break;
        }
    }
    return found;
}

const QV7_DriveController* Driver(const QV7_Buggy& buggy)
{
    return buggy.Controller();
}
} // namespace

int QV7_PhysicsGroup::BrokenStrength(float health, float healthMax)
{
    const float half = healthMax / 2.0f;
    if (half <= 0.0f || health >= half)
        return 0;
    const int strength = int((1.0f - health / half) * 255.0f);
    return std::clamp(strength, 0, 255);
}

D3DXMATRIX QV7_PhysicsGroup::BodyWorld(const QV7_Buggy& buggy, const PhysicsBodyDef& body,
                                       D3DXMATRIX* rotation)
{
    D3DXMATRIX r;
    D3DXMatrixIdentity(&r);
    if (body.body)
        OdeRotationToMatrix(&r, dBodyGetRotation(body.body));
    // The ODE frame and the mesh frame differ by an axis change and a turn
    // that cancel each other; both are kept so the composition stays the game's.
    const D3DXMATRIX axes(-1, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1);
    D3DXQUATERNION q;
    D3DXQuaternionRotationYawPitchRoll(&q, 0.0f, -D3DX_PI / 2.0f, -D3DX_PI);
    D3DXMATRIX turn;
    D3DXMatrixRotationQuaternion(&turn, &q);
    r = Times(turn, Times(axes, r));
    if (rotation)
        *rotation = r;
    D3DXVECTOR3 t(0.0f, 0.0f, 0.0f);
    if (body.body)
    {
        const dReal* p = dBodyGetPosition(body.body);
        t = D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2])) * kOdeToModel;
    }
    D3DXVECTOR3 pivot(body.centre[0], body.centre[1], body.centre[2]);
    const BuggyMesh* mesh = ModelMesh(buggy);
    D3DXVECTOR3 anchor;
    if ((body.drivenWheel || body.steeredWheel) && mesh && body.role >= 0 && buggy.physicsDefinition &&
        LastAnchor(*buggy.physicsDefinition, body, &anchor))
    {
        const float dy = mesh->SubsetCentre(uint32_t(body.role)).y - anchor.y;
        t.y += dy;
        pivot.y += dy;
    }
    D3DXMATRIX toPivot, toBody, scale;
    D3DXMatrixTranslation(&toPivot, -pivot.x, -pivot.y, -pivot.z);
    D3DXMatrixTranslation(&toBody, t.x, t.y, t.z);
    D3DXMatrixScaling(&scale, kModelToRender, kModelToRender, kModelToRender);
    return Times(Times(Times(toPivot, r), toBody), scale);
}

void QV7_PhysicsGroup::DoRender(int reflection, int shadow)
{
    g_crashLocator = 1;
    try
    {
        OpenStates();
        for (int i = 0; i < racers.count; ++i)
            RenderBuggy(*racers.items[i], reflection, shadow);
        g_crashLocator = 206;
        CloseStates();
        for (int i = 0; i < racers.count; ++i)
        {
            QV7_Buggy& buggy = *racers.items[i];
            const QV7_DriveController* driver = Driver(buggy);
            const bool wheelStop = buggy.placementHold || (driver && driver->handBrakeOn);
            for (int k = 0; wheelStop && k < 2; ++k)
                if (buggy.drivenJoints[k])
                    dJointSetHinge2Param(buggy.drivenJoints[k], dParamVel2, 0);
        }
        g_crashLocator = 207;
    }
    catch (const CDException&)
    {
        CloseStates();
        throw;
    }
    catch (...)
    {
        ReportException(CPP_EXCEPTION_CODE, nullptr);
        QV7_Logger::Log(g_logger, "ERROR: QV7_PhysicsGroup::DoRender(%d) = 2 location ID: %d", reflection,
                        g_crashLocator);
        CloseStates();
    }
}

void QV7_PhysicsGroup::RenderBuggy(QV7_Buggy& buggy, int reflection, int shadow)
{
    if (!buggy.physicsDefinition)
        return;
    BindModel(buggy);
    const BuggyPhysicsDefinition& definition = *buggy.physicsDefinition;
    const int lastPart =
        definition.bodies.count > 0 ? definition.bodies.items[definition.bodies.count - 1]->role : -1;
    const int model = Items() ? Items()->ModelIndex(buggy.modelItem) : -1;
    for (int b = 0; b < definition.bodies.count; ++b)
    {
        const PhysicsBodyDef& body = *definition.bodies.items[b];
        if (body.role < 0)
            continue;
        g_crashLocator = 100 + b;
        D3DXMATRIX rotation;
        const D3DXMATRIX world = BodyWorld(buggy, body, &rotation);
        DrawPart(buggy, body.role, buggy.wrecked, reflection, shadow, 0, world);
        if (body.id2 >= 0)
            DrawPart(buggy, body.id2, buggy.wrecked, reflection, shadow, 0, world);
        if (body.id3 >= 0 && !DrawsThirdPartLate(model))
            DrawPart(buggy, body.id3, buggy.wrecked, reflection, shadow, 0, world);
        if (body.role == lastPart)
            RenderAttachments(buggy, body, rotation, world, reflection, shadow);
    }
}

void QV7_PhysicsGroup::RenderAttachments(QV7_Buggy& buggy, const PhysicsBodyDef& body,
                                         const D3DXMATRIX& rotation, const D3DXMATRIX& world, int reflection,
                                         int shadow)
{
    if (s_RenderHooks.placeBodyEffects)
    {
        D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
        if (body.body)
        {
            const dReal* p = dBodyGetPosition(body.body);
            at = D3DXVECTOR3(float(p[0]), float(p[1]), float(p[2])) * 200.0f;
        }
        const QV7_DriveController* driver = Driver(buggy);
        const int strength = driver ? BrokenStrength(driver->health, driver->healthMax) : 0;
        s_RenderHooks.placeBodyEffects(buggy, at, rotation, world, strength);
    }
    RenderMountedParts(buggy, world);
    if (buggy.wrecked || shadow != 0)
        return;
    CloseStates();
    const QV7_DriveController* driver = Driver(buggy);
    if (s_RenderHooks.drawFigure && !(driver && driver->cameraMode == CAMERA_MODE_CLOSE))
        s_RenderHooks.drawFigure(buggy, world, reflection);
    OpenStates();
    RenderWeapon(buggy, world);
}

void QV7_PhysicsGroup::RenderMountedParts(QV7_Buggy& buggy, const D3DXMATRIX& world)
{
    const bool tutorial = buggy.configuration == nullptr;
    const QV7_Collection<MountedPart>& parts = tutorial ? buggy.parts : buggy.configuration->parts;
    const QV7_BuggyMeshSystem* items = Items();
    for (int i = 0; i < parts.count && items; ++i)
    {
        const MountedPart& part = *parts.items[i];
        const QV7_DataBase_MeshObject* item = items->Item(part.item);
        if ((tutorial && part.visible == 0) || !item || !item->mesh || item->type == ITEM_TURBO ||
            item->type == ITEM_REPAIR || item->type == ITEM_POWER)
            continue;
        CloseStates();
        OpenStates();
        const D3DXMATRIX partWorld = Times(part.mount, world);
        DrawItem(*item, buggy, buggy.wrecked, 0, 0.0f, 0, 0, partWorld);
        if (item->type == ITEM_EXHAUST && s_RenderHooks.placeExhaust)
            s_RenderHooks.placeExhaust(buggy, *item, partWorld);
    }
}

void QV7_PhysicsGroup::RenderWeapon(QV7_Buggy& buggy, const D3DXMATRIX& world)
{
    const int slot = buggy.equipment.selected;
    if (slot < 1 || slot > 5)
        return;
    const QV7_DataBase_MeshObject* item = buggy.equipment.currentWeapon;
    if (!item)
        item = buggy.equipment.items[slot - 1];
    if (!item)
        return;
    const D3DXMATRIX mount = Times(buggy.weaponMounts[slot - 1], world);
    const QV7_Collection<PhysicsNameRecord>& dummies = item->physics.markers;
    // The weapons own the muzzles and the fire direction; a weapon with no
    // marker fires from its origin, one with a single marker from it twice.
    D3DXVECTOR3 dummy[2] = {};
    for (int k = 0; k < 2 && k < dummies.count; ++k)
        dummy[k] = D3DXVECTOR3(dummies.items[k]->values[0], dummies.items[k]->values[1],
                               dummies.items[k]->values[2]);
    if (dummies.count == 1)
        dummy[1] = dummy[0];
    D3DXVec3TransformCoord(&buggy.weapons.muzzleA, &dummy[0], &mount);
    D3DXVec3TransformCoord(&buggy.weapons.muzzleB, &dummy[1], &mount);
    const D3DXVECTOR3 back(0.0f, 0.0f, -1.0f);
    D3DXVec3TransformNormal(&buggy.weapons.fireDirection, &back, &mount);
    if (slot == 3)
    {
        DrawItem(*item, buggy, buggy.wrecked, 0, buggy.barrelAngle, 0, 1, mount);
        if (s_RenderHooks.placeChainFlash)
            s_RenderHooks.placeChainFlash(buggy);
        return;
    }
    DrawItem(*item, buggy, buggy.wrecked, 0, 0.0f, 0, 0, mount);
}

void QV7_PhysicsGroup::DoRenderLast()
{
    try
    {
        OpenStates();
        const QV7_BuggyMeshSystem* items = Items();
        for (int i = 0; i < racers.count; ++i)
        {
            QV7_Buggy& buggy = *racers.items[i];
            if (!buggy.physicsDefinition ||
                !DrawsThirdPartLate(items ? items->ModelIndex(buggy.modelItem) : -1))
                continue;
            BindModel(buggy);
            for (const PhysicsBodyDef* body : buggy.physicsDefinition->bodies)
                if (body->role >= 0 && body->id3 >= 0)
                    DrawPart(buggy, body->id3, buggy.wrecked, 0, 0, 1, BodyWorld(buggy, *body, nullptr));
        }
        CloseStates();
    }
    catch (const CDException&)
    {
        CloseStates();
        throw;
    }
    catch (...)
    {
        QV7_Logger::Log(g_logger, "ERROR: QV7_PhysicsGroup::DoRenderLast(%d)", 0);
        CloseStates();
    }
}
