// The snapshot the audio side publishes once per block for the editor's sky view
// and meter. Every field is 32 bits wide, in this order.
#pragma once

#include <cstdint>

#include "dsp/stars/RecentEvent.h"

namespace halcyra {

inline constexpr int kSkyPointCount = 128;

struct SkyFeed {
    float weights[kSkyPointCount] = {};
    std::int32_t flashCount = 0;
    RecentEvent flashes[kMaxRecentEvents] = {};
    float reverbLevel = 0.0f;
    std::int32_t activeVoices = 0;
    float onsetGain = 0.0f;
    float peakLeft = 0.0f;
    float peakRight = 0.0f;
    float rmsLeft = 0.0f;
    float rmsRight = 0.0f;
};
static_assert(sizeof(SkyFeed) == (128 + 1 + 32 * 5 + 7) * 4);

}  // namespace halcyra
