// Reading, writing and placing the scenery's collision shapes.
#include "world/SceneryShapes.h"

#include "platform/io/BinaryReader.h"

#include <cmath>

namespace
{
constexpr size_t kBoxRecord = 36;
constexpr size_t kCylinderRecord = 32;

bool Finite(const D3DXVECTOR3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

D3DXVECTOR3 ReadVector(BinaryReader& file)
{
    D3DXVECTOR3 v;
    v.x = file.ReadFloat();
    v.y = file.ReadFloat();
    v.z = file.ReadFloat();
    return v;
}

// Geoms of a shape placed far out or inside out would poison the whole
// collision space, so only finite shapes are taken.
std::string ReadBoxes(BinaryReader& file, std::vector<CollisionBox>& boxes, bool trailingWord,
                      const char* what)
{
    const int32_t count = file.ReadCount(kBoxRecord + (trailingWord ? 4 : 0));
    if (file.Failed())
        return std::string("the ") + what + " count runs past the end of the file";
    boxes.resize(size_t(count));
    for (CollisionBox& box : boxes)
    {
        box.offset = ReadVector(file);
        box.size = ReadVector(file);
        box.rotation = ReadVector(file);
        if (trailingWord)
            file.ReadUInt32();
        if (file.Failed())
            return std::string("it ends inside a ") + what;
        if (!SceneryCoordinate(box.offset) || !SceneryCoordinate(box.size) || !Finite(box.rotation))
            return std::string("a ") + what + " holds a value that is not a number or out of range";
    }
    return "";
}

std::string ReadCylinders(BinaryReader& file, std::vector<CollisionCylinder>& cylinders, bool trailingWord)
{
    const int32_t count = file.ReadCount(kCylinderRecord + (trailingWord ? 4 : 0));
    if (file.Failed())
        return "the cylinder count runs past the end of the file";
    cylinders.resize(size_t(count));
    for (CollisionCylinder& cylinder : cylinders)
    {
        cylinder.offset = ReadVector(file);
        cylinder.length = file.ReadFloat();
        cylinder.radius = file.ReadFloat();
        cylinder.rotation = ReadVector(file);
        if (trailingWord)
            file.ReadUInt32();
        if (file.Failed())
            return "it ends inside a cylinder";
        if (!SceneryCoordinate(cylinder.offset) || !Finite(cylinder.rotation) ||
            !SceneryCoordinate(D3DXVECTOR3(cylinder.length, cylinder.radius, 0.0f)))
            return "a cylinder holds a value that is not a number or out of range";
    }
    return "";
}

void Place(dGeomID geom, const D3DXVECTOR3& offset, const D3DXVECTOR3& shapeRotation,
           const ShapePlacement& placement)
{
    D3DXVECTOR3 turned;
    D3DXVec3TransformNormal(&turned, &offset, &placement.rotation);
    const D3DXVECTOR3 at = (turned * placement.scale + placement.origin) * kOdeUnitsPerRenderUnit;
    dGeomSetPosition(geom, at.x, at.y, at.z);
    const D3DXMATRIX shape = YawPitchRollMatrix(shapeRotation);
    D3DXMATRIX axisShape, full;
    D3DXMatrixMultiply(&axisShape, &OdeAxisMatrix(), &shape);
    D3DXMatrixMultiply(&full, &axisShape, &placement.rotation);
    dMatrix3 rotation;
    ToOdeRotation(full, rotation);
    dGeomSetRotation(geom, rotation);
}

void Keep(dGeomID geom, StaticGeomSink& sink, void* data)
{
    if (sink.geoms)
        sink.geoms->push_back(geom);
    dGeomSetData(geom, data);
}
} // namespace

bool SceneryCoordinate(const D3DXVECTOR3& v)
{
    return Finite(v) && std::fabs(v.x) <= kSceneryCoordinateLimit &&
           std::fabs(v.y) <= kSceneryCoordinateLimit && std::fabs(v.z) <= kSceneryCoordinateLimit;
}

bool SceneryScale(float scale)
{
    return std::isfinite(scale) && std::fabs(scale) <= kSceneryScaleLimit;
}

const D3DXMATRIX& OdeAxisMatrix()
{
    static const float rows[16] = {-1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f,
                                   0.0f,  1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    static const D3DXMATRIX axis(rows);
    return axis;
}

D3DXMATRIX YawPitchRollMatrix(const D3DXVECTOR3& yawPitchRoll)
{
    D3DXQUATERNION turn;
    D3DXQuaternionRotationYawPitchRoll(&turn, yawPitchRoll.x, yawPitchRoll.y, yawPitchRoll.z);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &turn);
    return m;
}

void ToOdeRotation(const D3DXMATRIX& source, dMatrix3 destination)
{
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j)
            destination[4 * i + j] = static_cast<dReal>(source.m[j][i]);
        destination[4 * i + 3] = 0;
    }
}

float ShapeLength(float value)
{
    const float length = std::fabs(value);
    return length < 1.0f ? 1.0f : length;
}

std::string ReadSceneryShapes(BinaryReader& file, SceneryShapes& shapes, bool trailingWord)
{
    std::string wrong = ReadBoxes(file, shapes.boxes, trailingWord, "box");
    if (wrong.empty())
        wrong = ReadBoxes(file, shapes.spheres, trailingWord, "sphere");
    if (wrong.empty())
        wrong = ReadCylinders(file, shapes.cylinders, trailingWord);
    return wrong;
}

void CreateShapeGeoms(SceneryShapes& shapes, const ShapePlacement& placement, StaticGeomSink& sink,
                      const std::function<void*(ShapeKind)>& userData)
{
    // A negative scale mirrors the places; lengths stay positive, as ODE needs them.
    const float k = std::fabs(placement.scale) * kOdeUnitsPerRenderUnit;
    auto data = [&](ShapeKind kind) { return userData ? userData(kind) : nullptr; };
    for (CollisionBox& box : shapes.boxes)
    {
        box.size = D3DXVECTOR3(ShapeLength(box.size.x), ShapeLength(box.size.y), ShapeLength(box.size.z));
        box.geom = dCreateBox(sink.space, box.size.x * k, box.size.z * k, box.size.y * k);
        Keep(box.geom, sink, data(ShapeKind::Box));
    }
    for (CollisionSphere& sphere : shapes.spheres)
    {
        sphere.size =
            D3DXVECTOR3(ShapeLength(sphere.size.x), ShapeLength(sphere.size.y), ShapeLength(sphere.size.z));
        sphere.geom = dCreateSphere(sink.space, sphere.size.y * k);
        Keep(sphere.geom, sink, data(ShapeKind::Sphere));
    }
    for (CollisionCylinder& cylinder : shapes.cylinders)
    {
        cylinder.length = ShapeLength(cylinder.length);
        cylinder.radius = ShapeLength(cylinder.radius);
        cylinder.geom = dCreateCapsule(sink.space, cylinder.radius * k, cylinder.length * k);
        Keep(cylinder.geom, sink, data(ShapeKind::Cylinder));
    }
    PlaceShapeGeoms(shapes, placement);
}

void PlaceShapeGeoms(const SceneryShapes& shapes, const ShapePlacement& placement)
{
    for (const CollisionBox& box : shapes.boxes)
        if (box.geom)
            Place(box.geom, box.offset, box.rotation, placement);
    for (const CollisionSphere& sphere : shapes.spheres)
        if (sphere.geom)
            Place(sphere.geom, sphere.offset, sphere.rotation, placement);
    for (const CollisionCylinder& cylinder : shapes.cylinders)
        if (cylinder.geom)
            Place(cylinder.geom, cylinder.offset, cylinder.rotation, placement);
}
