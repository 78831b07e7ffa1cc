// Moving scenery (Map%d.pf): each path object is one mesh gliding at a fixed
// speed along a Catmull-Rom spline through its nodes, facing along the path,
// pausing at stop nodes and turning back there when it reverses. Its
// collision shapes are static geoms moved every frame. Whatever stands on or
// against an object rides with it: the race hands over the player's position
// and gets back the frame's motion (PathCarry) to move its bodies, weapons,
// particles and chase camera by. A camera-ride mode (the console's movie
// mode) shows the island from the first object.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "world/MeshObject.h"
#include "world/SceneryShapes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class BinaryReader;
class QV7_TextureList;

struct PathNode
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    uint8_t flag = 0; // 1: a stop node
    PathNode* previous = nullptr;
    PathNode* next = nullptr;
};

// One frame's motion of a path object: x -> Rn(inverse(Rp)(x - Pp)) + P,
// with Rp, Pp the pose of the previous frame and Rn, P this frame's.
struct PathCarry
{
    D3DXVECTOR3 previousPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    D3DXMATRIX inversePrevious; // inverse(Rp)
    D3DXMATRIX rotation;        // Rn
    // A point in render units.
    D3DXVECTOR3 Point(const D3DXVECTOR3& point) const;
    // A direction (normals, axes): turned only.
    D3DXVECTOR3 Direction(const D3DXVECTOR3& direction) const;
    // An orientation: its rotation part times inverse(Rp) times Rn.
    D3DXMATRIX Orientation(const D3DXMATRIX& orientation) const;
};

struct PathObject
{
    PathObject();
    std::vector<PathNode> nodes;
    SceneryShapes shapes;
    MeshObject mesh;
    float scale = 1.0f;
    float speed = 0.0f;     // render units per second along the curve
    float yawOffset = 0.0f; // the mesh's turn against the direction of travel
    int32_t waitTime = 0;   // ms at every stop node
    int32_t reverse = 0;    // 1: turn back at every stop node
    float t = 0.0f;
    PathNode* current = nullptr;
    float remainingWait = 0.0f;
    uint32_t reversed = 0;
    D3DXMATRIX previousRotation;
    D3DXVECTOR3 previousPosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 lastDirection{0.0f, 0.0f, 1.0f};
};

// What the moving scenery asks of the race; each hook is skipped when unset.
struct PathFollowingHooks
{
    // The player racer's main body in render units (ODE position x 200);
    // false when there is no player racer.
    bool (*playerPosition)(D3DXVECTOR3* position) = nullptr;
    // The player racer's carried flag (cleared at the start of every frame).
    void (*setPlayerCarried)(int carried) = nullptr;
    // Moves the player racer's bodies, weapon points, the carried particles
    // and the watched racer's chase camera by the object's motion.
    void (*carry)(const PathCarry& carry) = nullptr;
    // The session's carried flag: 1 when any object carried the player this frame.
    void (*setSessionCarried)(int carried) = nullptr;
};

class QV7_PathFollowing
{
  public:
    static constexpr DWORD kFvf = 274;
    static constexpr DWORD kAlphaRef = 112;
    static constexpr float kCarryCube = 100.0f;

    QV7_PathFollowing();
    ~QV7_PathFollowing();
    QV7_PathFollowing(const QV7_PathFollowing&) = delete;
    QV7_PathFollowing& operator=(const QV7_PathFollowing&) = delete;

    // Reads the file, links the nodes and makes the geoms at the first node.
    // A missing or broken file logs what is wrong and throws CDException.
    void Load(const std::string& path, IDirect3DDevice9* device, const QV7_TextureList* textures,
              StaticGeomSink sink);
    // One frame of the frame manager's time.
    void Update();
    void UpdateFrame(float frameMs);
    // Draws the objects; in camera-ride mode only moves the camera.
    void Render();

    // The point at s on the segment that starts at node.
    static D3DXVECTOR3 SegmentPoint(const PathNode& node, float s);
    // True when a racer at q (in the object's frame of the last pose) is on
    // or against the object's box.
    static bool Carries(const D3DXVECTOR3& q, const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax);

    static PathFollowingHooks s_Hooks;

    std::vector<std::unique_ptr<PathObject>> m_Objects;
    DWORD m_Fvf = kFvf;
    // 1: the camera rides the first object; the debug console's movie mode sets it.
    uint32_t m_CameraRide = 0;

  private:
    void ReadObject(BinaryReader& file, const std::string& path, IDirect3DDevice9* device,
                    const QV7_TextureList* textures, StaticGeomSink& sink);
    void Advance(PathObject& object);
    bool Move(PathObject& object, float frameMs);
};

extern QV7_PathFollowing* g_pathFollowing;
