// A null device, a texture list and the log lines, for the mesh object tests.
#pragma once

#include "engine/QV7_TextureList.h"
#include "platform/gfx/D3D9.h"
#include "platform/gfx/null/NullGfx.h"
#include "platform/io/BinaryReader.h"
#include "platform/io/BinaryWriter.h"
#include "platform/win/Backend.h"
#include "shell/QV7_Logger.h"
#include "tests/platform/gfx/NullDeviceTestSupport.h"

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
        ASSERT_NO_FATAL_FAILURE(nulltest::CreateSmallDevice(d3d, device, pp));
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
