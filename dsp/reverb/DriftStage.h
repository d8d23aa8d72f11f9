// Slow, opposite movement of the reverb's two output channels: a gentle
// high-frequency tilt and a small level swing that rise on one side while they
// fall on the other, at a rate that follows the wind. Runs in place on the
// reverb output, once per sub-block, on the audio thread only.
#pragma once

#include <cmath>

namespace halcyra {

class DriftStage {
public:
    // Any rate that is not a positive number runs the stage at 48000 Hz.
    void prepare(double sampleRate);
    // Phase back to 0, smoothed rate straight to the target, filter states zeroed.
    void clear();
    void process(float* left, float* right, int count);

    void setTargetRate(float hz) { targetRate_ = hz; }

    float phase() const { return theta_; }
    float smoothedRate() const { return rate_; }
    float sampleRate() const { return fs_; }
    // Lets tests start the movement at a chosen point of its cycle.
    void setPhase(float theta) {  // any angle; kept in [0, 2π) as the per-sample swing needs
        constexpr float kTwoPi = 6.2831855f;
        theta_ = std::isfinite(theta) ? theta - kTwoPi * std::floor(theta / kTwoPi) : 0.0f;
        if (!(theta_ < kTwoPi)) theta_ = 0.0f;
    }

private:
    struct Shelf {
        float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
        float z1 = 0.0f, z2 = 0.0f;
        void design(double gainDb, double cosW, double sinW);
    };

    void updateRateCoefficient(int count);

    float fs_ = 48000.0f;
    float theta_ = 0.0f;
    float targetRate_ = 0.11f;
    float rate_ = 0.11f;
    Shelf left_;
    Shelf right_;
    // 2500 Hz is fixed, so its trigonometry is computed once per sample rate.
    double cosW_ = 1.0;
    double sinW_ = 0.0;
    int coefficientCount_ = -1;  // block length the rate coefficient was computed for
    float rateCoefficient_ = 0.0f;
};

// The level swing at drift phase theta (radians, [0, 2π)): 10^(0.03 sin theta).
float driftSwing(float theta);

}  // namespace halcyra
