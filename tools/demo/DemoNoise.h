// Smooth random fields for the demo islands: value noise on an integer
// lattice, summed in octaves. Everything is integer hashing and float
// arithmetic, so the same call gives the same value on every run.
#pragma once

#include <cstdint>

namespace demo
{
// Smoothstep from 0 at edge0 to 1 at edge1 (edge0 may be above edge1).
float SmoothStep(float edge0, float edge1, float x);

// Value noise in [-1, 1] with one lattice cell per unit of x and z.
float ValueNoise(float x, float z, uint32_t seed);
// Octaves of value noise, each twice as fine and half as strong; about [-1, 1].
float Fbm(float x, float z, uint32_t seed, int octaves);
// Ridges along the zero lines of the noise: 1 on a ridge, 0 far from one.
float RidgedFbm(float x, float z, uint32_t seed, int octaves);

// The same fields repeating every `period` lattice cells in x and z, for
// pictures that tile (period a power of two; octave k repeats after period * 2^k).
float PeriodicNoise(float x, float z, int period, uint32_t seed);
float PeriodicFbm(float x, float z, int period, uint32_t seed, int octaves);
} // namespace demo
