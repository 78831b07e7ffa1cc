// Bitmap fonts: Fonts.qvx loading and DrawFontText. A font record shares its
// release with the engine's texture fonts; its texture and glyph table come
// from the file instead of being rasterised at run time.
#include "gui/QV7_FontsHandler.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureFont.h"
#include "platform/d3dx/D3DXTexture.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <cmath>

namespace
{
struct GlyphVertex
{
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(GlyphVertex) == 28, "glyph vertices are 28 bytes");
constexpr DWORD kGlyphFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
// A batch is drawn once it holds more than this many triangles (50 glyphs,
// well inside the 342 vertices of the buffer).
constexpr int kBatchTriangles = 98;
// Depth testing while the text is drawn.
constexpr int32_t kFontZEnable = 4;

bool IsGlyph(unsigned char c) { return c >= MenuFont::kFirstChar && c <= MenuFont::kLastChar; }

float GlyphWidth(const MenuFont& font, unsigned char c)
{
    const float* g = font.m_Glyphs[c - MenuFont::kFirstChar];
    return (g[2] - g[0]) * float(font.m_TextureWidth) / font.m_TextScale;
}

float GlyphHeight(const MenuFont& font, unsigned char c)
{
    const float* g = font.m_Glyphs[c - MenuFont::kFirstChar];
    return (g[3] - g[1]) * float(font.m_TextureHeight) / font.m_TextScale;
}

// Up to the end or the first line feed.
float LineWidth(const MenuFont& font, const char* text)
{
    float width = 0.0f;
    for (const char* p = text; *p && *p != '\n'; ++p)
    {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (IsGlyph(c))
            width += GlyphWidth(font, c) - float(2 * font.m_Spacing);
    }
    return width;
}

void SetTextStates(const MenuFont& font, int alignment)
{
    QV7_Scene& scene = *g_scene;
    scene.SetTexture(font.m_Texture, 0);
    scene.SetRenderState((font.m_Flags & kFontZEnable) ? TRUE : FALSE, D3DRS_ZENABLE);
    if (font.m_AlphaBlending == 1)
    {
        scene.SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
        scene.SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
        scene.SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
    }
    else
        scene.SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
    SetFontTextStates(scene, (alignment & kFontLinear) ? D3DTEXF_LINEAR : D3DTEXF_POINT);
}

// The numbers after a font record's name, in file order.
void ReadFontNumbers(BinaryReader& file, MenuFont& font)
{
    font.m_Height = file.ReadInt32();
    font.m_Flags = file.ReadInt32();
    font.m_TextureWidth = uint32_t(file.ReadInt32());
    font.m_TextureHeight = uint32_t(file.ReadInt32());
    font.m_TextScale = file.ReadFloat();
    for (auto& glyph : font.m_Glyphs)
        for (float& value : glyph)
            value = file.ReadFloat();
    font.m_Spacing = file.ReadInt32();
    font.m_AlphaBlending = file.ReadUInt8();
}

// The name's length: 0, or no length left to read, is the broken name the
// format gives this module's details for; ReadString refuses the rest (longer
// than the field, cut, no terminating zero).
void ReadFontName(BinaryReader& file, char (&name)[80])
{
    if (file.Remaining() < 4 || file.PeekInt32() == 0)
        ThrowBrokenString(".\\QV7_FontsHandler", 38);
    ReadString(name, sizeof name, file);
}

// Numbers a font could have been made with: an atlas no larger than the
// largest texture, a usable scale, a glyph height and spacing within the
// atlas. Anything else is a damaged record, dropped before row heights,
// advances and text widths are computed from it in integers.
bool FontNumbersPlausible(const MenuFont& font)
{
    constexpr uint32_t kMaxAtlas = 16384;
    if (font.m_TextureWidth == 0 || font.m_TextureWidth > kMaxAtlas || font.m_TextureHeight == 0 ||
        font.m_TextureHeight > kMaxAtlas)
        return false;
    if (!std::isfinite(font.m_TextScale) || font.m_TextScale <= 0.0f)
        return false;
    return font.m_Height >= 0 && font.m_Height <= int32_t(kMaxAtlas) &&
           font.m_Spacing >= -int32_t(kMaxAtlas) && font.m_Spacing <= int32_t(kMaxAtlas);
}

// A glyph cell outside the atlas (or not a number) is dropped on its own: the
// cell becomes empty, so the character draws nothing and the rest of the font
// stays usable.
void DropImpossibleGlyphs(MenuFont& font, int32_t id)
{
    for (int g = 0; g < MenuFont::kGlyphs; ++g)
    {
        float* glyph = font.m_Glyphs[g];
        bool inside = true;
        for (int k = 0; k < 4; ++k)
            inside = inside && glyph[k] >= 0.0f && glyph[k] <= 1.0f;
        if (inside)
            continue;
        QV7_Logger::Log(g_logger, "Error: Font %d glyph %d lies outside its atlas, dropped", int(id),
                        g + MenuFont::kFirstChar);
        std::fill(glyph, glyph + 4, 0.0f);
    }
}
} // namespace

MenuFont::~MenuFont() { Destroy(); }

HRESULT MenuFont::CreateBuffers()
{
    if (!m_Device)
        return E_FAIL;
    ReleaseBuffers();
    const HRESULT result = m_Device->CreateVertexBuffer(kBufferBytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0,
                                                        D3DPOOL_DEFAULT, &m_VertexBuffer, nullptr);
    if (FAILED(result))
        m_VertexBuffer = nullptr;
    return result;
}

void MenuFont::ReleaseBuffers()
{
    if (m_VertexBuffer)
        m_VertexBuffer->Release();
    m_VertexBuffer = nullptr;
}

void MenuFont::Destroy() { ReleaseFontResources(m_VertexBuffer, m_Texture, m_Device); }

bool QV7_FontsHandler::LoadFonts(const std::string& path, const QV7_Collection<int>& wanted)
{
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "Error: Fonts File Open Error %s", path.c_str());
        return false;
    }
    bool whole = true;
    auto broken = [&](size_t offset) {
        QV7_Logger::Log(g_logger, "Error: Fonts File %s is broken at offset %d", path.c_str(), int(offset));
        whole = false;
    };
    // Records are read one at a time as the file lays them out, so a count
    // larger than the file reads on to the first name that is not there, which
    // ends the load like any broken name. A record whose numbers are cut or
    // impossible is dropped on its own.
    const int32_t count = file.ReadInt32();
    if (file.Failed() || count < 0)
    {
        broken(0);
        return false;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        const size_t start = file.Position();
        const int32_t id = file.ReadInt32();
        const uint32_t length = file.ReadUInt32();
        const uint8_t* picture = file.Data() + file.Position();
        file.Skip(length);
        auto font = std::make_unique<MenuFont>();
        ReadFontName(file, font->m_Name);
        ReadFontNumbers(file, *font);
        if (file.Failed() || !FontNumbersPlausible(*font))
        {
            broken(start);
            continue;
        }
        DropImpossibleGlyphs(*font, id);

        bool isWanted = false;
        for (const int* wantedId : wanted)
            isWanted = isWanted || *wantedId == id;
        if (!isWanted)
            continue;
        font->m_Device = g_device;
        if (FAILED(D3DXCreateTextureFromFileInMemoryEx(g_device, picture, length, 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                                       D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                                       nullptr, &font->m_Texture)))
        {
            font->m_Texture = nullptr;
            QV7_Logger::Log(g_logger, "Error: Font %d picture could not be created", id);
        }
        font->CreateBuffers();
        FontSlot* slot = m_Fonts.Add();
        slot->m_FontId = id;
        slot->m_Font = font.release();
    }
    return whole;
}

FontSlot* QV7_FontsHandler::FindFont(int32_t fontId) const
{
    for (FontSlot* slot : m_Fonts)
        if (slot->m_FontId == fontId)
            return slot;
    return nullptr;
}

void QV7_FontsHandler::OnLostReset(int lost)
{
    for (FontSlot* slot : m_Fonts)
    {
        if (!slot->m_Font)
            continue;
        if (lost == 1)
            slot->m_Font->ReleaseBuffers();
        else
            slot->m_Font->CreateBuffers();
    }
}

HRESULT DrawFontText(MenuFont* font, float x, float y, D3DCOLOR colour, const char* text, int alignment)
{
    if (!font || !font->m_VertexBuffer || !font->m_Device || !g_scene)
        return E_FAIL;
    if (!text)
        text = "";
    IDirect3DDevice9* device = font->m_Device;
    g_scene->StartWorkSpace();
    SetTextStates(*font, alignment);
    device->SetFVF(kGlyphFvf);
    device->SetStreamSource(0, font->m_VertexBuffer, 0, sizeof(GlyphVertex));

    const float lineHeight =
        (font->m_Glyphs[0][3] - font->m_Glyphs[0][1]) * float(font->m_TextureHeight);
    D3DVIEWPORT9 viewport{};
    if (alignment & (kFontCentreX | kFontCentreY))
        device->GetViewport(&viewport);
    if (alignment & kFontCentreX)
        x = std::trunc((float(viewport.Width) - LineWidth(*font, text)) * 0.5f);
    if (alignment & kFontCentreInBox)
        x = std::trunc((font->m_BoxWidth - LineWidth(*font, text)) * 0.5f) + font->m_BoxLeft;
    if (alignment & kFontCentreY)
        y = (float(viewport.Height) - lineHeight) * 0.5f;

    float sx = x - float(font->m_Spacing);
    float sy = y;
    GlyphVertex* vertices = nullptr;
    int triangles = 0;
    auto lock = [&] {
        if (FAILED(font->m_VertexBuffer->Lock(0, 0, reinterpret_cast<void**>(&vertices), D3DLOCK_DISCARD)))
            vertices = nullptr;
    };
    auto flush = [&] {
        if (vertices)
            font->m_VertexBuffer->Unlock();
        if (triangles > 0)
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, UINT(triangles));
        vertices = nullptr;
        triangles = 0;
    };
    lock();
    for (const char* p = text; *p && vertices; ++p)
    {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '\n')
        {
            sx = x - float(font->m_Spacing);
            sy += lineHeight;
            continue;
        }
        if (!IsGlyph(c))
            continue;
        const float w = GlyphWidth(*font, c);
        if (c != ' ')
        {
            const float h = GlyphHeight(*font, c);
            const float* g = font->m_Glyphs[c - MenuFont::kFirstChar];
            const float l = sx - 0.5f, t = sy - 0.5f, r = sx + w - 0.5f, b = sy + h - 0.5f;
            GlyphVertex* v = vertices + triangles * 3;
            v[0] = {l, b, 0.9f, 1.0f, colour, g[0], g[3]};
            v[1] = {l, t, 0.9f, 1.0f, colour, g[0], g[1]};
            v[2] = {r, b, 0.9f, 1.0f, colour, g[2], g[3]};
            v[3] = {r, t, 0.9f, 1.0f, colour, g[2], g[1]};
            v[4] = {r, b, 0.9f, 1.0f, colour, g[2], g[3]};
            v[5] = {l, t, 0.9f, 1.0f, colour, g[0], g[1]};
            triangles += 2;
            if (triangles > kBatchTriangles)
            {
                flush();
                lock();
            }
        }
        sx += w - float(2 * font->m_Spacing);
    }
    flush();
    g_scene->EndWorkSpace(1);
    return S_OK;
}
