// The sample rates the plug-in plays at. Every length the engines derive from the
// rate (delay lines, filter frames, ramps) is sized and converted to an integer
// from it, so a rate outside this range is refused before anything is prepared.
#pragma once

namespace halcyra {

inline constexpr double kLowestSampleRate = 1000.0;
// Eight times 192 kHz: well above any studio rate and the odd rates hosts and
// validators try (1234567.8 Hz), while preparing still takes a bounded time.
inline constexpr double kHighestSampleRate = 1536000.0;

// False for NaN, infinities and anything outside the range.
inline bool isPlayableSampleRate(double sampleRate) {
    return sampleRate >= kLowestSampleRate && sampleRate <= kHighestSampleRate;
}

}  // namespace halcyra
