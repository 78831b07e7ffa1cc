// The two racer builds: a tutorial's model, parts and equipment by the
// tutorial's rules, and a configuration's model with the owned weapons that
// fit it; both end in the physics construction.
#include "race/BuggyConfiguration.h"
#include "race/BuggyPhysicsDefinition.h"
#include "race/ProfileRecord.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_ItemDatabase.h"
#include "race/QV7_Profiles.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>

namespace
{
constexpr int32_t kTutorialAmmo = 99999999;

const QV7_BuggyMeshSystem& Items()
{
    if (QV7_Buggy::s_items)
        return *QV7_Buggy::s_items;
    if (!g_itemDatabase)
    {
        QV7_Logger::Log(g_logger, "ERROR: Racer construction: the buggy database is not loaded");
        ThrowBrokenString("QV7_Buggy", 2);
    }
    return g_itemDatabase->meshSystem;
}

D3DXMATRIX MountMatrix(const QV7_DataBase_MeshObject& item, int model)
{
    D3DXMATRIX mount;
    D3DXMatrixIdentity(&mount);
    const AttachPoint* point = item.AttachPointFor(model);
    if (!point)
        return mount;
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, point->rotation[0], point->rotation[1], point->rotation[2]);
    D3DXMatrixRotationQuaternion(&mount, &turn);
    mount._41 = point->position[0];
    mount._42 = point->position[1];
    mount._43 = point->position[2];
    return mount;
}

// Offered on its own: flagged, and not the upgrade of a flagged item.
bool GeneralTest(const QV7_DataBase_MeshObject& item)
{
    return item.flag == 1 && (!item.parent || item.parent->flag == 0);
}

bool ModelTest(const QV7_DataBase_MeshObject& item, int model)
{
    return item.FitsModel(model) == 1 && (!item.parent || item.parent->FitsModel(model) == 0);
}

// A tutorial's rule for one item: whether it is mounted, drawn, and which
// slot (6 shield, 7 jammer) it fills.
struct TutorialMount
{
    bool mounted = false;
    int visible = 0;
    int slot = 0;
};

TutorialMount TutorialRule(const QV7_DataBase_MeshObject& item, int model, int tutorial, int opponent)
{
    const bool general = GeneralTest(item);
    const bool opponentBase = !item.child && item.flag == 1;
    switch (item.type)
    {
    case ITEM_TURBO:
        return {tutorial > 1 && general, 0, 0};
    case ITEM_ENGINE:
    case ITEM_REPAIR:
        return {ModelTest(item, model), 0, 0};
    case ITEM_SHIELD:
        return {tutorial > 1 && (opponent ? opponentBase : general), 0, EquipmentSlots::kShieldSlot};
    case ITEM_POWER:
        return {general, 0, 0};
    case ITEM_ALTERNATOR:
        return {opponent ? !item.child : general, 0, 0};
    case ITEM_JAMMER:
        return {tutorial > 1 && (opponent ? opponentBase : general), 0, EquipmentSlots::kJammerSlot};
    case ITEM_EXHAUST:
    case ITEM_STRENGTH:
    case ITEM_PART:
        return {ModelTest(item, model), 1, 0};
    default:
        return {};
    }
}
} // namespace

const QV7_BuggyMeshSystem* QV7_Buggy::s_items = nullptr;

int QV7_Buggy::ChainCount(const QV7_DataBase_MeshObject* item)
{
    int count = 0;
    for (const QV7_DataBase_MeshObject* next = item ? item->child : nullptr; next && count < 1000;
         next = next->child)
        ++count;
    return count;
}

int QV7_Buggy::SlotLevel(const QV7_DataBase_MeshObject* item)
{
    return std::min(ChainCount(item), 2);
}

void QV7_Buggy::BuildTutorialBuggy(QV7_Buggy& racer, int tutorialIndex, int opponent)
{
    const QV7_BuggyMeshSystem& items = Items();
    const QV7_DataBase_MeshObject* model = items.Model(2);
    if (!model)
    {
        QV7_Logger::Log(g_logger, "ERROR: Racer construction: the tutorial's buggy model is missing");
        ThrowBrokenString("QV7_Buggy", 3);
    }
    racer.configuration = nullptr;
    racer.modelItem = model;
    racer.modelIndex = 2;
    racer.equipment.Clear();
    racer.ammo = nullptr;
    for (int i = 0; i < items.objects.count; ++i)
    {
        const QV7_DataBase_MeshObject& item = *items.objects.items[i];
        const TutorialMount rule = TutorialRule(item, racer.modelIndex, tutorialIndex, opponent);
        if (!rule.mounted)
            continue;
        MountedPart* part = racer.parts.Append(new MountedPart());
        part->item = i;
        part->mount = MountMatrix(item, racer.modelIndex);
        part->visible = rule.visible;
        if (rule.slot)
            racer.equipment.Fill(rule.slot, &item, opponent ? 0 : 2);
    }
    if (tutorialIndex != 0)
    {
        for (const QV7_DataBase_MeshObject* weapon : items.equipment)
        {
            if (weapon->type != ITEM_FLAMER)
                continue;
            const QV7_DataBase_MeshObject* top = weapon;
            for (int guard = 0; top->parent && guard < 1000; ++guard)
                top = top->parent;
            racer.equipment.Fill(1, top, 2);
            racer.equipment.selected = 1;
            racer.equipment.currentWeapon = top;
            racer.weaponMounts[0] = MountMatrix(*top, racer.modelIndex);
        }
    }
    std::fill(racer.ownAmmo, racer.ownAmmo + 4, kTutorialAmmo);
    racer.ammo = racer.ownAmmo;
    std::copy(racer.ownAmmo, racer.ownAmmo + 4, racer.ammoStart);
    BuildFromDefinition(model->physics, nullptr, racer);
}

void QV7_Buggy::BuildFromConfiguration(const BuggyPhysicsDefinition& definition,
                                       BuggyConfiguration& configuration, QV7_Buggy& racer)
{
    const QV7_BuggyMeshSystem& items = Items();
    racer.configuration = &configuration;
    racer.modelItem = items.Item(configuration.model);
    racer.modelIndex = items.ModelIndex(racer.modelItem);
    racer.equipment.Clear();
    ProfileRecord* profile = g_profiles ? g_profiles->currentProfile : nullptr;
    if (configuration.ownerParts)
    {
        racer.FillFromOwned(*configuration.ownerParts, true);
        racer.ammo = configuration.ownerStats;
    }
    else if (profile)
    {
        racer.FillFromOwned(profile->ownedItems, false);
        racer.ammo = profile->ammunition;
    }
    else
    {
        racer.ammo = racer.ownAmmo; // no profile: no weapons, no ammunition
    }
    if (racer.ammo)
        std::copy(racer.ammo, racer.ammo + 4, racer.ammoStart);
    racer.DropUnfitWeapons();
    BuildFromDefinition(definition, &configuration, racer);
}

void QV7_Buggy::FillFromOwned(const QV7_Collection<MountedPart>& owned, bool ownList)
{
    const QV7_BuggyMeshSystem& items = Items();
    for (int i = 0; i < owned.count; ++i)
    {
        const QV7_DataBase_MeshObject* item = items.Item(owned.items[i]->item);
        if (!item)
            continue;
        int slot = 0;
        if (item->type >= ITEM_FLAMER && item->type <= ITEM_TESLA_COIL)
            slot = item->type;
        else if (item->type == ITEM_SHIELD)
            slot = EquipmentSlots::kShieldSlot;
        else if (item->type == ITEM_JAMMER)
            slot = EquipmentSlots::kJammerSlot;
        if (!slot)
            continue;
        equipment.Fill(slot, item, SlotLevel(item));
        // The configuration's own list selects its last weapon; the
        // profile's list the weapon of the highest slot.
        if (slot <= 5 && (ownList || slot > equipment.selected))
        {
            equipment.selected = slot;
            equipment.currentWeapon = item;
        }
    }
}

void QV7_Buggy::DropUnfitWeapons()
{
    for (int slot = 1; slot <= 5; ++slot)
    {
        const QV7_DataBase_MeshObject* item = equipment.items[slot - 1];
        if (!item)
            continue;
        if (item->FitsModel(modelIndex) == 0)
        {
            if (equipment.currentWeapon == item)
            {
                equipment.selected = 0;
                equipment.currentWeapon = nullptr;
            }
            equipment.Empty(slot);
            continue;
        }
        weaponMounts[slot - 1] = MountMatrix(*item, modelIndex);
    }
    for (int slot = 5; slot >= 1 && !equipment.currentWeapon; --slot)
    {
        if (!equipment.available[slot - 1])
            continue;
        equipment.selected = slot;
        equipment.currentWeapon = equipment.items[slot - 1];
    }
}
