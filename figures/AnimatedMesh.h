// One skinned driver figure loaded from the .x data of Triggers.qvx: its
// frame hierarchy, the one skinned mesh (indexed-blended, drawn one bone
// combination at a time), the animation controller every user of the figure
// shares, and the material and texture the file gives it.
#pragma once

#include "figures/QV7_Skin_Allocator.h"
#include "platform/gfx/D3D9.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <vector>

class BinaryReader;
struct TextureRecord;

class AnimatedMesh
{
  public:
    AnimatedMesh();
    ~AnimatedMesh();
    AnimatedMesh(const AnimatedMesh&) = delete;
    AnimatedMesh& operator=(const AnimatedMesh&) = delete;

    // The first container with a mesh: the frame's own, else the sibling
    // subtree's, else the child subtree's.
    static SkinMeshContainer* FindSkinnedContainer(D3DXFRAME* frame);
    // Palette slot j of bone combination `combination`: offset x combined
    // matrix of its bone; slots without a bone keep their matrix.
    void FillPalette(DWORD combination);

    int32_t m_Id = 0;
    ID3DXAnimationController* m_Controller = nullptr;
    QV7_Skin_Allocator m_Allocator;
    SkinFrame* m_FrameRoot = nullptr;
    SkinMeshContainer* m_Skinned = nullptr;
    std::vector<D3DXMATRIX*> m_BoneMatrices; // per bone, its frame's combined matrix
    std::vector<D3DXMATRIX> m_Palette;       // per bone
    // Our device takes the blended mesh's format where D3D9 took a vertex declaration.
    DWORD m_VertexFormat = 0;
    DWORD m_VertexSize = 0;
    D3DXMATRIX m_World;
    TextureRecord* m_Texture = nullptr;
    D3DMATERIAL9 m_Material{};
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    IDirect3DIndexBuffer9* m_IndexBuffer = nullptr;
    std::vector<D3DXATTRIBUTERANGE> m_AttributeTable; // one per bone combination
    int32_t m_Bones = 0;
    float m_LastStep = 0.0f;
    float m_SummedTime = 0.0f;

  private:
    void FreeFrameTree(D3DXFRAME* frame);
};

// Size of the material every figure entry carries after its .x bytes.
constexpr size_t kFigureMaterialSize = 68;

// Reads one figure entry of Triggers.qvx after its id (size, .x bytes,
// material, texture id) and appends the figure to `list`; textures resolve in
// the item database's list. A figure that does not load (the .x is refused,
// it has no skinned mesh, a bone names no frame, or it has no animation set)
// is logged and left out, and so is every figure while [MAIN] DebugAnim is 1:
// null, with the file after the whole entry either way. An entry cut short
// is a broken file: logged, CDException.
AnimatedMesh* LoadAnimatedMesh(QV7_Collection<AnimatedMesh>& list, BinaryReader& file, int32_t id);
