// Small pieces of arithmetic the block driver shares with its tests.
#pragma once

#include <algorithm>
#include <cmath>

namespace halcyra {

// One step of a linear ramp: moves by at most `step` and lands exactly on the target.
inline float rampToward(float value, float target, float step) {
    const float d = target - value;
    if (std::fabs(d) <= step) return target;
    return d > 0.0f ? value + step : value - step;
}

// Level settings at or below -47 dB count as off.
inline float levelDbToGain(float db) { return db <= -47.0f ? 0.0f : static_cast<float>(std::pow(10.0, db / 20.0)); }

// Leaves |x| <= 0.5 untouched and bends anything louder with a tanh knee so the
// result approaches, and never passes, 1.0.
inline float softClip(float x) {
    const float a = std::fabs(x);
    if (!(a > 0.5f)) return x;
    const float bent = 0.5f + 0.5f * std::tanh((a - 0.5f) * 2.0f);
    return x < 0.0f ? -bent : bent;
}

// Input samples are held within +30 dBFS: hotter material would leave the soft
// clip saturated anyway, and a burst of garbage from upstream (1e30 is finite)
// cannot drive the reverb for minutes.
inline constexpr double kInputLimit = 32.0;

// Mono fold of one input frame: non-finite samples count as silence, finite ones
// are held within the input limit, and anything below -90 dBFS is gated to exact
// zero so the reverb tail can fall silent.
inline float foldToMono(double left, double right) {
    const float l = std::isfinite(left) ? static_cast<float>(std::clamp(left, -kInputLimit, kInputLimit)) : 0.0f;
    const float r = std::isfinite(right) ? static_cast<float>(std::clamp(right, -kInputLimit, kInputLimit)) : 0.0f;
    const float m = (l + r) * 0.5f;
    return m * m < 1e-9f ? 0.0f : m;
}

}  // namespace halcyra
