// The texel footprint of screen-space triangles.
#include "platform/gfx/gl/GlTextureFootprint.h"

#include <cmath>
#include <cstring>

namespace gfx::gl
{
namespace
{
// The largest ratio of a footprint's longest to its shortest axis still
// treated as a circle; hardware counts its anisotropic probes in whole steps.
constexpr double kMostRatio = 1.01;

struct ScreenVertex
{
    double x, y, rhw, u, v;
};

// Bytes from a vertex's start to texture coordinate set `set`, or -1 when the
// layout has no such set of at least two components.
long TexCoordOffset(DWORD fvf, DWORD set)
{
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW)
        return -1;
    const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (set >= sets)
        return -1;
    long offset = 16;
    offset += fvf & D3DFVF_NORMAL ? 12 : 0;
    offset += fvf & D3DFVF_PSIZE ? 4 : 0;
    offset += fvf & D3DFVF_DIFFUSE ? 4 : 0;
    offset += fvf & D3DFVF_SPECULAR ? 4 : 0;
    static const long kComponents[] = {2, 3, 4, 1};
    for (DWORD i = 0; i < set; ++i)
        offset += 4 * kComponents[(fvf >> (16 + 2 * i)) & 3];
    return kComponents[(fvf >> (16 + 2 * set)) & 3] >= 2 ? offset : -1;
}

float FloatAt(const unsigned char* bytes)
{
    float value;
    std::memcpy(&value, bytes, 4);
    return value;
}

// Whether one triangle's texels land on its pixels by one scale in every direction.
bool IsotropicTriangle(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c)
{
    if (a.rhw != b.rhw || a.rhw != c.rhw)
        return false;
    const double ex1 = b.x - a.x, ey1 = b.y - a.y, ex2 = c.x - a.x, ey2 = c.y - a.y;
    const double area = ex1 * ey2 - ey1 * ex2;
    if (std::fabs(area) < 1e-9)
        return true; // covers no pixel
    const double fu1 = b.u - a.u, fv1 = b.v - a.v, fu2 = c.u - a.u, fv2 = c.v - a.v;
    // Texels per pixel along x and along y (the columns of the mapping's Jacobian).
    const double dudx = (fu1 * ey2 - fu2 * ey1) / area, dvdx = (fv1 * ey2 - fv2 * ey1) / area;
    const double dudy = (fu2 * ex1 - fu1 * ex2) / area, dvdy = (fv2 * ex1 - fv1 * ex2) / area;
    // The footprint's axes are the Jacobian's singular values: their squares
    // are mean +- spread.
    const double xx = dudx * dudx + dvdx * dvdx, yy = dudy * dudy + dvdy * dvdy,
                 xy = dudx * dudy + dvdx * dvdy;
    const double mean = (xx + yy) / 2.0;
    const double spread = std::sqrt((xx - yy) * (xx - yy) / 4.0 + xy * xy);
    if (mean <= 0.0)
        return true; // one texel everywhere
    return mean + spread <= kMostRatio * kMostRatio * (mean - spread);
}
} // namespace

bool IsotropicFootprint(const void* vertices, UINT stride, DWORD fvf, D3DPRIMITIVETYPE type,
                        UINT primitiveCount, DWORD set, UINT width, UINT height)
{
    const long offset = TexCoordOffset(fvf, set);
    if (!vertices || offset < 0 || stride < UINT(offset) + 8 || width == 0 || height == 0)
        return false;
    if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(vertices);
    auto vertex = [&](UINT index)
    {
        const unsigned char* v = bytes + size_t(index) * stride;
        return ScreenVertex{FloatAt(v), FloatAt(v + 4), FloatAt(v + 12), double(FloatAt(v + offset)) * width,
                            double(FloatAt(v + offset + 4)) * height};
    };
    for (UINT i = 0; i < primitiveCount; ++i)
    {
        UINT first = 3 * i, second = 3 * i + 1, third = 3 * i + 2;
        if (type == D3DPT_TRIANGLESTRIP)
            first = i, second = i + 1, third = i + 2;
        else if (type == D3DPT_TRIANGLEFAN)
            first = 0, second = i + 1, third = i + 2;
        if (!IsotropicTriangle(vertex(first), vertex(second), vertex(third)))
            return false;
    }
    return true;
}
} // namespace gfx::gl
