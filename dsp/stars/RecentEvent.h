// One recently started star, as the editor draws it: five 32-bit values.
#pragma once

#include <cstdint>

namespace halcyra {

struct RecentEvent {
    std::int32_t point = -1;  // sky point 0..127, -1 = none
    float gain = 0.0f;
    std::int32_t ageSamples = 0;
    std::int32_t type = 0;
    float levelDb = -120.0f;
};
static_assert(sizeof(RecentEvent) == 20);

inline constexpr int kMaxRecentEvents = 32;

}  // namespace halcyra
