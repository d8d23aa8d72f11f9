#include "editor/SkyPoints.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

SkyPointTable::SkyPointTable() {
    constexpr float kGoldenAngle = 2.3999631f;
    for (int i = 0; i < kCount; ++i) {
        const float r = std::sqrt((static_cast<float>(i) + 0.5f) / static_cast<float>(kCount));
        const float theta = static_cast<float>(i) * kGoldenAngle;
        x[i] = std::cos(theta) * r;
        y[i] = std::sin(theta) * r;
        azimuth[i] = std::clamp(90.0f * x[i], -90.0f, 90.0f);
        elevation[i] = std::clamp(27.5f * y[i] + 17.5f, -10.0f, 45.0f);
    }
}

}  // namespace halcyra
