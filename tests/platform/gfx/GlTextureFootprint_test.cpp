// Which screen-space draws anisotropic filtering can change: the footprint
// verdict for quads at the scales, turns and depths 2D pages and sprites use.
#include "platform/gfx/gl/GlTextureFootprint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
using gfx::gl::IsotropicFootprint;

struct Vertex
{
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A strip quad: corners at (x, y) + the columns of `across` and `down`, texture corners (0, 0) to (u1, v1).
std::vector<Vertex> Quad(float x, float y, float ax, float ay, float dx, float dy, float u1, float v1,
                         float farRhw = 1.0f)
{
    return {{x, y, 0.5f, 1.0f, 0, 0, 0},
            {x + ax, y + ay, 0.5f, 1.0f, 0, u1, 0},
            {x + dx, y + dy, 0.5f, farRhw, 0, 0, v1},
            {x + ax + dx, y + ay + dy, 0.5f, farRhw, 0, u1, v1}};
}

bool Isotropic(const std::vector<Vertex>& strip, UINT width, UINT height, DWORD set = 0, DWORD fvf = kFvf)
{
    return IsotropicFootprint(strip.data(), sizeof(Vertex), fvf, D3DPT_TRIANGLESTRIP, UINT(strip.size() - 2),
                              set, width, height);
}

TEST(GlTextureFootprint, ScreenQuadsByScaleTurnAndDepth)
{
    const float turn = float(std::cos(0.5)), lean = float(std::sin(0.5));
    struct Case
    {
        const char* name;
        std::vector<Vertex> quad;
        UINT width, height;
        bool isotropic;
    } cases[] = {
        {"a 16 x 16 sprite on 10 x 10 pixels", Quad(411.04f, 311.65f, 10, 0, 0, 10, 1, 1), 16, 16, true},
        {"a page one texel a pixel", Quad(-0.5f, -0.5f, 1024, 0, 0, 1024, 1, 1), 1024, 1024, true},
        {"a non-square texture at its own shape", Quad(0, 0, 256, 0, 0, 64, 1, 1), 256, 64, true},
        {"turned and mirrored at one scale", Quad(50, 50, 20 * turn, 20 * lean, 20 * lean, -20 * turn, 1, 1),
         32, 32, true},
        {"within the 1 % a probe count cannot see", Quad(0, 0, 100, 0, 0, 100.5f, 1, 1), 64, 64, true},
        {"one texel stretched over it all", Quad(0, 0, 100, 0, 0, 100, 0, 0), 64, 64, true},
        {"squeezed twice as much down", Quad(0, 0, 10, 0, 0, 5, 1, 1), 16, 16, false},
        {"a square texture on a wide quad", Quad(0, 0, 40, 0, 0, 10, 1, 1), 16, 16, false},
        {"sheared", Quad(0, 0, 10, 0, 5, 10, 1, 1), 16, 16, false},
        {"in perspective (rhw changes)", Quad(0, 0, 10, 0, 0, 10, 1, 1, 0.5f), 16, 16, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Isotropic(c.quad, c.width, c.height), c.isotropic) << c.name;
}

TEST(GlTextureFootprint, EveryTriangleMustBeIsotropic)
{
    // A list of a round sprite and a stretched one: one stretched triangle decides.
    std::vector<Vertex> round = Quad(0, 0, 10, 0, 0, 10, 1, 1), wide = Quad(20, 0, 40, 0, 0, 10, 1, 1);
    std::vector<Vertex> list = {round[0], round[1], round[2], round[1], round[3], round[2],
                                wide[0],  wide[1],  wide[2],  wide[1],  wide[3],  wide[2]};
    EXPECT_TRUE(IsotropicFootprint(list.data(), sizeof(Vertex), kFvf, D3DPT_TRIANGLELIST, 2, 0, 16, 16));
    EXPECT_FALSE(IsotropicFootprint(list.data(), sizeof(Vertex), kFvf, D3DPT_TRIANGLELIST, 4, 0, 16, 16));
    // A triangle with no area covers no pixel and has no say.
    std::vector<Vertex> flat = {round[0], round[1], {5, 0, 0.5f, 1, 0, 0, 9}};
    EXPECT_TRUE(IsotropicFootprint(flat.data(), sizeof(Vertex), kFvf, D3DPT_TRIANGLELIST, 1, 0, 16, 16));
}

TEST(GlTextureFootprint, LayoutsItCannotReadAreNotIsotropic)
{
    const std::vector<Vertex> quad = Quad(0, 0, 10, 0, 0, 10, 1, 1);
    EXPECT_FALSE(Isotropic(quad, 16, 16, 1)) << "a set the vertices do not have";
    EXPECT_FALSE(Isotropic(quad, 16, 16, 0, D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1))
        << "not pre-transformed";
    // Format bits 3 at bit 16: set 0 has one component.
    EXPECT_FALSE(Isotropic(quad, 16, 16, 0, kFvf | (3u << 16))) << "one-component coordinates";
    EXPECT_FALSE(Isotropic(quad, 0, 16)) << "no texture size";
    EXPECT_FALSE(IsotropicFootprint(quad.data(), sizeof(Vertex), kFvf, D3DPT_POINTLIST, 4, 0, 16, 16));
    EXPECT_FALSE(IsotropicFootprint(quad.data(), 8, kFvf, D3DPT_TRIANGLESTRIP, 2, 0, 16, 16))
        << "stride too short";
}
} // namespace
