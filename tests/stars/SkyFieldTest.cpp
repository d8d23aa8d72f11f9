// The sky field: point layout, determinism, the zero-length step, jumps and their
// pre-roll, calibration, and staying finite and in range over long runs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "dsp/stars/SkyField.h"
#include "dsp/stars/SkyPoints.h"

using namespace halcyra;

namespace {
std::array<double, 12> defaults() {
    std::array<double, 12> t{};
    std::memcpy(t.data(), SkyField::kDefaultTargets, sizeof(double) * 12);
    return t;
}
}  // namespace

TEST(SkyPoints, LayoutAndDirections) {
    const SkyPoints& p = skyPoints();
    // Point 0 sits on the positive x axis at radius sqrt(0.5/128).
    EXPECT_NEAR(p.x(0), std::sqrt(0.5 / 128.0), 1e-15);
    EXPECT_EQ(p.y(0), 0.0);
    EXPECT_NEAR(p.azimuth(0), 5.625f, 1e-4f);
    EXPECT_FLOAT_EQ(p.elevation(0), 17.5f);
    for (int i = 0; i < SkyPoints::kCount; ++i) {
        EXPECT_LE(std::hypot(p.x(i), p.y(i)), 1.0);
        EXPECT_GE(p.azimuth(i), -90.0f);
        EXPECT_LE(p.azimuth(i), 90.0f);
        EXPECT_GE(p.elevation(i), -10.0f);
        EXPECT_LE(p.elevation(i), 45.0f);
    }
    // The outermost point is near the rim.
    EXPECT_NEAR(std::hypot(p.x(127), p.y(127)), std::sqrt(127.5 / 128.0), 1e-12);
}

TEST(SkyPoints, NearestPointForDirectionsOutsideTheSky) {
    const SkyPoints& p = skyPoints();
    for (float az : {-170.0f, -30.0f, 0.0f, 12.0f, 95.0f}) {
        for (float el : {-60.0f, 20.0f, 80.0f, 300.0f}) {
            const int chosen = p.nearest(az, el);
            ASSERT_GE(chosen, 0);
            const double best = std::pow(p.azimuth(chosen) - az, 2.0) + std::pow(p.elevation(chosen) - el, 2.0);
            for (int i = 0; i < SkyPoints::kCount; ++i) {
                const double d = std::pow(p.azimuth(i) - az, 2.0) + std::pow(p.elevation(i) - el, 2.0);
                EXPECT_GE(d, best) << "point " << i << " is closer than " << chosen;
                if (d == best) {
                    EXPECT_GE(i, chosen) << "ties go to the lowest index";
                }
            }
        }
    }
    // Exactly on a point.
    EXPECT_EQ(p.nearest(p.azimuth(77), p.elevation(77)), 77);
    EXPECT_EQ(p.nearest(NAN, 10.0f), -1);
}

TEST(SkyField, SameSeedAndStepsGiveBitIdenticalValues) {
    SkyField a(1337), b(1337), c(4242);
    const double steps[] = {0.0, 32.0 / 48000.0, 0.05, 128.0 / 44100.0, 0.2};
    bool seedMatters = false;
    for (int i = 0; i < 600; ++i) {
        const double dt = steps[i % 5];
        const float* va = a.step(dt);
        const float* vb = b.step(dt);
        const float* vc = c.step(dt);
        ASSERT_EQ(std::memcmp(va, vb, sizeof(float) * SkyField::kPointCount), 0) << "step " << i;
        seedMatters = seedMatters || std::memcmp(va, vc, sizeof(float) * SkyField::kPointCount) != 0;
    }
    EXPECT_TRUE(seedMatters);
    // Re-initialising restarts the same sequence, whose first values are pinned:
    // the permutation shuffle and the order of the clouds' draws both show in them.
    a.init(1337, SkyField::kDefaultTargets);
    SkyField fresh(1337);
    SkyField pinned(1337);
    const float* first = pinned.step(0.05);
    EXPECT_NEAR(first[0], 0.0970096f, 1e-6f);
    EXPECT_NEAR(first[64], 0.6149501f, 1e-6f);
    EXPECT_NEAR(first[127], 0.1128506f, 1e-6f);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(std::memcmp(a.step(0.05), fresh.step(0.05), sizeof(float) * SkyField::kPointCount), 0);
}

TEST(SkyField, ZeroLengthStepChangesNothing) {
    SkyField field(1337);
    for (int i = 0; i < 40; ++i) field.step(0.05);
    float before[SkyField::kPointCount];
    std::memcpy(before, field.values(), sizeof before);
    const double tau = field.skyTime();
    for (double dt : {0.0, -0.01, static_cast<double>(NAN)}) {
        const float* after = field.step(dt);
        EXPECT_EQ(field.skyTime(), tau);
        EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    }
}

TEST(SkyField, ValuesStayInRangeAndFormClouds) {
    SkyField field(1337);
    float lowest = 1.0f, highest = 0.0f;
    for (int i = 0; i < 2000; ++i) {
        const float* v = field.step(0.05);
        for (int j = 0; j < SkyField::kPointCount; ++j) {
            ASSERT_TRUE(std::isfinite(v[j]));
            ASSERT_GE(v[j], 0.0f);
            ASSERT_LE(v[j], 1.0f);
            lowest = std::min(lowest, v[j]);
            highest = std::max(highest, v[j]);
        }
    }
    // Clouds come and go: the sky is neither blank nor uniform.
    EXPECT_GT(highest - lowest, 0.3f);
}

TEST(SkyField, JumpSetsCurrentsAndSizesThePreRollFromSkySpeed) {
    SkyField field(1337);
    auto targets = defaults();
    targets[SkyField::kWind] = 0.0;
    targets[SkyField::kSkySpeed] = 0.4;  // the mapping's sky speed with "Wind" at 0
    field.jumpTo(targets.data());
    EXPECT_EQ(field.currents()[SkyField::kSkySpeed], 0.4);
    EXPECT_EQ(field.targets()[SkyField::kSkySpeed], 0.4);
    EXPECT_EQ(field.jumpPrerollSteps(), 500);

    targets[SkyField::kSkySpeed] = 1.6;
    field.jumpTo(targets.data());
    EXPECT_EQ(field.jumpPrerollSteps(), 125);
    targets[SkyField::kSkySpeed] = 0.0005;
    field.jumpTo(targets.data());
    EXPECT_EQ(field.jumpPrerollSteps(), 200);

    // Non-finite targets never reach the field.
    targets[SkyField::kSkySpeed] = NAN;
    field.jumpTo(targets.data());
    EXPECT_EQ(field.currents()[SkyField::kSkySpeed], 0.0005);

    // The pre-roll ends where that many plain 50 ms steps end, and goes on alike.
    targets[SkyField::kSkySpeed] = 0.4;
    SkyField jumped(1337), stepped(1337);
    for (int i = 0; i < 30; ++i) {
        jumped.step(0.01);
        stepped.step(0.01);
    }
    EXPECT_EQ(jumped.jump(targets.data()), 500);
    stepped.jumpTo(targets.data());
    for (int i = 0; i < 500; ++i) stepped.step(SkyField::kPrerollStepSeconds);
    EXPECT_EQ(jumped.skyTime(), stepped.skyTime());
    for (int i = 0; i < 20; ++i) {
        for (int j = 0; j < SkyField::kPointCount; ++j) ASSERT_NEAR(jumped.values()[j], stepped.values()[j], 1e-6f) << j;
        jumped.step(0.003);
        stepped.step(0.003);
    }
}

TEST(SkyField, SetTargetsGlidesCurrents) {
    SkyField field(1337);
    auto targets = defaults();
    targets[SkyField::kWind] = 2.0;
    targets[SkyField::kCloudCountTarget] = 11.0;
    field.setTargets(targets.data());
    EXPECT_EQ(field.currents()[SkyField::kWind], SkyField::kDefaultTargets[SkyField::kWind]);
    field.step(1.0);
    // Cloud count is copied; wind glides with a 1 s time constant.
    EXPECT_EQ(field.currents()[SkyField::kCloudCountTarget], 11.0);
    EXPECT_NEAR(field.currents()[SkyField::kWind], 0.5 + (2.0 - 0.5) * (1.0 - std::exp(-1.0)), 1e-12);
}

TEST(SkyField, CalibrationIsDeterministicAndPositive) {
    const float a = SkyField::calibrate(SkyField::kDefaultTargets, 1.5, 1337, 750.0);
    const float b = SkyField::calibrate(SkyField::kDefaultTargets, 1.5, 1337, 750.0);
    EXPECT_EQ(a, b);
    EXPECT_GT(a, 0.0f);
    EXPECT_LE(a, 128.0f);
    // Rates at or below 1 fall back to 750.
    EXPECT_EQ(SkyField::calibrate(SkyField::kDefaultTargets, 1.5, 1337, 0.5), a);
    // Full haze lifts every point to at least 0.7, and the total with it.
    auto hazy = defaults();
    hazy[SkyField::kHaze] = 1.0;
    const float hazyWeight = SkyField::calibrate(hazy.data(), 1.5, 1337, 750.0);
    EXPECT_GE(hazyWeight, 128.0f * std::pow(0.7f, 1.5f));
    EXPECT_GT(hazyWeight, a);
    // No haze and no contrast: an empty sky still returns the floor.
    auto empty = defaults();
    empty[SkyField::kHaze] = 0.0;
    empty[SkyField::kSizeScale] = 0.0;
    EXPECT_FLOAT_EQ(SkyField::calibrate(empty.data(), 1.5, 1337, 750.0), 1e-4f);
}

TEST(SkyField, DaysOfSkyTimeStayFinite) {
    SkyField field(1337);
    auto fast = defaults();
    fast[SkyField::kSkySpeed] = 1.6;
    field.jumpTo(fast.data());
    // A day of sky time in coarse steps, then ordinary sub-blocks.
    for (int i = 0; i < 8640; ++i) field.step(10.0);
    EXPECT_GT(field.skyTime(), 86400.0);
    for (int i = 0; i < 200; ++i) {
        const float* v = field.step(32.0 / 48000.0);
        for (int j = 0; j < SkyField::kPointCount; ++j) ASSERT_TRUE(v[j] >= 0.0f && v[j] <= 1.0f);
    }
}
