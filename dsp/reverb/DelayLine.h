// A circular float buffer with the read conventions of the reverb network:
// reading at offset k returns the sample at (write - k), so a delay or allpass of
// nominal length L reads at L - 1 before writing; taps taken after a write read one
// further back. Storage only grows, so re-preparing at a lower rate never allocates.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

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

    // Fractional read position for a line of nominal length L, moved by `shift`
    // samples, brought into [0, capacity).
    float position(float nominal, float shift) const { return wrappedReadPosition(write_, size_, nominal, shift); }

    // Runs a whole buffer through an allpass of nominal length `length` in place.
    // Only for stages fed by nothing but their predecessor: the result is the same
    // as interleaving them sample by sample, with the indices kept in registers.
    void allpassInPlace(float* buf, int n, int length, float gain) {
        float* d = storage_.data();
        const int size = size_;
        int w = write_;
        int r = w - (length - 1);
        if (r < 0) r += size;
        for (int i = 0; i < n; ++i) {
            const float delayed = d[r];
            const float v = buf[i] - gain * delayed;
            d[w] = v;
            buf[i] = gain * v + delayed;
            if (++w == size) w = 0;
            if (++r == size) r = 0;
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
    std::vector<float> storage_;
    int size_ = 0;
    int write_ = 0;
};

}  // namespace halcyra
