#include "dsp/stars/StereoConvolution.h"

#if defined(__x86_64__) || defined(__i386__)
#define HALCYRA_X86 1
#include <immintrin.h>
#endif

namespace halcyra {

void convolveStereoScalar(const float* work, const float* left, const float* right, int taps,
                          int n, float* outLeft, float* outRight) {
    const float* lastLeft = left + (taps - 1);
    const float* lastRight = right + (taps - 1);
    for (int i = 0; i < n; ++i) {
        float l = 0.0f, r = 0.0f;
        const float* w = work + i;
        for (int j = 0; j < taps; ++j) {
            l += w[j] * lastLeft[-j];
            r += w[j] * lastRight[-j];
        }
        outLeft[i] = l;
        outRight[i] = r;
    }
}

#ifdef HALCYRA_X86

// Each pass keeps several output vectors in registers so that every loaded tap pair
// feeds many multiply-adds; the work samples are reloaded unaligned per tap.
void convolveStereoSse2(const float* work, const float* left, const float* right, int taps,
                        int n, float* outLeft, float* outRight) {
    const float* lastLeft = left + (taps - 1);
    const float* lastRight = right + (taps - 1);
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        __m128 l0 = _mm_setzero_ps(), l1 = l0, l2 = l0, l3 = l0;
        __m128 r0 = l0, r1 = l0, r2 = l0, r3 = l0;
        const float* w = work + i;
        for (int j = 0; j < taps; ++j) {
            const __m128 cl = _mm_set1_ps(lastLeft[-j]);
            const __m128 cr = _mm_set1_ps(lastRight[-j]);
            const __m128 w0 = _mm_loadu_ps(w + j), w1 = _mm_loadu_ps(w + j + 4);
            const __m128 w2 = _mm_loadu_ps(w + j + 8), w3 = _mm_loadu_ps(w + j + 12);
            l0 = _mm_add_ps(l0, _mm_mul_ps(w0, cl));
            l1 = _mm_add_ps(l1, _mm_mul_ps(w1, cl));
            l2 = _mm_add_ps(l2, _mm_mul_ps(w2, cl));
            l3 = _mm_add_ps(l3, _mm_mul_ps(w3, cl));
            r0 = _mm_add_ps(r0, _mm_mul_ps(w0, cr));
            r1 = _mm_add_ps(r1, _mm_mul_ps(w1, cr));
            r2 = _mm_add_ps(r2, _mm_mul_ps(w2, cr));
            r3 = _mm_add_ps(r3, _mm_mul_ps(w3, cr));
        }
        _mm_storeu_ps(outLeft + i, l0);
        _mm_storeu_ps(outLeft + i + 4, l1);
        _mm_storeu_ps(outLeft + i + 8, l2);
        _mm_storeu_ps(outLeft + i + 12, l3);
        _mm_storeu_ps(outRight + i, r0);
        _mm_storeu_ps(outRight + i + 4, r1);
        _mm_storeu_ps(outRight + i + 8, r2);
        _mm_storeu_ps(outRight + i + 12, r3);
    }
    for (; i + 4 <= n; i += 4) {
        __m128 l = _mm_setzero_ps(), r = l;
        for (int j = 0; j < taps; ++j) {
            const __m128 w = _mm_loadu_ps(work + i + j);
            l = _mm_add_ps(l, _mm_mul_ps(w, _mm_set1_ps(lastLeft[-j])));
            r = _mm_add_ps(r, _mm_mul_ps(w, _mm_set1_ps(lastRight[-j])));
        }
        _mm_storeu_ps(outLeft + i, l);
        _mm_storeu_ps(outRight + i, r);
    }
    if (i < n) convolveStereoScalar(work + i, left, right, taps, n - i, outLeft + i, outRight + i);
}

__attribute__((target("avx2,fma"))) void convolveStereoAvx2(const float* work, const float* left,
                                                             const float* right, int taps, int n,
                                                             float* outLeft, float* outRight) {
    const float* lastLeft = left + (taps - 1);
    const float* lastRight = right + (taps - 1);
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        __m256 l0 = _mm256_setzero_ps(), l1 = l0, l2 = l0, l3 = l0;
        __m256 r0 = l0, r1 = l0, r2 = l0, r3 = l0;
        const float* w = work + i;
        for (int j = 0; j < taps; ++j) {
            const __m256 cl = _mm256_broadcast_ss(lastLeft - j);
            const __m256 cr = _mm256_broadcast_ss(lastRight - j);
            const __m256 w0 = _mm256_loadu_ps(w + j), w1 = _mm256_loadu_ps(w + j + 8);
            const __m256 w2 = _mm256_loadu_ps(w + j + 16), w3 = _mm256_loadu_ps(w + j + 24);
            l0 = _mm256_fmadd_ps(w0, cl, l0);
            l1 = _mm256_fmadd_ps(w1, cl, l1);
            l2 = _mm256_fmadd_ps(w2, cl, l2);
            l3 = _mm256_fmadd_ps(w3, cl, l3);
            r0 = _mm256_fmadd_ps(w0, cr, r0);
            r1 = _mm256_fmadd_ps(w1, cr, r1);
            r2 = _mm256_fmadd_ps(w2, cr, r2);
            r3 = _mm256_fmadd_ps(w3, cr, r3);
        }
        _mm256_storeu_ps(outLeft + i, l0);
        _mm256_storeu_ps(outLeft + i + 8, l1);
        _mm256_storeu_ps(outLeft + i + 16, l2);
        _mm256_storeu_ps(outLeft + i + 24, l3);
        _mm256_storeu_ps(outRight + i, r0);
        _mm256_storeu_ps(outRight + i + 8, r1);
        _mm256_storeu_ps(outRight + i + 16, r2);
        _mm256_storeu_ps(outRight + i + 24, r3);
    }
    for (; i + 8 <= n; i += 8) {
        __m256 l = _mm256_setzero_ps(), r = l;
        for (int j = 0; j < taps; ++j) {
            const __m256 w = _mm256_loadu_ps(work + i + j);
            l = _mm256_fmadd_ps(w, _mm256_broadcast_ss(lastLeft - j), l);
            r = _mm256_fmadd_ps(w, _mm256_broadcast_ss(lastRight - j), r);
        }
        _mm256_storeu_ps(outLeft + i, l);
        _mm256_storeu_ps(outRight + i, r);
    }
    if (i < n) convolveStereoSse2(work + i, left, right, taps, n - i, outLeft + i, outRight + i);
}

bool hasAvx2Fma() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

StereoConvolveFn bestStereoConvolution() {
    static const StereoConvolveFn best = hasAvx2Fma() ? &convolveStereoAvx2 : &convolveStereoSse2;
    return best;
}

#else

void convolveStereoSse2(const float* work, const float* left, const float* right, int taps,
                        int n, float* outLeft, float* outRight) {
    convolveStereoScalar(work, left, right, taps, n, outLeft, outRight);
}
void convolveStereoAvx2(const float* work, const float* left, const float* right, int taps,
                        int n, float* outLeft, float* outRight) {
    convolveStereoScalar(work, left, right, taps, n, outLeft, outRight);
}
bool hasAvx2Fma() { return false; }
StereoConvolveFn bestStereoConvolution() { return &convolveStereoScalar; }

#endif

}  // namespace halcyra
