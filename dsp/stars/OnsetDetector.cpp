#include "dsp/stars/OnsetDetector.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

void OnsetDetector::prepare(double sampleRate) {
    const double sr = sampleRate > 0.0 ? sampleRate : 48000.0;
    fastCoeff_ = static_cast<float>(std::exp(-1.0 / (0.007 * sr)));
    slowCoeff_ = static_cast<float>(std::exp(-1.0 / (0.2 * sr)));
    clear();
}

void OnsetDetector::clear() {
    fast_ = slow_ = 0.0f;
    activity_ = ratio_ = level_ = 0.0f;
    windowActivity_ = windowRatio_ = 0.0f;
}

void OnsetDetector::process(const float* input, int n) {
    float maxActivity = 0.0f, maxRatio = 0.0f;
    for (int i = 0; i < n; ++i) {
        float x = std::fabs(input[i]);
        if (!std::isfinite(x)) x = 0.0f;
        fast_ = fastCoeff_ * fast_ + (1.0f - fastCoeff_) * x;
        slow_ = slowCoeff_ * slow_ + (1.0f - slowCoeff_) * x;
        // Let the followers reach true zero instead of crawling through denormals.
        if (fast_ < 1e-12f) fast_ = 0.0f;
        if (slow_ < 1e-12f) slow_ = 0.0f;
        const float r = std::max(fast_ - slow_, 0.0f) / (slow_ + 1e-6f);
        level_ = std::clamp(4.0f * slow_, 0.0f, 1.0f);
        const float a = std::clamp(0.25f * level_ + r, 0.0f, 1.0f);
        maxActivity = std::max(maxActivity, a);
        maxRatio = std::max(maxRatio, r);
    }
    activity_ = maxActivity;
    ratio_ = maxRatio;
    windowActivity_ = std::max(windowActivity_, maxActivity);
    windowRatio_ = std::max(windowRatio_, maxRatio);
}

OnsetValues OnsetDetector::takeWindow() {
    const OnsetValues values{windowActivity_, windowRatio_, level_};
    windowActivity_ = windowRatio_ = 0.0f;
    return values;
}

}  // namespace halcyra
