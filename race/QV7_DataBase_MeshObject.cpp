// Buggy database objects: defaults, names and chain walks.
#include "race/QV7_DataBase_MeshObject.h"

#include "race/QV7_BuggyMeshSystem.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_ReportException.h"

bool IsEquipmentType(int32_t type)
{
    return (type >= ITEM_FLAMER && type <= ITEM_TESLA_COIL) || type == ITEM_SHIELD || type == ITEM_JAMMER;
}

bool IsAmmunitionType(int32_t type)
{
    return type >= ITEM_AMMO_FIRST && type <= ITEM_AMMO_LAST;
}

ItemNamePair::ItemNamePair() : name{"*"}, description{"*"} {}

QV7_DataBase_MeshObject::QV7_DataBase_MeshObject()
    : value1(1000), value2(500), value3(0), value4(0), reserved(-1), mesh(nullptr), word(0), type(0), flag(0),
      parent(nullptr), child(nullptr), attachWords{}
{
}

const ItemNamePair* QV7_DataBase_MeshObject::Names(int language) const
{
    if (names.count == 0)
        return nullptr;
    return language >= 0 && language < names.count ? names[language] : names[0];
}

// The loader refuses cyclic chains, so both walks end.
int QV7_DataBase_MeshObject::Level() const
{
    int level = 1;
    for (const QV7_DataBase_MeshObject* lower = child; lower; lower = lower->child)
        ++level;
    return level;
}

const QV7_DataBase_MeshObject* QV7_DataBase_MeshObject::ChainBase() const
{
    const QV7_DataBase_MeshObject* base = this;
    while (base->child)
        base = base->child;
    return base;
}

const QV7_DataBase_MeshObject* QV7_DataBase_MeshObject::AtLevel(int level) const
{
    const QV7_DataBase_MeshObject* object = level >= 1 ? ChainBase() : nullptr;
    for (; object && level > 1; --level)
        object = object->parent;
    return object;
}

const AttachPoint* QV7_DataBase_MeshObject::AttachPointFor(int model) const
{
    return model >= 0 && model < ATTACH_MODEL_COUNT ? &attachPoints[model] : nullptr;
}

uint32_t QV7_DataBase_MeshObject::FitsModel(int model) const
{
    return model >= 0 && model < ATTACH_MODEL_COUNT ? attachWords[model] : 0;
}

void QV7_DataBase_MeshObject::Render(const D3DXMATRIX& world, int silhouette, const float* tint,
                                     int /*pass*/) const
{
    if (!mesh)
        return;
    if (!RunGuarded(
            [&]
            {
                mesh->m_World = world;
                QV7_BuggyMeshSystem::RenderMesh(*mesh, silhouette, tint);
            }))
        QV7_Logger::Log(g_logger, "ERROR: void QV7_DataBase_MeshObject::Render()");
}

void QV7_DataBase_MeshObject::RenderPhysics(const QV7_Buggy* racer, const D3DXMATRIX& world, int black,
                                            int mirrored, int spin, float spinAngle, int shadowPass) const
{
    if (!mesh)
        return;
    if (!RunGuarded(
            [&]
            {
                mesh->m_World = world;
                QV7_BuggyMeshSystem::RenderPhysicsMesh(*mesh, racer, black, mirrored, spin, spinAngle,
                                                       shadowPass);
            }))
        QV7_Logger::Log(g_logger, "ERROR: QV7_DataBase_MeshObject::RenderPhysics()");
}
