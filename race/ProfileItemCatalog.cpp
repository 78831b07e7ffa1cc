// The buggy database as the profiles see it.
#include "race/ProfileItemCatalog.h"

#include "race/QV7_BuggyMeshSystem.h"

const ProfileItemCatalog* g_profileItemCatalog = nullptr;

ProfileItemCatalog ProfileItemCatalog::From(const QV7_BuggyMeshSystem& database)
{
    ProfileItemCatalog catalog;
    catalog.objectCount = database.objects.Count();
    for (const QV7_DataBase_MeshObject* model : database.models)
        catalog.modelItems.push_back(database.ItemIndex(model));
    catalog.firstEquipment = database.equipment.empty() ? -1 : database.ItemIndex(database.equipment.front());
    return catalog;
}

bool ProfileItemKnown(int32_t item)
{
    return !g_profileItemCatalog || g_profileItemCatalog->Contains(item);
}

int32_t ProfileModelItem(int model)
{
    return g_profileItemCatalog ? g_profileItemCatalog->ModelItem(model) : -1;
}
