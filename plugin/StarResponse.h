// The star response delay in whole milliseconds, from the "Response" value (0..3000)
// and "Response Mode": milliseconds as set, or one to eight beats of the host tempo
// (120 bpm when the host gives none).
#pragma once

#include <algorithm>
#include <cmath>

namespace halcyra {

inline int starResponseMs(double response, int responseMode, double tempo) {
    double ms = response;
    if (responseMode == 1) {
        const double beats = std::clamp(std::round(7.0 * (response / 3000.0)) + 1.0, 1.0, 8.0);
        const double bpm = tempo > 0.0 && std::isfinite(tempo) ? tempo : 120.0;
        ms = beats * 60000.0 / bpm;
    }
    if (!std::isfinite(ms)) return 0;
    // std::round: halves away from zero.
    const double rounded = std::round(std::min(ms, 1e9));
    return rounded < 0.0 ? 0 : static_cast<int>(rounded);
}

}  // namespace halcyra
