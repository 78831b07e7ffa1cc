// The water on the null device: what the settings and the device caps switch
// on, the grid and its strip, the mirror plane and the clipping projection,
// the animation's wrap, the order of each draw, and device loss.
#include "WorldTestSupport.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Scene.h"
#include "shell/QV7_Windows.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include "platform/gfx/Resources.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace
{
using worldtest::MissingInOrder;
using worldtest::PlaceCamera;

std::vector<QV7_Water::Vertex> ReadGrid(const QV7_Water& water)
{
    std::vector<QV7_Water::Vertex> grid(QV7_Water::kVertexCount);
    void* data = nullptr;
    if (water.m_GridVertices && SUCCEEDED(water.m_GridVertices->Lock(0, 0, &data, D3DLOCK_READONLY)))
    {
        std::memcpy(grid.data(), data, grid.size() * sizeof grid[0]);
        water.m_GridVertices->Unlock();
    }
    return grid;
}

class WaterTest : public enginetest::EngineFixture
{
  protected:
    void TearDown() override
    {
        water.reset();
        sky.reset();
        first.reset();
        second.reset();
        EngineFixture::TearDown();
    }
    void Make(int detail, int forceReflective = 0, int forceRipples = 0, DWORD extraTextureCaps = 0,
              DWORD clipPlanes = 6)
    {
        windows->m_Settings.Debug = 1; // the log lines
        windows->m_Settings.Detail = detail;
        windows->m_Settings.force_ReflectiveWater = forceReflective;
        windows->m_Settings.force_WaterRiples = forceRipples;
        gfx::null::Settings().adapters[0].caps.TextureCaps |= extraTextureCaps;
        gfx::null::Settings().adapters[0].caps.MaxUserClipPlanes = clipPlanes;
        Start();
        sky = std::make_unique<QV7_SkyDome>();
        water = std::make_unique<QV7_Water>();
        first = worldtest::SolidTexture(0xFF2060A0);
        second = worldtest::SolidTexture(0xFF808080);
        water->m_FirstTexture = first.get();
        water->m_SecondTexture = second.get();
    }
    static std::string Name(IDirect3DBaseTexture9* texture) { return gfx::ResourceName(texture); }
    std::unique_ptr<QV7_SkyDome> sky;
    std::unique_ptr<QV7_Water> water;
    std::unique_ptr<TextureRecord> first, second;
};

TEST_F(WaterTest, SettingsAndCapsDecideReflectionRipplesAndClipping)
{
    struct Case
    {
        int detail, forceReflective, forceRipples;
        bool noProjectedBump;
        DWORD clipPlanes;
        bool surface;
        int ripples;
        const char* log;
    };
    const char* const kBump = "Info: Environment Bumpmapping Luminance Supported";
    const char* const kNoBump = "Info: Bumpmap effects not supported";
    const Case cases[] = {
        {-1, 0, 0, false, 6, false, 0, kBump}, {0, 0, 0, false, 6, false, 0, kBump},
        {1, 0, 0, false, 6, true, 0, kBump},   {2, 0, 0, false, 6, true, 1, kBump},
        {0, 1, 0, false, 6, true, 0, kBump},   {0, 2, 0, false, 6, false, 0, kBump},
        {0, 0, 1, false, 6, false, 1, kBump},  {-1, 1, 3, false, 0, true, 1, kBump},
        {2, 0, 0, true, 6, true, 0, kNoBump},  {0, 1, 1, true, 0, true, 0, kNoBump},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "detail " << c.detail << " reflective " << c.forceReflective
                                        << " ripples " << c.forceRipples << " no bump " << c.noProjectedBump);
        TearDown();
        SetUp();
        Make(c.detail, c.forceReflective, c.forceRipples,
             c.noProjectedBump ? DWORD(D3DPTEXTURECAPS_NOPROJECTEDBUMPENV) : 0u, c.clipPlanes);
        EXPECT_EQ(water->m_Reflection != nullptr, c.surface);
        EXPECT_EQ(QV7_Water::ReflectionsEnabled(), c.surface);
        EXPECT_EQ(g_renderSurfaces->count, c.surface ? 1 : 0);
        EXPECT_EQ(water->m_Ripples, c.ripples);
        EXPECT_EQ(water->m_HasClipPlane, c.clipPlanes ? 1 : 0);
        EXPECT_TRUE(enginetest::Logged(c.log));
        EXPECT_EQ(water->m_WaterLevel, 200.0f);
        EXPECT_EQ(g_water, water.get());
        if (c.surface)
        {
            // The reflection surface is 512 square and leaves the list with the water.
            EXPECT_EQ(water->m_Reflection->m_Width, 512);
            water.reset();
            EXPECT_EQ(g_renderSurfaces->count, 0);
            EXPECT_EQ(g_water, nullptr);
        }
    }
}

TEST_F(WaterTest, GridCoversTheCellsAroundTheCameraAtTheLevelAndTellsTheSky)
{
    Make(0);
    water->m_WaterLevel = 321.5f;
    water->BuildSurface();
    EXPECT_EQ(sky->m_WaterLevel, 321.5f);
    const std::vector<QV7_Water::Vertex> grid = ReadGrid(*water);
    for (uint32_t k = 0; k < QV7_Water::kVertexCount; ++k)
    {
        const int c = int(k % 17), r = int(k / 17);
        EXPECT_EQ(grid[k].x, 4096.0f * float(c - 8)) << k;
        EXPECT_EQ(grid[k].y, 321.5f) << k;
        EXPECT_EQ(grid[k].z, -32768.0f + 4096.0f * float(r)) << k;
    }
    // The strip: 574 triangles, 62 of them joints, the rest cover each of the
    // 256 cells with two triangles.
    WORD indices[QV7_Water::kIndexCount];
    void* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(water->m_GridIndices->Lock(0, 0, &data, D3DLOCK_READONLY)));
    std::memcpy(indices, data, sizeof indices);
    water->m_GridIndices->Unlock();
    int degenerate = 0;
    std::map<int, int> cells;
    for (UINT t = 0; t < QV7_Water::kStripTriangles; ++t)
    {
        const int a = indices[t], b = indices[t + 1], c = indices[t + 2];
        if (a == b || b == c || a == c)
        {
            ++degenerate;
            continue;
        }
        const int row = std::min({a, b, c}) / 17, column = std::min({a % 17, b % 17, c % 17});
        ++cells[row * 16 + column];
    }
    EXPECT_EQ(degenerate, 62);
    EXPECT_EQ(cells.size(), 256u);
    for (const auto& [cell, triangles] : cells)
        EXPECT_EQ(triangles, 2) << cell;
}

TEST_F(WaterTest, MirrorPlaneSitsAboveTheWaterUnlessOnlyTheProjectionCanClip)
{
    struct Case
    {
        DWORD clipPlanes;
        float eyeAboveWater, offset;
    };
    const Case cases[] = {{6, 1.0f, -18.0f},   {6, -50.0f, -18.0f}, {0, 18.0f, -18.0f},
                          {0, 500.0f, -18.0f}, {0, 17.9f, 15.0f},   {0, 0.0f, 15.0f}};
    for (const Case& c : cases)
    {
        TearDown();
        SetUp();
        Make(1, 0, 0, 0, c.clipPlanes);
        EXPECT_EQ(water->MirrorPlaneOffset(200.0f + c.eyeAboveWater), c.offset)
            << c.clipPlanes << " " << c.eyeAboveWater;
    }
}

TEST_F(WaterTest, ReflectionPassMirrorsTheViewDrawsTheSkyAndClipsAtThePlane)
{
    Make(1);
    PlaceCamera(D3DXVECTOR3(0.0f, 600.0f, 0.0f), D3DXVECTOR3(0.0f, 500.0f, 1000.0f));
    const D3DXMATRIX ownView = g_camera->m_View;
    // Seen by the eye only, and by its mirror image only.
    const D3DXVECTOR3 high(0.0f, 700.0f, 1000.0f), low(0.0f, -300.0f, 1000.0f);
    EXPECT_TRUE(QV7_Camera::IsSphereVisible(&g_camera->m_World, &high, g_camera, 1.0f));
    EXPECT_FALSE(QV7_Camera::IsSphereVisible(&g_camera->m_World, &low, g_camera, 1.0f));
    gfx::null::ClearCalls();
    water->BeginReflection();
    // The frustum was rebuilt from the mirrored view, the view itself kept.
    EXPECT_EQ(g_camera->m_View, ownView);
    EXPECT_FALSE(QV7_Camera::IsSphereVisible(&g_camera->m_World, &high, g_camera, 1.0f));
    EXPECT_TRUE(QV7_Camera::IsSphereVisible(&g_camera->m_World, &low, g_camera, 1.0f));
    water->EndReflection();
    EXPECT_EQ(MissingInOrder({"SetRenderTarget(0,", "Clear(", "SetTransform(2,",
                              "DrawIndexedPrimitive(4,0,0,28,0,18)", "SetClipPlane(0,0,1,0,-218)",
                              "SetRenderState(152,1)", "SetRenderTarget(0,", "SetRenderState(152,0)",
                              "SetTransform(2,", "SetTransform(3,"}),
              "");
    EXPECT_TRUE(QV7_Camera::IsSphereVisible(&g_camera->m_World, &high, g_camera, 1.0f));
}

TEST_F(WaterTest, WithoutClipPlanesTheProjectionClipsAndIsPutBack)
{
    Make(1, 0, 0, 0, 0);
    PlaceCamera(D3DXVECTOR3(0.0f, 600.0f, 0.0f), D3DXVECTOR3(0.0f, 500.0f, 1000.0f));
    gfx::null::ClearCalls();
    water->BeginReflection();
    D3DXMATRIX projection;
    g_device->GetTransform(D3DTS_PROJECTION, &projection);
    EXPECT_NE(projection, g_camera->m_Projection);
    water->EndReflection();
    g_device->GetTransform(D3DTS_PROJECTION, &projection);
    EXPECT_EQ(projection, g_camera->m_Projection);
    EXPECT_EQ(gfx::null::CountCalls("SetClipPlane"), 0u);
    EXPECT_EQ(gfx::null::CountCalls("SetRenderState(152,"), 0u);
}

TEST(WaterObliqueProjection, ThePlaneBecomesTheNearPlaneOfTheMirroredView)
{
    D3DXMATRIX view, projection, reflect, mirrored;
    const D3DXVECTOR3 eye(0.0f, 600.0f, 0.0f), at(0.0f, 500.0f, 1000.0f), up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.9f, 4.0f / 3.0f, 1.0f, 40000.0f);
    const D3DXVECTOR3 point(0.0f, 218.0f, 0.0f);
    D3DXPLANE plane;
    D3DXPlaneFromPointNormal(&plane, &point, &up);
    D3DXMatrixReflect(&reflect, &plane);
    D3DXMatrixMultiply(&mirrored, &reflect, &view);
    const D3DXMATRIX oblique = QV7_Water::ObliqueProjection(plane, mirrored, projection);
    D3DXMATRIX toClip;
    D3DXMatrixMultiply(&toClip, &mirrored, &oblique);
    auto clipZ = [&](float x, float y, float z)
    {
        D3DXVECTOR4 out;
        const D3DXVECTOR3 p(x, y, z);
        D3DXVec3Transform(&out, &p, &toClip);
        return out.z;
    };
    // Points on the plane land on the near plane, below it they are clipped, above it kept.
    EXPECT_NEAR(clipZ(100.0f, 218.0f, 900.0f), 0.0f, 1e-3f);
    EXPECT_NEAR(clipZ(-300.0f, 218.0f, 3000.0f), 0.0f, 1e-3f);
    EXPECT_LT(clipZ(0.0f, 100.0f, 1000.0f), 0.0f);
    EXPECT_GT(clipZ(0.0f, 400.0f, 1000.0f), 0.0f);

    // A plane through the eye's own clip-space origin leaves the projection alone.
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXPLANE through(0.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_EQ(QV7_Water::ObliqueProjection(through, identity, identity), identity);
}

TEST_F(WaterTest, AnimationWrapsAtEachPathsRate)
{
    Make(1);
    PlaceCamera(D3DXVECTOR3(0.0f, 600.0f, 0.0f), D3DXVECTOR3(0.0f, 500.0f, 1000.0f));
    struct Case
    {
        bool reflective;
        float ms, time;
    };
    // 2 pi / 0.0005 = 12566.37; 2 pi / 0.00015 = 41887.9.
    const Case cases[] = {{false, 12566.0f, 12566.0f},
                          {false, 12567.0f, 0.0f},
                          {true, 41887.0f, 41887.0f},
                          {true, 41888.0f, 0.0f}};
    for (const Case& c : cases)
    {
        water->m_AnimationTime = 0.0f;
        g_frameManager->m_LastFrameMs = c.ms;
        c.reflective ? water->RenderReflective() : water->RenderSimple();
        EXPECT_EQ(water->m_AnimationTime, c.time) << c.ms;
    }
}

TEST_F(WaterTest, SimpleDrawLaysTheTextureTwiceAndSwitchesTheSunOffAroundTheGrid)
{
    Make(0);
    PlaceCamera(D3DXVECTOR3(0.0f, 600.0f, 0.0f), D3DXVECTOR3(0.0f, 500.0f, 1000.0f));
    // The map's fog: on, red.
    g_landscape->m_Fog[0] = TRUE;
    g_landscape->m_Fog[1] = 0xFFFF0000;
    gfx::null::ClearCalls();
    water->RenderSimple();
    const std::string tex = Name(first->m_Texture);
    EXPECT_EQ(MissingInOrder(
                  {"SetTextureStageState(0,24,2)", "SetTextureStageState(0,11,131072)", "SetTransform(16,",
                   "SetTextureStageState(1,24,2)", "SetTransform(17,", "SetRenderState(22,1)",
                   "SetTexture(0," + tex + ")", "SetTexture(1," + tex + ")", "SetTextureStageState(1,1,8)",
                   "SetTransform(256,", "SetFVF(18)", "SetMaterial(1,1,1,0.6,", "SetTextureStageState(1,4,4)",
                   "SetRenderState(27,1)", "SetRenderState(19,5)", "SetRenderState(20,6)", "LightEnable(0,0)",
                   "DrawIndexedPrimitive(5,0,0,289,0,574)", "LightEnable(0,1)"}),
              "");
    // Without its texture the water is not drawn.
    water->m_FirstTexture = nullptr;
    gfx::null::ClearCalls();
    water->RenderSimple();
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive"), 0u);
}

TEST_F(WaterTest, ReflectiveDrawProjectsTheSurfaceOnTheStageAfterTheRipples)
{
    for (int ripples = 0; ripples < 2; ++ripples)
    {
        TearDown();
        SetUp();
        Make(ripples ? 2 : 1);
        ASSERT_EQ(water->m_Ripples, ripples);
        PlaceCamera(D3DXVECTOR3(0.0f, 600.0f, 0.0f), D3DXVECTOR3(0.0f, 500.0f, 1000.0f));
        gfx::null::ClearCalls();
        water->RenderReflective();
        const std::string s = std::to_string(ripples);
        const std::string surface = Name(water->m_Reflection->m_Texture);
        std::vector<std::string> order = {"SetRenderState(15,0)",
                                          "SetRenderState(19,3)",
                                          "SetTextureStageState(" + s + ",24,259)",
                                          "SetTextureStageState(" + s + ",11,131073)",
                                          "SetSamplerState(" + s + ",1,3)",
                                          "SetSamplerState(" + s + ",2,3)"};
        if (ripples)
            for (const char* step :
                 {"SetTexture(0,", "SetTransform(16,", "SetTextureStageState(0,7,1034147594)",
                  "SetTextureStageState(0,23,1120403456)", "SetTextureStageState(0,1,22)"})
                order.emplace_back(step);
        for (const std::string& step :
             {"SetTransform(" + std::to_string(16 + ripples) + ",", std::string("SetRenderState(22,3)"),
              "SetTexture(" + s + "," + surface + ")", "SetTextureStageState(" + s + ",1,2)",
              std::string(ripples ? "SetMaterial(1,1,1,0.6,1,1,1,0.6,0,0,0,0,1,1,1,0.6,0.8)"
                                  : "SetMaterial(1,1,1,0.6,1,1,1,0.6,0,0,0,0,1,1,1,0.6,0.5)"),
              std::string("SetRenderState(19,5)"), std::string("LightEnable(0,0)"),
              std::string("DrawIndexedPrimitive(5,0,0,289,0,574)")})
            order.push_back(step);
        EXPECT_EQ(MissingInOrder(order), "") << "ripples " << ripples;
    }
}

TEST_F(WaterTest, AnEyeUnderTheWaterSeesTheSimpleWaterAndOneAtTheLevelTheReflection)
{
    Make(1);
    const std::string surface = Name(water->m_Reflection->m_Texture);
    for (const auto& [eyeY, reflective] : {std::pair{199.5f, false}, std::pair{200.0f, true}})
    {
        PlaceCamera(D3DXVECTOR3(0.0f, eyeY, 0.0f), D3DXVECTOR3(0.0f, eyeY, 1000.0f));
        gfx::null::ClearCalls();
        water->RenderReflective();
        EXPECT_EQ(gfx::null::CountCalls("SetTexture(0," + surface + ")"), reflective ? 1u : 0u) << eyeY;
        EXPECT_EQ(gfx::null::CountCalls("SetTextureStageState(1,1,8)"), reflective ? 0u : 1u) << eyeY;
    }
}

TEST_F(WaterTest, DeviceLossReleasesTheGridAndTheResetRebuildsItAtTheLevel)
{
    Make(1);
    water->m_WaterLevel = 77.0f;
    water->m_AnimationTime = 1234.0f;
    engine->OnLostReset(1);
    EXPECT_EQ(water->m_GridVertices, nullptr);
    // Drawing while lost draws nothing and does not fail.
    PlaceCamera(D3DXVECTOR3(0.0f, 600.0f, 0.0f), D3DXVECTOR3(0.0f, 500.0f, 1000.0f));
    water->RenderSimple();
    gfx::null::ClearCalls();
    engine->OnLostReset(0);
    // The engine's fan-out: the water's grid comes back before the render
    // surfaces (its reflection among them).
    const int grid = gfx::null::FindCall("CreateVertexBuffer(6936,");
    const int surface = gfx::null::FindCall("CreateTexture(512,512,");
    EXPECT_GE(grid, 0);
    EXPECT_GT(surface, grid);
    ASSERT_NE(water->m_GridVertices, nullptr);
    EXPECT_EQ(water->m_AnimationTime, 0.0f);
    EXPECT_EQ(ReadGrid(*water)[100].y, 77.0f);
    EXPECT_EQ(sky->m_WaterLevel, 77.0f);
    EXPECT_NE(water->m_Reflection->m_Texture, nullptr);
}
} // namespace

namespace
{
TEST_F(WaterTest, TheMapsLoadHandsOnTheSkyAtlasTheWaterTexturesAndTheLevel)
{
    Make(0);
    EXPECT_EQ(g_onLandscapeMapLoaded, &QV7_Water::TakeLandscapeMap);
    QV7_TextureList list;
    for (uint32_t id : {3500u, 3501u, 3502u})
        list.Append()->m_CompileId = id;
    g_landscape->m_SkyTextureId = 3500;
    g_landscape->m_WaterTextureIds[0] = 3501;
    g_landscape->m_WaterTextureIds[1] = 3502;
    g_landscape->m_WaterLevel = 150.0f;
    g_onLandscapeMapLoaded(*g_landscape, &list);
    EXPECT_EQ(sky->m_Texture, list.FindByCompileId(3500));
    EXPECT_EQ(water->m_FirstTexture, list.FindByCompileId(3501));
    EXPECT_EQ(water->m_SecondTexture, list.FindByCompileId(3502));
    EXPECT_EQ(water->m_WaterLevel, 150.0f);
    EXPECT_EQ(sky->m_WaterLevel, 150.0f);
    EXPECT_EQ(ReadGrid(*water)[0].y, 150.0f);
    // Ids the list does not hold leave the textures empty.
    g_landscape->m_WaterTextureIds[0] = 9999;
    g_onLandscapeMapLoaded(*g_landscape, nullptr);
    EXPECT_EQ(water->m_FirstTexture, nullptr);
    EXPECT_EQ(sky->m_Texture, nullptr);
    water.reset();
    EXPECT_EQ(g_onLandscapeMapLoaded, nullptr);
}
} // namespace
