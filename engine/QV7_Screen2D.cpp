// The 2D layer: the bracket's states go through the render-state cache inside
// one WorkSpace, so End2D hands every renderer back the states it had.
#include "engine/QV7_Screen2D.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "shell/QV7_Globals.h"

namespace
{
struct ScreenVertex
{
    float x, y, z, rhw;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(ScreenVertex) == 28, "pre-transformed 2D vertices are 28 bytes");
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct WorldVertex
{
    float x, y, z;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(WorldVertex) == 24, "3D line vertices are 24 bytes");
constexpr DWORD kWorldFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// Top-left, top-right, bottom-left, bottom-right: one strip of two triangles.
void DrawQuad(D3DCOLOR colour, float left, float top, float right, float bottom, float u0, float v0, float u1,
              float v1)
{
    if (!g_device)
        return;
    const ScreenVertex quad[4] = {{left, top, 0.0f, 1.0f, colour, u0, v0},
                                  {right, top, 0.0f, 1.0f, colour, u1, v0},
                                  {left, bottom, 0.0f, 1.0f, colour, u0, v1},
                                  {right, bottom, 0.0f, 1.0f, colour, u1, v1}};
    g_device->SetFVF(kScreenFvf);
    g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}

void BindTextureClamped(IDirect3DTexture9* texture)
{
    g_scene->SetSamplerState(D3DSAMP_ADDRESSU, 0, D3DTADDRESS_CLAMP);
    g_scene->SetSamplerState(D3DSAMP_ADDRESSV, 0, D3DTADDRESS_CLAMP);
    g_scene->SetTexture(texture, 0);
}

void ModulateStageZero()
{
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    g_scene->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    g_scene->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
}

// Darkening by the vertex alpha: the back buffer times source alpha. The
// stage takes the vertex alpha through whatever alpha operation the caller
// left (the cache starts with the texture's alpha alone, which would make
// every fade opaque-white in alpha and so invisible).
void DrawMultiplied(D3DCOLOR colour, float left, float top, float right, float bottom)
{
    ModulateStageZero();
    g_scene->SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(D3DBLEND_ZERO, D3DRS_SRCBLEND);
    g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_DESTBLEND);
    g_scene->SetTexture(nullptr, 0);
    DrawQuad(colour, left, top, right, bottom, 0.0f, 0.0f, 1.0f, 1.0f);
    g_scene->SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
}
} // namespace

QV7_Screen2D* g_screen2D = nullptr;

QV7_Screen2D::QV7_Screen2D()
{
    m_Material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
    m_Material.Ambient = {0.1f, 0.1f, 0.1f, 1.0f};
    m_Material.Specular = {0.0f, 0.0f, 0.0f, 0.0f};
    m_Material.Emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    m_Material.Power = 0.1f;
    g_screen2D = this;
}

QV7_Screen2D::~QV7_Screen2D()
{
    if (g_screen2D == this)
        g_screen2D = nullptr;
}

void QV7_Screen2D::Begin2D()
{
    g_scene->StartWorkSpace();
    if (m_In2D)
        ThrowDataError(".\\QV7_Screen2D", 57);
    m_In2D = 1;
    if (g_device)
    {
        // The camera's world matrix once the camera exists; until then the
        // identity it starts with.
        D3DMATRIX world{};
        world._11 = world._22 = world._33 = world._44 = 1.0f;
        g_device->SetTransform(D3DTS_WORLD, &world);
        g_device->SetMaterial(&m_Material);
    }
    QV7_Scene& scene = *g_scene;
    scene.SetRenderState(FALSE, D3DRS_LIGHTING);
    scene.SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
    scene.SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        scene.SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_POINT);
        scene.SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_POINT);
        scene.SetSamplerState(D3DSAMP_MIPFILTER, sampler, D3DTEXF_NONE);
    }
    scene.SetRenderState(FALSE, D3DRS_ZWRITEENABLE);
}

void QV7_Screen2D::End2D()
{
    if (!m_In2D)
        ThrowDataError(".\\QV7_Screen2D", 80);
    m_In2D = 0;
    g_scene->EndWorkSpace(0);
}

void QV7_Screen2D::DrawTexturedRect(D3DCOLOR colour, IDirect3DTexture9* texture, float left, float top,
                                    float right, float bottom)
{
    DrawTexturedRectUV(colour, texture, left, top, right, bottom, 0.0f, 0.0f, 1.0f, 1.0f);
}

void QV7_Screen2D::DrawTexturedRectUV(D3DCOLOR colour, IDirect3DTexture9* texture, float left, float top,
                                      float right, float bottom, float u0, float v0, float u1, float v1)
{
    BindTextureClamped(texture);
    DrawQuad(colour, left, top, right, bottom, u0, v0, u1, v1);
}

void QV7_Screen2D::DrawLine2D(D3DCOLOR colour, float x0, float y0, float x1, float y1)
{
    if (!g_device)
        return;
    g_scene->SetTexture(nullptr, 0);
    const ScreenVertex line[2] = {{x0, y0, 0.0f, 1.0f, colour, 0.0f, 0.0f}, {x1, y1, 0.0f, 1.0f, colour, 1.0f, 0.0f}};
    g_device->SetFVF(kScreenFvf);
    g_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(ScreenVertex));
}

void QV7_Screen2D::DrawLine3D(D3DCOLOR colour, float x0, float y0, float z0, float x1, float y1, float z1)
{
    if (!g_device)
        return;
    g_scene->SetTexture(nullptr, 0);
    const WorldVertex line[2] = {{x0, y0, z0, colour, 0.0f, 0.0f}, {x1, y1, z1, colour, 1.0f, 0.0f}};
    g_device->SetFVF(kWorldFvf);
    g_device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(WorldVertex));
}

void QV7_Screen2D::DrawFade(int alpha)
{
    float width = 800.0f, height = 600.0f;
    if (g_engine)
    {
        width = float(g_engine->m_PresentParameters.BackBufferWidth);
        height = float(g_engine->m_PresentParameters.BackBufferHeight);
    }
    DrawMultiplied(D3DCOLOR(uint32_t(alpha & 0xFF) << 24), 0.0f, 0.0f, width, height);
}

void QV7_Screen2D::DrawConsoleBackground(float left, float top, float right, float bottom)
{
    DrawMultiplied(0x50000000, left, top, right, bottom);
}

void QV7_Screen2D::DrawTexturedFade(int alpha, IDirect3DTexture9* texture)
{
    const D3DCOLOR colour = D3DCOLOR(uint32_t((255 - alpha) & 0xFF) << 24 | 0x00FFFFFF);
    QV7_Scene& scene = *g_scene;
    BindTextureClamped(texture);
    scene.SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
    scene.SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    scene.SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
    scene.SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
    ModulateStageZero();
    DrawQuad(colour, 0.0f, 0.0f, 1024.0f, 1024.0f, 0.0f, 0.0f, 1.0f, 1.0f);
    scene.SetRenderState(TRUE, D3DRS_ALPHATESTENABLE);
}
