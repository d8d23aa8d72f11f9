#include "dsp/stars/PitchShifterKernels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/stars/VectorClones.h"

// Built with -fno-math-errno -fno-trapping-math (see dsp/stars/CMakeLists.txt) so the
// loops vectorise; neither flag changes a value.

namespace halcyra::shifter {

namespace {
constexpr float kMagnitudeFloor = 1e-15f;
constexpr float kNormFloor = kMagnitudeFloor * kMagnitudeFloor;
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
}  // namespace

HALCYRA_VECTOR_CLONES
void phaseAdvances(const int* __restrict candidates, int count, const float* __restrict re, const float* __restrict im,
                   const float* __restrict previousRe, const float* __restrict previousIm,
                   const float* __restrict energy, float* __restrict advance, int* __restrict usable) {
    for (int c = 0; c < count; ++c) {
        const int b = candidates[c];
        const float xr = re[b], xi = im[b], pr = previousRe[b], pi = previousIm[b];
        // x * conj(p), written as std::complex rounds it.
        const float productRe = xr * pr - xi * -pi;
        const float productIm = xr * -pi + xi * pr;
        const bool loud = pr * pr + pi * pi > energy[b] * 1e-6f;
        usable[c] = loud;
        advance[c] = loud ? phaseAngle(productIm, productRe) : 0.0f;
    }
}

HALCYRA_VECTOR_CLONES
void positionsFromAdvance(const int* __restrict candidates, int count, const float* __restrict advance,
                          const float* __restrict expectedAdvance, float size, float hop,
                          float* __restrict position) {
    const float radiansPerBin = kTwoPi * hop;
    for (int c = 0; c < count; ++c) {
        const int b = candidates[c];
        const float beyond = advance[c] - expectedAdvance[b];
        const float wrapped = beyond - kTwoPi * roundToWhole(beyond / kTwoPi);
        position[c] = static_cast<float>(b) + wrapped * size / radiansPerBin;
    }
}

HALCYRA_VECTOR_CLONES
void splitBins(const std::complex<float>* spectrum, int bins, float* __restrict re, float* __restrict im,
               float* __restrict energy) {
    const float* __restrict interleaved = reinterpret_cast<const float*>(spectrum);
    for (int b = 0; b < bins; ++b) {
        const float r = interleaved[2 * b], i = interleaved[2 * b + 1];
        re[b] = r;
        im[b] = i;
        energy[b] = r * r + i * i;
    }
}

HALCYRA_VECTOR_CLONES
void synthesiseBins(const SynthesisSources& sources, int bins, float* __restrict outRe, float* __restrict outIm) {
    const float* __restrict position = sources.position;
    const float* __restrict gradient = sources.gradient;
    const int* __restrict owner = sources.owner;
    const float* __restrict energy = sources.energy;
    const float* __restrict re = sources.re;
    const float* __restrict im = sources.im;
    const float* __restrict phaseRe = sources.peakPhaseRe;
    const float* __restrict phaseIm = sources.peakPhaseIm;
    const float* __restrict referenceRe = sources.peakReferenceRe;
    const float* __restrict referenceIm = sources.peakReferenceIm;
    const int last = bins - 1;
    const float lastBin = static_cast<float>(last);

    for (int b = 0; b < bins; ++b) {
        // Linear interpolation of the input at the mapped position; outside the
        // spectrum (or NaN) the input counts as silent.
        const float p = position[b];
        const bool inside = (p >= 0.0f) & (p <= lastBin);
        // Clamped (NaN to 0) before the conversion, which then never overflows and the
        // loop has no branch; outside bins are silenced below anyway.
        const float at = std::min(std::max(0.0f, p), lastBin);
        const int i = std::min(static_cast<int>(at), last);
        const float f = at - static_cast<float>(i);
        const float g = 1.0f - f;
        float e = energy[i] * g + energy[i + 1] * f;
        float xr = re[i] * g + re[i + 1] * f;
        float xi = im[i] * g + im[i + 1] * f;
        e = inside ? e : 0.0f;
        xr = inside ? xr : 0.0f;
        xi = inside ? xi : 0.0f;

        // Stretching the spectrum spreads its energy: scale by the map's gradient.
        const float magnitude = std::sqrt(std::max(e * std::max(gradient[b], 0.0f), 0.0f));

        // Phase relative to the owning peak's input, normalised, then turned to the
        // peak's output phase.
        const int k = owner[b];
        const float cr = referenceRe[k], ci = referenceIm[k];
        const float zr = xr * cr - xi * ci, zi = xr * ci + xi * cr;
        const float toUnit = 1.0f / std::sqrt(std::max(zr * zr + zi * zi, kNormFloor));
        const float ur = zr * toUnit, ui = zi * toUnit;
        const float pr = phaseRe[k], pi = phaseIm[k];
        outRe[b] = magnitude * (pr * ur - pi * ui);
        outIm[b] = magnitude * (pr * ui + pi * ur);
    }
}

HALCYRA_VECTOR_CLONES
void nearestPeaks(const int* __restrict segment, const float* __restrict peakBin, int peakCount, int bins,
                  int* __restrict owner) {
    for (int b = 0; b < bins; ++b) {
        const int k = segment[b];
        const int below = std::max(k - 1, 0), above = std::min(k, peakCount - 1);
        const float x = static_cast<float>(b);
        owner[b] = std::fabs(peakBin[above] - x) < std::fabs(peakBin[below] - x) ? above : below;
    }
}

// Kept apart from the synthesis: with this store inside, that loop no longer vectorises.
HALCYRA_VECTOR_CLONES
void joinBins(const float* __restrict re, const float* __restrict im, int bins, std::complex<float>* spectrum) {
    float* __restrict interleaved = reinterpret_cast<float*>(spectrum);
    for (int b = 0; b < bins; ++b) {
        interleaved[2 * b] = re[b];
        interleaved[2 * b + 1] = im[b];
    }
}

}  // namespace halcyra::shifter
