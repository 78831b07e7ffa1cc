// Demo buggy meshes: boxes and prisms in model units, one material per
// subset; and their textures, painted by code.
#include "tools/demo/DemoBuggyMeshes.h"

#include "tools/writers/ImageWriters.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float kPi = 3.14159265f;

// Collects faces wound as the writer wants them: (b - a) x (c - a) outwards.
class MeshBuilder
{
  public:
    explicit MeshBuilder(uint32_t id) { m_Mesh.id = id; }

    void SetMaterial(uint32_t subset, uint32_t textureId)
    {
        if (m_Mesh.materials.size() <= subset)
            m_Mesh.materials.resize(subset + 1);
        m_Mesh.materials[subset].texture0Id = textureId;
    }

    void Box(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, uint32_t subset)
    {
        for (int axis = 0; axis < 3; ++axis)
            for (int side = 0; side < 2; ++side)
            {
                const int u = (axis + 1) % 3, v = (axis + 2) % 3;
                D3DXVECTOR3 normal(0, 0, 0), corner[4];
                (&normal.x)[axis] = side ? 1.0f : -1.0f;
                const int steps[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                for (int i = 0; i < 4; ++i)
                {
                    float* p = &corner[i].x;
                    p[axis] = side ? (&hi.x)[axis] : (&lo.x)[axis];
                    p[u] = steps[i][0] ? (&hi.x)[u] : (&lo.x)[u];
                    p[v] = steps[i][1] ? (&hi.x)[v] : (&lo.x)[v];
                }
                Quad(corner, normal, subset);
            }
    }

    // A prism of sides faces round an axis parallel to z, from z0 to z1.
    void PrismZ(float cx, float cy, float radius, float z0, float z1, int sides, uint32_t subset)
    {
        for (int i = 0; i < sides; ++i)
        {
            const float a0 = 2.0f * kPi * float(i) / float(sides),
                        a1 = 2.0f * kPi * float(i + 1) / float(sides);
            const float am = 0.5f * (a0 + a1);
            const D3DXVECTOR3 p0(cx + radius * std::cos(a0), cy + radius * std::sin(a0), 0.0f);
            const D3DXVECTOR3 p1(cx + radius * std::cos(a1), cy + radius * std::sin(a1), 0.0f);
            const D3DXVECTOR3 side[4] = {
                {p0.x, p0.y, z0}, {p1.x, p1.y, z0}, {p1.x, p1.y, z1}, {p0.x, p0.y, z1}};
            Quad(side, D3DXVECTOR3(std::cos(am), std::sin(am), 0.0f), subset);
            Triangle(D3DXVECTOR3(cx, cy, z0), side[1], side[0], D3DXVECTOR3(0, 0, z0 < z1 ? -1.0f : 1.0f),
                     subset);
            Triangle(D3DXVECTOR3(cx, cy, z1), side[3], side[2], D3DXVECTOR3(0, 0, z0 < z1 ? 1.0f : -1.0f),
                     subset);
        }
    }

    MeshObjectDescription Take() { return std::move(m_Mesh); }

  private:
    void Vertex(const D3DXVECTOR3& p, const D3DXVECTOR3& n, float u, float v)
    {
        m_Mesh.vertices.push_back({{p.x, p.y, p.z}, {n.x, n.y, n.z}, {u, v}});
    }

    bool Outward(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, const D3DXVECTOR3& normal)
    {
        D3DXVECTOR3 e1 = b - a, e2 = c - a, cross;
        D3DXVec3Cross(&cross, &e1, &e2);
        return D3DXVec3Dot(&cross, &normal) > 0.0f;
    }

    void Quad(const D3DXVECTOR3 (&corner)[4], const D3DXVECTOR3& normal, uint32_t subset)
    {
        const uint16_t base = uint16_t(m_Mesh.vertices.size());
        const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int i = 0; i < 4; ++i)
            Vertex(corner[i], normal, uv[i][0], uv[i][1]);
        const bool outward = Outward(corner[0], corner[1], corner[2], normal);
        const uint16_t b = outward ? 1 : 3, d = outward ? 3 : 1;
        m_Mesh.faces.push_back({base, uint16_t(base + b), uint16_t(base + 2), subset});
        m_Mesh.faces.push_back({base, uint16_t(base + 2), uint16_t(base + d), subset});
    }

    void Triangle(const D3DXVECTOR3& a, const D3DXVECTOR3& b, const D3DXVECTOR3& c, const D3DXVECTOR3& normal,
                  uint32_t subset)
    {
        const uint16_t base = uint16_t(m_Mesh.vertices.size());
        Vertex(a, normal, 0.5f, 0.5f);
        Vertex(b, normal, 0.5f + 0.5f * (b.x - a.x) / 200.0f, 0.5f + 0.5f * (b.y - a.y) / 200.0f);
        Vertex(c, normal, 0.5f + 0.5f * (c.x - a.x) / 200.0f, 0.5f + 0.5f * (c.y - a.y) / 200.0f);
        const bool outward = Outward(a, b, c, normal);
        m_Mesh.faces.push_back(
            {base, uint16_t(base + (outward ? 1 : 2)), uint16_t(base + (outward ? 2 : 1)), subset});
    }

    MeshObjectDescription m_Mesh;
};

D3DXVECTOR3 V(float x, float y, float z)
{
    return D3DXVECTOR3(x, y, z);
}

void AddWheels(MeshBuilder& mesh, const DemoBuggyShape& s)
{
    for (int wheel = 0; wheel < 4; ++wheel)
    {
        const D3DXVECTOR3 c = s.WheelCentre(wheel);
        mesh.SetMaterial(uint32_t(wheel), demo::kTyreId);
        mesh.PrismZ(c.x, c.y, demo::kWheelRadius, c.z - 60.0f, c.z + 60.0f, 14, uint32_t(wheel));
        // Hubs on both faces keep the subset's centre on the axle, where the
        // wheel's joint holds it.
        for (float side : {-1.0f, 1.0f})
            mesh.PrismZ(c.x, c.y, 45.0f, c.z + side * 60.0f, c.z + side * 72.0f, 8, uint32_t(wheel));
    }
}

void AddCage(MeshBuilder& mesh, const DemoBuggyShape& s)
{
    mesh.SetMaterial(4, demo::kMetalId);
    const float bar = 14.0f, front = s.seatX - 170.0f, back = s.seatX + 150.0f, half = s.width * 0.35f;
    for (float x : {front, back})
        for (float z : {-half, half})
            mesh.Box(V(x - bar, s.deckY, z - bar), V(x + bar, s.cageHeight, z + bar), 4);
    for (float z : {-half, half})
        mesh.Box(V(front - bar, s.cageHeight - bar, z - bar), V(back + bar, s.cageHeight + bar, z + bar), 4);
    for (float x : {front, back})
        mesh.Box(V(x - bar, s.cageHeight - bar, -half), V(x + bar, s.cageHeight + bar, half), 4);
    // The seat under the cage, its back to the tail.
    mesh.Box(V(s.seatX - 60.0f, s.floorY + 60.0f, -90.0f), V(s.seatX + 70.0f, s.seatY, 90.0f), 4);
    mesh.Box(V(s.seatX + 70.0f, s.floorY + 60.0f, -90.0f), V(s.seatX + 100.0f, s.seatY + 180.0f, 90.0f), 4);
}

void AddBodyParts(MeshBuilder& mesh, const DemoBuggyShape& s)
{
    const float nose = -s.length * 0.5f, tail = s.length * 0.5f;
    mesh.SetMaterial(5, demo::kMetalId); // bumper
    mesh.Box(V(nose - 60.0f, s.floorY + 20.0f, -s.width * 0.45f), V(nose, s.floorY + 90.0f, s.width * 0.45f),
             5);
    mesh.SetMaterial(6, s.paintId); // rear wing on two posts
    mesh.Box(V(tail - 160.0f, s.wingHeight, -s.width * 0.5f),
             V(tail + 20.0f, s.wingHeight + 20.0f, s.width * 0.5f), 6);
    for (float z : {-s.width * 0.3f, s.width * 0.3f})
        mesh.Box(V(tail - 90.0f, s.deckY, z - 10.0f), V(tail - 60.0f, s.wingHeight, z + 10.0f), 6);
    mesh.SetMaterial(7, demo::kChromeId); // engine block on the rear deck
    mesh.Box(V(s.seatX + 200.0f, s.deckY, -150.0f), V(tail - 180.0f, s.deckY + 110.0f, 150.0f), 7);
    mesh.SetMaterial(8, s.paintId); // mudguards over the wheels
    for (int wheel = 0; wheel < 4; ++wheel)
    {
        const D3DXVECTOR3 c = s.WheelCentre(wheel);
        const float top = c.y + demo::kWheelRadius + 25.0f;
        mesh.Box(V(c.x - 150.0f, top, c.z - 75.0f), V(c.x + 150.0f, top + 15.0f, c.z + 75.0f), 8);
    }
}

void AddChassis(MeshBuilder& mesh, const DemoBuggyShape& s)
{
    mesh.SetMaterial(9, s.paintId);
    const float nose = -s.length * 0.5f, tail = s.length * 0.5f, half = s.width * 0.5f;
    const float cockpitFront = s.seatX - 200.0f, cockpitBack = s.seatX + 180.0f;
    mesh.Box(V(nose, s.floorY, -half * 0.8f), V(cockpitFront, s.deckY - 40.0f, half * 0.8f), 9); // hood
    mesh.Box(V(cockpitFront, s.floorY, -half), V(cockpitBack, s.floorY + 60.0f, half), 9); // cockpit floor
    for (float z : {-half, half * 0.8f})                                                   // cockpit sides
        mesh.Box(V(cockpitFront, s.floorY + 60.0f, z), V(cockpitBack, s.deckY, z + half * 0.2f), 9);
    mesh.Box(V(cockpitBack, s.floorY, -half), V(tail, s.deckY, half), 9); // engine deck
}
} // namespace

D3DXVECTOR3 DemoBuggyShape::WheelCentre(int wheel) const
{
    const float x = wheel < 2 ? -wheelX : wheelX;
    const float z = (wheel == 0 || wheel == 3) ? trackZ : -trackZ;
    return D3DXVECTOR3(x, demo::kWheelRadius, z);
}

D3DXVECTOR3 DemoBuggyShape::WeaponMount() const
{
    return D3DXVECTOR3(seatX - 330.0f, deckY + 20.0f, 0.0f); // the foot stands on the hood
}

D3DXVECTOR3 DemoBuggyShape::ExhaustTip(int side) const
{
    return D3DXVECTOR3(length * 0.5f + 40.0f, deckY - 30.0f, side ? 180.0f : -180.0f);
}

DemoBuggyShape DemoBuggyShapeOf(int model)
{
    static const float lengths[5] = {1300, 1400, 1450, 1550, 1500};
    static const float widths[5] = {640, 700, 720, 780, 740};
    static const float decks[5] = {280, 300, 300, 320, 310};
    static const float wheelXs[5] = {460, 500, 520, 570, 540};
    // The seat table's places for the player figures on models 0-4.
    static const float seatXs[5] = {0, -15, 15, -15, 8};
    static const float seatYs[5] = {200, 170, 210, 170, 185};
    static const float cages[5] = {440, 460, 480, 500, 520};
    static const float wings[5] = {380, 420, 440, 470, 400};
    const int m = std::clamp(model, 0, 4);
    DemoBuggyShape shape;
    shape.length = lengths[m], shape.width = widths[m], shape.deckY = decks[m];
    shape.wheelX = wheelXs[m], shape.trackZ = widths[m] * 0.5f + 70.0f;
    shape.seatX = seatXs[m], shape.seatY = seatYs[m];
    shape.cageHeight = cages[m] + decks[m] - 300.0f, shape.wingHeight = wings[m];
    shape.paintId = demo::kBuggyPaintId + uint32_t(m);
    return shape;
}

MeshObjectDescription MakeDemoBuggyMesh(const DemoBuggyShape& shape, uint32_t id)
{
    MeshBuilder mesh(id);
    AddWheels(mesh, shape);
    AddCage(mesh, shape);
    AddBodyParts(mesh, shape);
    AddChassis(mesh, shape);
    return mesh.Take();
}

namespace
{
float LevelScale(int level)
{
    return 1.0f + 0.15f * float(level - 1);
}

// Barrel tips per type before the level's scale; the barrels run from z = 0 to the tip.
struct Barrel
{
    float x, y, radius, tip;
    int sides;
};

std::vector<Barrel> BarrelsOf(int type)
{
    switch (type)
    {
    case 1: // flamer: one wide nozzle
        return {{0, 0, 20, -170, 8}};
    case 2: // ice cannon: a thick short barrel
        return {{0, 0, 30, -150, 6}};
    case 3: // chain gun: three barrels round the spin axis
        return {{0, 18, 7, -190, 6}, {15.6f, -9, 7, -190, 6}, {-15.6f, -9, 7, -190, 6}};
    case 4: // cannon: two barrels side by side
        return {{-30, 0, 14, -210, 8}, {30, 0, 14, -210, 8}};
    default: // tesla coil: a spire
        return {{0, 0, 10, -130, 6}};
    }
}
} // namespace

std::vector<D3DXVECTOR3> DemoWeaponMuzzles(int type, int level)
{
    std::vector<D3DXVECTOR3> muzzles;
    for (const Barrel& barrel : BarrelsOf(type))
        muzzles.push_back(D3DXVECTOR3(barrel.x, barrel.y, barrel.tip) * LevelScale(level));
    return muzzles;
}

MeshObjectDescription MakeDemoWeaponMesh(int type, int level, uint32_t id)
{
    const float s = LevelScale(level);
    MeshBuilder mesh(id);
    mesh.SetMaterial(0, demo::kMetalId);
    for (const Barrel& b : BarrelsOf(type))
        mesh.PrismZ(b.x * s, b.y * s, b.radius * s, 0.0f, b.tip * s, b.sides, 0);
    if (type == 5) // the coil's rings
        for (int ring = 1; ring <= 3; ++ring)
            mesh.PrismZ(0, 0, (34.0f - 6.0f * float(ring)) * s, -float(ring) * 30.0f * s,
                        (-float(ring) * 30.0f - 10.0f) * s, 10, 0);
    mesh.SetMaterial(1, demo::kWeaponPaintId + uint32_t(type));
    mesh.Box(V(-45, -35, 0) * s, V(45, 35, 90) * s, 1);
    mesh.Box(V(-20, -60, 20) * s, V(20, -35, 60) * s, 1); // the mount foot
    return mesh.Take();
}

std::vector<D3DXVECTOR3> DemoExhaustEnds(int level)
{
    std::vector<D3DXVECTOR3> ends;
    for (int i = 0; i < std::min(2 * level, 6); ++i)
        ends.push_back(D3DXVECTOR3(60.0f, 20.0f * float(i / 2),
                                   (i % 2 ? 1.0f : -1.0f) * (120.0f + 40.0f * float(i / 2))));
    return ends;
}

MeshObjectDescription MakeDemoPartMesh(int type, int level, uint32_t id)
{
    const float s = LevelScale(level);
    MeshBuilder mesh(id);
    mesh.SetMaterial(0, type == 13 ? demo::kChromeId : demo::kPartPaintId);
    switch (type)
    {
    case 13: // exhaust pipes running back to their ends
        for (const D3DXVECTOR3& end : DemoExhaustEnds(level))
            mesh.Box(V(-120.0f, end.y - 12.0f, end.z - 12.0f), V(end.x, end.y + 12.0f, end.z + 12.0f), 0);
        break;
    case 14: // side bars
        for (float z : {-1.0f, 1.0f})
            mesh.Box(V(-300, -20, z * 400 - 15) * s, V(300, 20, z * 400 + 15) * s, 0);
        break;
    case 15: // front spoiler
        mesh.Box(V(-40, -10, -300) * s, V(40, 10, 300) * s, 0);
        break;
    // Turbo, repair kit and power cell ride inside the buggy: these shapes are
    // only seen in the shop.
    case 6: // a gas canister with its valve
        mesh.Box(V(-25, 0, -25) * s, V(25, 110, 25) * s, 0);
        mesh.Box(V(-12, 110, -12) * s, V(12, 126, 12) * s, 0);
        break;
    case 8: // a tool case with its handle
        mesh.Box(V(-55, 0, -35) * s, V(55, 60, 35) * s, 0);
        mesh.Box(V(-22, 60, -6) * s, V(22, 74, 6) * s, 0);
        break;
    case 10: // a battery with two terminals
        mesh.Box(V(-45, 0, -28) * s, V(45, 70, 28) * s, 0);
        for (float x : {-25.0f, 25.0f})
            mesh.Box(V(x - 7, 70, -7) * s, V(x + 7, 83, 7) * s, 0);
        break;
    default: // engine intake, alternator: a box on the deck
        mesh.Box(V(-60, 0, -60) * s, V(60, 80 + 20 * float(level), 60) * s, 0);
        break;
    }
    return mesh.Take();
}

namespace
{
uint32_t Shade(uint32_t argb, float f)
{
    auto channel = [&](int shift)
    { return uint32_t(std::clamp(float((argb >> shift) & 0xFF) * f, 0.0f, 255.0f)) << shift; };
    return 0xFF000000u | channel(16) | channel(8) | channel(0);
}

// A 64 x 64 picture: the base colour in a light noise, with an optional
// stripe along v (paint) or tread across it (tyres).
std::vector<uint8_t> Paint(uint32_t base, uint32_t stripe, bool tread)
{
    ImagePixels image;
    image.width = image.height = 64;
    uint32_t seed = base ^ (stripe * 7u) ^ (tread ? 0x55u : 0u);
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
        {
            seed = seed * 1103515245u + 12345u;
            const float noise = 0.9f + 0.2f * float((seed >> 16) & 0xFF) / 255.0f;
            uint32_t colour = base;
            if (stripe && x >= 26 && x < 38)
                colour = stripe;
            if (tread && (y / 4) % 2)
                colour = Shade(base, 0.6f);
            image.argb.push_back(Shade(colour, noise));
        }
    return WritePng(image, false);
}
} // namespace

std::vector<TextureContainerRecord> DemoBuggyTextures()
{
    using namespace demo;
    static const uint32_t paints[5] = {0xFFC03020, 0xFFE0B020, 0xFF30A040, 0xFF2050C0, 0xFFE07010};
    std::vector<TextureContainerRecord> records;
    for (uint32_t m = 0; m < 5; ++m)
        records.push_back({int32_t(kBuggyPaintId + m), Paint(paints[m], 0xFFF0F0F0, false)});
    records.push_back({int32_t(kTyreId), Paint(0xFF303030, 0, true)});
    records.push_back({int32_t(kMetalId), Paint(0xFF909098, 0, false)});
    records.push_back({int32_t(kChromeId), Paint(0xFFD0D0D8, 0xFFFFFFFF, false)});
    static const uint32_t weapons[5] = {0xFFD05020, 0xFF60C0E0, 0xFF505860, 0xFF607030, 0xFF8040C0};
    for (uint32_t type = 1; type <= 5; ++type)
        records.push_back({int32_t(kWeaponPaintId + type), Paint(weapons[type - 1], 0xFF202020, false)});
    records.push_back({int32_t(kPartPaintId), Paint(0xFF4070A0, 0, false)});
    return records;
}

std::vector<int32_t> DemoBuggyTextureIds()
{
    std::vector<int32_t> ids;
    for (const TextureContainerRecord& record : DemoBuggyTextures())
        ids.push_back(record.compileId);
    return ids;
}
