// A demo racer drawn the race's way on the gl back-end: the whole mesh in
// one pass, then subset by subset at body poses with its wheels turned, in
// black when wrecked, in the water's mirror image, and with a late part
// alpha-tested. The pictures keep the buggy's outline and paint; the black
// one keeps the outline with no paint; the mirror image, drawn upside down
// with flipped culling, covers as much as the upright one.
#include "race/QV7_Buggy.h"
#include "tests/tools/DemoBuggiesGlFixture.h"

#include <gtest/gtest.h>

namespace
{
using demogl::kSky;

constexpr int kModel = 2;

class BuggyRacerDrawingGlTest : public demogl::DemoBuggiesGlFixture
{
  protected:
    void SetUp() override
    {
        DemoBuggiesGlFixture::SetUp();
        g_buggyMeshSystem = &system;
        SetCamera();
        mesh = system.models[kModel]->mesh;
        world = mesh->m_World;
    }
    void TearDown() override
    {
        g_buggyMeshSystem = nullptr;
        DemoBuggiesGlFixture::TearDown();
    }
    // A wheel subset turned about its own centre: spun about the axle, the
    // front pair steered.
    D3DXMATRIX WheelPose(uint32_t subset, float spin, float steer) const
    {
        const D3DXVECTOR3 c = mesh->SubsetCentre(subset);
        D3DXMATRIX toCentre, roll, yaw, back, pose;
        D3DXMatrixTranslation(&toCentre, -c.x, -c.y, -c.z);
        D3DXMatrixRotationZ(&roll, spin);
        D3DXMatrixRotationY(&yaw, subset < 2 ? steer : 0.0f);
        D3DXMatrixTranslation(&back, c.x, c.y, c.z);
        D3DXMatrixMultiply(&pose, &toCentre, &roll);
        D3DXMatrixMultiply(&pose, &pose, &yaw);
        D3DXMatrixMultiply(&pose, &pose, &back);
        D3DXMatrixMultiply(&pose, &pose, &world);
        return pose;
    }
    // The racer as the physics group draws it: every subset at its pose.
    void DrawParts(const D3DXMATRIX& placed, int black, int mirrored, int lateAlphaTested)
    {
        for (uint32_t i = 0; i < mesh->m_SubsetCount; ++i)
        {
            D3DXMATRIX pose = i < 4 ? WheelPose(i, 0.6f, 0.35f) : world;
            D3DXMatrixMultiply(&pose, &pose, &placed);
            QV7_BuggyMeshSystem::RenderPhysicsGroup(*mesh, &racer, i, black, mirrored, 0,
                                                    lateAlphaTested && i == 4, pose);
        }
    }
    struct Look
    {
        int covered = 0, painted = 0, dark = 0;
    };
    static Look Measure(const gfx::PresentedFrame& frame)
    {
        Look look;
        for (uint32_t pixel : frame.pixels)
        {
            if (pixel == kSky)
                continue;
            ++look.covered;
            const int r = int((pixel >> 16) & 0xFF), g = int((pixel >> 8) & 0xFF), b = int(pixel & 0xFF);
            look.painted += g > r + 40 && g > b + 40; // model 2 is painted green
            look.dark += r + g + b < 30;
        }
        return look;
    }

    BuggyMesh* mesh = nullptr;
    D3DXMATRIX world;
    QV7_Buggy racer;
};

TEST_F(BuggyRacerDrawingGlTest, TheRacerKeepsItsShapeInEveryPass)
{
    D3DXMATRIX identity, mirror;
    D3DXMatrixIdentity(&identity);
    // The water's mirror: flipped about y = 0 and lowered below the surface line.
    D3DXMatrixScaling(&mirror, 1.0f, -1.0f, 1.0f);
    mirror._42 = 60.0f;

    const gfx::PresentedFrame whole =
        Frame([&] { system.models[kModel]->RenderPhysics(&racer, world, 0, 0, 0, 0.0f, 0); });
    const gfx::PresentedFrame parts = Frame([&] { DrawParts(identity, 0, 0, 0); });
    const gfx::PresentedFrame wrecked = Frame([&] { DrawParts(identity, 1, 0, 0); });
    const gfx::PresentedFrame late = Frame([&] { DrawParts(identity, 0, 0, 1); });
    const gfx::PresentedFrame mirrored = Frame([&] { DrawParts(mirror, 0, 1, 0); });
    const gfx::PresentedFrame wrongCull = Frame([&] { DrawParts(mirror, 0, 0, 0); });
    Save(whole, "racer_whole");
    Save(parts, "racer_parts");
    Save(wrecked, "racer_wrecked");
    Save(late, "racer_late");
    Save(mirrored, "racer_mirrored");
    Save(wrongCull, "racer_mirrored_unflipped");

    const Look w = Measure(whole), p = Measure(parts), k = Measure(wrecked), m = Measure(mirrored),
               u = Measure(wrongCull);
    EXPECT_GT(w.covered, int(demogl::kSize * demogl::kSize / 10));
    EXPECT_GT(w.painted, w.covered / 4) << "the model's own paint";
    // Turned wheels move a little of the outline, no more.
    EXPECT_NEAR(p.covered, w.covered, w.covered / 8);
    EXPECT_EQ(k.covered, p.covered) << "the wreck keeps the outline";
    EXPECT_EQ(k.painted, 0);
    EXPECT_GT(k.dark, k.covered * 9 / 10);
    // Flipped culling draws the outside of the mirror image, about as much as
    // the upright picture; unflipped, the insides show instead.
    EXPECT_NEAR(m.covered, p.covered, p.covered / 4);
    int changed = 0;
    for (size_t i = 0; i < mirrored.pixels.size(); ++i)
        changed += mirrored.pixels[i] != wrongCull.pixels[i];
    EXPECT_GT(changed, m.covered / 5);
    (void)u;
}
} // namespace
