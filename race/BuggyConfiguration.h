// One buggy as a player or a computer opponent owns it: a buggy model of the
// buggy database and the parts mounted on it, with the stats the garage shows.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "race/MountedPart.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

class QV7_BuggyMeshSystem;
struct AttachPoint;

// The mount of an object at an attach point: its yaw, pitch and roll, then its position.
D3DXMATRIX MountMatrix(const AttachPoint& point);

class BuggyConfiguration
{
  public:
    BuggyConfiguration() = default;
    BuggyConfiguration(const BuggyConfiguration&) = delete;
    BuggyConfiguration& operator=(const BuggyConfiguration&) = delete;

    // Places every part and the owner's equipment, and recomputes the stats;
    // without a current profile (and for no opponent) the stats stay as they were.
    static void MountParts(BuggyConfiguration* config);
    // Appends the parts the configuration's model comes with; does not mount them.
    static void EquipDefaultParts(BuggyConfiguration* config);
    // The database the configurations read: the loaded item database's; null without one.
    static QV7_BuggyMeshSystem* Database();

    // The position of the model in the database's models list; -1 when absent.
    int ModelIndex() const;

    // Item index of the buggy model; -1 when absent.
    int32_t model = -1;
    QV7_Collection<MountedPart> parts;
    // An opponent's configuration refers to the opponent's owned parts and stats; null otherwise.
    QV7_Collection<MountedPart>* ownerParts = nullptr;
    int32_t* ownerStats = nullptr;
    int32_t value = 0;
    int32_t strength = 0;
    int32_t energy = 0;
    int32_t repair = 0;
    int32_t maxSpeed = 0;
    int32_t acceleration = 0;
    int32_t alternator = 0;

  private:
    void ComputeStats(const QV7_BuggyMeshSystem& db, int m);
};
