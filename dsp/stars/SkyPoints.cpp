#include "dsp/stars/SkyPoints.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

namespace {
constexpr double kGoldenAngle = 2.399963229728653;
}

SkyPoints::SkyPoints() {
    for (int i = 0; i < kCount; ++i) {
        const double r = std::sqrt((i + 0.5) / kCount);
        const double theta = kGoldenAngle * i;
        x_[i] = r * std::cos(theta);
        y_[i] = r * std::sin(theta);
        azimuth_[i] = static_cast<float>(std::clamp(90.0 * x_[i], -90.0, 90.0));
        elevation_[i] = static_cast<float>(std::clamp(27.5 * y_[i] + 17.5, -10.0, 45.0));
    }
}

int SkyPoints::nearest(float azimuthDeg, float elevationDeg) const {
    if (!std::isfinite(azimuthDeg) || !std::isfinite(elevationDeg)) return -1;
    int best = 0;
    double bestDistance = INFINITY;
    for (int i = 0; i < kCount; ++i) {
        const double da = static_cast<double>(azimuth_[i]) - azimuthDeg;
        const double de = static_cast<double>(elevation_[i]) - elevationDeg;
        const double d = da * da + de * de;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

const SkyPoints& skyPoints() {
    static const SkyPoints points;
    return points;
}

}  // namespace halcyra
