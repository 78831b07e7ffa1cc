// The water sheet: its grid, the two ways it is drawn, the mirrored pass that
// feeds the reflective way, and its part in device loss.
#include "world/QV7_Water.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_RenderSurface.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "shell/QV7_FloatMath.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "world/LandscapeHelpers.h"
#include "world/LandscapeMapFile.h"
#include "world/QV7_Landscape.h"
#include "world/QV7_SkyDome.h"

#include <cstring>

QV7_Water* g_water = nullptr;

namespace
{
constexpr float kSimpleRate = 0.0005f;
constexpr float kReflectiveRate = 0.00015f;
// The water texture repeats 100 times across the island.
constexpr float kTextureScale = 0.00152587890625f;
constexpr float kRippleScale = 5.2587889513233677e-05f;
constexpr float kMirrorAbove = -18.0f;
constexpr float kMirrorBelow = 15.0f;
constexpr float kReflectionFar = 40000.0f;

const GameSettings& Settings()
{
    static const GameSettings defaults;
    return g_windowsData ? g_windowsData->m_Settings : defaults;
}

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

D3DXMATRIX Identity()
{
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

D3DXMATRIX ZeroMatrix()
{
    D3DXMATRIX m;
    std::memset(&m, 0, sizeof m);
    return m;
}

// The sheet follows the landscape's camera cell; without a landscape it
// lies round the origin.
const D3DXMATRIX& LandscapeWorld()
{
    static const D3DXMATRIX identity = Identity();
    return g_landscape ? g_landscape->m_World : identity;
}

D3DXMATRIX InverseView()
{
    D3DXMATRIX inverse = Identity();
    if (g_camera)
        D3DXMatrixInverse(&inverse, nullptr, &g_camera->m_View);
    return inverse;
}

} // namespace

QV7_Water::QV7_Water()
{
    D3DXMatrixIdentity(&m_TextureMatrix0);
    D3DXMatrixIdentity(&m_TextureMatrix1);
    g_water = this;
    if (!g_onLandscapeMapLoaded)
        g_onLandscapeMapLoaded = &TakeLandscapeMap;
    ReadCaps();
    if (ReflectionsEnabled())
        m_Reflection = QV7_RenderSurface::Create(kReflectionSize, kReflectionSize, 0, 0);
    CreateIndices();
    CreateVertices();
}

QV7_Water::~QV7_Water()
{
    // The surface exists exactly when it was made: no need to ask the
    // settings again, which may have changed since.
    if (m_Reflection && g_renderSurfaces)
        DeleteRenderSurface(m_Reflection);
    m_Reflection = nullptr;
    if (m_GridVertices)
        m_GridVertices->Release();
    if (m_GridIndices)
        m_GridIndices->Release();
    if (g_water == this)
        g_water = nullptr;
    if (g_onLandscapeMapLoaded == &TakeLandscapeMap)
        g_onLandscapeMapLoaded = nullptr;
}

void QV7_Water::TakeLandscapeMap(const QV7_Landscape& landscape, const QV7_TextureList* mapTextures)
{
    auto find = [mapTextures](int32_t id)
    { return mapTextures ? mapTextures->FindByCompileId(uint32_t(id)) : nullptr; };
    if (g_skyDome)
        g_skyDome->m_Texture = find(landscape.m_SkyTextureId);
    if (!g_water)
        return;
    g_water->m_FirstTexture = find(landscape.m_WaterTextureIds[0]);
    g_water->m_SecondTexture = find(landscape.m_WaterTextureIds[1]);
    g_water->m_WaterLevel = landscape.m_WaterLevel;
    g_water->BuildSurface();
}

bool QV7_Water::ReflectionsEnabled()
{
    return Settings().Detail > 0 || Settings().force_ReflectiveWater == 1;
}

void QV7_Water::ReadCaps()
{
    D3DCAPS9 caps{};
    if (!g_device || FAILED(g_device->GetDeviceCaps(&caps)))
        return;
    m_HasClipPlane = caps.MaxUserClipPlanes > 0 ? 1 : 0;
    if (caps.TextureCaps & D3DPTEXTURECAPS_NOPROJECTEDBUMPENV)
    {
        QV7_Logger::Log(g_logger, "Info: Bumpmap effects not supported");
        return;
    }
    QV7_Logger::Log(g_logger, "Info: Environment Bumpmapping Luminance Supported");
    if (Settings().Detail > 1 || Settings().force_WaterRiples != 0)
        m_Ripples = 1;
}

void QV7_Water::CreateIndices()
{
    void* data = nullptr;
    if (!g_device || FAILED(g_device->CreateIndexBuffer(kIndexCount * sizeof(WORD), D3DUSAGE_WRITEONLY,
                                                        D3DFMT_INDEX16, D3DPOOL_MANAGED, &m_GridIndices)))
    {
        m_GridIndices = nullptr;
        return;
    }
    if (SUCCEEDED(m_GridIndices->Lock(0, 0, &data, 0)))
    {
        BuildSpiralStrip(static_cast<uint16_t*>(data));
        m_GridIndices->Unlock();
    }
}

void QV7_Water::CreateVertices()
{
    if (!g_device || FAILED(g_device->CreateVertexBuffer(kVertexCount * sizeof(Vertex),
                                                         D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kFvf,
                                                         D3DPOOL_DEFAULT, &m_GridVertices)))
    {
        m_GridVertices = nullptr;
        return;
    }
    BuildSurface();
}

void QV7_Water::BuildSurface()
{
    void* data = nullptr;
    if (m_GridVertices && SUCCEEDED(m_GridVertices->Lock(0, 0, &data, D3DLOCK_DISCARD)))
    {
        Vertex* vertex = static_cast<Vertex*>(data);
        for (uint32_t k = 0; k < kVertexCount; ++k)
        {
            const int c = int(k % kGridSide), r = int(k / kGridSide);
            vertex[k] = {
                4096.0f * float(c - 8), m_WaterLevel, -32768.0f + 4096.0f * float(r), 0.0f, 0.0f, 0.0f};
        }
        m_GridVertices->Unlock();
    }
    if (g_skyDome)
        g_skyDome->m_WaterLevel = m_WaterLevel;
}

void QV7_Water::OnLostReset(int lost)
{
    if (lost == 1)
    {
        if (m_GridVertices)
            m_GridVertices->Release();
        m_GridVertices = nullptr;
        return;
    }
    m_AnimationTime = 0.0f;
    if (!m_GridVertices)
        CreateVertices();
    else
        BuildSurface();
}

void QV7_Water::Advance(float rate)
{
    m_AnimationTime += g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    if (m_AnimationTime * rate > kTwoPi)
        m_AnimationTime = 0.0f;
}

// Texture coordinates from camera-space positions taken back to world space,
// then through `matrix`.
void QV7_Water::SetCameraSpaceCoordinates(DWORD stage, const D3DXMATRIX& matrix)
{
    g_scene->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    g_scene->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    const D3DXMATRIX inverseView = InverseView();
    D3DXMATRIX transform;
    D3DXMatrixMultiply(&transform, &inverseView, &matrix);
    g_device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &transform);
}

// Lit with no light on, the sheet's colour is the emissive white and its
// alpha the diffuse 0.6.
void QV7_Water::SetMaterial(float power)
{
    D3DMATERIAL9 material{};
    material.Diffuse = {1.0f, 1.0f, 1.0f, 0.6f};
    material.Ambient = {1.0f, 1.0f, 1.0f, 0.6f};
    material.Emissive = {1.0f, 1.0f, 1.0f, 0.6f};
    material.Power = power;
    g_device->SetMaterial(&material);
}

void QV7_Water::DrawGrid()
{
    g_device->LightEnable(0, FALSE);
    g_device->SetStreamSource(0, m_GridVertices, 0, sizeof(Vertex));
    g_device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, kVertexCount, 0, kStripTriangles);
    g_device->LightEnable(0, TRUE);
}

void QV7_Water::RenderSimple()
{
    if (!TextureOf(m_FirstTexture) || !m_GridVertices || !g_device || !g_scene)
        return;
    Advance(kSimpleRate);
    const float a = m_AnimationTime * kSimpleRate;

    g_scene->StartWorkSpace();
    m_TextureMatrix0 = ZeroMatrix();
    m_TextureMatrix0._11 = m_TextureMatrix0._32 = kTextureScale;
    m_TextureMatrix0._41 = 0.08f * CosF(a);
    m_TextureMatrix0._42 = 0.08f * SinF(a);
    m_TextureMatrix1 = ZeroMatrix();
    m_TextureMatrix1._11 = m_TextureMatrix1._32 = kTextureScale;
    m_TextureMatrix1._41 = 0.08f * SinF(a) + 0.3f;
    m_TextureMatrix1._42 = 0.08f * CosF(a) + 0.2f;
    SetCameraSpaceCoordinates(0, m_TextureMatrix0);
    SetCameraSpaceCoordinates(1, m_TextureMatrix1);

    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    ApplyLandscapeFog();
    IDirect3DTexture9* texture = TextureOf(m_FirstTexture);
    g_scene->SetTexture(texture, 0);
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    g_scene->SetTexture(texture, 1);
    g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADDSIGNED);
    g_scene->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);

    g_device->SetTransform(D3DTS_WORLD, &LandscapeWorld());
    g_device->SetFVF(kFvf);
    g_device->SetIndices(m_GridIndices);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    SetMaterial(0.5f);
    for (DWORD stage = 0; stage < 2; ++stage)
        AlphaFromTextureAndMaterial(stage);
    DrawBlendedGrid();
}

float QV7_Water::MirrorPlaneOffset(float eyeY) const
{
    // Clipping through the projection cannot hold a plane just under the eye:
    // an eye close to the water gets a plane below the surface instead.
    if (!m_HasClipPlane && m_WaterLevel + 18.0f > eyeY)
        return kMirrorBelow;
    return kMirrorAbove;
}

D3DXMATRIX QV7_Water::ObliqueProjection(const D3DXPLANE& plane, const D3DXMATRIX& view,
                                        const D3DXMATRIX& projection)
{
    D3DXPLANE p;
    D3DXPlaneNormalize(&p, &plane);
    D3DXMATRIX viewProjection, inverse, toClip;
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    D3DXMatrixInverse(&inverse, nullptr, &viewProjection);
    D3DXMatrixTranspose(&toClip, &inverse);
    D3DXVECTOR4 q, source(p.a, p.b, p.c, p.d);
    D3DXVec4Transform(&q, &source, &toClip);
    if (q.w == 0.0f)
        return projection;
    if (q.w > 0.0f)
    {
        const D3DXVECTOR4 flipped(-p.a, -p.b, -p.c, -p.d);
        D3DXVec4Transform(&q, &flipped, &toClip);
    }
    D3DXVec4Normalize(&q, &q);
    D3DXMATRIX depth = Identity();
    depth._13 = q.x;
    depth._23 = q.y;
    depth._33 = q.z;
    depth._43 = q.w;
    D3DXMATRIX result;
    D3DXMatrixMultiply(&result, &projection, &depth);
    return result;
}

void QV7_Water::ClipAtMirror(const D3DXPLANE& plane, const D3DXMATRIX& view)
{
    if (m_HasClipPlane)
    {
        g_device->SetClipPlane(0, &plane.a);
        g_scene->SetRenderState(1, D3DRS_CLIPPLANEENABLE);
        return;
    }
    const D3DXMATRIX projection = ObliqueProjection(plane, view, g_camera->m_Projection);
    g_device->SetTransform(D3DTS_PROJECTION, &projection);
}

void QV7_Water::BeginReflection()
{
    if (!m_Reflection || !g_camera || !g_device || !g_scene)
        return;
    m_Reflection->SetPerspective(kReflectionFar);
    m_Reflection->BeginScene();

    const float offset = MirrorPlaneOffset(g_camera->m_Eye.y);
    const D3DXVECTOR3 point(0.0f, m_WaterLevel - offset, 0.0f), up(0.0f, 1.0f, 0.0f);
    D3DXPLANE plane;
    D3DXPlaneFromPointNormal(&plane, &point, &up);
    D3DXMATRIX reflect, mirrored;
    D3DXMatrixReflect(&reflect, &plane);
    D3DXMatrixMultiply(&mirrored, &reflect, &g_camera->m_View);
    g_device->SetTransform(D3DTS_VIEW, &mirrored);
    // The reflection pass culls against the mirrored view's frustum.
    const D3DXMATRIX ownView = g_camera->m_View;
    g_camera->m_View = mirrored;
    g_camera->UpdateFrustum();
    g_camera->m_View = ownView;

    if (g_skyDome)
        g_skyDome->Render(1);
    ClipAtMirror(plane, mirrored);
}

void QV7_Water::EndReflection()
{
    if (!m_Reflection || !g_camera || !g_device || !g_scene)
        return;
    m_Reflection->EndScene();
    if (m_HasClipPlane)
        g_scene->SetRenderState(0, D3DRS_CLIPPLANEENABLE);
    g_device->SetTransform(D3DTS_VIEW, &g_camera->m_View);
    g_device->SetTransform(D3DTS_PROJECTION, &g_camera->m_Projection);
    g_camera->UpdateFrustum();
}

void QV7_Water::SetRippleStage(float angle)
{
    g_scene->SetTexture(TextureOf(m_SecondTexture), 0);
    m_TextureMatrix1 = ZeroMatrix();
    m_TextureMatrix1._11 = m_TextureMatrix1._32 = kRippleScale;
    m_TextureMatrix1._41 = 0.042f * CosF(angle);
    m_TextureMatrix1._42 = 0.042f * SinF(angle);
    SetCameraSpaceCoordinates(0, m_TextureMatrix1);
    g_scene->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, FloatBits(0.08f));
    g_scene->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, FloatBits(-0.08f));
    g_scene->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, FloatBits(-0.08f));
    g_scene->SetTextureStageState(0, D3DTSS_BUMPENVMAT11, FloatBits(0.08f));
    g_scene->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, FloatBits(1.0f));
    g_scene->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, FloatBits(100.0f));
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
}

void QV7_Water::RenderReflective()
{
    if (!g_camera)
        return;
    Advance(kReflectiveRate);
    // From under the water there is nothing to mirror; a missing surface
    // (reflections off) has nothing to show either.
    if (m_WaterLevel > g_camera->m_Eye.y || !m_Reflection)
    {
        RenderSimple();
        return;
    }
    if (!m_GridVertices || !g_device || !g_scene)
        return;
    g_scene->StartWorkSpace();
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    g_scene->SetRenderState(FALSE, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    g_scene->SetTexture(nullptr, 0);
    g_device->SetTransform(D3DTS_WORLD, &LandscapeWorld());
    g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(D3DBLEND_SRCCOLOR, D3DRS_SRCBLEND);
    g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);

    // Camera-space positions through the camera's projection and T land on
    // the screen position the reflection was drawn at (v = 0 at the top).
    m_TextureMatrix0 = ZeroMatrix();
    m_TextureMatrix0._11 = 0.5f;
    m_TextureMatrix0._22 = -0.5f;
    m_TextureMatrix0._41 = 0.5f;
    m_TextureMatrix0._42 = 0.5f;
    m_TextureMatrix0._43 = 1.0f;
    m_TextureMatrix0._44 = 1.0f;
    const DWORD stage = m_Ripples ? 1 : 0;
    g_scene->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
    g_scene->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION | 1);
    g_scene->SetSamplerState(D3DSAMP_ADDRESSU, stage, D3DTADDRESS_CLAMP);
    g_scene->SetSamplerState(D3DSAMP_ADDRESSV, stage, D3DTADDRESS_CLAMP);
    if (m_Ripples)
        SetRippleStage(m_AnimationTime * kReflectiveRate);

    D3DXMATRIX projected;
    D3DXMatrixMultiply(&projected, &g_camera->m_Projection, &m_TextureMatrix0);
    g_device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &projected);
    g_scene->SetRenderState(D3DCULL_CCW, D3DRS_CULLMODE);
    g_scene->SetTexture(m_Reflection->m_Texture, stage);
    g_scene->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    g_scene->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    g_device->SetTransform(D3DTS_WORLD, &LandscapeWorld());
    g_device->SetFVF(kFvf);
    g_device->SetIndices(m_GridIndices);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);

    SetMaterial(m_Ripples ? 0.8f : 0.5f);
    AlphaFromTextureAndMaterial(stage);
    DrawBlendedGrid();
}

void QV7_Water::AlphaFromTextureAndMaterial(DWORD stage)
{
    g_scene->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    g_scene->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

// The sheet blended over what lies under it, ending the water's work space.
void QV7_Water::DrawBlendedGrid()
{
    g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
    g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
    DrawGrid();
    g_scene->EndWorkSpace(0);
}
