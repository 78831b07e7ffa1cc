// Loading the moving scenery, stepping it along its paths, carrying what
// rides on it, and drawing it.
#include "world/QV7_PathFollowing.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/LandscapeHelpers.h"
#include "world/MeshObjectReader.h"

#include <cmath>
#include <utility>

QV7_PathFollowing* g_pathFollowing = nullptr;
PathFollowingHooks QV7_PathFollowing::s_Hooks;

namespace
{
constexpr size_t kNodeRecord = 21;
constexpr float kMaxProgress = 10000.0f;
constexpr float kPi = 3.14159265358979f;
constexpr float kLookAhead = 0.25f;
constexpr float kStep = 0.001f;

[[noreturn]] void Broken(const std::string& path, const BinaryReader& file, const std::string& what, int line)
{
    QV7_Logger::Log(g_logger, "ERROR: Path Following File %s is broken: %s (at byte %zu of %zu).",
                    path.c_str(), what.c_str(), file.Position(), file.Size());
    ThrowBrokenString(".\\QV7_PathFollowing", line);
}

D3DXVECTOR3 ReadVector(BinaryReader& file)
{
    D3DXVECTOR3 v;
    v.x = file.ReadFloat();
    v.y = file.ReadFloat();
    v.z = file.ReadFloat();
    return v;
}

float Length(const D3DXVECTOR3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// The point step ahead of t, on the following segment past its end.
D3DXVECTOR3 Ahead(const PathNode& node, float t, float step)
{
    return t + step > 1.0f ? QV7_PathFollowing::SegmentPoint(*node.next, t + step - 1.0f)
                           : QV7_PathFollowing::SegmentPoint(node, t + step);
}

// inverse(LookAtLH(eye, eye + direction, up)): the frame that faces along direction.
D3DXMATRIX FacingFrame(const D3DXVECTOR3& eye, const D3DXVECTOR3& direction)
{
    const D3DXVECTOR3 at = eye + direction, up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view, frame;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixInverse(&frame, nullptr, &view);
    return frame;
}

void RescaleBounds(MeshObject& mesh, float scale)
{
    const float ratio = mesh.m_Scale != 0.0f ? scale / mesh.m_Scale : scale;
    mesh.m_SphereRadius *= ratio;
    mesh.m_SphereCentre *= ratio;
    mesh.m_BoxMin *= ratio;
    mesh.m_BoxMax *= ratio;
    mesh.m_Scale = scale;
}
} // namespace

D3DXVECTOR3 PathCarry::Point(const D3DXVECTOR3& point) const
{
    const D3DXVECTOR3 local = point - previousPosition;
    D3DXVECTOR3 back, turned;
    D3DXVec3TransformNormal(&back, &local, &inversePrevious);
    D3DXVec3TransformNormal(&turned, &back, &rotation);
    return turned + position;
}

D3DXVECTOR3 PathCarry::Direction(const D3DXVECTOR3& direction) const
{
    D3DXVECTOR3 back, turned;
    D3DXVec3TransformNormal(&back, &direction, &inversePrevious);
    D3DXVec3TransformNormal(&turned, &back, &rotation);
    return turned;
}

D3DXMATRIX PathCarry::Orientation(const D3DXMATRIX& orientation) const
{
    D3DXMATRIX turn = orientation, back, out;
    turn._41 = turn._42 = turn._43 = 0.0f;
    D3DXMatrixMultiply(&back, &turn, &inversePrevious);
    D3DXMatrixMultiply(&out, &back, &rotation);
    out._41 = out._42 = out._43 = 0.0f;
    return out;
}

PathObject::PathObject()
{
    D3DXMatrixIdentity(&previousRotation);
}

namespace
{
// The camera's movie mode is the camera-ride flag: one flag, kept here.
bool CameraRiding()
{
    return g_pathFollowing && g_pathFollowing->m_CameraRide != 0;
}
} // namespace

QV7_PathFollowing::QV7_PathFollowing()
{
    g_pathFollowing = this;
    QV7_Camera::s_MovieMode = &CameraRiding;
}

QV7_PathFollowing::~QV7_PathFollowing()
{
    if (g_pathFollowing == this)
    {
        g_pathFollowing = nullptr;
        if (QV7_Camera::s_MovieMode == &CameraRiding)
            QV7_Camera::s_MovieMode = nullptr;
    }
    while (!m_Objects.empty())
        m_Objects.pop_back();
}

void QV7_PathFollowing::Load(const std::string& path, IDirect3DDevice9* device,
                             const QV7_TextureList* textures, StaticGeomSink sink)
{
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Path Following File %s could not be opened.", path.c_str());
        ThrowDataError(".\\QV7_PathFollowing", __LINE__);
    }
    const int32_t count = file.ReadCount(4 + kNodeRecord + MESH_BLOCK_HEADER_SIZE);
    if (file.Failed())
        Broken(path, file, "the path count runs past the end of the file", __LINE__);
    for (int32_t i = 0; i < count; ++i)
        ReadObject(file, path, device, textures, sink);
}

void QV7_PathFollowing::ReadObject(BinaryReader& file, const std::string& path, IDirect3DDevice9* device,
                                   const QV7_TextureList* textures, StaticGeomSink& sink)
{
    // Only a whole object joins the list: a half-read one has unlinked nodes.
    auto made = std::make_unique<PathObject>();
    PathObject& object = *made;
    const int32_t count = file.ReadCount(kNodeRecord);
    if (file.Failed())
        Broken(path, file, "the node count runs past the end of the file", __LINE__);
    // The spline needs a node's previous, next and next-but-one.
    if (count < 1)
        Broken(path, file, "a path has no nodes", __LINE__);
    object.nodes.resize(size_t(count));
    for (PathNode& node : object.nodes)
    {
        node.position = ReadVector(file);
        node.flag = file.ReadUInt8();
        const int32_t previous = file.ReadInt32(), next = file.ReadInt32();
        if (!SceneryCoordinate(node.position))
            Broken(path, file, "a node holds a value that is not a number or out of range", __LINE__);
        if (previous < 0 || previous >= count || next < 0 || next >= count)
            Broken(path, file, "a node links to a node the path does not have", __LINE__);
        node.previous = &object.nodes[size_t(previous)];
        node.next = &object.nodes[size_t(next)];
    }
    ReadMeshObjectBlock(file, object.mesh, kFvf, device, textures, PathFollowingMeshReader());
    object.scale = file.ReadFloat();
    object.speed = file.ReadFloat();
    object.yawOffset = file.ReadFloat();
    object.waitTime = file.ReadInt32();
    object.reverse = file.ReadInt32();
    if (file.Failed())
        Broken(path, file, "it ends inside a path object", __LINE__);
    if (!SceneryScale(object.scale) || !std::isfinite(object.speed) || !std::isfinite(object.yawOffset))
        Broken(path, file, "a path object holds a value that is not a number or out of range", __LINE__);
    const std::string wrong = ReadSceneryShapes(file, object.shapes, false);
    if (!wrong.empty())
        Broken(path, file, wrong, __LINE__);
    RescaleBounds(object.mesh, object.scale);
    ShapePlacement start;
    start.origin = object.nodes[0].position;
    start.scale = object.scale;
    CreateShapeGeoms(object.shapes, start, sink, nullptr);
    m_Objects.push_back(std::move(made));
}

D3DXVECTOR3 QV7_PathFollowing::SegmentPoint(const PathNode& node, float s)
{
    D3DXVECTOR3 out;
    D3DXVec3CatmullRom(&out, &node.previous->position, &node.position, &node.next->position,
                       &node.next->next->position, s);
    return out;
}

bool QV7_PathFollowing::Carries(const D3DXVECTOR3& q, const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax)
{
    for (int corner = 0; corner < 8; ++corner)
    {
        const D3DXVECTOR3 c(corner & 1 ? q.x - kCarryCube : q.x, corner & 2 ? q.y - kCarryCube : q.y,
                            corner & 4 ? q.z - kCarryCube : q.z);
        if (c.x > boxMin.x && c.x < boxMax.x && c.y > boxMin.y && c.y < boxMax.y && c.z > boxMin.z &&
            c.z < boxMax.z)
            return true;
    }
    return false;
}

void QV7_PathFollowing::Update()
{
    UpdateFrame(g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f);
}

void QV7_PathFollowing::UpdateFrame(float frameMs)
{
    if (s_Hooks.setPlayerCarried)
        s_Hooks.setPlayerCarried(0);
    bool carried = false;
    for (const auto& object : m_Objects)
        carried = Move(*object, frameMs) || carried;
    if (s_Hooks.setSessionCarried)
        s_Hooks.setSessionCarried(carried ? 1 : 0);
}

// Past the end of the segment: on to the next node, stopping (and turning
// back) at a stop node.
void QV7_PathFollowing::Advance(PathObject& object)
{
    if (!(object.t >= 0.0f && object.t <= kMaxProgress))
        object.t = 0.0f;
    if (!object.current)
        object.current = &object.nodes[0];
    while (object.t >= 1.0f)
    {
        object.t -= 1.0f;
        object.current = object.current->next;
        if (object.current->flag != 1)
            continue;
        object.remainingWait = float(object.waitTime);
        object.t = 0.0f;
        if (object.reverse == 1)
        {
            for (PathNode& node : object.nodes)
                std::swap(node.previous, node.next);
            object.yawOffset += object.reversed ? -kPi : kPi;
            object.reversed ^= 1u;
        }
    }
}

bool QV7_PathFollowing::Move(PathObject& object, float frameMs)
{
    Advance(object);
    const PathNode& node = *object.current;
    const D3DXVECTOR3 p = SegmentPoint(node, object.t);
    const D3DXVECTOR3 a = Ahead(node, object.t, kStep);
    const D3DXVECTOR3 l = Ahead(node, object.t, kLookAhead);
    const float len = Length(a - p);
    if (object.remainingWait > 0.0f)
        object.remainingWait -= frameMs;
    else if (len != 0.0f)
        object.t += kStep * (frameMs * object.speed * 0.001f) / len;

    // Two coincident nodes give no direction: keep facing the last one.
    D3DXVECTOR3 direction = l - p;
    if (Length(direction) < 1e-4f)
        direction = object.lastDirection;
    object.lastDirection = direction;
    D3DXMATRIX yaw, scaling, turned, facing = FacingFrame(p, direction);
    D3DXMatrixRotationYawPitchRoll(&yaw, object.yawOffset, 0.0f, 0.0f);
    D3DXMatrixScaling(&scaling, object.scale, object.scale, object.scale);
    D3DXMatrixMultiply(&turned, &scaling, &yaw);
    object.mesh.m_Position = p;
    if (m_CameraRide)
        object.mesh.m_World = facing;
    else
        D3DXMatrixMultiply(&object.mesh.m_World, &turned, &facing);

    PathCarry carry;
    const D3DXMATRIX turn = FacingFrame(D3DXVECTOR3(0, 0, 0), direction);
    D3DXMatrixMultiply(&carry.rotation, &yaw, &turn);
    D3DXMatrixInverse(&carry.inversePrevious, nullptr, &object.previousRotation);
    carry.previousPosition = object.previousPosition;
    carry.position = p;

    bool carried = false;
    D3DXVECTOR3 racer;
    if (s_Hooks.playerPosition && s_Hooks.playerPosition(&racer))
    {
        const D3DXVECTOR3 local = racer - object.previousPosition;
        D3DXVECTOR3 q;
        D3DXVec3TransformNormal(&q, &local, &carry.inversePrevious);
        if (Carries(q, object.mesh.m_BoxMin, object.mesh.m_BoxMax))
        {
            carried = true;
            if (s_Hooks.setPlayerCarried)
                s_Hooks.setPlayerCarried(1);
            if (s_Hooks.carry)
                s_Hooks.carry(carry);
        }
    }
    object.previousRotation = carry.rotation;
    object.previousPosition = p;
    ShapePlacement pose;
    pose.origin = p;
    pose.rotation = carry.rotation;
    pose.scale = object.scale;
    PlaceShapeGeoms(object.shapes, pose);
    return carried;
}

void QV7_PathFollowing::Render()
{
    if (!g_camera)
        return;
    if (m_CameraRide)
    {
        if (m_Objects.empty())
            return;
        const D3DXMATRIX& world = m_Objects[0]->mesh.m_World;
        D3DXMatrixInverse(&g_camera->m_View, nullptr, &world);
        g_camera->m_Eye = D3DXVECTOR3(world._41, world._42, world._43);
        if (g_device)
            g_device->SetTransform(D3DTS_VIEW, &g_camera->m_View);
        return;
    }
    if (!g_scene || !g_device)
        return;
    g_scene->StartWorkSpace();
    ApplyLandscapeFog();
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_scene->SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
        g_scene->SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
    }
    g_scene->SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_LINEAR);
    g_scene->SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(kAlphaRef, D3DRS_ALPHAREF);
    g_device->SetFVF(m_Fvf);
    g_scene->SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    for (const auto& object : m_Objects)
    {
        const MeshObject& mesh = object->mesh;
        // The bounds are scaled already; the world matrix only turns and moves the centre.
        const D3DXVECTOR3 centre =
            object->scale != 0.0f ? mesh.m_SphereCentre / object->scale : mesh.m_SphereCentre;
        if (!QV7_Camera::IsSphereVisible(&mesh.m_World, &centre, g_camera, mesh.m_SphereRadius))
            continue;
        g_device->SetStreamSource(0, mesh.m_VertexBuffer, 0, MESH_VERTEX_SIZE);
        g_device->SetIndices(mesh.m_IndexBuffer);
        g_device->SetTransform(D3DTS_WORLD, &mesh.m_World);
        for (uint32_t subset = 0; subset < mesh.m_SubsetCount; ++subset)
        {
            g_scene->SetRenderState(mesh.Word(MESH_WORD_CULLMODE, subset), D3DRS_CULLMODE);
            g_scene->SetRenderState(mesh.Word(MESH_WORD_SPECULAR, subset), D3DRS_SPECULARENABLE);
            g_scene->SetTexture(mesh.Texture(subset), 0);
            g_device->SetMaterial(&mesh.m_Materials[subset]);
            mesh.DrawSubsetRange(g_device, subset);
        }
    }
    g_scene->EndWorkSpace(0);
}
