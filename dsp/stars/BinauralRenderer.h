// The binaural channels (eight, or more when fading voices need their own) and the
// rules that bind star voices to them: voices at the same sky point share a channel,
// a channel is kept while any voice uses its point, and a voice that finds no free
// channel stays silent until one frees up.
#pragma once

#include <array>
#include <span>

#include "dsp/stars/BinauralChannel.h"
#include "dsp/stars/HrirSet.h"

namespace halcyra {

class BinauralRenderer {
public:
    static constexpr int kChannels = 8;
    static constexpr int kMaxChannels = 16;

    // set may be null or unloaded: every channel then uses the 0.7071 spread.
    void prepare(double sampleRate, int blockCapacity, const HrirSet* set, int channels = kChannels);
    void clear();

    // active[i] / points[i]: voice slot i (slot order decides who gets a channel first).
    // Frees channels no active voice uses, binds new points to the lowest free channel
    // and zeroes n samples of every bound channel's input.
    void bind(const bool* active, const int* points, int voiceCount, int n);
    // Zeroes n samples of every bound channel's input.
    void clearInputs(int n);

    // The bound channel's input buffer, or nullptr when the point holds no channel.
    float* inputFor(int point);

    // Adds every bound channel to the outputs (n samples).
    void render(int n, float* outLeft, float* outRight);

    int boundPoint(int channel) const { return channels_[static_cast<std::size_t>(channel)].point(); }

private:
    const HrirPair* pairFor(int point) const;
    std::span<BinauralChannel> used() { return {channels_.data(), static_cast<std::size_t>(count_)}; }

    std::array<BinauralChannel, kMaxChannels> channels_;
    int count_ = kChannels;
    const HrirSet* set_ = nullptr;
};

}  // namespace halcyra
