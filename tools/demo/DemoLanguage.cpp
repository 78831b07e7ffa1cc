// Texts of the demo's English language file.
#include "tools/demo/DemoLanguage.h"

LanguageGroups DemoLanguageGroups()
{
    LanguageGroups groups;
    // Group 0: the action names, by language entry.
    groups.push_back({"Respawn",         "Accelerate",      "Turbo",           "Reverse",        "Steer Left",
                      "Steer Right",     "Shoot",           "Hand Brake",      "Shield",         "Jammer",
                      "Select Weapon 1", "Select Weapon 2", "Select Weapon 3", "Select Weapon 4", "Select Weapon 5",
                      "Camera Mode 1",   "Camera Mode 2",   "Camera Mode 3",   "Hide HUD",       "Pause",
                      "Screenshot",      "Horn",            "Team Chat",       "All Chat",       "Next Weapon",
                      "Previous Weapon"});
    return groups;
}

bool WriteDemoLanguage(const std::string& dataDir)
{
    return WriteLanguageFile(dataDir + "LANG.lng", DemoLanguageGroups());
}
