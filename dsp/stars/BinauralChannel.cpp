#include "dsp/stars/BinauralChannel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/stars/StereoConvolution.h"

namespace halcyra {

namespace {
// Picked once per process; the first call must not happen on the audio thread.
StereoConvolveFn convolution() {
    static const StereoConvolveFn fn = bestStereoConvolution();
    return fn;
}
}  // namespace

void BinauralChannel::prepare(double sampleRate, int blockCapacity) {
    capacity_ = std::max(1, blockCapacity);
    sampleRate_ = static_cast<float>(sampleRate);
    maxTaps_ = hrirTapLimit(sampleRate);
    const auto cap = static_cast<std::size_t>(capacity_);
    const auto taps = static_cast<std::size_t>(maxTaps_);
    work_.assign(taps - 1 + cap, 0.0f);
    convLeft_.assign(kDelayHistory + cap, 0.0f);
    convRight_.assign(kDelayHistory + cap, 0.0f);
    (void)convolution();
    clear();
}

void BinauralChannel::clear() {
    unbind();
    taps_ = 0;
    std::fill(work_.begin(), work_.end(), 0.0f);
    resetHistory();
}

void BinauralChannel::resetHistory() {
    std::fill_n(work_.begin(), maxTaps_ - 1, 0.0f);
    std::fill_n(convLeft_.begin(), kDelayHistory, 0.0f);
    std::fill_n(convRight_.begin(), kDelayHistory, 0.0f);
}

void BinauralChannel::bind(int point, const HrirPair* pair) {
    point_ = point;
    pair_ = pair;
    resetHistory();
    taps_ = 0;
    if (pair == nullptr) return;
    // A pair longer than the channel's history is never convolved: process() adds nothing.
    taps_ = static_cast<int>(std::min(pair->left.size(), pair->right.size()));
}

void BinauralChannel::process(int n, float* outLeft, float* outRight) {
    if (!bound() || n <= 0 || n > capacity_) return;
    if (pair_ == nullptr || taps_ <= 0) {
        for (int i = 0; i < n; ++i) {
            const float s = kFallbackGain * input()[i];
            outLeft[i] += s;
            outRight[i] += s;
        }
        return;
    }
    if (taps_ > maxTaps_) return;

    // The pair's taps - 1 past samples right before the input, then the input.
    const float* work = input() - (taps_ - 1);
    float* left = convLeft_.data();
    float* right = convRight_.data();
    convolution()(work, pair_->left.data(), pair_->right.data(), taps_, n, left + kDelayHistory, right + kDelayHistory);
    std::memmove(work_.data(), work_.data() + n, sizeof(float) * static_cast<std::size_t>(maxTaps_ - 1));

    applyInterauralDelay(left, sampleRate_ * pair_->leftDelay, n, outLeft);
    applyInterauralDelay(right, sampleRate_ * pair_->rightDelay, n, outRight);
}

void BinauralChannel::applyInterauralDelay(float* y, float delaySamples, int n, float* out) {
    const float d = (delaySamples > 0.0f) ? std::min(delaySamples, kMaxDelaySamples) : 0.0f;  // NaN -> 0
    const int whole = static_cast<int>(d);
    const float frac = d - static_cast<float>(whole);
    const float* __restrict newer = y + kDelayHistory - whole;
    const float* __restrict older = newer - 1;
    float* __restrict sum = out;
    for (int i = 0; i < n; ++i) sum[i] += (1.0f - frac) * newer[i] + frac * older[i];
    std::memmove(y, y + n, sizeof(float) * kDelayHistory);
}

}  // namespace halcyra
