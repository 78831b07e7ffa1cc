#include "effects/QV7_EffectsList.h"

#include "effects/EmitterDraw.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Shaders.h"
#include "engine/effects/QV7_EffectSources.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <cctype>
#include <cstdio>
#include <string>

int g_billboardEffectCount = 0;

namespace
{
std::string Lowered(const char* text)
{
    std::string s(text);
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
} // namespace

QV7_EffectsList::QV7_EffectsList() : m_Staging(kBillboardVertices)
{
    ++g_billboardEffectCount;
    char name[64];
    std::snprintf(name, sizeof name, "Effect_Billboards_%d", g_billboardEffectCount);
    const std::string* bytes = FindEffectSource(name);
    // An effect the device cannot make leaves the library without billboards
    // (logged below), not the race without effects.
    try
    {
        if (g_shaders && bytes)
            m_Effect = g_shaders->Create(name, bytes->data(), unsigned(bytes->size()));
    }
    catch (const CDException&)
    {
        m_Effect = nullptr;
    }
    const char* techniques[3] = {"Effects_BillBoard", "Effects_BillBoard2", "Effects_BillBoard3"};
    for (int i = 0; i < 3; ++i)
    {
        m_Techniques[i] =
            m_Effect && m_Effect->m_Effect ? m_Effect->m_Effect->GetTechniqueByName(techniques[i]) : nullptr;
        if (!m_Techniques[i])
            QV7_Logger::Log(
                g_logger,
                "ERROR: Failed to find Effect Billboard vertex shader technique supported by 3D Card.");
    }
    CreateVertexBuffer();
}

QV7_EffectsList::~QV7_EffectsList()
{
    if (g_shaders && m_Effect)
        g_shaders->Unload(m_Effect);
    if (m_VertexBuffer)
        m_VertexBuffer->Release();
    m_Meshes.Clear();
    m_Templates.Clear();
}

void QV7_EffectsList::CreateVertexBuffer()
{
    if (!g_device || m_VertexBuffer)
        return;
    if (FAILED(g_device->CreateVertexBuffer(kBillboardVertices * sizeof(BillboardVertex),
                                            D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT,
                                            &m_VertexBuffer, nullptr)))
        m_VertexBuffer = nullptr;
}

void QV7_EffectsList::OnLostReset(int lost)
{
    if (lost == 1)
    {
        if (m_VertexBuffer)
            m_VertexBuffer->Release();
        m_VertexBuffer = nullptr;
        return;
    }
    CreateVertexBuffer();
}

EffectTemplate* QV7_EffectsList::FindTemplateById(int id) const
{
    for (EffectTemplate* t : m_Templates)
        if (t->id == id)
            return t;
    return nullptr;
}

EffectTemplate* QV7_EffectsList::FindTemplateByName(const char* name) const
{
    if (m_Templates.Count() == 0 || !name || !*name)
        return nullptr;
    const std::string wanted = Lowered(name);
    for (EffectTemplate* t : m_Templates)
        if (Lowered(t->name) == wanted)
            return t;
    QV7_Logger::Log(g_logger, "ERROR: Unable to find Effect with name '%s' ", name);
    return nullptr;
}

EffectMesh* QV7_EffectsList::FindMeshById(int id) const
{
    for (EffectMesh* m : m_Meshes)
        if (int(m->m_Id) == id)
            return m;
    return nullptr;
}

void QV7_EffectsList::RenderTemplate(EffectTemplate* effect, const D3DXMATRIX& placement)
{
    if (!effect)
        return;
    for (int i = effect->emitters.Count() - 1; i >= 0; --i)
    {
        EffectEmitter& emitter = *effect->emitters[i];
        if (!emitter.IsBillboard())
        {
            DrawMeshEmitter(*this, emitter.meshParticles, emitter.meshId, placement, MeshDrawOptions());
            continue;
        }
        std::vector<EffectParticle*> particles(emitter.particles.begin(), emitter.particles.end());
        DrawBillboardEmitter(*this, particles, emitter.textureId, emitter.render, effect->sort == 1,
                             placement, BillboardDrawOptions());
    }
}
