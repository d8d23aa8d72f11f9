#include "dsp/reverb/CubicDelayLine.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace halcyra {

#if defined(__SSE2__) || defined(_M_X64)

namespace {
inline __m128 select(__m128 mask, __m128 a, __m128 b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }
}  // namespace

void readCubic4(const CubicDelayLine* const* lines, const float* nominal, const float* shift, float* out) {
    const CubicDelayLine &a = *lines[0], &b = *lines[1], &c = *lines[2], &d = *lines[3];
    const __m128i sizeI = _mm_set_epi32(d.capacity(), c.capacity(), b.capacity(), a.capacity());
    const __m128 size = _mm_cvtepi32_ps(sizeI);
    const __m128 write = _mm_cvtepi32_ps(_mm_set_epi32(d.writeIndex(), c.writeIndex(), b.writeIndex(), a.writeIndex()));
    const __m128 zero = _mm_setzero_ps();

    // position(): one wrap either way; the rare lane an absurd shift leaves outside
    // takes the scalar path with its fmod.
    __m128 p = _mm_add_ps(_mm_sub_ps(write, _mm_sub_ps(_mm_loadu_ps(nominal), _mm_set1_ps(1.0f))), _mm_loadu_ps(shift));
    const __m128 below = _mm_cmplt_ps(p, zero), above = _mm_cmpge_ps(p, size);
    p = select(below, _mm_add_ps(p, size), select(above, _mm_sub_ps(p, size), p));
    const __m128 stillOut = _mm_or_ps(_mm_and_ps(below, _mm_cmplt_ps(p, zero)), _mm_and_ps(above, _mm_cmpge_ps(p, size)));
    if (_mm_movemask_ps(stillOut) != 0) {
        for (int k = 0; k < 4; ++k) out[k] = lines[k]->readCubic(lines[k]->position(nominal[k], shift[k]));
        return;
    }
    p = _mm_and_ps(p, _mm_and_ps(_mm_cmpge_ps(p, zero), _mm_cmple_ps(p, size)));  // NaN -> 0

    // readCubic(): integer part, fraction, index wrapped once.
    __m128i i = _mm_cvttps_epi32(p);
    const __m128 x = _mm_sub_ps(p, _mm_cvtepi32_ps(i));
    i = _mm_sub_epi32(i, _mm_andnot_si128(_mm_cmplt_epi32(i, sizeI), sizeI));
    alignas(16) int index[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(index), i);
    // One window per line, transposed into one vector per window position.
    __m128 ym1 = _mm_loadu_ps(a.window(index[0]));
    __m128 y0 = _mm_loadu_ps(b.window(index[1]));
    __m128 y1 = _mm_loadu_ps(c.window(index[2]));
    __m128 y2 = _mm_loadu_ps(d.window(index[3]));
    _MM_TRANSPOSE4_PS(ym1, y0, y1, y2);

    const auto k = [](float v) { return _mm_set1_ps(v); };
    const __m128 c3 = _mm_add_ps(_mm_sub_ps(_mm_sub_ps(_mm_mul_ps(k(1.5f), y0), _mm_mul_ps(k(0.5f), ym1)), _mm_mul_ps(k(1.5f), y1)),
                                 _mm_mul_ps(k(0.5f), y2));
    const __m128 c2 = _mm_sub_ps(_mm_add_ps(_mm_sub_ps(ym1, _mm_mul_ps(k(2.5f), y0)), _mm_mul_ps(k(2.0f), y1)),
                                 _mm_mul_ps(k(0.5f), y2));
    const __m128 c1 = _mm_sub_ps(_mm_mul_ps(k(0.5f), y1), _mm_mul_ps(k(0.5f), ym1));
    const __m128 r = _mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(c3, x), c2), x), c1), x), y0);
    _mm_storeu_ps(out, r);
}

#else

void readCubic4(const CubicDelayLine* const* lines, const float* nominal, const float* shift, float* out) {
    for (int k = 0; k < 4; ++k) out[k] = lines[k]->readCubic(lines[k]->position(nominal[k], shift[k]));
}

#endif

}  // namespace halcyra
