// The demo buggy database's content: names, prices, mounts, chains and the
// racing models' rigid bodies.
#include "tools/demo/DemoBuggies.h"

#include <cstdio>

namespace
{
using demo::kDemoModelCount;

// A spring-damper for the suspension at the 0.05 step: ERP = hk / (hk + c),
// CFM = 1 / (hk + c) with k = 10000, c = 2000. A buggy weighs about 1600
// under gravity 0.5, so each wheel sinks some 0.02 of its 0.108 radius,
// and the damping lets a dropped buggy bounce once or twice, then rest.
constexpr float kSuspensionErp = 500.0f / 2500.0f;
constexpr float kSuspensionCfm = 1.0f / 2500.0f;

Float3 F3(const D3DXVECTOR3& v)
{
    return {v.x, v.y, v.z};
}

PhysicsBodyDescription Body(const char* name, int32_t role)
{
    PhysicsBodyDescription body;
    body.name = name;
    body.role = role;
    return body;
}

void AddWeldedBox(PhysicsDefinitionDescription& physics, const char* name, int32_t role, const Float3& centre,
                  float size)
{
    const int body = physics.AddBody(Body(name, role));
    physics.AddBox(body, {centre, {size, size, size}, {}});
}

void AddWheelJoints(PhysicsDefinitionDescription& physics, const DemoBuggyShape& shape)
{
    for (int wheel = 0; wheel < 4; ++wheel)
    {
        TwoAxisJointDescription joint;
        joint.a = 8;
        joint.b = wheel;
        joint.anchor = F3(shape.WheelCentre(wheel));
        joint.axis1 = {0, 1, 0};
        joint.axis2 = {0, 0, 1};
        joint.parameters1.Set(JointParameterSet::LO_STOP, 0.0f).Set(JointParameterSet::HI_STOP, 0.0f);
        joint.parameters1.Set(JointParameterSet::SUSPENSION_ERP, kSuspensionErp);
        joint.parameters1.Set(JointParameterSet::SUSPENSION_CFM, kSuspensionCfm);
        if (wheel >= 2)
            joint.parameters2.Set(JointParameterSet::VEL, 0.0f);
        physics.AddHinge2(joint);
    }
}

BuggyObjectDescription Item(int32_t type, const std::string& name, const std::string& description,
                            uint32_t price)
{
    BuggyObjectDescription object;
    object.names = {{name, description}};
    object.type = type;
    object.value1 = price;
    object.value2 = price / 2;
    return object;
}

const char* const kLevelNames[5] = {"I", "II", "III", "IV", "V"};

std::string Leveled(const char* name, int level)
{
    return std::string(name) + " " + kLevelNames[level - 1];
}

void FitEveryModel(BuggyObjectDescription& object, const D3DXVECTOR3& offset, const Float3& rotation = {})
{
    for (int m = 0; m < kDemoModelCount; ++m)
    {
        const DemoBuggyShape shape = DemoBuggyShapeOf(m);
        const D3DXVECTOR3 deck(0.0f, shape.deckY, 0.0f);
        object.attachPoints[size_t(m)] = {F3(deck + offset), rotation, 1};
    }
}

struct WeaponKind
{
    int32_t type;
    const char* name;
    const char* description;
    uint32_t price;
};

const WeaponKind kWeapons[5] = {
    {1, "Flamer", "Sprays burning fuel a short way ahead.", 2000},
    {2, "Ice Cannon", "Freezes the buggy it hits for a moment.", 2500},
    {3, "Chain Gun", "Fast rounds from three spinning barrels.", 3000},
    {4, "Cannon", "Two heavy barrels, slow and hard-hitting.", 4000},
    {5, "Tesla Coil", "Arcs to the nearest buggy. Needs no ammunition.", 5000},
};

BuggyObjectDescription Weapon(const WeaponKind& kind, int level, uint32_t meshId)
{
    BuggyObjectDescription weapon =
        Item(kind.type, Leveled(kind.name, level), kind.description, kind.price * uint32_t(level));
    weapon.mesh = MakeDemoWeaponMesh(kind.type, level, meshId);
    int muzzle = 0;
    for (const D3DXVECTOR3& point : DemoWeaponMuzzles(kind.type, level))
        weapon.physics.AddMarker("muzzle" + std::to_string(muzzle++), F3(point));
    for (int m = 0; m < kDemoModelCount; ++m)
        weapon.attachPoints[size_t(m)] = {F3(DemoBuggyShapeOf(m).WeaponMount()), {demo::kWeaponYaw, 0, 0}, 1};
    return weapon;
}

// A chain of plain parts: levels x (name level, price x level), fitting every model.
void AddPartChain(BuggyDatabaseDescription& database, int32_t type, const char* name, const char* description,
                  uint32_t price, int levels, uint32_t flag)
{
    database.AddChain(levels,
                      [&](int level)
                      {
                          BuggyObjectDescription part =
                              Item(type, Leveled(name, level), description, price * uint32_t(level));
                          part.flag = flag;
                          // The parts hidden inside the buggy still show in the shop.
                          if (type == 6 || type == 8 || type == 10)
                              part.mesh = MakeDemoPartMesh(type, level, uint32_t(300 + type * 10 + level));
                          FitEveryModel(part, D3DXVECTOR3(0, 0, 0));
                          return part;
                      });
}

// A chain of parts drawn on the buggy, at offset from the deck's centre.
void AddVisiblePartChain(BuggyDatabaseDescription& database, int32_t type, const char* name,
                         const char* description, uint32_t price, int levels, const D3DXVECTOR3& offset)
{
    database.AddChain(levels,
                      [&](int level)
                      {
                          BuggyObjectDescription part =
                              Item(type, Leveled(name, level), description, price * uint32_t(level));
                          part.mesh = MakeDemoPartMesh(type, level, uint32_t(300 + type * 10 + level));
                          FitEveryModel(part, offset);
                          return part;
                      });
}

void AddModels(BuggyDatabaseDescription& database)
{
    for (int m = 0; m < kDemoModelCount; ++m)
    {
        BuggyObjectDescription model = MakeDemoBuggyModel(m);
        // Model m's parent is model m + 1: the chain below a model counts
        // its place, as the garage's strength does.
        model.parent = m + 1 < kDemoModelCount ? m + 1 : -1;
        database.Add(model);
    }
}

// Flag 1 on every level: only the tutorials mount these.
void AddTutorialChains(BuggyDatabaseDescription& database)
{
    AddPartChain(database, 6, "Trial Turbo", "Tutorial turbo.", 1500, 3, 1);
    AddPartChain(database, 9, "Trial Shield", "Tutorial shield.", 2500, 3, 1);
    AddPartChain(database, 10, "Trial Power Cell", "Tutorial power.", 1000, 3, 1);
    AddPartChain(database, 11, "Trial Alternator", "Tutorial alternator.", 1000, 3, 1);
    AddPartChain(database, 12, "Trial Jammer", "Tutorial jammer.", 3000, 3, 1);
}

void AddWeapons(BuggyDatabaseDescription& database)
{
    for (const WeaponKind& kind : kWeapons)
        database.AddChain(3, [&](int level)
                          { return Weapon(kind, level, uint32_t(100 + kind.type * 10 + level)); });
    AddPartChain(database, 9, "Shield", "Soaks up hits while it is open.", 3000, 3, 0);
    AddPartChain(database, 12, "Jammer", "Throws incoming shots off their aim.", 3500, 3, 0);
}

void AddExhausts(BuggyDatabaseDescription& database)
{
    database.AddChain(3,
                      [](int level)
                      {
                          BuggyObjectDescription exhaust =
                              Item(13, Leveled("Exhaust", level), "Freer breathing, more acceleration.",
                                   900u * uint32_t(level));
                          exhaust.mesh = MakeDemoPartMesh(13, level, uint32_t(430 + level));
                          int end = 0;
                          for (const D3DXVECTOR3& point : DemoExhaustEnds(level))
                              exhaust.physics.AddMarker("pipe" + std::to_string(end++), F3(point));
                          for (int m = 0; m < kDemoModelCount; ++m)
                          {
                              const DemoBuggyShape shape = DemoBuggyShapeOf(m);
                              exhaust.attachPoints[size_t(m)] = {
                                  {shape.length * 0.5f - 60.0f, shape.deckY - 40.0f, 0}, {}, 1};
                          }
                          return exhaust;
                      });
}

void AddParts(BuggyDatabaseDescription& database)
{
    AddPartChain(database, 6, "Turbo", "Bottled speed for a short burst.", 2000, 3, 0);
    AddVisiblePartChain(database, 7, "Engine", "More power, more top speed.", 1500, 5,
                        D3DXVECTOR3(420, 0, 0));
    AddPartChain(database, 8, "Repair Kit", "Mends the buggy while it drives.", 1200, 5, 0);
    AddPartChain(database, 10, "Power Cell", "More energy for the weapons.", 1000, 5, 0);
    AddVisiblePartChain(database, 11, "Alternator", "Refills the power cells faster.", 1100, 5,
                        D3DXVECTOR3(300, 0, 200));
    AddExhausts(database);
    AddVisiblePartChain(database, 14, "Armour Bars", "Side bars that take the knocks.", 800, 3,
                        D3DXVECTOR3(0, -120, 0));
    AddVisiblePartChain(database, 15, "Front Spoiler", "A little more speed and grip.", 700, 3,
                        D3DXVECTOR3(-650, -150, 0));
}

void AddAmmunition(BuggyDatabaseDescription& database)
{
    database.Add(Item(16, "Flamer Fuel", "A tank of fuel for the flamer.", 200));
    database.Add(Item(17, "Ice Shells", "A crate of shells for the ice cannon.", 250));
    database.Add(Item(18, "Chain Gun Rounds", "A belt for the chain gun.", 150));
    database.Add(Item(19, "Cannon Shells", "Heavy shells for the cannon.", 400));
}
} // namespace

PhysicsDefinitionDescription MakeDemoBuggyPhysics(const DemoBuggyShape& shape)
{
    PhysicsDefinitionDescription physics;
    for (int wheel = 0; wheel < 4; ++wheel)
    {
        char name[16];
        std::snprintf(name, sizeof name, "wheel%d", wheel);
        const int body = physics.AddBody(Body(name, wheel));
        const float r = demo::kWheelRadius;
        physics.AddSphere(body, {F3(shape.WheelCentre(wheel)), {r, r, r}, {}});
    }
    const float midY = 0.5f * (shape.floorY + shape.deckY), quarter = shape.length * 0.25f;
    AddWeldedBox(physics, "bumper", 5, {-2.0f * quarter + 100.0f, midY, 0}, 80);
    AddWeldedBox(physics, "wing", 6, {2.0f * quarter - 100.0f, midY, 0}, 80);
    AddWeldedBox(physics, "engine", 7, {quarter, midY, 150}, 80);
    AddWeldedBox(physics, "mudguards", 8, {quarter, midY, -150}, 80);
    const int chassis = physics.AddBody(Body("chassis", 9));
    physics.AddBox(chassis, {{0, midY, 0}, {shape.length, shape.deckY - shape.floorY, shape.width}, {}});
    AddWeldedBox(physics, "frame front", -1, {-quarter, midY, 0}, 60);
    AddWeldedBox(physics, "frame rear", -1, {quarter, midY, 0}, 60);
    AddWeldedBox(physics, "cage", 4, {shape.seatX, midY, 0}, 100);
    AddWheelJoints(physics, shape);
    for (int welded : {4, 5, 6, 7, 9, 10, 11})
    {
        SliderJointDescription weld{8, welded, {}, {1, 0, 0}};
        weld.parameters.Set(JointParameterSet::LO_STOP, 0.0f).Set(JointParameterSet::HI_STOP, 0.0f);
        physics.AddSlider(weld);
    }
    physics.AddMarker("uitlaat", F3(shape.ExhaustTip(0)));
    physics.AddMarker("uit2", F3(shape.ExhaustTip(1)));
    return physics;
}

BuggyObjectDescription MakeDemoBuggyModel(int model)
{
    static const char* const names[kDemoModelCount] = {"Sand Flea", "Dust Runner", "Mud Hornet",
                                                       "Rock Crawler", "Storm Jackal"};
    static const char* const descriptions[kDemoModelCount] = {
        "A light trainer: small, nimble and cheap.", "A dependable all-rounder.",
        "Quick off the line, eager in the bends.", "Long and heavy; shrugs off a knock.",
        "The fastest frame money can buy."};
    const DemoBuggyShape shape = DemoBuggyShapeOf(model);
    BuggyObjectDescription object =
        Item(0, names[model % kDemoModelCount], descriptions[model % kDemoModelCount],
             6000u + 4000u * uint32_t(model));
    object.value4 = 100u + 25u * uint32_t(model);
    object.mesh = MakeDemoBuggyMesh(shape, uint32_t(model + 1));
    object.physics = MakeDemoBuggyPhysics(shape);
    // A model goes on sale once the one below it is owned: its fit word for
    // that model (a new pilot starts in model 2, so model 3 is the first).
    if (model > 0)
        object.attachPoints[size_t(model - 1)].fits = 1;
    return object;
}

BuggyDatabaseDescription MakeDemoBuggyDatabase()
{
    BuggyDatabaseDescription database;
    AddModels(database);
    AddTutorialChains(database);
    AddWeapons(database);
    AddParts(database);
    AddAmmunition(database);
    return database;
}

bool WriteDemoBuggies(const std::string& dataDir)
{
    return WriteBuggyDatabase(dataDir + "DatA.dat", MakeDemoBuggyDatabase());
}
