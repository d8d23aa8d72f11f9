#include "dsp/stars/ShimmerLine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "dsp/stars/VectorClones.h"

namespace halcyra {

namespace {

constexpr float kMainDelayMs[ShimmerLine::kLines] = {90.0f, 130.0f, 170.0f};
const float kInputGain = static_cast<float>(std::pow(10.0, -0.6));
constexpr float kFeedback = 0.75f;
constexpr float kAllpass = 0.3f;

// Written as comparisons (false for NaN), which vectorise where std::isfinite does not.
constexpr float kLargest = std::numeric_limits<float>::max();
float finiteOrZero(float v) { return std::fabs(v) <= kLargest ? v : 0.0f; }
float guarded(float v) { return (std::fabs(v) >= 1e-18f && std::fabs(v) <= kLargest) ? v : 0.0f; }

// The loop's low-pass over one stretch of the main delay's output; returns its state.
float lowpassStretch(const float* __restrict e, int length, float k, float lowpass, float* __restrict out) {
    for (int i = 0; i < length; ++i) {
        lowpass += (1.0f - k) * (e[i] - lowpass);
        out[i] = lowpass;
    }
    return lowpass;
}

// The rest of the loop: all-pass, feedback and input; io holds the low-pass on the way
// in and the line's output on the way out.
HALCYRA_VECTOR_CLONES
void loopStretch(const float* __restrict e, const float* __restrict g, const float* __restrict x, int length,
                 float* __restrict ringIn, float* __restrict delayIn, float* __restrict io) {
    const float inputGain = kInputGain;
    for (int i = 0; i < length; ++i) {
        const float z = (io[i] - e[i]) * 0.5f + e[i] - kAllpass * g[i];
        ringIn[i] = finiteOrZero(z);
        const float y = kAllpass * z + g[i];
        delayIn[i] = guarded(inputGain * x[i] + kFeedback * y);
        io[i] = y;
    }
}

}  // namespace

void ShimmerLine::prepare(double sampleRate, int index, int blockCapacity, PitchShifterWork* shiftWork) {
    index = std::clamp(index, 0, kLines - 1);
    const double sr = sampleRate > 0.0 ? sampleRate : 48000.0;
    mainDelay_ = std::max(4, static_cast<int>(std::nearbyint(kMainDelayMs[index] * 0.001 * sr)));
    const int base = std::max(2, static_cast<int>(std::nearbyint(0.011 * sr)));
    ringDelay_ = std::max(2, std::min(mainDelay_ - 2, base + 2 * index + 1));
    delay_.assign(static_cast<std::size_t>(mainDelay_ + 8), 0.0f);
    ring_.assign(static_cast<std::size_t>(ringDelay_ + 8), 0.0f);
    lowpassCoeff_ = static_cast<float>(std::clamp(std::exp(-2.0 * std::numbers::pi * 4500.0 / sr), 0.0, 1.0));
    capacity_ = std::max(1, blockCapacity);
    lineOut_.assign(static_cast<std::size_t>(capacity_), 0.0f);
    shifter_.prepare(sr, capacity_, 2.0f, shiftWork);
    // The three lines take their spectral frames a third of a hop apart.
    shifter_.setFrameOffset(index * shifter_.hopSize() / kLines);
    clear();
}

void ShimmerLine::clear() {
    std::fill(delay_.begin(), delay_.end(), 0.0f);
    std::fill(ring_.begin(), ring_.end(), 0.0f);
    delayWrite_ = ringWrite_ = 0;
    lowpass_ = 0.0f;
    shifter_.clear();
}

// Runs in stretches where no index wraps and nothing written is read back (a stretch
// is never longer than either delay): the low-pass is the only recursion inside one,
// so it goes first and the rest of the loop runs four or eight samples at a time.
void ShimmerLine::processLine(const float* excitation, int n, float* out) {
    const int delaySize = static_cast<int>(delay_.size());
    const int ringSize = static_cast<int>(ring_.size());
    for (int done = 0; done < n;) {
        int delayRead = delayWrite_ - mainDelay_;
        if (delayRead < 0) delayRead += delaySize;
        int ringRead = ringWrite_ - ringDelay_;
        if (ringRead < 0) ringRead += ringSize;
        const int length = std::min({n - done, mainDelay_, ringDelay_, delaySize - delayWrite_, delaySize - delayRead,
                                     ringSize - ringWrite_, ringSize - ringRead});

        // Main delay, D samples back (D is whole, so no interpolation).
        lowpass_ = lowpassStretch(delay_.data() + delayRead, length, lowpassCoeff_, lowpass_, out + done);
        loopStretch(delay_.data() + delayRead, ring_.data() + ringRead, excitation + done, length,
                    ring_.data() + ringWrite_, delay_.data() + delayWrite_, out + done);
        delayWrite_ += length;
        if (delayWrite_ == delaySize) delayWrite_ = 0;
        ringWrite_ += length;
        if (ringWrite_ == ringSize) ringWrite_ = 0;
        done += length;
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
