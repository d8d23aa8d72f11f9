// Small pieces of arithmetic the block driver shares with its tests.
#pragma once

#include <cmath>

namespace halcyra {

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

// Mono fold of one input frame: non-finite samples count as silence and anything
// below -90 dBFS is gated to exact zero so the reverb tail can fall silent.
inline float foldToMono(double left, double right) {
    // Checked after the conversion: a finite double may still overflow a float.
    float l = static_cast<float>(left);
    float r = static_cast<float>(right);
    if (!std::isfinite(l)) l = 0.0f;
    if (!std::isfinite(r)) r = 0.0f;
    const float m = (l + r) * 0.5f;
    if (!std::isfinite(m)) return 0.0f;
    return m * m < 1e-9f ? 0.0f : m;
}

}  // namespace halcyra
