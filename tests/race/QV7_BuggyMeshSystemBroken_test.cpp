// Broken buggy databases: each is refused with a line saying what is wrong,
// the broken-file line and the error details, then CDException, and leaves
// the database empty. A parent link that loops or names nothing, an unknown
// kind or a count beyond the file would otherwise hang or crash the game later.
#include "BuggyDatabaseTestSupport.h"

#include "shell/QV7_Globals.h"

#include <gmock/gmock.h>

#include <cstring>
#include <functional>

namespace
{
using buggytest::BuggyDatabaseFixture;
using buggytest::Object;
using meshtest::Log;

const char* const kBrokenLine =
    "Critical Problem, File Broken, Application will crash to avoid any additional problems.";
const char* const kDatabaseDetails = "ERROR DETAILS: FILE QV7_BuggyMeshSystem LINE 264";
const char* const kPhysicsDetails = "ERROR DETAILS: FILE QV7_BuggyPhysics LINE 118";
const char* const kStringDetails = "ERROR DETAILS: FILE .\\QV7_Globals LINE 63";

class BuggyMeshSystemBrokenTest : public BuggyDatabaseFixture
{
};

std::vector<uint8_t> Bytes(const BuggyDatabaseDescription& database)
{
    return BuildBuggyDatabase(database).Bytes();
}

void Patch(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    std::memcpy(&bytes[offset], &value, 4);
}

// Three engine parts; the case edits them.
BuggyDatabaseDescription Three()
{
    BuggyDatabaseDescription database;
    for (const char* name : {"a", "b", "c"})
        database.Add(Object(7, name));
    return database;
}

// A database of one object whose definition the case edits.
BuggyDatabaseDescription WithPhysics(const std::function<void(PhysicsDefinitionDescription&)>& edit)
{
    BuggyDatabaseDescription database;
    BuggyObjectDescription object = Object(0, "model");
    object.physics = buggytest::FullDefinition();
    edit(object.physics);
    database.Add(object);
    return database;
}

struct BrokenCase
{
    const char* name;
    std::function<std::vector<uint8_t>()> bytes;
    const char* line;    // what is wrong, as logged
    const char* details; // the error details line
};

// Offsets in a database of objects without a mesh: the object count, then per
// object its names count (4 + 2 strings "a\0"/"a described\0").
constexpr size_t kFirstNamesCount = 4;

const BrokenCase kCases[] = {
    {"object count beyond the file",
     []
     {
         auto bytes = Bytes(Three());
         Patch(bytes, 0, 4);
         return bytes;
     },
     "ERROR: Buggy Mesh System: DatA.dat object count 4 is larger than the file", kDatabaseDetails},
    {"huge object count",
     []
     {
         auto bytes = Bytes(Three());
         Patch(bytes, 0, 0x80000000u);
         return bytes;
     },
     "ERROR: Buggy Mesh System: DatA.dat object count -2147483648 is larger than the file", kDatabaseDetails},
    {"empty file",
     [] {
         return std::vector<uint8_t>{1, 0};
     },
     "ERROR: Buggy Mesh System: DatA.dat is cut short before the object count", kDatabaseDetails},
    {"name count beyond the file",
     []
     {
         auto bytes = Bytes(Three());
         Patch(bytes, kFirstNamesCount, 100000);
         return bytes;
     },
     "ERROR: Buggy Mesh System: DatA.dat object 0 name count 100000 is larger than the file",
     kDatabaseDetails},
    {"name of zero length",
     []
     {
         auto bytes = Bytes(Three());
         Patch(bytes, kFirstNamesCount + 4, 0);
         return bytes;
     },
     kBrokenLine, kStringDetails},
    {"name longer than its buffer",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[1].names[0].second = std::string(500, 'x');
         return Bytes(database);
     },
     kBrokenLine, kStringDetails},
    {"name without its terminating zero",
     []
     {
         auto bytes = Bytes(Three());
         bytes[kFirstNamesCount + 4 + 4 + 1] = 'x'; // "a\0" becomes "ax"
         return bytes;
     },
     kBrokenLine, kStringDetails},
    {"unknown item type",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[2].type = 20;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 2 has unknown item type 20", kDatabaseDetails},
    {"negative item type",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[0].type = -1;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 0 has unknown item type -1", kDatabaseDetails},
    {"parent is the object itself",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[1].parent = 1;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 1 names 1 as its parent", kDatabaseDetails},
    {"parent index below -1",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[0].parent = -2;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 0 names -2 as its parent", kDatabaseDetails},
    {"parent past the last object",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[0].parent = 3;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 0 names 3 as its parent, but the file has 3 objects",
     kDatabaseDetails},
    {"two objects naming each other",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.objects[1].parent = 2;
         database.objects[2].parent = 1;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 1 is its own ancestor: its upgrade chain loops",
     kDatabaseDetails},
    {"a chain closing into a loop of three",
     []
     {
         BuggyDatabaseDescription database = Three();
         database.Add(Object(7, "d"));
         database.objects[3].parent = 0; // a tail leading into the loop
         database.objects[0].parent = 1;
         database.objects[1].parent = 2;
         database.objects[2].parent = 0;
         return Bytes(database);
     },
     "ERROR: Buggy Mesh System: DatA.dat object 0 is its own ancestor: its upgrade chain loops",
     kDatabaseDetails},
    {"box count beyond the file",
     []
     {
         auto bytes = Bytes(Three());
         const size_t definition = bytes.size() - 48;
         Patch(bytes, definition, 2);
         return bytes;
     },
     "ERROR: Buggy Physics Definition: boxes count 2 larger than the file", kPhysicsDetails},
    {"huge marker count",
     []
     {
         auto bytes = Bytes(Three());
         Patch(bytes, bytes.size() - 4, 0x7FFFFFFFu);
         return bytes;
     },
     "ERROR: Buggy Physics Definition: markers count 2147483647 larger than the file", kPhysicsDetails},
    {"primitive of unknown kind",
     [] { return Bytes(WithPhysics([](auto& p) { p.bodies[1].primitives[0].kind = 4; })); },
     "ERROR: Buggy Physics Definition: body 1 has a primitive of unknown kind 4", kPhysicsDetails},
    {"primitive of kind 0",
     [] { return Bytes(WithPhysics([](auto& p) { p.bodies[0].primitives[0].kind = 0; })); },
     "ERROR: Buggy Physics Definition: body 0 has a primitive of unknown kind 0", kPhysicsDetails},
    {"primitive index past its list",
     [] { return Bytes(WithPhysics([](auto& p) { p.bodies[1].primitives[1].index = 1; })); },
     "ERROR: Buggy Physics Definition: body 1 names primitive 1 of kind 3, which is not there",
     kPhysicsDetails},
    {"negative primitive index",
     [] { return Bytes(WithPhysics([](auto& p) { p.bodies[0].primitives[0].index = -1; })); },
     "ERROR: Buggy Physics Definition: body 0 names primitive -1 of kind 2, which is not there",
     kPhysicsDetails},
    {"joint body -1", [] { return Bytes(WithPhysics([](auto& p) { p.hinge2Joints[0].b = -1; })); },
     "ERROR: Buggy Physics Definition: a joint names body -1 of 2", kPhysicsDetails},
    {"joint body past the list", [] { return Bytes(WithPhysics([](auto& p) { p.ballJoints[0].a = 2; })); },
     "ERROR: Buggy Physics Definition: a joint names body 2 of 2", kPhysicsDetails},
    {"motor body past the list", [] { return Bytes(WithPhysics([](auto& p) { p.motorJoints[0].b = 7; })); },
     "ERROR: Buggy Physics Definition: a joint names body 7 of 2", kPhysicsDetails},
    {"joint order kind 6", [] { return Bytes(WithPhysics([](auto& p) { p.jointOrder[2].kind = 6; })); },
     "ERROR: Buggy Physics Definition: the joint order holds a joint of unknown kind 6", kPhysicsDetails},
    {"joint order kind -1", [] { return Bytes(WithPhysics([](auto& p) { p.jointOrder[0].kind = -1; })); },
     "ERROR: Buggy Physics Definition: the joint order holds a joint of unknown kind -1", kPhysicsDetails},
    {"joint order index past its list",
     [] { return Bytes(WithPhysics([](auto& p) { p.jointOrder[4].index = 1; })); },
     "ERROR: Buggy Physics Definition: the joint order names joint 1 of kind 4, which is not there",
     kPhysicsDetails},
    {"body name longer than its buffer",
     [] { return Bytes(WithPhysics([](auto& p) { p.bodies[0].name = std::string(260, 'b'); })); },
     kBrokenLine, kStringDetails},
    {"marker name longer than its buffer",
     [] { return Bytes(WithPhysics([](auto& p) { p.markers[1].name = std::string(300, 'm'); })); },
     kBrokenLine, kStringDetails},
};

TEST_F(BuggyMeshSystemBrokenTest, EachBrokenPartIsLoggedAndRefused)
{
    for (const BrokenCase& broken : kCases)
    {
        SCOPED_TRACE(broken.name);
        Log().clear();
        const std::string details = ReadBroken(broken.bytes());
        EXPECT_THAT(Log(), ::testing::Contains(broken.line));
        ASSERT_FALSE(Log().empty());
        EXPECT_EQ(Log().back(), broken.details);
        EXPECT_EQ("ERROR DETAILS: " + details, broken.details);
    }
}

// The sound file of the table, so each case breaks one thing only.
TEST_F(BuggyMeshSystemBrokenTest, TheUnbrokenFilesOfTheTableAreAccepted)
{
    Read(Three());
    EXPECT_EQ(system.objects.count, 3);
    Read(WithPhysics([](PhysicsDefinitionDescription&) {}));
    EXPECT_EQ(system.objects[0]->physics.jointOrder.count, 6);
}

// Every cut of a file with a mesh, names and a full definition falls inside
// some part; each is refused, none reads past the end.
TEST_F(BuggyMeshSystemBrokenTest, AFileCutShortAnywhereIsRefused)
{
    BuggyDatabaseDescription database = buggytest::SmallDatabase();
    database.objects.resize(3);
    const std::vector<uint8_t> whole = Bytes(database);
    for (size_t size = 0; size < whole.size(); ++size)
    {
        Log().clear();
        ReadBroken(std::vector<uint8_t>(whole.begin(), whole.begin() + long(size)));
        ASSERT_GE(Log().size(), 2u) << "cut to " << size;
        EXPECT_EQ(Log()[Log().size() - 2], kBrokenLine) << "cut to " << size;
        if (HasFailure())
            break;
    }
}

TEST_F(BuggyMeshSystemBrokenTest, ABrokenMeshBlockIsRefusedWithTheBuggyMeshLines)
{
    BuggyDatabaseDescription database;
    BuggyObjectDescription model = Object(0, "model");
    model.mesh = buggytest::TwoPartMesh();
    database.Add(model);
    std::vector<uint8_t> bytes = Bytes(database);
    // The block follows the mesh flag: everything after it but the block is
    // the word, ten mounts, type, flag, parent and an empty definition.
    database.objects[0].mesh.reset();
    const size_t block = Bytes(database).size() - (4 + 280 + 12 + 48);
    // Its face count (header word 3) beyond the file.
    Patch(bytes, block + 12, 1000000);
    ReadBroken(bytes);
    ASSERT_GE(Log().size(), 2u);
    EXPECT_EQ(Log()[0], "Info: Buggy Mesh System: Mesh Loading Start");
    EXPECT_EQ(Log().back(), "ERROR DETAILS: FILE QV7_BuggyMeshSystem LINE 197");
}
} // namespace
