// The demo DatA.dat read back through the buggy database: what racer
// construction, the garage, the opponents and the tutorials need of it.
#include "tests/race/BuggyDatabaseTestSupport.h"
#include "tools/demo/DemoBuggies.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <map>
#include <set>

namespace
{
class DemoBuggiesTest : public buggytest::BuggyDatabaseFixture
{
  protected:
    void SetUp() override
    {
        BuggyDatabaseFixture::SetUp();
        Read(MakeDemoBuggyDatabase());
        ASSERT_GT(system.objects.count, 0);
    }
    // The last object of a type in file order, as the garage and the opponents pick a chain.
    const QV7_DataBase_MeshObject* LastOfType(int32_t type) const
    {
        const QV7_DataBase_MeshObject* last = nullptr;
        for (const QV7_DataBase_MeshObject* object : system.objects)
            if (object->type == type)
                last = object;
        return last;
    }
};

int ChainLength(const QV7_DataBase_MeshObject* object)
{
    int levels = 0;
    for (const QV7_DataBase_MeshObject* level = object->ChainBase(); level; level = level->parent)
        ++levels;
    return levels;
}

int TotalJoints(const BuggyPhysicsDefinition& p)
{
    return p.ballJoints.count + p.hingeJoints.count + p.sliderJoints.count + p.universalJoints.count +
           p.hinge2Joints.count + p.motorJoints.count;
}

TEST_F(DemoBuggiesTest, FiveModelsChainedInModelOrderWithNamesAndAValue)
{
    ASSERT_EQ(system.models.size(), 5u);
    std::set<std::string> names;
    for (size_t m = 0; m < 5; ++m)
    {
        const QV7_DataBase_MeshObject& model = *system.models[m];
        ASSERT_NE(model.Names(0), nullptr);
        names.insert(model.Names(0)->name);
        EXPECT_GT(std::strlen(model.Names(0)->description), 0u);
        EXPECT_NE(model.value4, 0u);
        EXPECT_GT(model.value1, model.value2);
        EXPECT_EQ(model.parent, m + 1 < 5 ? system.models[m + 1] : nullptr);
        EXPECT_EQ(model.Level(), int(m) + 1);
    }
    EXPECT_EQ(names.size(), 5u);
}

TEST_F(DemoBuggiesTest, EveryRacingModelHasTheTwelveBodyLayout)
{
    for (const QV7_DataBase_MeshObject* model : system.models)
    {
        const BuggyPhysicsDefinition& p = model->physics;
        ASSERT_GE(p.bodies.count, 12);
        EXPECT_EQ(p.bodies[8]->role, 9) << "body 8 is the chassis";
        std::map<int, int> roles;
        for (const PhysicsBodyDef* body : p.bodies)
        {
            ++roles[body->role];
            EXPECT_EQ(body->id3, -1);
            ASSERT_GE(body->primitives.count, 1) << body->name;
            for (const PrimitiveRef* primitive : body->primitives)
            {
                if (const CollisionBoxDef* box = primitive->Box())
                {
                    EXPECT_GT(box->size[0] * box->size[1] * box->size[2], 0.0f);
                }
                if (const CollisionSphereDef* sphere = primitive->Sphere())
                {
                    EXPECT_GT(sphere->size[1], 0.0f);
                }
            }
        }
        for (int wheel = 0; wheel < 4; ++wheel)
        {
            EXPECT_EQ(roles[wheel], 1);
            ASSERT_EQ(p.bodies[wheel]->primitives[0]->kind, PRIMITIVE_SPHERE)
                << "only spheres touch the ground";
            EXPECT_EQ(p.bodies[wheel]->primitives[0]->Sphere()->size[1], 120.0f);
        }
        EXPECT_EQ(roles[p.bodies[p.bodies.count - 1]->role], 1) << "the last body's role is unique";
        for (int role = 0; role <= 9; ++role)
            EXPECT_LE(roles[role], 1) << "role " << role;
        EXPECT_NE(p.FindBody("uitlaat"), nullptr);
        EXPECT_NE(p.FindBody("uit2"), nullptr);
    }
}

// Steered: the first two hinge-2 joints of the order with the set-1 lo-stop
// flag; driven: those with the set-2 velocity flag.
TEST_F(DemoBuggiesTest, TheJointOrderListsEveryJointWithTheWheelJointsFirst)
{
    for (const QV7_DataBase_MeshObject* model : system.models)
    {
        const BuggyPhysicsDefinition& p = model->physics;
        ASSERT_EQ(p.jointOrder.count, TotalJoints(p));
        std::set<const void*> listed;
        for (const JointRef* reference : p.jointOrder)
            listed.insert(reference->record);
        EXPECT_EQ(int(listed.size()), p.jointOrder.count);
        std::vector<int> steered, driven;
        for (int i = 0; i < p.jointOrder.count; ++i)
        {
            if (p.jointOrder[i]->kind != JOINT_HINGE2)
                continue;
            const auto* joint = static_cast<const TwoAxisJointDef*>(p.jointOrder[i]->record);
            if (joint->parameters1.flags[JointParameters::LO_STOP] == 1 && steered.size() < 2)
                steered.push_back(i);
            if (joint->parameters2.flags[JointParameters::VEL] == 1)
                driven.push_back(i);
            EXPECT_EQ(joint->a, p.bodies[8]);
            EXPECT_EQ(joint->b, p.bodies[i]);
            // +z: the racer driving test shows a negative axis-2 velocity then rolls the buggy along -x.
            EXPECT_EQ(joint->axis2[2], 1.0f);
        }
        EXPECT_THAT(steered, ::testing::ElementsAre(0, 1));
        EXPECT_THAT(driven, ::testing::ElementsAre(2, 3));
        EXPECT_EQ(p.sliderJoints.count, 7);
    }
}

TEST_F(DemoBuggiesTest, ModelMeshesHaveASubsetPerRoleAndWheelsWhereTheirJointsAre)
{
    for (const QV7_DataBase_MeshObject* model : system.models)
    {
        const BuggyMesh* mesh = model->mesh;
        ASSERT_NE(mesh, nullptr);
        ASSERT_GE(mesh->m_SubsetCount, 10u);
        EXPECT_EQ(mesh->m_AttributeTable.size(), mesh->m_SubsetCount) << "every subset has faces";
        for (int wheel = 0; wheel < 4; ++wheel)
        {
            const TwoAxisJointDef& joint = *model->physics.hinge2Joints[wheel];
            const D3DXVECTOR3 centre = mesh->SubsetCentre(uint32_t(wheel));
            EXPECT_NEAR(centre.y, joint.anchor[1], 0.01f);
            EXPECT_NEAR(centre.x, joint.anchor[0], 0.01f);
            EXPECT_NEAR(centre.z, joint.anchor[2], 0.01f);
        }
        // Wheels 1 and 2 (the heavy pair in a right turn) on the -z side.
        EXPECT_LT(model->physics.hinge2Joints[1]->anchor[2], 0.0f);
        EXPECT_LT(model->physics.hinge2Joints[2]->anchor[2], 0.0f);
        EXPECT_GT(model->physics.hinge2Joints[0]->anchor[2], 0.0f);
        EXPECT_LT(model->physics.hinge2Joints[0]->anchor[0], 0.0f) << "the front is toward the nose, -x";
    }
}

TEST_F(DemoBuggiesTest, WeaponsFitEveryModelAimAlongTheNoseAndHaveMuzzles)
{
    for (int32_t type = 1; type <= 5; ++type)
    {
        SCOPED_TRACE(type);
        const QV7_DataBase_MeshObject* weapon = LastOfType(type);
        ASSERT_NE(weapon, nullptr);
        EXPECT_EQ(ChainLength(weapon), 3);
        for (const QV7_DataBase_MeshObject* level = weapon->ChainBase(); level; level = level->parent)
        {
            EXPECT_EQ(level->flag, 0u);
            ASSERT_NE(level->mesh, nullptr);
            EXPECT_GE(level->physics.markers.count, type == 4 ? 2 : 1);
            for (int m = 0; m < 5; ++m)
            {
                EXPECT_EQ(level->attachWords[m], 1u);
                const AttachPoint& mount = level->attachPoints[m];
                D3DXMATRIX rotation;
                D3DXMatrixRotationYawPitchRoll(&rotation, mount.rotation[0], mount.rotation[1],
                                               mount.rotation[2]);
                const D3DXVECTOR3 barrel(0, 0, -1);
                D3DXVECTOR3 aim;
                D3DXVec3TransformNormal(&aim, &barrel, &rotation);
                EXPECT_NEAR(aim.x, -1.0f, 1e-5f);
                EXPECT_NEAR(aim.z, 0.0f, 1e-5f);
            }
        }
    }
    // The chain gun's barrels spin about the item's z: subset 0 centred on it.
    const BuggyMesh* chainGun = LastOfType(3)->mesh;
    EXPECT_NEAR(chainGun->SubsetCentre(0).x, 0.0f, 1.0f);
    EXPECT_NEAR(chainGun->SubsetCentre(0).y, 0.0f, 1.0f);
}

TEST_F(DemoBuggiesTest, EquipmentExtrasAndTheDefaultAndOpponentPicks)
{
    ASSERT_FALSE(system.equipment.empty());
    EXPECT_EQ(system.equipment.front()->type, 1) << "the default owned item is a flamer";
    std::set<int32_t> extras;
    for (const QV7_DataBase_MeshObject* extra : system.extras)
        extras.insert(extra->type);
    EXPECT_THAT(extras, ::testing::ElementsAre(16, 17, 18, 19));
    // The opponents' weapons and shield, the default parts' chains.
    for (int32_t type : {1, 2, 3, 9})
        EXPECT_EQ(LastOfType(type)->flag, 0u) << type;
    const std::map<int32_t, int> levelsNeeded = {{7, 3}, {8, 3}, {10, 2}, {11, 2}, {6, 3}, {12, 3}, {13, 1}};
    for (const auto& [type, levels] : levelsNeeded)
    {
        ASSERT_NE(LastOfType(type), nullptr) << type;
        EXPECT_GE(ChainLength(LastOfType(type)), levels) << type;
        EXPECT_EQ(LastOfType(type)->flag, 0u) << type;
    }
    const QV7_DataBase_MeshObject* exhaust = LastOfType(13);
    EXPECT_GE(exhaust->physics.markers.count, 1);
    EXPECT_LE(exhaust->physics.markers.count, 6);
    for (const QV7_DataBase_MeshObject* object : system.objects)
    {
        EXPECT_GT(object->value1, 0u);
        EXPECT_LT(object->value2, object->value1);
    }
}

TEST_F(DemoBuggiesTest, TutorialOnlyChainsAreFlaggedOnEveryLevelAndFitTheThirdModel)
{
    for (int32_t type : {6, 9, 10, 11, 12})
    {
        int chains = 0;
        for (const QV7_DataBase_MeshObject* object : system.objects)
        {
            if (object->type != type || object->child || object->flag != 1)
                continue;
            ++chains;
            EXPECT_EQ(ChainLength(object), 3) << type;
            for (const QV7_DataBase_MeshObject* level = object; level; level = level->parent)
            {
                EXPECT_EQ(level->flag, 1u) << type;
                EXPECT_EQ(level->attachWords[2], 1u) << type;
            }
        }
        EXPECT_EQ(chains, 1) << type;
    }
    for (int32_t type : {13, 14, 15})
        EXPECT_EQ(LastOfType(type)->attachWords[2], 1u) << type;
}

TEST_F(DemoBuggiesTest, EveryTextureAMeshNamesIsADemoBuggyTexture)
{
    const std::vector<int32_t> ids = DemoBuggyTextureIds();
    for (int32_t id : ids)
    {
        EXPECT_GE(id, 5000);
        EXPECT_LE(id, 5999);
    }
    const BuggyDatabaseDescription database = MakeDemoBuggyDatabase();
    std::set<int32_t> used;
    for (const BuggyObjectDescription& object : database.objects)
        if (object.mesh)
            for (const MeshObjectMaterial& material : object.mesh->materials)
                used.insert(int32_t(material.texture0Id));
    for (int32_t id : used)
        EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end()) << id;
    EXPECT_EQ(used.size(), ids.size()) << "every demo buggy texture is used";
}
} // namespace
