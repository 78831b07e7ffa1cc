// The demo buggies drawn on the gl back-end with their textures: each model
// with a weapon on its mount, seen from the front left. The pictures show
// the buggy the right way up, painted in its own colour, with the barrel
// pointing along the nose.
#include "tests/tools/DemoBuggiesGlFixture.h"

#include <gtest/gtest.h>

namespace
{
using demogl::kSize;
using demogl::kSky;

class DemoBuggiesGlTest : public demogl::DemoBuggiesGlFixture
{
  protected:
    // Model m with its level-1 weapon of a type on the weapon mount.
    gfx::PresentedFrame DrawModel(int m, int32_t weaponType)
    {
        SetCamera();
        BuggyMesh& model = *system.models[size_t(m)]->mesh;
        const QV7_DataBase_MeshObject* weapon = nullptr;
        for (const QV7_DataBase_MeshObject* item : system.equipment)
            if (item->type == weaponType && !weapon)
                weapon = item;
        const AttachPoint& mount = weapon->attachPoints[m];
        D3DXMATRIX mountMatrix;
        D3DXMatrixRotationYawPitchRoll(&mountMatrix, mount.rotation[0], mount.rotation[1], mount.rotation[2]);
        mountMatrix._41 = mount.position[0], mountMatrix._42 = mount.position[1],
        mountMatrix._43 = mount.position[2];
        D3DXMatrixMultiply(&weapon->mesh->m_World, &mountMatrix, &model.m_World);
        const gfx::PresentedFrame frame = Frame(
            [&]
            {
                model.Draw(device, MESH_OBJECT_FVF);
                weapon->mesh->Draw(device, MESH_OBJECT_FVF);
            });
        Save(frame, "demo_buggy_" + std::to_string(m));
        return frame;
    }
};

// The share of the picture in the paint's dominant channel, and the share covered.
struct Coverage
{
    float covered = 0, painted = 0;
};

Coverage Measure(const gfx::PresentedFrame& frame, int channelShift)
{
    Coverage coverage;
    for (uint32_t pixel : frame.pixels)
    {
        if (pixel == kSky)
            continue;
        coverage.covered += 1;
        const int c = int((pixel >> channelShift) & 0xFF);
        const int others = int((pixel >> ((channelShift + 8) % 24)) & 0xFF) / 2 +
                           int((pixel >> ((channelShift + 16) % 24)) & 0xFF) / 2;
        if (c > others + 20)
            coverage.painted += 1;
    }
    const float total = float(frame.pixels.size());
    coverage.covered /= total;
    coverage.painted /= total;
    return coverage;
}

TEST_F(DemoBuggiesGlTest, EachModelFillsThePictureInItsOwnPaint)
{
    ASSERT_EQ(system.models.size(), 5u);
    ASSERT_EQ(textures.Count(), int(DemoBuggyTextureIds().size()));
    // Red, yellow (red and green), green, blue, orange (red).
    const int dominant[5] = {16, 8, 8, 0, 16};
    for (int m = 0; m < 5; ++m)
    {
        SCOPED_TRACE(m);
        const gfx::PresentedFrame frame = DrawModel(m, 1 + m % 5);
        const Coverage coverage = Measure(frame, dominant[m]);
        EXPECT_GT(coverage.covered, 0.15f);
        EXPECT_LT(coverage.covered, 0.9f) << "the buggy stands in the picture, not over it";
        EXPECT_GT(coverage.painted, 0.03f);
        // Above the middle is the cage and sky, not the ground-hugging chassis.
        EXPECT_EQ(frame.pixels[5 * kSize + 5], kSky);
    }
}
} // namespace
