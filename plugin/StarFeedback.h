// The reverb input with the stars fed back: mono + mix x feedback. Only `fresh`
// samples of feedback (the previous sub-block's length) are current; past them the
// buffer still holds older stars, which must not be replayed, so they count as zero.
#pragma once

#include <algorithm>

namespace halcyra {

inline void mixStarFeedback(const float* mono, const float* feedback, int fresh, float mix, int n, float* out) {
    const int current = std::clamp(fresh, 0, n);
    for (int i = 0; i < current; ++i) out[i] = mono[i] + mix * feedback[i];
    std::copy(mono + current, mono + n, out + current);
}

}  // namespace halcyra
