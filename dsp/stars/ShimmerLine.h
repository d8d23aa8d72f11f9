// One of the three shimmer lines: a damped feedback delay with an all-pass inside the
// loop that keeps a ringing copy of the reverb's diffused feed, followed by its own
// octave-up pitch shifter. Only the copy is shifted; the loop stays at input pitch.
#pragma once

#include <vector>

#include "dsp/stars/PitchShifter.h"

namespace halcyra {

class ShimmerLine {
public:
    static constexpr int kLines = 3;

    // shiftWork: per-frame work the line's shifter may share with the other lines'.
    void prepare(double sampleRate, int index /*0,1,2*/, int blockCapacity, PitchShifterWork* shiftWork = nullptr);
    void clear();
    // out = pitch-shifted line output, n samples (excitation and out may not overlap).
    void process(const float* excitation, int n, float* out);
    // While nobody listens: the loop runs on (it is cheap and keeps a memory of
    // seconds), the shifter only keeps its input history; see PitchShifter::skip.
    void skipShifting(const float* excitation, int n);

    int mainDelay() const { return mainDelay_; }
    int feedbackDelay() const { return ringDelay_; }
    const PitchShifter& shifter() const { return shifter_; }

    // Runs only the feedback loop (no shifting): the line's own output.
    void processLine(const float* excitation, int n, float* out);

private:
    int mainDelay_ = 4, ringDelay_ = 2;
    std::vector<float> delay_, ring_, lineOut_;
    int delayWrite_ = 0, ringWrite_ = 0;
    float lowpassCoeff_ = 0.0f, lowpass_ = 0.0f;
    int capacity_ = 1;
    PitchShifter shifter_;
};

}  // namespace halcyra
