// The render-to-surface helper: a scene bracket that swaps the device's
// targets and viewport and restores them.
#include "platform/d3dx/D3DXRenderToSurface.h"

namespace
{
class RenderToSurface : public ID3DXRenderToSurface
{
  public:
    RenderToSurface(IDirect3DDevice9* device, IDirect3DSurface9* depth) : m_Device(device), m_Depth(depth)
    {
        m_Device->AddRef();
    }

    ULONG AddRef() override { return ++m_References; }
    ULONG Release() override
    {
        const ULONG left = --m_References;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT GetDevice(IDirect3DDevice9** device) override
    {
        if (!device)
            return D3DERR_INVALIDCALL;
        *device = m_Device;
        m_Device->AddRef();
        return D3D_OK;
    }

    HRESULT BeginScene(IDirect3DSurface9* surface, const D3DVIEWPORT9* viewport) override
    {
        if (!surface || m_Active)
            return D3DERR_INVALIDCALL;
        m_Device->GetRenderTarget(0, &m_SavedTarget);
        // No depth-stencil surface is a state like any other to put back.
        if (FAILED(m_Device->GetDepthStencilSurface(&m_SavedDepth)))
            m_SavedDepth = nullptr;
        m_Device->GetViewport(&m_SavedViewport);
        HRESULT result = m_Device->SetRenderTarget(0, surface);
        if (SUCCEEDED(result))
            result = m_Device->SetDepthStencilSurface(m_Depth);
        if (SUCCEEDED(result) && viewport)
            result = m_Device->SetViewport(viewport);
        if (FAILED(result))
        {
            Restore();
            return result;
        }
        // Inside the game's own scene the device refuses a second bracket; the
        // drawing goes on in the open one.
        m_OwnScene = SUCCEEDED(m_Device->BeginScene());
        m_Active = true;
        return D3D_OK;
    }

    HRESULT EndScene(DWORD) override
    {
        if (!m_Active)
            return D3DERR_INVALIDCALL;
        if (m_OwnScene)
            m_Device->EndScene();
        m_OwnScene = false;
        m_Active = false;
        return Restore();
    }

    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

  private:
    ~RenderToSurface() override
    {
        if (m_Active)
            EndScene(0);
        if (m_Depth)
            m_Depth->Release();
        m_Device->Release();
    }

    HRESULT Restore()
    {
        HRESULT result = D3D_OK;
        if (m_SavedTarget)
        {
            result = m_Device->SetRenderTarget(0, m_SavedTarget);
            m_SavedTarget->Release();
            m_SavedTarget = nullptr;
        }
        m_Device->SetDepthStencilSurface(m_SavedDepth);
        if (m_SavedDepth)
            m_SavedDepth->Release();
        m_SavedDepth = nullptr;
        // Setting the render target reset the viewport to all of it.
        m_Device->SetViewport(&m_SavedViewport);
        return result;
    }

    ULONG m_References = 1;
    IDirect3DDevice9* m_Device;
    IDirect3DSurface9* m_Depth;
    IDirect3DSurface9* m_SavedTarget = nullptr;
    IDirect3DSurface9* m_SavedDepth = nullptr;
    D3DVIEWPORT9 m_SavedViewport{};
    bool m_Active = false;
    bool m_OwnScene = false;
};
} // namespace

HRESULT D3DXCreateRenderToSurface(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT,
                                  BOOL depthStencil, D3DFORMAT depthStencilFormat,
                                  ID3DXRenderToSurface** result)
{
    if (!device || !result || width == 0 || height == 0)
        return D3DERR_INVALIDCALL;
    *result = nullptr;
    IDirect3DSurface9* depth = nullptr;
    if (depthStencil)
    {
        const HRESULT created = device->CreateDepthStencilSurface(
            width, height, depthStencilFormat, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr);
        if (FAILED(created))
            return created;
    }
    *result = new RenderToSurface(device, depth);
    return D3D_OK;
}
