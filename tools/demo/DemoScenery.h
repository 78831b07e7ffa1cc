// The demo islands' scenery: Map%d.sob (rocks, huts, crates, an arch the
// track runs under, on island 1 three targets by the start, and on the
// target lesson's island a range of targets along the track), MapT%d.trs (pine woods on the higher ground,
// palms along the beach) and Map%d.pf (a ferry circling offshore, pausing at its jetty node). Every piece
// stands beside the track on dry ground, never on it.
#pragma once

#include "tools/demo/DemoHeightfields.h"
#include "tools/writers/SceneryFileWriters.h"

#include <string>

namespace demo
{
// The island the target lesson (the second tutorial) is raced on, and its targets.
constexpr int kTargetLessonIsland = 2;
constexpr int kTargetRangeCount = 30;

StaticObjectsDescription DemoStaticObjects(int number, const Heightfield& field);
std::vector<TreeTypeDescription> DemoTrees(int number, const Heightfield& field);
std::vector<PathObjectDescription> DemoMovingScenery(int number, const Heightfield& field);

// Writes the three files of every island; false on a write failure.
bool WriteDemoScenery(const std::string& dataDir);
} // namespace demo
