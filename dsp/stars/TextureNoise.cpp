#include "dsp/stars/TextureNoise.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define HALCYRA_HAVE_X86 1
#endif

namespace halcyra {

void textureNoiseScalar(const NoiseTable& table, const double* x, const double* y, int count,
                        const NoiseTable::ZRow* rows, int octaves, double* out) {
    for (int j = 0; j < count; ++j) {
        double sum = 0.0, norm = 0.0, scale = 1.0, weight = 0.5;
        for (int octave = 0; octave < octaves; ++octave) {
            sum += weight * table.noise(latticeAxis(scale * x[j]), latticeAxis(scale * y[j]), rows[octave]);
            norm += weight;
            scale *= 2.0;
            weight *= 0.5;
        }
        out[j] = sum / norm;
    }
}

#ifdef HALCYRA_HAVE_X86
namespace {

// Same operations in the same order as latticeAxis/noiseFade, four lanes at a time.
// The cell is floor(x) - 256 floor(floor(x) / 256): exact in double, and equal to the
// two's-complement residue the scalar path takes.
__attribute__((target("avx2"))) inline void axis4(__m256d v, __m128i& cell, __m256d& fade) {
    const __m256d f = _mm256_floor_pd(v);
    const __m256d wraps = _mm256_floor_pd(_mm256_mul_pd(f, _mm256_set1_pd(1.0 / 256.0)));
    const __m256d residue = _mm256_sub_pd(f, _mm256_mul_pd(wraps, _mm256_set1_pd(256.0)));
    cell = _mm256_cvttpd_epi32(residue);
    const __m256d t = _mm256_sub_pd(v, f);
    __m256d r = _mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(6.0), t), _mm256_set1_pd(15.0));
    r = _mm256_add_pd(_mm256_mul_pd(r, t), _mm256_set1_pd(10.0));
    r = _mm256_mul_pd(r, t);
    r = _mm256_mul_pd(r, t);
    fade = _mm256_mul_pd(r, t);
}

__attribute__((target("avx2"))) inline __m256d lerp4(__m256d a, __m256d b, __m256d t) {
    return _mm256_add_pd(a, _mm256_mul_pd(t, _mm256_sub_pd(b, a)));
}

__attribute__((target("avx2"))) inline __m256d edge4(const double* values, __m128i hash, __m256d fu) {
    // The masked form with a zero source avoids reading an undefined register.
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    const __m256d lo = _mm256_mask_i32gather_pd(_mm256_setzero_pd(), values, hash, all, 8);
    const __m256d hi = _mm256_mask_i32gather_pd(_mm256_setzero_pd(), values + 1, hash, all, 8);
    return lerp4(lo, hi, fu);
}

__attribute__((target("avx2"))) void textureNoiseAvx2(const NoiseTable& table, const double* x, const double* y,
                                                      int count, const NoiseTable::ZRow* rows, int octaves,
                                                      double* out) {
    const int* perm = table.permWords();
    const double* values = table.values();
    const __m128i mask = _mm_set1_epi32(255);
    const __m128i one = _mm_set1_epi32(1);
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        const __m256d px = _mm256_loadu_pd(x + j);
        const __m256d py = _mm256_loadu_pd(y + j);
        __m256d sum = _mm256_setzero_pd();
        double norm = 0.0, scale = 1.0, weight = 0.5;
        for (int octave = 0; octave < octaves; ++octave) {
            const __m256d s = _mm256_set1_pd(scale);
            __m128i X, Y;
            __m256d fu, fv;
            axis4(_mm256_mul_pd(s, px), X, fu);
            axis4(_mm256_mul_pd(s, py), Y, fv);
            const __m128i p0 = _mm_set1_epi32(rows[octave].p0);
            const __m128i p1 = _mm_set1_epi32(rows[octave].p1);
            const __m128i y0 = _mm_add_epi32(Y, p0);
            const __m128i y1 = _mm_add_epi32(Y, p1);
            const __m128i a = _mm_and_si128(_mm_add_epi32(X, _mm_i32gather_epi32(perm, y0, 4)), mask);
            const __m128i b = _mm_and_si128(_mm_add_epi32(X, _mm_i32gather_epi32(perm, _mm_add_epi32(y0, one), 4)), mask);
            const __m128i c = _mm_and_si128(_mm_add_epi32(X, _mm_i32gather_epi32(perm, y1, 4)), mask);
            const __m128i d = _mm_and_si128(_mm_add_epi32(X, _mm_i32gather_epi32(perm, _mm_add_epi32(y1, one), 4)), mask);
            const __m256d xa = edge4(values, a, fu);
            const __m256d xb = edge4(values, b, fu);
            const __m256d xc = edge4(values, c, fu);
            const __m256d xd = edge4(values, d, fu);
            const __m256d n = lerp4(lerp4(xa, xb, fv), lerp4(xc, xd, fv), _mm256_set1_pd(rows[octave].fade));
            sum = _mm256_add_pd(sum, _mm256_mul_pd(_mm256_set1_pd(weight), n));
            norm += weight;
            scale *= 2.0;
            weight *= 0.5;
        }
        _mm256_storeu_pd(out + j, _mm256_div_pd(sum, _mm256_set1_pd(norm)));
    }
    if (j < count) textureNoiseScalar(table, x + j, y + j, count - j, rows, octaves, out + j);
}

// The CPU model is filled in by a constructor that may run after ours: ask for it first.
const bool kHasAvx2 = (__builtin_cpu_init(), __builtin_cpu_supports("avx2") != 0);

}  // namespace
#endif

bool textureNoiseIsVectorised() {
#ifdef HALCYRA_HAVE_X86
    return kHasAvx2;
#else
    return false;
#endif
}

void textureNoise(const NoiseTable& table, const double* x, const double* y, int count, const NoiseTable::ZRow* rows,
                  int octaves, double* out) {
#ifdef HALCYRA_HAVE_X86
    if (kHasAvx2) {
        textureNoiseAvx2(table, x, y, count, rows, octaves, out);
        return;
    }
#endif
    textureNoiseScalar(table, x, y, count, rows, octaves, out);
}

}  // namespace halcyra
