// Where each part of a vertex lies for a flexible vertex format code: the
// position (with its blend weights), normal, point size, two colours and up
// to eight texture coordinate sets of one to four floats. Meshes use it to
// size their vertices and to carry vertices from one format to another.
#pragma once

#include "platform/gfx/D3D9Types.h"

#include <cstdint>
#include <vector>

// D3DFVF_TEXCOORDSIZEn(set): the bits that give texture set `set` n floats.
constexpr DWORD D3DFVF_TEXCOORDSIZE1(DWORD set)
{
    return 3u << (set * 2 + 16);
}
constexpr DWORD D3DFVF_TEXCOORDSIZE2(DWORD)
{
    return 0u;
}
constexpr DWORD D3DFVF_TEXCOORDSIZE3(DWORD set)
{
    return 1u << (set * 2 + 16);
}
constexpr DWORD D3DFVF_TEXCOORDSIZE4(DWORD set)
{
    return 2u << (set * 2 + 16);
}

namespace d3dx
{
// What a part of the vertex carries; a part is matched across formats by its
// kind and set (texture coordinate set, or 0).
enum class VertexPart
{
    Position, // 3 floats, or 4 for XYZRHW and XYZW
    Weights,  // the blend weights and packed indices after the position
    Normal,
    PointSize,
    Diffuse,
    Specular,
    TexCoord
};

struct VertexElement
{
    VertexPart part;
    DWORD set;
    DWORD offset;
    DWORD size; // bytes
};

struct FvfLayout
{
    std::vector<VertexElement> elements;
    DWORD stride = 0;
    bool valid = false; // false for codes with no position or unknown bits
};

FvfLayout DescribeFvf(DWORD fvf);

// Copies count vertices from one layout to another: each part the target has
// takes the source's same part, cut or padded with zeros; parts the source
// lacks are zero, colours white.
void ConvertVertices(const FvfLayout& from, const uint8_t* source, const FvfLayout& to, uint8_t* target,
                     DWORD count);
} // namespace d3dx

// The size in bytes of one vertex of the format, 0 for a format we cannot lay out.
UINT D3DXGetFVFVertexSize(DWORD fvf);
