// Helpers shared by the world renderers' tests: an engine on the selected
// back-end with a camera placed by eye and target, textures made in memory,
// and a check that recorded device calls come in a given order.
#pragma once

#include "engine/QV7_Camera.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
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

// An upright quad from (x0, z0) to (x1, z1), y0 to y1, in one colour, drawn
// unlit and unculled as the race's scenery would be in either pass.
inline void DrawWall(float x0, float z0, float x1, float z1, float y0, float y1, D3DCOLOR colour)
{
    struct Vertex
    {
        float x, y, z;
        D3DCOLOR colour;
    };
    const Vertex v[4] = {
        {x0, y0, z0, colour}, {x1, y0, z1, colour}, {x0, y1, z0, colour}, {x1, y1, z1, colour}};
    g_scene->StartWorkSpace();
    g_scene->SetRenderState(FALSE, D3DRS_LIGHTING);
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    g_scene->SetTexture(nullptr, 0);
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    g_device->SetTransform(D3DTS_WORLD, &identity);
    g_device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
    g_scene->EndWorkSpace(0);
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
