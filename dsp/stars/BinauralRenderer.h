// The eight binaural channels and the rules that bind star voices to them: voices at
// the same sky point share a channel, a channel is kept while any voice uses its
// point, and a voice that finds no free channel stays silent until one frees up.
#pragma once

#include <array>

#include "dsp/stars/BinauralChannel.h"
#include "dsp/stars/HrirSet.h"

namespace halcyra {

class BinauralRenderer {
public:
    static constexpr int kChannels = 8;

    // set may be null or unloaded: every channel then uses the 0.7071 spread.
    void prepare(double sampleRate, int blockCapacity, const HrirSet* set);
    void clear();

    // active[i] / points[i]: voice slot i (slot order decides who gets a channel first).
    // Frees channels no active voice uses, binds new points to the lowest free channel
    // and zeroes n samples of every bound channel's input.
    void bind(const bool* active, const int* points, int voiceCount, int n);

    // The bound channel's input buffer, or nullptr when the point holds no channel.
    float* inputFor(int point);

    // Adds every bound channel to the outputs (n samples).
    void render(int n, float* outLeft, float* outRight);

    int boundPoint(int channel) const { return channels_[static_cast<std::size_t>(channel)].point(); }

private:
    const HrirPair* pairFor(int point) const;

    std::array<BinauralChannel, kChannels> channels_;
    const HrirSet* set_ = nullptr;
};

}  // namespace halcyra
