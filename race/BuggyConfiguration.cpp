// Buggy configurations. Mounting and the default parts read the placement,
// fit and upgrade chains of the buggy database; until that database is read by
// the game, a configuration keeps its parts as they are.
#include "race/BuggyConfiguration.h"

void BuggyConfiguration::MountParts(BuggyConfiguration*) {}

void BuggyConfiguration::EquipDefaultParts(BuggyConfiguration*) {}
