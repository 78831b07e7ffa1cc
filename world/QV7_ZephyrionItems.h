// The collectable items lying on an island's track (currency pieces,
// ammunition, turbo, power and shield pick-ups), from Map%d.zph. Small pieces
// are camera-facing billboards drawn through the "Items" effect, the others
// spinning, bobbing meshes. Every race frame each racer is tested against
// every item; the first racer within reach takes it and gets its reward. Only
// the camera's 4096-unit cell is drawn: the file already lists in each cell
// everything within reach of it. The race session owns one.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/Effect.h"
#include "platform/gfx/D3D9.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class MeshObject;
class QV7_Buggy;
class QV7_PhysicsGroup;
class QV7_TextureList;
struct ShaderEntry;
struct TextureRecord;

struct ItemGridCell;

struct ItemBillboardRef
{
    ItemGridCell* cell = nullptr;
    int firstVertex = 0;
};

struct TrackItem
{
    std::vector<ItemBillboardRef> references;
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    float spare = 0.0f;
    int type = 0;
    int index = 0;
    D3DXMATRIX world;
    int taken = 0;
};

struct ItemGridCell
{
    static constexpr int kVertexBytes = 44;
    static constexpr int kBillboardBytes = 6 * kVertexBytes;
    std::vector<uint8_t> vertices; // B x 264 bytes
    IDirect3DVertexBuffer9* vertexBuffer = nullptr;
    int billboardCount = 0;
    std::array<std::vector<TrackItem*>, 10> lists;
};

class QV7_ZephyrionItems
{
  public:
    static constexpr int kMeshKinds = 10;
    static constexpr int kGridSide = 16;
    static constexpr float kCellSize = 4096.0f;
    static constexpr DWORD kMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
    static constexpr float kDrawDistance = 7000.0f;

    QV7_ZephyrionItems();
    ~QV7_ZephyrionItems();
    QV7_ZephyrionItems(const QV7_ZephyrionItems&) = delete;
    QV7_ZephyrionItems& operator=(const QV7_ZephyrionItems&) = delete;

    // A broken or missing file logs why and throws CDException.
    void Load(const std::string& path, const QV7_TextureList* mapTextures);
    ItemGridCell* GetCell(float x, float z);
    void UpdatePickups(QV7_PhysicsGroup& group);
    // Main pass only.
    void Render();
    void Reset();
    void OnLostReset(int lost);

    // How far a racer at distance reaches an item of a type: taken below 100.
    static float ReachDistance(int type, float distance);
    // The reward of an item type for the racer at a place in the group.
    static void GiveReward(int type, QV7_Buggy& racer, int racerIndex);

    // The "Stars" effect at a picked item (position, scale); skipped when
    // not set (no effect libraries).
    static void (*s_CreateStars)(const D3DXVECTOR3& position, float scale);
    // Racer j's collected-currency counter (the profiles' counters, set by
    // the race session); null or not set: no counter.
    static int* (*s_CurrencyCounter)(int racerIndex);

    std::vector<std::unique_ptr<MeshObject>> m_Meshes;
    float m_Phase = 0.0f;
    std::vector<std::unique_ptr<TrackItem>> m_Items;
    std::array<ItemGridCell, kGridSide * kGridSide> m_Grid;
    TextureRecord* m_Texture = nullptr;
    DWORD m_Fvf = kMeshFvf;
    ShaderEntry* m_Shader = nullptr;
    D3DXHANDLE m_ItemTechnique = nullptr;
    D3DXHANDLE m_FadingTechnique = nullptr;
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;

  private:
    void ReadItems(class BinaryReader& file, const std::string& path);
    void ReadCells(BinaryReader& file, const std::string& path);
    void CheckReferences(const std::string& path);
    void CreateBuffers();
    void ReleaseBuffers();
    void Take(TrackItem& item, QV7_Buggy& racer, int racerIndex);
    void Hide(const ItemBillboardRef& reference);
    void RenderBillboards(const ItemGridCell& cell);
    void RenderMeshes(ItemGridCell& cell, float frameMs);
    void BindMesh(const MeshObject& mesh);
    void Clear();
};
