// Island 1 furnished, drawn on the gl back-end as a race frame draws it: the
// sky, the land, the static objects, the trees (near meshes and billboards
// through the "Trees" effect), the ferry and the water. From a chase camera
// behind the arch the arch's red beam stands over the track, with woods
// beside it; from above the furniture adds to the picture what the bare
// island lacks. With QV7_ISLAND_PICTURES set to a folder, the pictures are
// saved there as PNG.
#include "LandscapeTestSupport.h"
#include "WorldTestSupport.h"

#include "engine/QV7_Scene.h"
#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoPictures.h"
#include "tools/demo/DemoScenery.h"
#include "tools/demo/DemoSceneryMeshes.h"
#include "tools/demo/DemoWaypoints.h"
#include "world/QV7_Mesh_StaticObjects.h"
#include "world/QV7_PathFollowing.h"
#include "world/QV7_TreeVegetation.h"

#include <ode/ode.h>

#include <cstdlib>

namespace
{
using worldtest::Channel;
using worldtest::WaterKind;

class SceneryGlTest : public landscapetest::LandscapeFixture
{
  protected:
    SceneryGlTest()
    {
        width = 320;
        height = 240;
    }
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/qv7-scenery-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        data = std::string(pattern) + "/";
        std::vector<TextureContainerRecord> pictures = DemoWorldPictures();
        std::vector<int32_t> ids = DemoWorldPictureIds();
        for (TextureContainerRecord& picture : demo::SceneryPictures())
            pictures.push_back(std::move(picture));
        for (int32_t id : demo::SceneryPictureIds())
            ids.push_back(id);
        ASSERT_TRUE(demo::WriteDemoIslands(data, std::move(pictures), ids));
        ASSERT_TRUE(demo::WriteDemoScenery(data));
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(data, ignored);
    }
    void SetUp() override
    {
        LandscapeFixture::SetUp();
        windows->m_Settings.Detail = 1;
        dInitODE2(0);
        dVector3 centre = {160, 0, 160, 0}, extents = {400, 100, 400, 0};
        space = dQuadTreeSpaceCreate(nullptr, centre, extents, 6);
        dSpaceSetCleanup(space, 1);
        sky = std::make_unique<QV7_SkyDome>();
        water = std::make_unique<QV7_Water>();
        textures.Init();
        textures.LoadMapTextures(data + "Map1.tex", data + "Textures2.qvx", nullptr);
        LoadLandscapeMap(*g_landscape, data, 1, &textures);
        StaticGeomSink sink{space, &geoms};
        objects = std::make_unique<QV7_Mesh_StaticObjects>();
        objects->Load(data + "Map1.sob", g_device, &textures, sink);
        trees = std::make_unique<QV7_TreeVegetation>();
        trees->Load(data + "MapT1.trs", g_device, &textures, sink);
        paths = std::make_unique<QV7_PathFollowing>();
        paths->Load(data + "Map1.pf", g_device, &textures, sink);
        paths->UpdateFrame(0.0f);
        g_frameManager->m_LastFrameMs = 0.0f;
    }
    void TearDown() override
    {
        g_device->SetStreamSource(0, nullptr, 0, 0);
        g_device->SetIndices(nullptr);
        paths.reset();
        trees.reset();
        objects.reset();
        textures.Destroy();
        g_landscape->Unload();
        water.reset();
        sky.reset();
        dSpaceDestroy(space);
        dCloseODE();
        LandscapeFixture::TearDown();
    }
    // mirrored false leaves the furniture out of the reflection pass.
    gfx::PresentedFrame Frame(const std::string& name, bool furnished, WaterKind kind = WaterKind::Simple,
                              bool mirrored = true)
    {
        g_camera->UpdateProjection();
        g_camera->UpdateFrustum();
        // With reflective water the first call is the reflection pass.
        int reflection = kind == WaterKind::Reflective ? 1 : 0;
        auto furniture = [&]
        {
            if (furnished && (mirrored || !reflection))
            {
                objects->Render(reflection);
                trees->Render(reflection);
                if (!reflection)
                    objects->RenderBlended();
                paths->Render();
            }
            reflection = 0;
        };
        const gfx::PresentedFrame frame = worldtest::DrawIslandFrame(*sky, *water, kind, furniture);
        worldtest::SaveIslandPicture(frame, "furnished_island1_" + name);
        return frame;
    }
    static int Changed(const gfx::PresentedFrame& a, const gfx::PresentedFrame& b)
    {
        int changed = 0;
        for (size_t i = 0; i < a.pixels.size(); ++i)
            changed += worldtest::Distance(a.pixels[i], b.pixels[i]) > 24;
        return changed;
    }
    static std::string data;
    dSpaceID space = nullptr;
    std::vector<dGeomID> geoms;
    QV7_TextureList textures;
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
    std::unique_ptr<QV7_Mesh_StaticObjects> objects;
    std::unique_ptr<QV7_TreeVegetation> trees;
    std::unique_ptr<QV7_PathFollowing> paths;
};
std::string SceneryGlTest::data;

TEST_F(SceneryGlTest, FromAChaseCameraTheArchSpansTheTrackBetweenTheWoods)
{
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1, 100.0f);
    const size_t arch = track.size() / 4;
    const demo::TrackPoint behind = track[arch - 9], ahead = track[arch + 3];
    const float ground = g_landscape->GetHeight(behind.x, behind.z);
    worldtest::PlaceCamera({behind.x, ground + 260.0f, behind.z},
                           {ahead.x, g_landscape->GetHeight(ahead.x, ahead.z) + 150.0f, ahead.z});
    const gfx::PresentedFrame bare = Frame("chase_bare", false);
    const gfx::PresentedFrame seen = Frame("chase", true);
    EXPECT_GT(Changed(bare, seen), width * height / 50);
    // The beam, painted red, across the middle of the track ahead.
    const demo::TrackPoint at = track[arch];
    const D3DXVECTOR3 beam(at.x, g_landscape->GetHeight(at.x, at.z) + demo::kArchClearance + 50.0f, at.z);
    const uint32_t pixel = worldtest::PixelAt(seen, beam);
    EXPECT_GT(Channel(pixel, 16), Channel(pixel, 8) + 30) << std::hex << pixel;
}

TEST_F(SceneryGlTest, FromAboveTheFurnitureDressesTheIsland)
{
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1, 100.0f);
    const demo::TrackPoint at = track[track.size() / 4];
    const float ground = g_landscape->GetHeight(at.x, at.z);
    worldtest::PlaceCamera({at.x - 2500.0f, ground + 3500.0f, at.z - 2500.0f}, {at.x, ground, at.z});
    const gfx::PresentedFrame bare = Frame("above_bare", false);
    const gfx::PresentedFrame seen = Frame("above", true);
    EXPECT_GT(Changed(bare, seen), width * height / 30);
}

// Far woods are billboards: looking inland over the hills from the beach,
// green trees stand against the sky along the skyline and on the slopes.
TEST_F(SceneryGlTest, FarWoodsAreBillboards)
{
    const std::vector<demo::TrackPoint> track = demo::DemoTrackLine(1, 100.0f);
    const demo::TrackPoint at = track[track.size() / 4];
    const float ground = g_landscape->GetHeight(at.x, at.z);
    worldtest::PlaceCamera({at.x, ground + 900.0f, at.z}, {32768.0f, ground + 300.0f, 32768.0f});
    trees->m_Types[0]->nearDistance = trees->m_Types[1]->nearDistance = 10.0f; // every tree a billboard
    const gfx::PresentedFrame seen = Frame("woods_billboards", true);
    trees->m_TreesOff = 1;
    const gfx::PresentedFrame bare = Frame("woods_bare", true);
    EXPECT_GT(Changed(bare, seen), width * height / 100);
}

// The reflective water mirrors the ferry: the water under it changes when
// the reflection pass draws the furniture too.
TEST_F(SceneryGlTest, TheWaterMirrorsTheFerry)
{
    const D3DXVECTOR3 ferry = paths->m_Objects[0]->mesh.m_Position;
    worldtest::PlaceCamera({ferry.x - 2200.0f, 420.0f, ferry.z - 400.0f}, {ferry.x, 150.0f, ferry.z});
    const gfx::PresentedFrame bare = Frame("water_unmirrored", true, WaterKind::Reflective, false);
    const gfx::PresentedFrame seen = Frame("water_reflection", true, WaterKind::Reflective);
    int below = 0;
    // The hull's mirror image, under the waterline in the middle of the picture.
    for (int y = height / 2; y < height * 2 / 3; ++y)
        for (int x = 0; x < width; ++x)
        {
            const size_t i = size_t(y) * size_t(width) + size_t(x);
            below += worldtest::Distance(bare.pixels[i], seen.pixels[i]) > 24;
        }
    EXPECT_GT(below, width * height / 200);
}
} // namespace
