// The part of a device both back-ends share: every piece of fixed-function
// state (so Get* calls answer what Set* stored), resource creation in memory,
// scene brackets, device-loss bookkeeping and the call record. A back-end
// supplies what needs its own machinery: clearing and presenting the back
// buffer, resetting, reading the presented frame, and (later) drawing.
//
// The call record: when m_Record is set (the null back-end), every call is
// appended as one readable line, "SetRenderState(7,1)", resources by their
// short names ("SetTexture(0,tex3)"), colours as 0xAARRGGBB, floats with %g.
#pragma once

#include "platform/gfx/D3D9.h"
#include "platform/gfx/ProgramObject.h"
#include "platform/gfx/Resources.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace gfx
{
// One draw as the back-end receives it: from stream 0 and the index buffer,
// or from user memory (the UP calls; stream 0 and the indices are then unbound).
struct DrawCall
{
    D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
    UINT primitiveCount = 0;
    bool indexed = false;
    // Non-indexed: the first vertex.
    UINT startVertex = 0;
    // Indexed: the base vertex added to every index, the first index, and the
    // range of vertices the indices reach.
    INT baseVertex = 0;
    UINT startIndex = 0;
    UINT minIndex = 0;
    UINT vertexCount = 0;
    // User memory (null: the bound buffers).
    const void* userVertices = nullptr;
    UINT userStride = 0;
    const void* userIndices = nullptr;
    D3DFORMAT userIndexFormat = D3DFMT_INDEX16;
};

// Vertices a primitive count takes.
UINT VerticesOf(D3DPRIMITIVETYPE type, UINT primitiveCount);

class DeviceBase : public RefCounted<IDirect3DDevice9>
{
  public:
    DeviceBase(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DCAPS9& caps,
               std::vector<std::string>* record);

    // Called by the back-end's creation once its back buffer exists.
    void SetUpBuffers(const D3DPRESENT_PARAMETERS& presentParameters);

    HRESULT TestCooperativeLevel() override;
    UINT GetAvailableTextureMem() override;
    HRESULT EvictManagedResources() override;
    HRESULT GetDirect3D(IDirect3D9** direct3D) override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters) override;
    BOOL ShowCursor(BOOL show) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentParameters) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                    const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type,
                          IDirect3DSurface9** surface) override;

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, void** sharedHandle = nullptr) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                               void** sharedHandle = nullptr) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer9** buffer, void** sharedHandle = nullptr) override;
    HRESULT CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                               DWORD multiSampleQuality, BOOL lockable, IDirect3DSurface9** surface,
                               void** sharedHandle = nullptr) override;
    HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                      DWORD multiSampleQuality, BOOL discard, IDirect3DSurface9** surface,
                                      void** sharedHandle = nullptr) override;
    HRESULT CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                        IDirect3DSurface9** surface, void** sharedHandle = nullptr) override;
    HRESULT UpdateTexture(IDirect3DBaseTexture9* source, IDirect3DBaseTexture9* destination) override;
    HRESULT GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destination) override;
    HRESULT GetFrontBufferData(UINT swapChain, IDirect3DSurface9* destination) override;
    HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* destination,
                        const RECT* destRect, DWORD filter) override;
    HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override;

    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
    HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT GetMaterial(D3DMATERIAL9* material) override;
    HRESULT SetLight(DWORD index, const D3DLIGHT9* light) override;
    HRESULT GetLight(DWORD index, D3DLIGHT9* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT GetLightEnable(DWORD index, BOOL* enable) override;
    HRESULT SetClipPlane(DWORD index, const float* plane) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetScissorRect(const RECT* rect) override;
    HRESULT GetScissorRect(RECT* rect) override;

    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements,
                                    IDirect3DVertexDeclaration9** declaration) override;
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* declaration) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT GetIndices(IDirect3DIndexBuffer9** buffer) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT vertexCount,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                            UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override;

    // Layer extensions.
    virtual bool ReadPresentedFrame(PresentedFrame& frame) = 0;
    void ForceLoss(DeviceLoss loss);

    // Shader programs of the effects (Programs.h); the null back-end keeps
    // plain records.
    virtual Program* CreateProgramObject(const std::string& vertexSource, const std::string& fragmentSource,
                                         std::string* log);
    virtual void DestroyProgramObject(Program* program);
    void UseProgramObject(Program* program) { m_Program = program; }
    // A resource is going away: a back-end drops its copies of it.
    virtual void ForgetResource(const void*) {}

    // Appends one line to the call record, when recording. Every device call
    // comes through here first, so a back-end holding draws back draws them
    // before anything else can happen.
    void Record(const std::string& line);
    bool Recording() const { return m_Record != nullptr; }
    // Resource bookkeeping: short names and the count of live default-pool resources.
    std::string NextName(const char* kind);
    void CountDefaultPool(int delta) { m_LiveDefaultPool += delta; }
    int LiveDefaultPool() const { return m_LiveDefaultPool; }

    const D3DPRESENT_PARAMETERS& PresentParameters() const { return m_PresentParameters; }
    MemorySurface* BackBufferSurface() const { return m_BackBuffer; }
    MemorySurface* CurrentRenderTarget() const { return m_RenderTargets[0]; }

  protected:
    ~DeviceBase() override;

    // Back-end hooks.
    // Clears the back buffer (the current render target is the back buffer).
    // The defaults work on the back buffer's memory (the null back-end).
    virtual HRESULT ClearBackBuffer(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                                    DWORD stencil);
    // Clears a render target other than the back buffer (and the depth-stencil
    // surface that goes with it); the default works on their memory.
    virtual HRESULT ClearOffscreen(DWORD count, const D3DRECT* areas, DWORD flags, D3DCOLOR color, float z,
                                   DWORD stencil);
    virtual HRESULT PresentBackBuffer() = 0;
    // Makes the back buffer of the new parameters (already completed).
    virtual HRESULT ResetBackBuffer(D3DPRESENT_PARAMETERS& presentParameters) = 0;
    // Copies the back buffer into a memory image of the same size.
    virtual HRESULT ReadBackBuffer(ImageMemory& destination);
    // Copies a memory image into (part of) the back buffer.
    virtual HRESULT WriteBackBuffer(const ImageMemory& source, const RECT* sourceRect, const RECT* destRect);
    // Lets the back-end notice a loss by itself (a minimised window).
    virtual void UpdateLoss() {}
    // Drawing with the current state; the null back-end only records it.
    virtual HRESULT Draw(const DrawCall&) { return D3D_OK; }
    // A back-end may hold a run of draws back to send them as one (with
    // m_HeldDraws set): this draws them, before the next device call.
    virtual void DrawHeld() {}
    bool m_HeldDraws = false;

    // Direct3D's default state, as after creation and after every Reset.
    void ResetState();
    void ReleaseBoundObjects();
    // A line of the call record; empty when not recording (no formatting per call then).
    std::string Format(const char* format, ...) __attribute__((format(printf, 2, 3)));

    IDirect3D9* m_Direct3D;
    D3DDEVICE_CREATION_PARAMETERS m_Creation;
    D3DCAPS9 m_Caps;
    D3DPRESENT_PARAMETERS m_PresentParameters{};
    std::vector<std::string>* m_Record;
    DeviceLoss m_Loss = DeviceLoss::None;
    bool m_InScene = false;
    int m_NextId = 1;
    int m_LiveDefaultPool = 0;

    MemorySurface* m_BackBuffer = nullptr;
    MemorySurface* m_AutoDepth = nullptr;
    std::array<MemorySurface*, 4> m_RenderTargets{};
    MemorySurface* m_DepthStencil = nullptr;

    std::array<DWORD, D3DRS_TABLE_SIZE> m_RenderStates{};
    std::array<std::array<DWORD, D3DTSS_TABLE_SIZE>, D3D_STAGE_COUNT> m_StageStates{};
    std::array<std::array<DWORD, D3DSAMP_TABLE_SIZE>, D3D_SAMPLER_COUNT> m_SamplerStates{};
    std::array<IDirect3DBaseTexture9*, D3D_SAMPLER_COUNT> m_Textures{};
    std::map<uint32_t, D3DMATRIX> m_Transforms;
    D3DVIEWPORT9 m_Viewport{};
    D3DMATERIAL9 m_Material{};
    std::map<DWORD, D3DLIGHT9> m_Lights;
    std::map<DWORD, BOOL> m_LightEnabled;
    RECT m_Scissor{};
    DWORD m_Fvf = 0;
    // The layout when m_Fvf is 0 (a reference is held while set).
    IDirect3DVertexDeclaration9* m_Declaration = nullptr;
    struct Stream
    {
        IDirect3DVertexBuffer9* buffer = nullptr;
        UINT offset = 0;
        UINT stride = 0;
    };
    std::array<Stream, 16> m_Streams{};
    IDirect3DIndexBuffer9* m_Indices = nullptr;
    std::array<std::array<float, 4>, 6> m_ClipPlanes{};
    Program* m_Program = nullptr;
};

// Fills a creation's missing back-buffer size from the window (0 means the
// client area in windowed mode) and the format from the desktop when unknown.
void CompletePresentParameters(D3DPRESENT_PARAMETERS& parameters, HWND window, const D3DDISPLAYMODE& desktop);
} // namespace gfx
