// Render targets of the gl back-end: the framebuffer object for each pairing
// of a colour target (the back buffer, a render-target texture level, a plain
// render-target surface) with a depth-stencil surface (the automatic one, a
// depth texture level, a plain depth-stencil surface), and clearing them.
#include "platform/gfx/gl/GlDevice.h"

#include <epoxy/gl.h>

#include <algorithm>

namespace gfx::gl
{
namespace
{
bool IsDepthFormat(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D15S1:
    case D3DFMT_D32:
        return true;
    default:
        return false;
    }
}

bool HasStencil(D3DFORMAT format)
{
    return format == D3DFMT_D24S8 || format == D3DFMT_D24X4S4 || format == D3DFMT_D15S1;
}

GLenum RenderbufferFormat(D3DFORMAT format)
{
    switch (format)
    {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE:
        return GL_DEPTH_COMPONENT16;
    case D3DFMT_D32:
        return GL_DEPTH_COMPONENT32F;
    case D3DFMT_D24X8:
        return GL_DEPTH_COMPONENT24;
    case D3DFMT_D24S8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D15S1:
        return GL_DEPTH24_STENCIL8;
    case D3DFMT_R32F:
        return GL_R32F;
    case D3DFMT_R5G6B5:
        return GL_RGB565;
    default:
        return GL_RGBA8;
    }
}
} // namespace

unsigned GlDevice::SurfaceRenderbuffer(MemorySurface* surface, bool depth)
{
    SurfaceCopy& copy = m_SurfaceCopies[surface];
    if (copy.renderbuffer)
        return copy.renderbuffer;
    D3DSURFACE_DESC description{};
    surface->GetDesc(&description);
    glGenRenderbuffers(1, &copy.renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, copy.renderbuffer);
    const GLenum format = depth && !IsDepthFormat(description.Format)
                              ? GL_DEPTH24_STENCIL8
                              : RenderbufferFormat(description.Format);
    const int samples = description.MultiSampleType >= 2 ? int(description.MultiSampleType) : 0;
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, GLsizei(description.Width),
                                     GLsizei(description.Height));
    return copy.renderbuffer;
}

bool GlDevice::ColourAttachment(MemorySurface* surface, Attachment& attachment)
{
    attachment.point = GL_COLOR_ATTACHMENT0;
    switch (surface->Role())
    {
    case SurfaceRole::BackBuffer:
        attachment.kind = GL_RENDERBUFFER;
        attachment.name = m_BackColor;
        return true;
    case SurfaceRole::TextureLevel:
    {
        UINT levels = 0;
        attachment.kind = GL_TEXTURE_2D;
        attachment.name = TextureFor(surface->Texture(), levels);
        attachment.level = int(surface->Level());
        return attachment.name != 0;
    }
    case SurfaceRole::RenderTarget:
        attachment.kind = GL_RENDERBUFFER;
        attachment.name = SurfaceRenderbuffer(surface, false);
        return true;
    default:
        return false;
    }
}

bool GlDevice::DepthAttachment(MemorySurface* surface, Attachment& attachment)
{
    D3DSURFACE_DESC description{};
    surface->GetDesc(&description);
    attachment.point = HasStencil(description.Format) || !IsDepthFormat(description.Format)
                           ? GL_DEPTH_STENCIL_ATTACHMENT
                           : GL_DEPTH_ATTACHMENT;
    switch (surface->Role())
    {
    case SurfaceRole::AutoDepthStencil:
        attachment.kind = GL_RENDERBUFFER;
        attachment.name = m_BackDepth;
        attachment.point = m_PresentParameters.AutoDepthStencilFormat == D3DFMT_D16
                               ? GL_DEPTH_ATTACHMENT
                               : GL_DEPTH_STENCIL_ATTACHMENT;
        return m_BackDepth != 0;
    case SurfaceRole::TextureLevel:
    {
        UINT levels = 0;
        attachment.kind = GL_TEXTURE_2D;
        attachment.name = TextureFor(surface->Texture(), levels);
        attachment.level = int(surface->Level());
        return attachment.name != 0;
    }
    case SurfaceRole::DepthStencil:
        attachment.kind = GL_RENDERBUFFER;
        attachment.name = SurfaceRenderbuffer(surface, true);
        return true;
    default:
        return false;
    }
}

unsigned GlDevice::CurrentFramebuffer()
{
    MemorySurface* target = CurrentRenderTarget();
    if (!target)
        return 0;
    if (target == BackBufferSurface() &&
        (!m_DepthStencil || m_DepthStencil->Role() == SurfaceRole::AutoDepthStencil))
        return m_BackFbo;
    Attachment colour, depth;
    if (!ColourAttachment(target, colour) || (m_DepthStencil && !DepthAttachment(m_DepthStencil, depth)))
        return 0;
    auto found =
        std::find_if(m_TargetFramebuffers.begin(), m_TargetFramebuffers.end(),
                     [&](const TargetFramebuffer& f) { return f.colour == colour && f.depth == depth; });
    if (found != m_TargetFramebuffers.end())
        return found->complete ? found->fbo : 0;

    TargetFramebuffer made{colour, depth, 0, false};
    glGenFramebuffers(1, &made.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, made.fbo);
    for (const Attachment* a : {&colour, &depth})
    {
        if (a->kind == GL_TEXTURE_2D)
            glFramebufferTexture2D(GL_FRAMEBUFFER, a->point, GL_TEXTURE_2D, a->name, a->level);
        else if (a->kind == GL_RENDERBUFFER)
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, a->point, GL_RENDERBUFFER, a->name);
    }
    made.complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    // A pairing GL refuses (different sample counts) draws nothing, as before
    // targets were supported, rather than drawing somewhere else.
    m_TargetFramebuffers.push_back(made);
    glBindFramebuffer(GL_FRAMEBUFFER, m_BackFbo);
    return made.complete ? made.fbo : 0;
}

void GlDevice::DropFramebuffersUsing(unsigned kind, unsigned name)
{
    std::erase_if(m_TargetFramebuffers,
                  [&](const TargetFramebuffer& f)
                  {
                      const bool uses = (f.colour.kind == kind && f.colour.name == name) ||
                                        (f.depth.kind == kind && f.depth.name == name);
                      if (uses)
                          glDeleteFramebuffers(1, &f.fbo);
                      return uses;
                  });
}

void GlDevice::DropFramebuffers()
{
    for (const TargetFramebuffer& f : m_TargetFramebuffers)
        glDeleteFramebuffers(1, &f.fbo);
    m_TargetFramebuffers.clear();
}

HRESULT GlDevice::ClearFramebuffer(unsigned fbo, bool hasDepth, DWORD count, const D3DRECT* rects,
                                   DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
    glClearDepth(double(z));
    glClearStencil(GLint(stencil & 0xFF));
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET)
        mask |= GL_COLOR_BUFFER_BIT;
    if ((flags & D3DCLEAR_ZBUFFER) && hasDepth)
        mask |= GL_DEPTH_BUFFER_BIT;
    if ((flags & D3DCLEAR_STENCIL) && hasDepth)
        mask |= GL_STENCIL_BUFFER_BIT;
    glEnable(GL_SCISSOR_TEST);
    for (DWORD i = 0; i < count; ++i)
    {
        glScissor(rects[i].x1, rects[i].y1, rects[i].x2 - rects[i].x1, rects[i].y2 - rects[i].y1);
        glClear(mask);
    }
    glDisable(GL_SCISSOR_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, m_BackFbo);
    return D3D_OK;
}

HRESULT GlDevice::ClearOffscreen(DWORD count, const D3DRECT* areas, DWORD flags, D3DCOLOR color, float z,
                                 DWORD stencil)
{
    DrawHeld();
    if (!MakeCurrent())
        return D3DERR_DRIVERINTERNALERROR;
    const unsigned fbo = CurrentFramebuffer();
    if (!fbo)
        return D3D_OK;
    return ClearFramebuffer(fbo, m_DepthStencil != nullptr, count, areas, flags, color, z, stencil);
}
} // namespace gfx::gl
