// Texture font: layout, rasterising through platform/font, batched drawing.
#include "engine/QV7_TextureFont.h"

#include "engine/QV7_Scene.h"
#include "platform/font/Font.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
struct FontVertex
{
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(FontVertex) == 28, "the font's vertices are 28 bytes");
constexpr DWORD kFontFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// One measuring or drawing pass over the characters; false when they do not
// fit the size. Drawing records each glyph's rectangle.
bool LayOut(const font::Font& font, UINT width, UINT height, int spacing, font::Bitmap32* target,
            float glyphs[][4])
{
    int x = spacing, y = 0;
    const int cell = font.Height();
    for (int c = QV7_TextureFont::kFirstChar; c <= QV7_TextureFont::kLastChar; ++c)
    {
        const char text[2] = {char(c), 0};
        const font::Size size = font.MeasureText(text);
        if (x + spacing + size.width > int(width))
        {
            x = spacing;
            y += cell + 1;
        }
        if (y + size.height > int(height))
            return false;
        if (target)
        {
            font.DrawText(*target, x, y, text, 0xFFFFFFFF);
            float* g = glyphs[c - QV7_TextureFont::kFirstChar];
            g[0] = float(x - spacing) / float(width);
            g[1] = float(y) / float(height);
            g[2] = float(x + size.width + spacing) / float(width);
            g[3] = float(y + size.height) / float(height);
        }
        x += size.width + 2 * spacing;
    }
    return true;
}
} // namespace

int FontCellHeight(int points, float scale)
{
    // MulDiv(points, 96 * scale, 72), rounded half away from zero.
    const double value = double(points) * std::floor(96.0 * scale) / 72.0;
    return int(value >= 0 ? value + 0.5 : value - 0.5);
}

QV7_TextureFont::QV7_TextureFont(const char* name, int heightPoints, DWORD flags)
    : m_HeightPoints(heightPoints), m_Flags(flags)
{
    std::snprintf(m_Name, sizeof m_Name, "%s", name ? name : "");
}

QV7_TextureFont::~QV7_TextureFont() { Destroy(); }

void ReleaseFontResources(IDirect3DVertexBuffer9*& vertexBuffer, IDirect3DTexture9*& texture,
                          IDirect3DDevice9*& device)
{
    if (vertexBuffer)
    {
        // A buffer still bound to stream 0 would outlive this release and
        // make the next device reset fail.
        IDirect3DVertexBuffer9* bound = nullptr;
        UINT offset = 0, stride = 0;
        if (device && SUCCEEDED(device->GetStreamSource(0, &bound, &offset, &stride)) && bound)
        {
            if (bound == vertexBuffer)
                device->SetStreamSource(0, nullptr, 0, 0);
            bound->Release();
        }
        vertexBuffer->Release();
    }
    if (texture)
    {
        if (g_scene)
            g_scene->ForgetTexture(texture);
        texture->Release();
    }
    vertexBuffer = nullptr;
    texture = nullptr;
    device = nullptr;
}

void SetFontTextStates(QV7_Scene& scene, DWORD filter)
{
    scene.SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    scene.SetRenderState(0x08, D3DRS_ALPHAREF);
    scene.SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
    scene.SetRenderState(D3DFILL_SOLID, D3DRS_FILLMODE);
    scene.SetRenderState(D3DCULL_CCW, D3DRS_CULLMODE);
    scene.SetRenderState(FALSE, D3DRS_STENCILENABLE);
    scene.SetRenderState(TRUE, D3DRS_CLIPPING);
    scene.SetRenderState(0, D3DRS_CLIPPLANEENABLE);
    scene.SetRenderState(0, D3DRS_VERTEXBLEND);
    scene.SetRenderState(FALSE, D3DRS_INDEXEDVERTEXBLENDENABLE);
    scene.SetRenderState(FALSE, D3DRS_FOGENABLE);
    scene.SetRenderState(0xF, D3DRS_COLORWRITEENABLE);
    scene.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    scene.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    scene.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    scene.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    scene.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    scene.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    scene.SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    scene.SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    scene.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    scene.SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    scene.SetSamplerState(D3DSAMP_MINFILTER, 0, filter);
    scene.SetSamplerState(D3DSAMP_MAGFILTER, 0, filter);
    scene.SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_NONE);
}

void QV7_TextureFont::Destroy() { ReleaseFontResources(m_VertexBuffer, m_Texture, m_Device); }

void QV7_TextureFont::Create(IDirect3DDevice9* device)
{
    Destroy();
    if (!device)
        return;
    m_Device = device;
    m_TextScale = 1.0f;
    const int weight = (m_Flags & 1) ? 700 : 400;
    const bool italic = (m_Flags & 2) != 0;
    auto makeFont = [&] { return font::Font::Create(m_Name, FontCellHeight(m_HeightPoints, m_TextScale), weight, italic); };
    std::unique_ptr<font::Font> font = makeFont();
    if (!font)
    {
        QV7_Logger::Log(g_logger, "ERROR: Texture font %s could not be created.", m_Name);
        return;
    }
    auto spacingOf = [](const font::Font& f) { return int(std::ceil(f.MeasureText("x").height * 0.3)); };

    D3DCAPS9 caps{};
    device->GetDeviceCaps(&caps);
    const UINT largest = caps.MaxTextureWidth ? caps.MaxTextureWidth : 2048;
    UINT size = 128;
    while (!LayOut(*font, size, size, spacingOf(*font), nullptr, nullptr) && size <= largest)
        size *= 2;
    if (size > largest)
    {
        // Too big even for the largest texture: shrink the text to fit it.
        m_TextScale = float(largest) / float(size);
        size = largest;
        font = makeFont();
        while (font && !LayOut(*font, size, size, spacingOf(*font), nullptr, nullptr) && m_TextScale > 0.01f)
        {
            m_TextScale *= 0.9f;
            font = makeFont();
        }
        if (!font)
        {
            QV7_Logger::Log(g_logger, "ERROR: Texture font %s could not be scaled.", m_Name);
            return;
        }
    }
    m_TextureWidth = m_TextureHeight = size;
    m_Spacing = spacingOf(*font);

    font::Bitmap32 bitmap{int(size), int(size), 0xFF000000u};
    LayOut(*font, size, size, m_Spacing, &bitmap, m_Glyphs);
    if (FAILED(device->CreateTexture(size, size, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &m_Texture, nullptr)))
    {
        m_Texture = nullptr;
        QV7_Logger::Log(g_logger, "ERROR: Texture font %s: texture could not be created.", m_Name);
        return;
    }
    D3DLOCKED_RECT locked{};
    if (SUCCEEDED(m_Texture->LockRect(0, &locked, nullptr, 0)))
    {
        for (UINT y = 0; y < size; ++y)
        {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch);
            for (UINT x = 0; x < size; ++x)
            {
                const uint16_t alpha = uint16_t((bitmap.pixels[size_t(y) * size + x] & 0xFF) >> 4);
                row[x] = alpha ? uint16_t(alpha << 12 | 0x0FFF) : 0;
            }
        }
        m_Texture->UnlockRect(0);
    }
    if (FAILED(device->CreateVertexBuffer(kBufferBytes, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT,
                                          &m_VertexBuffer, nullptr)))
        m_VertexBuffer = nullptr;
    // Every back-buffer format of this layer blends.
    m_AlphaBlending = 1;
}

void QV7_TextureFont::DrawText(float x, float y, D3DCOLOR colour, const char* text)
{
    if (!m_Device || !m_Texture || !m_VertexBuffer || !text || !g_scene)
        return;
    QV7_Scene& scene = *g_scene;
    scene.StartWorkSpace();
    scene.SetTexture(m_Texture, 0);
    if (m_AlphaBlending)
    {
        scene.SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
        scene.SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
        scene.SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
    }
    SetFontTextStates(scene, D3DTEXF_POINT);

    m_Device->SetFVF(kFontFvf);
    m_Device->SetStreamSource(0, m_VertexBuffer, 0, sizeof(FontVertex));
    constexpr UINT kQuads = kBufferBytes / sizeof(FontVertex) / 6;
    const float startX = x;
    FontVertex* vertices = nullptr;
    UINT quads = 0;
    auto flush = [&] {
        if (vertices)
            m_VertexBuffer->Unlock();
        if (quads > 0)
            m_Device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, quads * 2);
        vertices = nullptr;
        quads = 0;
    };
    for (const char* p = text; *p; ++p)
    {
        const int c = static_cast<unsigned char>(*p);
        if (c == '\n')
        {
            x = startX;
            y += (m_Glyphs[0][3] - m_Glyphs[0][1]) * float(m_TextureHeight) / m_TextScale;
            continue;
        }
        if (c < kFirstChar || c > kLastChar)
            continue;
        const float* g = m_Glyphs[c - kFirstChar];
        const float w = (g[2] - g[0]) * float(m_TextureWidth) / m_TextScale;
        const float h = (g[3] - g[1]) * float(m_TextureHeight) / m_TextScale;
        if (!vertices && FAILED(m_VertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), D3DLOCK_DISCARD)))
            break;
        const float l = x - 0.5f, t = y - 0.5f, r = x + w - 0.5f, b = y + h - 0.5f;
        FontVertex* v = vertices + quads * 6;
        v[0] = {l, b, 0.9f, 1.0f, colour, g[0], g[3]};
        v[1] = {l, t, 0.9f, 1.0f, colour, g[0], g[1]};
        v[2] = {r, b, 0.9f, 1.0f, colour, g[2], g[3]};
        v[3] = {r, t, 0.9f, 1.0f, colour, g[2], g[1]};
        v[4] = {r, b, 0.9f, 1.0f, colour, g[2], g[3]};
        v[5] = {l, t, 0.9f, 1.0f, colour, g[0], g[1]};
        if (++quads == kQuads)
            flush();
        x += w - float(2 * m_Spacing) / m_TextScale;
    }
    flush();
    scene.EndWorkSpace(1);
}
