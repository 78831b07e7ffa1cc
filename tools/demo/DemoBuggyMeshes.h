// The demo buggies' looks: the shape of each racing model (the numbers its
// mesh and its physics definition share), the generated meshes of models,
// weapons and visible parts, and their textures in Textures2.qvx.
// Model units throughout: the nose along -x, up +y, z across; the wheels
// stand on y = 0.
#pragma once

#include "tools/writers/MeshObjectWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <cstdint>
#include <vector>

namespace demo
{
// Buggy textures, all in 5000-5999.
constexpr uint32_t kBuggyPaintId = 5000; // + model index 0..4
constexpr uint32_t kTyreId = 5010;
constexpr uint32_t kMetalId = 5011;
constexpr uint32_t kChromeId = 5013;
constexpr uint32_t kWeaponPaintId = 5020; // + weapon type 1..5
constexpr uint32_t kPartPaintId = 5030;

constexpr float kWheelRadius = 120.0f; // 0.108 ODE units: what the driving code expects
} // namespace demo

// What a racing model looks like; its mesh and physics definition are both
// made from it, so the wheels turn where they are drawn.
struct DemoBuggyShape
{
    float length = 1400.0f; // chassis along x
    float width = 700.0f;   // chassis along z
    float floorY = 100.0f;  // chassis underside
    float deckY = 300.0f;   // chassis top
    float wheelX = 500.0f;  // axles at -wheelX (front) and +wheelX (rear)
    float trackZ = 420.0f;  // wheel centres at +-trackZ
    float seatX = 15.0f;    // the driver's seat (the figure's place)
    float seatY = 210.0f;
    float cageHeight = 480.0f; // top of the roll cage
    float wingHeight = 420.0f; // rear wing
    uint32_t paintId = demo::kBuggyPaintId;

    // Wheel k: 0 front +z, 1 front -z, 2 rear -z, 3 rear +z.
    D3DXVECTOR3 WheelCentre(int wheel) const;
    // The weapon mount on the deck, in front of the driver.
    D3DXVECTOR3 WeaponMount() const;
    // The two exhaust tips at the tail.
    D3DXVECTOR3 ExhaustTip(int side) const;
};

// The five demo models, each a different size, colour and cage.
DemoBuggyShape DemoBuggyShapeOf(int model);

// Subsets 0-3 the wheels, 4 the seat and cage, 5 the bumper, 6 the rear wing,
// 7 the engine, 8 the mudguards, 9 the chassis: subset = body role.
MeshObjectDescription MakeDemoBuggyMesh(const DemoBuggyShape& shape, uint32_t id);
// A weapon of item type 1..5 at an upgrade level, barrel along -z from the
// origin: subset 0 the barrels (the chain gun's spin about z), subset 1 the
// housing. Muzzles: the barrel tips (two for the cannon).
MeshObjectDescription MakeDemoWeaponMesh(int type, int level, uint32_t id);
std::vector<D3DXVECTOR3> DemoWeaponMuzzles(int type, int level);
// A visible part (engine 7, alternator 11, exhaust 13, strength 14, part 15).
MeshObjectDescription MakeDemoPartMesh(int type, int level, uint32_t id);
// Exhaust pipe ends of an exhaust part, relative to its mount: 2 x level, at most 6.
std::vector<D3DXVECTOR3> DemoExhaustEnds(int level);

// The textures the meshes above name, for Textures2.qvx.
std::vector<TextureContainerRecord> DemoBuggyTextures();
std::vector<int32_t> DemoBuggyTextureIds();
