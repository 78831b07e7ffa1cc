// Names of the characters and of their triggers.
#include "figures/DriverType.h"

namespace
{
const char* const kCharacterNames[kDriverTypeCount] = {"PLAYERM", "PLAYERF", "CALEC", "CASSANDRA",
                                                       "KRASKA",  "BEVERLY", "GRONK"};
} // namespace

const char* const kDriverAnimationNames[kDriverAnimationCount] = {
    "IDLE",      "STUUR_LINKS", "STUUR_LINKS_TERUG", "STUUR_RECHTS", "STUUR_RECHTS_TERUG",
    "BUMP/BOTS", "ACHTERUIT",   "ACHTERUIT_TERUG"};

bool IsDriverType(int value)
{
    return value >= 0 && value < kDriverTypeCount;
}

const char* DriverTypeName(int type)
{
    return IsDriverType(type) ? kCharacterNames[type] : "";
}

std::string DriverTriggerName(int type, const char* animation)
{
    if (!IsDriverType(type))
        return "";
    return std::string("TRIG_") + kCharacterNames[type] + "_" + animation;
}
