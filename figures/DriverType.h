// The seated characters of the driver figures, and how their trigger names
// are made: TRIG_, the character, an underscore and the animation.
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
// The eight animations every character has, in the order the driver
// animation binds them: idle, steer left and back, steer right and back,
// bump, reversing and back (the slash of BUMP/BOTS is part of the name).
constexpr int kDriverAnimationCount = 8;
extern const char* const kDriverAnimationNames[kDriverAnimationCount];

bool IsDriverType(int value);
// "PLAYERM" .. "GRONK"; "" for a value that is no driver type.
const char* DriverTypeName(int type);
// "TRIG_<character>_<animation>"; "" for a value that is no driver type.
std::string DriverTriggerName(int type, const char* animation);
