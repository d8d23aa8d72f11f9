#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "dsp/reverb/ReverbEngine.h"

namespace halcyra {
namespace {

ReverbEngine preparedAt(double fs) {
    ReverbEngine e;
    e.prepare(fs, 4096);
    return e;
}

TEST(ReverbCoefficients, ConstructionDefaultsGiveTheReferenceValuesAt48k) {
    const ReverbEngine e = preparedAt(48000.0);
    const auto c = e.coefficients();
    EXPECT_NEAR(c.lowDecayTime, 3.9, 1e-5);
    EXPECT_NEAR(c.highDecayTime, 2.811, 1e-5);
    EXPECT_NEAR(c.gTank, 0.67723, 5e-6);
    EXPECT_NEAR(c.gLow[0], 0.98067, 5e-6);
    EXPECT_NEAR(c.gMid[0], 0.97494, 5e-6);
    EXPECT_NEAR(c.gHigh[0], 0.97328, 5e-6);
    EXPECT_NEAR(c.gAp[0], 0.97318, 5e-6);
    EXPECT_NEAR(c.cDamp, 0.55485, 5e-6);
    EXPECT_NEAR(c.c300, 0.96149, 5e-6);
    EXPECT_NEAR(c.c150, 0.98056, 5e-6);
    EXPECT_NEAR(c.c1100, 0.86590, 5e-6);
    EXPECT_NEAR(c.m1, 0.69375, 5e-6);
    EXPECT_NEAR(c.m2, 0.67625, 5e-6);
    EXPECT_NEAR(c.tankBlend, 0.133, 5e-6);
    EXPECT_NEAR(c.cTone, 0.19606, 5e-6);  // 12447 Hz corner
    EXPECT_NEAR(c.cHp, 0.98958, 5e-6);
    // Width 0.5 is the unity point of the tap taper; cross-feed starts at 0.
    EXPECT_FLOAT_EQ(c.glideTapGain, 1.45f);
    EXPECT_EQ(c.crossJ, 0.0f);
}

TEST(ReverbCoefficients, FixedMappedWidthGivesTheTunedGlideTapGain) {
    ReverbEngine e = preparedAt(48000.0);
    e.setWidth(0.75f);
    EXPECT_NEAR(e.coefficients().glideTapGain, 0.7847343f, 2e-7);
    e.setWidth(0.0f);
    EXPECT_NEAR(e.coefficients().glideTapGain, 1.45 * 1.0034622, 1e-6);
    e.setWidth(1.0f);
    EXPECT_NEAR(e.coefficients().glideTapGain, 0.0, 1e-6);
}

TEST(ReverbCoefficients, SettersClampTheirInputs) {
    ReverbEngine e = preparedAt(48000.0);
    e.setDecayTime(100.0f);
    EXPECT_EQ(e.decayTime(), 12.0f);
    e.setDecayTime(0.0f);
    EXPECT_EQ(e.decayTime(), 0.05f);
    e.setDecayTime(std::nanf(""));
    EXPECT_EQ(e.decayTime(), 0.05f) << "NaN must not replace a sane control";
    e.setDecayTime(INFINITY);
    EXPECT_EQ(e.decayTime(), 12.0f);

    e.setDampingFrequency(10.0f);
    EXPECT_NEAR(e.coefficients().cDamp, std::exp(-2.0 * M_PI * 1500.0 / 48000.0), 1e-6);
    e.setModRate(100.0f);
    EXPECT_NEAR(e.coefficients().oscIncrement, 0.2 * 8.0 / 48000.0, 1e-10);
    e.setModRate(0.0f);
    EXPECT_NEAR(e.coefficients().oscIncrement, 0.2 * 0.05 / 48000.0, 1e-12);
    e.setModDepth(5.0f);
    EXPECT_FLOAT_EQ(e.coefficients().dGlide, 12.0f);
    EXPECT_FLOAT_EQ(e.coefficients().dFdnA, 9.0f);
    EXPECT_FLOAT_EQ(e.coefficients().dFdnB, 10.2f);
    e.setCrossFeed(-3.0f);
    EXPECT_EQ(e.coefficients().crossJ, 0.0f);
    e.setCrossFeed(0.12f);
    EXPECT_NEAR(e.coefficients().crossJ, 0.0216, 1e-8);
    EXPECT_NEAR(e.coefficients().crossK, 0.01296, 1e-8);
    e.setHighDecayRatio(0.0f);  // clamps to 0.2: early tone fully dark
    EXPECT_NEAR(e.coefficients().m1, 0.3, 1e-7);
    EXPECT_NEAR(e.coefficients().m2, 0.3, 1e-7);
}

TEST(ReverbCoefficients, LongestDecayKeepsEveryLoopGainBelowOne) {
    for (double fs : {8000.0, 48000.0, 384000.0}) {
        ReverbEngine e = preparedAt(fs);
        e.setDecayTime(12.0f);
        e.setLowDecayRatio(2.0f);
        e.setHighDecayRatio(1.0f);
        const auto c = e.coefficients();
        EXPECT_EQ(c.lowDecayTime, 12.0f);
        for (int j = 0; j < 6; ++j) {
            for (float g : {c.gLow[j], c.gMid[j], c.gHigh[j], c.gAp[j]}) {
                EXPECT_GT(g, 0.0f);
                EXPECT_LE(g, 0.999999f);
            }
        }
        EXPECT_LE(c.gTank, 0.93f);
        EXPECT_GT(c.gTank, 0.85f);
    }
}

// The glide length must be coprime with the five seed lengths and be the nearest
// such length to the request (below winning ties).
void expectNearestCoprime(int found, int requested, const std::array<int, 5>& seeds) {
    const auto free = [&](int n) {
        for (int s : seeds)
            if (std::gcd(n, s) != 1) return false;
        return true;
    };
    EXPECT_TRUE(free(found)) << found;
    const int distance = std::abs(found - requested);
    for (int n = requested - distance; n <= requested + distance; ++n) {
        if (n == found || n < 2) continue;
        const bool closer = std::abs(n - requested) < distance;
        const bool tieBelow = std::abs(n - requested) == distance && n < found;
        if (closer || tieBelow) {
            EXPECT_FALSE(free(n)) << n << " beats " << found;
        }
    }
}

TEST(ReverbCoefficients, GlideSizeRetunesToTheNearestCoprimeLength) {
    ReverbEngine e = preparedAt(48000.0);
    const auto L = e.lengths();
    for (float size : {0.2f, 0.5f, 0.9f}) {
        SCOPED_TRACE(size);
        e.setGlideSize(size);
        const int requested = static_cast<int>((0.9 * size + 0.65) * 110.0 * 48.0 + 0.5);
        const auto c = e.coefficients();
        expectNearestCoprime(c.glideTarget, requested, L.glideSeeds);
        EXPECT_LE(std::abs(c.glideTapOffset - static_cast<int>(1.27 * c.glideTarget + 0.5)), 40);
        EXPECT_LE(c.glideTapOffset, L.glideCapacity - 2);
    }
    e.setGlideSize(0.2f);
    EXPECT_NEAR(e.coefficients().glideTarget, 91.3 * 48.0, 8.0);  // Size 0: 91.3 ms
}

TEST(ReverbCoefficients, GlideTargetNeverExceedsTheLoopLength) {
    for (double fs : {1234.5678, 11025.0, 44100.0, 48000.0, 96000.0, 176400.0}) {
        ReverbEngine e = preparedAt(fs);
        e.setGlideSize(1.0f);
        EXPECT_LE(e.coefficients().glideTarget, e.lengths().glideLoop) << fs;
        EXPECT_GE(e.coefficients().glideTarget, 2) << fs;
    }
}

TEST(ReverbCoefficients, ControlsSurviveARateChange) {
    ReverbEngine e = preparedAt(48000.0);
    e.setDecayTime(7.5f);
    e.setWidth(0.75f);
    e.setGlideSize(0.9f);
    e.prepare(96000.0, 4096);
    ReverbEngine fresh;
    fresh.setDecayTime(7.5f);
    fresh.setWidth(0.75f);
    fresh.setGlideSize(0.9f);
    fresh.prepare(96000.0, 4096);
    const auto a = e.coefficients(), b = fresh.coefficients();
    EXPECT_EQ(a.gTank, b.gTank);
    EXPECT_EQ(a.gMid, b.gMid);
    EXPECT_EQ(a.glideTarget, b.glideTarget);
    EXPECT_EQ(a.glideTapGain, b.glideTapGain);
    EXPECT_NEAR(a.glideTarget, (0.9 * 0.9 + 0.65) * 110.0 * 96.0, 10.0);
    EXPECT_EQ(e.glideCurrentLength(), static_cast<float>(a.glideTarget));
}

}  // namespace
}  // namespace halcyra
