// The sky box on the null device: its faces look inward and map their atlas
// regions, its placement in the normal and the reflection pass, and the states
// of its draw (unfogged, no depth test, the pass's culling).
#include "WorldTestSupport.h"
#include "engine/QV7_Scene.h"
#include "world/QV7_SkyDome.h"

namespace
{
using worldtest::MissingInOrder;

D3DXVECTOR3 Position(const QV7_SkyDome::Vertex& v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

TEST(SkyDomeGeometry, EveryTriangleFacesTheCentreAndTheBoxHasNoBottom)
{
    QV7_SkyDome::Vertex v[QV7_SkyDome::kVertexCount];
    QV7_SkyDome::FillVertices(v, 22000.0f);
    for (int t = 0; t < QV7_SkyDome::kTriangleCount; ++t)
    {
        const WORD* i = &QV7_SkyDome::kIndices[t * 3];
        const D3DXVECTOR3 a = Position(v[i[0]]), b = Position(v[i[1]]), c = Position(v[i[2]]);
        D3DXVECTOR3 ab = b - a, ac = c - a, normal;
        D3DXVec3Cross(&normal, &ab, &ac);
        const D3DXVECTOR3 centroid = (a + b + c) / 3.0f;
        // Clockwise seen from inside: the left-handed normal points back to the centre.
        EXPECT_LT(D3DXVec3Dot(&normal, &centroid), 0.0f) << "triangle " << t;
        // No face lies on the bottom (y = -S everywhere).
        EXPECT_FALSE(a.y < 0 && b.y < 0 && c.y < 0 && a.y == b.y && b.y == c.y) << "triangle " << t;
        for (int k = 0; k < 3; ++k)
        {
            const QV7_SkyDome::Vertex& p = v[i[k]];
            if (t < 2) // the top face: the lower left quarter of the atlas
            {
                EXPECT_TRUE(p.u <= 0.5f && p.v >= 0.499f) << "triangle " << t;
                EXPECT_EQ(p.y, 22000.0f);
            }
            else // the sides stay inside their half of the atlas' upper half
                EXPECT_LE(p.v, 0.5f) << "triangle " << t;
        }
    }
}

class SkyDomeTest : public enginetest::EngineFixture
{
  protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        Start();
        sky = std::make_unique<QV7_SkyDome>();
        texture = worldtest::SolidTexture(0xFF4080C0);
        sky->m_Texture = texture.get();
    }
    void TearDown() override
    {
        sky.reset();
        texture.reset();
        EngineFixture::TearDown();
    }
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<TextureRecord> texture;
};

TEST_F(SkyDomeTest, PlacementFollowsTheEyeAndClampsTheReflectionAgainstTheWater)
{
    struct Case
    {
        float waterLevel, eyeY;
        int reflection, reflectionMode;
        float centreY;
    };
    const Case cases[] = {
        {0.0f, 1000.0f, 0, 0, 1000.0f},  {0.0f, 1000.0f, 1, 0, 0.0f},     {0.0f, 5000.0f, 1, 0, -1205.0f},
        {200.0f, 3995.0f, 1, 0, 200.0f}, {200.0f, 3996.0f, 1, 0, 199.0f}, {0.0f, 5000.0f, 0, 1, -1205.0f},
        {200.0f, 100.0f, 1, 0, 200.0f},
    };
    for (const Case& c : cases)
    {
        sky->m_WaterLevel = c.waterLevel;
        sky->m_ReflectionMode = c.reflectionMode;
        const D3DXVECTOR3 centre = sky->Centre(D3DXVECTOR3(10.0f, c.eyeY, -20.0f), c.reflection);
        EXPECT_FLOAT_EQ(centre.y, c.centreY) << c.eyeY << " pass " << c.reflection;
        EXPECT_EQ(centre.x, 10.0f);
        EXPECT_EQ(centre.z, -20.0f);
    }
}

TEST_F(SkyDomeTest, DrawsUnfoggedWithoutDepthTestAndCullsByPass)
{
    g_scene->SetRenderState(TRUE, D3DRS_FOGENABLE);
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    worldtest::PlaceCamera(D3DXVECTOR3(100.0f, 50.0f, 200.0f), D3DXVECTOR3(100.0f, 50.0f, 300.0f));
    for (int reflection = 0; reflection < 2; ++reflection)
    {
        gfx::null::ClearCalls();
        sky->Render(reflection);
        const std::string cull = reflection ? "SetRenderState(22,2)" : "SetRenderState(22,3)";
        EXPECT_EQ(MissingInOrder({"SetRenderState(7,0)", "SetTransform(256,1,0,0,0,0,1,0,0,0,0,1,0,100,",
                                  "SetRenderState(137,0)", "SetRenderState(28,0)", cull, "SetFVF(258)",
                                  "SetTexture(0,", "SetStreamSource(0,", "SetIndices(",
                                  "DrawIndexedPrimitive(4,0,0,28,0,18)", "SetRenderState(7,1)",
                                  "SetRenderState(28,1)"}),
                  "")
            << "pass " << reflection;
    }
    // The work space gave every state back.
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
    EXPECT_EQ(g_scene->GetRenderState(D3DRS_FOGENABLE), DWORD(TRUE));
}

TEST_F(SkyDomeTest, DisabledDrawsNothingInEitherPassAndTheLastSkyIsPublished)
{
    EXPECT_EQ(g_skyDome, sky.get());
    sky->m_Enabled = 0;
    gfx::null::ClearCalls();
    sky->Render(0);
    sky->Render(1);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive"), 0u);
    // The camera marks the view changed for the sky.
    sky->m_ViewChanged = 0;
    g_camera->SetEye(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(sky->m_ViewChanged, 1);
    sky.reset();
    EXPECT_EQ(g_skyDome, nullptr);
}
} // namespace
