// The text .x reader.
#include "platform/d3dx/XFileParser.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace d3dx
{
namespace
{
// Frames nest by recursion; deeper trees are no figure of ours, and the limit
// keeps a hostile file from exhausting the stack.
constexpr int kDeepestFrame = 64;
// A polygon has at least three corners; more than this is no polygon a
// modeller writes.
constexpr DWORD kMostCorners = 64;
constexpr size_t kHeaderSize = 16;
// Code walking a hierarchy recurses over siblings too; a figure has tens of
// frames, and the cap keeps such walks shallow on any file we accept.
constexpr int kMostFrames = 4096;

int ValuesOfKeyType(DWORD type)
{
    switch (type)
    {
    case 0:
        return 4;
    case 1:
    case 2:
        return 3;
    case 3:
    case 4:
        return 16;
    default:
        return 0;
    }
}
} // namespace

bool XFileParser::Parse(const void* data, size_t size, XFileDescription& out, std::string& error)
{
    out = XFileDescription();
    const char* text = static_cast<const char*>(data);
    XFileTokenizer tokens(text ? text + kHeaderSize : nullptr, size >= kHeaderSize ? size - kHeaderSize : 0);
    XFileParser parser(tokens);
    const bool parsed = parser.ParseHeader(text, size) && parser.ParseTopLevel(out);
    if (!parsed)
    {
        error = parser.m_Error;
        out = XFileDescription();
    }
    return parsed;
}

bool XFileParser::ParseHeader(const char* data, size_t size)
{
    if (!data || size < kHeaderSize || std::memcmp(data, "xof ", 4) != 0)
        return Fail("not a .x file (no \"xof \" header)");
    const std::string format(data + 8, 4);
    if (format == "bin " || format == "tzip" || format == "bzip")
        return Fail("binary or compressed .x files are not supported (format \"" + format + "\")");
    if (format != "txt ")
        return Fail("unknown .x format \"" + format + "\"");
    return true;
}

bool XFileParser::ParseTopLevel(XFileDescription& out)
{
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::End)
            return true;
        if (token != XToken::Name)
            return Unexpected(token, "an object type expected");
        const std::string type = m_Tokens.Text();
        bool ok = true;
        if (type == "template")
            ok = SkipObject();
        else if (type == "Frame")
        {
            out.frames.emplace_back();
            ok = ParseFrame(out.frames.back(), 0);
        }
        else if (type == "Mesh")
        {
            // A mesh outside any frame hangs from an unnamed frame of its own.
            out.frames.emplace_back();
            D3DXMatrixIdentity(&out.frames.back().transform);
            out.frames.back().meshes.emplace_back();
            ok = ParseMesh(out.frames.back().meshes.back());
        }
        else if (type == "Material")
        {
            XMaterial material;
            std::string name;
            ok = BeginObject(&name) && ParseMaterial(material);
            m_NamedMaterials[name] = material;
        }
        else if (type == "AnimTicksPerSecond")
            ok = BeginObject(nullptr) && ReadUInt(out.ticksPerSecond) && ExpectClose();
        else if (type == "AnimationSet")
        {
            out.animationSets.emplace_back();
            ok = ParseAnimationSet(out.animationSets.back());
        }
        else
            ok = SkipObject();
        if (!ok)
            return false;
    }
}

bool XFileParser::Fail(const std::string& reason)
{
    if (m_Error.empty())
        m_Error = reason + " (line " + std::to_string(m_Tokens.Line()) + ")";
    return false;
}

bool XFileParser::Unexpected(XToken token, const std::string& expected)
{
    return Fail(token == XToken::End ? std::string("the file ends inside an object") : expected);
}

bool XFileParser::ReadUInt(DWORD& value)
{
    if (m_Tokens.Next() != XToken::Number)
        return Fail("an integer expected");
    const std::string& text = m_Tokens.Text();
    char* end = nullptr;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || errno != 0 || parsed > 0xFFFFFFFFull)
        return Fail("\"" + text + "\" is no unsigned 32-bit integer");
    value = DWORD(parsed);
    return true;
}

bool XFileParser::ReadFloat(float& value)
{
    if (m_Tokens.Next() != XToken::Number)
        return Fail("a number expected");
    const std::string& text = m_Tokens.Text();
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(float(parsed)))
        return Fail("\"" + text + "\" is no finite number");
    value = float(parsed);
    return true;
}

bool XFileParser::ReadFloats(float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!ReadFloat(values[i]))
            return false;
    return true;
}

bool XFileParser::ReadString(std::string& value)
{
    if (m_Tokens.Next() != XToken::String)
        return Fail("a quoted string expected");
    value = m_Tokens.Text();
    return true;
}

bool XFileParser::ReadCount(DWORD& count, size_t minBytes, const char* what)
{
    if (!ReadUInt(count))
        return false;
    if (size_t(count) > m_Tokens.BytesLeft() / minBytes)
        return Fail(std::string("the file is too short for ") + std::to_string(count) + " " + what);
    return true;
}

bool XFileParser::BeginObject(std::string* name)
{
    XToken token = m_Tokens.Next();
    if (token == XToken::Name)
    {
        if (name)
            *name = m_Tokens.Text();
        token = m_Tokens.Next();
    }
    if (token != XToken::Open)
        return Fail("\"{\" expected");
    if (m_Tokens.Peek() == XToken::Guid)
        m_Tokens.Next();
    return true;
}

bool XFileParser::ExpectClose()
{
    return m_Tokens.Next() == XToken::Close || Fail("\"}\" expected");
}

bool XFileParser::SkipRest()
{
    int depth = 1;
    while (depth > 0)
    {
        switch (m_Tokens.Next())
        {
        case XToken::Open:
            ++depth;
            break;
        case XToken::Close:
            --depth;
            break;
        case XToken::End:
            return Fail("the file ends inside an object");
        case XToken::Error:
            return Fail("unreadable text");
        default:
            break;
        }
    }
    return true;
}

bool XFileParser::SkipObject()
{
    return BeginObject(nullptr) && SkipRest();
}

bool XFileParser::ReadReference(std::string& name)
{
    // "{" already read: a name (an optional GUID) and "}".
    name.clear();
    if (m_Tokens.Peek() == XToken::Name)
    {
        m_Tokens.Next();
        name = m_Tokens.Text();
    }
    if (m_Tokens.Peek() == XToken::Guid)
        m_Tokens.Next();
    return ExpectClose();
}

bool XFileParser::ParseMatrix(D3DXMATRIX& matrix)
{
    return ReadFloats(&matrix._11, 16);
}

bool XFileParser::ParseFrame(XFrame& frame, int depth)
{
    if (depth >= kDeepestFrame)
        return Fail("frames nested deeper than " + std::to_string(kDeepestFrame));
    if (++m_Frames > kMostFrames)
        return Fail("more than " + std::to_string(kMostFrames) + " frames");
    D3DXMatrixIdentity(&frame.transform);
    if (!BeginObject(&frame.name))
        return false;
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::Close)
            return true;
        if (token == XToken::Open)
        {
            std::string ignored;
            if (!ReadReference(ignored))
                return false;
            continue;
        }
        if (token != XToken::Name)
            return Unexpected(token, "an object expected in frame \"" + frame.name + "\"");
        const std::string type = m_Tokens.Text();
        bool ok = true;
        if (type == "FrameTransformMatrix")
            ok = BeginObject(nullptr) && ParseMatrix(frame.transform) && ExpectClose();
        else if (type == "Frame")
        {
            frame.children.emplace_back();
            ok = ParseFrame(frame.children.back(), depth + 1);
        }
        else if (type == "Mesh")
        {
            frame.meshes.emplace_back();
            ok = ParseMesh(frame.meshes.back());
        }
        else
            ok = SkipObject();
        if (!ok)
            return false;
    }
}

bool XFileParser::ParsePolygons(Polygons& polygons, DWORD vertexCount, const char* what)
{
    DWORD count = 0;
    // Each polygon is at least four numbers.
    if (!ReadCount(count, 8, what))
        return false;
    polygons.counts.reserve(count);
    for (DWORD i = 0; i < count; ++i)
    {
        DWORD corners = 0;
        if (!ReadUInt(corners))
            return false;
        if (corners < 3 || corners > kMostCorners)
            return Fail(std::string("a polygon of ") + std::to_string(corners) + " corners in " + what);
        polygons.counts.push_back(corners);
        for (DWORD c = 0; c < corners; ++c)
        {
            DWORD index = 0;
            if (!ReadUInt(index))
                return false;
            if (index >= vertexCount)
                return Fail(std::string("index ") + std::to_string(index) + " of " + what + " is not below " +
                            std::to_string(vertexCount));
            polygons.corners.push_back(index);
        }
    }
    return true;
}

bool XFileParser::ParseMesh(XMesh& mesh)
{
    if (!BeginObject(&mesh.name))
        return false;
    DWORD vertices = 0;
    if (!ReadCount(vertices, 6, "vertices"))
        return false;
    mesh.positions.resize(vertices);
    for (D3DXVECTOR3& position : mesh.positions)
        if (!ReadFloats(&position.x, 3))
            return false;
    Polygons polygons;
    if (!ParsePolygons(polygons, vertices, "faces"))
        return false;
    if (vertices == 0 || polygons.counts.empty())
        return Fail("mesh \"" + mesh.name + "\" has no vertices or no faces");
    std::vector<DWORD> polygonMaterials;
    if (!ParseMeshChildren(mesh, polygons, polygonMaterials))
        return false;
    Triangulate(mesh, polygons, polygonMaterials);
    return true;
}

bool XFileParser::ParseMeshChildren(XMesh& mesh, const Polygons& polygons,
                                    std::vector<DWORD>& polygonMaterials)
{
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::Close)
            return true;
        if (token != XToken::Name)
            return Unexpected(token, "an object expected in mesh \"" + mesh.name + "\"");
        const std::string type = m_Tokens.Text();
        bool ok = true;
        if (type == "MeshNormals")
            ok = ParseNormals(mesh, polygons);
        else if (type == "MeshTextureCoords")
            ok = ParseTextureCoords(mesh);
        else if (type == "MeshMaterialList")
            ok = ParseMaterialList(mesh, polygons, polygonMaterials);
        else if (type == "SkinWeights")
            ok = ParseSkinWeights(mesh);
        else
            ok = SkipObject(); // XSkinMeshHeader (the counts follow from the weights), duplication indices...
        if (!ok)
            return false;
    }
}

bool XFileParser::ParseNormals(XMesh& mesh, const Polygons& polygons)
{
    DWORD count = 0;
    if (!BeginObject(nullptr) || !ReadCount(count, 6, "normals"))
        return false;
    std::vector<D3DXVECTOR3> normals(count);
    for (D3DXVECTOR3& normal : normals)
        if (!ReadFloats(&normal.x, 3))
            return false;
    Polygons faces;
    if (!ParsePolygons(faces, count, "normal faces"))
        return false;
    if (faces.counts != polygons.counts)
        return Fail("the normal faces do not match the faces of mesh \"" + mesh.name + "\"");
    // One normal per vertex: where the file gives a vertex several, the last wins.
    mesh.normals.assign(mesh.positions.size(), D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    for (size_t i = 0; i < faces.corners.size(); ++i)
        mesh.normals[polygons.corners[i]] = normals[faces.corners[i]];
    return ExpectClose();
}

bool XFileParser::ParseTextureCoords(XMesh& mesh)
{
    DWORD count = 0;
    if (!BeginObject(nullptr) || !ReadCount(count, 4, "texture coordinates"))
        return false;
    if (count != mesh.positions.size())
        return Fail("mesh \"" + mesh.name + "\" has " + std::to_string(mesh.positions.size()) +
                    " vertices but " + std::to_string(count) + " texture coordinates");
    mesh.texCoords.resize(count);
    for (D3DXVECTOR2& uv : mesh.texCoords)
        if (!ReadFloats(&uv.x, 2))
            return false;
    return ExpectClose();
}

bool XFileParser::ParseMaterialList(XMesh& mesh, const Polygons& polygons,
                                    std::vector<DWORD>& polygonMaterials)
{
    DWORD materials = 0, indexes = 0;
    if (!BeginObject(nullptr) || !ReadCount(materials, 2, "materials") ||
        !ReadCount(indexes, 2, "face materials"))
        return false;
    if (indexes > polygons.counts.size() || (indexes == 0 && materials > 0 && !polygons.counts.empty()))
        return Fail("the material list of mesh \"" + mesh.name + "\" gives " + std::to_string(indexes) +
                    " face materials for " + std::to_string(polygons.counts.size()) + " faces");
    polygonMaterials.resize(indexes);
    for (DWORD& material : polygonMaterials)
    {
        if (!ReadUInt(material))
            return false;
        if (material >= materials)
            return Fail("face material " + std::to_string(material) + " is not below " +
                        std::to_string(materials));
    }
    // A shorter list repeats its last entry for the remaining faces.
    if (!polygonMaterials.empty())
        polygonMaterials.resize(polygons.counts.size(), polygonMaterials.back());
    mesh.materials.clear();
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::Close)
            break;
        std::string name;
        if (token == XToken::Open)
        {
            if (!ReadReference(name))
                return false;
            const auto found = m_NamedMaterials.find(name);
            if (found == m_NamedMaterials.end())
                return Fail("no material named \"" + name + "\"");
            mesh.materials.push_back(found->second);
            continue;
        }
        if (token != XToken::Name)
            return Unexpected(token, "a material expected");
        if (m_Tokens.Text() != "Material")
        {
            if (!SkipObject())
                return false;
            continue;
        }
        mesh.materials.emplace_back();
        if (!BeginObject(nullptr) || !ParseMaterial(mesh.materials.back()))
            return false;
    }
    if (mesh.materials.size() != materials)
        return Fail("mesh \"" + mesh.name + "\" announces " + std::to_string(materials) +
                    " materials and gives " + std::to_string(mesh.materials.size()));
    return true;
}

bool XFileParser::ParseMaterial(XMaterial& material)
{
    float values[11];
    if (!ReadFloats(values, 11))
        return false;
    material.faceColour = D3DXCOLOR(values[0], values[1], values[2], values[3]);
    material.power = values[4];
    material.specular = D3DXVECTOR3(values[5], values[6], values[7]);
    material.emissive = D3DXVECTOR3(values[8], values[9], values[10]);
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::Close)
            return true;
        if (token != XToken::Name)
            return Unexpected(token, "an object expected in a material");
        const std::string type = m_Tokens.Text();
        const bool ok = (type == "TextureFilename" || type == "TextureFileName")
                            ? BeginObject(nullptr) && ReadString(material.textureFile) && ExpectClose()
                            : SkipObject();
        if (!ok)
            return false;
    }
}

bool XFileParser::ParseSkinWeights(XMesh& mesh)
{
    XSkinWeights skin;
    DWORD count = 0;
    if (!BeginObject(nullptr) || !ReadString(skin.boneName) || !ReadCount(count, 4, "skin weights"))
        return false;
    skin.vertices.resize(count);
    skin.weights.resize(count);
    for (DWORD& vertex : skin.vertices)
    {
        if (!ReadUInt(vertex))
            return false;
        if (vertex >= mesh.positions.size())
            return Fail("bone \"" + skin.boneName + "\" weights vertex " + std::to_string(vertex) + " of " +
                        std::to_string(mesh.positions.size()));
    }
    if (!ReadFloats(skin.weights.data(), int(count)) || !ParseMatrix(skin.offset) || !ExpectClose())
        return false;
    mesh.skin.push_back(std::move(skin));
    return true;
}

void XFileParser::Triangulate(XMesh& mesh, const Polygons& polygons,
                              const std::vector<DWORD>& polygonMaterials)
{
    // Each polygon becomes a fan of triangles around its first corner.
    size_t corner = 0;
    for (size_t p = 0; p < polygons.counts.size(); ++p)
    {
        const DWORD* c = &polygons.corners[corner];
        for (DWORD k = 1; k + 1 < polygons.counts[p]; ++k)
        {
            mesh.faces.push_back({c[0], c[k], c[k + 1]});
            if (!polygonMaterials.empty())
                mesh.faceMaterials.push_back(polygonMaterials[p]);
        }
        corner += polygons.counts[p];
    }
}

bool XFileParser::ParseAnimationSet(XAnimationSet& set)
{
    if (!BeginObject(&set.name))
        return false;
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::Close)
            return true;
        if (token != XToken::Name)
            return Unexpected(token, "an animation expected in set \"" + set.name + "\"");
        bool ok = true;
        if (m_Tokens.Text() == "Animation")
        {
            set.animations.emplace_back();
            ok = ParseAnimation(set.animations.back());
        }
        else
            ok = SkipObject();
        if (!ok)
            return false;
    }
}

bool XFileParser::ParseAnimation(XAnimation& animation)
{
    if (!BeginObject(nullptr))
        return false;
    for (;;)
    {
        const XToken token = m_Tokens.Next();
        if (token == XToken::Close)
            break;
        bool ok = true;
        if (token == XToken::Open)
            ok = ReadReference(animation.frameName);
        else if (token != XToken::Name)
            return Unexpected(token, "an animation key expected");
        else if (m_Tokens.Text() == "AnimationKey")
            ok = ParseAnimationKey(animation);
        else
            ok = SkipObject(); // AnimationOptions
        if (!ok)
            return false;
    }
    if (animation.frameName.empty())
        return Fail("an animation names no frame");
    return true;
}

bool XFileParser::ParseAnimationKey(XAnimation& animation)
{
    DWORD type = 0, keys = 0;
    if (!BeginObject(nullptr) || !ReadUInt(type))
        return false;
    const int values = ValuesOfKeyType(type);
    if (values == 0)
        return Fail("animation key type " + std::to_string(type) + " is unknown");
    if (!ReadCount(keys, size_t(2 * (values + 2)), "animation keys"))
        return false;
    for (DWORD k = 0; k < keys; ++k)
    {
        DWORD tick = 0, count = 0;
        float v[16];
        if (!ReadUInt(tick) || !ReadUInt(count))
            return false;
        if (count != DWORD(values))
            return Fail("a key of type " + std::to_string(type) + " with " + std::to_string(count) +
                        " values");
        if (!ReadFloats(v, values))
            return false;
        if (type == 0)
            animation.rotations.push_back({tick, D3DXQUATERNION(v[1], v[2], v[3], v[0])});
        else if (type == 1)
            animation.scales.push_back({tick, D3DXVECTOR3(v[0], v[1], v[2])});
        else if (type == 2)
            animation.positions.push_back({tick, D3DXVECTOR3(v[0], v[1], v[2])});
        else
            animation.matrices.push_back({tick, D3DXMATRIX(v)});
    }
    return ExpectClose();
}
} // namespace d3dx
