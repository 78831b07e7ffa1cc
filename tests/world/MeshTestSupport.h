// A null device, a texture list and the log lines, for the mesh object tests.
#pragma once

#include "engine/QV7_TextureList.h"
#include "platform/gfx/D3D9.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "platform/win/Backend.h"
#include "shell/QV7_Logger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace meshtest
{
inline std::vector<std::string>& Log()
{
    static std::vector<std::string> lines;
    return lines;
}
inline void Capture(const char* text)
{
    Log().emplace_back(text);
}

class NullDeviceFixture : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        win::SetBackend(win::Backend::Null);
        gfx::null::ResetSettings();
        Log().clear();
        QV7_Logger::SetConsoleEcho(&Capture);
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        pp.BackBufferWidth = 8;
        pp.BackBufferHeight = 8;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Windowed = TRUE;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(
            d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
            D3D_OK);
        gfx::null::ClearCalls();
    }
    void TearDown() override
    {
        textures.FreeAll();
        if (device)
        {
            // What a draw left bound holds its buffers, and they the device.
            device->SetStreamSource(0, nullptr, 0, 0);
            device->SetIndices(nullptr);
            device->SetTexture(0, nullptr);
        }
        QV7_Logger::SetConsoleEcho(nullptr);
        if (device)
        {
            EXPECT_EQ(device->Release(), 0u) << "something still holds the device";
        }
        d3d->Release();
    }
    // A texture in the list under a compile id.
    TextureRecord* AddTexture(uint32_t compileId)
    {
        TextureRecord* record = textures.Append();
        record->m_CompileId = compileId;
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &record->m_Texture);
        return record;
    }
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    D3DPRESENT_PARAMETERS pp{};
    QV7_TextureList textures;
};

inline BinaryReader ReaderOf(const BinaryWriter& writer)
{
    return BinaryReader(writer.Bytes());
}
} // namespace meshtest
