// Lattice hashing and interpolation for the demo's generated landscapes and pictures.
#include "tools/demo/DemoNoise.h"

#include <algorithm>
#include <cmath>

namespace demo
{
namespace
{
// A 0..1 value per lattice point; a few multiply-xorshift rounds mix x, z and the seed.
float LatticeValue(int32_t x, int32_t z, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(z) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return float(h >> 8) * (1.0f / 16777216.0f);
}

float Fade(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

int32_t Wrap(int32_t i, int period)
{
    return ((i % period) + period) % period;
}

// Each octave turns the plane a little, so the lattice's rows do not line up
// from octave to octave and show as a grid.
void Turn(float& x, float& z)
{
    const float c = 0.8253356f, s = 0.5646425f; // 0.6 radians
    const float turnedX = c * x - s * z;
    z = s * x + c * z;
    x = turnedX;
}

float Interpolate(float a, float b, float c, float d, float fx, float fz)
{
    const float u = Fade(fx), v = Fade(fz);
    const float top = a + (b - a) * u;
    const float bottom = c + (d - c) * u;
    return (top + (bottom - top) * v) * 2.0f - 1.0f;
}
} // namespace

float SmoothStep(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return Fade(t);
}

float ValueNoise(float x, float z, uint32_t seed)
{
    const float x0 = std::floor(x), z0 = std::floor(z);
    const int32_t ix = int32_t(x0), iz = int32_t(z0);
    return Interpolate(LatticeValue(ix, iz, seed), LatticeValue(ix + 1, iz, seed),
                       LatticeValue(ix, iz + 1, seed), LatticeValue(ix + 1, iz + 1, seed), x - x0, z - z0);
}

namespace
{
// Octaves of `octave(x, z, n)` at doubling frequency and halving amplitude,
// each turned against the last so their grids do not line up; 0..1 for
// octaves in 0..1.
template <class Octave> float SumOctaves(float x, float z, int octaves, Octave octave)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
    for (int n = 0; n < octaves; ++n)
    {
        sum += amplitude * octave(x, z, n);
        total += amplitude;
        amplitude *= 0.5f;
        Turn(x, z);
        x *= 2.0f;
        z *= 2.0f;
    }
    return sum / total;
}
} // namespace

float Fbm(float x, float z, uint32_t seed, int octaves)
{
    return SumOctaves(x, z, octaves,
                      [seed](float u, float v, int n)
                      { return ValueNoise(u, v, seed + uint32_t(n) * 101u); });
}

float RidgedFbm(float x, float z, uint32_t seed, int octaves)
{
    return SumOctaves(x, z, octaves,
                      [seed](float u, float v, int n)
                      {
                          const float ridge = 1.0f - std::fabs(ValueNoise(u, v, seed + uint32_t(n) * 131u));
                          return ridge * ridge;
                      });
}

float PeriodicNoise(float x, float z, int period, uint32_t seed)
{
    const float x0 = std::floor(x), z0 = std::floor(z);
    const int32_t ix = int32_t(x0), iz = int32_t(z0);
    const int32_t x1 = Wrap(ix + 1, period), z1 = Wrap(iz + 1, period);
    const int32_t xa = Wrap(ix, period), za = Wrap(iz, period);
    return Interpolate(LatticeValue(xa, za, seed), LatticeValue(x1, za, seed), LatticeValue(xa, z1, seed),
                       LatticeValue(x1, z1, seed), x - x0, z - z0);
}

float PeriodicFbm(float x, float z, int period, uint32_t seed, int octaves)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
    int scale = 1;
    for (int octave = 0; octave < octaves; ++octave)
    {
        sum += amplitude * PeriodicNoise(x * float(scale), z * float(scale), period * scale,
                                         seed + uint32_t(octave) * 101u);
        total += amplitude;
        amplitude *= 0.5f;
        scale *= 2;
    }
    return sum / total;
}
} // namespace demo
