#include "dsp/stars/ShimmerLine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace halcyra {

namespace {

constexpr float kMainDelayMs[ShimmerLine::kLines] = {90.0f, 130.0f, 170.0f};
const float kInputGain = static_cast<float>(std::pow(10.0, -0.6));
constexpr float kFeedback = 0.75f;
constexpr float kAllpass = 0.3f;
// The line starts open: it is empty after prepare, so there is no step to hide, and a
// transient in the first moments after a reset still gets its shimmer.
constexpr float kInitialInputRamp = 1.0f;

float guarded(float v) { return (std::isfinite(v) && std::fabs(v) >= 1e-18f) ? v : 0.0f; }

}  // namespace

void ShimmerLine::prepare(double sampleRate, int index, int blockCapacity) {
    index = std::clamp(index, 0, kLines - 1);
    const double sr = sampleRate > 0.0 ? sampleRate : 48000.0;
    mainDelay_ = std::max(4, static_cast<int>(std::nearbyint(kMainDelayMs[index] * 0.001 * sr)));
    const int base = std::max(2, static_cast<int>(std::nearbyint(0.011 * sr)));
    ringDelay_ = std::max(2, std::min(mainDelay_ - 2, base + 2 * index + 1));
    delay_.assign(static_cast<std::size_t>(mainDelay_ + 8), 0.0f);
    ring_.assign(static_cast<std::size_t>(ringDelay_ + 8), 0.0f);
    lowpassCoeff_ = static_cast<float>(std::clamp(std::exp(-2.0 * std::numbers::pi * 4500.0 / sr), 0.0, 1.0));
    rampCoeff_ = static_cast<float>(std::exp(-1.0 / (0.5 * sr)));
    capacity_ = std::max(1, blockCapacity);
    lineOut_.assign(static_cast<std::size_t>(capacity_), 0.0f);
    shifter_.prepare(sr, capacity_, 2.0f);
    // The three lines take their spectral frames a third of a hop apart.
    shifter_.setFrameOffset(index * shifter_.hopSize() / kLines);
    clear();
}

void ShimmerLine::clear() {
    std::fill(delay_.begin(), delay_.end(), 0.0f);
    std::fill(ring_.begin(), ring_.end(), 0.0f);
    delayWrite_ = ringWrite_ = 0;
    lowpass_ = 0.0f;
    ramp_ = kInitialInputRamp;
    shifter_.clear();
}

void ShimmerLine::processLine(const float* excitation, int n, float* out) {
    const int delaySize = static_cast<int>(delay_.size());
    const int ringSize = static_cast<int>(ring_.size());
    const float k = lowpassCoeff_;
    for (int i = 0; i < n; ++i) {
        // Main delay, D samples back (D is whole, so no interpolation).
        int read = delayWrite_ - mainDelay_;
        if (read < 0) read += delaySize;
        const float e = delay_[static_cast<std::size_t>(read)];

        lowpass_ += (1.0f - k) * (e - lowpass_);
        int ringRead = ringWrite_ - ringDelay_;
        if (ringRead < 0) ringRead += ringSize;
        const float g = ring_[static_cast<std::size_t>(ringRead)];
        const float z = (lowpass_ - e) * 0.5f + e - kAllpass * g;
        ring_[static_cast<std::size_t>(ringWrite_)] = std::isfinite(z) ? z : 0.0f;
        if (++ringWrite_ == ringSize) ringWrite_ = 0;

        const float o = kAllpass * z + g;
        delay_[static_cast<std::size_t>(delayWrite_)] = guarded(kInputGain * ramp_ * excitation[i] + kFeedback * o);
        if (++delayWrite_ == delaySize) delayWrite_ = 0;
        ramp_ = (ramp_ - 1.0f) * rampCoeff_ + 1.0f;
        out[i] = o;
    }
}

void ShimmerLine::process(const float* excitation, int n, float* out) {
    for (int done = 0; done < n;) {
        const int chunk = std::min(n - done, capacity_);
        processLine(excitation + done, chunk, lineOut_.data());
        shifter_.process(lineOut_.data(), out + done, chunk);
        done += chunk;
    }
}

void ShimmerLine::skipShifting(const float* excitation, int n) {
    for (int done = 0; done < n;) {
        const int chunk = std::min(n - done, capacity_);
        processLine(excitation + done, chunk, lineOut_.data());
        shifter_.skip(lineOut_.data(), chunk);
        done += chunk;
    }
}

}  // namespace halcyra
