// What a pitch shifter needs only while it computes one frame: the FFT with its
// buffers, the analysis of the frame and the bin map, and the fixed window and phase
// tables. Shifters of one rate and factor that run one after another (the three
// shimmer lines of a star engine) share one, so a frame touches less memory. The
// tables, which are only read, are shared further by every workspace in the process
// with the same frame, so instances running in turn find them in the cache.
#pragma once

#include <memory>
#include <vector>

#include "dsp/reverb/SlotClaims.h"
#include "dsp/stars/MonotoneBinMap.h"
#include "dsp/stars/RealFft.h"

namespace halcyra {

struct PitchShifterWork {
    // Allocates; sizes that are already right are kept (a shared one is prepared by
    // every shifter that uses it).
    void prepare(int frameSize, int hopSize, int fftSize);

    struct Tables {
        int frameSize = 0, hopSize = 0, fftSize = 0;
        std::vector<float> window;           // frameSize, Hann
        std::vector<float> expectedAdvance;  // phase a bin-centred partial gains over one hop
    };

    RealFft fft;
    const float* window = nullptr;
    const float* expectedAdvance = nullptr;
    std::vector<float> energy;           // of the frame's spectrum, bins + 1 with the extra bin at zero

    // Knot 0 is the map's origin, knots 1..peakCount are the peaks (output bin, input
    // bin), then the map's far end.
    std::vector<float> knotX, knotY;
    std::vector<int> candidates, candidateUsable;  // local maxima of this frame's energy
    std::vector<float> candidateAdvance, candidatePosition;
    std::vector<float> peakRotation;  // output phase advance of each peak over one hop
    std::vector<float> peakPhaseRe, peakPhaseIm, peakReferenceRe, peakReferenceIm;
    std::vector<int> ownerOfBin;
    MonotoneBinMap map;

private:
    std::shared_ptr<const Tables> tables_;
};

// A few workspaces for one frame shape, shared by every shifter in the process that
// computes such frames: a chain of instances on one thread then keeps one of them warm
// in the cache instead of streaming its own. A shifter claims one for a frame with an
// atomic exchange (it never waits) and uses its own when shifters on other threads
// hold them all.
class PitchShifterWorkPool {
public:
    static constexpr int kSlots = 2;

    // The pool for this frame, made when no shifter holds one. Allocates; thread-safe.
    static std::shared_ptr<PitchShifterWorkPool> forFrame(int frameSize, int hopSize, int fftSize);

    PitchShifterWorkPool(int frameSize, int hopSize, int fftSize);
    bool fits(int frameSize, int hopSize, int fftSize) const;

    PitchShifterWork* claim();  // null when every slot is taken
    void release(PitchShifterWork* work);

private:
    int frameSize_, hopSize_, fftSize_;
    PitchShifterWork slots_[kSlots];
    SlotClaims<kSlots> claims_;
};

}  // namespace halcyra
