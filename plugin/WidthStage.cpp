#include "plugin/WidthStage.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

namespace {
constexpr double kSideDelaySeconds = 0.008;
constexpr float kDelayedSideGain = 0.22f;
}  // namespace

float WidthStage::effectiveWidthTarget() const {
    return speakers() ? std::min(widthTarget_, 0.8f) * 0.75f : widthTarget_;
}

float WidthStage::midGainTarget() const {
    return speakers() ? (1.0f - std::min(widthTarget_, 0.8f) * 0.75f) * 0.12f + 1.0f : 1.0f;
}

void WidthStage::prepare(double sampleRate) {
    const double sr = (std::isfinite(sampleRate) && sampleRate > 0.0) ? sampleRate : 48000.0;
    sampleRate_ = static_cast<float>(sr);
    ringLength_ = std::max(static_cast<int>(std::ceil(kSideDelaySeconds * sr)) + 4, 4);
    ring_.assign(static_cast<std::size_t>(ringLength_), 0.0f);
    delay_ = std::clamp(static_cast<int>(std::round(kSideDelaySeconds * sr)), 1, ringLength_ - 1);
    writeIndex_ = 0;
    coefficientLength_ = -1;
    width_ = effectiveWidthTarget();
    midGain_ = midGainTarget();
}

void WidthStage::clear() {
    std::fill(ring_.begin(), ring_.end(), 0.0f);
    writeIndex_ = 0;
}

void WidthStage::process(float* left, float* right, int n) {
    if (n <= 0 || ringLength_ <= 0) return;
    if (n != coefficientLength_) {
        coefficientLength_ = n;
        coefficient_ = static_cast<float>(1.0 - std::exp(-n / (0.05 * sampleRate_)));
    }
    midGain_ += (midGainTarget() - midGain_) * coefficient_;
    width_ += (effectiveWidthTarget() - width_) * coefficient_;

    const float midGain = midGain_;
    const float width = width_;
    const float k = speakers() ? kDelayedSideGain : 0.0f;
    float* ring = ring_.data();
    const int length = ringLength_;
    int w = writeIndex_;
    int r = w - delay_;
    if (r < 0) r += length;
    for (int i = 0; i < n; ++i) {
        const float l = left[i];
        const float rr = right[i];
        const float side = (l - rr) * 0.5f;
        ring[w] = side;
        const float delayed = ring[r];
        if (++w == length) w = 0;
        if (++r == length) r = 0;
        const float mid = (l + rr) * 0.5f * midGain;
        const float sideOut = side * width + delayed * k;
        const float outL = mid + sideOut;
        const float outR = mid - sideOut;
        left[i] = std::isfinite(outL) ? outL : 0.0f;
        right[i] = std::isfinite(outR) ? outR : 0.0f;
    }
    writeIndex_ = w;
}

}  // namespace halcyra
