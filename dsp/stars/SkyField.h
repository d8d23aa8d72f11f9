// The simulated sky: up to 24 clouds drifting, growing, fading and pulsing over the
// 128 sky points, plus a noise texture and haze. Each step advances the sky by the
// elapsed time and yields one value 0..1 per point: star weights for the scheduler,
// the picture for the editor. Deterministic: the same seed and step sequence give
// bit-identical values.
#pragma once

#include <cstdint>

#include "dsp/stars/Noise.h"

namespace halcyra {

class SkyField {
public:
    static constexpr int kPointCount = 128;
    static constexpr int kCloudCount = 24;
    static constexpr int kTargetCount = 12;

    // Target indices, as the weather mapping lays them out.
    enum Target {
        kCloudCountTarget = 0,
        kSizeScale,
        kContrast,
        kSoftness,
        kWind,
        kTextureDepth,
        kSkySpeed,
        kSteppingShare,
        kPulseDepth,
        kFadeIn,
        kFadeOut,
        kHaze
    };
    static const double kDefaultTargets[kTargetCount];

    explicit SkyField(std::uint32_t seed = 1337);

    // Restarts time, clouds and outputs from `seed`; targets and currents both
    // take the given values.
    void init(std::uint32_t seed, const double* targets);

    // Advances by dt seconds and returns the 128 point values.
    const float* step(double dt);

    // New targets; the currents glide towards them. Non-finite entries are ignored.
    void setTargets(const double* targets);
    // Targets and currents both jump (a preset recall's sky jump).
    void jumpTo(const double* targets);

    // Length of the pre-roll after a jump: enough sky time for clouds to spread.
    int jumpPrerollSteps() const;
    static constexpr double kPrerollStepSeconds = 0.05;
    // jumpTo, then the pre-roll: jumpPrerollSteps() steps of kPrerollStepSeconds.
    // Returns the number of steps.
    int jump(const double* targets);

    // Mean total point weight sum(max(v, 0)^exponent) of a fresh sky with these targets,
    // over steps 501..1250 at 1/rate seconds; the weather mapping normalises by it.
    static float calibrate(const double* targets, double exponent, std::uint32_t seed, double rate);

    const float* values() const { return output_; }
    const double* targets() const { return target_; }
    const double* currents() const { return current_; }
    double skyTime() const { return tau_; }

private:
    struct Cloud {
        double x = 0, y = 0, noiseOffset = 0, size = 0, opacity = 0, birth = 0, lifetime = 0;
        int kind = 0;  // 0 sine pulse, 1 noise flicker, 2 stepped
        double phase = 0, pulseFrequency = 0, flickerRate = 0, stepRate = 0;
        double stepTarget = 0, stepValue = 0, nextStepTime = 0, noiseSeed = 0;
        std::int64_t stepCounter = 0;
        // Per step.
        double cx = 0, cy = 0, radius = 0, pulse = 1, weight = 0;
        bool active = false;
    };

    // Only the last steps of a pre-roll can still be seen in the point values: the
    // 15 ms settling keeps 3.6 % of the value before at each 50 ms step, so after
    // eight steps what came before is far below float resolution.
    static constexpr int kSeenPrerollSteps = 8;

    // The parts of a step that carry over to later steps (currents, clocks, cloud
    // births and stepped pulses), without the point values. Returns the sky-time advance.
    double advanceTime(double dt);
    void advanceCloudState(double smoothing);
    int activeCloudCount() const;

    double nextUniform();
    void spawn(Cloud& cloud, double birth);
    void advanceClouds(int count, double smoothing);
    double pulseOf(Cloud& cloud, double smoothing) const;
    void computeTexture();
    void computePointAxes();
    const double* fixedOctaveRow(int octave, int rowOffset);

    NoiseTable noise_;
    double target_[kTargetCount];
    double current_[kTargetCount];
    Cloud clouds_[kCloudCount];
    double tau_ = 0, driftTime_ = 0, textureTime_ = 0;
    std::uint32_t generator_ = 0;
    bool initialised_ = false;

    // The haze and warp octaves sample fixed (x, y) per point: their lattice axes
    // are computed once. Octaves: haze 0/1, warp-y 0/1, warp-x 0/1.
    static constexpr int kFixedOctaves = 6;
    LatticeAxis fixedX_[kFixedOctaves][kPointCount];
    LatticeAxis fixedY_[kFixedOctaves][kPointCount];

    // A fixed octave's values in one z row of the table only change when the row
    // does, which at sky speeds happens every few seconds: keep the last two rows.
    struct RowCache {
        int offset[2] = {-1, -1};
        int lastUsed = 1;
        double row[2][kPointCount] = {};
    };
    RowCache rowCache_[kFixedOctaves];

    double pointX_[kPointCount];
    double pointY_[kPointCount];
    double haze_[kPointCount];
    double texture_[kPointCount];
    float output_[kPointCount];
};

}  // namespace halcyra
