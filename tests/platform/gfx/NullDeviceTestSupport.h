// The small device most tests on the recording null back-end draw on: an
// 8 x 8 windowed back buffer without a depth buffer.
#pragma once

#include "platform/gfx/D3D9.h"

#include <gtest/gtest.h>

namespace nulltest
{
inline D3DPRESENT_PARAMETERS SmallWindowParameters()
{
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 8;
    pp.BackBufferHeight = 8;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    return pp;
}

// Makes the device on the back-end already chosen, keeping the parameters for
// a later Reset; call under ASSERT_NO_FATAL_FAILURE.
inline void CreateSmallDevice(IDirect3D9*& d3d, IDirect3DDevice9*& device, D3DPRESENT_PARAMETERS& pp)
{
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    pp = SmallWindowParameters();
    ASSERT_EQ(
        d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
        D3D_OK);
}
} // namespace nulltest
