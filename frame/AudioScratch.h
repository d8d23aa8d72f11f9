// Preallocated 64-bit work buffers between the host's buffers (32- or 64-bit, possibly
// the same memory for input and output) and the plug-in's block callback. Sized
// once, so the audio thread never allocates.
#pragma once

#include <array>
#include <vector>

namespace halcyra::vst3 {

class AudioScratch {
public:
    static constexpr int kFrames = 4096;
    static constexpr int kChannels = 2;

    AudioScratch() {
        for (int c = 0; c < kChannels; ++c) {
            in_[c].assign(kFrames, 0.0);
            out_[c].assign(kFrames, 0.0);
            inPtr_[c] = in_[c].data();
            outPtr_[c] = out_[c].data();
        }
    }

    double* in(int channel) { return inPtr_[channel]; }
    double* out(int channel) { return outPtr_[channel]; }
    const double* const* inputs() const { return inPtr_.data(); }
    double* const* outputs() const { return outPtr_.data(); }

private:
    std::array<std::vector<double>, kChannels> in_;
    std::array<std::vector<double>, kChannels> out_;
    std::array<double*, kChannels> inPtr_{};
    std::array<double*, kChannels> outPtr_{};
};

}  // namespace halcyra::vst3
