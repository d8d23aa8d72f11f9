// One binaural voice bus: collects the mono signal of every voice at one sky point,
// convolves it with the point's HRIR pair and adds it, with the pair's interaural
// delays, to the stereo star output.
#pragma once

#include <vector>

#include "dsp/stars/HrirSet.h"

namespace halcyra {

class BinauralChannel {
public:
    // How far back the interaural delay reaches, with its fractional neighbour.
    static constexpr int kRingSize = 256;
    static constexpr float kMaxDelaySamples = 254.0f;  // leaves room for the fractional neighbour
    static constexpr float kFallbackGain = 0.7071f;

    // Sized for the longest HRIR pair a set built for this rate holds.
    void prepare(double sampleRate, int blockCapacity);
    void clear();  // frees the channel and forgets its past

    // pair may be null (no data): the channel then spreads its input to both sides.
    // The channel convolves with the pair itself, which must outlive the binding.
    void bind(int point, const HrirPair* pair);
    void unbind() { point_ = -1; pair_ = nullptr; }

    int point() const { return point_; }
    bool bound() const { return point_ >= 0; }
    float* input() { return work_.data() + (maxTaps_ - 1); }
    int capacity() const { return capacity_; }
    int tapCapacity() const { return maxTaps_; }  // longest pair the channel convolves

    // Adds n samples of the channel's input buffer, placed, to both outputs.
    void process(int n, float* outLeft, float* outRight);

private:
    void resetHistory();
    // y holds kDelayHistory past samples, then the n new ones; they are kept for the
    // next call.
    static void applyInterauralDelay(float* y, float delaySamples, int n, float* out);
    static constexpr int kDelayHistory = kRingSize - 1;

    int point_ = -1;
    const HrirPair* pair_ = nullptr;
    int taps_ = 0;
    int capacity_ = 1;
    int maxTaps_ = 0;
    float sampleRate_ = 48000.0f;
    std::vector<float> work_;  // the last maxTaps_ - 1 input samples, then the block's input
    std::vector<float> convLeft_, convRight_;  // each ear's past, then this block's convolution
};

}  // namespace halcyra
