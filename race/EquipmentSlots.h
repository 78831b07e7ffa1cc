// A racer's weapons, shield and jammer: the selected weapon slot, and seven
// slots of an available flag, an item and an upgrade level (0-2). Slots 1-5
// hold the weapons of item types 1-5, slot 6 the shield, slot 7 the jammer.
#pragma once

class QV7_DataBase_MeshObject;

struct EquipmentSlots
{
    static constexpr int kSlots = 7;
    static constexpr int kShieldSlot = 6;
    static constexpr int kJammerSlot = 7;

    // Every slot empty, nothing selected.
    void Clear() { *this = EquipmentSlots{}; }
    // Slot k (1-7) holds item at level.
    void Fill(int slot, const QV7_DataBase_MeshObject* item, int level)
    {
        available[slot - 1] = 1;
        items[slot - 1] = item;
        levels[slot - 1] = level;
    }
    void Empty(int slot) { Fill(slot, nullptr, 0), available[slot - 1] = 0; }

    int selected = 0; // 0 none, else 1-5
    const QV7_DataBase_MeshObject* currentWeapon = nullptr;
    int available[kSlots] = {};
    const QV7_DataBase_MeshObject* items[kSlots] = {};
    int levels[kSlots] = {};
};
