#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/stars/ShimmerLine.h"
#include "support/AllocationCounter.h"

namespace halcyra {
namespace {

TEST(ShimmerLine, ImpulseFirstAppearsAfterTheMainDelay) {
    for (double sr : {44100.0, 48000.0}) {
        for (int index = 0; index < ShimmerLine::kLines; ++index) {
            ShimmerLine line;
            line.prepare(sr, index, 16384);
            const int d = line.mainDelay();
            EXPECT_EQ(d, static_cast<int>(std::nearbyint((90.0 + 40.0 * index) * 0.001 * sr)));
            std::vector<float> x(16384, 0.0f), y(16384, 0.0f);
            x[0] = 1.0f;
            line.processLine(x.data(), 16384, y.data());
            for (int i = 0; i < d; ++i) ASSERT_EQ(y[static_cast<std::size_t>(i)], 0.0f) << i;
            EXPECT_GT(std::fabs(y[static_cast<std::size_t>(d)]), 0.01f);
            // The all-pass's feedback ring adds a second tap d samples later.
            EXPECT_GT(std::fabs(y[static_cast<std::size_t>(d + line.feedbackDelay())]), 0.01f);
        }
    }
}

TEST(ShimmerLine, StaysFiniteAndBoundedUnderLongNoise) {
    ShimmerLine line;
    line.prepare(48000.0, 2, 512);
    std::mt19937 rng(17);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> x(512), y(512), loop(512);
    float peak = 0.0f, loopPeak = 0.0f;
    for (int block = 0; block < 48000 * 60 / 512; ++block) {  // a minute of full-scale noise
        for (float& v : x) v = d(rng);
        line.process(x.data(), 512, y.data());
        for (float v : y) {
            ASSERT_TRUE(std::isfinite(v));
            peak = std::max(peak, std::fabs(v));
        }
    }
    // The loop gain stays below 0.75, so the line's level settles: input gain 0.25
    // over (1 - 0.75) bounds its steady level near unity.
    EXPECT_LT(peak, 8.0f);
    EXPECT_GT(peak, 0.05f);
    ShimmerLine raw;
    raw.prepare(48000.0, 0, 512);
    for (int block = 0; block < 48000 * 20 / 512; ++block) {
        for (float& v : x) v = d(rng);
        raw.processLine(x.data(), 512, loop.data());
        for (float v : loop) loopPeak = std::max(loopPeak, std::fabs(v));
    }
    EXPECT_LT(loopPeak, 4.0f);
}

TEST(ShimmerLine, NonFiniteExcitationIsDropped) {
    ShimmerLine line;
    line.prepare(44100.0, 1, 256);
    std::vector<float> x(256, 0.1f), y(256);
    x[10] = std::nanf("");
    x[11] = INFINITY;
    for (int b = 0; b < 200; ++b) {
        line.process(x.data(), 256, y.data());
        for (float v : y) ASSERT_TRUE(std::isfinite(v));
    }
}

TEST(ShimmerLine, ClearReturnsToTheFreshState) {
    ShimmerLine a, b;
    a.prepare(48000.0, 1, 300);
    b.prepare(48000.0, 1, 300);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> x(9000), ya(9000), yb(9000);
    for (float& v : x) v = d(rng);
    a.process(x.data(), 9000, ya.data());  // longer than the capacity: done in chunks
    a.clear();
    a.process(x.data(), 9000, ya.data());
    for (std::size_t pos = 0; pos < 9000; pos += 300) b.process(x.data() + pos, 300, yb.data() + pos);
    EXPECT_EQ(ya, yb);
}

TEST(ShimmerLine, ProcessDoesNotAllocate) {
    ShimmerLine line;
    line.prepare(48000.0, 0, 4096);
    std::vector<float> x(4096, 0.3f), y(4096);
    test::AllocationCounter counter;
    for (int n : {4096, 64, 1, 4096}) line.process(x.data(), n, y.data());
    EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace halcyra
