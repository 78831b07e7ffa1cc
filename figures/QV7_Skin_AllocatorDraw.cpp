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

void DrawCombinations(ID3DXEffect* effect, AnimatedMesh& figure)
{
    const DWORD combinations =
        std::min<DWORD>(figure.m_Skinned->NumBoneCombinations, DWORD(figure.m_AttributeTable.size()));
    for (DWORD i = 0; i < combinations; ++i)
    {
        figure.FillPalette(i);
        effect->SetMatrixArray("mWorldMatrixArray", figure.m_Palette.data(),
                               figure.m_Skinned->NumPaletteEntries);
        const D3DXATTRIBUTERANGE& range = figure.m_AttributeTable[i];
        UINT passes = 0;
        effect->Begin(&passes, 0);
        effect->BeginPass(0);
        g_device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, range.VertexStart, range.VertexCount,
                                       range.FaceStart * 3, range.FaceCount);
        effect->EndPass();
        effect->End();
    }
}

void DrawFigure(AnimatedMesh& figure, const D3DXMATRIX& projection, const FigureLight& light)
{
    ID3DXEffect* effect = SkinnedEffect();
    if (!effect || !g_device || !g_scene || !g_camera || !figure.m_Skinned || !figure.m_VertexBuffer)
        return;
    g_scene->StartWorkSpace();
    SetFigureState(effect, figure, g_camera->m_View, projection, light);
    DrawCombinations(effect, figure);
    g_scene->EndWorkSpace(0);
}
} // namespace

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
