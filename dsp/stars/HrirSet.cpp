#include "dsp/stars/HrirSet.h"

#include <mysofa.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "dsp/stars/BandLoudness.h"

namespace halcyra {

namespace {

struct SofaCloser {
    void operator()(MYSOFA_EASY* easy) const { mysofa_close(easy); }
};
using SofaHandle = std::unique_ptr<MYSOFA_EASY, SofaCloser>;

float usableDelay(float seconds) { return (std::isfinite(seconds) && seconds > 0.0f) ? seconds : 0.0f; }

}  // namespace

bool HrirSet::build(const unsigned char* data, std::size_t size, double sampleRate, int count,
                    const float* azimuths, const float* elevations, int maxTaps, bool normalise) {
    pairs_.clear();
    taps_ = 0;
    libraryLength_ = 0;
    loaded_ = false;
    if (data == nullptr || size == 0 || count <= 0 || azimuths == nullptr || elevations == nullptr ||
        !(sampleRate > 0.0) || maxTaps <= 0)
        return false;

    int filterLength = 0;
    int error = MYSOFA_OK;
    SofaHandle sofa(mysofa_open_data(reinterpret_cast<const char*>(data), static_cast<long>(size),
                                     static_cast<float>(sampleRate), &filterLength, &error));
    if (!sofa || error != MYSOFA_OK || filterLength <= 0) return false;

    const int taps = std::min(maxTaps, std::max(1, filterLength));
    std::vector<float> left(static_cast<std::size_t>(filterLength));
    std::vector<float> right(static_cast<std::size_t>(filterLength));
    std::vector<HrirPair> pairs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        // The reader's azimuth grows towards the listener's left; ours towards the right.
        float position[3] = {-azimuths[i], elevations[i], 1.0f};
        mysofa_s2c(position);
        float leftDelay = 0.0f, rightDelay = 0.0f;
        mysofa_getfilter_float(sofa.get(), position[0], position[1], position[2], left.data(), right.data(),
                               &leftDelay, &rightDelay);
        HrirPair& pair = pairs[static_cast<std::size_t>(i)];
        pair.left.assign(left.begin(), left.begin() + taps);
        pair.right.assign(right.begin(), right.begin() + taps);
        pair.leftDelay = usableDelay(leftDelay);
        pair.rightDelay = usableDelay(rightDelay);
    }
    sofa.reset();

    pairs_ = std::move(pairs);
    taps_ = taps;
    libraryLength_ = filterLength;
    if (normalise) normaliseToMedianLoudness(sampleRate);
    loaded_ = true;
    return true;
}

// Brings every pair to the loudness of the median pair, so a star's level does not
// depend on the direction it comes from. Loudness grows with the square root of the
// gain, hence the squared ratio.
void HrirSet::normaliseToMedianLoudness(double sampleRate) {
    std::vector<double> loudness(pairs_.size());
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
        const HrirPair& p = pairs_[i];
        loudness[i] = bandLoudness(p.left.data(), static_cast<int>(p.left.size()), sampleRate) +
                      bandLoudness(p.right.data(), static_cast<int>(p.right.size()), sampleRate);
    }
    std::vector<double> sorted = loudness;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    if (!(median > 0.0)) return;
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
        if (!(loudness[i] > 0.0)) continue;
        const double ratio = median / loudness[i];
        const float gain = static_cast<float>(ratio * ratio);
        for (float& t : pairs_[i].left) t *= gain;
        for (float& t : pairs_[i].right) t *= gain;
    }
}

}  // namespace halcyra
