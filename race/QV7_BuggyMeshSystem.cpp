// Loading DatA.dat. The loader checks what the game later follows without a
// second look: every count against the bytes left, every name against its
// buffer, every item type, and every parent link (it must name another
// object of the file, and no chain may loop, or walking a chain never ends).
#include "race/QV7_BuggyMeshSystem.h"

#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/MeshObjectReader.h"

#include <cstdarg>
#include <cstdio>

namespace
{
// Names count, four values, mesh flag, word, ten mounts, type, flag, parent, an empty definition.
constexpr size_t kMinObjectSize = 4 + 16 + 4 + 4 + 10 * 28 + 12 + 48;
constexpr size_t kMinNamePairSize = 2 * 5;
constexpr DWORD kBuggyFvf = 274;

[[noreturn]] void Refuse(int object, const char* format, ...) __attribute__((format(printf, 2, 3)));

void Refuse(int object, const char* format, ...)
{
    char problem[200];
    va_list args;
    va_start(args, format);
    std::vsnprintf(problem, sizeof problem, format, args);
    va_end(args);
    if (object < 0)
        QV7_Logger::Log(g_logger, "ERROR: Buggy Mesh System: DatA.dat %s", problem);
    else
        QV7_Logger::Log(g_logger, "ERROR: Buggy Mesh System: DatA.dat object %d %s", object, problem);
    ThrowBrokenString("QV7_BuggyMeshSystem", 264);
}

void ReadVector(BinaryReader& file, float* out)
{
    for (int i = 0; i < 3; ++i)
        out[i] = file.ReadFloat();
}

// Inserts at the end, then one pass of neighbour swaps from the end keeps
// the list sorted by type, equal types in file order.
void AppendSorted(std::vector<QV7_DataBase_MeshObject*>& list, QV7_DataBase_MeshObject* object)
{
    list.push_back(object);
    for (size_t i = list.size() - 1; i > 0 && list[i - 1]->type > list[i]->type; --i)
        std::swap(list[i - 1], list[i]);
}
} // namespace

MeshReaderIdentity BuggyMeshReader()
{
    return {"Info: Buggy Mesh System: Mesh Loading Start", "ERROR: Buggy Mesh System: Cloning error mesh",
            "QV7_BuggyMeshSystem", 197, ""};
}

QV7_BuggyMeshSystem::QV7_BuggyMeshSystem() : vertexFormat(kBuggyFvf)
{
    static const float kBias[16] = {0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, 0.0f, 0.0f,
                                    0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 0.5f,  0.0f, 1.0f};
    for (D3DXMATRIX& bias : biasMatrices)
        bias = D3DXMATRIX(kBias);
}

QV7_BuggyMeshSystem* g_buggyMeshSystem = nullptr;

QV7_BuggyMeshSystem::~QV7_BuggyMeshSystem()
{
    if (g_buggyMeshSystem == this)
        g_buggyMeshSystem = nullptr;
    Clear();
}

void QV7_BuggyMeshSystem::Clear()
{
    models.clear();
    equipment.clear();
    extras.clear();
    objects.Clear();
    meshes.Clear();
}

QV7_DataBase_MeshObject* QV7_BuggyMeshSystem::Item(int index) const
{
    return index >= 0 && index < objects.count ? objects[index] : nullptr;
}

QV7_DataBase_MeshObject* QV7_BuggyMeshSystem::Model(int index) const
{
    return index >= 0 && size_t(index) < models.size() ? models[index] : nullptr;
}

int QV7_BuggyMeshSystem::ModelIndex(const QV7_DataBase_MeshObject* object) const
{
    for (size_t i = 0; i < models.size(); ++i)
        if (models[i] == object)
            return int(i);
    return -1;
}

void QV7_BuggyMeshSystem::Load(const std::string& path, const QV7_TextureList* buggyTextures,
                               IDirect3DDevice9* device)
{
    Clear();
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR: Buggy Mesh System: cannot open %s, no buggies", path.c_str());
        return;
    }
    Read(file, buggyTextures, device);
}

void QV7_BuggyMeshSystem::Read(BinaryReader& file, const QV7_TextureList* buggyTextures,
                               IDirect3DDevice9* device)
{
    Clear();
    try
    {
        if (file.Remaining() < 4)
            Refuse(-1, "is cut short before the object count");
        const int32_t announced = file.PeekInt32();
        const int count = file.ReadCount(kMinObjectSize);
        if (file.Failed())
            Refuse(-1, "object count %d is larger than the file", announced);
        std::vector<int32_t> parents;
        for (int i = 0; i < count; ++i)
        {
            ReadObject(file, i, buggyTextures, device, parents);
            if (g_textureList)
                DrawLoadingScreen(g_textureList, int(20.0 / count * i) + 30, 255.0f, 0);
        }
        LinkChains(parents);
    }
    catch (...)
    {
        Clear();
        throw;
    }
}

BuggyMesh* QV7_BuggyMeshSystem::ReadMesh(BinaryReader& file, const QV7_TextureList* buggyTextures,
                                         IDirect3DDevice9* device)
{
    BuggyMesh* mesh = meshes.Add();
    ReadMeshObjectBlock(file, *mesh, vertexFormat, device, buggyTextures, BuggyMeshReader());
    mesh->UpdateMatrix();
    mesh->ComputeSubsetCentres();
    QV7_Logger::Log(g_logger, "Info: Buggy Mesh System: Mesh Loading Done");
    return mesh;
}

void QV7_BuggyMeshSystem::ReadObject(BinaryReader& file, int index, const QV7_TextureList* buggyTextures,
                                     IDirect3DDevice9* device, std::vector<int32_t>& parents)
{
    QV7_DataBase_MeshObject& object = *objects.Add();
    ReadNames(file, object);
    object.value1 = file.ReadUInt32();
    object.value2 = file.ReadUInt32();
    object.value3 = file.ReadUInt32();
    object.value4 = file.ReadUInt32();
    const uint32_t hasMesh = file.ReadUInt32();
    if (file.Failed())
        Refuse(index, "is cut short in its values");
    if (hasMesh)
        object.mesh = ReadMesh(file, buggyTextures, device);
    ReadPlacement(file, object);
    const int32_t parent = file.ReadInt32();
    if (file.Failed())
        Refuse(index, "is cut short in its placement");
    if (object.type < 0 || object.type >= ITEM_TYPE_COUNT)
        Refuse(index, "has unknown item type %d", object.type);
    if (parent < -1 || parent == index)
        Refuse(index, "names %d as its parent", parent);
    parents.push_back(parent);
    object.physics.Read(file);
    PlaceInLists(object);
}

void QV7_BuggyMeshSystem::ReadNames(BinaryReader& file, QV7_DataBase_MeshObject& object)
{
    const int index = objects.count - 1;
    if (file.Remaining() < 4)
        Refuse(index, "is cut short before its names");
    const int32_t announced = file.PeekInt32();
    const int count = file.ReadCount(kMinNamePairSize);
    if (file.Failed())
        Refuse(index, "name count %d is larger than the file", announced);
    for (int i = 0; i < count; ++i)
    {
        ItemNamePair* pair = object.names.Add();
        ReadString(pair->name, sizeof pair->name, file);
        ReadString(pair->description, sizeof pair->description, file);
    }
}

void QV7_BuggyMeshSystem::ReadPlacement(BinaryReader& file, QV7_DataBase_MeshObject& object)
{
    object.word = file.ReadUInt32();
    for (int k = 0; k < ATTACH_MODEL_COUNT; ++k)
    {
        ReadVector(file, object.attachPoints[k].position);
        ReadVector(file, object.attachPoints[k].rotation);
        object.attachWords[k] = file.ReadUInt32();
    }
    object.type = file.ReadInt32();
    object.flag = file.ReadUInt32();
}

void QV7_BuggyMeshSystem::PlaceInLists(QV7_DataBase_MeshObject& object)
{
    if (object.type == ITEM_BUGGY_MODEL)
        models.push_back(&object);
    else if (IsEquipmentType(object.type) && object.flag == 0)
        AppendSorted(equipment, &object);
    else if (IsAmmunitionType(object.type))
        AppendSorted(extras, &object);
}

// Parent indices were range-checked against -1 and the object itself; here
// against the whole file, and each chain is walked once to find a loop.
void QV7_BuggyMeshSystem::LinkChains(const std::vector<int32_t>& parents)
{
    const int count = objects.count;
    for (int i = 0; i < count; ++i)
        if (parents[i] >= count)
            Refuse(i, "names %d as its parent, but the file has %d objects", parents[i], count);
    enum : char
    {
        UNSEEN,
        ON_PATH,
        DONE
    };
    std::vector<char> state(size_t(count), UNSEEN);
    for (int start = 0; start < count; ++start)
    {
        int i = start;
        for (; i >= 0 && state[i] == UNSEEN; i = parents[i])
            state[i] = ON_PATH;
        if (i >= 0 && state[i] == ON_PATH)
            Refuse(i, "is its own ancestor: its upgrade chain loops");
        for (i = start; i >= 0 && state[i] == ON_PATH; i = parents[i])
            state[i] = DONE;
    }
    for (int i = 0; i < count; ++i)
        if (parents[i] >= 0)
        {
            objects[i]->parent = objects[parents[i]];
            objects[parents[i]]->child = objects[i];
        }
}
