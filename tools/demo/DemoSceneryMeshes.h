// The demo islands' scenery pieces: the meshes of rocks, huts, crates, an
// arch, tutorial targets, pines, palms and a ferry, built from boxes, cones
// and jittered rocks with flat normals, and the pictures they are painted
// with (Textures2.qvx, listed by every island).
#pragma once

#include "tools/writers/MeshObjectWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <cstdint>
#include <vector>

namespace demo
{
constexpr int32_t kRockPictureId = 3701;
constexpr int32_t kWoodPictureId = 3702;
constexpr int32_t kThatchPictureId = 3703;
constexpr int32_t kPineBillboardId = 3704;
constexpr int32_t kPalmBillboardId = 3705;
constexpr int32_t kNeedlesPictureId = 3706;
constexpr int32_t kPalmLeafPictureId = 3707;
constexpr int32_t kTargetPictureId = 3708;
constexpr int32_t kHullPictureId = 3709;

// Heights of the pieces as built (render units), for billboards and shapes.
constexpr float kPineHeight = 900.0f;
constexpr float kPalmHeight = 800.0f;
constexpr float kArchClearance = 420.0f;

MeshObjectDescription RockMesh(uint32_t id, uint32_t seed);
MeshObjectDescription HutMesh(uint32_t id);
MeshObjectDescription CrateMesh(uint32_t id);
// Two posts spanWidth apart (centre to centre) with a beam across at kArchClearance.
MeshObjectDescription ArchMesh(uint32_t id, float spanWidth);
// A board on a post; power 99, 98 or 100 makes it a tutorial target class.
MeshObjectDescription TargetMesh(uint32_t id, float power);
MeshObjectDescription PineMesh(uint32_t id);
MeshObjectDescription PalmMesh(uint32_t id);
MeshObjectDescription FerryMesh(uint32_t id);

std::vector<TextureContainerRecord> SceneryPictures();
std::vector<int32_t> SceneryPictureIds();
} // namespace demo
