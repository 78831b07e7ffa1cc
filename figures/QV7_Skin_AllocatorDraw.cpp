// Drawing a skinned figure with the "Skinned" effect: one draw per bone
// combination, each with its own palette. The light is given in the figure's
// own space, so the effect lights the blended normals without a world turn.
#include "figures/AnimatedMeshList.h"
#include "figures/QV7_Skin_Allocator.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_TextureList.h"
#include "race/QV7_Buggy.h"
#include "shell/QV7_Windows.h"
#include "world/QV7_Landscape.h"

#include <algorithm>

namespace
{
struct FigureLight
{
    D3DXVECTOR4 direction; // towards the light, in the figure's space
    D3DXVECTOR4 ambient, diffuse, specular;
};

ID3DXEffect* SkinnedEffect()
{
    if (!g_skinnedEffect || !g_skinnedEffect->m_Effect)
        return nullptr;
    return g_skinnedEffect->m_Effect->m_Effect;
}

void SetMaterialParameters(ID3DXEffect* effect, const D3DMATERIAL9& material)
{
    const D3DXVECTOR4 ambient(material.Ambient.r, material.Ambient.g, material.Ambient.b, material.Ambient.a);
    const D3DXVECTOR4 diffuse(material.Diffuse.r, material.Diffuse.g, material.Diffuse.b, material.Diffuse.a);
    const D3DXVECTOR4 emissive(material.Emissive.r, material.Emissive.g, material.Emissive.b,
                               material.Emissive.a);
    effect->SetVector("k_a", &ambient);
    effect->SetVector("k_d", &diffuse);
    effect->SetVector("k_e", &emissive);
    effect->SetFloat("n", material.Power);
}

void SetFigureState(ID3DXEffect* effect, AnimatedMesh& figure, const D3DXMATRIX& view,
                    const D3DXMATRIX& projection, const FigureLight& light)
{
    const D3DXMATRIX viewProjection = figure.m_World * view * projection;
    effect->SetTechnique(effect->GetTechniqueByName("t0"));
    effect->SetMatrix("World", &figure.m_World);
    effect->SetMatrix("mViewProj", &viewProjection);
    effect->SetInt("CurNumBones", int(figure.m_Skinned->NumInfluences) - 1);
    g_device->SetStreamSource(0, figure.m_VertexBuffer, 0, figure.m_VertexSize);
    g_device->SetIndices(figure.m_IndexBuffer);
    g_device->SetFVF(figure.m_VertexFormat);
    IDirect3DBaseTexture9* texture = TextureOf(figure.m_Texture);
    g_scene->SetTexture(texture ? texture : g_skinnedEffect->WhiteTexture(), 0);
    g_device->SetMaterial(&figure.m_Material);
    effect->SetVector("lightDir", &light.direction);
    effect->SetVector("I_a", &light.ambient);
    effect->SetVector("I_d", &light.diffuse);
    effect->SetVector("I_s", &light.specular);
    SetMaterialParameters(effect, figure.m_Material);
    effect->SetMatrix("View", &view);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
}

// The second race pass: stage 1 modulates by the island's shading picture and
// gives the alpha tested against AlphaRef.
struct OverlayPass
{
    IDirect3DBaseTexture9* texture = nullptr; // null: no second pass
    float alphaRef = 0.0f;
};

void DrawPass(ID3DXEffect* effect, UINT pass, const D3DXATTRIBUTERANGE& range)
{
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(pass);
    g_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart, range.VertexCount,
                                   range.FaceStart * 3, range.FaceCount);
    effect->EndPass();
    effect->End();
}

void DrawCombinations(ID3DXEffect* effect, AnimatedMesh& figure, const OverlayPass& overlay)
{
    const DWORD combinations =
        std::min<DWORD>(figure.m_Skinned->NumBoneCombinations, DWORD(figure.m_AttributeTable.size()));
    for (DWORD i = 0; i < combinations; ++i)
    {
        figure.FillPalette(i);
        effect->SetMatrixArray("mWorldMatrixArray", figure.m_Palette.data(),
                               figure.m_Skinned->NumPaletteEntries);
        g_scene->SetTexture(nullptr, 1);
        DrawPass(effect, 0, figure.m_AttributeTable[i]);
        if (!overlay.texture)
            continue;
        g_scene->SetTexture(overlay.texture, 1);
        DrawPass(effect, 1, figure.m_AttributeTable[i]);
    }
}

void DrawFigure(AnimatedMesh& figure, const D3DXMATRIX& projection, const FigureLight& light,
                const OverlayPass& overlay = {})
{
    ID3DXEffect* effect = SkinnedEffect();
    if (!effect || !g_device || !g_scene || !g_camera || !figure.m_Skinned || !figure.m_VertexBuffer)
        return;
    g_scene->StartWorkSpace();
    SetFigureState(effect, figure, g_camera->m_View, projection, light);
    if (overlay.texture)
    {
        effect->SetFloat("AlphaRef", overlay.alphaRef);
        g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
        g_scene->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        g_scene->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    }
    DrawCombinations(effect, figure, overlay);
    g_scene->EndWorkSpace(0);
}
bool IslandLoaded()
{
    return g_landscape && g_landscape->m_Created;
}

OverlayPass RaceOverlay(const QV7_Buggy& owner)
{
    OverlayPass overlay;
    if (!IslandLoaded() || !g_landscape->m_ShadowTexture || !g_windowsData || !g_camera)
        return overlay;
    const GameSettings& settings = g_windowsData->m_Settings;
    const D3DXVECTOR3 apart = owner.position - g_camera->m_Eye;
    if (!(settings.Detail > 2 || settings.force_Shadow == 1) || D3DXVec3Length(&apart) >= 10000.0f)
        return overlay;
    overlay.alphaRef = float(std::min(64 * std::max(owner.contactLevel, 0), 255));
    if (overlay.alphaRef < 255.0f)
        overlay.texture = g_landscape->m_ShadowTexture;
    return overlay;
}

D3DXVECTOR4 Colour(const D3DCOLORVALUE& c)
{
    return D3DXVECTOR4(c.r, c.g, c.b, c.a);
}

// The sun of the island, or a fixed light from above and behind the camera
// without one; its direction turned into the figure's own space.
FigureLight RaceLight(const D3DXMATRIX& world)
{
    FigureLight light;
    D3DXVECTOR3 towards(0.0f, -0.5f, -1.0f);
    if (IslandLoaded())
    {
        const D3DLIGHT9& sun = g_landscape->m_Light;
        towards = -D3DXVECTOR3(sun.Direction.x, sun.Direction.y, sun.Direction.z);
        light.ambient = Colour(sun.Ambient);
        light.diffuse = Colour(sun.Diffuse);
        light.specular = Colour(sun.Specular);
    }
    else
    {
        light.ambient = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
        light.diffuse = D3DXVECTOR4(1.0f, 1.0f, 1.0f, 0.5f);
        light.specular = D3DXVECTOR4(0.6f, 0.6f, 0.6f, 0.6f);
    }
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &world))
        D3DXMatrixIdentity(&inverse);
    D3DXVECTOR3 local;
    D3DXVec3TransformNormal(&local, &towards, &inverse);
    light.direction = D3DXVECTOR4(local.x, local.y, local.z, 0.0f);
    return light;
}
} // namespace

void QV7_Skin_Allocator::RenderRaceFigure(AnimatedMesh& figure, const QV7_Buggy& owner, bool advance)
{
    if (!g_camera)
        return;
    DrawFigure(figure, g_camera->m_Projection, RaceLight(figure.m_World), RaceOverlay(owner));
    if (!advance)
        return;
    const float step = g_frameManager ? g_frameManager->m_LastFrameMs * 0.001f : 0.0f;
    figure.m_LastStep = step;
    figure.m_SummedTime += step;
    if (figure.m_Controller)
        figure.m_Controller->AdvanceTime(step, nullptr);
}

void QV7_Skin_Allocator::RenderPreview(AnimatedMesh& figure, const D3DXMATRIX& projection)
{
    if (figure.m_Controller && g_frameManager)
        figure.m_Controller->AdvanceTime(double(g_frameManager->m_LastFrameMs) * 0.001, nullptr);
    FigureLight light;
    light.direction = D3DXVECTOR4(-0.75f, -0.75f, -0.75f, 0.0f);
    light.ambient = D3DXVECTOR4(0.0f, 0.0f, 0.0f, 1.0f);
    light.diffuse = D3DXVECTOR4(0.8f, 0.8f, 0.8f, 1.0f);
    light.specular = D3DXVECTOR4(0.6f, 0.6f, 0.6f, 1.0f);
    DrawFigure(figure, projection, light);
}
