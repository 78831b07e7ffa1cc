// One named animation binding of the driver-figure database: a trigger name
// such as "TRIG_KRASKA_STUUR_LINKS" tied to an animated figure, one of its
// animation sets and a rigid substitute. The pointers are resolved from the
// ids once the record is read; an id no figure has leaves its pointer null.
#pragma once

#include <cstdint>

class AnimatedMesh;
class LodMeshObject;

struct TriggerRecord
{
    static constexpr int kNameSize = 260;

    char m_Name[kNameSize] = "*";
    int32_t m_AnimatedMeshId = -1;
    char m_AnimationSetName[kNameSize] = "*";
    int32_t m_RigidMeshId = -1;
    AnimatedMesh* m_AnimatedMesh = nullptr;
    LodMeshObject* m_RigidMesh = nullptr;
};
