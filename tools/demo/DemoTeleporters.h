// The demo islands' teleporters, Map%d.tel. The hill island has one gate on
// its track that jumps a racer a short way on along the track, facing the way
// the track runs, so no checkpoint is skipped; its second gate and the other
// islands' gates lie far under the sea floor, out of every racer's reach.
#pragma once

#include "tools/demo/DemoHeightfields.h"
#include "tools/writers/TeleporterFileWriter.h"

#include <string>

namespace demo
{
// Where on the hill island's track the gate stands and its exit lies, as
// indices into the track line drawn a point every 100 units.
constexpr float kDemoGateAlong = 0.6f;
constexpr int kDemoGateJumpPoints = 8;

TeleporterFileDescription DemoTeleporters(int number, const Heightfield& field);

// Writes Map%d.tel of every island; false on a write failure.
bool WriteDemoTeleporters(const std::string& dataDir);
} // namespace demo
