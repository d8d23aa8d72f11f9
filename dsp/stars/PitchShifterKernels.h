// The pitch shifter's per-bin loops. Each works on split rows (real parts, imaginary
// parts, energies) so the compiler can run it several bins at a time; every bin still
// sees exactly the arithmetic a one-bin-at-a-time std::complex version would do.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>

namespace halcyra::shifter {

// nearbyint without the library call: adding 1.5 x 2^23 leaves no fraction bits, so the
// sum is rounded to a whole number, ties to even, as nearbyint does (in the default
// rounding mode). Bins and phase advances in turns are far below 2^22.
inline float roundToWhole(float v) {
    constexpr float kShifter = 0x1.8p23f;
    return std::fabs(v) < 0x1p22f ? (v + kShifter) - kShifter : v;
}

// Interleaved FFT bins -> separate real and imaginary rows and the energy |X|^2.
void splitBins(const std::complex<float>* spectrum, int bins, float* re, float* im, float* energy);

// atan2(y, x) without the library call, so that a loop of them vectorises: an odd
// polynomial fitted to atan on [0, 1] gives the angle of the smaller component over
// the larger (within 3.7e-8 rad), which is then moved to its octant. Over every
// direction it stays within 2.5e-7 rad of the exact angle of the float inputs.
// (0, 0) gives 0; the sign of a zero x is not looked at.
inline float phaseAngle(float y, float x) {
    constexpr float kC[] = {0.9999993443f, -0.3332985938f, 0.1994656622f, -0.1390862912f,
                            0.09642197192f, -0.05591232702f, 0.02186295949f, -0.004054567311f};
    constexpr float kHalfPi = 1.57079632679f, kPi = 3.14159265359f;
    const float ax = std::fabs(x), ay = std::fabs(y);
    const float larger = std::max(ax, ay), smaller = std::min(ax, ay);
    const float a = larger > 0.0f ? smaller / larger : 0.0f;
    const float s = a * a;
    float p = kC[7];
    for (int k = 6; k >= 0; --k) p = p * s + kC[k];
    float angle = p * a;
    angle = ay > ax ? kHalfPi - angle : angle;
    angle = x < 0.0f ? kPi - angle : angle;
    return y < 0.0f ? -angle : angle;
}

// Per candidate peak c at bin candidates[c]: the phase advance over one hop, the angle
// of the input times the conjugate previous input, when the previous frame was loud
// enough there (|previous|^2 > 1e-6 |input|^2) for that angle to mean anything; 0 and
// usable = 0 otherwise.
void phaseAdvances(const int* candidates, int count, const float* re, const float* im, const float* previousRe,
                   const float* previousIm, const float* energy, float* advance, int* usable);

// Fractional bin of each candidate from its phase advance: the bin centre plus the
// advance beyond the bin's own (wrapped to +-pi), times size / (2 pi hop).
void positionsFromAdvance(const int* candidates, int count, const float* advance, const float* expectedAdvance,
                          float size, float hop, float* position);

// Everything the synthesis of one output frame reads. Rows indexed by input bin have one
// zero bin past the end, so interpolating at the last bin needs no special case.
struct SynthesisSources {
    const float* position;  // per output bin: input bin it maps to
    const float* gradient;  // per output bin: d(input bin)/d(output bin)
    const int* owner;       // per output bin: the peak whose phase it follows
    const float* energy;    // per input bin
    const float* re;
    const float* im;
    const float* peakPhaseRe;  // per peak: unit phase given to its shifted bin
    const float* peakPhaseIm;
    const float* peakReferenceRe;  // per peak: conjugate input value at its shifted bin
    const float* peakReferenceIm;
};

// Output bins: magnitude from the mapped energy, phase from the owning peak turned by the
// phase difference the input had between this bin and the peak.
void synthesiseBins(const SynthesisSources& sources, int bins, float* outRe, float* outIm);

// Per output bin, the nearer of the two peaks around its map segment (the lower on a
// tie). Peak i is the map's knot i + 1; peakCount >= 1.
void nearestPeaks(const int* segment, const float* peakBin, int peakCount, int bins, int* owner);

// Split rows -> interleaved FFT bins.
void joinBins(const float* re, const float* im, int bins, std::complex<float>* spectrum);

}  // namespace halcyra::shifter
