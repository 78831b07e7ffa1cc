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
#include "world/QV7_Landscape.h"
#include "world/QV7_SkyDome.h"
#include "world/QV7_Water.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
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

// ---- pictures of the island ----

inline int Channel(uint32_t colour, int shift)
{
    return int((colour >> shift) & 0xFF);
}

// The largest difference of the red, green and blue channels.
inline int Distance(uint32_t a, uint32_t b)
{
    int most = 0;
    for (int shift : {0, 8, 16})
        most = std::max(most, std::abs(Channel(a, shift) - Channel(b, shift)));
    return most;
}

// top blended over below with alpha.
inline uint32_t Mix(uint32_t top, uint32_t below, float alpha)
{
    uint32_t out = 0;
    for (int shift : {0, 8, 16})
        out |= uint32_t(std::lround(alpha * float(Channel(top, shift)) +
                                    (1.0f - alpha) * float(Channel(below, shift))))
               << shift;
    return out;
}

// Red, green and blue summed: how bright a pixel is.
inline int Brightness(uint32_t colour)
{
    return Channel(colour, 16) + Channel(colour, 8) + Channel(colour, 0);
}

// The pixel the camera sees a world point on; false when it is off the picture.
inline bool ScreenPoint(const D3DXVECTOR3& point, int width, int height, int& x, int& y)
{
    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &g_camera->m_View, &g_camera->m_Projection);
    D3DXVECTOR3 clip;
    D3DXVec3TransformCoord(&clip, &point, &viewProjection);
    x = int((clip.x * 0.5f + 0.5f) * float(width));
    y = int((0.5f - clip.y * 0.5f) * float(height));
    return x >= 0 && x < width && y >= 0 && y < height;
}

// The colour shown where a world point lies; the point must be in view.
inline uint32_t PixelAt(const gfx::PresentedFrame& frame, const D3DXVECTOR3& point)
{
    int x = 0, y = 0;
    EXPECT_TRUE(ScreenPoint(point, frame.width, frame.height, x, y))
        << point.x << "," << point.y << "," << point.z;
    x = std::clamp(x, 0, frame.width - 1);
    y = std::clamp(y, 0, frame.height - 1);
    return frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
}

// The mean colour of the pixels from (x0, y0) up to (x1, y1).
inline uint32_t MeanColour(const gfx::PresentedFrame& frame, int x0, int y0, int x1, int y1)
{
    long sum[3] = {}, count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++count)
            for (int c = 0; c < 3; ++c)
                sum[c] += Channel(frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)], 8 * c);
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c)
        out |= uint32_t(count ? sum[c] / count : 0) << (8 * c);
    return out;
}

// With QV7_ISLAND_PICTURES set to a folder, the picture goes there as
// name.png for a person to look at; nothing otherwise.
inline void SaveIslandPicture(const gfx::PresentedFrame& frame, const std::string& name)
{
    const char* folder = std::getenv("QV7_ISLAND_PICTURES");
    if (!folder)
        return;
    ImagePixels picture{uint32_t(frame.width), uint32_t(frame.height), frame.pixels};
    for (uint32_t& pixel : picture.argb)
        pixel |= 0xFF000000;
    SaveImageFile(std::string(folder) + "/" + name + ".png", WritePng(picture, false));
}

enum class WaterKind
{
    None,
    Simple,
    Reflective
};

// One race frame of the island, as the race draws it: with reflective water
// first the reflection pass (the mirrored sky, the land 7 lower, then the
// scenery), then the sky, the land, the scenery and the water. `scenery`
// draws what the race would draw besides, in both passes. The picture comes
// back with its alpha cleared.
template <class Scenery>
gfx::PresentedFrame DrawIslandFrame(QV7_SkyDome& sky, QV7_Water& water, WaterKind kind, Scenery scenery)
{
    if (kind == WaterKind::Reflective)
    {
        water.BeginReflection();
        g_landscape->Render(1);
        scenery();
        water.EndReflection();
    }
    g_device->BeginScene();
    g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    sky.Render(0);
    g_landscape->Render(0);
    scenery();
    if (kind == WaterKind::Simple)
        water.RenderSimple();
    else if (kind == WaterKind::Reflective)
        water.RenderReflective();
    g_device->EndScene();
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
    gfx::PresentedFrame frame;
    EXPECT_TRUE(gfx::ReadPresentedFrame(g_device, frame));
    for (uint32_t& pixel : frame.pixels)
        pixel &= 0xFFFFFF;
    return frame;
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
