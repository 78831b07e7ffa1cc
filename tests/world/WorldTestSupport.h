// Helpers shared by the world renderers' tests: an engine on the selected
// back-end with a camera placed by eye and target, textures made in memory,
// and a check that recorded device calls come in a given order.
#pragma once

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_TextureList.h"
#include "platform/gfx/null/NullGfx.h"
#include "tests/engine/EngineTestSupport.h"
#include "tools/writers/ImageWriters.h"

#include <memory>
#include <string>
#include <vector>

namespace worldtest
{
// A texture record holding a width x height texture of one colour.
inline std::unique_ptr<TextureRecord> SolidTexture(D3DCOLOR colour, UINT width = 4, UINT height = 4)
{
    auto record = std::make_unique<TextureRecord>();
    if (FAILED(g_device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       &record->m_Texture, nullptr)))
        return record;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(record->m_Texture->LockRect(0, &locked, nullptr, 0)))
    {
        for (UINT y = 0; y < height; ++y)
            for (UINT x = 0; x < width; ++x)
                static_cast<D3DCOLOR*>(locked.pBits)[y * UINT(locked.Pitch) / 4 + x] = colour;
        record->m_Texture->UnlockRect(0);
    }
    return record;
}

// A texture record holding the picture (one level, A8R8G8B8).
inline std::unique_ptr<TextureRecord> PictureTexture(const ImagePixels& picture)
{
    auto record = std::make_unique<TextureRecord>();
    if (FAILED(g_device->CreateTexture(picture.width, picture.height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                       &record->m_Texture, nullptr)))
        return record;
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(record->m_Texture->LockRect(0, &locked, nullptr, 0)))
    {
        for (uint32_t y = 0; y < picture.height; ++y)
            for (uint32_t x = 0; x < picture.width; ++x)
                static_cast<D3DCOLOR*>(locked.pBits)[y * UINT(locked.Pitch) / 4 + x] = picture.At(x, y);
        record->m_Texture->UnlockRect(0);
    }
    return record;
}

inline void PlaceCamera(const D3DXVECTOR3& eye, const D3DXVECTOR3& target)
{
    g_camera->m_Eye = eye;
    g_camera->m_Target = target;
    g_camera->UpdateView();
}

// Empty when every prefix is found after the one before it in the record;
// otherwise the first prefix that was not.
inline std::string MissingInOrder(const std::vector<std::string>& prefixes)
{
    size_t from = 0;
    for (const std::string& prefix : prefixes)
    {
        const int at = gfx::null::FindCall(prefix, from);
        if (at < 0)
            return prefix;
        from = size_t(at) + 1;
    }
    return {};
}
} // namespace worldtest
