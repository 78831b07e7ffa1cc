// The game's side of loading a skinned figure: the frames and mesh
// containers D3DX builds through this allocator carry what drawing needs
// (each frame's combined matrix; the skinned container's indexed-blended mesh,
// bone offsets and bone combinations), and the two draw paths of a figure.
#pragma once

#include "platform/d3dx/D3DXAnimation.h"

class AnimatedMesh;

class QV7_Buggy;

struct SkinFrame : D3DXFRAME
{
    D3DXMATRIX CombinedTransformationMatrix;
};

struct SkinMeshContainer : D3DXMESHCONTAINER
{
    ID3DXMesh* pBlendedMesh;
    D3DXMATRIX* pBoneOffsetMatrices; // one per bone
    DWORD NumPaletteEntries;
    DWORD NumInfluences; // the most bones on one vertex
    DWORD NumBoneCombinations;
    ID3DXBuffer* pBoneCombinationBuf;
};

// Palette matrices the "Skinned" effect holds; a skin with more bones is split
// into bone combinations, one draw each.
constexpr DWORD kMaxPaletteSize = 26;

class QV7_Skin_Allocator : public ID3DXAllocateHierarchy
{
  public:
    virtual ~QV7_Skin_Allocator() = default;

    HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) override;
    // Only a mesh with skin info is kept (converted to an indexed-blended mesh
    // whose format is position, blend weights, normal and one texture
    // coordinate, with normals computed when the file had none); a mesh
    // without gives an empty container. A failed conversion fails the load.
    HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData, const D3DXMATERIAL* materials,
                                const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials,
                                const DWORD* adjacency, ID3DXSkinInfo* skinInfo,
                                D3DXMESHCONTAINER** newMeshContainer) override;
    HRESULT DestroyFrame(D3DXFRAME* frame) override;
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) override;

    // combined = transformation x parent; siblings share the parent.
    static void UpdateFrameMatrices(D3DXFRAME* frame, const D3DXMATRIX& parent);
    // Depth first: the frame, its sibling subtree, its child subtree; null when absent.
    static SkinFrame* FindFrame(D3DXFRAME* frame, const char* name);

    // The profile-page path: the figure advanced by the frame time, then drawn
    // at its world matrix with the camera's view, the caller's projection and
    // a fixed light.
    static void RenderPreview(AnimatedMesh& figure, const D3DXMATRIX& projection);
    // The race path: the camera's projection, the landscape's sun (a fixed
    // light without a loaded island), a second pass through the island's
    // shading picture near the camera at high detail unless the buggy has
    // faded out (its contact level, 64 of alpha reference per stage); then,
    // unless advance is false (the mirrored pass), the figure advances by the
    // frame time.
    static void RenderRaceFigure(AnimatedMesh& figure, const QV7_Buggy& owner, bool advance = true);

  private:
    static HRESULT ConvertToBlended(SkinMeshContainer& container, ID3DXSkinInfo* skinInfo);
};
