// The demo islands' checkpoints, Map%d.chk: a chain of checkpoints spaced
// evenly along each island's track, the first at the track's start as the
// finish, every marker facing along the track; with the two marker meshes, a
// floating orange gate with a blue arrow over the road, and a chequered
// finish banner.
#pragma once

#include "tools/demo/DemoHeightfields.h"
#include "tools/writers/CheckpointFileWriter.h"

#include <string>

namespace demo
{
constexpr int kDemoCheckpointCount = 12;
constexpr float kDemoPassRadius = 300.0f;

// The ordinary marker (subset 0 the gate, subset 1 the arrow) and the
// finish (subset 0 the white squares and posts, subset 1 the dark squares),
// in model units: across the road along z, forward along -x.
MeshObjectDescription DemoCheckpointMesh();
MeshObjectDescription DemoFinishMesh();

CheckpointFileDescription DemoCheckpoints(int number, const Heightfield& field);

// Writes Map%d.chk of every island; false on a write failure.
bool WriteDemoCheckpoints(const std::string& dataDir);
} // namespace demo
