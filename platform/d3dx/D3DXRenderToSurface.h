// Rendering into a surface as D3DX's render-to-surface helper does it: the
// object owns a depth-stencil surface of the target's size, and a scene
// bracket on it redirects the device to the given colour surface, that depth
// and a viewport, then puts back the render target, depth-stencil surface and
// viewport that were current before.
#pragma once

#include "platform/gfx/D3D9.h"

class ID3DXRenderToSurface
{
  public:
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    // viewport null: all of the surface.
    virtual HRESULT BeginScene(IDirect3DSurface9* surface, const D3DVIEWPORT9* viewport) = 0;
    // mipFilter is accepted for the interface's sake; the targets have one level.
    virtual HRESULT EndScene(DWORD mipFilter) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;

  protected:
    virtual ~ID3DXRenderToSurface() = default;
};

// depthStencil FALSE: the scene draws without a depth-stencil surface.
// Fails with D3DERR_INVALIDCALL for bad arguments, otherwise with what the
// device's CreateDepthStencilSurface returned.
HRESULT D3DXCreateRenderToSurface(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT format,
                                  BOOL depthStencil, D3DFORMAT depthStencilFormat,
                                  ID3DXRenderToSurface** result);
