#include "effects/EmitterDraw.h"

#include "engine/QV7_Camera.h"
#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Shaders.h"
#include "engine/QV7_TextureList.h"

#include <algorithm>
#include <cstring>

namespace
{
D3DXVECTOR3 Point(const D3DXVECTOR3& p, const D3DXMATRIX& m)
{
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &p, &m);
    return out;
}

float HalfSize(float size, const D3DXMATRIX& m)
{
    const D3DXVECTOR3 s(size, size, size);
    D3DXVECTOR3 out;
    D3DXVec3TransformNormal(&out, &s, &m);
    return out.x;
}

D3DXVECTOR3 Eye()
{
    return g_camera ? g_camera->m_Eye : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

void SetupEffect(QV7_EffectsList& library, ID3DXEffect* effect, bool streak, IDirect3DBaseTexture9* texture)
{
    effect->SetTechnique(library.m_Techniques[streak ? 1 : 0]);
    D3DXMATRIX view, projection;
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&projection);
    if (g_camera)
    {
        view = g_camera->m_View;
        projection = g_camera->m_Projection;
    }
    D3DXMATRIX inverseView, projView;
    D3DXMatrixInverse(&inverseView, nullptr, &view);
    D3DXMatrixMultiply(&projView, &view, &projection);
    effect->SetMatrix("InvView", &inverseView);
    effect->SetMatrix("ProjView", &projView);
    effect->SetTexture("BillBoardTexture", texture);
}

void ApplyWords(const EmitterRenderWords& w)
{
    g_scene->SetRenderState(w.alphaBlend, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(w.sourceBlend, D3DRS_SRCBLEND);
    g_scene->SetRenderState(w.destinationBlend, D3DRS_DESTBLEND);
    g_scene->SetRenderState(w.zWrite, D3DRS_ZWRITEENABLE);
    g_scene->SetRenderState(w.alphaTest, D3DRS_ALPHATESTENABLE);
    g_scene->SetRenderState(w.alphaRefA, D3DRS_ALPHAREF);
}
} // namespace

int CompareParticleDepth(const EffectParticle* a, const EffectParticle* b)
{
    const D3DXVECTOR3 eye = Eye();
    D3DXVECTOR3 da = a->position - eye, db = b->position - eye;
    const float la = D3DXVec3LengthSq(&da), lb = D3DXVec3LengthSq(&db);
    return la > lb ? -1 : la < lb ? 1 : 0;
}

void SortParticlesByDepth(std::vector<EffectParticle*>& particles)
{
    std::stable_sort(particles.begin(), particles.end(),
                     [](const EffectParticle* a, const EffectParticle* b)
                     { return CompareParticleDepth(a, b) < 0; });
}

BillboardBatch::BillboardBatch(QV7_EffectsList& library, const EmitterRenderWords& words)
    : m_Library(library), m_Words(words)
{
}

void BillboardBatch::Quad(const D3DXVECTOR3& bottom, const D3DXVECTOR3& top, float h, float u, float v,
                          D3DCOLOR colour)
{
    // The rows at -h are centred at bottom, those at +h at top.
    const struct
    {
        float x, y, u, v;
    } corners[6] = {{h, -h, u, v + 1}, {-h, h, u + 1, v}, {h, h, u, v},
                    {-h, h, u + 1, v}, {h, -h, u, v + 1}, {-h, -h, u + 1, v + 1}};
    for (int i = 0; i < 6; ++i)
    {
        BillboardVertex& out = m_Library.m_Staging[size_t(m_Count++)];
        out.corner = D3DXVECTOR3(corners[i].x, corners[i].y, 0.0f);
        out.centre = i == 0 || i == 4 || i == 5 ? bottom : top;
        out.colour = colour;
        out.u = corners[i].u;
        out.v = corners[i].v;
    }
}

void BillboardBatch::FlushIfFull()
{
    if (m_Count + 6 >= kBillboardSegment)
        Flush(false);
}

void BillboardBatch::Flush(bool final)
{
    if (m_Count == 0 || !m_Library.m_VertexBuffer)
    {
        m_Count = 0;
        return;
    }
    int segment = m_Segment;
    DWORD flags = D3DLOCK_NOOVERWRITE;
    if (m_Segment >= kBillboardSegments)
    {
        segment = 0;
        flags = D3DLOCK_DISCARD;
        m_Segment = 1;
    }
    else
        ++m_Segment;
    if (final)
        flags = D3DLOCK_DISCARD;
    const UINT offset = UINT(segment * kBillboardSegment * sizeof(BillboardVertex));
    const UINT bytes = UINT(m_Count * sizeof(BillboardVertex));
    void* data = nullptr;
    if (SUCCEEDED(m_Library.m_VertexBuffer->Lock(offset, bytes, &data, flags)) && data)
    {
        std::memcpy(data, m_Library.m_Staging.data(), bytes);
        m_Library.m_VertexBuffer->Unlock();
        g_device->SetStreamSource(0, m_Library.m_VertexBuffer, 0, sizeof(BillboardVertex));
        g_scene->SetRenderState(FALSE, D3DRS_ZWRITEENABLE);
        g_scene->SetRenderState(m_Words.alphaRefB, D3DRS_ALPHAREF);
        g_scene->SetRenderState(m_Words.alphaRefB != 0 ? m_Words.alphaTest : FALSE, D3DRS_ALPHATESTENABLE);
        g_device->DrawPrimitive(D3DPT_TRIANGLELIST, UINT(segment * kBillboardSegment), UINT(m_Count / 3));
        ++m_Batches;
    }
    m_Count = 0;
}

void DrawBillboardEmitter(QV7_EffectsList& library, std::vector<EffectParticle*>& particles,
                          int32_t textureId, const EmitterRenderWords& words, bool sort,
                          const D3DXMATRIX& placement, const BillboardDrawOptions& options)
{
    if (sort)
        SortParticlesByDepth(particles);
    TextureRecord* texture =
        library.m_Textures ? library.m_Textures->FindByCompileId(uint32_t(textureId)) : nullptr;
    ID3DXEffect* effect = library.m_Effect ? library.m_Effect->m_Effect : nullptr;
    if (!texture || particles.empty() || !effect || !g_device || !g_scene)
        return;
    g_scene->StartWorkSpace();
    const EffectParticle& first = *particles.front();
    g_device->SetFVF(kBillboardFvf);
    SetupEffect(library, effect, first.streak == 1, TextureOf(first.texture ? first.texture : texture));
    ApplyWords(words);
    UINT passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    BillboardBatch batch(library, words);
    for (EffectParticle* p : particles)
    {
        const float h = HalfSize(p->size * options.drawScale, placement);
        const D3DCOLOR colour = options.colourOverride ? options.colour : p->colour;
        const D3DXVECTOR3 centre = Point(p->position, placement);
        if (p->streak != 1)
            batch.Quad(centre, centre, h, p->u, p->v, colour);
        else if (p->trail.Count() > 0)
        {
            const D3DXVECTOR3 last = p->trail[p->trail.Count() - 1]->position;
            const D3DXVECTOR3 d = last - p->position;
            batch.Quad(Point(last + d * p->stretch, placement),
                       Point(p->position - d * p->stretch, placement), h, p->u, p->v, colour);
        }
        batch.FlushIfFull();
        if (p->trailCopies == 1 && p->trail.Count() > 1)
            for (int i = std::max(1, p->trail.Count() - std::max(p->trailCopyCount, 0)); i < p->trail.Count();
                 ++i)
            {
                const D3DXVECTOR3 at = Point(p->trail[i]->position, placement);
                batch.Quad(at, at, h, p->u, p->v, colour);
                batch.FlushIfFull();
            }
    }
    batch.Flush(true);
    effect->EndPass();
    effect->End();
    g_scene->EndWorkSpace(0);
    g_device->LightEnable(0, TRUE);
}

namespace
{
D3DXMATRIX StreakWorld(EffectMesh& mesh, const EffectMeshParticle& p, const D3DXVECTOR3& at)
{
    D3DXVECTOR3 last = p.trail[p.trail.Count() - 1]->position;
    if (last.x == at.x && last.z == at.z)
        last.x = at.x + 0.001f;
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX look, world, scaling;
    D3DXMatrixLookAtRH(&look, &at, &last, &up);
    D3DXMatrixInverse(&world, nullptr, &look);
    D3DXVECTOR3 d = at - last;
    const float length = D3DXVec3Length(&d);
    const float radius = mesh.m_SphereRadius != 0.0f ? mesh.m_SphereRadius : 1.0f;
    D3DXMatrixScaling(&scaling, 1.0f, 1.0f, length / radius * 0.5f + p.stretch);
    D3DXMATRIX out;
    D3DXMatrixMultiply(&out, &scaling, &world);
    return out;
}

void DrawMeshAt(EffectMesh& mesh, const EffectMeshParticle& p, const D3DXVECTOR3& at,
                const D3DXMATRIX& placement, const MeshDrawOptions& options)
{
    mesh.m_Position = at;
    mesh.m_Rotation = p.rotation;
    mesh.SetScale(options.instance && options.meshScaleMode != 0 ? options.drawScale : p.scale);
    if (options.instance && options.meshScaleMode != 0)
        mesh.m_NoAlphaTest = 1;
    BuildPlacementMatrix(mesh);
    D3DXMATRIX local = mesh.m_World;
    if (p.streak == 1 && p.trail.Count() > 0)
        local = StreakWorld(mesh, p, at);
    D3DXMatrixMultiply(&mesh.m_World, &local, &placement);
    if (!options.instance)
    {
        mesh.Render(0);
        return;
    }
    g_scene->StartWorkSpace();
    if (options.words)
        ApplyWords(*options.words);
    if (options.ageFadeRef >= 0)
        g_scene->SetRenderState(DWORD(options.ageFadeRef), D3DRS_ALPHAREF);
    if (options.noZWrite)
        g_scene->SetRenderState(FALSE, D3DRS_ZWRITEENABLE);
    if (options.noMip)
        mesh.m_NoMip = 1;
    mesh.Render(1);
    if (options.noMip)
        mesh.m_NoMip = 0;
    if (options.noZWrite)
        g_scene->SetRenderState(TRUE, D3DRS_ZWRITEENABLE);
    g_scene->EndWorkSpace(0);
}
} // namespace

void DrawMeshEmitter(QV7_EffectsList& library, QV7_Collection<EffectMeshParticle>& particles, int32_t meshId,
                     const D3DXMATRIX& placement, const MeshDrawOptions& options)
{
    EffectMesh* mesh = library.FindMeshById(meshId);
    if (!mesh || !g_scene)
        return;
    for (EffectMeshParticle* p : particles)
    {
        DrawMeshAt(*mesh, *p, p->position, placement, options);
        if (p->trailCopies == 1)
            for (TrailPoint* t : p->trail)
                DrawMeshAt(*mesh, *p, t->position, placement, options);
    }
}
