// A small gl device on SDL's offscreen driver for picture tests: draws
// pre-transformed quads with chosen states and reads presented pixels back.
#pragma once

#include "platform/gfx/D3D9.h"
#include "platform/win/Backend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace gltest
{
struct ColourVertex
{
    float x, y, z, rhw;
    D3DCOLOR diffuse;
    D3DCOLOR specular;
    float u, v;
};
constexpr DWORD kColourVertexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

inline int Red(uint32_t argb)
{
    return int((argb >> 16) & 0xFF);
}
inline int Green(uint32_t argb)
{
    return int((argb >> 8) & 0xFF);
}
inline int Blue(uint32_t argb)
{
    return int(argb & 0xFF);
}

// The real gl back-end on SDL's offscreen driver, so pictures can be read back
// without a display.
inline IDirect3D9* StartOffscreenGl()
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    win::SetBackend(win::Backend::Real);
    return Direct3DCreate9(D3D_SDK_VERSION);
}

// A windowed back buffer of that size with a depth-stencil buffer, presented
// at once.
inline D3DPRESENT_PARAMETERS PictureParameters(UINT width, UINT height)
{
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    return pp;
}

// A picture test's device; call under ASSERT_NO_FATAL_FAILURE.
inline void CreatePictureDevice(UINT width, UINT height, IDirect3D9*& d3d, IDirect3DDevice9*& device)
{
    d3d = StartOffscreenGl();
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS pp = PictureParameters(width, height);
    ASSERT_EQ(
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
        D3D_OK);
}

// What the draws left bound holds its buffers and textures, and they the
// device: unbind them, then release the device and the interface.
inline void ReleasePictureDevice(IDirect3D9* d3d, IDirect3DDevice9* device)
{
    if (device)
    {
        device->SetStreamSource(0, nullptr, 0, 0);
        device->SetIndices(nullptr);
        device->SetTexture(0, nullptr);
        device->Release();
    }
    if (d3d)
        d3d->Release();
}

class GlDeviceFixture : public ::testing::Test
{
  protected:
    static constexpr UINT kSize = 16;

    void SetUp() override { ASSERT_NO_FATAL_FAILURE(CreatePictureDevice(kSize, kSize, d3d, device)); }
    void TearDown() override
    {
        if (device)
            device->Release();
        if (d3d)
            d3d->Release();
    }

    // A 1x1 (or 4x4 for block formats) texture filled with raw bytes per texel or block.
    IDirect3DTexture9* MakeTexture(D3DFORMAT format, const void* texel, size_t texelBytes, UINT size = 1)
    {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(device->CreateTexture(size, size, 1, 0, format, D3DPOOL_MANAGED, &texture), D3D_OK);
        if (!texture)
            return nullptr;
        D3DLOCKED_RECT locked{};
        EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
        const bool blocks = gfx::RowCount(format, 4) == 1;
        const UINT rows = blocks ? 1 : size, columns = blocks ? 1 : size;
        for (UINT y = 0; y < rows; ++y)
            for (UINT x = 0; x < columns; ++x)
                std::memcpy(static_cast<uint8_t*>(locked.pBits) + y * locked.Pitch + x * texelBytes, texel,
                            texelBytes);
        texture->UnlockRect(0);
        return texture;
    }

    // A quad over the rectangle (pixel edges) with a diffuse and specular colour.
    void DrawQuad(float left, float top, float right, float bottom, D3DCOLOR diffuse, D3DCOLOR specular = 0,
                  float z = 0.5f)
    {
        // Pixel centres are on whole coordinates: edges sit half a pixel before them.
        const float l = left - 0.5f, t = top - 0.5f, r = right - 0.5f, b = bottom - 0.5f;
        const ColourVertex quad[4] = {{l, t, z, 1, diffuse, specular, 0, 0},
                                      {r, t, z, 1, diffuse, specular, 1, 0},
                                      {l, b, z, 1, diffuse, specular, 0, 1},
                                      {r, b, z, 1, diffuse, specular, 1, 1}};
        device->SetFVF(kColourVertexFvf);
        ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColourVertex)), D3D_OK);
    }

    void Begin(D3DCOLOR clear = 0xFF000000)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
        device->BeginScene();
    }
    // Ends the scene, presents and returns the frame.
    gfx::PresentedFrame Finish()
    {
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        gfx::PresentedFrame frame;
        EXPECT_TRUE(gfx::ReadPresentedFrame(device, frame));
        return frame;
    }
    static uint32_t At(const gfx::PresentedFrame& frame, int x, int y)
    {
        return frame.pixels[size_t(y) * frame.width + x];
    }

    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
};

#define EXPECT_RGB_NEAR(pixel, r, g, b, tolerance)                                                           \
    do                                                                                                       \
    {                                                                                                        \
        /* Once: the pixel may come from a present, and a second present shows a discarded back buffer. */   \
        const uint32_t rgbNearPixel = (pixel);                                                               \
        EXPECT_NEAR(gltest::Red(rgbNearPixel), (r), (tolerance)) << "red";                                   \
        EXPECT_NEAR(gltest::Green(rgbNearPixel), (g), (tolerance)) << "green";                               \
        EXPECT_NEAR(gltest::Blue(rgbNearPixel), (b), (tolerance)) << "blue";                                 \
    } while (0)
} // namespace gltest
