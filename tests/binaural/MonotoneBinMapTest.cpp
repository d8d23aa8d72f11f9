#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/stars/MonotoneBinMap.h"
#include "dsp/stars/PitchShifterKernels.h"

namespace halcyra {
namespace {

constexpr int kBins = 64;

// Knots like the shifter's: origin, peaks at factor 2 (some close, one flat stretch),
// far end at (bins - 1) / 2.
struct Knots {
    std::vector<float> x{0.0f, 10.0f, 11.0f, 25.0f, 40.0f, 47.0f, 63.0f};
    std::vector<float> y{0.0f, 5.0f, 5.5f, 12.5f, 12.5f, 23.5f, 31.5f};
};

TEST(MonotoneBinMap, PassesThroughTheKnotsWithoutTurningBack) {
    const Knots k;
    MonotoneBinMap map;
    map.prepare(kBins, 16);
    map.build(k.x.data(), k.y.data(), static_cast<int>(k.x.size()));
    for (std::size_t i = 0; i < k.x.size(); ++i)
        EXPECT_NEAR(map.position()[static_cast<int>(k.x[i])], k.y[i], 1e-5f) << "knot " << i;
    // Interior peaks with room either side keep slope 1, so a partial keeps its shape.
    EXPECT_NEAR(map.gradient()[11], 1.0f, 1e-5f);
    // Next to a flat stretch the slope is limited to 0.
    EXPECT_NEAR(map.gradient()[25], 0.0f, 1e-5f);
    for (int b = 1; b < kBins; ++b) {
        // Rounding of the cubic's weights may dip by an ulp, never by more.
        EXPECT_GE(map.position()[b], map.position()[b - 1] - 1e-5f) << b;
        EXPECT_GE(map.gradient()[b], 0.0f) << b;
    }
    // A flat stretch between two knots at the same input bin stays flat: no overshoot.
    for (int b = 25; b <= 40; ++b) EXPECT_NEAR(map.position()[b], 12.5f, 1e-5f) << b;
    // The gradient is the position's derivative (checked where the segment is smooth).
    for (int b : {3, 17, 33, 55})
        EXPECT_NEAR(map.gradient()[b], 0.5f * (map.position()[b + 1] - map.position()[b - 1]), 0.05f) << b;
}

TEST(MonotoneBinMap, BinsOnAKnotBelongToTheSegmentEndingThere) {
    const Knots k;
    MonotoneBinMap map;
    map.prepare(kBins, 16);
    map.build(k.x.data(), k.y.data(), static_cast<int>(k.x.size()));
    EXPECT_EQ(map.segment()[0], 0);
    EXPECT_EQ(map.segment()[10], 0);
    EXPECT_EQ(map.segment()[11], 1);
    EXPECT_EQ(map.segment()[12], 2);
    EXPECT_EQ(map.segment()[63], 5);
    // Only the two end knots: one segment over everything.
    const float ends[2] = {0.0f, 63.0f}, ys[2] = {0.0f, 31.5f};
    map.build(ends, ys, 2);
    EXPECT_EQ(map.segment()[63], 0);
    EXPECT_NEAR(map.position()[40], 20.0f, 1e-5f);
}

// The owner of a bin comes from its segment's two knots; check against a plain search
// over every peak on dense, random peak sets (the shifter sees one peak per three bins).
TEST(MonotoneBinMap, NearestPeakFromTheSegmentMatchesAFullSearch) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> gap(0.5f, 4.0f);
    MonotoneBinMap map;
    map.prepare(kBins, kBins);
    std::vector<int> owner(kBins);
    for (int round = 0; round < 200; ++round) {
        std::vector<float> x{0.0f}, y{0.0f};
        for (float at = gap(rng); at < 62.0f; at += gap(rng)) {
            // Now and then exactly on a bin or exactly between two, to hit ties.
            const float snapped = round % 3 == 0 ? std::round(at * 2.0f) / 2.0f : at;
            if (snapped > x.back() + 0.5f && snapped < 63.0f) x.push_back(snapped);
        }
        for (std::size_t i = 1; i < x.size(); ++i) y.push_back(x[i] / 2.0f);
        x.push_back(63.0f);
        y.push_back(31.5f);
        const int peaks = static_cast<int>(x.size()) - 2;
        if (peaks < 1) continue;
        map.build(x.data(), y.data(), static_cast<int>(x.size()));
        shifter::nearestPeaks(map.segment(), x.data() + 1, peaks, kBins, owner.data());
        for (int b = 0; b < kBins; ++b) {
            int best = 0;
            for (int p = 1; p < peaks; ++p)
                if (std::fabs(x[static_cast<std::size_t>(p + 1)] - static_cast<float>(b)) <
                    std::fabs(x[static_cast<std::size_t>(best + 1)] - static_cast<float>(b)))
                    best = p;
            ASSERT_EQ(owner[static_cast<std::size_t>(b)], best) << "round " << round << " bin " << b;
        }
    }
}

}  // namespace
}  // namespace halcyra
