#include "dsp/stars/PitchShifterWork.h"

#include <cmath>
#include <numbers>

namespace halcyra {

void PitchShifterWork::prepare(int frameSize, int hopSize, int fftSize) {
    if (frameSize == frameSize_ && hopSize == hopSize_ && fftSize == fft.size()) return;
    fft.prepare(fftSize);
    const int bins = fft.bins();
    const auto n = static_cast<std::size_t>(frameSize);
    const auto b = static_cast<std::size_t>(bins);

    window.resize(n);
    for (std::size_t t = 0; t < n; ++t) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(t) / frameSize;
        window[t] = static_cast<float>(0.5 - 0.5 * std::cos(phase));
    }
    constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
    const float size = static_cast<float>(fft.size());
    const float hop = static_cast<float>(hopSize);
    expectedAdvance.resize(b);
    for (int bin = 0; bin < bins; ++bin)
        expectedAdvance[static_cast<std::size_t>(bin)] = kTwoPi * static_cast<float>(bin) * hop / size;
    energy.assign(b + 1, 0.0f);

    // A peak is a strict local maximum, so at most every other bin is one.
    const std::size_t maxPeaks = b / 2 + 2;
    knotX.assign(maxPeaks + 2, 0.0f);
    knotY.assign(maxPeaks + 2, 0.0f);
    candidates.assign(b, 0);
    candidateAdvance.assign(b, 0.0f);
    candidatePosition.assign(b, 0.0f);
    candidateUsable.assign(b, 0);
    peakRotation.assign(maxPeaks, 0.0f);
    peakPhaseRe.assign(maxPeaks, 0.0f);
    peakPhaseIm.assign(maxPeaks, 0.0f);
    peakReferenceRe.assign(maxPeaks, 0.0f);
    peakReferenceIm.assign(maxPeaks, 0.0f);
    ownerOfBin.assign(b, 0);
    map.prepare(bins, static_cast<int>(maxPeaks + 2));
    frameSize_ = frameSize;
    hopSize_ = hopSize;
}

}  // namespace halcyra
