// The menus' bitmap fonts: pre-rendered glyph pictures from Fonts.qvx with a
// table of texture coordinates for the characters 32 to 127, and DrawFontText,
// which writes a string with one of them as batched textured quads in screen
// pixels. QV7_FontsHandler keeps the fonts Menu.qvx asks for, in file order.
#pragma once

#include "platform/gfx/D3D9.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>

struct MenuFont
{
    static constexpr int kFirstChar = 32;
    static constexpr int kLastChar = 127;
    static constexpr int kGlyphs = kLastChar - kFirstChar + 1;
    static constexpr UINT kBufferBytes = 9600;

    MenuFont() = default;
    ~MenuFont();
    MenuFont(const MenuFont&) = delete;
    MenuFont& operator=(const MenuFont&) = delete;

    // Makes / releases the dynamic vertex buffer (device loss and reset).
    HRESULT CreateBuffers();
    void ReleaseBuffers();
    // Vertex buffer, then texture and device, released.
    void Destroy();

    char m_Name[80] = {};
    // Pixels; menu controls use height + 3 as their row height.
    int32_t m_Height = 0;
    // Bit 2: depth testing while drawing.
    int32_t m_Flags = 0;
    IDirect3DDevice9* m_Device = nullptr;
    IDirect3DTexture9* m_Texture = nullptr;
    IDirect3DVertexBuffer9* m_VertexBuffer = nullptr;
    uint32_t m_TextureWidth = 0;
    uint32_t m_TextureHeight = 0;
    float m_TextScale = 0.0f;
    // tx1, ty1, tx2, ty2 per character 32 to 127.
    float m_Glyphs[kGlyphs][4] = {};
    // Pixels taken off each side of a glyph.
    int32_t m_Spacing = 0;
    uint8_t m_AlphaBlending = 0;
    // Set by a caller just before a draw with alignment bit 16.
    float m_BoxWidth = 0.0f;
    float m_BoxLeft = 0.0f;
};

struct FontSlot
{
    ~FontSlot() { delete m_Font; }
    MenuFont* m_Font = nullptr;
    int32_t m_FontId = 0;
};

class QV7_FontsHandler
{
  public:
    QV7_FontsHandler() = default;
    // Destroys every slot from the last to the first.
    ~QV7_FontsHandler() = default;
    QV7_FontsHandler(const QV7_FontsHandler&) = delete;
    QV7_FontsHandler& operator=(const QV7_FontsHandler&) = delete;

    // Reads Fonts.qvx and keeps the fonts whose id is in wanted, in file order.
    // Returns false (with a log line) when the file can't be opened, its count
    // can't be read, or a record was dropped: its numbers cut short or
    // impossible (an atlas, height or spacing past the largest texture, a scale
    // that is not positive). A glyph cell outside the atlas drops only that
    // glyph. A broken or missing name (also one a count larger than the file
    // asks for) throws CDException, keeping the fonts read before it.
    bool LoadFonts(const std::string& path, const QV7_Collection<int>& wanted);
    // The first slot with this id, null when none.
    FontSlot* FindFont(int32_t fontId) const;
    // lost = 1 releases every font's vertex buffer, anything else makes them again.
    void OnLostReset(int lost);

    QV7_Collection<FontSlot> m_Fonts;
};

// Alignment bits of DrawFontText.
constexpr int kFontCentreX = 1;      // centre the first line in the viewport, x ignored
constexpr int kFontCentreY = 2;      // centre vertically in the viewport, y ignored
constexpr int kFontLinear = 8;       // linear texture filtering
constexpr int kFontCentreInBox = 16; // centre in the font's box (m_BoxLeft, m_BoxWidth)

// Draws text from (x, y), the top-left of the first glyph; a line feed starts a
// new line. E_FAIL (nothing drawn) when the font has no vertex buffer.
HRESULT DrawFontText(MenuFont* font, float x, float y, D3DCOLOR colour, const char* text, int alignment);
