// The demo buggy database, DatA.dat: five drivable buggy models chained in
// model order, the five weapons, shield and jammer in three levels each,
// upgrade chains of every part type, exhausts, four kinds of ammunition, and
// the tutorial-only chains (flag 1) the scripted tutorials mount. Chains of
// a type the garage or the opponents pick by "last object of the type" come
// after the tutorial ones, so that pick is always a shop chain.
#pragma once

#include "tools/demo/DemoBuggyMeshes.h"
#include "tools/writers/BuggyDatabaseWriter.h"

#include <string>

namespace demo
{
constexpr int kDemoModelCount = 5;
// Weapons sit on the deck turned a quarter round, so the barrel (-z) points
// along the nose (-x).
constexpr float kWeaponYaw = 1.5707964f;
} // namespace demo

// One drivable racing model: 12 bodies (0-3 the wheels, 4-7 welded parts,
// 8 the chassis, 9-10 welded, 11 the seat and cage, the last), four hinge-2
// wheel joints (0 and 1 steered, 2 and 3 driven) and seven welding sliders,
// the exhaust markers "uitlaat" and "uit2", and the generated mesh.
BuggyObjectDescription MakeDemoBuggyModel(int model);
// The physics definition alone, for any shape.
PhysicsDefinitionDescription MakeDemoBuggyPhysics(const DemoBuggyShape& shape);
// The whole demo database.
BuggyDatabaseDescription MakeDemoBuggyDatabase();
// Writes DatA.dat into dataDir (ending in '/'); false on a write failure.
bool WriteDemoBuggies(const std::string& dataDir);
