#include "plugin/LowShelf.h"

#include <cmath>

namespace halcyra {

void LowShelf::prepare(double) { clear(); }

void LowShelf::clear() {
    left_ = History{};
    right_ = History{};
}

void LowShelf::design(float frequency, float gainDb, double sampleRate) {
    cachedSampleRate_ = sampleRate;
    cachedFrequency_ = frequency;
    cachedGain_ = gainDb;
    const double sr = (std::isfinite(sampleRate) && sampleRate > 0.0) ? sampleRate : 48000.0;
    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * M_PI * frequency / sr;
    const double cosW = std::cos(w0);
    const double alpha = std::sin(w0) / 2.0 * std::sqrt(2.0);
    const double k = 2.0 * std::sqrt(A) * alpha;
    const double b0 = A * ((A + 1.0) - (A - 1.0) * cosW + k);
    const double b1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * cosW);
    const double b2 = A * ((A + 1.0) - (A - 1.0) * cosW - k);
    const double a0 = (A + 1.0) + (A - 1.0) * cosW + k;
    const double a1 = -2.0 * ((A - 1.0) + (A + 1.0) * cosW);
    const double a2 = (A + 1.0) + (A - 1.0) * cosW - k;
    c_.b0 = static_cast<float>(b0 / a0);
    c_.b1 = static_cast<float>(b1 / a0);
    c_.b2 = static_cast<float>(b2 / a0);
    c_.a1 = static_cast<float>(a1 / a0);
    c_.a2 = static_cast<float>(a2 / a0);
}

void LowShelf::filter(float* samples, int n, History& h) const {
    const Coefficients c = c_;
    float x1 = h.x1, x2 = h.x2, y1 = h.y1, y2 = h.y2;
    for (int i = 0; i < n; ++i) {
        const float x = samples[i];
        const float y = c.b0 * x + c.b1 * x1 + c.b2 * x2 - c.a1 * y1 - c.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        samples[i] = y;
    }
    // The stage before guarantees finite input, but an overflow here must not
    // freeze the channel on NaN for ever.
    if (!std::isfinite(y1) || !std::isfinite(y2)) x1 = x2 = y1 = y2 = 0.0f;
    h = History{x1, x2, y1, y2};
}

void LowShelf::process(float* left, float* right, int n, float frequency, float gainDb, double sampleRate) {
    if (!(gainDb > 0.0f)) {
        clear();
        return;
    }
    if (n <= 0) return;
    if (sampleRate != cachedSampleRate_ || frequency != cachedFrequency_ || gainDb != cachedGain_)
        design(frequency, gainDb, sampleRate);
    filter(left, n, left_);
    filter(right, n, right_);
}

}  // namespace halcyra
