// A modulated delay line read with Catmull-Rom interpolation, with the same read
// conventions as DelayLine. It is written through CubicLanes4, which mirrors each
// write into one guard sample before the line and three after it, so the four
// samples around any read position sit side by side in memory and four lines are
// read at once as plain vector loads.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include <emmintrin.h>  // SSE2: every x86-64 CPU

#include "dsp/reverb/DelayLine.h"

namespace halcyra {

class CubicDelayLine {
public:
    static constexpr int kFront = 1, kBack = 3;

    // Sizes the line to `capacity` samples (at least 4) and zeroes it.
    void resize(int capacity) {
        size_ = std::max(4, capacity);
        const auto needed = static_cast<std::size_t>(size_ + kFront + kBack);
        if (storage_.size() < needed) storage_.resize(needed);
        reset();
    }

    void reset() {
        std::fill(storage_.begin(), storage_.begin() + size_ + kFront + kBack, 0.0f);
        write_ = 0;
    }

    int capacity() const { return size_; }
    int writeIndex() const { return write_; }

    // Same as DelayLine::position.
    float position(float nominal, float shift) const { return wrappedReadPosition(write_, size_, nominal, shift); }

    // The samples at i - 1, i, i + 1 and i + 2 (wrapped), for i in [0, capacity).
    const float* window(int i) const { return storage_.data() + i; }

    // Catmull-Rom through the four samples around p (p from position()).
    float readCubic(float p) const {
        int i = static_cast<int>(p);
        const float x = p - static_cast<float>(i);
        if (i >= size_) i -= size_;
        const float* y = window(i);
        const float ym1 = y[0], y0 = y[1], y1 = y[2], y2 = y[3];
        return catmullRom(ym1, y0, y1, y2, x);
    }

private:
    friend class CubicLanes4;
    friend class CubicLanes8;

    std::vector<float> storage_;
    int size_ = 0;
    int write_ = 0;
};

// Four lines read and written side by side, each lane rounding exactly like the
// scalar readCubic(position(nominal, shift)) of DelayLine. Sizes, write
// positions and storage are gathered once; while a lane set is in use it owns the
// write positions: write() then advance() once per sample, finish() hands the
// positions back. A line may sit in two lanes; only one of them writes it.
class CubicLanes4 {
public:
    explicit CubicLanes4(CubicDelayLine* const* lines) {
        for (int k = 0; k < 4; ++k) {
            line_[k] = lines[k];
            data_[k] = lines[k]->storage_.data();
        }
        sizeI_ = _mm_set_epi32(lines[3]->size_, lines[2]->size_, lines[1]->size_, lines[0]->size_);
        size_ = _mm_cvtepi32_ps(sizeI_);
        write_ = _mm_cvtepi32_ps(_mm_set_epi32(lines[3]->write_, lines[2]->write_, lines[1]->write_, lines[0]->write_));
    }

    __m128 read(__m128 nominal, __m128 shift) const {
        const __m128 zero = _mm_setzero_ps();
        // position(): one wrap either way; the rare lane an absurd shift leaves
        // outside takes the scalar path with its fmod.
        __m128 p = _mm_add_ps(_mm_sub_ps(write_, _mm_sub_ps(nominal, _mm_set1_ps(1.0f))), shift);
        const __m128 below = _mm_cmplt_ps(p, zero), above = _mm_cmpge_ps(p, size_);
        p = select(below, _mm_add_ps(p, size_), select(above, _mm_sub_ps(p, size_), p));
        const __m128 stillOut =
            _mm_or_ps(_mm_and_ps(below, _mm_cmplt_ps(p, zero)), _mm_and_ps(above, _mm_cmpge_ps(p, size_)));
        if (_mm_movemask_ps(stillOut) != 0) [[unlikely]]
            return readOneByOne(nominal, shift);
        p = _mm_and_ps(p, _mm_and_ps(_mm_cmpge_ps(p, zero), _mm_cmple_ps(p, size_)));  // NaN -> 0

        // readCubic(): integer part, fraction, index wrapped once.
        __m128i i = _mm_cvttps_epi32(p);
        const __m128 x = _mm_sub_ps(p, _mm_cvtepi32_ps(i));
        i = _mm_sub_epi32(i, _mm_andnot_si128(_mm_cmplt_epi32(i, sizeI_), sizeI_));
        // One window per line, transposed into one vector per window position.
        __m128 ym1 = _mm_loadu_ps(data_[0] + _mm_cvtsi128_si32(i));
        __m128 y0 = _mm_loadu_ps(data_[1] + _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 1)));
        __m128 y1 = _mm_loadu_ps(data_[2] + _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 2)));
        __m128 y2 = _mm_loadu_ps(data_[3] + _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 3)));
        _MM_TRANSPOSE4_PS(ym1, y0, y1, y2);

        const auto k = [](float v) { return _mm_set1_ps(v); };
        const __m128 c3 = _mm_add_ps(
            _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(k(1.5f), y0), _mm_mul_ps(k(0.5f), ym1)), _mm_mul_ps(k(1.5f), y1)),
            _mm_mul_ps(k(0.5f), y2));
        const __m128 c2 =
            _mm_sub_ps(_mm_add_ps(_mm_sub_ps(ym1, _mm_mul_ps(k(2.5f), y0)), _mm_mul_ps(k(2.0f), y1)), _mm_mul_ps(k(0.5f), y2));
        const __m128 c1 = _mm_sub_ps(_mm_mul_ps(k(0.5f), y1), _mm_mul_ps(k(0.5f), ym1));
        return _mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(c3, x), c2), x), c1), x), y0);
    }

    // values[k] becomes the newest sample of line k for each lane k set in Lanes.
    template <int Lanes>
    void write(const float* values) {
        const __m128i w = _mm_cvttps_epi32(write_);
        alignas(16) int at[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), w);
        constexpr int kFront = CubicDelayLine::kFront;
        for (int k = 0; k < 4; ++k)
            if (Lanes & (1 << k)) data_[k][kFront + at[k]] = values[k];
        // The guard copies: near either end of a line only.
        const __m128i nearEnd = _mm_or_si128(_mm_cmplt_epi32(w, _mm_set1_epi32(CubicDelayLine::kBack)),
                                             _mm_cmpeq_epi32(w, _mm_sub_epi32(sizeI_, _mm_set1_epi32(1))));
        if ((_mm_movemask_ps(_mm_castsi128_ps(nearEnd)) & Lanes) == 0) [[likely]]
            return;
        for (int k = 0; k < 4; ++k) {
            if (!(Lanes & (1 << k))) continue;
            float* s = data_[k] + kFront;
            const int size = line_[k]->size_;
            if (at[k] < CubicDelayLine::kBack) s[size + at[k]] = values[k];
            if (at[k] == size - 1) s[-1] = values[k];
        }
    }

    void advance() {
        const __m128 next = _mm_add_ps(write_, _mm_set1_ps(1.0f));
        write_ = select(_mm_cmpge_ps(next, size_), _mm_sub_ps(next, size_), next);
    }

    void finish() const {
        alignas(16) int at[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), _mm_cvttps_epi32(write_));
        for (int k = 0; k < 4; ++k) line_[k]->write_ = at[k];
    }

private:
    static __m128 select(__m128 mask, __m128 a, __m128 b) { return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b)); }

    __m128 readOneByOne(__m128 nominal, __m128 shift) const {
        alignas(16) float n[4], s[4], out[4];
        alignas(16) int at[4];
        _mm_store_ps(n, nominal);
        _mm_store_ps(s, shift);
        _mm_store_si128(reinterpret_cast<__m128i*>(at), _mm_cvttps_epi32(write_));
        for (int k = 0; k < 4; ++k)
            out[k] = line_[k]->readCubic(wrappedReadPosition(at[k], line_[k]->size_, n[k], s[k]));
        return _mm_load_ps(out);
    }

    __m128 size_, write_;  // write positions as floats: exact below 2^24 samples
    __m128i sizeI_;
    float* data_[4];
    CubicDelayLine* line_[4];
};

}  // namespace halcyra
