#include <gtest/gtest.h>

#include <cmath>

#include "dsp/reverb/CycleSine.h"

namespace halcyra {
namespace {

TEST(CycleSine, WithinOneMillionthOfTheLibrarySineOverAWholeCycle) {
    double worst = 0.0;
    constexpr int kSteps = 1 << 22;
    for (int i = 0; i < kSteps; ++i) {
        const float c = static_cast<float>(i) / static_cast<float>(kSteps);
        worst = std::max(worst, std::fabs(double(sineOfCycles(c)) - double(std::sin(6.2831855f * c))));
        worst = std::max(worst, std::fabs(double(sineOfCycles(c)) - std::sin(2.0 * M_PI * double(c))));
    }
    // The largest float below 1 folds onto the first sample of the next cycle.
    const float last = std::nextafter(1.0f, 0.0f);
    worst = std::max(worst, std::fabs(double(sineOfCycles(last)) - std::sin(2.0 * M_PI * double(last))));
    EXPECT_LT(worst, 1e-6);
}

TEST(CycleSine, QuarterPointsAreExactEnough) {
    EXPECT_EQ(sineOfCycles(0.0f), 0.0f);
    EXPECT_NEAR(sineOfCycles(0.25f), 1.0f, 2e-7);
    EXPECT_NEAR(sineOfCycles(0.5f), 0.0f, 1e-7);
    EXPECT_NEAR(sineOfCycles(0.75f), -1.0f, 2e-7);
}

TEST(CycleSine, BatchMatchesTheScalarFormExactly) {
    float at[20], batch[20];
    for (int round = 0; round < 5000; ++round) {
        for (int i = 0; i < 20; ++i) at[i] = static_cast<float>((round * 20 + i) % 99991) / 99991.0f;
        sinesOfCycles(at, batch);
        for (int i = 0; i < 20; ++i) ASSERT_EQ(batch[i], sineOfCycles(at[i])) << at[i];
        if (!__builtin_cpu_supports("avx2")) continue;
        sinesOfCyclesAvx2(at, batch);
        for (int i = 0; i < 20; ++i) ASSERT_EQ(batch[i], sineOfCycles(at[i])) << "eight lanes at " << at[i];
    }
}

}  // namespace
}  // namespace halcyra
