// A new profile: one piece of equipment, one buggy and five opponents, each
// buggy with the parts its model comes with.
#include "race/ProfileRecord.h"

#include "race/ProfileItemCatalog.h"
#include "race/QV7_BuggyMeshSystem.h"

namespace
{
constexpr int32_t kOpponentTypes[4] = {ITEM_FLAMER, ITEM_ICE_CANNON, ITEM_CHAIN_GUN, ITEM_SHIELD};
constexpr int32_t kOpponentStat = 1000;

// How many of the opponent types (in order) a model index carries.
int OpponentTypeCount(int model)
{
    if (model == 1 || model == 2)
        return 2;
    return model >= 3 && model <= 9 ? 4 : 0;
}

bool HoldsType(const QV7_BuggyMeshSystem& db, const QV7_Collection<MountedPart>& parts, int32_t type)
{
    for (int i = 0; i < parts.Count(); ++i)
    {
        const QV7_DataBase_MeshObject* item = db.Item(parts[i]->item);
        if (item && item->type == type)
            return true;
    }
    return false;
}

// The lowest level of the chain of the last object of a type; null when the database has none.
const QV7_DataBase_MeshObject* LastChainBase(const QV7_BuggyMeshSystem& db, int32_t type)
{
    const QV7_DataBase_MeshObject* last = nullptr;
    for (int i = 0; i < db.objects.Count(); ++i)
        if (db.objects[i]->type == type)
            last = db.objects[i];
    return last ? last->ChainBase() : nullptr;
}

void SetupOpponent(const QV7_BuggyMeshSystem& db, OpponentRecord& opponent)
{
    const int m = opponent.configuration.ModelIndex();
    for (int32_t& stat : opponent.stats)
        stat = kOpponentStat;
    for (int t = 0; t < OpponentTypeCount(m); ++t)
    {
        const QV7_DataBase_MeshObject* base = LastChainBase(db, kOpponentTypes[t]);
        if (base && !HoldsType(db, opponent.ownedParts, kOpponentTypes[t]))
            opponent.ownedParts.Add()->item = db.ItemIndex(base);
    }
    BuggyConfiguration::MountParts(&opponent.configuration);
}
} // namespace

const int ProfileRecord::kDefaultOpponentModels[PROFILE_OPPONENT_COUNT] = {4, 2, 3, 1, 3};

ProfileRecord::ProfileRecord()
{
    // The player's own equipment and buggy come first, then the opponents'.
    if (g_profileItemCatalog && g_profileItemCatalog->firstEquipment >= 0)
        ownedItems.Add()->item = g_profileItemCatalog->firstEquipment;
    currentBuggy = ownedBuggies.Add();
    EquipDefaultBuggy(*currentBuggy, kDefaultModel);
    for (int i = 0; i < PROFILE_OPPONENT_COUNT; ++i)
        EquipDefaultBuggy(opponents[i].configuration, kDefaultOpponentModels[i]);
}

void ProfileRecord::EquipDefaultBuggy(BuggyConfiguration& config, int model)
{
    config.model = ProfileModelItem(model);
    BuggyConfiguration::EquipDefaultParts(&config);
    BuggyConfiguration::MountParts(&config);
}

void ProfileRecord::SetupOpponents(ProfileRecord* profile)
{
    const QV7_BuggyMeshSystem* db = BuggyConfiguration::Database();
    if (!profile || !db)
        return;
    for (OpponentRecord& opponent : profile->opponents)
        SetupOpponent(*db, opponent);
}
