// Pointer and figure meshes: a tenth of their size until placed otherwise.
#include "world/LodMeshObject.h"

LodMeshObject::LodMeshObject() : MeshObject(0.1f), m_SystemMesh(nullptr) {}

LodMeshObject::~LodMeshObject()
{
    LodMeshObject::Release();
}

void LodMeshObject::Release()
{
    m_PoseSlots.clear();
    MeshObject::Release();
    if (m_SystemMesh)
        m_SystemMesh->Release();
    m_SystemMesh = nullptr;
}
