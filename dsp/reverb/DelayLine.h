// A circular float buffer with the read conventions of the reverb network:
// reading at offset k returns the sample at (write - k), so a delay or allpass of
// nominal length L reads at L - 1 before writing; taps taken after a write read one
// further back. Storage only grows, so re-preparing at a lower rate never allocates.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace halcyra {

// Catmull-Rom through y-1, y0, y1, y2 at fraction x of the way from y0 to y1.
inline float catmullRom(float ym1, float y0, float y1, float y2, float x) {
    return (((1.5f * y0 - 0.5f * ym1 - 1.5f * y1 + 0.5f * y2) * x + (ym1 - 2.5f * y0 + 2.0f * y1 - 0.5f * y2)) * x +
            (0.5f * y1 - 0.5f * ym1)) *
               x +
           y0;
}

// Read position of a line of `size` samples whose next write goes to `write`, for a
// nominal length L moved by `shift` samples, brought into [0, size].
inline float wrappedReadPosition(int write, int size, float nominal, float shift) {
    float p = static_cast<float>(write) - (nominal - 1.0f) + shift;
    const float n = static_cast<float>(size);
    // One step is all ordinary excursions need; fmod keeps an absurd shift from
    // looping (forever, once p + n rounds back to p).
    if (p < 0.0f) {
        p += n;
        if (p < 0.0f) p = std::fmod(p, n) + n;
    } else if (p >= n) {
        p -= n;
        if (p >= n) p = std::fmod(p, n);
    }
    // p == n after rounding is wrapped by the readers; NaN reads the write slot.
    return (p >= 0.0f && p <= n) ? p : 0.0f;
}

class DelayLine {
public:
    // Sizes the line to `capacity` samples (at least 1) and zeroes it.
    void resize(int capacity) {
        size_ = std::max(1, capacity);
        if (storage_.size() < static_cast<std::size_t>(size_)) storage_.resize(static_cast<std::size_t>(size_));
        reset();
    }

    void reset() {
        std::fill(storage_.begin(), storage_.begin() + size_, 0.0f);
        write_ = 0;
    }

    int capacity() const { return size_; }
    int writeIndex() const { return write_; }

    // offset in [0, capacity)
    float read(int offset) const {
        int i = write_ - offset;
        if (i < 0) i += size_;
        return storage_[i];
    }

    // The sample written `offset` steps before the newest one (use after push).
    float tap(int offset) const { return read(offset + 1); }

    void push(float v) {
        storage_[write_] = v;
        if (++write_ == size_) write_ = 0;
    }

    // What read(offset) returns over the next n steps, when each step ends in one
    // push and n <= offset: those samples are all in the line already. Points into
    // the line, or into `spill` (n long) when the run wraps.
    const float* readRun(int offset, int n, float* spill) const {
        int i = write_ - offset;
        if (i < 0) i += size_;
        if (i + n <= size_) return storage_.data() + i;
        const int first = size_ - i;
        std::copy_n(storage_.data() + i, first, spill);
        std::copy_n(storage_.data(), n - first, spill + first);
        return spill;
    }

    // n pushes at once.
    void pushRun(const float* v, int n) {
        const int first = std::min(n, size_ - write_);
        std::copy_n(v, first, storage_.data() + write_);
        std::copy_n(v + first, n - first, storage_.data());
        write_ = n - first > 0 ? n - first : write_ + first;
        if (write_ == size_) write_ = 0;
    }

    // Fractional read position for a line of nominal length L, moved by `shift`
    // samples, brought into [0, capacity).
    float position(float nominal, float shift) const { return wrappedReadPosition(write_, size_, nominal, shift); }

    // Runs a whole buffer through an allpass of nominal length `length` in place.
    // Only for stages fed by nothing but their predecessor: the result is the same
    // as interleaving them sample by sample. The buffer is cut where either index
    // wraps, so the runs in between need no index checks.
    void allpassInPlace(float* buf, int n, int length, float gain) {
        float* d = storage_.data();
        const int size = size_;
        int w = write_;
        int r = w - (length - 1);
        if (r < 0) r += size;
        for (int i = 0; i < n;) {
            const int run = std::min({n - i, size - w, size - r});
            allpassRun(d + r, d + w, buf + i, run, length - 1, gain);
            i += run;
            if ((w += run) == size) w = 0;
            if ((r += run) == size) r = 0;
        }
        write_ = w;
    }

    float readLinear(float p) const {
        int i = static_cast<int>(p);
        const float x = p - static_cast<float>(i);
        // p may round up to exactly the capacity after wrapping: wrap the index too.
        if (i >= size_) i -= size_;
        int i1 = i + 1;
        if (i1 >= size_) i1 -= size_;
        return (1.0f - x) * storage_[i] + x * storage_[i1];
    }

    // Catmull-Rom through the four samples around p.
    float readCubic(float p) const {
        int i = static_cast<int>(p);
        const float x = p - static_cast<float>(i);
        if (i >= size_) i -= size_;
        const int im1 = i == 0 ? size_ - 1 : i - 1;
        int i1 = i + 1;
        if (i1 >= size_) i1 -= size_;
        int i2 = i1 + 1;
        if (i2 >= size_) i2 -= size_;
        const float ym1 = storage_[im1], y0 = storage_[i], y1 = storage_[i1], y2 = storage_[i2];
        return catmullRom(ym1, y0, y1, y2, x);
    }

private:
    // One wrap-free run: read[j] is the sample `distance` writes before write[j].
    static void allpassRun(const float* read, float* write, float* buf, int n, int distance, float gain) {
        int j = 0;
#if defined(__SSE2__) || defined(_M_X64)
        // Four steps at once read nothing written by the same four when every read
        // lies at least four writes back; each lane rounds like the scalar step.
        if (distance >= 4) {
            const __m128 g = _mm_set1_ps(gain);
            for (; j + 4 <= n; j += 4) {
                const __m128 delayed = _mm_loadu_ps(read + j);
                const __m128 v = _mm_sub_ps(_mm_loadu_ps(buf + j), _mm_mul_ps(g, delayed));
                _mm_storeu_ps(write + j, v);
                _mm_storeu_ps(buf + j, _mm_add_ps(_mm_mul_ps(g, v), delayed));
            }
        }
#endif
        for (; j < n; ++j) {
            const float delayed = read[j];
            const float v = buf[j] - gain * delayed;
            write[j] = v;
            buf[j] = gain * v + delayed;
        }
    }

    std::vector<float> storage_;
    int size_ = 0;
    int write_ = 0;
};

}  // namespace halcyra
