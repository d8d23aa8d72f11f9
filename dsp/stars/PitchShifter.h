// Octave-up phase-vocoder pitch shifter for the shimmer lines. Spectral peaks are
// moved to factor x their frequency with their local shape kept; bins between peaks
// follow a smooth monotone map. Phases continue from the previous output frame and are
// locked to the nearest peak so partials stay coherent. n samples in, n samples out,
// with a fixed latency of one frame.
#pragma once

#include <memory>
#include <vector>

#include "dsp/stars/PitchShifterWork.h"

namespace halcyra {

class PitchShifter {
public:
    // shared: per-frame work to share with other shifters of the same rate and factor
    // that never run at the same time (kept by the caller for as long as this one);
    // null gives the shifter its own.
    void prepare(double sampleRate, int blockCapacity, float factor = 2.0f, PitchShifterWork* shared = nullptr);
    void clear();
    // in and out may be the same buffer.
    void process(const float* in, float* out, int n);
    // Takes n input samples without computing any frame (for output nobody hears).
    // The next process() starts synthesis afresh on the kept history, so its output
    // fades in over one frame instead of resuming stale spectra.
    void skip(const float* in, int n);
    int latencySamples() const { return frameSize_; }

    // Moves this shifter's frame grid by offset samples (0..hop-1, kept across clear), so
    // that several shifters fed the same blocks do not all compute a frame in one block.
    void setFrameOffset(int offset);

    int frameSize() const { return frameSize_; }
    int hopSize() const { return hopSize_; }
    int fftSize() const { return work_ != nullptr ? work_->fft.size() : 0; }

private:
    // One spectrum as separate rows; sized bins + 1 with the extra bin kept at zero.
    struct SplitSpectrum {
        std::vector<float> re, im;
        void assign(std::size_t bins);
    };

    void feed(const float* in, float* out, int n);  // out null: skip
    void restartFrames();
    void processFrame();
    void windowFrame();
    float analyse();  // returns the loudest bin's energy
    void findPeaks(float loudest);
    void assignOwners();
    void lockPeakPhases();
    void overlapAdd();

    std::unique_ptr<PitchShifterWork> ownWork_;
    PitchShifterWork* work_ = nullptr;  // own or shared with the caller's other shifters
    std::shared_ptr<PitchShifterWorkPool> pool_;
    PitchShifterWork* frame_ = nullptr;  // the workspace of the frame being computed
    float factor_ = 2.0f;
    int frameSize_ = 0, hopSize_ = 0, bins_ = 0;
    float windowGain_ = 1.0f;

    // Rings of a frame: the last frameSize_ input samples, the oldest at historyPos_,
    // and the output being assembled, its first sample at overlapStart_.
    std::vector<float> history_;
    int historyPos_ = 0;
    std::vector<float> overlapAdd_;
    int overlapStart_ = 0;
    std::vector<float> ready_;       // hopSize_ finished samples
    int readyPos_ = 0;
    int untilFrame_ = 0;
    int frameOffset_ = 0;
    bool cold_ = false;  // frames were skipped since the last synthesis

    SplitSpectrum input_, previousInput_, previousOutput_;
    int peakCount_ = 0;  // of the frame being computed
};

}  // namespace halcyra
