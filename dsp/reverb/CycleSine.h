// sin(2π·c) for c in [0, 1), inlined for the ~17 modulated reads per sample.
// A library sinf call there costs a call and register spills each time; this
// folds c to a quarter wave and uses the odd Taylor series to x^11 (truncation
// below 6e-8), staying within 1e-6 of std::sin everywhere on [0, 1).
#pragma once

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace halcyra {

inline float sineOfCycles(float c) {
    // Fold onto [-0.25, 0.25]: sin(2π·c) = sin(2π·(c - 1)) = sin(2π·(±0.5 - c)).
    c = c >= 0.5f ? c - 1.0f : c;
    c = c > 0.25f ? 0.5f - c : c;
    c = c < -0.25f ? -0.5f - c : c;
    const float x = c * 6.2831855f;
    const float x2 = x * x;
    float p = -2.5052108e-8f;         // -1/11!
    p = p * x2 + 2.7557319e-6f;       //  1/9!
    p = p * x2 + -1.9841270e-4f;      // -1/7!
    p = p * x2 + 8.3333333e-3f;       //  1/5!
    p = p * x2 + -1.6666667e-1f;      // -1/3!
    return x + x * x2 * p;
}

#if defined(__SSE2__) || defined(_M_X64)
// Four lanes of sineOfCycles, each doing exactly the scalar arithmetic, so results match.
inline __m128 sineOfCycles4(__m128 c) {
    const auto select = [](__m128 mask, __m128 a, __m128 b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); };
    c = select(_mm_cmpge_ps(c, _mm_set1_ps(0.5f)), _mm_sub_ps(c, _mm_set1_ps(1.0f)), c);
    c = select(_mm_cmpgt_ps(c, _mm_set1_ps(0.25f)), _mm_sub_ps(_mm_set1_ps(0.5f), c), c);
    c = select(_mm_cmplt_ps(c, _mm_set1_ps(-0.25f)), _mm_sub_ps(_mm_set1_ps(-0.5f), c), c);
    const __m128 x = _mm_mul_ps(c, _mm_set1_ps(6.2831855f));
    const __m128 x2 = _mm_mul_ps(x, x);
    __m128 p = _mm_set1_ps(-2.5052108e-8f);
    p = _mm_add_ps(_mm_mul_ps(p, x2), _mm_set1_ps(2.7557319e-6f));
    p = _mm_add_ps(_mm_mul_ps(p, x2), _mm_set1_ps(-1.9841270e-4f));
    p = _mm_add_ps(_mm_mul_ps(p, x2), _mm_set1_ps(8.3333333e-3f));
    p = _mm_add_ps(_mm_mul_ps(p, x2), _mm_set1_ps(-1.6666667e-1f));
    return _mm_add_ps(x, _mm_mul_ps(_mm_mul_ps(x, x2), p));
}
#endif

// All of a sample's modulation sines at once, four lanes at a time where SSE2 is there.
template <int N>
inline void sinesOfCycles(const float (&cycles)[N], float (&out)[N]) {
    static_assert(N % 4 == 0, "pad the batch to whole vectors");
#if defined(__SSE2__) || defined(_M_X64)
    for (int i = 0; i < N; i += 4) _mm_storeu_ps(out + i, sineOfCycles4(_mm_loadu_ps(cycles + i)));
#else
    for (int i = 0; i < N; ++i) out[i] = sineOfCycles(cycles[i]);
#endif
}

#if defined(__GNUC__) && defined(__x86_64__)
// The same, eight lanes at a time, for code compiled for AVX2 (inlined into it).
template <int N>
__attribute__((target("avx2"))) inline void sinesOfCyclesAvx2(const float (&cycles)[N], float (&out)[N]) {
    static_assert(N % 4 == 0, "pad the batch to whole vectors");
    int i = 0;
    for (; i + 8 <= N; i += 8) {
        __m256 c = _mm256_loadu_ps(cycles + i);
        c = _mm256_blendv_ps(c, _mm256_sub_ps(c, _mm256_set1_ps(1.0f)), _mm256_cmp_ps(c, _mm256_set1_ps(0.5f), _CMP_GE_OS));
        c = _mm256_blendv_ps(c, _mm256_sub_ps(_mm256_set1_ps(0.5f), c), _mm256_cmp_ps(c, _mm256_set1_ps(0.25f), _CMP_GT_OS));
        c = _mm256_blendv_ps(c, _mm256_sub_ps(_mm256_set1_ps(-0.5f), c), _mm256_cmp_ps(c, _mm256_set1_ps(-0.25f), _CMP_LT_OS));
        const __m256 x = _mm256_mul_ps(c, _mm256_set1_ps(6.2831855f));
        const __m256 x2 = _mm256_mul_ps(x, x);
        __m256 p = _mm256_set1_ps(-2.5052108e-8f);
        p = _mm256_add_ps(_mm256_mul_ps(p, x2), _mm256_set1_ps(2.7557319e-6f));
        p = _mm256_add_ps(_mm256_mul_ps(p, x2), _mm256_set1_ps(-1.9841270e-4f));
        p = _mm256_add_ps(_mm256_mul_ps(p, x2), _mm256_set1_ps(8.3333333e-3f));
        p = _mm256_add_ps(_mm256_mul_ps(p, x2), _mm256_set1_ps(-1.6666667e-1f));
        _mm256_storeu_ps(out + i, _mm256_add_ps(x, _mm256_mul_ps(_mm256_mul_ps(x, x2), p)));
    }
    for (; i < N; i += 4) _mm_storeu_ps(out + i, sineOfCycles4(_mm_loadu_ps(cycles + i)));
}
#endif

}  // namespace halcyra
