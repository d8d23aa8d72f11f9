#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "plugin/LowShelf.h"

namespace halcyra {
namespace {

std::vector<float> noise(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> v(n);
    for (float& x : v) x = d(rng);
    return v;
}

TEST(LowShelf, SixDecibelsBelowTheCornerNothingAtTheTop) {
    auto settled = [](bool nyquist) {
        LowShelf s;
        s.prepare(48000.0);
        std::vector<float> l(20000), r(20000);
        for (int i = 0; i < 20000; ++i) l[i] = r[i] = (nyquist && i % 2) ? -1.0f : 1.0f;
        s.process(l.data(), r.data(), 20000, 250.0f, 6.0f, 48000.0);
        return std::fabs(l.back());
    };
    EXPECT_NEAR(settled(false), std::pow(10.0f, 6.0f / 20.0f), 1e-3f);
    EXPECT_NEAR(settled(true), 1.0f, 1e-3f);
}

TEST(LowShelf, ZeroDecibelsBypassesAndForgetsHistory) {
    LowShelf s;
    s.prepare(48000.0);
    std::vector<float> l = noise(512, 1), r = noise(512, 2);
    s.process(l.data(), r.data(), 512, 250.0f, 6.0f, 48000.0);

    const std::vector<float> inL = noise(512, 3), inR = noise(512, 4);
    std::vector<float> bl = inL, br = inR;
    s.process(bl.data(), br.data(), 512, 250.0f, 0.0f, 48000.0);
    EXPECT_EQ(bl, inL);
    EXPECT_EQ(br, inR);

    // Back at +6 dB the shelf starts from silence, exactly like a fresh one.
    std::vector<float> a = inL, b = inR, fa = inL, fb = inR;
    s.process(a.data(), b.data(), 512, 250.0f, 6.0f, 48000.0);
    LowShelf fresh;
    fresh.prepare(48000.0);
    fresh.process(fa.data(), fb.data(), 512, 250.0f, 6.0f, 48000.0);
    EXPECT_EQ(a, fa);
    EXPECT_EQ(b, fb);
}

TEST(LowShelf, ChannelsKeepSeparateHistoriesAndClearResets) {
    LowShelf s;
    s.prepare(48000.0);
    std::vector<float> l = noise(256, 5), r(256, 0.0f);
    s.process(l.data(), r.data(), 256, 250.0f, 6.0f, 48000.0);
    for (float x : r) ASSERT_EQ(x, 0.0f);

    s.clear();
    std::vector<float> a(64, 0.0f), b(64, 0.0f);
    s.process(a.data(), b.data(), 64, 250.0f, 6.0f, 48000.0);
    for (float x : a) ASSERT_EQ(x, 0.0f);  // no ringing left over from before the clear
}

TEST(LowShelf, RedesignsWhenTheSampleRateChanges) {
    LowShelf s;
    std::vector<float> l(1), r(1);
    s.process(l.data(), r.data(), 1, 250.0f, 6.0f, 48000.0);
    const LowShelf::Coefficients at48 = s.coefficients();
    s.process(l.data(), r.data(), 1, 250.0f, 6.0f, 96000.0);
    EXPECT_NE(s.coefficients().b1, at48.b1);
    s.process(l.data(), r.data(), 1, 250.0f, 6.0f, 48000.0);
    EXPECT_EQ(s.coefficients().b1, at48.b1);
    EXPECT_EQ(s.coefficients().a1, at48.a1);
}

}  // namespace
}  // namespace halcyra
