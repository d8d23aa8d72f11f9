#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "plugin/WidthStage.h"

namespace halcyra {
namespace {

std::vector<float> noise(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-0.8f, 0.8f);
    std::vector<float> v(n);
    for (float& x : v) x = d(rng);
    return v;
}

// Runs silence until the smoothed width and mid gain have settled.
void settle(WidthStage& w) {
    std::vector<float> l(512, 0.0f), r(512, 0.0f);
    for (int i = 0; i < 400; ++i) w.process(l.data(), r.data(), 512);
}

TEST(WidthStage, HeadphonesAtFullWidthPassesStereoUnchanged) {
    WidthStage w;
    w.setSpeakers(false);
    w.setWidthTarget(1.0f);
    w.prepare(48000.0);
    const std::vector<float> inL = noise(2000, 1), inR = noise(2000, 2);
    std::vector<float> l = inL, r = inR;
    // Several calls so the side ring wraps: its delayed copy must not leak in.
    for (int o = 0; o < 2000; o += 500) w.process(l.data() + o, r.data() + o, 500);
    for (int i = 0; i < 2000; ++i) {
        ASSERT_NEAR(l[i], inL[i], 1e-6f) << i;
        ASSERT_NEAR(r[i], inR[i], 1e-6f) << i;
    }
    EXPECT_FLOAT_EQ(w.width(), 1.0f);
    EXPECT_FLOAT_EQ(w.midGain(), 1.0f);
}

TEST(WidthStage, SpeakersSettleNarrowerWithDelayedSide) {
    WidthStage w;
    w.setSpeakers(false);
    w.setWidthTarget(1.0f);
    w.prepare(48000.0);
    EXPECT_EQ(w.ringLength(), 388);
    EXPECT_EQ(w.delaySamples(), 384);

    w.setSpeakers(true);
    settle(w);
    EXPECT_NEAR(w.width(), 0.6f, 1e-5f);
    EXPECT_NEAR(w.midGain(), 1.048f, 1e-5f);

    // A left-only impulse: mid and narrowed side at once, 0.22 of the side 384 samples later.
    w.clear();
    std::vector<float> l(1000, 0.0f), r(1000, 0.0f);
    l[0] = 1.0f;
    w.process(l.data(), r.data(), 1000);
    EXPECT_NEAR(l[0], 0.5f * 1.048f + 0.5f * 0.6f, 1e-5f);
    EXPECT_NEAR(r[0], 0.5f * 1.048f - 0.5f * 0.6f, 1e-5f);
    EXPECT_NEAR(l[384], 0.5f * 0.22f, 1e-6f);
    EXPECT_NEAR(r[384], -0.5f * 0.22f, 1e-6f);
    for (int i = 1; i < 1000; ++i) {
        if (i == 384) continue;
        ASSERT_EQ(l[i], 0.0f) << i;
    }
}

TEST(WidthStage, MonoPassesAsMidTimesMidGain) {
    WidthStage w;
    w.setSpeakers(true);
    w.setWidthTarget(0.3f);
    w.prepare(48000.0);
    settle(w);
    const float expectedGain = (1.0f - 0.3f * 0.75f) * 0.12f + 1.0f;
    EXPECT_NEAR(w.midGain(), expectedGain, 1e-5f);
    std::vector<float> l = noise(800, 3), r = l;
    const std::vector<float> in = l;
    w.process(l.data(), r.data(), 800);
    for (int i = 0; i < 800; ++i) {
        ASSERT_NEAR(l[i], in[i] * w.midGain(), 1e-6f);
        ASSERT_EQ(l[i], r[i]);
    }
}

TEST(WidthStage, NegativeTargetCollapsesToMono) {
    WidthStage w;
    w.setSpeakers(false);
    w.setWidthTarget(-0.5f);
    w.prepare(48000.0);
    std::vector<float> l = noise(300, 4), r = noise(300, 5);
    w.process(l.data(), r.data(), 300);
    EXPECT_EQ(w.width(), 0.0f);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(l[i], r[i]);
}

TEST(WidthStage, RingFollowsTheSampleRateAndClearForgetsTheDelayedSide) {
    WidthStage w;
    w.prepare(44100.0);
    EXPECT_EQ(w.ringLength(), 357);  // ceil(352.8) + 4
    EXPECT_EQ(w.delaySamples(), 353);
    w.prepare(1234.5678);
    EXPECT_EQ(w.ringLength(), 14);
    EXPECT_EQ(w.delaySamples(), 10);
    w.prepare(0.0);  // unusable rate counts as 48 kHz
    EXPECT_EQ(w.ringLength(), 388);

    w.setSpeakers(true);
    w.setWidthTarget(1.0f);
    settle(w);
    std::vector<float> l(100, 0.0f), r(100, 0.0f);
    l[99] = 1.0f;
    w.process(l.data(), r.data(), 100);
    const float widthBefore = w.width();
    w.clear();
    EXPECT_EQ(w.width(), widthBefore);
    std::vector<float> l2(1000, 0.0f), r2(1000, 0.0f);
    w.process(l2.data(), r2.data(), 1000);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(l2[i], 0.0f) << i;
}

TEST(WidthStage, NonFiniteResultsBecomeZero) {
    WidthStage w;
    w.prepare(48000.0);
    std::vector<float> l(16, 0.1f), r(16, 0.1f);
    l[2] = std::numeric_limits<float>::infinity();
    r[2] = -std::numeric_limits<float>::infinity();
    w.process(l.data(), r.data(), 16);
    for (int i = 0; i < 16; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << i;
}

}  // namespace
}  // namespace halcyra
