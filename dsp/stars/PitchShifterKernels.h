// The pitch shifter's per-bin loops. Each works on split rows (real parts, imaginary
// parts, energies) so the compiler can run it several bins at a time; every bin still
// sees exactly the arithmetic a one-bin-at-a-time std::complex version would do.
#pragma once

#include <complex>

namespace halcyra::shifter {

// Interleaved FFT bins -> separate real and imaginary rows and the energy |X|^2.
void splitBins(const std::complex<float>* spectrum, int bins, float* re, float* im, float* energy);

// Per candidate peak c at bin candidates[c]: the input times the conjugate previous
// input (its angle is the phase advance over one hop), and whether the previous frame
// was loud enough there (|previous|^2 > 1e-6 |input|^2) for that angle to mean anything.
void phaseAdvanceProducts(const int* candidates, int count, const float* re, const float* im,
                          const float* previousRe, const float* previousIm, const float* energy,
                          float* productRe, float* productIm, int* usable);

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
