// The gl back-end's device: an OpenGL 3.3 core context on the game window (or
// on a hidden window of its own when it is given none), the back buffer as a
// framebuffer object of the present-parameters size, and Present blitting it
// scaled into the window (after a discarding present the next frame is drawn
// into the buffer of the frame before, so the presented picture stays for
// read-backs without a copy per frame). Every GL call happens on the thread that created the
// device; resources locked from other threads only touch their memory.
//
// Orientation: the framebuffer objects hold the picture top row first (GL row
// 0 is Direct3D's row 0), so clear rectangles, viewports and read-backs use
// Direct3D's coordinates unchanged; the blit to the window flips it. The
// drawing path must flip clip-space y to match (and so swap the front-face
// winding).
//
// Drawing (GlDraw.cpp, GlTextures.cpp, GlFixedFunction.cpp): resources stay in
// memory in Direct3D's layouts and are copied to OpenGL objects when a draw
// needs them and they changed; the fixed-function states become a block whose
// integers pick a program made for them (built the first time they are drawn
// with, then kept) and whose values are its uniforms; an effect's program
// replaces them while it is in use.
//
// Render targets (GlTargets.cpp): a texture level used as a render target or
// depth-stencil is drawn into through the texture's own GL copy; plain render
// target and depth-stencil surfaces get renderbuffers. Each pairing of a
// colour target with a depth-stencil surface gets a framebuffer object of its
// own, made the first time it is drawn into, so the game may combine any of
// them with the back buffer and its depth. What is rendered stays on the GL
// side: the surfaces' memory is not updated.
#pragma once

#include "platform/gfx/DeviceBase.h"
#include "platform/gfx/gl/GlFixedFunction.h"

#include <unordered_map>

struct SDL_Window;

namespace gfx::gl
{
class GlDevice : public DeviceBase
{
  public:
    // Null (with a reason on stderr) when no context can be made.
    static GlDevice* Create(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation,
                            const D3DCAPS9& caps, D3DPRESENT_PARAMETERS& presentParameters);

    bool ReadPresentedFrame(PresentedFrame& frame) override;

  protected:
    HRESULT ClearBackBuffer(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                            DWORD stencil) override;
    HRESULT ClearOffscreen(DWORD count, const D3DRECT* areas, DWORD flags, D3DCOLOR color, float z,
                           DWORD stencil) override;
    HRESULT PresentBackBuffer() override;
    HRESULT ResetBackBuffer(D3DPRESENT_PARAMETERS& presentParameters) override;
    HRESULT ReadBackBuffer(ImageMemory& destination) override;
    HRESULT WriteBackBuffer(const ImageMemory& source, const RECT* sourceRect, const RECT* destRect) override;
    void UpdateLoss() override;
    HRESULT Draw(const DrawCall& call) override;
    Program* CreateProgramObject(const std::string& vertexSource, const std::string& fragmentSource,
                                 std::string* log) override;
    void DestroyProgramObject(Program* program) override;
    void ForgetResource(const void* resource) override;
    void DrawHeld() override;

  private:
    struct TextureCopy
    {
        unsigned id = 0;
        std::vector<uint32_t> versions;
        UINT levels = 0;
    };
    struct BufferCopy
    {
        unsigned id = 0;
        size_t size = 0;
    };
    struct FixedUniforms;
    // A program of the fixed-function shaders for one key, and the block it
    // last had uploaded. A key whose program did not build keeps id 0.
    struct FixedProgram
    {
        unsigned id = 0;
        FixedUniforms* uniforms = nullptr;
        FixedFunctionBlock last{};
        bool uploaded = false;
    };
    // A GL image a framebuffer attaches: a texture level or a renderbuffer.
    struct Attachment
    {
        unsigned kind = 0; // GL_TEXTURE_2D or GL_RENDERBUFFER; 0 for none
        unsigned name = 0;
        int level = 0;
        unsigned point = 0; // the attachment point
        bool operator==(const Attachment&) const = default;
    };
    struct TargetFramebuffer
    {
        Attachment colour, depth;
        unsigned fbo = 0;
        bool complete = false;
    };
    struct SurfaceCopy
    {
        unsigned renderbuffer = 0;
    };
    // What the vertex array and the sampler objects were last set to.
    struct LayoutKey
    {
        DWORD fvf = 0;
        UINT stride = 0;
        size_t offset = 0;
        unsigned buffer = 0;
        const void* declaration = nullptr;
        bool operator==(const LayoutKey&) const = default;
    };
    struct SamplerKey
    {
        bool valid = false;
        int minFilter = 0, magFilter = 0;
        int wrap[3] = {};
        float border[4] = {};
        float lodBias = 0.0f, minLod = 0.0f, anisotropy = 1.0f;
        bool operator==(const SamplerKey&) const = default;
    };

    // A run of triangles drawn from user memory with no device call between
    // them (a particle system's quads, one call each) is held back and sent
    // as one list: the GL state set for the first of them holds for all, and
    // a software rasteriser's cost per draw call far exceeds their few pixels.
    struct HeldVertices
    {
        std::vector<unsigned char> bytes;
        UINT stride = 0;
        UINT count = 0; // vertices
        unsigned framebuffer = 0;
        uint64_t textureVersions[4] = {};
        unsigned isotropicStages = 0;
    };
    static bool Holdable(const DrawCall& call, bool effect);
    void HoldVertices(const DrawCall& call);
    // The sum of a stage texture's level versions: any write to it changes it.
    uint64_t TextureVersion(DWORD stage);
    // What every draw undoes once it is drawn.
    void FinishDraw(unsigned framebuffer);

    bool BuildPipeline();
    void DeletePipeline();
    void BuildBlock(FixedFunctionBlock& block, DWORD fvf, bool pretransformed);
    void UploadBlock(FixedProgram& program, const FixedFunctionBlock& block);
    // The program for the block's key, built when first needed; null when it cannot be built.
    FixedProgram* FixedProgramFor(const FixedFunctionBlock& block);
    static FixedUniforms* LocateUniforms(unsigned program);
    static void ForgetUniforms(FixedUniforms* uniforms);
    void ApplyOutputState();
    // The alpha test and fog states an effect applies itself (qv7_AlphaTest, qv7_Fog).
    void ApplyEffectPipelineStates(int alphaTest, int fog, int fogColour);
    void ApplyEffectUniforms(Program* program);
    bool BindVertices(const DrawCall& call, UINT& stride);
    void BindLayout(DWORD fvf, UINT stride, size_t offset, unsigned buffer);
    void BindDeclaration(const MemoryVertexDeclaration& declaration, UINT stride, size_t offset);
    unsigned BufferFor(const void* resource, BufferMemory& memory, unsigned target, bool dynamic);
    // The GL texture of a stage's texture, uploaded when its memory changed; 0 for none.
    unsigned TextureFor(IDirect3DBaseTexture9* texture, UINT& levels);
    void UploadTexture(MemoryTexture& texture, TextureCopy& copy);
    // An isotropic stage's anisotropic filtering is trilinear filtering (see GlTextureFootprint.h).
    void ApplySampler(DWORD stage, UINT levels, bool isotropic);
    // The stages with anisotropic filtering whose every texel footprint in the draw is a circle.
    unsigned IsotropicStages(const DrawCall& call);
    // The framebuffer for the current render target 0 and depth-stencil
    // surface; 0 when they cannot be combined (nothing is drawn then).
    unsigned CurrentFramebuffer();
    bool ColourAttachment(MemorySurface* surface, Attachment& attachment);
    bool DepthAttachment(MemorySurface* surface, Attachment& attachment);
    unsigned SurfaceRenderbuffer(MemorySurface* surface, bool depth);
    void DropFramebuffersUsing(unsigned kind, unsigned name);
    void DropFramebuffers();
    HRESULT ClearFramebuffer(unsigned fbo, bool hasDepth, DWORD count, const D3DRECT* rects, DWORD flags,
                             D3DCOLOR color, float z, DWORD stencil);

    GlDevice(IDirect3D9* direct3D, const D3DDEVICE_CREATION_PARAMETERS& creation, const D3DCAPS9& caps);
    ~GlDevice() override;
    bool MakeCurrent();
    bool BuildFramebuffers(const D3DPRESENT_PARAMETERS& presentParameters);
    void DeleteFramebuffers();
    // The single-sampled picture of the back buffer (resolving it, when
    // multisampled, into a buffer of its own: not the presented one).
    unsigned ResolvedFramebuffer();
    void ReadFramebuffer(unsigned framebuffer, int width, int height, std::vector<uint32_t>& pixels);

    SDL_Window* m_Window = nullptr;
    bool m_OwnWindow = false;
    void* m_Context = nullptr;
    int m_Width = 0, m_Height = 0, m_Samples = 0;
    bool m_OpaqueFormat = true;
    unsigned m_BackFbo = 0, m_BackColor = 0, m_BackDepth = 0;
    unsigned m_ResolveFbo = 0, m_ResolveColor = 0;
    unsigned m_FrontFbo = 0, m_FrontColor = 0;
    bool m_Presented = false;
    bool m_SwapOnPresent = false;
    bool m_WindowLost = false;
    bool m_SeenVisible = false;

    std::unordered_map<FixedFunctionKey, FixedProgram, FixedFunctionKeyHash> m_FixedPrograms;
    unsigned m_VertexArray = 0;
    unsigned m_StreamVertices = 0, m_StreamIndices = 0;
    unsigned m_Samplers[4] = {};
    bool m_HasS3tc = false;
    bool m_HasMirrorOnce = false;
    bool m_HasAnisotropy = false;
    LayoutKey m_Layout{};
    bool m_LayoutValid = false;
    SamplerKey m_AppliedSamplers[4];
    std::unordered_map<const void*, TextureCopy> m_TextureCopies;
    std::unordered_map<const void*, BufferCopy> m_BufferCopies;
    std::unordered_map<const void*, SurfaceCopy> m_SurfaceCopies;
    std::vector<TargetFramebuffer> m_TargetFramebuffers;
    HeldVertices m_Held;
};
} // namespace gfx::gl
