// The menus' screen particles. Time advances in fixed 17 ms steps taken from
// an accumulator, so the trail looks the same at any frame rate; a frame of
// more than 300 ms (a load, a dragged window) is dropped instead of being
// simulated in one burst.
#include "gui/QV7_Particles2D.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_TextureList.h"
#include "shell/QV7_Globals.h"

QV7_Particles2D* g_particles2D = nullptr;

namespace
{
constexpr float kStepFraction = 0.17f;
constexpr DWORD kParticleFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// A value spread evenly over a width centred on 0.
float Noise(float width)
{
    return float(GameRand()) / float(GAME_RAND_MAX) * width - width * 0.5f;
}

D3DCOLOR NextColour(ScreenEmitter& emitter)
{
    if (emitter.m_RandomColour)
    {
        const DWORD r = DWORD(float(GameRand()) / float(GAME_RAND_MAX) * 255.0f);
        const DWORD g = DWORD(float(GameRand()) / float(GAME_RAND_MAX) * 255.0f);
        const DWORD b = DWORD(float(GameRand()) / float(GAME_RAND_MAX) * 255.0f);
        return (r << 16) | (g << 8) | b;
    }
    // An emitter without colours draws black sparks rather than reading past its list.
    if (emitter.m_Colours.Count() == 0)
        return 0;
    if (emitter.m_NextColour < 0 || emitter.m_NextColour >= emitter.m_Colours.Count())
        emitter.m_NextColour = 0;
    const D3DCOLOR colour = *emitter.m_Colours[emitter.m_NextColour];
    if (++emitter.m_NextColour >= emitter.m_Colours.Count())
        emitter.m_NextColour = 0;
    return colour;
}

ScreenParticle* Spawn(ScreenEmitter& emitter, float x, float y, int32_t childCount)
{
    ScreenParticle* particle = emitter.m_Particles.Add();
    particle->m_Age = 0.0f;
    particle->m_ChildCount = childCount;
    particle->m_X = x;
    particle->m_Y = y;
    particle->m_AccelerationX = emitter.m_AccelerationX;
    particle->m_AccelerationY = emitter.m_AccelerationY;
    particle->m_JitterX = emitter.m_JitterX;
    particle->m_JitterY = emitter.m_JitterY;
    particle->m_VelocityX = emitter.m_VelocityX + Noise(emitter.m_SpreadX);
    particle->m_VelocityY = emitter.m_VelocityY + Noise(emitter.m_SpreadY);
    const D3DCOLOR colour = NextColour(emitter);
    for (ParticleVertex& vertex : particle->m_Vertices)
    {
        vertex.rhw = 0.5f;
        vertex.diffuse = colour;
        vertex.specular = colour;
    }
    return particle;
}

// Moves a particle by fraction of a 100 ms unit (0.17 for one 17 ms step).
void Move(ScreenParticle& particle, float fraction)
{
    particle.m_X += fraction * particle.m_VelocityX;
    particle.m_Y += fraction * particle.m_VelocityY;
    particle.m_VelocityX += fraction * particle.m_AccelerationX;
    particle.m_VelocityY += fraction * particle.m_AccelerationY;
    particle.m_X += Noise(particle.m_JitterX) * fraction;
    particle.m_Y += Noise(particle.m_JitterY) * fraction;
}

bool BelowMaximum(const ScreenEmitter& emitter)
{
    return emitter.m_Particles.Count() < emitter.m_MaxParticles;
}
} // namespace

QV7_Particles2D::QV7_Particles2D()
{
    g_particles2D = this;
}

QV7_Particles2D::~QV7_Particles2D()
{
    if (g_particles2D == this)
        g_particles2D = nullptr;
}

ScreenEmitter* QV7_Particles2D::CreateEmitter(float halfSize, TextureRecord* picture, float x, float y,
                                              float velocityX, float velocityY)
{
    ScreenEmitter* emitter = m_Emitters.Add();
    emitter->m_HalfSize = halfSize;
    emitter->m_Picture = picture;
    emitter->m_Active = 1;
    emitter->m_SpawnInterval = 2;
    emitter->m_RandomColour = 1;
    emitter->m_Life = 1500.0f;
    emitter->m_MaxParticles = 10000;
    emitter->m_X = x;
    emitter->m_Y = y;
    emitter->m_VelocityX = velocityX;
    emitter->m_VelocityY = velocityY;
    return emitter;
}

void QV7_Particles2D::Update(ScreenEmitter* emitter)
{
    if (!emitter)
        return;
    const float frameMs = g_frameManager ? g_frameManager->m_LastFrameMs : 0.0f;
    float elapsed = frameMs;
    if (elapsed > kLongFrameMs)
    {
        elapsed = 0.0f;
        if (g_frameManager)
            g_frameManager->m_LastFrameMs = 0.0f;
    }
    emitter->m_StepAccumulator += elapsed;
    while (emitter->m_StepAccumulator > kStepMs)
    {
        emitter->m_StepAccumulator -= kStepMs;
        if (!emitter->m_Active)
            break;
        Step(*emitter);
    }
    if (g_frameManager)
        g_frameManager->m_LastFrameMs = frameMs;
}

void QV7_Particles2D::Step(ScreenEmitter& emitter)
{
    QV7_Collection<ScreenParticle>& particles = emitter.m_Particles;
    for (ScreenParticle* particle : particles)
    {
        Move(*particle, kStepFraction);
        particle->m_Age += kStepMs;
    }

    // A zero or negative interval would spawn without end: one per millisecond instead.
    const int32_t interval = emitter.m_SpawnInterval > 0 ? emitter.m_SpawnInterval : 1;
    const float due = kStepMs + emitter.m_SpawnRemainder;
    const int spawnCount = int(due / float(interval));
    emitter.m_SpawnRemainder = due - float(spawnCount * interval);
    for (int k = 0; k < spawnCount && BelowMaximum(emitter); ++k)
    {
        ScreenParticle* particle = Spawn(emitter, emitter.m_X, emitter.m_Y, emitter.m_ChildCount);
        // Particles of one step are spread along their path, not stacked on the emitter.
        Move(*particle, (kStepMs - float(k)) * 0.01f);
    }

    // Children are appended behind the old particles, so only the first
    // 'remaining' slots can be old enough to die in this step.
    int remaining = particles.Count();
    for (int i = 0; i < remaining;)
    {
        ScreenParticle* particle = particles[i];
        if (particle->m_Age <= emitter.m_Life)
        {
            ++i;
            continue;
        }
        for (int c = 0; c < particle->m_ChildCount && BelowMaximum(emitter); ++c)
            Spawn(emitter, particle->m_X, particle->m_Y, 0);
        particles.DeleteAt(i);
        --remaining;
    }

    const float s = emitter.m_HalfSize;
    for (ScreenParticle* particle : particles)
    {
        ParticleVertex* v = particle->m_Vertices;
        const float x = particle->m_X, y = particle->m_Y;
        v[0].x = x - s, v[0].y = y - s, v[0].u = 0.0f, v[0].v = 0.0f;
        v[1].x = x + s, v[1].y = y - s, v[1].u = 1.0f, v[1].v = 0.0f;
        v[2].x = x - s, v[2].y = y + s, v[2].u = 0.0f, v[2].v = 1.0f;
        v[3].x = x + s, v[3].y = y + s, v[3].u = 1.0f, v[3].v = 1.0f;
        for (int k = 0; k < 4; ++k)
            v[k].z = 0.0f;
    }
}

void QV7_Particles2D::Draw(ScreenEmitter* emitter)
{
    if (!emitter || !emitter->m_Active || !g_scene)
        return;
    QV7_Scene& scene = *g_scene;
    scene.StartWorkSpace();
    scene.SetRenderState(FALSE, D3DRS_LIGHTING);
    scene.SetRenderState(D3DCULL_NONE, D3DRS_CULLMODE);
    scene.SetRenderState(FALSE, D3DRS_ZENABLE);
    if (emitter->m_Blend == 1)
    {
        scene.SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
        scene.SetRenderState(D3DBLEND_SRCCOLOR, D3DRS_SRCBLEND);
        scene.SetRenderState(D3DBLEND_ONE, D3DRS_DESTBLEND);
    }
    else
        scene.SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
    if (g_device)
    {
        // The camera's world matrix once the camera exists; until then the
        // identity it starts with, as the 2D layer does.
        D3DMATRIX world{};
        world._11 = world._22 = world._33 = world._44 = 1.0f;
        g_device->SetTransform(D3DTS_WORLD, &world);
    }
    scene.SetTexture(TextureOf(emitter->m_Picture), 0);
    if (g_device)
    {
        g_device->SetFVF(kParticleFvf);
        for (const ScreenParticle* particle : emitter->m_Particles)
            g_device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, particle->m_Vertices, sizeof(ParticleVertex));
    }
    scene.EndWorkSpace(0);
}
