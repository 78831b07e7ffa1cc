// The driver figures' rigid substitutes: static poses read from the first
// section of Triggers.qvx, drawn with fixed-function state where the skinned
// figure is too far away or the detail too low. g_lodObjects points to the
// list while it lives.
#pragma once

#include "shell/QV7_Collection.h"
#include "world/LodMeshObject.h"

#include <cstdint>

class BinaryReader;

class QV7_LodObjects
{
  public:
    static constexpr DWORD kVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1; // 274

    QV7_LodObjects();
    ~QV7_LodObjects();
    QV7_LodObjects(const QV7_LodObjects&) = delete;
    QV7_LodObjects& operator=(const QV7_LodObjects&) = delete;

    // One mesh object block at the file's position, kept under `id` (not the
    // block's own); textures resolve in the item database's list. A broken
    // block or one that cannot be made is logged and throws CDException.
    LodMeshObject* LoadMesh(BinaryReader& file, uint32_t id);
    // Draws one object at its world matrix (the caller writes it first).
    static void Render(const LodMeshObject& object);
    // Destroys every object, last to first.
    void DestroyList();

    QV7_Collection<LodMeshObject> m_Objects;
    DWORD m_VertexFormat = kVertexFormat;
};

extern QV7_LodObjects* g_lodObjects;
