// A seated driver in a helmet, built from boxes on five bones (hips with the
// legs, torso, head with helmet and visor, two arms reaching for the wheel),
// facing -x (the buggies' nose) with its right hand side at +z, the seat
// point at the origin. One picture colours it: four patches (suit with a
// stripe, helmet with a stripe, visor, gloves and boots) that the boxes'
// texture coordinates pick from. The same boxes give the skinned .x (every
// driver animation as a set) and the rigid substitute in the bind pose.
#pragma once

#include "platform/d3dx/XFileDescription.h"
#include "tools/writers/ImageWriters.h"
#include "tools/writers/MeshObjectWriter.h"

#include <cstdint>

struct DriverFigureLook
{
    float height = 1.0f; // vertical scale
    float width = 1.0f;  // shoulder and hip width
    float bulk = 1.0f;   // chest depth
    float size = 1.0f;   // everything
    uint32_t suit = 0xFF2050C0;
    uint32_t stripe = 0xFFF0F0F0;
    uint32_t helmet = 0xFFF0F0F0;
    uint32_t helmetStripe = 0xFFC02020;
};

// Frame and bone names, root first.
extern const char* const kDriverBoneNames[5];

// The animated figure with one set per driver animation (DriverFigureMotions).
d3dx::XFileDescription MakeDriverFigure(const DriverFigureLook& look);
// The rigid substitute: the bind pose as one subset textured with textureId.
MeshObjectDescription MakeDriverFigureRigid(const DriverFigureLook& look, uint32_t textureId, uint32_t id);
// The figure's 64 x 64 picture.
ImagePixels MakeDriverFigurePicture(const DriverFigureLook& look);
