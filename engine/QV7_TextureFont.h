// A font rasterised into one texture (the characters 32 to 126) and drawn as
// batched pre-transformed quads: the frame counter's and the debug console's
// text. Heights are GDI's at 96 dpi (points x 96 / 72 as the cell height).
#pragma once

#include "platform/gfx/D3D9.h"

class QV7_Scene;

#include <cstdint>

class QV7_TextureFont
{
  public:
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 126;
    static constexpr int kGlyphs = kLastChar - kFirstChar + 1;
    // Bytes of the vertex buffer: 342 vertices of 28 bytes, 57 quads a batch.
    static constexpr UINT kBufferBytes = 9600;

    // flags: bit 0 bold, bit 1 italic. Nothing is made until Create.
    QV7_TextureFont(const char* name, int heightPoints, DWORD flags);
    ~QV7_TextureFont();
    QV7_TextureFont(const QV7_TextureFont&) = delete;
    QV7_TextureFont& operator=(const QV7_TextureFont&) = delete;

    // Rasterises the font and makes the texture and vertex buffer on the
    // device; a failure leaves the font without texture (its text is not drawn).
    void Create(IDirect3DDevice9* device);
    void Destroy();
    void DrawText(float x, float y, D3DCOLOR colour, const char* text);

    char m_Name[80] = {};
    int m_HeightPoints = 0;
    DWORD m_Flags = 0;
    IDirect3DDevice9* m_Device = nullptr;
    IDirect3DTexture9* m_Texture = nullptr;
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    UINT m_TextureWidth = 0;
    UINT m_TextureHeight = 0;
    float m_TextScale = 1.0f;
    // Left, top, right, bottom as texture coordinates, spacing included.
    float m_Glyphs[kGlyphs][4] = {};
    int m_Spacing = 0;
    int m_AlphaBlending = 0;
};

// The text states both kinds of font (the engine's texture fonts and the
// menus' bitmap fonts) draw with: alpha test, no fog, stage 0 texture x
// diffuse, stage 1 off, the given min/mag filter. Set inside the caller's
// work space, after its own texture and blending states.
void SetFontTextStates(QV7_Scene& scene, DWORD filter);

// The release both kinds of font share: vertex buffer, texture, then the device pointer.
void ReleaseFontResources(IDirect3DVertexBuffer9*& vertexBuffer, IDirect3DTexture9*& texture,
                          IDirect3DDevice9*& device);

// The cell height GDI gives a point size at 96 dpi times a scale (MulDiv rounding).
int FontCellHeight(int points, float scale);
