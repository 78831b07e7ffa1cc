// The buggy database read back from our writer: every field of an object,
// the lists and their order, upgrade chains, meshes and their subset centres.
#include "BuggyDatabaseTestSupport.h"

#include "shell/QV7_Globals.h"
#include "tests/shell/TestLog.h"

#include <gmock/gmock.h>

#include <cstring>

namespace
{
using buggytest::BuggyDatabaseFixture;
using ::testing::ElementsAre;

class BuggyMeshSystemTest : public BuggyDatabaseFixture
{
};

std::vector<std::string> Names(const std::vector<QV7_DataBase_MeshObject*>& list)
{
    std::vector<std::string> names;
    for (const QV7_DataBase_MeshObject* object : list)
        names.push_back(object->names[0]->name);
    return names;
}

TEST_F(BuggyMeshSystemTest, ReadsEveryFieldOfAnObjectAsWritten)
{
    AddTexture(5001);
    Read(buggytest::SmallDatabase());
    ASSERT_EQ(system.objects.count, 11);
    const QV7_DataBase_MeshObject& model = *system.objects[0];
    ASSERT_EQ(model.names.count, 2);
    EXPECT_STREQ(model.names[1]->name, "Dune Hopper (2)");
    EXPECT_STREQ(model.names[0]->description, "Dune Hopper described");
    EXPECT_EQ(model.Names(1), model.names[1]);
    EXPECT_EQ(model.Names(7), model.names[0]) << "a language the file lacks falls back to the first";
    EXPECT_EQ(model.value1, 4200u);
    EXPECT_EQ(model.value2, 2100u);
    EXPECT_EQ(model.value3, 3u);
    EXPECT_EQ(model.value4, 77u);
    EXPECT_EQ(model.reserved, -1);
    EXPECT_EQ(model.word, 5u);
    EXPECT_EQ(model.attachWords[3], 1u);
    EXPECT_EQ(model.attachWords[2], 0u);
    EXPECT_EQ(model.attachPoints[3].position[2], 3.0f);
    EXPECT_EQ(model.attachPoints[3].rotation[2], 0.125f);
    EXPECT_EQ(model.AttachPointFor(10), nullptr);
    EXPECT_EQ(model.FitsModel(-1), 0u);
    EXPECT_EQ(model.physics.bodies.count, 2);
    EXPECT_EQ(system.objects[3]->flag, 1u);
    EXPECT_EQ(system.objects[7]->mesh, nullptr) << "no mesh, still listed";
    EXPECT_EQ(system.ItemIndex(system.objects[4]), 4);
    EXPECT_EQ(system.ItemIndex(nullptr), -1);
    EXPECT_EQ(system.Item(11), nullptr);
}

TEST_F(BuggyMeshSystemTest, ListsByTypeKeepingFileOrderAndLeaveFlaggedEquipmentOut)
{
    Read(buggytest::SmallDatabase());
    EXPECT_THAT(Names(system.models), ElementsAre("Dune Hopper", "Bare model"));
    EXPECT_THAT(Names(system.equipment), ElementsAre("Flamer", "Chain gun A", "Chain gun B"));
    EXPECT_THAT(Names(system.extras), ElementsAre("Fuel", "Ice shells"));
    EXPECT_EQ(system.Model(1), system.objects[7]);
    EXPECT_EQ(system.ModelIndex(system.objects[7]), 1);
    EXPECT_EQ(system.ModelIndex(system.objects[1]), -1);
    EXPECT_EQ(system.Model(2), nullptr);
}

TEST_F(BuggyMeshSystemTest, LinksUpgradeChainsBothWaysAndCountsLevelsFromTheBottom)
{
    Read(buggytest::SmallDatabase());
    QV7_DataBase_MeshObject* low = system.objects[8];
    QV7_DataBase_MeshObject* mid = system.objects[9];
    QV7_DataBase_MeshObject* top = system.objects[10];
    EXPECT_EQ(low->parent, mid);
    EXPECT_EQ(mid->parent, top);
    EXPECT_EQ(top->parent, nullptr);
    EXPECT_EQ(top->child, mid);
    EXPECT_EQ(mid->child, low);
    EXPECT_EQ(low->child, nullptr);
    EXPECT_EQ(low->Level(), 1);
    EXPECT_EQ(top->Level(), 3);
    EXPECT_EQ(top->ChainBase(), low);
}

TEST_F(BuggyMeshSystemTest, TwoObjectsNamingOneParentMakeTheLaterOneItsChild)
{
    BuggyDatabaseDescription database;
    database.Add(buggytest::Object(7, "top"));
    for (const char* name : {"first", "second"})
    {
        BuggyObjectDescription below = buggytest::Object(7, name);
        below.parent = 0;
        database.Add(below);
    }
    Read(database);
    EXPECT_EQ(system.objects[0]->child, system.objects[2]);
    EXPECT_EQ(system.objects[1]->parent, system.objects[0]);
}

TEST_F(BuggyMeshSystemTest, ReadsInlineMeshesWithTexturesPlacementAndSubsetCentres)
{
    TextureRecord* texture = AddTexture(5001);
    Read(buggytest::SmallDatabase());
    ASSERT_EQ(system.meshes.count, 1);
    BuggyMesh* mesh = system.objects[0]->mesh;
    ASSERT_EQ(mesh, system.meshes[0]);
    EXPECT_EQ(mesh->m_Id, 7u);
    ASSERT_EQ(mesh->m_SubsetCount, 2u);
    EXPECT_EQ(mesh->m_Textures[0], texture);
    EXPECT_EQ(mesh->m_Textures[1], nullptr) << "5002 is not in the buggy texture list";
    EXPECT_NE(mesh->m_SystemMesh, nullptr);
    EXPECT_EQ(mesh->m_PoseSlots.size(), 2u);
    EXPECT_FLOAT_EQ(mesh->m_Scale, 0.1f);
    EXPECT_FLOAT_EQ(mesh->m_World._11, 0.1f);
    ASSERT_EQ(mesh->m_SubsetSphereCentres.size(), 2u);
    EXPECT_NEAR(mesh->SubsetCentre(0).x, 0.0f, 1e-5f);
    EXPECT_NEAR(mesh->SubsetCentre(1).x, 10.0f, 1e-5f);
    EXPECT_EQ(mesh->SubsetCentre(5).x, 0.0f);
    mesh->m_Position = D3DXVECTOR3(1, 2, 3);
    mesh->m_Scale = 1.0f;
    mesh->UpdateMatrix();
    EXPECT_FLOAT_EQ(mesh->m_World._42, 2.0f);
    EXPECT_THAT(meshtest::Log(), ::testing::Contains("Info: Buggy Mesh System: Mesh Loading Done"));
}

TEST_F(BuggyMeshSystemTest, TheTwoBiasMatricesAndTheFormat)
{
    EXPECT_EQ(system.vertexFormat, 274u);
    for (const D3DXMATRIX& bias : system.biasMatrices)
    {
        EXPECT_EQ(bias._11, 0.5f);
        EXPECT_EQ(bias._22, -0.5f);
        EXPECT_EQ(bias._33, 1.0f);
        EXPECT_EQ(bias._41, 0.5f);
        EXPECT_EQ(bias._42, 0.5f);
        EXPECT_EQ(bias._44, 1.0f);
    }
}

TEST_F(BuggyMeshSystemTest, AMissingFileLeavesTheDatabaseEmptyAndAReloadReplacesTheOld)
{
    Read(buggytest::SmallDatabase());
    system.Load("/nonexistent/DatA.dat", &textures, device);
    EXPECT_EQ(system.objects.count, 0);
    EXPECT_TRUE(system.models.empty());

    TempDir dir;
    BuggyDatabaseDescription one;
    one.Add(buggytest::Object(9, "Shield"));
    ASSERT_TRUE(WriteBuggyDatabase(dir.Path() + "DatA.dat", one));
    system.Load(dir.Path() + "DatA.dat", &textures, device);
    ASSERT_EQ(system.equipment.size(), 1u);
    EXPECT_STREQ(system.equipment[0]->names[0]->name, "Shield");
}

TEST_F(BuggyMeshSystemTest, AnEmptyDatabaseIsFourBytes)
{
    const std::vector<uint8_t> bytes = BuildBuggyDatabase({}).Bytes();
    EXPECT_EQ(bytes.size(), 4u);
    BinaryReader file(bytes);
    system.Read(file, &textures, device);
    EXPECT_EQ(system.objects.count, 0);
}
} // namespace
