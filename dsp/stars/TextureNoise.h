// The sky texture: a 4-octave fractal noise sampled at warped coordinates that move
// every step, for all 128 sky points at once. It is the sky's hottest loop (a sky
// jump pre-rolls hundreds of steps inside one audio block), so it has a vector path
// for CPUs with AVX2 that gives bit-identical results to the plain one.
#pragma once

#include "dsp/stars/Noise.h"

namespace halcyra {

// out[j] = fractal noise of (x[j], y[j]) over `octaves` octaves (at most 4); rows[i]
// is the z row of octave i (z scaled by 2^i), shared by every point.
void textureNoise(const NoiseTable& table, const double* x, const double* y, int count,
                  const NoiseTable::ZRow* rows, int octaves, double* out);

// The scalar path, always available (tests compare the two).
void textureNoiseScalar(const NoiseTable& table, const double* x, const double* y, int count,
                        const NoiseTable::ZRow* rows, int octaves, double* out);

// True when textureNoise uses the vector path on this CPU.
bool textureNoiseIsVectorised();

}  // namespace halcyra
