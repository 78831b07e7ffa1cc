// The demo's seated driver. Boxes are listed once with their bone and picture
// patch; the skinned mesh, the rigid mesh and the picture are all read off
// that list, so the rigid substitute always matches the skinned bind pose.
#include "tools/demo/DemoDriverFigure.h"

#include "tools/writers/BoxSide.h"
#include "tools/writers/XFileWriter.h"

#include <algorithm>
#include <utility>
#include <vector>

const char* const kDriverBoneNames[5] = {"Hips", "Torso", "Head", "ArmL", "ArmR"};

namespace
{
using d3dx::XAnimation;
using d3dx::XFileDescription;
using d3dx::XFrame;
using d3dx::XMesh;

enum Bone
{
    kHips,
    kTorso,
    kHead,
    kArmL,
    kArmR,
    kBones
};
enum Patch
{
    kSuit,
    kHelmet,
    kVisor,
    kDark
};
const int kParent[kBones] = {-1, kHips, kTorso, kTorso, kTorso};

struct Box
{
    D3DXVECTOR3 lo, hi;
    int bone;
    Patch patch;
    bool sharedWithTorso; // the shoulder end (largest x) moves half with the torso
};

// The bind-pose joints (figure space), by the look's proportions.
D3DXVECTOR3 UnscaledJoint(int bone, const DriverFigureLook& l)
{
    switch (bone)
    {
    case kTorso:
        return {0.0f, 10.0f * l.height, 0.0f};
    case kHead:
        return {0.0f, 41.0f * l.height, 0.0f};
    case kArmL:
        return {0.0f, 37.0f * l.height, -13.0f * l.width};
    case kArmR:
        return {0.0f, 37.0f * l.height, 13.0f * l.width};
    default:
        return {0.0f, 0.0f, 0.0f};
    }
}

D3DXVECTOR3 Joint(int bone, const DriverFigureLook& l)
{
    return UnscaledJoint(bone, l) * l.size;
}

std::vector<Box> UnscaledBoxes(const DriverFigureLook& l)
{
    const float h = l.height, w = l.width, b = l.bulk;
    std::vector<Box> boxes = {
        {{-8 * b, 0, -10 * w}, {8 * b, 10 * h, 10 * w}, kHips, kSuit, false},
        {{-7 * b, 10 * h, -11 * w}, {7 * b, 38 * h, 11 * w}, kTorso, kSuit, false},
        {{-4, 37 * h, -4}, {4, 43 * h, 4}, kTorso, kDark, false},
        {{-10, 42 * h, -10}, {10, 42 * h + 21, 10}, kHead, kHelmet, false},
        {{-11, 42 * h + 6, -7}, {-9, 42 * h + 14, 7}, kHead, kVisor, false},
    };
    for (float side : {-1.0f, 1.0f})
    {
        auto z = [&](float a, float c) { return std::make_pair(std::min(a, c) * w, std::max(a, c) * w); };
        const auto [thigh0, thigh1] = z(2 * side, 9 * side);
        boxes.push_back({{-30, 0, thigh0}, {-4, 9 * h, thigh1}, kHips, kSuit, false});
        boxes.push_back({{-35, -20 * h, thigh0}, {-27, 4 * h, thigh1}, kHips, kSuit, false});
        boxes.push_back({{-40, -25 * h, thigh0}, {-27, -19 * h, thigh1}, kHips, kDark, false});
        const int arm = side < 0 ? kArmL : kArmR;
        const auto [arm0, arm1] = z(11 * side, 17 * side);
        boxes.push_back({{-16, 30 * h, arm0}, {2, 38 * h, arm1}, arm, kSuit, true});
        const auto [fore0, fore1] = z(11 * side, 16 * side);
        boxes.push_back({{-30, 29 * h, fore0}, {-14, 35 * h, fore1}, arm, kSuit, false});
        boxes.push_back({{-35, 28 * h, fore0}, {-29, 36 * h, fore1}, arm, kDark, false});
    }
    return boxes;
}

std::vector<Box> Boxes(const DriverFigureLook& l)
{
    std::vector<Box> boxes = UnscaledBoxes(l);
    for (Box& box : boxes)
    {
        box.lo *= l.size;
        box.hi *= l.size;
    }
    return boxes;
}

struct Geometry
{
    std::vector<MeshVertex> vertices;
    std::vector<std::array<DWORD, 3>> faces;
    std::vector<std::vector<std::pair<DWORD, float>>> weights =
        std::vector<std::vector<std::pair<DWORD, float>>>(kBones);
};

// The patch's corner in the 64 x 64 picture, kept a pixel inside.
D3DXVECTOR2 PatchUv(Patch patch, float u, float v)
{
    const float x0 = float(int(patch) * 16 + 1) / 64.0f, span = 14.0f / 64.0f;
    return {x0 + u * span, (1.0f + v * 14.0f) / 64.0f};
}

void AddQuad(Geometry& g, const D3DXVECTOR3 corners[4], const D3DXVECTOR3& outward, Patch patch)
{
    const DWORD first = DWORD(g.vertices.size());
    static const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i)
    {
        const D3DXVECTOR2 t = PatchUv(patch, uv[i][0], uv[i][1]);
        g.vertices.push_back(
            {{corners[i].x, corners[i].y, corners[i].z}, {outward.x, outward.y, outward.z}, {t.x, t.y}});
    }
    AddOutwardQuadFaces(g.faces, first, corners, outward);
}

void AddBox(Geometry& g, const Box& box)
{
    const DWORD first = DWORD(g.vertices.size());
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side)
        {
            const BoxSide quad(box.lo, box.hi, axis, side);
            AddQuad(g, quad.corners, quad.outward, box.patch);
        }
    for (DWORD vertex = first; vertex < g.vertices.size(); ++vertex)
    {
        if (box.sharedWithTorso && g.vertices[vertex].position[0] >= box.hi.x)
        {
            g.weights[size_t(box.bone)].emplace_back(vertex, 0.5f);
            g.weights[kTorso].emplace_back(vertex, 0.5f);
        }
        else
            g.weights[size_t(box.bone)].emplace_back(vertex, 1.0f);
    }
}

Geometry Build(const DriverFigureLook& look)
{
    Geometry g;
    for (const Box& box : Boxes(look))
        AddBox(g, box);
    return g;
}

XFrame BoneFrame(int bone, const DriverFigureLook& look)
{
    XFrame frame;
    frame.name = kDriverBoneNames[bone];
    const D3DXVECTOR3 local =
        Joint(bone, look) - (kParent[bone] >= 0 ? Joint(kParent[bone], look) : D3DXVECTOR3(0, 0, 0));
    D3DXMatrixTranslation(&frame.transform, local.x, local.y, local.z);
    for (int child = 0; child < kBones; ++child)
        if (kParent[child] == bone)
            frame.children.push_back(BoneFrame(child, look));
    return frame;
}

// The bone's turn at the pose of a motion: yaw (about y), pitch (about x, the
// figure's forward axis: a lean to a side), roll (about z: a nod), degrees.
D3DXVECTOR3 PoseTurn(FigureMotion motion, int bone)
{
    const bool arm = bone == kArmL || bone == kArmR;
    switch (motion)
    {
    case FigureMotion::SteerLeft:
        return bone == kTorso  ? D3DXVECTOR3(0, -14, 0)
               : arm           ? D3DXVECTOR3(-18, 0, 0)
               : bone == kHead ? D3DXVECTOR3(0, -6, 0)
                               : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::SteerRight:
        return bone == kTorso  ? D3DXVECTOR3(0, 14, 0)
               : arm           ? D3DXVECTOR3(18, 0, 0)
               : bone == kHead ? D3DXVECTOR3(0, 6, 0)
                               : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Bump:
        return bone == kHead    ? D3DXVECTOR3(0, 0, 22)
               : bone == kTorso ? D3DXVECTOR3(0, 0, 9)
                                : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Reverse:
        return bone == kTorso  ? D3DXVECTOR3(50, 0, 0)
               : bone == kHead ? D3DXVECTOR3(35, 0, 0)
                               : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Breathe:
        return bone == kHead    ? D3DXVECTOR3(0, 0, 5)
               : bone == kTorso ? D3DXVECTOR3(0, 0, 2)
                                : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Rest:
        break;
    }
    return D3DXVECTOR3(0, 0, 0);
}

XAnimation BoneAnimation(const FigureMotionSet& set, int bone, const DriverFigureLook& look,
                         DWORD ticksPerSecond)
{
    const D3DXVECTOR3 turn = PoseTurn(set.motion, bone);
    D3DXQUATERNION rest(0.0f, 0.0f, 0.0f, 1.0f), pose;
    D3DXQuaternionRotationYawPitchRoll(&pose, D3DXToRadian(turn.x), D3DXToRadian(turn.y),
                                       D3DXToRadian(turn.z));
    std::vector<D3DXQUATERNION> poses = {rest, pose};
    if (set.motion == FigureMotion::Bump || set.motion == FigureMotion::Breathe)
        poses.push_back(rest);
    else if (set.backToRest)
        std::swap(poses[0], poses[1]);
    const D3DXVECTOR3 local =
        Joint(bone, look) - (kParent[bone] >= 0 ? Joint(kParent[bone], look) : D3DXVECTOR3(0, 0, 0));
    const DWORD total = DWORD(std::max(set.seconds, 0.01f) * float(ticksPerSecond));
    XAnimation animation;
    animation.frameName = kDriverBoneNames[bone];
    for (size_t i = 0; i < poses.size(); ++i)
    {
        const DWORD tick = DWORD(total * i / (poses.size() - 1));
        animation.rotations.push_back({tick, d3dx::StoredRotationKey(poses[i])});
        animation.scales.push_back({tick, D3DXVECTOR3(1.0f, 1.0f, 1.0f)});
        animation.positions.push_back({tick, local});
    }
    return animation;
}

XMesh SkinnedMesh(const DriverFigureLook& look)
{
    const Geometry g = Build(look);
    XMesh mesh;
    mesh.name = "Driver";
    for (const MeshVertex& v : g.vertices)
    {
        mesh.positions.emplace_back(v.position[0], v.position[1], v.position[2]);
        mesh.normals.emplace_back(v.normal[0], v.normal[1], v.normal[2]);
        mesh.texCoords.emplace_back(v.uv[0], v.uv[1]);
    }
    mesh.faces = g.faces;
    mesh.faceMaterials.assign(mesh.faces.size(), 0);
    d3dx::XMaterial material;
    material.power = 12.0f;
    material.specular = D3DXVECTOR3(0.3f, 0.3f, 0.3f);
    mesh.materials.push_back(material);
    for (int bone = 0; bone < kBones; ++bone)
    {
        d3dx::XSkinWeights skin;
        skin.boneName = kDriverBoneNames[bone];
        for (const auto& [vertex, weight] : g.weights[size_t(bone)])
        {
            skin.vertices.push_back(vertex);
            skin.weights.push_back(weight);
        }
        const D3DXVECTOR3 at = Joint(bone, look);
        D3DXMatrixTranslation(&skin.offset, -at.x, -at.y, -at.z);
        mesh.skin.push_back(skin);
    }
    return mesh;
}
} // namespace

XFileDescription MakeDriverFigure(const DriverFigureLook& look)
{
    XFileDescription file;
    file.ticksPerSecond = 4800;
    XFrame root;
    root.name = "Driver_Figure";
    D3DXMatrixIdentity(&root.transform);
    root.meshes.push_back(SkinnedMesh(look));
    root.children.push_back(BoneFrame(kHips, look));
    file.frames.push_back(root);
    for (const FigureMotionSet& set : DriverFigureMotions())
    {
        d3dx::XAnimationSet animationSet;
        animationSet.name = set.name;
        for (int bone = 0; bone < kBones; ++bone)
            animationSet.animations.push_back(BoneAnimation(set, bone, look, file.ticksPerSecond));
        file.animationSets.push_back(animationSet);
    }
    return file;
}

MeshObjectDescription MakeDriverFigureRigid(const DriverFigureLook& look, uint32_t textureId, uint32_t id)
{
    const Geometry g = Build(look);
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.vertices = g.vertices;
    for (const auto& face : g.faces)
        mesh.faces.push_back({uint16_t(face[0]), uint16_t(face[1]), uint16_t(face[2]), 0});
    MeshObjectMaterial material;
    material.texture0Id = textureId;
    mesh.materials.push_back(material);
    return mesh;
}

ImagePixels MakeDriverFigurePicture(const DriverFigureLook& look)
{
    ImagePixels image{64, 64, std::vector<uint32_t>(64 * 64, 0xFF202020)};
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
        {
            const uint32_t patch = x / 16, px = x % 16;
            uint32_t colour = 0xFF303030;
            if (patch == kSuit)
                colour = (px >= 6 && px <= 9) ? look.stripe : look.suit;
            else if (patch == kHelmet)
                colour = (px >= 6 && px <= 9) ? look.helmetStripe : look.helmet;
            else if (patch == kVisor)
                colour = (y % 16) < 5 ? 0xFF7090B0 : 0xFF182028;
            image.argb[size_t(y) * 64 + x] = colour;
        }
    return image;
}
