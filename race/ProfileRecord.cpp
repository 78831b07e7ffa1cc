// A new profile: one piece of equipment, one buggy and five opponents, each
// buggy with the parts its model comes with.
#include "race/ProfileRecord.h"

#include "race/ProfileItemCatalog.h"

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
