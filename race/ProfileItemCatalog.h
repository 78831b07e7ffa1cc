// What the profiles need to know of the buggy database, by item index: how
// many objects it holds, which object is each buggy model and which is the
// first piece of equipment. The item database publishes one once DatA.dat is
// read; with none published every stored item index is taken as it stands,
// so profiles survive a start without the database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QV7_BuggyMeshSystem;

struct ProfileItemCatalog
{
    // What the profiles need of a loaded buggy database.
    static ProfileItemCatalog From(const QV7_BuggyMeshSystem& database);

    int32_t objectCount = 0;
    // Item index of each buggy model, by model index.
    std::vector<int32_t> modelItems;
    // Item index of the first object of the equipment list; -1 when it is empty.
    int32_t firstEquipment = -1;

    bool Contains(int32_t item) const { return item >= 0 && item < objectCount; }
    // Item index of a model index; -1 when the database has no such model.
    int32_t ModelItem(int model) const
    {
        return model >= 0 && model < int(modelItems.size()) ? modelItems[size_t(model)] : -1;
    }
};

// Null while no buggy database is loaded.
extern const ProfileItemCatalog* g_profileItemCatalog;

// True when the item index names an object of the published database, or when none is published.
bool ProfileItemKnown(int32_t item);
// Item index of a model index in the published database; -1 without one.
int32_t ProfileModelItem(int model);
