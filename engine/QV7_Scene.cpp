// Render-state cache and work spaces.
#include "engine/QV7_Scene.h"

#include "engine/QV7_AdapterInfo.h"
#include "engine/QV7_Engine.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"

#include <cstring>

QV7_Scene* g_scene = nullptr;

namespace
{
const char* const kModule = ".\\QV7_Scene";
// The line the nesting error reports, as the game's logs show it.
constexpr int kNestingErrorLine = 616;

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

// The render states Direct3D 9 defines, as inclusive ranges.
constexpr int kDefinedRenderStates[][2] = {{7, 9},     {14, 16},   {19, 20},   {22, 29},   {34, 38},
                                           {48, 48},   {52, 60},   {128, 137}, {139, 143}, {145, 148},
                                           {151, 152}, {154, 163}, {165, 168}, {170, 176}, {178, 195},
                                           {198, 209}};

const GameSettings* Settings() { return g_windowsData ? &g_windowsData->m_Settings : nullptr; }
} // namespace

QV7_Scene::QV7_Scene()
{
    g_scene = this;
    QV7_Logger::Log(g_logger, "INFO: Loading Scene Class.");
    m_Open = 0;
    QV7_Logger::Log(g_logger, "INFO: Scene: Reading Device Information.");
    ResetCache();
    QV7_Logger::Log(g_logger, "INFO: Scene: Reading Device Information Done.");
    QV7_Logger::Log(g_logger, "INFO: Scene File loaded.");
}

QV7_Scene::~QV7_Scene()
{
    // The cache is the last component to go before the device: it unbinds the
    // textures and buffers the renderers left bound, so that no resource keeps
    // the device alive through the device's own reference to it.
    if (g_device)
    {
        for (DWORD stage = 0; stage < 8; ++stage)
            g_device->SetTexture(stage, nullptr);
        g_device->SetStreamSource(0, nullptr, 0, 0);
        g_device->SetIndices(nullptr);
        g_device->SetVertexDeclaration(nullptr);
    }
    if (g_scene == this)
        g_scene = nullptr;
}

void QV7_Scene::FillInitialValues()
{
    std::memset(&m_Tables, 0, sizeof m_Tables);
    DWORD* rs = m_Tables.renderStates;
    rs[D3DRS_ZENABLE] = 1;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = 1;
    rs[D3DRS_ALPHATESTENABLE] = 1;
    rs[D3DRS_LASTPIXEL] = 1;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAREF] = 1;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_GREATER;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_CLIPPING] = 1;
    rs[D3DRS_LIGHTING] = 1;
    rs[D3DRS_COLORVERTEX] = 1;
    rs[D3DRS_LOCALVIEWER] = 1;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_POINTSIZE] = rs[D3DRS_POINTSIZE_MIN] = rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = 1;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFF;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xF;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_POSITIONDEGREE] = 3; // cubic
    rs[D3DRS_NORMALDEGREE] = 1;   // linear
    rs[D3DRS_MINTESSELLATIONLEVEL] = rs[D3DRS_MAXTESSELLATIONLEVEL] = FloatBits(1.0f);
    rs[D3DRS_ADAPTIVETESS_Z] = FloatBits(1.0f);
    rs[D3DRS_CCW_STENCILFAIL] = rs[D3DRS_CCW_STENCILZFAIL] = rs[D3DRS_CCW_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_COLORWRITEENABLE1] = rs[D3DRS_COLORWRITEENABLE2] = rs[D3DRS_COLORWRITEENABLE3] = 0xF;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFF;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

    for (int stage = 0; stage < kStages; ++stage)
    {
        DWORD* s = m_Tables.stageStates[stage];
        s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        s[D3DTSS_COLORARG1] = s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        s[D3DTSS_COLORARG2] = s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        s[D3DTSS_COLORARG0] = s[D3DTSS_ALPHAARG0] = s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
        s[D3DTSS_TEXCOORDINDEX] = DWORD(stage);

        DWORD* sampler = m_Tables.samplerStates[stage];
        sampler[D3DSAMP_ADDRESSU] = sampler[D3DSAMP_ADDRESSV] = sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        sampler[D3DSAMP_MAGFILTER] = sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        sampler[D3DSAMP_MAXANISOTROPY] = 1;
    }
}

void QV7_Scene::WriteAllToDevice()
{
    if (!g_device)
        return;
    for (const auto& range : kDefinedRenderStates)
        for (int state = range[0]; state <= range[1]; ++state)
            g_device->SetRenderState(D3DRENDERSTATETYPE(state), m_Tables.renderStates[state]);
    static constexpr D3DTEXTURESTAGESTATETYPE kExtraStageStates[] = {
        D3DTSS_BUMPENVLSCALE, D3DTSS_BUMPENVLOFFSET, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTSS_COLORARG0,
        D3DTSS_ALPHAARG0,     D3DTSS_RESULTARG,      D3DTSS_CONSTANT};
    for (DWORD stage = 0; stage < kStages; ++stage)
    {
        g_device->SetTexture(stage, m_Tables.textures[stage]);
        for (DWORD type = D3DTSS_COLOROP; type <= D3DTSS_TEXCOORDINDEX; ++type)
            g_device->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), m_Tables.stageStates[stage][type]);
        for (D3DTEXTURESTAGESTATETYPE type : kExtraStageStates)
            g_device->SetTextureStageState(stage, type, m_Tables.stageStates[stage][type]);
        for (int type = 1; type <= 13; ++type)
            g_device->SetSamplerState(stage, D3DSAMPLERSTATETYPE(type), m_Tables.samplerStates[stage][type]);
    }
}

void QV7_Scene::ApplyTextureFiltering()
{
    const GameSettings* settings = Settings();
    const int detail = settings ? settings->Detail : 0;
    const int fsaf = settings ? settings->FSAF : 0;
    D3DCAPS9 caps{};
    if (!(g_engine && g_engine->m_AdapterInfo && g_engine->m_AdapterInfo->GetCaps(0, &caps)) && g_device)
        g_device->GetDeviceCaps(&caps);

    const bool anisotropic = (detail == -1 && fsaf != 0) || detail == 4;
    DWORD mag = D3DTEXF_LINEAR, min = D3DTEXF_LINEAR, anisotropy = 1;
    if (anisotropic)
    {
        if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MAGFANISOTROPIC)
            mag = D3DTEXF_ANISOTROPIC;
        if (caps.TextureFilterCaps & D3DPTFILTERCAPS_MINFANISOTROPIC)
            min = D3DTEXF_ANISOTROPIC;
        anisotropy = detail == 4 ? 2 : DWORD(fsaf);
    }
    for (DWORD sampler = 0; sampler < 2; ++sampler)
    {
        SetSamplerState(D3DSAMP_MAGFILTER, sampler, mag);
        SetSamplerState(D3DSAMP_MINFILTER, sampler, min);
        SetSamplerState(D3DSAMP_MIPFILTER, sampler, D3DTEXF_LINEAR);
    }
    for (DWORD sampler = 0; sampler < kStages; ++sampler)
        SetSamplerState(D3DSAMP_MAXANISOTROPY, sampler, anisotropy);
}

void QV7_Scene::ResetCache()
{
    FillInitialValues();
    WriteAllToDevice();
    SetRenderState(D3DCMP_GREATEREQUAL, D3DRS_ALPHAFUNC);
    SetRenderState(1, D3DRS_ALPHATESTENABLE);
    SetRenderState(1, D3DRS_ALPHAREF);
    ApplyTextureFiltering();
}

void QV7_Scene::SetRenderState(DWORD value, D3DRENDERSTATETYPE state)
{
    if (m_Tables.renderStates[state] == value)
        return;
    m_Tables.renderStates[state] = value;
    if (g_device)
        g_device->SetRenderState(state, value);
}

void QV7_Scene::SetTexture(IDirect3DBaseTexture9* texture, DWORD stage)
{
    if (m_Tables.textures[stage] == texture)
        return;
    m_Tables.textures[stage] = texture;
    if (g_device)
        g_device->SetTexture(stage, texture);
}

void QV7_Scene::ForgetTexture(IDirect3DBaseTexture9* texture)
{
    if (!texture)
        return;
    for (DWORD stage = 0; stage < kStages; ++stage)
    {
        if (m_Tables.textures[stage] == texture)
            SetTexture(nullptr, stage);
        if (m_Snapshot.textures[stage] == texture)
            m_Snapshot.textures[stage] = nullptr;
    }
}

void QV7_Scene::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (m_Tables.stageStates[stage][type] == value)
        return;
    m_Tables.stageStates[stage][type] = value;
    if (g_device)
        g_device->SetTextureStageState(stage, type, value);
}

void QV7_Scene::SetSamplerState(D3DSAMPLERSTATETYPE type, DWORD sampler, DWORD value)
{
    if (m_Tables.samplerStates[sampler][type] == value)
        return;
    m_Tables.samplerStates[sampler][type] = value;
    if (g_device)
        g_device->SetSamplerState(sampler, type, value);
}

void QV7_Scene::StartWorkSpace()
{
    if (m_Open)
    {
        const GameSettings* settings = Settings();
        if (settings && settings->Debug == 1)
        {
            QV7_Logger::Log(g_logger, "ERROR: Scene StartWorkSpace Called without closing last WorkSpace.");
            ThrowDataError(kModule, kNestingErrorLine);
        }
        EndWorkSpace(0);
    }
    m_Snapshot = m_Tables;
    m_Open = 1;
}

void QV7_Scene::EndWorkSpace(int keepTextures)
{
    const Tables& saved = m_Snapshot;
    if (!keepTextures)
        for (DWORD stage = 0; stage < kStages; ++stage)
            if (m_Tables.textures[stage] != saved.textures[stage])
                SetTexture(saved.textures[stage], stage);
    for (DWORD sampler = 0; sampler < kStages; ++sampler)
        for (int type = 0; type < kSamplerStates; ++type)
            if (m_Tables.samplerStates[sampler][type] != saved.samplerStates[sampler][type])
                SetSamplerState(D3DSAMPLERSTATETYPE(type), sampler, saved.samplerStates[sampler][type]);
    for (DWORD stage = 0; stage < kStages; ++stage)
        for (int type = 0; type < kStageStates; ++type)
            if (m_Tables.stageStates[stage][type] != saved.stageStates[stage][type])
                SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), saved.stageStates[stage][type]);
    for (int state = 0; state < kRenderStates; ++state)
        if (m_Tables.renderStates[state] != saved.renderStates[state])
            SetRenderState(saved.renderStates[state], D3DRENDERSTATETYPE(state));
    m_Open = 0;
}

void QV7_Scene::OnLostReset(int lost)
{
    if (lost == 0)
        ResetCache();
}
