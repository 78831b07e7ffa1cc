// Trees on the null device with real ODE geoms: the file read back as
// written, the trunk geoms, the billboard buffer (corners, angles, device
// loss), near meshes against far billboards in both passes, the settings
// that switch billboards off, and broken files.
#include "SceneryTestSupport.h"
#include "engine/QV7_Shaders.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_TreeVegetation.h"

#include <cstring>

namespace
{
using scenerytest::SceneryFixture;

TreeTypeDescription Pine(uint32_t billboardTexture)
{
    TreeTypeDescription type;
    type.mesh = MakeBoxMesh(D3DXVECTOR3(20, 100, 20), 0, 3);
    type.nearDistance = 1000.0f;
    type.billboardTextureId = billboardTexture;
    type.billboardSize = 50.0f;
    type.alphaReference = 0.4f;
    type.shapes.cylinders.push_back({{0, 100, 0}, 200.0f, 10.0f, {0, D3DX_PI / 2, 0}});
    type.trees = {{{0, 0, 500}, 1.0f, {4.0f, 0, 0}}, {{0, 0, 3000}, 2.0f, {-7.0f, 0, 0}}};
    return type;
}

class TreesTest : public SceneryFixture
{
  protected:
    void Make(int detail)
    {
        windows->m_Settings.Detail = detail;
        trees = std::make_unique<QV7_TreeVegetation>();
    }
    void Load(const std::vector<TreeTypeDescription>& types)
    {
        Save(BuildTreesFile(types));
        trees->Load(path, g_device, &textures, sink);
    }
    std::vector<TreeBillboardVertex> Billboards(const TreeType& type)
    {
        std::vector<TreeBillboardVertex> v(type.trees.size() * 6);
        void* data = nullptr;
        if (type.billboards && SUCCEEDED(type.billboards->Lock(0, 0, &data, D3DLOCK_READONLY)))
        {
            std::memcpy(v.data(), data, v.size() * sizeof v[0]);
            type.billboards->Unlock();
        }
        return v;
    }
    void TearDown() override
    {
        g_device->SetStreamSource(0, nullptr, 0, 0);
        trees.reset();
        SceneryFixture::TearDown();
    }
    std::unique_ptr<QV7_TreeVegetation> trees;
};

TEST_F(TreesTest, BillboardAngleWrapsAnyYawIntoOneTurn)
{
    const float pi = 3.14159265358979f;
    const std::pair<float, float> table[] = {{4.0f, 4.0f - 2 * pi},
                                             {-7.0f, -7.0f + 2 * pi},
                                             {10.0f, 10.0f - 4 * pi},
                                             {1.0f, 1.0f},
                                             {pi, pi},
                                             {1000.0f, float(std::remainder(1000.0, 2 * 3.14159265358979))}};
    for (const auto& [yaw, angle] : table)
    {
        const float got = QV7_TreeVegetation::BillboardAngle(yaw);
        EXPECT_NEAR(got, angle, 2e-3f) << yaw;
        EXPECT_LE(std::fabs(got), pi + 1e-6f) << yaw;
    }
    // Yaws so large that a turn is below their last place used to loop for ever.
    for (float huge : {1e30f, -3e38f, 123456789.0f})
        EXPECT_LE(std::fabs(QV7_TreeVegetation::BillboardAngle(huge)), pi + 1e-6f) << huge;
}

TEST_F(TreesTest, ReadsTypesBuildsBillboardsAndTrunkGeoms)
{
    Make(1);
    TextureRecord* picture = AddTexture(44);
    Load({Pine(44)});
    ASSERT_EQ(trees->m_Types.size(), 1u);
    const TreeType& type = *trees->m_Types[0];
    EXPECT_EQ(type.billboardTexture, picture);
    EXPECT_FLOAT_EQ(type.nearDistance, 1000.0f);
    EXPECT_FLOAT_EQ(type.alphaReference, 0.4f);
    ASSERT_EQ(type.trees.size(), 2u);
    EXPECT_FLOAT_EQ(type.trees[1].scale, 2.0f);
    EXPECT_FLOAT_EQ(type.trees[1].position.z, 3000.0f);

    const std::vector<TreeBillboardVertex> v = Billboards(type);
    // The second tree: w = 50 x 2, yaw -7 wrapped.
    const TreeBillboardVertex& top = v[6 + 1];
    EXPECT_FLOAT_EQ(top.corner[0], -100.0f);
    EXPECT_FLOAT_EQ(top.corner[1], 200.0f);
    EXPECT_FLOAT_EQ(top.tree[2], 3000.0f);
    EXPECT_NEAR(top.tree[3], -7.0f + 6.2831853f, 1e-5f);
    EXPECT_FLOAT_EQ(v[6 + 5].uv[1], 0.5f);
    EXPECT_FLOAT_EQ(v[6 + 2].uv[0], 0.25f);

    // One capsule per tree, at (R offset) x scale + position, in ODE units.
    ASSERT_EQ(geoms.size(), 2u);
    const dReal* at = dGeomGetPosition(geoms[1]);
    D3DXVECTOR3 offset(0, 100, 0), turned;
    D3DXMATRIX r = YawPitchRollMatrix(D3DXVECTOR3(-7.0f, 0, 0));
    D3DXVec3TransformNormal(&turned, &offset, &r);
    EXPECT_NEAR(at[1], (turned.y * 2 + 0) * 0.005, 1e-5);
    EXPECT_NEAR(at[2], (turned.z * 2 + 3000) * 0.005, 1e-5);
    dReal radius = 0, length = 0;
    dGeomCapsuleGetParams(geoms[1], &radius, &length);
    EXPECT_NEAR(radius, 10 * 2 * 0.005, 1e-6);
    EXPECT_NEAR(length, 200 * 2 * 0.005, 1e-6);
    EXPECT_EQ(dGeomGetData(geoms[1]), nullptr);
}

TEST_F(TreesTest, NearTreesDrawAsMeshesAndEveryTreeAsABillboard)
{
    Make(1);
    AddTexture(44);
    Load({Pine(44)});
    worldtest::PlaceCamera({0, 0, 0}, {0, 0, 1});
    g_camera->UpdateProjection();
    g_camera->UpdateFrustum();
    gfx::null::ClearCalls();
    trees->Render(0);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 1u); // the tree at 500
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive(4,0,4)"), 1u);  // both billboards
    EXPECT_EQ(worldtest::MissingInOrder({"Effect.SetTechnique(TTree)", "Effect.BeginPass(TTree,0)",
                                         "DrawPrimitive(4,0,4)", "Effect.EndPass"}),
              "");
    gfx::null::ClearCalls();
    trees->Render(1);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
    EXPECT_GE(gfx::null::FindCall("Effect.SetTechnique(TTree2)"), 0);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive(4,0,4)"), 1u);

    // A tree exactly at the near distance is far.
    trees->m_Types[0]->trees[0].position.z = 1000.0f;
    gfx::null::ClearCalls();
    trees->Render(0);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 0u);
    trees->m_TreesOff = 1;
    gfx::null::ClearCalls();
    trees->Render(0);
    EXPECT_EQ(gfx::null::Calls().size(), 0u);
}

TEST_F(TreesTest, WithoutBillboardsOnlyNearMeshesDraw)
{
    Make(0);
    EXPECT_EQ(trees->m_Shader, nullptr);
    Load({Pine(44)});
    EXPECT_EQ(trees->m_Types[0]->billboards, nullptr);
    worldtest::PlaceCamera({0, 0, 0}, {0, 0, 1});
    g_camera->UpdateProjection();
    g_camera->UpdateFrustum();
    gfx::null::ClearCalls();
    trees->Render(0);
    EXPECT_EQ(gfx::null::CountCalls("DrawIndexedPrimitive("), 1u);
    EXPECT_EQ(gfx::null::CountCalls("DrawPrimitive("), 0u);
    gfx::null::ClearCalls();
    trees->Render(1);
    EXPECT_EQ(gfx::null::CountCalls("Draw"), 0u);
}

TEST_F(TreesTest, BillboardBuffersSurviveADeviceResetAndRefuseARebuildOverALiveOne)
{
    Make(1);
    Load({Pine(44)});
    TreeType& type = *trees->m_Types[0];
    const std::vector<TreeBillboardVertex> before = Billboards(type);
    try
    {
        trees->BuildBillboards(type);
        ADD_FAILURE() << "a rebuild over a live buffer went through";
    }
    catch (const CDException& e)
    {
        EXPECT_STREQ(e.Details(), "FILE QV7_TreeVegetation LINE 875");
    }
    trees->OnLostReset(1);
    EXPECT_EQ(type.billboards, nullptr);
    trees->OnLostReset(0);
    ASSERT_NE(type.billboards, nullptr);
    const std::vector<TreeBillboardVertex> after = Billboards(type);
    EXPECT_EQ(std::memcmp(before.data(), after.data(), before.size() * sizeof before[0]), 0);
}

TEST_F(TreesTest, BrokenFilesFailTheLoadCleanly)
{
    Make(1);
    const std::vector<uint8_t> bytes = BuildTreesFile({Pine(44)}).Bytes();
    const size_t meshEnd = 4 + MeshObjectBlockSize(BuildMeshObjectBlock(Pine(44).mesh));
    auto edited = [&](size_t at, const void* value, size_t n)
    {
        std::vector<uint8_t> b = bytes;
        std::memcpy(b.data() + at, value, n);
        return b;
    };
    const int32_t huge = 0x7FFFFFF0;
    const float nan = std::nanf("");
    const size_t treesAt = meshEnd + 16 + 4 + 4 + 4 + 36;
    struct Case
    {
        const char* what;
        std::vector<uint8_t> file;
        const char* line;
    };
    const Case cases[] = {
        {"empty", {}, "is broken"},
        {"type count too large", edited(0, &huge, 4), "tree type count"},
        {"cut after the mesh", std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(meshEnd + 8)),
         "inside a tree type"},
        {"NaN near distance", edited(meshEnd, &nan, 4), "not a number"},
        {"box count too large", edited(meshEnd + 16, &huge, 4), "box count"},
        {"tree count too large", edited(treesAt, &huge, 4), "tree count"},
        {"NaN tree scale", edited(treesAt + 4 + 12, &nan, 4), "not a number"},
        {"cut in a tree", std::vector<uint8_t>(bytes.begin(), bytes.end() - 5), "tree count"},
    };
    for (const Case& c : cases)
    {
        enginetest::Log().clear();
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        if (!c.file.empty())
            std::fwrite(c.file.data(), 1, c.file.size(), f);
        std::fclose(f);
        QV7_TreeVegetation broken;
        std::vector<dGeomID> made;
        StaticGeomSink local{space, &made};
        EXPECT_THROW(broken.Load(path, g_device, &textures, local), CDException) << c.what;
        EXPECT_TRUE(Logged(c.line)) << c.what;
        EXPECT_TRUE(made.empty()) << c.what;
    }
}
} // namespace
