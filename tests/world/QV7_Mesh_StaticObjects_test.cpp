// Static objects on the null device with real ODE geoms: the file read back
// as written, the geoms' sizes, places and tags, the sorted draw list with
// its change flags, which subsets each pass draws and how, and broken files.
#include "SceneryTestSupport.h"
#include "shell/QV7_Globals.h"
#include "world/QV7_Mesh_StaticObjects.h"

#include <cstring>

namespace
{
using scenerytest::SceneryFixture;

MeshObjectDescription Box(float half, uint32_t texture, uint32_t id, float power = 20.0f)
{
    MeshObjectDescription mesh = MakeBoxMesh(D3DXVECTOR3(half, half, half), texture, id);
    mesh.materials[0].material.Power = power;
    return mesh;
}

// Two subsets: faces of sides 0-2 use material 0, the rest material 1.
MeshObjectDescription TwoSubsetBox(uint32_t texture0, uint32_t texture1, uint32_t id, uint32_t blend1)
{
    MeshObjectDescription mesh = Box(50.0f, texture0, id);
    mesh.materials.push_back(mesh.materials[0]);
    mesh.materials[1].texture0Id = texture1;
    mesh.materials[1].words[MESH_WORD_BLEND] = blend1;
    for (size_t f = mesh.faces.size() / 2; f < mesh.faces.size(); ++f)
        mesh.faces[f].subset = 1;
    return mesh;
}

class StaticObjectsTest : public SceneryFixture
{
  protected:
    void Load(const StaticObjectsDescription& description)
    {
        Save(BuildStaticObjectsFile(description));
        objects.Load(path, g_device, &textures, sink);
    }
    void LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
    {
        worldtest::PlaceCamera(eye, target);
        g_camera->UpdateProjection();
        g_camera->UpdateFrustum();
    }
    QV7_Mesh_StaticObjects objects;
};

TEST_F(StaticObjectsTest, ReadsTypesInstancesAndPlacementsAsWritten)
{
    StaticObjectsDescription d;
    d.types.resize(2);
    d.types[0].mesh = Box(50.0f, 7, 1);
    d.types[0].name = "hut";
    d.types[0].wordA = 3, d.types[0].wordB = -4, d.types[0].factor = 0.5f, d.types[0].viewDistance = 9000.0f;
    d.types[0].shapes.boxes.push_back({});
    d.types[1].mesh = Box(20.0f, 8, 2, 99.0f);
    d.types[1].shapes.spheres.push_back({});
    d.types[1].shapes.cylinders.push_back({});
    d.instances = {{0, {100, 0, 200}, {0.5f, 0, 0}, 1.0f, 1.0f}, {1, {-300, 50, 0}, {0, 0, 0}, 2.0f, 3.0f}};
    AddTexture(7), AddTexture(8);
    Load(d);

    ASSERT_EQ(objects.m_Meshes.size(), 2u);
    ASSERT_EQ(objects.m_Instances.size(), 2u);
    EXPECT_EQ(g_staticObjects, &objects);
    const StaticObjectType& hut = *objects.m_Types[0];
    EXPECT_EQ(hut.name, "hut");
    EXPECT_EQ(hut.wordA, 3);
    EXPECT_EQ(hut.wordB, -4);
    EXPECT_FLOAT_EQ(hut.factor, 0.5f);
    EXPECT_FLOAT_EQ(hut.viewDistance, 9000.0f);
    const StaticObjectInstance& first = *objects.m_Instances[0];
    const StaticObjectInstance& second = *objects.m_Instances[1];
    EXPECT_EQ(first.type, &hut);
    EXPECT_EQ(first.mesh, objects.m_Meshes[0].get());
    EXPECT_EQ(first.scaled, 0u);
    EXPECT_FLOAT_EQ(first.boundingRadius, first.mesh->m_SphereRadius);
    EXPECT_FLOAT_EQ(first.world._41, 100.0f);
    EXPECT_FLOAT_EQ(first.world._43, 200.0f);
    EXPECT_NEAR(first.world._11, std::cos(0.5f), 1e-6f);
    EXPECT_EQ(second.scaled, 1u);
    EXPECT_FLOAT_EQ(second.boundingRadius, 2.0f * second.mesh->m_SphereRadius);
    EXPECT_FLOAT_EQ(second.world._22, 2.0f);
    EXPECT_FLOAT_EQ(second.collisionScale, 3.0f);
    // Power 99 makes the second a tutorial target.
    ASSERT_EQ(objects.m_TutorialTargets.size(), 1u);
    EXPECT_EQ(objects.m_TutorialTargets[0], &second);
    EXPECT_EQ(objects.m_DrawList.size(), 2u);
    EXPECT_EQ(geoms.size(), 3u);
}

TEST_F(StaticObjectsTest, GeomsTakeSizesInXzyOrderTimesScaleAndTheirTags)
{
    StaticObjectsDescription d;
    d.types.resize(2);
    d.types[0].mesh = Box(50.0f, 0, 1, 100.0f);
    d.types[0].shapes.boxes.push_back({{0, 100, 0}, {200, -40, 0.25f}, {0, 0, 0}});
    d.types[1].mesh = Box(50.0f, 0, 2, 98.0f);
    d.types[1].shapes.boxes = {ShapeBoxRecord{}, ShapeBoxRecord{}};
    d.types[1].shapes.spheres.push_back({{0, 0, 0}, {5, -60, 5}, {0, 0, 0}});
    d.types[1].shapes.cylinders.push_back({{0, 0, 0}, -300.0f, 0.5f, {0, 0, 0}});
    d.instances = {{0, {1000, 0, 2000}, {D3DX_PI / 2, 0, 0}, 1.0f, 2.0f},
                   {1, {0, 0, 0}, {0, 0, 0}, 1.0f, 1.0f},
                   {1, {0, 0, 0}, {0, 0, 0}, 1.0f, 1.0f}};
    Load(d);
    ASSERT_EQ(geoms.size(), 1u + 2u * 4u);

    dVector3 lengths;
    dGeomBoxGetLengths(geoms[0], lengths);
    EXPECT_NEAR(lengths[0], 200 * 2 * 0.005, 1e-6); // size x
    EXPECT_NEAR(lengths[1], 1 * 2 * 0.005, 1e-6);   // size z: 0.25 raised to 1
    EXPECT_NEAR(lengths[2], 40 * 2 * 0.005, 1e-6);  // size y: made positive
    const dReal* at = dGeomGetPosition(geoms[0]);
    EXPECT_NEAR(at[0], 1000 * 0.005, 1e-5);
    EXPECT_NEAR(at[1], 200 * 0.005, 1e-5); // the offset times the collision scale
    EXPECT_NEAR(at[2], 2000 * 0.005, 1e-5);
    // Axis matrix x yaw of a quarter turn: ODE's rotation is its transpose.
    const dReal* r = dGeomGetRotation(geoms[0]);
    D3DXMATRIX expected;
    D3DXMATRIX yaw = YawPitchRollMatrix(D3DXVECTOR3(D3DX_PI / 2, 0, 0));
    D3DXMatrixMultiply(&expected, &OdeAxisMatrix(), &yaw);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(r[4 * i + j], expected.m[j][i], 1e-6) << i << "," << j;

    const auto* tag = static_cast<StaticGeomTag*>(dGeomGetData(geoms[0]));
    EXPECT_EQ(tag->singleBox, 1);
    EXPECT_EQ(tag->surfaceClass, 2);
    EXPECT_EQ(tag->instance, objects.m_Instances[0].get());
    for (size_t g = 5; g < 9; ++g)
    {
        const auto* t = static_cast<StaticGeomTag*>(dGeomGetData(geoms[g]));
        EXPECT_EQ(t->singleBox, 0);
        EXPECT_EQ(t->surfaceClass, 1);
        EXPECT_EQ(t->instance, objects.m_Instances[2].get());
    }
    EXPECT_NEAR(dGeomSphereGetRadius(geoms[7]), 60 * 0.005, 1e-6);
    dReal radius = 0, length = 0;
    dGeomCapsuleGetParams(geoms[8], &radius, &length);
    EXPECT_NEAR(radius, 1 * 0.005, 1e-6);
    EXPECT_NEAR(length, 300 * 0.005, 1e-6);
    // The record keeps the usable sizes for later instances.
    EXPECT_FLOAT_EQ(objects.m_Types[0]->shapes.boxes[0].size.y, 40.0f);

    // A racer's sphere resting on the box collides with it; one beside it does not.
    dGeomID racer = dCreateSphere(nullptr, 0.1);
    dContactGeom contact[4];
    dGeomSetPosition(racer, 5.0, 1.0 + 0.05, 10.0);
    EXPECT_GT(dCollide(racer, geoms[0], 4, contact, sizeof contact[0]), 0);
    dGeomSetPosition(racer, 5.0 + 2.5, 1.0, 10.0);
    EXPECT_EQ(dCollide(racer, geoms[0], 4, contact, sizeof contact[0]), 0);
    dGeomDestroy(racer);
}

TEST_F(StaticObjectsTest, ANegativeCollisionScaleMirrorsPlacesButKeepsLengthsPositive)
{
    StaticObjectsDescription d;
    d.types.resize(1);
    d.types[0].mesh = Box(50.0f, 0, 1);
    d.types[0].shapes.boxes.push_back({{100, 0, 0}, {200, 40, 60}, {0, 0, 0}});
    d.types[0].shapes.spheres.push_back({{0, 0, 0}, {5, 60, 5}, {0, 0, 0}});
    d.types[0].shapes.cylinders.push_back({{0, 0, 0}, 300.0f, 20.0f, {0, 0, 0}});
    d.instances = {{0, {0, 0, 0}, {}, 1, -2.0f}};
    Load(d);
    ASSERT_EQ(geoms.size(), 3u);
    dVector3 lengths;
    dGeomBoxGetLengths(geoms[0], lengths);
    EXPECT_NEAR(lengths[0], 200 * 2 * 0.005, 1e-6);
    EXPECT_NEAR(dGeomGetPosition(geoms[0])[0], -100 * 2 * 0.005, 1e-6);
    EXPECT_NEAR(dGeomSphereGetRadius(geoms[1]), 60 * 2 * 0.005, 1e-6);
}

TEST_F(StaticObjectsTest, SurfaceClassFollowsMaterialPower)
{
    const std::pair<float, int32_t> table[] = {{100.0f, 2}, {99.0f, 0}, {98.0f, 1}, {20.0f, -1}, {0.0f, -1}};
    for (const auto& [power, surface] : table)
    {
        MeshObject mesh;
        mesh.m_Materials.resize(1);
        mesh.m_Materials[0].Power = power;
        EXPECT_EQ(QV7_Mesh_StaticObjects::SurfaceClass(mesh), surface) << power;
    }
}

TEST_F(StaticObjectsTest, DrawListSortsByTextureMeshSubsetAndFlagsChanges)
{
    StaticObjectsDescription d;
    d.types.resize(2);
    d.types[0].mesh = TwoSubsetBox(30, 10, 5, 0); // subsets textured 30 and 10
    d.types[1].mesh = TwoSubsetBox(10, 20, 4, 0); // subsets textured 10 and 20
    d.instances = {{0, {}, {}, 1, 1}, {1, {}, {}, 1, 1}, {0, {}, {}, 1, 1}};
    AddTexture(10), AddTexture(20), AddTexture(30);
    Load(d);
    struct Expected
    {
        uint32_t texture, meshId, subset, instance;
        uint8_t textureChanged, meshChanged, stateChanged;
    };
    const Expected expected[] = {{10, 4, 0, 1, 1, 1, 1}, {10, 5, 1, 0, 0, 1, 1}, {10, 5, 1, 2, 0, 0, 0},
                                 {20, 4, 1, 1, 1, 1, 1}, {30, 5, 0, 0, 1, 1, 1}, {30, 5, 0, 2, 0, 0, 0}};
    ASSERT_EQ(objects.m_DrawList.size(), 6u);
    for (size_t i = 0; i < 6; ++i)
    {
        const StaticDrawItem& item = objects.m_DrawList[i];
        const Expected& e = expected[i];
        EXPECT_EQ(item.mesh->m_Textures[item.subset]->m_CompileId, e.texture) << i;
        EXPECT_EQ(item.mesh->m_Id, e.meshId) << i;
        EXPECT_EQ(item.subset, e.subset) << i;
        EXPECT_EQ(item.instance, objects.m_Instances[e.instance].get()) << i;
        EXPECT_EQ(item.textureChanged, e.textureChanged) << i;
        EXPECT_EQ(item.meshChanged, e.meshChanged) << i;
        EXPECT_EQ(item.stateChanged, e.stateChanged) << i;
    }
}

TEST_F(StaticObjectsTest, PassesDrawSubsetsByBlendModeWithMirroredCullInReflection)
{
    StaticObjectsDescription d;
    d.types.resize(1);
    d.types[0].mesh = TwoSubsetBox(10, 20, 1, 1); // subset 1 blended
    d.types[0].mesh.materials[0].words[MESH_WORD_CULLMODE] = D3DCULL_CW;
    d.types[0].mesh.materials[1].words[MESH_WORD_CULLMODE] = D3DCULL_CW;
    d.types[0].mesh.materials[1].words[MESH_WORD_SRCBLEND] = D3DBLEND_SRCALPHA;
    d.types[0].mesh.materials[1].words[MESH_WORD_DESTBLEND] = D3DBLEND_INVSRCALPHA;
    d.instances = {{0, {0, 0, 500}, {}, 1, 1}, {0, {0, 0, 800}, {}, 2, 1}};
    AddTexture(10), AddTexture(20);
    Load(d);
    LookAt({0, 0, 0}, {0, 0, 1});

    const auto draws = [] { return gfx::null::CountCalls("DrawIndexedPrimitive("); };
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    gfx::null::ClearCalls();
    objects.Render(0);
    EXPECT_EQ(draws(), 2u); // subset 0 of each instance
    EXPECT_GE(gfx::null::FindCall("SetRenderState(22,2)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetRenderState(143,1)"), 0); // the scaled one renormalises
    gfx::null::ClearCalls();
    objects.Render(1);
    EXPECT_EQ(draws(), 2u);
    EXPECT_GE(gfx::null::FindCall("SetRenderState(22,3)"), 0);
    EXPECT_LT(gfx::null::FindCall("SetRenderState(22,2)"), 0);
    gfx::null::ClearCalls();
    objects.RenderBlended();
    EXPECT_EQ(draws(), 2u); // subset 1 of each
    EXPECT_GE(gfx::null::FindCall("SetRenderState(27,1)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetRenderState(19,5)"), 0);
    EXPECT_GE(gfx::null::FindCall("SetRenderState(20,6)"), 0);

    // Out of view distance, behind the camera, or switched off: nothing.
    objects.m_Types[0]->viewDistance = 600.0f;
    gfx::null::ClearCalls();
    objects.Render(0);
    EXPECT_EQ(draws(), 1u);
    EXPECT_EQ(objects.m_Instances[1]->visible, 0);
    objects.m_RenderOff = 1;
    objects.m_Instances[1]->visible = 1;
    gfx::null::ClearCalls();
    objects.Render(0);
    objects.RenderBlended();
    EXPECT_EQ(draws(), 0u);
    EXPECT_EQ(objects.m_Instances[1]->visible, 1);
}

TEST_F(StaticObjectsTest, DarkTargetsDrawWithABlackMaterial)
{
    StaticObjectsDescription d;
    d.types.resize(1);
    d.types[0].mesh = Box(50.0f, 0, 1, 99.0f);
    d.instances = {{0, {0, 0, 500}, {}, 1, 1}};
    Load(d);
    LookAt({0, 0, 0}, {0, 0, 1});
    objects.m_Instances[0]->dark = 1;
    gfx::null::ClearCalls();
    objects.Render(0);
    EXPECT_GE(gfx::null::FindCall("SetMaterial(0,0,0,0"), 0) << gfx::null::Calls().size();
}

// Each broken file fails the load with CDException and says so in the log.
TEST_F(StaticObjectsTest, BrokenFilesFailTheLoadCleanly)
{
    StaticObjectsDescription good;
    good.types.resize(1);
    good.types[0].mesh = Box(50.0f, 0, 1);
    good.types[0].shapes.boxes.push_back({});
    good.instances = {{0, {}, {}, 1, 1}};
    const std::vector<uint8_t> bytes = BuildStaticObjectsFile(good).Bytes();
    const size_t meshEnd = 4 + MeshObjectBlockSize(BuildMeshObjectBlock(good.types[0].mesh));
    const size_t typeEnd = meshEnd + 4 + 7 + 16 + 4 + 36 + 8;
    auto edited = [&](size_t at, const void* value, size_t n)
    {
        std::vector<uint8_t> b = bytes;
        std::memcpy(b.data() + at, value, n);
        return b;
    };
    const int32_t huge = 0x7FFFFFF0, badType = 1, zero = 0;
    const float nan = std::nanf(""), vast = 1.0e30f;
    StaticObjectsDescription unused = good;
    unused.types[0].mesh.materials.push_back(unused.types[0].mesh.materials[0]);
    struct Case
    {
        const char* what;
        std::vector<uint8_t> file;
        const char* line;
    };
    const Case cases[] = {
        {"empty", {}, "is broken"},
        {"mesh count too large", edited(0, &huge, 4), "mesh count"},
        {"cut in the type", std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(meshEnd + 6)),
         "Critical"},
        {"name length zero", edited(meshEnd, &zero, 4), "Critical"},
        {"box count too large", edited(meshEnd + 4 + 7 + 16, &huge, 4), "box count"},
        {"NaN box size", edited(meshEnd + 4 + 7 + 16 + 4 + 12, &nan, 4), "not a number"},
        {"instance count too large", edited(typeEnd, &huge, 4), "instance count"},
        {"type index outside", edited(typeEnd + 4, &badType, 4), "object type"},
        {"NaN position", edited(typeEnd + 8, &nan, 4), "not a number"},
        {"vast collision scale", edited(typeEnd + 36, &vast, 4), "out of range"},
        {"vast box offset", edited(meshEnd + 4 + 7 + 16 + 4, &vast, 4), "out of range"},
        {"cut in the instance", std::vector<uint8_t>(bytes.begin(), bytes.end() - 3), "instance count"},
        {"unused material", BuildStaticObjectsFile(unused).Bytes(),
         "ERROR: Static Objects: Mesh Groups doesn't fit AttributeTable Size"},
    };
    for (const Case& c : cases)
    {
        enginetest::Log().clear();
        FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_TRUE(f);
        if (!c.file.empty())
            std::fwrite(c.file.data(), 1, c.file.size(), f);
        std::fclose(f);
        QV7_Mesh_StaticObjects broken;
        std::vector<dGeomID> made;
        StaticGeomSink local{space, &made};
        EXPECT_THROW(broken.Load(path, g_device, &textures, local), CDException) << c.what;
        EXPECT_TRUE(Logged(c.line)) << c.what << ": "
                                    << (enginetest::Log().empty() ? "" : enginetest::Log().front());
        for (dGeomID g : made)
            dGeomDestroy(g);
    }
    std::remove(path.c_str());
    QV7_Mesh_StaticObjects missing;
    EXPECT_THROW(missing.Load(path, g_device, &textures, sink), CDException);
}
} // namespace
