#include "dsp/reverb/ReverbLengths.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "dsp/reverb/LengthRegistry.h"

namespace halcyra {
namespace {

// The registry order matters: every choice depends on the ones before it.
constexpr float kRegisteredOnly[6] = {0.031f, 0.037f, 0.041f, 0.043f, 0.047f, 0.053f};
constexpr float kFdnDelay[6] = {0.011f, 0.013f, 0.017f, 0.019f, 0.023f, 0.029f};
constexpr float kDiffuser[7] = {0.0013f, 0.0027f, 0.0045f, 0.0073f, 0.0115f, 0.0167f, 0.0219f};
// Decorrelators interleave left and right: L1, R1, L2, R2.
constexpr float kDecorrelator[4] = {0.0009f, 0.0011f, 0.0017f, 0.0023f};
constexpr float kEarlyMain[5] = {0.0015f, 0.0023f, 0.0031f, 0.0037f, 0.0043f};
constexpr float kEarlySide[3] = {0.0007f, 0.0013f, 0.0021f};
constexpr float kFdnAllpass[6] = {0.013f, 0.016f, 0.020f, 0.023f, 0.028f, 0.033f};
constexpr float kGlideLoop = 0.1705f;
constexpr float kGlideSeeds[5] = {0.009f, 0.053f, 0.071f, 0.089f, 0.113f};

// Classic plate sample counts at 29761 Hz.
constexpr double kPlateRate = 29761.0;
constexpr double kPlateInput[4] = {142, 107, 379, 277};
constexpr double kTankSegment[8] = {672, 4453, 1800, 3720, 908, 4217, 2656, 3163};
constexpr double kTapLeft[6] = {0.06, 0.4, 0.28, 0.1, 0.54, 0.18};
constexpr double kTapRight[6] = {0.16, 0.5, 0.38, 0.2, 0.64, 0.28};

int roundHalfUpAtLeast2(double x) { return std::max(2, static_cast<int>(x + 0.5)); }

void deriveEarlyTaps(ReverbLengths& out, float fs) {
    std::uint32_t state = 0x9E3779B9u;
    int largest = 0;
    double energy = 0.0;
    std::array<double, ReverbLengths::kEarlyTaps> gains{};
    for (int i = 0; i < ReverbLengths::kEarlyTaps; ++i) {
        state = state * 1664525u + 1013904223u;
        const float u = static_cast<float>(state >> 8) * (1.0f / 16777216.0f);
        // A jittered comb of reflections roughly 0.85 ms apart.
        const float o = (u - 0.5f) * 0.9f + (0.85f * static_cast<float>(i) + 1.0f);
        const int offset = std::max(1, static_cast<int>(std::max(o, 1.0f) * 0.001f * fs + 0.5f));
        // Raised-cosine window peaking at 8 ms, falling faster after the peak.
        const double t = (static_cast<double>(o) - 8.0) / 30.0;
        double v = std::fabs(t) < 1.0 ? 0.5 * std::cos(M_PI * t) + 0.5 : 0.0;
        if (o > 8.0f) v *= v;
        gains[i] = 0.95 * v + 0.05;
        energy += gains[i] * gains[i];
        out.earlyTapOffset[i] = offset;
        largest = std::max(largest, offset);
    }
    const double norm = energy > 1e-12 ? 1.0 / std::sqrt(energy) : 1.0;
    for (int i = 0; i < ReverbLengths::kEarlyTaps; ++i) out.earlyTapGain[i] = static_cast<float>(gains[i] * norm);
    out.earlyTapCapacity = std::max(2, largest) + 2;
}

void derivePlate(ReverbLengths& out, double fs) {
    const double r = fs / kPlateRate;
    for (int i = 0; i < 4; ++i) out.plateInput[i] = roundHalfUpAtLeast2(kPlateInput[i] * r);
    out.tankSum = 0;
    for (int i = 0; i < 8; ++i) {
        out.tank[i] = roundHalfUpAtLeast2(kTankSegment[i] * 0.7 * r);
        out.tankSum += out.tank[i];
    }
    out.tankExcursion = static_cast<float>(std::max(1.0, 5.6 * r));
    for (int k = 0; k < 6; ++k) {
        const int segment = out.tank[kTankTapSegment[k]];
        const auto tap = [segment](double factor) {
            return std::clamp(static_cast<int>(factor * segment + 0.5), 1, segment - 1);
        };
        out.tankTapLeft[k] = tap(kTapLeft[k]);
        out.tankTapRight[k] = tap(kTapRight[k]);
    }
}

}  // namespace

ReverbLengths deriveReverbLengths(double sampleRate) {
    ReverbLengths out;
    const float fs = static_cast<float>(sampleRate);
    LengthRegistry registry;
    const auto formA = [&](float s) { return registry.add(roundToOddA(samplesFromSeconds(s, fs))); };
    const auto formB = [&](float s) { return registry.add(roundToOddB(samplesFromSeconds(s, fs))); };

    for (int i = 0; i < 6; ++i) out.registeredOnly[i] = formA(kRegisteredOnly[i]);
    for (int i = 0; i < 6; ++i) out.fdnDelay[i] = formA(kFdnDelay[i]);
    for (int i = 0; i < 7; ++i) out.diffuser[i] = formA(kDiffuser[i]);
    out.decorrelatorLeft[0] = formB(kDecorrelator[0]);
    out.decorrelatorRight[0] = formB(kDecorrelator[1]);
    out.decorrelatorLeft[1] = formB(kDecorrelator[2]);
    out.decorrelatorRight[1] = formB(kDecorrelator[3]);
    for (int i = 0; i < 5; ++i) out.earlyMain[i] = formB(kEarlyMain[i]);
    for (int i = 0; i < 3; ++i) out.earlySide[i] = formB(kEarlySide[i]);
    for (int i = 0; i < 6; ++i) out.fdnAllpass[i] = formA(kFdnAllpass[i]);
    out.glideLoop = formB(kGlideLoop);
    for (int i = 0; i < 5; ++i) out.glideSeeds[i] = formB(kGlideSeeds[i]);

    deriveEarlyTaps(out, fs);
    derivePlate(out, sampleRate);
    out.glideCapacity = 256 + static_cast<int>(2.6 * out.glideLoop);
    return out;
}

}  // namespace halcyra
