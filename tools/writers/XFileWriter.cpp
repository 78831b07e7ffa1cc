// Text .x writing and the articulated test figure.
#include "tools/writers/XFileWriter.h"

#include "tools/writers/BoxSide.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

using namespace d3dx;

const char* const kFigureBoneNames[5] = {"Hips", "Torso", "Head", "ArmL", "ArmR"};

namespace
{
// ---- text ----

const std::string& Checked(const std::string& name)
{
    if (!name.empty() && !IsXFileName(name))
        throw std::invalid_argument("not a .x name: \"" + name + "\"");
    return name;
}

const std::string& CheckedString(const std::string& text)
{
    if (text.find_first_of("\"\r\n") != std::string::npos)
        throw std::invalid_argument("not a .x string: \"" + text + "\"");
    return text;
}

std::string Float(float value)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.9g", double(value));
    std::string s = text;
    if (s.find('.') == std::string::npos)
    {
        const size_t e = s.find('e');
        s.insert(e == std::string::npos ? s.size() : e, ".0");
    }
    return s;
}

class XText
{
  public:
    void Line(const std::string& text) { m_Out += std::string(size_t(m_Depth) * 1, ' ') + text + "\n"; }
    void Open(const std::string& header)
    {
        Line(header + " {");
        ++m_Depth;
    }
    void Close()
    {
        --m_Depth;
        Line("}");
    }
    // Items separated by ",", the list closed with ";".
    void List(const std::vector<std::string>& items)
    {
        for (size_t i = 0; i < items.size(); ++i)
            Line(items[i] + (i + 1 < items.size() ? "," : ";"));
        if (items.empty())
            Line(";");
    }
    std::string& Out() { return m_Out; }

  private:
    std::string m_Out;
    int m_Depth = 0;
};

std::string Floats(const float* values, int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += Float(values[i]) + ";";
    return s;
}

std::string Matrix(const D3DXMATRIX& m)
{
    std::string s;
    for (int i = 0; i < 16; ++i)
        s += Float((&m._11)[i]) + (i < 15 ? "," : ";;");
    return s;
}

std::string Header(const char* type, const std::string& name)
{
    return name.empty() ? type : std::string(type) + " " + Checked(name);
}

void WriteFaces(XText& x, const std::vector<std::array<DWORD, 3>>& faces)
{
    x.Line(std::to_string(faces.size()) + ";");
    std::vector<std::string> items;
    for (const auto& f : faces)
        items.push_back("3;" + std::to_string(f[0]) + "," + std::to_string(f[1]) + "," +
                        std::to_string(f[2]) + ";");
    x.List(items);
}

void WriteVectors(XText& x, const std::vector<D3DXVECTOR3>& vectors)
{
    x.Line(std::to_string(vectors.size()) + ";");
    std::vector<std::string> items;
    for (const D3DXVECTOR3& v : vectors)
        items.push_back(Floats(&v.x, 3));
    x.List(items);
}

void WriteMaterial(XText& x, const XMaterial& material)
{
    x.Open("Material");
    x.Line(Floats(&material.faceColour.r, 4) + ";");
    x.Line(Float(material.power) + ";");
    x.Line(Floats(&material.specular.x, 3) + ";");
    x.Line(Floats(&material.emissive.x, 3) + ";");
    if (!material.textureFile.empty())
    {
        x.Open("TextureFilename");
        x.Line("\"" + CheckedString(material.textureFile) + "\";");
        x.Close();
    }
    x.Close();
}

void WriteSkinHeader(XText& x, const XMesh& mesh)
{
    std::vector<DWORD> perVertex(mesh.positions.size(), 0);
    for (const XSkinWeights& bone : mesh.skin)
        for (DWORD v : bone.vertices)
            if (v < perVertex.size())
                ++perVertex[v];
    DWORD maxVertex = 0, maxFace = 0;
    for (DWORD count : perVertex)
        maxVertex = std::max(maxVertex, count);
    for (const auto& face : mesh.faces)
        maxFace = std::max(maxFace, perVertex[face[0]] + perVertex[face[1]] + perVertex[face[2]]);
    x.Open("XSkinMeshHeader");
    x.Line(std::to_string(maxVertex) + ";");
    x.Line(std::to_string(maxFace) + ";");
    x.Line(std::to_string(mesh.skin.size()) + ";");
    x.Close();
}

void WriteSkinWeights(XText& x, const XSkinWeights& bone)
{
    x.Open("SkinWeights");
    x.Line("\"" + CheckedString(bone.boneName) + "\";");
    x.Line(std::to_string(bone.vertices.size()) + ";");
    std::vector<std::string> vertices, weights;
    for (DWORD v : bone.vertices)
        vertices.push_back(std::to_string(v));
    for (float w : bone.weights)
        weights.push_back(Float(w));
    x.List(vertices);
    x.List(weights);
    x.Line(Matrix(bone.offset));
    x.Close();
}

void WriteMesh(XText& x, const XMesh& mesh)
{
    x.Open(Header("Mesh", mesh.name));
    WriteVectors(x, mesh.positions);
    WriteFaces(x, mesh.faces);
    if (!mesh.normals.empty())
    {
        x.Open("MeshNormals");
        WriteVectors(x, mesh.normals);
        WriteFaces(x, mesh.faces); // one normal per vertex: the same corners
        x.Close();
    }
    if (!mesh.texCoords.empty())
    {
        x.Open("MeshTextureCoords");
        x.Line(std::to_string(mesh.texCoords.size()) + ";");
        std::vector<std::string> items;
        for (const D3DXVECTOR2& uv : mesh.texCoords)
            items.push_back(Floats(&uv.x, 2));
        x.List(items);
        x.Close();
    }
    if (!mesh.materials.empty())
    {
        x.Open("MeshMaterialList");
        x.Line(std::to_string(mesh.materials.size()) + ";");
        x.Line(std::to_string(mesh.faces.size()) + ";");
        std::vector<std::string> items;
        for (size_t f = 0; f < mesh.faces.size(); ++f)
            items.push_back(std::to_string(f < mesh.faceMaterials.size() ? mesh.faceMaterials[f] : 0));
        x.List(items);
        for (const XMaterial& material : mesh.materials)
            WriteMaterial(x, material);
        x.Close();
    }
    if (!mesh.skin.empty())
    {
        WriteSkinHeader(x, mesh);
        for (const XSkinWeights& bone : mesh.skin)
            WriteSkinWeights(x, bone);
    }
    x.Close();
}

void WriteFrame(XText& x, const XFrame& frame)
{
    x.Open(Header("Frame", frame.name));
    x.Open("FrameTransformMatrix");
    x.Line(Matrix(frame.transform));
    x.Close();
    for (const XMesh& mesh : frame.meshes)
        WriteMesh(x, mesh);
    for (const XFrame& child : frame.children)
        WriteFrame(x, child);
    x.Close();
}

template <class Keys, class Values> void WriteKeys(XText& x, int type, const Keys& keys, Values values)
{
    if (keys.empty())
        return;
    x.Open("AnimationKey");
    x.Line(std::to_string(type) + ";");
    x.Line(std::to_string(keys.size()) + ";");
    std::vector<std::string> items;
    for (const auto& key : keys)
    {
        const std::vector<float> v = values(key);
        std::string item = std::to_string(key.tick) + ";" + std::to_string(v.size()) + ";";
        for (size_t i = 0; i < v.size(); ++i)
            item += Float(v[i]) + (i + 1 < v.size() ? "," : ";;");
        items.push_back(item);
    }
    x.List(items);
    x.Close();
}

void WriteAnimation(XText& x, const XAnimation& animation)
{
    x.Open("Animation");
    if (animation.frameName.empty())
        throw std::invalid_argument("an animation names no frame");
    x.Line("{ " + Checked(animation.frameName) + " }");
    WriteKeys(x, 0, animation.rotations,
              [](const XRotationKey& k) {
                  return std::vector<float>{k.value.w, k.value.x, k.value.y, k.value.z};
              });
    WriteKeys(x, 1, animation.scales,
              [](const XVectorKey& k) {
                  return std::vector<float>{k.value.x, k.value.y, k.value.z};
              });
    WriteKeys(x, 2, animation.positions,
              [](const XVectorKey& k) {
                  return std::vector<float>{k.value.x, k.value.y, k.value.z};
              });
    WriteKeys(x, 4, animation.matrices,
              [](const XMatrixKey& k) { return std::vector<float>(&k.value._11, &k.value._11 + 16); });
    x.Close();
}
} // namespace

bool IsXFileName(const std::string& name)
{
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto rest = [&](char c) { return letter(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; };
    if (name.empty() || !letter(name[0]))
        return false;
    for (char c : name)
        if (!rest(c))
            return false;
    return true;
}

std::vector<FigureMotionSet> DriverFigureMotions()
{
    return {{"IDLE", FigureMotion::Breathe, 2.0f, false},
            {"STUUR_LINKS", FigureMotion::SteerLeft, 0.5f, false},
            {"STUUR_LINKS_TERUG", FigureMotion::SteerLeft, 0.5f, true},
            {"STUUR_RECHTS", FigureMotion::SteerRight, 0.5f, false},
            {"STUUR_RECHTS_TERUG", FigureMotion::SteerRight, 0.5f, true},
            {"BUMP_BOTS", FigureMotion::Bump, 0.4f, false},
            {"ACHTERUIT", FigureMotion::Reverse, 0.8f, false},
            {"ACHTERUIT_TERUG", FigureMotion::Reverse, 0.8f, true},
            {"MENU_IDLE", FigureMotion::Breathe, 3.0f, false},
            {"MENU_MOVE", FigureMotion::Reverse, 1.5f, false}};
}

std::string WriteXFile(const XFileDescription& description)
{
    XText x;
    x.Out() = "xof 0303txt 0032\n\n";
    if (description.ticksPerSecond)
    {
        x.Open("AnimTicksPerSecond");
        x.Line(std::to_string(description.ticksPerSecond) + ";");
        x.Close();
    }
    for (const XFrame& frame : description.frames)
        WriteFrame(x, frame);
    for (const XAnimationSet& set : description.animationSets)
    {
        x.Open(Header("AnimationSet", set.name));
        for (const XAnimation& animation : set.animations)
            WriteAnimation(x, animation);
        x.Close();
    }
    return x.Out();
}

// ---- the articulated figure ----
namespace
{
enum Bone
{
    kHips,
    kTorso,
    kHead,
    kArmL,
    kArmR,
    kBones
};
const int kParent[kBones] = {-1, kHips, kTorso, kTorso, kTorso};
// Each bone's place relative to its parent, in heights.
const D3DXVECTOR3 kLocal[kBones] = {
    {0.0f, 0.15f, 0.0f}, {0.0f, 0.15f, 0.0f}, {0.0f, 0.45f, 0.0f}, {-0.2f, 0.36f, 0.0f}, {0.2f, 0.36f, 0.0f}};

struct Box
{
    D3DXVECTOR3 min, max;
    int bone;
    int sharedBone; // -1, or the bone that shares the vertices at z = min.z (the shoulder end)
};
const Box kBoxes[] = {{{-0.15f, 0.0f, -0.1f}, {0.15f, 0.3f, 0.1f}, kHips, -1},
                      {{-0.15f, 0.3f, -0.08f}, {0.15f, 0.72f, 0.08f}, kTorso, -1},
                      {{-0.08f, 0.75f, -0.08f}, {0.08f, 1.0f, 0.08f}, kHead, -1},
                      {{-0.24f, 0.62f, 0.0f}, {-0.16f, 0.7f, 0.32f}, kArmL, kTorso},
                      {{0.16f, 0.62f, 0.0f}, {0.24f, 0.7f, 0.32f}, kArmR, kTorso}};

D3DXVECTOR3 BindPosition(int bone, float height)
{
    D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    for (int b = bone; b >= 0; b = kParent[b])
        at += kLocal[b] * height;
    return at;
}

void AddQuad(XMesh& mesh, const D3DXVECTOR3 corners[4], const D3DXVECTOR3& outward)
{
    const DWORD first = DWORD(mesh.positions.size());
    static const D3DXVECTOR2 uvs[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i)
    {
        mesh.positions.push_back(corners[i]);
        mesh.normals.push_back(outward);
        mesh.texCoords.push_back(uvs[i]);
    }
    AddOutwardQuadFaces(mesh.faces, first, corners, outward);
}

void AddBox(XMesh& mesh, const Box& box, float height,
            std::vector<std::vector<std::pair<DWORD, float>>>& weights)
{
    const D3DXVECTOR3 lo = box.min * height, hi = box.max * height;
    const DWORD first = DWORD(mesh.positions.size());
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side)
        {
            const BoxSide quad(lo, hi, axis, side);
            AddQuad(mesh, quad.corners, quad.outward);
        }
    for (DWORD vtx = first; vtx < mesh.positions.size(); ++vtx)
    {
        const bool shoulder = box.sharedBone >= 0 && mesh.positions[vtx].z <= lo.z;
        if (shoulder)
        {
            weights[box.bone].emplace_back(vtx, 0.5f);
            weights[box.sharedBone].emplace_back(vtx, 0.5f);
        }
        else
            weights[box.bone].emplace_back(vtx, 1.0f);
    }
}

XFrame BoneFrame(int bone, float height)
{
    XFrame frame;
    frame.name = kFigureBoneNames[bone];
    D3DXMatrixTranslation(&frame.transform, kLocal[bone].x * height, kLocal[bone].y * height,
                          kLocal[bone].z * height);
    for (int child = 0; child < kBones; ++child)
        if (kParent[child] == bone)
            frame.children.push_back(BoneFrame(child, height));
    return frame;
}

// The bone's turn (yaw, pitch, roll in degrees) at the pose of a motion.
D3DXVECTOR3 PoseTurn(FigureMotion motion, int bone)
{
    switch (motion)
    {
    case FigureMotion::SteerLeft:
        return bone == kTorso  ? D3DXVECTOR3(0, 0, 15)
               : bone >= kArmL ? D3DXVECTOR3(-20, 0, 0)
                               : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::SteerRight:
        return bone == kTorso  ? D3DXVECTOR3(0, 0, -15)
               : bone >= kArmL ? D3DXVECTOR3(20, 0, 0)
                               : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Bump:
        return bone == kHead    ? D3DXVECTOR3(0, 25, 0)
               : bone == kTorso ? D3DXVECTOR3(0, 10, 0)
                                : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Reverse:
        return bone == kTorso  ? D3DXVECTOR3(60, 0, 0)
               : bone == kHead ? D3DXVECTOR3(30, 0, 0)
                               : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Breathe:
        return bone == kHead ? D3DXVECTOR3(0, 6, 0) : D3DXVECTOR3(0, 0, 0);
    case FigureMotion::Rest:
        break;
    }
    return D3DXVECTOR3(0, 0, 0);
}

XAnimation BoneAnimation(const FigureMotionSet& set, int bone, float height, DWORD ticksPerSecond)
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
    const DWORD total = DWORD(std::max(set.seconds, 0.01f) * float(ticksPerSecond));
    XAnimation animation;
    animation.frameName = kFigureBoneNames[bone];
    for (size_t i = 0; i < poses.size(); ++i)
    {
        const DWORD tick = DWORD(total * i / (poses.size() - 1));
        animation.rotations.push_back({tick, StoredRotationKey(poses[i])});
        animation.scales.push_back({tick, D3DXVECTOR3(1.0f, 1.0f, 1.0f)});
        animation.positions.push_back({tick, kLocal[bone] * height});
    }
    return animation;
}
} // namespace

XFileDescription MakeArticulatedFigure(const ArticulatedFigureDescription& figure)
{
    const float h = figure.height;
    XFileDescription file;
    file.ticksPerSecond = figure.ticksPerSecond;
    XFrame root;
    root.name = "Figure";
    D3DXMatrixIdentity(&root.transform);
    XMesh body;
    body.name = "Body";
    std::vector<std::vector<std::pair<DWORD, float>>> weights(kBones);
    for (const Box& box : kBoxes)
        AddBox(body, box, h, weights);
    body.faceMaterials.assign(body.faces.size(), 0);
    XMaterial material;
    material.faceColour = figure.colour;
    material.power = 8.0f;
    material.specular = D3DXVECTOR3(0.3f, 0.3f, 0.3f);
    material.textureFile = figure.textureFile;
    body.materials.push_back(material);
    for (int bone = 0; bone < kBones; ++bone)
    {
        XSkinWeights skin;
        skin.boneName = kFigureBoneNames[bone];
        for (const auto& [vertex, weight] : weights[bone])
        {
            skin.vertices.push_back(vertex);
            skin.weights.push_back(weight);
        }
        const D3DXVECTOR3 at = BindPosition(bone, h);
        D3DXMatrixTranslation(&skin.offset, -at.x, -at.y, -at.z);
        body.skin.push_back(skin);
    }
    root.meshes.push_back(body);
    root.children.push_back(BoneFrame(kHips, h));
    file.frames.push_back(root);
    const DWORD ticks = figure.ticksPerSecond ? figure.ticksPerSecond : kDefaultTicksPerSecond;
    for (const FigureMotionSet& set : figure.sets)
    {
        XAnimationSet animationSet;
        animationSet.name = set.name;
        for (int bone = 0; bone < kBones; ++bone)
            animationSet.animations.push_back(BoneAnimation(set, bone, h, ticks));
        file.animationSets.push_back(animationSet);
    }
    return file;
}
