// Output silence flags: a channel is reported silent when every sample of the block
// is below a level no listener hears, so hosts can skip work after the tail has died
// away. Never set for a block that still carries the tail above that level.
#pragma once

#include <cmath>
#include <cstdint>

namespace halcyra::vst3 {

inline constexpr double kSilenceThreshold = 1e-5;  // -100 dBFS

template <typename Sample>
std::uint64_t silenceFlagsOf(const Sample* const* channels, int numChannels, int frames) {
    std::uint64_t flags = 0;
    for (int c = 0; c < numChannels && c < 64; ++c) {
        const Sample* x = channels[c];
        if (!x) continue;
        bool silent = true;
        for (int i = 0; i < frames && silent; ++i) silent = std::abs(double(x[i])) < kSilenceThreshold;
        if (silent) flags |= std::uint64_t(1) << c;
    }
    return flags;
}

}  // namespace halcyra::vst3
