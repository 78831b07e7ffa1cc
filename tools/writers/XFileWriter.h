// Writer of text .x files (the driver figures inside Triggers.qvx): frames,
// meshes with normals, texture coordinates, materials and skin weights, and
// animation sets, from the same description the .x parser fills. Every float
// is written with a decimal point and values are separated by "," and ";" as
// .x readers expect, so other .x tools read our files too.
//
// MakeArticulatedFigure builds a small seated figure for tests and the demo
// data: hips, torso, head and two arms as boxes on five bones (the shoulder
// ends of the arms shared between arm and torso, so some vertices have two
// influences), and one animation set per entry of the description, each
// animating every bone with scale, rotation and position keys.
#pragma once

#include "platform/d3dx/XFileDescription.h"

#include <string>
#include <vector>

// Throws std::invalid_argument for a name a .x file cannot hold (frame, mesh,
// set and referenced names are a letter or '_' followed by letters, digits,
// '_', '-' or '.'; strings hold no '"' or line break), so every file written
// reads back.
std::string WriteXFile(const d3dx::XFileDescription& description);
bool IsXFileName(const std::string& name);

enum class FigureMotion
{
    Rest,       // every key the bind pose
    SteerLeft,  // torso and arms lean to the left
    SteerRight, // and to the right
    Bump,       // head and torso jolt and come back
    Reverse,    // torso turns to look back
    Breathe     // a slow nod and back, for idling
};

struct FigureMotionSet
{
    std::string name;
    FigureMotion motion = FigureMotion::Rest;
    float seconds = 1.0f;
    // Plays from the pose back to rest (the "return" animations).
    bool backToRest = false;
};

struct ArticulatedFigureDescription
{
    float height = 100.0f; // from the hips' base to the top of the head
    D3DXCOLOR colour{0.8f, 0.6f, 0.4f, 1.0f};
    std::string textureFile; // empty: the material names none
    std::vector<FigureMotionSet> sets;
    DWORD ticksPerSecond = 4800;
};

// One set per animation a driver character's triggers name, each called as
// the trigger's animation (IDLE, STUUR_LINKS, STUUR_LINKS_TERUG, STUUR_RECHTS,
// STUUR_RECHTS_TERUG, BUMP_BOTS, ACHTERUIT, ACHTERUIT_TERUG, MENU_IDLE,
// MENU_MOVE): the slash of BUMP/BOTS is no .x name character, so its set is
// BUMP_BOTS and the trigger names that set.
std::vector<FigureMotionSet> DriverFigureMotions();

// Frame and bone names of the figure, root first.
extern const char* const kFigureBoneNames[5];

d3dx::XFileDescription MakeArticulatedFigure(const ArticulatedFigureDescription& figure);
