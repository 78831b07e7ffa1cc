#include "effects/EffectMesh.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "world/QV7_Landscape.h"

namespace
{
D3DXMATRIX ReflectionBias()
{
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, 0.5f, -0.5f, 1.0f);
    m._41 = 0.5f;
    m._42 = 0.5f;
    return m;
}

bool SamplesMoreThanTwoTextures()
{
    D3DCAPS9 caps{};
    return g_device && SUCCEEDED(g_device->GetDeviceCaps(&caps)) && caps.MaxSimultaneousTextures > 2;
}
} // namespace

EffectMesh::EffectMesh()
{
    m_TextureMatrix[0] = m_TextureMatrix[1] = ReflectionBias();
}

void EffectMesh::SetScale(float scale)
{
    const float old = m_Scale != 0.0f ? m_Scale : 1.0f;
    const float factor = scale / old;
    m_SphereRadius *= factor;
    m_BoxMin *= factor;
    m_BoxMax *= factor;
    m_Scale = scale;
}

void EffectMesh::ApplyFog() const
{
    static const uint32_t kOff[8] = {};
    const uint32_t* fog = g_landscape ? g_landscape->m_Fog : kOff;
    g_scene->SetRenderState(fog[0], D3DRS_FOGENABLE);
    g_scene->SetRenderState(fog[1], D3DRS_FOGCOLOR);
    if (fog[2] != 0)
    {
        g_scene->SetRenderState(fog[3], D3DRS_FOGTABLEMODE);
        g_scene->SetRenderState(fog[2], D3DRS_FOGVERTEXMODE);
    }
    else
    {
        g_scene->SetRenderState(D3DFOG_NONE, D3DRS_FOGVERTEXMODE);
        g_scene->SetRenderState(fog[3], D3DRS_FOGTABLEMODE);
    }
    g_scene->SetRenderState(fog[4], D3DRS_FOGSTART);
    g_scene->SetRenderState(fog[5], D3DRS_FOGEND);
    g_scene->SetRenderState(fog[6], D3DRS_FOGDENSITY);
    g_scene->SetRenderState(fog[7], D3DRS_RANGEFOGENABLE);
}

void EffectMesh::SetStageDefaults() const
{
    g_scene->SetTexture(nullptr, 1);
    g_scene->SetTexture(nullptr, 2);
    g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    g_scene->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    g_scene->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
}

void EffectMesh::SetReflection(DWORD stage, IDirect3DBaseTexture9* texture, uint32_t subset) const
{
    g_scene->SetTexture(texture, stage);
    g_scene->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
    g_scene->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    g_scene->SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    const D3DXMATRIX& matrix = m_TextureMatrix[Word(MESH_WORD_REFLECTION, subset) == 1 ? 0 : 1];
    g_device->SetTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + stage), &matrix);
}

void EffectMesh::DrawSubset(uint32_t subset, bool multiTexture)
{
    g_scene->SetRenderState(Word(MESH_WORD_CULLMODE, subset), D3DRS_CULLMODE);
    g_scene->SetRenderState(Word(MESH_WORD_SPECULAR, subset), D3DRS_SPECULARENABLE);
    IDirect3DBaseTexture9* first = Texture(subset);
    IDirect3DBaseTexture9* second = Texture2(subset);
    const bool twoTextures = second != nullptr;
    if (twoTextures && multiTexture)
    {
        g_scene->SetTexture(nullptr, 2);
        if (first)
        {
            g_scene->SetTexture(first, 0);
            g_scene->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            g_scene->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
            g_scene->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
            g_scene->SetRenderState(FALSE, D3DRS_NORMALIZENORMALS);
            if (Word(MESH_WORD_ENVIRONMENT, subset) == 0)
            {
                SetReflection(1, second, subset);
                g_scene->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
                g_scene->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
                g_scene->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
            }
        }
        else
            SetReflection(0, second, subset);
    }
    else
    {
        SetStageDefaults();
        g_scene->SetTexture(first, 0);
    }
    if (subset < m_Materials.size())
        g_device->SetMaterial(&m_Materials[subset]);
    if (twoTextures && !multiTexture)
    {
        g_scene->SetRenderState(D3DCULL_CW, D3DRS_CULLMODE);
        DrawSubsetRange(g_device, subset);
        g_scene->SetRenderState(D3DCULL_CCW, D3DRS_CULLMODE);
    }
    DrawSubsetRange(g_device, subset);
}

void EffectMesh::Render(int skipAlphaTest)
{
    if (!g_device || !g_scene || !m_Mesh)
        return;
    g_scene->SetRenderState(TRUE, D3DRS_NORMALIZENORMALS);
    ApplyFog();
    if (skipAlphaTest == 0)
    {
        g_scene->SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
        g_scene->SetRenderState(m_NoAlphaTest == 0 ? TRUE : FALSE, D3DRS_ALPHATESTENABLE);
        g_scene->SetRenderState(m_NoAlphaTest == 0 ? 112 : 0, D3DRS_ALPHAREF);
    }
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        g_scene->SetSamplerState(D3DSAMP_MAGFILTER, sampler, D3DTEXF_LINEAR);
        g_scene->SetSamplerState(D3DSAMP_MINFILTER, sampler, D3DTEXF_LINEAR);
    }
    g_scene->SetSamplerState(D3DSAMP_MIPFILTER, 0, m_NoMip ? D3DTEXF_NONE : D3DTEXF_LINEAR);
    g_scene->SetRenderState(FALSE, D3DRS_CLIPPING);
    g_scene->SetRenderState(TRUE, D3DRS_LIGHTING);
    SetStageDefaults();
    BindBuffers(g_device, kEffectMeshFvf);
    g_device->SetTransform(D3DTS_WORLD, &m_World);
    const bool multiTexture = SamplesMoreThanTwoTextures();
    for (uint32_t subset = 0; subset < m_SubsetCount; ++subset)
        DrawSubset(subset, multiTexture);
    g_scene->SetTexture(nullptr, 2);
    g_scene->SetTexture(nullptr, 1);
    if (m_NoMip)
        g_scene->SetSamplerState(D3DSAMP_MIPFILTER, 0, D3DTEXF_LINEAR);
}
