// Eight cubic delay lines read and written side by side with AVX2: CubicLanes4 twice
// as wide, each lane doing the same arithmetic in the same order, so it rounds like
// the scalar readCubic(position(nominal, shift)) too. Only for code that runs where
// the CPU has AVX2.
#pragma once

#include <immintrin.h>

#include "dsp/reverb/CubicDelayLine.h"

// Code for AVX2 only; the callers that run it are compiled for AVX2 and inline it.
#define HALCYRA_AVX2_INLINE __attribute__((target("avx2"))) inline

namespace halcyra {

class CubicLanes8 {
public:
    HALCYRA_AVX2_INLINE explicit CubicLanes8(CubicDelayLine* const* lines) {
        alignas(32) int sizes[8], writes[8];
        for (int k = 0; k < 8; ++k) {
            line_[k] = lines[k];
            data_[k] = lines[k]->storage_.data();
            sizes[k] = lines[k]->size_;
            writes[k] = lines[k]->write_;
        }
        sizeI_ = _mm256_load_si256(reinterpret_cast<const __m256i*>(sizes));
        size_ = _mm256_cvtepi32_ps(sizeI_);
        write_ = _mm256_cvtepi32_ps(_mm256_load_si256(reinterpret_cast<const __m256i*>(writes)));
    }

    HALCYRA_AVX2_INLINE __m256 read(__m256 nominal, __m256 shift) const {
        const __m256 zero = _mm256_setzero_ps();
        __m256 p = _mm256_add_ps(_mm256_sub_ps(write_, _mm256_sub_ps(nominal, _mm256_set1_ps(1.0f))), shift);
        const __m256 below = _mm256_cmp_ps(p, zero, _CMP_LT_OS), above = _mm256_cmp_ps(p, size_, _CMP_GE_OS);
        p = _mm256_blendv_ps(_mm256_blendv_ps(p, _mm256_sub_ps(p, size_), above), _mm256_add_ps(p, size_), below);
        const __m256 stillOut = _mm256_or_ps(_mm256_and_ps(below, _mm256_cmp_ps(p, zero, _CMP_LT_OS)),
                                             _mm256_and_ps(above, _mm256_cmp_ps(p, size_, _CMP_GE_OS)));
        if (_mm256_movemask_ps(stillOut) != 0) [[unlikely]]
            return readOneByOne(nominal, shift);
        p = _mm256_and_ps(p, _mm256_and_ps(_mm256_cmp_ps(p, zero, _CMP_GE_OS), _mm256_cmp_ps(p, size_, _CMP_LE_OS)));

        __m256i i = _mm256_cvttps_epi32(p);
        const __m256 x = _mm256_sub_ps(p, _mm256_cvtepi32_ps(i));
        i = _mm256_sub_epi32(i, _mm256_andnot_si256(_mm256_cmpgt_epi32(sizeI_, i), sizeI_));
        alignas(32) int at[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), i);
        // Row k holds the window of line k in its low half and of line k + 4 in its
        // high half; the in-half transpose then gives one vector per window position.
        const __m256 r0 = row(at, 0), r1 = row(at, 1), r2 = row(at, 2), r3 = row(at, 3);
        const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
        const __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
        const __m256 ym1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 y0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 y1 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 y2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));

        const __m256 c3 = _mm256_add_ps(
            _mm256_sub_ps(_mm256_sub_ps(_mm256_mul_ps(_mm256_set1_ps(1.5f), y0), _mm256_mul_ps(_mm256_set1_ps(0.5f), ym1)), _mm256_mul_ps(_mm256_set1_ps(1.5f), y1)),
            _mm256_mul_ps(_mm256_set1_ps(0.5f), y2));
        const __m256 c2 = _mm256_sub_ps(
            _mm256_add_ps(_mm256_sub_ps(ym1, _mm256_mul_ps(_mm256_set1_ps(2.5f), y0)), _mm256_mul_ps(_mm256_set1_ps(2.0f), y1)),
            _mm256_mul_ps(_mm256_set1_ps(0.5f), y2));
        const __m256 c1 = _mm256_sub_ps(_mm256_mul_ps(_mm256_set1_ps(0.5f), y1), _mm256_mul_ps(_mm256_set1_ps(0.5f), ym1));
        return _mm256_add_ps(_mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(_mm256_add_ps(_mm256_mul_ps(c3, x), c2), x), c1), x),
                             y0);
    }

    // values[k] becomes the newest sample of line k for each lane k set in Lanes.
    template <int Lanes>
    HALCYRA_AVX2_INLINE void write(const float* values) {
        const __m256i w = _mm256_cvttps_epi32(write_);
        alignas(32) int at[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), w);
        constexpr int kFront = CubicDelayLine::kFront, kBack = CubicDelayLine::kBack;
        for (int k = 0; k < 8; ++k)
            if (Lanes & (1 << k)) data_[k][kFront + at[k]] = values[k];
        const __m256i nearEnd = _mm256_or_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(kBack), w),
                                                _mm256_cmpeq_epi32(w, _mm256_sub_epi32(sizeI_, _mm256_set1_epi32(1))));
        if ((_mm256_movemask_ps(_mm256_castsi256_ps(nearEnd)) & Lanes) == 0) [[likely]]
            return;
        for (int k = 0; k < 8; ++k) {
            if (!(Lanes & (1 << k))) continue;
            float* s = data_[k] + kFront;
            const int size = line_[k]->size_;
            if (at[k] < kBack) s[size + at[k]] = values[k];
            if (at[k] == size - 1) s[-1] = values[k];
        }
    }

    HALCYRA_AVX2_INLINE void advance() {
        const __m256 next = _mm256_add_ps(write_, _mm256_set1_ps(1.0f));
        write_ = _mm256_blendv_ps(next, _mm256_sub_ps(next, size_), _mm256_cmp_ps(next, size_, _CMP_GE_OS));
    }

    HALCYRA_AVX2_INLINE void finish() const {
        alignas(32) int at[8];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm256_cvttps_epi32(write_));
        for (int k = 0; k < 8; ++k) line_[k]->write_ = at[k];
    }

private:
    HALCYRA_AVX2_INLINE __m256 row(const int* at, int k) const {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(data_[k] + at[k])),
                                    _mm_loadu_ps(data_[k + 4] + at[k + 4]), 1);
    }

    HALCYRA_AVX2_INLINE __m256 readOneByOne(__m256 nominal, __m256 shift) const {
        alignas(32) float n[8], s[8], out[8];
        alignas(32) int at[8];
        _mm256_store_ps(n, nominal);
        _mm256_store_ps(s, shift);
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm256_cvttps_epi32(write_));
        for (int k = 0; k < 8; ++k)
            out[k] = line_[k]->readCubic(wrappedReadPosition(at[k], line_[k]->size_, n[k], s[k]));
        return _mm256_load_ps(out);
    }

    __m256 size_, write_;  // write positions as floats: exact below 2^24 samples
    __m256i sizeI_;
    float* data_[8];
    CubicDelayLine* line_[8];
};

}  // namespace halcyra
