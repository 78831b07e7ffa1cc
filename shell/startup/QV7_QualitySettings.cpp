// Multisample wish, anisotropic filtering and the device reset that applies them.
#include "shell/startup/QV7_QualitySettings.h"

#include "engine/QV7_AdapterInfo.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"

QV7_QualitySettings* g_qualitySettings = nullptr;

namespace
{
// Sampler states go through the render-state cache, so its copy stays true.
void SetSampler(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (g_scene)
        g_scene->SetSamplerState(type, sampler, value);
    else
        g_device->SetSamplerState(sampler, type, value);
}

void SetFilters(DWORD sampler, DWORD mag, DWORD min)
{
    SetSampler(sampler, D3DSAMP_MAGFILTER, mag);
    SetSampler(sampler, D3DSAMP_MINFILTER, min);
    SetSampler(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
}

void ApplyTextureFiltering(const D3DCAPS9& caps)
{
    DWORD anisotropy = 1;
    if (caps.MaxAnisotropy >= 4)
        anisotropy = 4;
    else if (caps.MaxAnisotropy == 2)
        anisotropy = 2;
    const bool magAnisotropic = anisotropy > 1 && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC);
    const bool minAnisotropic = anisotropy > 1 && (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC);
    for (DWORD sampler = 0; sampler < 2; ++sampler)
        SetFilters(sampler, magAnisotropic ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR,
                   minAnisotropic ? D3DTEXF_ANISOTROPIC : D3DTEXF_LINEAR);
    for (DWORD sampler = 0; sampler < 4; ++sampler)
        SetSampler(sampler, D3DSAMP_MAXANISOTROPY, anisotropy);
}
} // namespace

QV7_QualitySettings::QV7_QualitySettings()
{
    g_qualitySettings = this;
    if (!g_engine)
        return;
    const int highest = g_engine->m_HighestMultisample;
    g_engine->m_MultisampleWish = highest >= 4 ? 4 : (highest == 2 ? 2 : 0);
    D3DCAPS9 caps{};
    if (g_device && g_engine->m_AdapterInfo && g_engine->m_AdapterInfo->GetCaps(0, &caps))
        ApplyTextureFiltering(caps);
    g_engine->Initialize(1);
}

QV7_QualitySettings::~QV7_QualitySettings()
{
    if (g_qualitySettings == this)
        g_qualitySettings = nullptr;
}
