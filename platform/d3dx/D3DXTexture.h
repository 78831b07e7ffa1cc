// Textures from image files, as D3DX makes them: decode the file (any format
// D3DXImage.h reads), pick the texture's size, levels and format from the
// request and the device's caps, and fill every level through LockRect in
// Direct3D's byte layout, the smaller levels box-filtered from the larger.
// Also the two helpers the render surfaces use to size and make their
// textures.
#pragma once

#include "platform/d3dx/D3DXImage.h"
#include "platform/gfx/D3D9.h"

struct PALETTEENTRY
{
    BYTE peRed, peGreen, peBlue, peFlags;
};

// width, height: 0 or D3DX_DEFAULT = the image's, rounded up to a power of two;
// D3DX_DEFAULT_NONPOW2 or D3DX_FROM_FILE = the image's as they are.
// mipLevels: 0 or D3DX_DEFAULT = a full chain; D3DX_FROM_FILE = the file's.
// format: D3DFMT_UNKNOWN or D3DFMT_FROM_FILE = the file's (24-bit pictures
// become X8R8G8B8); a compressed format compresses. colorKey: the ARGB value
// replaced by transparent black, 0 for none. srcInfo (may be null) receives
// the file's information; palette is not used (no palettised textures).
// Results: D3D_OK; D3DERR_INVALIDCALL for bad arguments or a format we cannot
// write; D3DXERR_INVALIDDATA for data that is no image we read; otherwise
// whatever the device's CreateTexture, LockRect or UpdateTexture returned.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, const void* data, UINT size, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                            D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                            D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                            IDirect3DTexture9** texture);
// The image's size, a full chain, its format, managed pool.
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, const void* data, UINT size,
                                          IDirect3DTexture9** texture);
// The same from a file; a file that cannot be read gives D3DXERR_INVALIDDATA.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, const char* path, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                     D3DXIMAGE_INFO* srcInfo, PALETTEENTRY* palette,
                                     IDirect3DTexture9** texture);
HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path, IDirect3DTexture9** texture);

// Adjusts a texture request to what the device can make: sizes (0 or
// D3DX_DEFAULT = 256) rounded up to powers of two when the caps demand it and
// clamped to the largest texture, levels clamped to the chain (1 without mip
// map caps), and an unsupported format replaced by the nearest supported
// A8R8G8B8 or X8R8G8B8. Any pointer may be null. D3DERR_NOTAVAILABLE when no
// format fits.
HRESULT D3DXCheckTextureRequirements(IDirect3DDevice9* device, UINT* width, UINT* height, UINT* mipLevels,
                                     DWORD usage, D3DFORMAT* format, D3DPOOL pool);
// CreateTexture after D3DXCheckTextureRequirements.
HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture);
