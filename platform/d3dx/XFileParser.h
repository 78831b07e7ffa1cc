// Reads a text .x file ("xof 0302txt " or "xof 0303txt ") from memory into an
// XFileDescription: frames with their transform matrices and meshes (normals,
// texture coordinates, material lists, skin weights), top-level materials
// that mesh material lists name, AnimTicksPerSecond and the animation sets.
// Templates and objects we do not use are passed over. Binary and compressed
// files are refused. Every count is checked against the bytes left before
// anything is allocated for it and every index against what it indexes, so
// a broken file is refused with a reason and never read past its end.
#pragma once

#include "platform/d3dx/XFileDescription.h"
#include "platform/d3dx/XFileTokenizer.h"

#include <map>
#include <string>

namespace d3dx
{
class XFileParser
{
  public:
    // False with the reason (and the line) in error.
    static bool Parse(const void* data, size_t size, XFileDescription& out, std::string& error);

  private:
    struct Polygons
    {
        std::vector<DWORD> counts;  // corners of each polygon
        std::vector<DWORD> corners; // vertex of each corner, polygon after polygon
    };

    explicit XFileParser(XFileTokenizer& tokens) : m_Tokens(tokens) {}
    bool ParseHeader(const char* data, size_t size);
    bool ParseTopLevel(XFileDescription& out);

    bool Fail(const std::string& reason);
    // Fails with "ends inside" at the end of the file, else with expected.
    bool Unexpected(XToken token, const std::string& expected);
    bool ReadUInt(DWORD& value);
    bool ReadFloat(float& value);
    bool ReadFloats(float* values, int count);
    bool ReadString(std::string& value);
    // A count of items of at least minBytes each that must fit in what is left.
    bool ReadCount(DWORD& count, size_t minBytes, const char* what);
    // After the object's type: its optional name, "{" and optional GUID.
    bool BeginObject(std::string* name);
    bool ExpectClose();
    // Everything up to the "}" that closes the current object.
    bool SkipRest();
    bool SkipObject();
    bool ReadReference(std::string& name);

    bool ParseFrame(XFrame& frame, int depth);
    bool ParseMesh(XMesh& mesh);
    bool ParseMeshChildren(XMesh& mesh, const Polygons& polygons, std::vector<DWORD>& polygonMaterials);
    bool ParsePolygons(Polygons& polygons, DWORD vertexCount, const char* what);
    bool ParseNormals(XMesh& mesh, const Polygons& polygons);
    bool ParseTextureCoords(XMesh& mesh);
    bool ParseMaterialList(XMesh& mesh, const Polygons& polygons, std::vector<DWORD>& polygonMaterials);
    bool ParseSkinWeights(XMesh& mesh);
    bool ParseMaterial(XMaterial& material);
    bool ParseAnimationSet(XAnimationSet& set);
    bool ParseAnimation(XAnimation& animation);
    bool ParseAnimationKey(XAnimation& animation);
    bool ParseMatrix(D3DXMATRIX& matrix);
    void Triangulate(XMesh& mesh, const Polygons& polygons, const std::vector<DWORD>& polygonMaterials);

    XFileTokenizer& m_Tokens;
    std::string m_Error;
    std::map<std::string, XMaterial> m_NamedMaterials;
    int m_Frames = 0;
};
} // namespace d3dx
