// Drawing the racers against recording hooks: which parts each body draws
// and in which pass, where the attachments are placed from, what a wreck,
// the shadow pass and the close camera leave out, the wheel stop, and the
// body world matrix built from an ODE pose.
#include "race/BuggyPhysicsDefinition.h"
#include "race/QV7_Buggy.h"
#include "race/QV7_BuggyMeshSystem.h"
#include "race/QV7_DataBase_MeshObject.h"
#include "race/QV7_PhysicsGroup.h"
#include "race/QV7_PlayerController.h"
#include "shell/QV7_ReportException.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace
{
struct Drawn
{
    std::vector<std::string> calls;
};
Drawn& Record()
{
    static Drawn drawn;
    return drawn;
}

void RecordPart(QV7_Buggy&, int part, int destroyed, int reflection, int shadow, int late, const D3DXMATRIX&)
{
    Record().calls.push_back("part " + std::to_string(part) + " d" + std::to_string(destroyed) + " r" +
                             std::to_string(reflection) + " s" + std::to_string(shadow) + " l" +
                             std::to_string(late));
}
void RecordItem(const QV7_DataBase_MeshObject& item, QV7_Buggy&, int, int, float, int, int spin,
                const D3DXMATRIX&)
{
    Record().calls.push_back("item " + std::to_string(item.type) + " spin" + std::to_string(spin));
}
void RecordEffects(QV7_Buggy&, const D3DXVECTOR3&, const D3DXMATRIX&, const D3DXMATRIX&, int strength)
{
    Record().calls.push_back("effects " + std::to_string(strength));
}
void RecordFigure(QV7_Buggy&, const D3DXMATRIX&, int)
{
    Record().calls.push_back("figure");
}

// One racer of bodies without ODE (each drawn at the identity pose): body
// roles and extra parts as given, the last body carrying the attachments.
class PhysicsGroupRenderTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Record() = Drawn();
        QV7_PhysicsGroup::s_RenderHooks = PhysicsGroupRenderHooks{};
        QV7_PhysicsGroup::s_RenderHooks.renderPart = &RecordPart;
        QV7_PhysicsGroup::s_RenderHooks.renderItem = &RecordItem;
        QV7_PhysicsGroup::s_RenderHooks.placeBodyEffects = &RecordEffects;
        QV7_PhysicsGroup::s_RenderHooks.drawFigure = &RecordFigure;
        for (auto& model : models)
        {
            model.type = ITEM_BUGGY_MODEL;
            items.models.push_back(&model);
        }
        weapon.type = ITEM_CHAIN_GUN;
        QV7_Buggy::s_items = &items;
        racer = group.racers.Append(new QV7_Buggy());
        racer->ownerGroup = &group;
        racer->physicsDefinition = new BuggyPhysicsDefinition();
        racer->playerController = new QV7_PlayerController();
        racer->playerController->healthMax = 100.0f;
        racer->playerController->health = 100.0f;
        racer->placementHold = 0;
    }
    void TearDown() override
    {
        QV7_PhysicsGroup::s_RenderHooks = PhysicsGroupRenderHooks{};
        QV7_Buggy::s_items = nullptr;
        items.models.clear();
    }
    void AddBody(int role, int id2 = -1, int id3 = -1)
    {
        PhysicsBodyDef* body = racer->physicsDefinition->bodies.Append(new PhysicsBodyDef());
        body->role = role;
        body->id2 = id2;
        body->id3 = id3;
    }
    void UseModel(int m) { racer->modelItem = &models[m]; }
    std::vector<std::string> Render(int reflection = 0, int shadow = 0)
    {
        Record() = Drawn();
        group.DoRender(reflection, shadow);
        return Record().calls;
    }

    QV7_BuggyMeshSystem items;
    QV7_DataBase_MeshObject models[7];
    QV7_DataBase_MeshObject weapon;
    QV7_PhysicsGroup group;
    QV7_Buggy* racer = nullptr;
};

TEST_F(PhysicsGroupRenderTest, EachBodyDrawsItsPartsAndTheLastPlacesTheAttachments)
{
    UseModel(2);
    AddBody(0);
    AddBody(-1); // carries nothing and is never drawn
    AddBody(9, 5, 6);
    AddBody(4);
    EXPECT_EQ(Render(),
              (std::vector<std::string>{"part 0 d0 r0 s0 l0", "part 9 d0 r0 s0 l0", "part 5 d0 r0 s0 l0",
                                        "part 6 d0 r0 s0 l0", "part 4 d0 r0 s0 l0", "effects 0", "figure"}));
    EXPECT_EQ(g_crashLocator, 207);
}

TEST_F(PhysicsGroupRenderTest, ModelsFourToSixDrawTheirThirdPartsLate)
{
    for (int m : {3, 4, 6})
    {
        SCOPED_TRACE(m);
        racer->physicsDefinition->Clear();
        UseModel(m);
        AddBody(9, -1, 7);
        AddBody(4);
        const bool late = m >= 4;
        const std::vector<std::string> main = Render(1, 0);
        EXPECT_EQ(std::count(main.begin(), main.end(), "part 7 d0 r1 s0 l0"), late ? 0 : 1);
        Record() = Drawn();
        group.DoRenderLast();
        EXPECT_EQ(Record().calls,
                  late ? std::vector<std::string>{"part 7 d0 r0 s0 l1"} : std::vector<std::string>{});
    }
}

TEST_F(PhysicsGroupRenderTest, WreckShadowAndCloseCameraLeaveOutTheDriverAndWeapon)
{
    UseModel(1);
    AddBody(4);
    racer->equipment.selected = 3;
    racer->equipment.items[2] = &weapon;
    const std::vector<std::string> all = {"part 4 d0 r0 s0 l0", "effects 0", "figure", "item 3 spin1"};
    EXPECT_EQ(Render(), all);
    EXPECT_EQ(Render(0, 1), (std::vector<std::string>{"part 4 d0 r0 s1 l0", "effects 0"}));
    racer->playerController->cameraMode = 2;
    EXPECT_EQ(Render(), (std::vector<std::string>{"part 4 d0 r0 s0 l0", "effects 0", "item 3 spin1"}));
    racer->playerController->cameraMode = 0;
    racer->wrecked = 1;
    racer->playerController->health = 20.0f;
    EXPECT_EQ(Render(), (std::vector<std::string>{"part 4 d1 r0 s0 l0", "effects 153"}));
}

TEST_F(PhysicsGroupRenderTest, AFaultInThePassIsReportedAndEndsIt)
{
    UseModel(1);
    AddBody(4);
    QV7_PhysicsGroup::s_RenderHooks.drawFigure = [](QV7_Buggy&, const D3DXMATRIX&, int)
    { throw std::runtime_error("figure"); };
    EXPECT_NO_THROW(group.DoRender(1, 0));
    EXPECT_LT(g_crashLocator, 206);
}

TEST(PhysicsGroupRenderRules, BrokenSmokeFromHalfHealthDown)
{
    EXPECT_EQ(QV7_PhysicsGroup::BrokenStrength(100.0f, 100.0f), 0);
    EXPECT_EQ(QV7_PhysicsGroup::BrokenStrength(50.0f, 100.0f), 0);
    EXPECT_EQ(QV7_PhysicsGroup::BrokenStrength(25.0f, 100.0f), 127);
    EXPECT_EQ(QV7_PhysicsGroup::BrokenStrength(-10.0f, 100.0f), 255);
    EXPECT_EQ(QV7_PhysicsGroup::BrokenStrength(0.0f, 0.0f), 0);
}

// The world of a body turned a quarter about y at an ODE position: model
// points about the pivot turn the same way, land at the body position in
// render units (ODE x 200), at 0.18 render units per model unit.
TEST(PhysicsGroupRenderRules, BodyWorldFollowsTheOdePose)
{
    dInitODE2(0);
    dWorldID world = dWorldCreate();
    QV7_Buggy buggy;
    PhysicsBodyDef body;
    body.role = 9;
    body.centre[0] = 100.0f;
    body.centre[1] = 50.0f;
    body.body = dBodyCreate(world);
    dBodySetPosition(body.body, 1.0, 0.5, 2.0);
    dMatrix3 turn;
    dRFromAxisAndAngle(turn, 0, 1, 0, M_PI / 2);
    dBodySetRotation(body.body, turn);
    D3DXMATRIX rotation;
    const D3DXMATRIX w = QV7_PhysicsGroup::BodyWorld(buggy, body, &rotation);
    const D3DXVECTOR3 pivot(100.0f, 50.0f, 0.0f), ahead(110.0f, 50.0f, 0.0f);
    D3DXVECTOR3 at, moved;
    D3DXVec3TransformCoord(&at, &pivot, &w);
    D3DXVec3TransformCoord(&moved, &ahead, &w);
    EXPECT_NEAR(at.x, 200.0f, 0.01f);
    EXPECT_NEAR(at.y, 100.0f, 0.01f);
    EXPECT_NEAR(at.z, 400.0f, 0.01f);
    // ODE turns +x a quarter about y into -z; the mesh point goes the same way, 1.8 render units.
    const dReal* r = dBodyGetRotation(body.body);
    EXPECT_NEAR(moved.x - at.x, 1.8f * float(r[0]), 1e-3f);
    EXPECT_NEAR(moved.z - at.z, 1.8f * float(r[8]), 1e-3f);
    EXPECT_NEAR(moved.y - at.y, 0.0f, 1e-3f);
    dBodyDestroy(body.body);
    dWorldDestroy(world);
    dCloseODE();
}
} // namespace
