// Direct3DCreate9: the one entry into the layer, choosing the back-end.
#include "platform/gfx/D3D9.h"
#include "platform/gfx/gl/GlDirect3D.h"
#include "platform/gfx/null/NullDirect3D.h"
#include "platform/win/Backend.h"

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION)
        return nullptr;
    if (win::SelectedBackend() == win::Backend::Null)
        return gfx::null::CreateNullDirect3D();
    return gfx::gl::CreateGlDirect3D();
}
