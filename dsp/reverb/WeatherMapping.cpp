#include "dsp/reverb/WeatherMapping.h"

#include <algorithm>
#include <cmath>

namespace halcyra {
namespace {

struct WindCurve {
    double depth;
    double rate;
};

// Calm air barely moves the tails; from a light breeze upwards depth and rate
// climb together. The knee at 0.15 keeps the default breeze at depth 0.35 / rate 1.
WindCurve windCurve(double wind) {
    if (!(wind >= 0.0)) return {0.1, 0.55};  // negative or NaN: the calmest setting
    const double w = std::min(wind, 1.0);
    if (w <= 0.15) {
        const double v = w / 0.15;
        return {0.35 * v + 0.1 * (1.0 - v), 0.55 * (1.0 - v) + v};
    }
    const double u = (w - 0.15) / 0.85;
    return {0.85 * u + 0.35 * (1.0 - u), 2.6 * u + (1.0 - u)};
}

}  // namespace

ReverbSettings computeWeatherMapping(const WeatherInput& in, float calibration) {
    // Everything here is set-up arithmetic: work in double, store as float.
    const double X = in.weather, M = in.mix, S = in.size, B = in.brightness;
    const double W = in.wind, P = in.spacing, G = in.gust, R = in.rate;
    // The running plug-in drives the sky from "Rate"; the unprimed calibration
    // pass uses "Weather" instead.
    const double g = in.primed ? R : X;
    const double sizeReach = std::clamp(1.9375 * S, 0.0, 1.0);
    const WindCurve wind = windCurve(W);

    ReverbSettings s;
    s.decayTime = static_cast<float>(9.3 * S + 1.2);
    s.lowDecayRatio = 1.3f;
    s.dampingFrequency = static_cast<float>(2500.0 * std::pow(3.6, B));
    s.highDecayRatio = static_cast<float>(0.4 * B + 0.45);
    s.inputTone = static_cast<float>(0.5 * B + 0.5);
    s.modDepth = static_cast<float>(wind.depth);
    s.modRate = static_cast<float>(wind.rate);
    s.crossFeed = 0.12f;
    s.glideSize = static_cast<float>(sizeReach * 0.7 + 0.2);
    s.width = 0.75f;

    s.skyTargets[0] = 8.0 * g + 3.0;
    s.skyTargets[2] = 0.5 * g + 0.22;
    s.skyTargets[4] = 2.0 * W;
    s.skyTargets[6] = 1.2 * W + 0.4;
    s.skyTargets[7] = 0.7 * g + 0.15;
    s.skyTargets[8] = 0.25 * g + 0.3;
    // Targets 1, 3, 5, 9, 10 and 11 keep the record's defaults.

    s.eventRate = static_cast<float>(12.0 * g + 1.0);
    s.calibration = calibration > 0.0f ? calibration : 1.0f;
    s.onsetBoost = static_cast<float>(in.primed ? (1.6 * R + 0.4) * R : (1.6 * X + 0.4) * G);
    s.pitchBase = static_cast<float>((0.9 * sizeReach + 0.65) * 110.0);
    s.colour = static_cast<float>(0.84 - 0.22 * g);
    s.brightness = in.brightness;
    s.driftRate = static_cast<float>(0.2 * W + 0.03);
    s.spacing = static_cast<float>(0.65 * P + 0.35);
    s.mixFraction = static_cast<float>(M * 0.01);
    s.monitor = in.monitor;
    return s;
}

}  // namespace halcyra
