#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "dsp/reverb/DriftStage.h"

namespace halcyra {
namespace {

constexpr float kHalfPi = 1.5707964f;

// A stage frozen at one phase: rate 0, so the phase does not move.
DriftStage frozenAt(float theta) {
    DriftStage d;
    d.setTargetRate(0.0f);
    d.prepare(48000.0);
    d.setPhase(theta);
    return d;
}

TEST(DriftStage, QuarterPhaseIsPureLevelSwing) {
    DriftStage d = frozenAt(kHalfPi);
    // Alternating samples excite the top of the spectrum, where a shelf would show.
    std::vector<float> l(256), r(256);
    for (int i = 0; i < 256; ++i) l[i] = r[i] = (i % 2 == 0) ? 0.5f : -0.5f;
    d.process(l.data(), r.data(), 256);
    const float up = std::pow(10.0f, 0.03f), down = std::pow(10.0f, -0.03f);
    for (int i = 0; i < 256; ++i) {
        const float x = (i % 2 == 0) ? 0.5f : -0.5f;
        ASSERT_NEAR(l[i], x * up, 1e-6f) << i;
        ASSERT_NEAR(r[i], x * down, 1e-6f) << i;
    }
    EXPECT_FLOAT_EQ(d.phase(), kHalfPi);
}

// The swing is computed without a library pow and sin: within float rounding of them
// over the whole cycle.
TEST(DriftStage, LevelSwingMatchesTheLibraryPowerOfTen) {
    double worst = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const float theta = 6.2831855f * static_cast<float>(i) / 100000.0f;
        const double exact = std::pow(10.0, 0.03 * std::sin(static_cast<double>(theta)));
        worst = std::max(worst, std::fabs(driftSwing(theta) / exact - 1.0));
    }
    EXPECT_LT(worst, 3e-7);
}

TEST(DriftStage, ZeroPhaseTiltsHighsOppositeWithoutLevelChange) {
    // Steady-state gain at DC and at Nyquist after the filters settle.
    auto settledGain = [](bool nyquist) {
        DriftStage d = frozenAt(0.0f);
        std::vector<float> l(4000), r(4000);
        for (int i = 0; i < 4000; ++i) l[i] = r[i] = (nyquist && i % 2) ? -1.0f : 1.0f;
        d.process(l.data(), r.data(), 4000);
        return std::pair{std::fabs(l.back()), std::fabs(r.back())};
    };
    const auto [dcL, dcR] = settledGain(false);
    EXPECT_NEAR(dcL, 1.0f, 1e-4f);
    EXPECT_NEAR(dcR, 1.0f, 1e-4f);
    const auto [hiL, hiR] = settledGain(true);
    EXPECT_NEAR(hiL, std::pow(10.0f, 0.4f / 20.0f), 1e-4f);
    EXPECT_NEAR(hiR, std::pow(10.0f, -0.4f / 20.0f), 1e-4f);
}

TEST(DriftStage, MonoInputLeavesDifferentChannels) {
    DriftStage d;
    d.setTargetRate(0.23f);
    d.prepare(48000.0);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    float largest = 0.0f;
    for (int block = 0; block < 40; ++block) {
        std::vector<float> l(512), r(512);
        for (int i = 0; i < 512; ++i) l[i] = r[i] = noise(rng);
        d.process(l.data(), r.data(), 512);
        for (int i = 0; i < 512; ++i) largest = std::max(largest, std::fabs(l[i] - r[i]));
    }
    EXPECT_GT(largest, 1e-3f);
}

TEST(DriftStage, PhaseFollowsTheRateAndWraps) {
    DriftStage d;
    d.setTargetRate(0.25f);
    d.prepare(48000.0);
    EXPECT_FLOAT_EQ(d.smoothedRate(), 0.25f);  // prepare starts at the target
    std::vector<float> l(4800, 0.0f), r(4800, 0.0f);
    for (int i = 0; i < 10; ++i) d.process(l.data(), r.data(), 4800);
    EXPECT_NEAR(d.phase(), kHalfPi, 1e-3f);  // a quarter cycle in one second
    for (int i = 0; i < 40; ++i) d.process(l.data(), r.data(), 4800);
    EXPECT_GE(d.phase(), 0.0f);  // five seconds: wrapped past a full cycle
    EXPECT_LT(d.phase(), 6.2831855f);
    // A float phase gathers rounding as it grows; a hundredth of a radian is inaudible.
    EXPECT_NEAR(d.phase(), 5 * kHalfPi - 6.2831855f, 0.02f);

    // A new target is approached over 150 ms per call.
    d.setTargetRate(0.05f);
    d.process(l.data(), r.data(), 4800);
    EXPECT_NEAR(d.smoothedRate(), 0.25f + (1.0f - std::exp(-4800.0f / 7200.0f)) * (0.05f - 0.25f), 1e-6f);
    d.clear();
    EXPECT_FLOAT_EQ(d.smoothedRate(), 0.05f);
    EXPECT_FLOAT_EQ(d.phase(), 0.0f);
}

TEST(DriftStage, IgnoresMissingBuffersAndRecoversFromNonFiniteInput) {
    DriftStage d;
    d.prepare(-1.0);  // unusable rate runs at 48 kHz
    EXPECT_FLOAT_EQ(d.sampleRate(), 48000.0f);
    std::vector<float> l(64, 0.25f), r(64, 0.25f);
    d.process(nullptr, r.data(), 64);
    d.process(l.data(), r.data(), 0);
    EXPECT_EQ(l, std::vector<float>(64, 0.25f));
    EXPECT_FLOAT_EQ(d.phase(), 0.0f);

    l[3] = std::numeric_limits<float>::quiet_NaN();
    r[5] = std::numeric_limits<float>::infinity();
    d.process(l.data(), r.data(), 64);
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << i;
    // The next call is back to normal sound, not stuck at zero.
    std::vector<float> l2(64, 0.25f), r2(64, 0.25f);
    d.process(l2.data(), r2.data(), 64);
    EXPECT_NEAR(l2.back(), 0.25f, 0.02f);
    EXPECT_NEAR(r2.back(), 0.25f, 0.02f);
}

}  // namespace
}  // namespace halcyra
