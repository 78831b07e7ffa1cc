#include "effects/EffectKeyTick.h"

#include "engine/QV7_TextureList.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace
{
float Mix(float a, float b, float f)
{
    return a * (1.0f - f) + b * f;
}

D3DXVECTOR3 Mix(const D3DXVECTOR3& a, const D3DXVECTOR3& b, float f)
{
    return {Mix(a.x, b.x, f), Mix(a.y, b.y, f), Mix(a.z, b.z, f)};
}

template <class V> V ByFraction(uint32_t mode, const V& first, const V& second, float f)
{
    return mode == 1 ? Mix(first, second, f) : first;
}

int32_t RoundToInt(float value)
{
    if (!(value == value))
        return 0;
    const float r = std::floor(value + 0.5f);
    return r >= 2147483520.0f ? INT_MAX : r <= -2147483648.0f ? INT_MIN : int32_t(r);
}

uint32_t MixColour(const ColourPayload& c, float f)
{
    uint32_t rgb = 0;
    for (int shift = 0; shift <= 16; shift += 8)
    {
        const float a = float((c.colour >> shift) & 0xFF), b = float((c.end >> shift) & 0xFF);
        const uint32_t channel = uint32_t(RoundToInt(c.mode == 1 ? Mix(a, b, f) : a)) & 0xFF;
        rgb |= channel << shift;
    }
    return rgb;
}

D3DXVECTOR3 RandomInBox(const BoxPayload& box, float f)
{
    const float r[3] = {EffectRandom(), EffectRandom(), EffectRandom()};
    D3DXVECTOR3 v;
    for (int i = 0; i < 3; ++i)
    {
        v[i] = Mix(box.minimum[i], box.maximum[i], r[i]);
        if (box.mode == 1)
            v[i] = Mix(v[i], Mix(box.endMinimum[i], box.endMaximum[i], r[i]), f);
    }
    return v;
}

float EmissionAmount(uint32_t mode, int32_t rate, int32_t endRate, float f, int32_t overlap)
{
    const float o = float(overlap);
    if (mode == 1)
        return f * o * float(endRate) * 0.001f + (1.0f - f) * o * float(rate) * 0.001f;
    return o * float(rate) * 0.001f;
}

void SetSize(EffectParticle& p, float size)
{
    p.size = size;
}
void SetSize(EffectMeshParticle& p, float size)
{
    p.scale = size;
}
float Height(const EffectParticle& p)
{
    return p.size;
}
float Height(const EffectMeshParticle&)
{
    return 0.0f;
}

void CapAlpha(EffectParticle&) {}
void CapAlpha(EffectMeshParticle&) {}
void CapAlpha(InstanceParticle& p)
{
    if (uint32_t(p.alpha) > uint32_t(p.maxAlpha))
        p.alpha = p.maxAlpha;
    p.colour = (p.colour & 0x00FFFFFFu) | (uint32_t(p.alpha) << 24);
}

void InitNew(EffectParticle&, const EmitterTickRules&) {}
void InitNew(InstanceParticle& p, const EmitterTickRules& rules)
{
    p.colour = 0x00FFFFFFu | (uint32_t(rules.alpha) << 24);
    p.alpha = p.maxAlpha = rules.alpha;
}

template <class Q> void AddTrailPoint(Q& p)
{
    if (p.trail.Count() >= kMaxTrailPoints)
        p.trail.DeleteAt(0);
    TrailPoint* point = p.trail.Add();
    point->position = point->base = p.position;
}

// Stops an endless accumulator: after this many whole rounds a tick gives up
// and keeps less than one particle's worth.
constexpr int kMaxRoundsPerTick = kMaxEmitterParticles;
} // namespace

float EffectRandom()
{
    return float(GameRand()) / float(GAME_RAND_MAX);
}

KeyWindow ComputeKeyWindow(int32_t start, int32_t end, int32_t a)
{
    KeyWindow w;
    const int64_t t = int64_t(a) + 20;
    w.applies = a <= end && start <= t;
    if (!w.applies)
        return w;
    w.fraction = end == start ? 1.0f : std::min(1.0f, float(t - start) / float(int64_t(end) - start));
    w.overlap = int32_t(std::min<int64_t>(t - start, 20) + std::min<int64_t>(int64_t(end) - a, 20) - 20);
    return w;
}

template <class P> struct EmitterTickRun
{
    EmitterTick<P>& c;
    int32_t A;
    bool billboard;

    template <class F> void ForEach(F&& f)
    {
        if (billboard)
        {
            for (P* p : c.particles)
                f(*p);
        }
        else
            for (EffectMeshParticle* p : c.meshes)
                f(*p);
    }

    int Count() const { return billboard ? c.particles.Count() : c.meshes.Count(); }

    float& Accumulator(int which, float& own) { return c.accumulators[which] ? *c.accumulators[which] : own; }

    void Emit(EmitPayload& e, const KeyWindow& w)
    {
        if (c.rules.emissionPaused)
            return;
        float& acc = Accumulator(0, e.accumulator);
        acc += EmissionAmount(e.mode, e.rate, e.endRate, w.fraction, w.overlap);
        const int limit = std::min(e.maximum, kMaxEmitterParticles);
        for (int rounds = 0; acc > 1.0f; ++rounds)
        {
            const int count = Count();
            if (billboard ? count > limit : count >= limit)
                return;
            if (rounds >= kMaxRoundsPerTick)
            {
                acc = 0.0f;
                return;
            }
            if (billboard)
            {
                P* p = c.particles.Add();
                InitNew(*p, c.rules);
                p->position = c.origin;
                p->life = e.life;
            }
            else
            {
                EffectMeshParticle* p = c.meshes.Add();
                p->position = c.origin;
                p->life = e.life;
            }
            acc -= 1.0f;
        }
    }

    // Appends one child at position to the target; false once the target is full.
    bool AppendChild(EmitterLists<P>& target, const SpawnPayload& s, const D3DXVECTOR3& position,
                     int32_t life)
    {
        const int limit = std::min(s.maximum, kMaxEmitterParticles);
        const int count = target.billboard ? target.particles->Count() : target.meshes->Count();
        if (count > limit)
            return false;
        if (target.billboard)
        {
            P* p = target.particles->Add();
            InitNew(*p, c.rules);
            p->position = position;
            p->life = s.inheritLife == 1 ? life : s.childLife;
        }
        else
        {
            EffectMeshParticle* p = target.meshes->Add();
            p->position = position;
            p->life = s.inheritLife == 1 ? life : s.childLife;
        }
        return true;
    }

    bool Lists(SpawnPayload& s, EmitterLists<P>& lists)
    {
        if (!s.target || !c.targetLists)
            return false;
        lists = c.targetLists(s.target);
        return lists.particles && lists.meshes;
    }

    void Spawn(SpawnPayload& s, const KeyWindow& w)
    {
        EmitterLists<P> target;
        if (!Lists(s, target))
            return;
        float& acc = Accumulator(1, s.accumulator);
        acc += EmissionAmount(s.mode, s.rate, s.endRate, w.fraction, w.overlap);
        for (int rounds = 0; acc > 1.0f; ++rounds)
        {
            if (rounds >= kMaxRoundsPerTick)
            {
                acc = 0.0f;
                return;
            }
            const int sources = Count();
            bool full = false;
            for (int i = 0; i < sources && !full; ++i)
            {
                if (billboard)
                    full = !AppendChild(target, s, c.particles[i]->position, c.particles[i]->life);
                else
                    full = !AppendChild(target, s, c.meshes[i]->position, c.meshes[i]->life);
            }
            acc -= 1.0f;
            if (full)
                return;
        }
    }

    template <class Q> void ParticleSpawn(SpawnPayload& s, Q& p, const KeyWindow& w)
    {
        EmitterLists<P> target;
        if (!Lists(s, target))
            return;
        float& acc = Accumulator(2, s.accumulator);
        acc += EmissionAmount(s.mode, s.rate, s.endRate, w.fraction, w.overlap);
        for (int rounds = 0; acc > 1.0f; ++rounds)
        {
            if (rounds >= kMaxRoundsPerTick || !AppendChild(target, s, p.position, p.life))
            {
                acc = std::min(acc, 1.0f);
                return;
            }
            acc -= 1.0f;
        }
    }

    template <class Q> void Bounce(Q& p, float d)
    {
        if (billboard && c.rules.groundBounce)
        {
            const float s = c.rules.scale;
            if (c.rules.groundHeight > p.position.y * s + c.rules.originHeight)
            {
                p.position.y = s != 0.0f ? (c.rules.groundHeight - c.rules.originHeight) / s : 0.0f;
                p.velocity.y = p.velocity.y * -1.0f * d;
            }
            return;
        }
        const float floor = Height(p);
        if (p.position.y < floor)
        {
            p.position.y = floor;
            p.velocity.y = -p.velocity.y * d;
        }
    }

    void EffectClockKey(int32_t k, EffectPayload& P_, const KeyWindow& w)
    {
        const float f = w.fraction;
        switch (k)
        {
        case KEY_EMIT:
            Emit(P_.emit, w);
            break;
        case KEY_START_VELOCITY:
        {
            const D3DXVECTOR3 v = c.rules.overrideVelocity
                                      ? c.rules.velocity
                                      : ByFraction(P_.vector.mode, P_.vector.value, P_.vector.end, f);
            ForEach(
                [&](auto& p)
                {
                    if (p.isNew == 1)
                        p.velocity = v;
                });
            break;
        }
        case KEY_DRIFT:
        {
            const D3DXVECTOR3 v = ByFraction(P_.vector.mode, P_.vector.value, P_.vector.end, f);
            ForEach([&](auto& p) { p.velocity += v; });
            break;
        }
        case KEY_FORCE:
        {
            const D3DXVECTOR3 v = ByFraction(P_.modeLast.mode, P_.modeLast.value, P_.modeLast.end, f);
            ForEach([&](auto& p) { p.velocity += v; });
            break;
        }
        case KEY_RANDOM_PUSH:
            ForEach([&](auto& p) { p.velocity += RandomInBox(P_.box, f); });
            break;
        case KEY_COLOUR:
            if (billboard)
            {
                const uint32_t rgb = MixColour(P_.colour, f);
                for (P* p : c.particles)
                {
                    p->colour = rgb | (uint32_t(p->alpha) << 24);
                    CapAlpha(*p);
                }
            }
            break;
        case KEY_TEXTURE:
            if (billboard && c.textures)
                if (TextureRecord* t = c.textures->FindByCompileId(uint32_t(P_.integer.value)))
                    for (P* p : c.particles)
                        p->texture = t;
            break;
        case KEY_ROTATION:
            if (!billboard)
            {
                const D3DXVECTOR3 r = ByFraction(P_.modeLast.mode, P_.modeLast.value, P_.modeLast.end, f);
                for (EffectMeshParticle* p : c.meshes)
                    p->rotation = r;
            }
            break;
        case KEY_SIZE:
        {
            const float s = ByFraction(P_.scalar.mode, P_.scalar.value, P_.scalar.end, f);
            ForEach([&](auto& p) { SetSize(p, s); });
            break;
        }
        case KEY_STREAK:
            ForEach(
                [&](auto& p)
                {
                    p.streak = 1;
                    p.stretch = P_.single.value;
                });
            break;
        case KEY_SPAWN:
            Spawn(P_.spawn, w);
            break;
        case KEY_BOUNCE:
        {
            const float d = ByFraction(P_.scalar.mode, P_.scalar.value, P_.scalar.end, f);
            ForEach([&](auto& p) { Bounce(p, d); });
            break;
        }
        case KEY_UV_OFFSET:
            if (billboard)
                for (P* p : c.particles)
                {
                    p->u = Mix(P_.uv.u, P_.uv.endU, f);
                    p->v = Mix(P_.uv.v, P_.uv.endV, f);
                }
            break;
        case KEY_TRAIL_COPIES:
            ForEach(
                [&](auto& p)
                {
                    p.trailCopies = 1;
                    p.trailCopyCount = P_.integer.value;
                });
            break;
        case KEY_TRAIL_JITTER:
            ForEach(
                [&](auto& p)
                {
                    for (TrailPoint* t : p.trail)
                        t->position = t->base + RandomInBox(P_.box, f);
                });
            break;
        case KEY_ATTRACT:
        {
            const AttractPayload& a = P_.attract;
            const D3DXVECTOR3 point = ByFraction(a.mode, a.point, a.endPoint, f);
            const float strength = ByFraction(a.mode, a.strength, a.endStrength, f);
            ForEach(
                [&](auto& p)
                {
                    D3DXVECTOR3 d = point - p.position;
                    const float length = D3DXVec3Length(&d);
                    d = length > 0.0f ? d * (strength / length) : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
                    if (a.keepVelocity != 1)
                        p.velocity += d;
                    if (a.movePosition == 1)
                        p.position += d;
                });
            break;
        }
        case KEY_ORIGIN:
            c.origin = ByFraction(P_.modeLast.mode, P_.modeLast.value, P_.modeLast.end, f);
            break;
        case KEY_RANDOM_ORIGIN:
            c.origin = RandomInBox(P_.box, f);
            break;
        case KEY_SINE_ORIGIN:
        case KEY_COSINE_ORIGIN:
        {
            const WavePayload& s = P_.wave;
            const D3DXVECTOR3 amplitude = ByFraction(s.mode, s.amplitude, s.endAmplitude, f);
            const float frequency = ByFraction(s.mode, s.frequency, s.endFrequency, f);
            const float x = float(A + 20) * frequency * 0.001f;
            c.origin += amplitude * (k == KEY_SINE_ORIGIN ? std::sin(x) : std::cos(x));
            break;
        }
        default:
            break;
        }
    }

    template <class Q> void ParticleKey(int32_t k, EffectPayload& P_, Q& p, const KeyWindow& w)
    {
        const float f = w.fraction;
        switch (k)
        {
        case KEY_PARTICLE_COLOUR:
            p.colour = MixColour(P_.colour, f) | (uint32_t(p.alpha) << 24);
            CapAlpha(p);
            break;
        case KEY_PARTICLE_SIZE:
            SetSize(p, ByFraction(P_.scalar.mode, P_.scalar.value, P_.scalar.end, f));
            break;
        case KEY_PARTICLE_ALPHA:
            p.alpha = RoundToInt(ByFraction(P_.scalar.mode, P_.scalar.value, P_.scalar.end, f));
            p.colour = (p.colour & 0x00FFFFFFu) | (uint32_t(p.alpha) << 24);
            CapAlpha(p);
            break;
        case KEY_PARTICLE_SPAWN:
            ParticleSpawn(P_.spawn, p, w);
            break;
        default:
            break;
        }
    }

    int32_t Scaled(int32_t k, int32_t t) const
    {
        if (k != KEY_PARTICLE_COLOUR && k != KEY_PARTICLE_SPAWN)
            return t;
        const float v = float(t) * c.rules.timeScale;
        return v >= 2147483520.0f ? INT_MAX : v <= -2147483648.0f ? INT_MIN : v == v ? int32_t(v) : 0;
    }

    void Record(int32_t k, EffectKeyRecord& r)
    {
        EffectPayload* payload = r.Payload(k);
        if (!payload)
            return;
        if (!IsParticleClockKind(k))
        {
            const KeyWindow w = ComputeKeyWindow(r.start, r.end, A);
            if (w.applies)
                EffectClockKey(k, *payload, w);
            return;
        }
        const int32_t start = Scaled(k, r.start), end = Scaled(k, r.end);
        // Spawned children land behind the captured count and wait for the next tick.
        const int count = Count();
        for (int i = 0; i < count; ++i)
        {
            auto apply = [&](auto& p)
            {
                const KeyWindow w = ComputeKeyWindow(start, end, p.age);
                if (w.applies)
                    ParticleKey(k, *payload, p, w);
            };
            if (billboard)
                apply(*c.particles[i]);
            else
                apply(*c.meshes[i]);
        }
    }

    template <class Q> void Age(QV7_Collection<Q>& list, int lockLine)
    {
        for (int i = list.Count() - 1; i >= 0; --i)
        {
            Q& p = *list[i];
            if (p.life != -1)
            {
                p.age += 20;
                p.life -= 20;
                if (p.life < 0)
                {
                    if (!c.rules.lockEffect)
                    {
                        list.DeleteAt(i);
                        continue;
                    }
                    if (list.Count() > 1)
                    {
                        QV7_Logger::Log(g_logger,
                                        "ERROR: Effect m_LockEffect variable set on invalid effect type.");
                        ThrowDataError("QV7_EffectsListMap", lockLine);
                    }
                    continue;
                }
            }
            p.isNew = 0;
            if (p.streak == 1 || p.trailCopies == 1)
                AddTrailPoint(p);
            p.position += p.velocity;
        }
    }

    void Run()
    {
        for (EffectKey* key : c.emitter.keys)
            for (EffectKeyRecord* r : key->records)
                Record(key->kind, *r);
        if (billboard)
            Age(c.particles, 1473);
        else
            Age(c.meshes, 2214);
    }
};

template <class P> void EmitterTick<P>::Run(int32_t effectAge)
{
    EmitterTickRun<P> run{*this, effectAge, emitter.IsBillboard()};
    run.Run();
}

template struct EmitterTick<EffectParticle>;
template struct EmitterTick<InstanceParticle>;
