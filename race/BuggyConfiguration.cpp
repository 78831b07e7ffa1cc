// Buggy configurations: where each part sits on the model, which parts show,
// the garage's stats and the parts a model comes with. Everything is read
// from the loaded buggy database; without one a configuration is left alone.
#include "race/BuggyConfiguration.h"

#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

namespace
{
constexpr int kDefaultTypes[4] = {ITEM_ENGINE, ITEM_REPAIR, ITEM_POWER, ITEM_ALTERNATOR};
// The level of each default part type, by model index 1 to 9.
constexpr int kDefaultLevels[9][4] = {{1, 2, 1, 1}, {2, 1, 1, 1}, {2, 3, 2, 2}, {3, 2, 2, 2}, {3, 4, 3, 3},
                                      {4, 3, 3, 3}, {4, 5, 4, 4}, {5, 4, 4, 4}, {5, 5, 5, 5}};
// This model also comes with its own strength part and plain part.
constexpr int kModelWithExtras = 5;

bool HasAttachPoint(int model)
{
    return model >= 0 && model < ATTACH_MODEL_COUNT;
}

bool HiddenOnBuggy(const QV7_DataBase_MeshObject& item)
{
    return !item.mesh || item.type == ITEM_TURBO || item.type == ITEM_REPAIR || item.type == ITEM_POWER;
}

bool HiddenWhenOwned(const QV7_DataBase_MeshObject& item)
{
    return !item.mesh || item.type == ITEM_REPAIR || item.type == ITEM_SHIELD || item.type == ITEM_JAMMER;
}

// The last object of a type in file order; with fitModel >= 0 only one that fits that model.
const QV7_DataBase_MeshObject* LastOfType(const QV7_BuggyMeshSystem& db, int32_t type, int fitModel = -1)
{
    const QV7_DataBase_MeshObject* last = nullptr;
    for (int i = 0; i < db.objects.Count(); ++i)
    {
        const QV7_DataBase_MeshObject* object = db.objects[i];
        if (object->type == type && (fitModel < 0 || object->FitsModel(fitModel) == 1))
            last = object;
    }
    return last;
}

// Level k of the chain of base; a chain too short gives its top, logged.
const QV7_DataBase_MeshObject* LevelOrTop(const QV7_DataBase_MeshObject* base, int level)
{
    const QV7_DataBase_MeshObject* found = base->AtLevel(level);
    if (found)
        return found;
    const QV7_DataBase_MeshObject* top = base;
    while (top->parent)
        top = top->parent;
    QV7_Logger::Log(g_logger,
                    "WARNING: The upgrade chain of type %d has %d levels, level %d wanted; using the top.",
                    int(base->type), top->Level(), level);
    return top;
}

void AppendPart(QV7_Collection<MountedPart>& parts, const QV7_BuggyMeshSystem& db,
                const QV7_DataBase_MeshObject* item)
{
    parts.Add()->item = db.ItemIndex(item);
}

int32_t SumOfLevels(const QV7_BuggyMeshSystem& db, const QV7_Collection<MountedPart>& parts, int32_t type)
{
    int32_t sum = 0;
    for (int i = 0; i < parts.Count(); ++i)
    {
        const QV7_DataBase_MeshObject* item = db.Item(parts[i]->item);
        if (item && item->type == type)
            sum += item->Level();
    }
    return sum;
}

void MountOwnedItems(const QV7_BuggyMeshSystem& db, int model, QV7_Collection<MountedPart>& owned,
                     int32_t* fit)
{
    for (int i = 0; i < owned.Count(); ++i)
    {
        MountedPart& entry = *owned[i];
        entry.visible = 0;
        const QV7_DataBase_MeshObject* item = db.Item(entry.item);
        if (!item || !HasAttachPoint(model) || item->FitsModel(model) != 1)
        {
            if (fit)
                *fit = 0;
            continue;
        }
        entry.visible = HiddenWhenOwned(*item) ? 0 : 1;
        entry.mount = MountMatrix(item->attachPoints[model]);
    }
}
} // namespace

QV7_BuggyMeshSystem* BuggyConfiguration::Database()
{
    return g_buggyMeshSystem;
}

D3DXMATRIX MountMatrix(const AttachPoint& point)
{
    D3DXQUATERNION rotation;
    D3DXQuaternionRotationYawPitchRoll(&rotation, point.rotation[0], point.rotation[1], point.rotation[2]);
    D3DXMATRIX mount;
    D3DXMatrixRotationQuaternion(&mount, &rotation);
    mount._41 = point.position[0];
    mount._42 = point.position[1];
    mount._43 = point.position[2];
    return mount;
}

int BuggyConfiguration::ModelIndex() const
{
    const QV7_BuggyMeshSystem* db = Database();
    return db ? db->ModelIndex(db->Item(model)) : -1;
}

void BuggyConfiguration::MountParts(BuggyConfiguration* config)
{
    const QV7_BuggyMeshSystem* db = Database();
    if (!config || !db)
        return;
    const int m = config->ModelIndex();
    for (int i = 0; i < config->parts.Count(); ++i)
    {
        MountedPart& part = *config->parts[i];
        const QV7_DataBase_MeshObject* item = db->Item(part.item);
        // A model past the ten with placements (or none) has nowhere to put a part.
        if (!item || !HasAttachPoint(m))
        {
            part.visible = 0;
            D3DXMatrixIdentity(&part.mount);
            continue;
        }
        part.visible = HiddenOnBuggy(*item) ? 0 : 1;
        part.mount = MountMatrix(item->attachPoints[m]);
    }
    // An opponent's weapons are its own; only the player's buggies place the profile's equipment.
    if (config->ownerParts)
    {
        MountOwnedItems(*db, m, *config->ownerParts, nullptr);
        config->ComputeStats(*db, m);
        return;
    }
    ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (!profile)
        return;
    profile->ownedItemsFit = 1;
    MountOwnedItems(*db, m, profile->ownedItems, &profile->ownedItemsFit);
    config->ComputeStats(*db, m);
}

void BuggyConfiguration::ComputeStats(const QV7_BuggyMeshSystem& db, int m)
{
    const QV7_DataBase_MeshObject* modelObject = db.Item(model);
    value = 0;
    if (modelObject && modelObject->value4 != 0)
    {
        value = int32_t(modelObject->value2);
        for (int i = 0; i < parts.Count(); ++i)
            if (const QV7_DataBase_MeshObject* item = db.Item(parts[i]->item))
                value += int32_t(item->value2);
    }
    strength = 100 + 10 * (m > 0 ? m : 0);
    energy = 0;
    repair = 0;
    for (int i = 0; i < parts.Count(); ++i)
    {
        const QV7_DataBase_MeshObject* item = db.Item(parts[i]->item);
        if (!item)
            continue;
        if (item->type == ITEM_STRENGTH)
            strength += 2;
        else if (item->type == ITEM_POWER)
            energy = 20 * item->Level();
        else if (item->type == ITEM_REPAIR)
            repair += item->Level() - 1;
    }
    const int32_t engine = SumOfLevels(db, parts, ITEM_ENGINE);
    const int32_t plain = SumOfLevels(db, parts, ITEM_PART);
    maxSpeed = 65 + 15 * engine + plain;
    acceleration = 10 + 5 * engine + plain + SumOfLevels(db, parts, ITEM_EXHAUST);
    alternator = 2 * SumOfLevels(db, parts, ITEM_ALTERNATOR);
}

void BuggyConfiguration::EquipDefaultParts(BuggyConfiguration* config)
{
    const QV7_BuggyMeshSystem* db = Database();
    if (!config || !db)
        return;
    const int m = config->ModelIndex();
    if (m < 1 || m > 9)
        return;
    for (int column = 0; column < 4; ++column)
    {
        const QV7_DataBase_MeshObject* last = LastOfType(*db, kDefaultTypes[column]);
        if (!last)
        {
            QV7_Logger::Log(g_logger, "WARNING: The buggy database has no part of type %d to equip.",
                            kDefaultTypes[column]);
            continue;
        }
        AppendPart(config->parts, *db, LevelOrTop(last->ChainBase(), kDefaultLevels[m - 1][column]));
    }
    if (m != kModelWithExtras)
        return;
    for (int32_t type : {ITEM_STRENGTH, ITEM_PART})
        if (const QV7_DataBase_MeshObject* own = LastOfType(*db, type, m))
            AppendPart(config->parts, *db, own->ChainBase());
}
