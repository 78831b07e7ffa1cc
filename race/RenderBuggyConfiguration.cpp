// Menu pictures of a buggy configuration. Objects without a mesh and parts
// the model has no placement for are simply left out.
#include "race/RenderBuggyConfiguration.h"

#include "race/BuggyConfiguration.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Profiles.h"

namespace
{
void DrawObject(const QV7_DataBase_MeshObject* object, const D3DXMATRIX& world, int pass)
{
    if (object)
        object->Render(world, 0, nullptr, pass);
}

D3DXMATRIX Times(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX product;
    D3DXMatrixMultiply(&product, &a, &b);
    return product;
}

// The first of the item and the two levels below it that fits the model; null when none does.
const QV7_DataBase_MeshObject* FittingLevel(const QV7_DataBase_MeshObject* item, int model)
{
    for (int step = 0; step < 3 && item; ++step, item = item->child)
        if (item->FitsModel(model) == 1)
            return item;
    return nullptr;
}

// The equipment entry to show: the visible one of the highest type, the later one on a tie.
const MountedPart* PickOwnedItem(const QV7_BuggyMeshSystem& db, const QV7_Collection<MountedPart>& owned,
                                 int model, const QV7_DataBase_MeshObject** drawn)
{
    const MountedPart* picked = nullptr;
    int32_t pickedType = 0;
    for (int i = owned.Count() - 1; i >= 0; --i)
    {
        const MountedPart& entry = *owned[i];
        const QV7_DataBase_MeshObject* item = db.Item(entry.item);
        const QV7_DataBase_MeshObject* fitting = entry.visible == 1 ? FittingLevel(item, model) : nullptr;
        if (!fitting || (picked && item->type <= pickedType))
            continue;
        picked = &entry;
        pickedType = item->type;
        *drawn = fitting;
    }
    return picked;
}
} // namespace

void RenderBuggyConfiguration(BuggyConfiguration* config, MountedPart* highlighted, int withOwnedItem,
                              int pass, D3DXMATRIX world)
{
    const QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!config || !db)
        return;
    DrawObject(db->Item(config->model), world, pass);
    const int m = config->ModelIndex();
    if (m < 0 || m >= ATTACH_MODEL_COUNT)
        return;
    for (int i = 0; i < config->parts.Count(); ++i)
    {
        const MountedPart& part = *config->parts[i];
        const QV7_DataBase_MeshObject* item = db->Item(part.item);
        if (part.visible != 1 || !item)
            continue;
        if (&part == highlighted)
        {
            if (const QV7_DataBase_MeshObject* parent = item->parent)
                DrawObject(parent, Times(MountMatrix(parent->attachPoints[m]), world), pass);
            continue;
        }
        DrawObject(item, Times(part.mount, world), pass);
    }
    const ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (withOwnedItem != 1 || !profile)
        return;
    const QV7_DataBase_MeshObject* drawn = nullptr;
    if (const MountedPart* entry = PickOwnedItem(*db, profile->ownedItems, m, &drawn))
        DrawObject(drawn, Times(entry->mount, world), pass);
}
