// The seated characters of the driver figures, and how their trigger names
// are made: TRIG_, the character, an underscore and the animation. Header
// only, so the data writers name triggers exactly as the game looks them up.
#pragma once

#include <cstdint>
#include <string>

enum DriverType : int32_t
{
    PLAYERM = 0,
    PLAYERF = 1,
    CALEC = 2,
    CASSANDRA = 3,
    KRASKA = 4,
    BEVERLY = 5,
    GRONK = 6,
};

constexpr int kDriverTypeCount = 7;
inline constexpr const char* kDriverTypeNames[kDriverTypeCount] = {"PLAYERM", "PLAYERF", "CALEC", "CASSANDRA",
                                                                   "KRASKA",  "BEVERLY", "GRONK"};

// The eight animations every character has, in the order the driver
// animation binds them: idle, steer left and back, steer right and back,
// bump, reversing and back (the slash of BUMP/BOTS is part of the name).
constexpr int kDriverAnimationCount = 8;
inline constexpr const char* kDriverAnimationNames[kDriverAnimationCount] = {
    "IDLE",      "STUUR_LINKS", "STUUR_LINKS_TERUG", "STUUR_RECHTS", "STUUR_RECHTS_TERUG",
    "BUMP/BOTS", "ACHTERUIT",   "ACHTERUIT_TERUG"};

inline bool IsDriverType(int value)
{
    return value >= 0 && value < kDriverTypeCount;
}

// "PLAYERM" .. "GRONK"; "" for a value that is no driver type.
inline const char* DriverTypeName(int type)
{
    return IsDriverType(type) ? kDriverTypeNames[type] : "";
}

// "TRIG_<character>_<animation>"; "" for a value that is no driver type.
inline std::string DriverTriggerName(int type, const char* animation)
{
    if (!IsDriverType(type))
        return "";
    return std::string("TRIG_") + kDriverTypeNames[type] + "_" + animation;
}
