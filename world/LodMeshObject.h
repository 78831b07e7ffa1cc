// The loaded form the maps database's pointer and the driver figures' rigid
// meshes use: a mesh object that also keeps the system-memory mesh the
// reader optimised, and a pose per subset.
#pragma once

#include "world/MeshObject.h"

// The maps database's pointer and the driver figures' rigid meshes: a mesh
// object that keeps its system-memory mesh and has a pose per subset, and
// starts at a tenth of its file size.
class LodMeshObject : public MeshObject
{
  public:
    struct PoseSlot
    {
        D3DXMATRIX matrix;
        D3DXVECTOR3 position;
        D3DXVECTOR3 rotation;
        float scale;
    };

    LodMeshObject();
    ~LodMeshObject() override;
    void Release() override;

    ID3DXMesh* m_SystemMesh;
    std::vector<PoseSlot> m_PoseSlots; // M of them, identity / zero / 1.0 after a read
};
