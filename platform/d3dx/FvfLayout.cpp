// Vertex layouts of flexible vertex formats, in Direct3D's order of parts.
#include "platform/d3dx/FvfLayout.h"

#include <algorithm>
#include <cstring>

namespace d3dx
{
namespace
{
// Every bit a format code may carry.
constexpr DWORD kKnownBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                             D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | 0x1000 /* LASTBETA_UBYTE4 */ |
                             0x8000 /* LASTBETA_D3DCOLOR */ | 0xFFFF0000u;

// Floats of position and of blend weights for the position bits; false when unknown.
bool PositionSizes(DWORD position, DWORD& positionFloats, DWORD& weightFloats)
{
    weightFloats = 0;
    switch (position)
    {
    case D3DFVF_XYZ:
        positionFloats = 3;
        return true;
    case D3DFVF_XYZRHW:
    case D3DFVF_XYZW:
        positionFloats = 4;
        return true;
    case D3DFVF_XYZB1:
    case D3DFVF_XYZB2:
    case D3DFVF_XYZB3:
    case D3DFVF_XYZB4:
    case D3DFVF_XYZB5:
        positionFloats = 3;
        weightFloats = (position - D3DFVF_XYZRHW) / 2;
        return true;
    default:
        return false;
    }
}

DWORD TexCoordFloats(DWORD fvf, DWORD set)
{
    static const DWORD kFloats[4] = {2, 3, 4, 1};
    return kFloats[(fvf >> (set * 2 + 16)) & 3];
}

void Add(FvfLayout& layout, VertexPart part, DWORD set, DWORD size)
{
    layout.elements.push_back({part, set, layout.stride, size});
    layout.stride += size;
}

const VertexElement* Find(const FvfLayout& layout, VertexPart part, DWORD set)
{
    for (const VertexElement& element : layout.elements)
        if (element.part == part && element.set == set)
            return &element;
    return nullptr;
}
} // namespace

FvfLayout DescribeFvf(DWORD fvf)
{
    FvfLayout layout;
    DWORD positionFloats = 0, weightFloats = 0;
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if ((fvf & ~kKnownBits) != 0 ||
        !PositionSizes(fvf & D3DFVF_POSITION_MASK, positionFloats, weightFloats) || texCount > 8)
        return layout;
    Add(layout, VertexPart::Position, 0, positionFloats * 4);
    if (weightFloats)
        Add(layout, VertexPart::Weights, 0, weightFloats * 4);
    if (fvf & D3DFVF_NORMAL)
        Add(layout, VertexPart::Normal, 0, 12);
    if (fvf & D3DFVF_PSIZE)
        Add(layout, VertexPart::PointSize, 0, 4);
    if (fvf & D3DFVF_DIFFUSE)
        Add(layout, VertexPart::Diffuse, 0, 4);
    if (fvf & D3DFVF_SPECULAR)
        Add(layout, VertexPart::Specular, 0, 4);
    for (DWORD set = 0; set < texCount; ++set)
        Add(layout, VertexPart::TexCoord, set, TexCoordFloats(fvf, set) * 4);
    layout.valid = true;
    return layout;
}

void ConvertVertices(const FvfLayout& from, const uint8_t* source, const FvfLayout& to, uint8_t* target,
                     DWORD count)
{
    for (DWORD v = 0; v < count; ++v)
    {
        const uint8_t* in = source + size_t(v) * from.stride;
        uint8_t* out = target + size_t(v) * to.stride;
        std::memset(out, 0, to.stride);
        for (const VertexElement& element : to.elements)
        {
            const VertexElement* match = Find(from, element.part, element.set);
            if (match)
                std::memcpy(out + element.offset, in + match->offset, std::min(element.size, match->size));
            else if (element.part == VertexPart::Diffuse || element.part == VertexPart::Specular)
                std::memset(out + element.offset, 0xFF, element.size);
        }
    }
}
} // namespace d3dx

UINT D3DXGetFVFVertexSize(DWORD fvf)
{
    const d3dx::FvfLayout layout = d3dx::DescribeFvf(fvf);
    return layout.valid ? layout.stride : 0;
}
