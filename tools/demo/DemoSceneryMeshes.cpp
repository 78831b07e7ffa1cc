// The demo scenery's meshes and pictures.
#include "tools/demo/DemoSceneryMeshes.h"

#include "tools/demo/DemoNoise.h"
#include "tools/writers/ImageWriters.h"

#include <cmath>

namespace demo
{
namespace
{
constexpr float kPi = 3.14159265f;

MeshObjectMaterial Paint(uint32_t texture, float r, float g, float b)
{
    MeshObjectMaterial m;
    m.texture0Id = texture;
    m.material.Diffuse = {r, g, b, 1.0f};
    m.material.Ambient = {r * 0.8f, g * 0.8f, b * 0.8f, 1.0f};
    return m;
}

// One flat-shaded triangle, wound to face away from `inside`.
void Triangle(MeshObjectDescription& mesh, D3DXVECTOR3 a, D3DXVECTOR3 b, D3DXVECTOR3 c,
              const D3DXVECTOR3& inside, uint32_t subset, float uvScale = 1.0f / 200.0f)
{
    D3DXVECTOR3 n;
    D3DXVECTOR3 ab = b - a, ac = c - a;
    D3DXVec3Cross(&n, &ab, &ac);
    const D3DXVECTOR3 out = (a + b + c) / 3.0f - inside;
    if (D3DXVec3Dot(&n, &out) < 0.0f)
    {
        std::swap(b, c);
        n = -n;
    }
    D3DXVec3Normalize(&n, &n);
    const uint16_t first = uint16_t(mesh.vertices.size());
    // Planar texture coordinates along the face's two widest axes.
    const bool sideways = std::fabs(n.y) < 0.7f;
    for (const D3DXVECTOR3* p : {&a, &b, &c})
    {
        const float u = (std::fabs(n.x) > std::fabs(n.z) || !sideways ? p->z : p->x) * uvScale;
        const float v = (sideways ? -p->y : p->x) * uvScale;
        mesh.vertices.push_back({{p->x, p->y, p->z}, {n.x, n.y, n.z}, {u, v}});
    }
    mesh.faces.push_back({first, uint16_t(first + 1), uint16_t(first + 2), subset});
}

void Box(MeshObjectDescription& mesh, const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, uint32_t subset)
{
    const D3DXVECTOR3 centre = (lo + hi) * 0.5f;
    D3DXVECTOR3 c[8];
    for (int i = 0; i < 8; ++i)
        c[i] = D3DXVECTOR3(i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z);
    const int quads[6][4] = {{0, 1, 3, 2}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 3, 7, 5}};
    for (const auto& q : quads)
    {
        Triangle(mesh, c[q[0]], c[q[1]], c[q[2]], centre, subset);
        Triangle(mesh, c[q[0]], c[q[2]], c[q[3]], centre, subset);
    }
}

void Cone(MeshObjectDescription& mesh, const D3DXVECTOR3& base, float radius, float height, int segments,
          uint32_t subset)
{
    const D3DXVECTOR3 apex = base + D3DXVECTOR3(0, height, 0),
                      inside = base + D3DXVECTOR3(0, height * 0.3f, 0);
    for (int i = 0; i < segments; ++i)
    {
        const float a0 = 2 * kPi * float(i) / float(segments), a1 = 2 * kPi * float(i + 1) / float(segments);
        const D3DXVECTOR3 p0 = base + D3DXVECTOR3(radius * std::cos(a0), 0, radius * std::sin(a0));
        const D3DXVECTOR3 p1 = base + D3DXVECTOR3(radius * std::cos(a1), 0, radius * std::sin(a1));
        Triangle(mesh, apex, p0, p1, inside, subset);
        Triangle(mesh, base, p1, p0, base + D3DXVECTOR3(0, 1, 0), subset);
    }
}

ImagePixels Canvas(uint32_t width, uint32_t height)
{
    ImagePixels image;
    image.width = width, image.height = height;
    image.argb.assign(size_t(width) * height, 0);
    return image;
}

// A tiling picture: two colours mixed by noise, with optional stripes along v.
std::vector<uint8_t> Picture(uint32_t light, uint32_t dark, int stripes, uint32_t seed)
{
    ImagePixels image = Canvas(64, 64);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
        {
            float t = PeriodicFbm(float(x) / 16.0f, float(y) / 16.0f, 4, seed, 3) * 0.7f;
            if (stripes && (y % (64 / stripes)) < 2)
                t = 1.0f;
            const auto mix = [&](int shift)
            {
                const float l = float((light >> shift) & 0xFF), d = float((dark >> shift) & 0xFF);
                return uint32_t(l + (d - l) * std::fmin(std::fmax(t, 0.0f), 1.0f)) << shift;
            };
            image.argb[y * 64 + x] = 0xFF000000u | mix(16) | mix(8) | mix(0);
        }
    return WritePng(image, false);
}

// A tree seen from the side, the same in every cell of the 4 x 2 atlas;
// transparent round it. foliage(u, v) in the cell's 0..1 says where leaves are.
template <class Foliage> std::vector<uint8_t> TreeAtlas(uint32_t leaf, uint32_t leafDark, Foliage foliage)
{
    constexpr uint32_t kCell = 64;
    ImagePixels image = Canvas(kCell * 4, kCell * 2);
    for (uint32_t y = 0; y < kCell * 2; ++y)
        for (uint32_t x = 0; x < kCell * 4; ++x)
        {
            const float u = float(x % kCell) / kCell, v = float(y % kCell) / kCell;
            const float shade = ValueNoise(u * 12.0f, v * 12.0f, 7) * 0.5f + u * 0.5f;
            uint32_t colour = 0;
            if (foliage(u, v))
                colour = shade > 0.5f ? leafDark : leaf;
            else if (std::fabs(u - 0.5f) < 0.04f && v > 0.55f)
                colour = 0xFF5A3A1E; // the trunk
            image.argb[size_t(y) * image.width + x] = colour;
        }
    return WritePng(image, true);
}
} // namespace

MeshObjectDescription RockMesh(uint32_t id, uint32_t seed)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kRockPictureId, 0.85f, 0.85f, 0.8f)};
    constexpr int kRing = 7;
    D3DXVECTOR3 ring[kRing];
    for (int i = 0; i < kRing; ++i)
    {
        const float a = 2 * kPi * float(i) / kRing,
                    r = 110.0f + 60.0f * ValueNoise(float(i) * 3.1f, 0.5f, seed);
        ring[i] =
            D3DXVECTOR3(r * std::cos(a), 40.0f + 30.0f * ValueNoise(float(i), 9.0f, seed), r * std::sin(a));
    }
    const D3DXVECTOR3 top(20.0f, 150.0f + 40.0f * ValueNoise(3.0f, 3.0f, seed), -10.0f), bottom(0, -40, 0),
        inside(0, 50, 0);
    for (int i = 0; i < kRing; ++i)
    {
        Triangle(mesh, top, ring[i], ring[(i + 1) % kRing], inside, 0);
        Triangle(mesh, bottom, ring[(i + 1) % kRing], ring[i], inside, 0);
    }
    return mesh;
}

MeshObjectDescription HutMesh(uint32_t id)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kWoodPictureId, 1, 0.95f, 0.9f), Paint(kThatchPictureId, 1, 1, 0.9f)};
    Box(mesh, D3DXVECTOR3(-180, -20, -150), D3DXVECTOR3(180, 220, 150), 0);
    Box(mesh, D3DXVECTOR3(-40, 0, -156), D3DXVECTOR3(40, 150, -150), 0); // the door
    Cone(mesh, D3DXVECTOR3(0, 220, 0), 300.0f, 220.0f, 4, 1);
    return mesh;
}

MeshObjectDescription CrateMesh(uint32_t id)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kWoodPictureId, 0.9f, 0.75f, 0.55f)};
    Box(mesh, D3DXVECTOR3(-60, 0, -60), D3DXVECTOR3(60, 120, 60), 0);
    return mesh;
}

MeshObjectDescription ArchMesh(uint32_t id, float spanWidth)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kWoodPictureId, 0.8f, 0.6f, 0.45f), Paint(kThatchPictureId, 0.9f, 0.3f, 0.2f)};
    const float h = spanWidth * 0.5f;
    for (float x : {-h, h})
        Box(mesh, D3DXVECTOR3(x - 40, -60, -40), D3DXVECTOR3(x + 40, kArchClearance + 80, 40), 0);
    Box(mesh, D3DXVECTOR3(-h - 90, kArchClearance, -50), D3DXVECTOR3(h + 90, kArchClearance + 100, 50), 1);
    return mesh;
}

MeshObjectDescription TargetMesh(uint32_t id, float power)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kTargetPictureId, 1, 1, 1), Paint(kWoodPictureId, 0.8f, 0.7f, 0.5f)};
    mesh.materials[0].material.Power = power;
    Box(mesh, D3DXVECTOR3(-90, 120, -10), D3DXVECTOR3(90, 300, 10), 0);
    Box(mesh, D3DXVECTOR3(-15, -40, -15), D3DXVECTOR3(15, 120, 15), 1);
    return mesh;
}

MeshObjectDescription PineMesh(uint32_t id)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kWoodPictureId, 0.55f, 0.4f, 0.3f), Paint(kNeedlesPictureId, 1, 1, 1)};
    Box(mesh, D3DXVECTOR3(-25, -30, -25), D3DXVECTOR3(25, 260, 25), 0);
    Cone(mesh, D3DXVECTOR3(0, 180, 0), 240.0f, 380.0f, 8, 1);
    Cone(mesh, D3DXVECTOR3(0, 420, 0), 180.0f, 320.0f, 8, 1);
    Cone(mesh, D3DXVECTOR3(0, 640, 0), 110.0f, kPineHeight - 640.0f, 8, 1);
    return mesh;
}

MeshObjectDescription PalmMesh(uint32_t id)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kWoodPictureId, 0.75f, 0.6f, 0.4f), Paint(kPalmLeafPictureId, 1, 1, 1)};
    // A leaning trunk of stacked blocks.
    for (int i = 0; i < 6; ++i)
    {
        const float y = float(i) * 110.0f, lean = float(i * i) * 4.0f;
        Box(mesh, D3DXVECTOR3(lean - 22, y - 10, -22), D3DXVECTOR3(lean + 22, y + 115, 22), 0);
    }
    const D3DXVECTOR3 crown(100, 660, 0);
    for (int i = 0; i < 6; ++i)
    {
        const float a = 2 * kPi * float(i) / 6.0f;
        const D3DXVECTOR3 tip = crown + D3DXVECTOR3(340 * std::cos(a), -150, 340 * std::sin(a));
        const D3DXVECTOR3 side(-60 * std::sin(a), 25, 60 * std::cos(a));
        Triangle(mesh, crown, tip, crown + side, crown + D3DXVECTOR3(0, -200, 0), 1);
        Triangle(mesh, crown, crown - side, tip, crown + D3DXVECTOR3(0, -200, 0), 1);
    }
    mesh.materials[1].words[MESH_WORD_CULLMODE] = 1; // leaves seen from both sides
    return mesh;
}

MeshObjectDescription FerryMesh(uint32_t id)
{
    MeshObjectDescription mesh;
    mesh.id = id;
    mesh.materials = {Paint(kHullPictureId, 1, 1, 1), Paint(kWoodPictureId, 0.9f, 0.8f, 0.6f)};
    Box(mesh, D3DXVECTOR3(-260, -80, -520), D3DXVECTOR3(260, 40, 520), 0);  // the hull
    Box(mesh, D3DXVECTOR3(-250, 40, -500), D3DXVECTOR3(250, 60, 500), 1);   // the deck
    Box(mesh, D3DXVECTOR3(-120, 60, 260), D3DXVECTOR3(120, 240, 460), 0);   // the wheelhouse
    Box(mesh, D3DXVECTOR3(-260, 60, -520), D3DXVECTOR3(-240, 110, 200), 1); // rails
    Box(mesh, D3DXVECTOR3(240, 60, -520), D3DXVECTOR3(260, 110, 200), 1);
    return mesh;
}

std::vector<TextureContainerRecord> SceneryPictures()
{
    const auto pine = [](float u, float v)
    {
        const float half = 0.45f * v; // a cone widening downwards to v 0.75
        return v > 0.05f && v < 0.8f && std::fabs(u - 0.5f) < half;
    };
    const auto palm = [](float u, float v)
    {
        const float dx = u - 0.55f, dy = v - 0.22f;
        return dx * dx * 0.8f + dy * dy * 3.5f < 0.06f && v > 0.05f;
    };
    return {{kRockPictureId, Picture(0xFF9A968C, 0xFF55524A, 0, 11)},
            {kWoodPictureId, Picture(0xFFA87A4C, 0xFF6A4526, 8, 12)},
            {kThatchPictureId, Picture(0xFFD8B860, 0xFF8E7030, 16, 13)},
            {kPineBillboardId, TreeAtlas(0xFF2E6B30, 0xFF1C4A20, pine)},
            {kPalmBillboardId, TreeAtlas(0xFF5AA040, 0xFF357028, palm)},
            {kNeedlesPictureId, Picture(0xFF2E6B30, 0xFF163A18, 0, 14)},
            {kPalmLeafPictureId, Picture(0xFF62A848, 0xFF2E6A22, 0, 15)},
            {kTargetPictureId, Picture(0xFFE8E8E0, 0xFFC02020, 4, 16)},
            {kHullPictureId, Picture(0xFFF0F0F0, 0xFF2050A0, 2, 17)}};
}

std::vector<int32_t> SceneryPictureIds()
{
    return {kRockPictureId,    kWoodPictureId,     kThatchPictureId, kPineBillboardId, kPalmBillboardId,
            kNeedlesPictureId, kPalmLeafPictureId, kTargetPictureId, kHullPictureId};
}
} // namespace demo
