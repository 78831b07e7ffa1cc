// The collision shapes of the island's scenery (static objects, tree trunks,
// moving scenery): boxes, spheres and capsules placed on an object, read from
// the island files and made into static ODE geoms in the race's collision
// space. Sizes are full lengths in render units; ODE works in render units
// times 0.005, and its boxes take the size's x, z, y because the axis matrix
// swaps y and z (and mirrors x) between the two spaces.
#pragma once

#include "platform/d3dx/D3DXMath.h"

#include <ode/ode.h>

#include <functional>
#include <string>
#include <vector>

class BinaryReader;

constexpr float kOdeUnitsPerRenderUnit = 0.005f;

struct CollisionBox
{
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 size{1.0f, 1.0f, 1.0f};
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f}; // yaw, pitch, roll
    dGeomID geom = nullptr;                 // the geom made for it last
};
// A sphere has the box's record; its radius is size y.
using CollisionSphere = CollisionBox;

struct CollisionCylinder
{
    D3DXVECTOR3 offset{0.0f, 0.0f, 0.0f};
    float length = 1.0f;
    float radius = 1.0f;
    D3DXVECTOR3 rotation{0.0f, 0.0f, 0.0f};
    dGeomID geom = nullptr;
};

enum class ShapeKind
{
    Box,
    Sphere,
    Cylinder
};

struct SceneryShapes
{
    std::vector<CollisionBox> boxes;
    std::vector<CollisionSphere> spheres;
    std::vector<CollisionCylinder> cylinders;

    // Exactly one box and nothing else.
    bool SingleBox() const { return boxes.size() == 1 && spheres.empty() && cylinders.empty(); }
    size_t Count() const { return boxes.size() + spheres.size() + cylinders.size(); }
};

// Where static scenery geoms go: the race's quad-tree space, and the physics
// group's list of static geoms, which destroys them at the end of the race.
struct StaticGeomSink
{
    dSpaceID space = nullptr;
    std::vector<dGeomID>* geoms = nullptr;
};

// A shape set's pose: shapes are turned by rotation, scaled and put at origin.
struct ShapePlacement
{
    D3DXVECTOR3 origin{0.0f, 0.0f, 0.0f};
    D3DXMATRIX rotation; // identity when default-made
    float scale = 1.0f;
    ShapePlacement() { D3DXMatrixIdentity(&rotation); }
};

// What a scenery file may hold: positions, offsets and sizes finite and
// within the limit, scales finite and within theirs, so that every geom ODE
// is given has finite, bounded lengths and places. Anything else is a broken file.
constexpr float kSceneryCoordinateLimit = 1.0e7f;
constexpr float kSceneryScaleLimit = 1000.0f;
bool SceneryCoordinate(const D3DXVECTOR3& v);
bool SceneryScale(float scale);

// Rows (-1, 0, 0), (0, 0, 1), (0, 1, 0): render space to ODE's.
const D3DXMATRIX& OdeAxisMatrix();
// The rotation D3DXQuaternionRotationYawPitchRoll describes, as a matrix.
D3DXMATRIX YawPitchRollMatrix(const D3DXVECTOR3& yawPitchRoll);
// Our row-vector 3 x 3 into ODE's row-major 3 x 4 (transposed).
void ToOdeRotation(const D3DXMATRIX& source, dMatrix3 destination);
// A size component as a geom uses it: its absolute value, at least 1.
float ShapeLength(float value);

// Reads the three lists (u32 count, then records) as the island files store
// them; trailingWord adds the trees' spare u32 after every record. Returns
// "" or what is wrong (a count beyond the file, a short or non-finite record).
std::string ReadSceneryShapes(BinaryReader& file, SceneryShapes& shapes, bool trailingWord);

// Makes every size usable (ShapeLength, in the records), then one geom per
// shape in the sink's space, appended to its list and placed; userData (may
// be empty) gives each geom's ODE user data.
void CreateShapeGeoms(SceneryShapes& shapes, const ShapePlacement& placement, StaticGeomSink& sink,
                      const std::function<void*(ShapeKind)>& userData);
// Puts every geom of the shapes at the placement (after CreateShapeGeoms).
void PlaceShapeGeoms(const SceneryShapes& shapes, const ShapePlacement& placement);
