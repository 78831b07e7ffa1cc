// One object of the buggy database: a buggy model, a weapon, the shield or
// jammer, an upgrade part or ammunition, with its names in every language,
// prices, mesh, mount placement per buggy model, upgrade chain links and
// physics definition.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "race/BuggyPhysicsDefinition.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

class BuggyMesh;
class QV7_Buggy;

// What an object is; its list and use.
enum ItemType
{
    ITEM_BUGGY_MODEL = 0,
    ITEM_FLAMER = 1,
    ITEM_ICE_CANNON = 2,
    ITEM_CHAIN_GUN = 3,
    ITEM_CANNON = 4,
    ITEM_TESLA_COIL = 5,
    ITEM_TURBO = 6,
    ITEM_ENGINE = 7,
    ITEM_REPAIR = 8,
    ITEM_SHIELD = 9,
    ITEM_POWER = 10,
    ITEM_ALTERNATOR = 11,
    ITEM_JAMMER = 12,
    ITEM_EXHAUST = 13,
    ITEM_STRENGTH = 14,
    ITEM_PART = 15,
    ITEM_AMMO_FIRST = 16,
    ITEM_AMMO_LAST = 19,
    ITEM_TYPE_COUNT = 20
};

// Equipment: the weapons, the shield and the jammer.
bool IsEquipmentType(int32_t type);
bool IsAmmunitionType(int32_t type);

constexpr int ITEM_NAME_SIZE = 500;
// Only the first ten buggy models carry a mount placement.
constexpr int ATTACH_MODEL_COUNT = 10;

// An object's name and description in one language.
struct ItemNamePair
{
    ItemNamePair();
    char name[ITEM_NAME_SIZE];
    char description[ITEM_NAME_SIZE];
};

// Where an object sits when mounted on one buggy model, in model units.
struct AttachPoint
{
    float position[3] = {};
    float rotation[3] = {}; // yaw, pitch, roll
};

class QV7_DataBase_MeshObject
{
  public:
    QV7_DataBase_MeshObject();
    QV7_DataBase_MeshObject(const QV7_DataBase_MeshObject&) = delete;
    QV7_DataBase_MeshObject& operator=(const QV7_DataBase_MeshObject&) = delete;

    // The pair of the language (the VersionNumber setting); the first pair
    // for a language the file does not have; null when it has none.
    const ItemNamePair* Names(int language) const;
    // 1 at the lowest level of its upgrade chain, plus one per step down.
    int Level() const;
    // The lowest level of the chain this object belongs to.
    const QV7_DataBase_MeshObject* ChainBase() const;
    // Level k of this object's chain (1 the lowest); null past its top or below 1.
    const QV7_DataBase_MeshObject* AtLevel(int level) const;
    // The mount placement and fit flag on the k-th buggy model; null and 0
    // past the ten models the file provides for.
    const AttachPoint* AttachPointFor(int model) const;
    uint32_t FitsModel(int model) const;

    // The object's mesh at world (menus and garage); pass changes nothing
    // in the drawing. A fault inside is logged and costs the picture.
    void Render(const D3DXMATRIX& world, int silhouette, const float* tint, int pass) const;
    // The object's mesh as a racer's whole mesh (race).
    void RenderPhysics(const QV7_Buggy* racer, const D3DXMATRIX& world, int black, int mirrored, int spin,
                       float spinAngle, int shadowPass) const;

    QV7_Collection<ItemNamePair> names;
    uint32_t value1; // price
    uint32_t value2; // resale value
    uint32_t value3;
    uint32_t value4;
    int32_t reserved;
    BuggyMesh* mesh; // owned by the mesh system's meshes
    uint32_t word;
    AttachPoint attachPoints[ATTACH_MODEL_COUNT];
    int32_t type;
    uint32_t flag;                   // 0: equipment is offered (shop, equipment list)
    QV7_DataBase_MeshObject* parent; // next higher level
    QV7_DataBase_MeshObject* child;  // next lower level
    BuggyPhysicsDefinition physics;
    uint32_t attachWords[ATTACH_MODEL_COUNT]; // 1: fits the k-th model
};
