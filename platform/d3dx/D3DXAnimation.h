// Our D3DX style skinned meshes and animation: a frame hierarchy loaded from a
// text .x file in memory through an allocator the game implements
// (ID3DXAllocateHierarchy), skin info that turns a skinned mesh into an
// indexed-blended one split into bone combinations, and an animation
// controller that samples keyframed animation sets on tracks and blends them
// into the frames' matrices.
//
// Conventions (pinned by the bind-pose test): row-vector matrices; a frame's
// local matrix is Scale x Rotation x Translation; combined = local x parent's
// combined; a bone's palette matrix is its offset x its frame's combined
// matrix. Key times are ticks / AnimTicksPerSecond (4800 when the file gives
// none). A track samples its set at fmod(position, period).
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "platform/d3dx/D3DXMesh.h"

#include <cstdint>

// ---- frame hierarchy ----

struct D3DXMESHCONTAINER;

struct D3DXFRAME
{
    char* Name;
    D3DXMATRIX TransformationMatrix;
    D3DXMESHCONTAINER* pMeshContainer;
    D3DXFRAME* pFrameSibling;
    D3DXFRAME* pFrameFirstChild;
};

enum D3DXMESHDATATYPE
{
    D3DXMESHTYPE_MESH = 1,
    D3DXMESHTYPE_PMESH = 2,
    D3DXMESHTYPE_PATCHMESH = 3,
};

struct D3DXMESHDATA
{
    D3DXMESHDATATYPE Type;
    ID3DXMesh* pMesh;
};

struct D3DXMATERIAL
{
    D3DMATERIAL9 MatD3D;
    char* pTextureFilename; // null when the material names no texture
};

// .x files of ours carry no effect instances; the loader always passes null.
struct D3DXEFFECTINSTANCE
{
    char* pEffectFilename;
    DWORD NumDefaults;
    void* pDefaults;
};

class ID3DXSkinInfo;

struct D3DXMESHCONTAINER
{
    char* Name;
    D3DXMESHDATA MeshData;
    D3DXMATERIAL* pMaterials;
    D3DXEFFECTINSTANCE* pEffects;
    DWORD NumMaterials;
    DWORD* pAdjacency;
    ID3DXSkinInfo* pSkinInfo;
    D3DXMESHCONTAINER* pNextMeshContainer;
};

// The game's side of loading: it makes and frees every frame and mesh
// container, so it can append fields of its own to both. Everything handed to
// CreateMeshContainer is the loader's and lives only during the call: the
// container copies what it keeps and AddRefs the mesh and skin info.
class ID3DXAllocateHierarchy
{
  public:
    virtual HRESULT CreateFrame(const char* name, D3DXFRAME** newFrame) = 0;
    virtual HRESULT CreateMeshContainer(const char* name, const D3DXMESHDATA* meshData,
                                        const D3DXMATERIAL* materials,
                                        const D3DXEFFECTINSTANCE* effectInstances, DWORD numMaterials,
                                        const DWORD* adjacency, ID3DXSkinInfo* skinInfo,
                                        D3DXMESHCONTAINER** newMeshContainer) = 0;
    virtual HRESULT DestroyFrame(D3DXFRAME* frame) = 0;
    virtual HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* meshContainer) = 0;

  protected:
    ~ID3DXAllocateHierarchy() = default;
};

// ---- skin info and indexed blending ----

// One bone combination of an indexed-blended mesh: the faces and vertices
// drawn with one palette. BoneId[slot] is the bone whose matrix goes into
// palette slot `slot`, UINT_MAX for a slot the combination leaves unused.
struct D3DXBONECOMBINATION
{
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
    DWORD* BoneId;
};

// The most influences a vertex of an indexed-blended mesh keeps.
constexpr DWORD kMaxVertexInfluences = 4;

class ID3DXSkinInfo : public IUnknown
{
  public:
    virtual DWORD GetNumBones() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    // Null for a bone index out of range.
    virtual const char* GetBoneName(DWORD bone) = 0;
    virtual HRESULT SetBoneName(DWORD bone, const char* name) = 0;
    virtual D3DXMATRIX* GetBoneOffsetMatrix(DWORD bone) = 0;
    virtual HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) = 0;
    virtual DWORD GetNumBoneInfluences(DWORD bone) = 0;
    // vertices and weights must hold GetNumBoneInfluences(bone) entries.
    virtual HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, float* weights) = 0;
    // Vertex indices must lie below GetNumVertices.
    virtual HRESULT SetBoneInfluence(DWORD bone, DWORD count, const DWORD* vertices,
                                     const float* weights) = 0;
    // The most bones with a non-zero weight on one vertex.
    virtual HRESULT GetMaxVertexInfluences(DWORD* maxInfluences) = 0;
    // A copy of meshIn whose vertices carry up to four bone influences, as
    // XYZB<n> | LASTBETA_UBYTE4 with the packed palette indices in the last
    // beta (n = the most influences a vertex keeps), the rest of meshIn's
    // format after it. Faces are split into bone combinations of at most
    // paletteSize bones (every face's bones in its combination's palette) and
    // sorted by combination; a vertex used by several combinations is copied
    // into each. The attribute of each face becomes its combination's index,
    // so DrawSubset(i) draws combination i. options are mesh options (the
    // D3DXMESHOPT bits are accepted and ignored). D3DERR_INVALIDCALL when a
    // face needs more bones than the palette holds, the palette is empty or
    // meshIn's vertex count differs from the skin's.
    virtual HRESULT ConvertToIndexedBlendedMesh(ID3DXMesh* meshIn, DWORD options, DWORD paletteSize,
                                                const DWORD* adjacencyIn, DWORD* adjacencyOut,
                                                DWORD* faceRemap, ID3DXBuffer** vertexRemap,
                                                DWORD* maxVertexInfluences, DWORD* numBoneCombinations,
                                                ID3DXBuffer** boneCombinationTable, ID3DXMesh** meshOut) = 0;
};

HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, ID3DXSkinInfo** skinInfo);

// ---- animation ----

// One named, keyframed animation: per animated frame (an "animation", looked
// up by the frame's name) its scale, rotation and translation over time.
class ID3DXAnimationSet : public IUnknown
{
  public:
    virtual const char* GetName() = 0;
    // Seconds: the last key's time.
    virtual double GetPeriod() = 0;
    // position wrapped into [0, period); 0 for a set of period 0.
    virtual double GetPeriodicPosition(double position) = 0;
    virtual UINT GetNumAnimations() = 0;
    virtual HRESULT GetAnimationNameByIndex(UINT index, const char** name) = 0;
    virtual HRESULT GetAnimationIndexByName(const char* name, UINT* index) = 0;
    // The pose of one animation at a periodic position; the rotation is the
    // one D3DXMatrixRotationQuaternion turns into the frame's rotation. A key
    // type the animation lacks gives identity (scale 1, no turn, no move).
    virtual HRESULT GetSRT(double periodicPosition, UINT animation, D3DXVECTOR3* scale,
                           D3DXQUATERNION* rotation, D3DXVECTOR3* translation) = 0;
};

enum D3DXPRIORITY_TYPE
{
    D3DXPRIORITY_LOW = 0,
    D3DXPRIORITY_HIGH = 1,
};

struct D3DXTRACK_DESC
{
    D3DXPRIORITY_TYPE Priority;
    float Weight;
    float Speed;
    double Position;
    BOOL Enable;
};

// Tracks play animation sets into registered outputs (a frame's matrix, and
// optionally its scale, rotation and translation). AdvanceTime moves every
// track's position by dt x its speed and writes every output that an enabled
// track animates: the weighted sum of the tracks' scales and translations and
// the weighted, sign-aligned and normalised sum of their rotations, high-
// priority tracks first; low-priority ones are mixed in by the priority blend
// (0, the default, leaves them out). An output no enabled track animates
// keeps what it holds.
class ID3DXAnimationController : public IUnknown
{
  public:
    virtual UINT GetMaxNumAnimationOutputs() = 0;
    virtual UINT GetMaxNumAnimationSets() = 0;
    virtual UINT GetMaxNumTracks() = 0;
    virtual HRESULT RegisterAnimationOutput(const char* name, D3DXMATRIX* matrix, D3DXVECTOR3* scale,
                                            D3DXQUATERNION* rotation, D3DXVECTOR3* translation) = 0;
    virtual HRESULT RegisterAnimationSet(ID3DXAnimationSet* set) = 0;
    virtual HRESULT UnregisterAnimationSet(ID3DXAnimationSet* set) = 0;
    virtual UINT GetNumAnimationSets() = 0;
    // AddRefs the set handed out.
    virtual HRESULT GetAnimationSet(UINT index, ID3DXAnimationSet** set) = 0;
    virtual HRESULT GetAnimationSetByName(const char* name, ID3DXAnimationSet** set) = 0;
    virtual HRESULT AdvanceTime(double timeDelta, void* callbackHandler) = 0;
    virtual HRESULT ResetTime() = 0;
    virtual double GetTime() = 0;
    virtual HRESULT SetTrackAnimationSet(UINT track, ID3DXAnimationSet* set) = 0;
    virtual HRESULT GetTrackAnimationSet(UINT track, ID3DXAnimationSet** set) = 0;
    virtual HRESULT SetTrackPriority(UINT track, D3DXPRIORITY_TYPE priority) = 0;
    virtual HRESULT SetTrackSpeed(UINT track, float speed) = 0;
    virtual HRESULT SetTrackWeight(UINT track, float weight) = 0;
    virtual HRESULT SetTrackPosition(UINT track, double position) = 0;
    virtual HRESULT SetTrackEnable(UINT track, BOOL enable) = 0;
    virtual HRESULT SetTrackDesc(UINT track, const D3DXTRACK_DESC* desc) = 0;
    virtual HRESULT GetTrackDesc(UINT track, D3DXTRACK_DESC* desc) = 0;
    virtual HRESULT SetPriorityBlend(float blendWeight) = 0;
    virtual float GetPriorityBlend() = 0;
};

// maxNumEvents is accepted and ignored (no events).
HRESULT D3DXCreateAnimationController(UINT maxNumAnimationOutputs, UINT maxNumAnimationSets,
                                      UINT maxNumTracks, UINT maxNumEvents,
                                      ID3DXAnimationController** controller);

// ---- loading ----

// Tracks of the controller a load makes; track 0 plays the file's first set.
constexpr UINT kLoadedControllerTracks = 4;

// Loads a text .x file: one frame per file frame (made by the allocator, its
// TransformationMatrix the file's), one mesh container per mesh (meshes made
// with `options` on `device`; XYZ plus NORMAL and TEX1 when the file has
// them; faces sorted by material; adjacency generated; skin info when the
// mesh has SkinWeights). With animation sets, *controller (may be null to
// skip) gets a controller with every frame registered as an output and every
// set registered, track 0 enabled on the first set; without sets it is null.
// Fails with D3DERR_INVALIDCALL for missing arguments, E_FAIL for a file we
// cannot read (binary, compressed or broken: the reason goes to the message
// sink) and with what the allocator or mesh creation returned; on failure
// nothing is left allocated and the outputs are null.
HRESULT D3DXLoadMeshHierarchyFromXInMemory(const void* memory, DWORD sizeOfMemory, DWORD options,
                                           IDirect3DDevice9* device, ID3DXAllocateHierarchy* allocate,
                                           void* userDataLoader, D3DXFRAME** frameHierarchy,
                                           ID3DXAnimationController** animController);
// Frees a tree through the allocator: containers, children, siblings, frames.
HRESULT D3DXFrameDestroy(D3DXFRAME* frameRoot, ID3DXAllocateHierarchy* allocate);
// Depth first (the frame, its children, its siblings); null when absent.
D3DXFRAME* D3DXFrameFind(const D3DXFRAME* frameRoot, const char* name);

// Per-vertex normals: the normalised sum of the faces' normals around each
// vertex ((v1 - v0) x (v2 - v0), weighted by area). The mesh's format must
// hold a normal. adjacency is accepted and not needed.
HRESULT D3DXComputeNormals(ID3DXMesh* mesh, const DWORD* adjacency);

// Where the loader's explanations go (one line each, "ERROR: ..."); null
// sends them to stderr. The game points this at its logger.
using D3DXMessageSink = void (*)(const char* text);
void D3DXSetMessageSink(D3DXMessageSink sink);
