// A modulated delay line read with Catmull-Rom interpolation, with the same read
// conventions as DelayLine. Each write is mirrored into one guard sample before the
// line and three after it, so the four samples around any read position sit side by
// side in memory: readCubic4 reads four lines at once as plain vector loads.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

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

    void push(float v) {
        float* s = storage_.data() + kFront;
        s[write_] = v;
        if (write_ < kBack) s[size_ + write_] = v;
        if (write_ == size_ - 1) s[-1] = v;
        if (++write_ == size_) write_ = 0;
    }

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
    std::vector<float> storage_;
    int size_ = 0;
    int write_ = 0;
};

// readCubic(position(nominal[k], shift[k])) of lines[k] for k = 0..3, four lanes at
// once where SSE2 is there, each lane rounding exactly like the scalar read.
void readCubic4(const CubicDelayLine* const* lines, const float* nominal, const float* shift, float* out);

}  // namespace halcyra
