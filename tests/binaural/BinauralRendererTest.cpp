#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/stars/BinauralChannel.h"
#include "dsp/stars/BinauralRenderer.h"
#include "dsp/stars/EmbeddedKemar.h"
#include "dsp/stars/HrirSet.h"
#include "dsp/stars/StereoConvolution.h"

namespace halcyra {
namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 128;

struct Voices {
    bool active[8] = {};
    int points[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
    void set(int slot, int point) {
        active[slot] = true;
        points[slot] = point;
    }
    void stop(int slot) { active[slot] = false; }
};

std::vector<float> randomSignal(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> x(static_cast<std::size_t>(n));
    for (float& v : x) v = d(rng);
    return x;
}

HrirSet kemarSetFor(const std::vector<float>& az, const std::vector<float>& el) {
    HrirSet set;
    EXPECT_TRUE(set.build(kemarSofaData(), kemarSofaSize(), kRate, static_cast<int>(az.size()), az.data(), el.data()));
    return set;
}

TEST(BinauralRenderer, FallbackAddsExactlyPointSevenOneToBothSides) {
    HrirSet unloaded;
    BinauralRenderer r;
    r.prepare(kRate, kBlock, &unloaded);
    Voices v;
    v.set(3, 42);
    r.bind(v.active, v.points, 8, kBlock);
    float* in = r.inputFor(42);
    ASSERT_NE(in, nullptr);
    const auto x = randomSignal(kBlock, 1);
    std::copy(x.begin(), x.end(), in);
    std::vector<float> left(kBlock, 0.25f), right(kBlock, -0.5f);  // render adds
    r.render(kBlock, left.data(), right.data());
    for (int i = 0; i < kBlock; ++i) {
        EXPECT_EQ(left[static_cast<std::size_t>(i)], 0.25f + 0.7071f * x[static_cast<std::size_t>(i)]);
        EXPECT_EQ(right[static_cast<std::size_t>(i)], -0.5f + 0.7071f * x[static_cast<std::size_t>(i)]);
    }
    // No set at all behaves the same.
    BinauralRenderer none;
    none.prepare(kRate, kBlock, nullptr);
    none.bind(v.active, v.points, 8, kBlock);
    ASSERT_NE(none.inputFor(42), nullptr);
    none.inputFor(42)[0] = 1.0f;
    std::vector<float> l(kBlock, 0.0f), rr(kBlock, 0.0f);
    none.render(kBlock, l.data(), rr.data());
    EXPECT_EQ(l[0], 0.7071f);
    EXPECT_EQ(rr[0], 0.7071f);
}

TEST(BinauralRenderer, BindingSharesPointsUsesLowestFreeChannelAndQueuesTheNinth) {
    HrirSet unloaded;
    BinauralRenderer r;
    r.prepare(kRate, kBlock, &unloaded);
    Voices v;
    v.set(0, 10);
    v.set(1, 10);  // same point: one channel
    r.bind(v.active, v.points, 8, kBlock);
    EXPECT_EQ(r.boundPoint(0), 10);
    EXPECT_EQ(r.boundPoint(1), -1);

    for (int s = 1; s < 8; ++s) v.set(s, 20 + s);  // eight distinct points now
    r.bind(v.active, v.points, 8, kBlock);
    for (int c = 0; c < 8; ++c) EXPECT_EQ(r.boundPoint(c), c == 0 ? 10 : 20 + c);

    // Slot 0 moves to a ninth point while the other seven still hold theirs, and point 10
    // has no voice any more: its channel frees and the new point takes it.
    v.set(0, 99);
    r.bind(v.active, v.points, 8, kBlock);
    EXPECT_EQ(r.boundPoint(0), 99);

    // With eight distinct points bound and a ninth voice wanting another, it gets nothing.
    int points9[9] = {99, 21, 22, 23, 24, 25, 26, 27, 77};
    bool active9[9] = {true, true, true, true, true, true, true, true, true};
    r.bind(active9, points9, 9, kBlock);
    EXPECT_EQ(r.inputFor(77), nullptr);
    // Once a channel frees, the waiting point is bound to the lowest free one.
    active9[2] = false;  // point 22 on channel 2
    r.bind(active9, points9, 9, kBlock);
    EXPECT_EQ(r.boundPoint(2), 77);
    EXPECT_NE(r.inputFor(77), nullptr);
    EXPECT_EQ(r.inputFor(22), nullptr);
    EXPECT_EQ(r.inputFor(-1), nullptr);
}

TEST(BinauralRenderer, UnboundVoiceContributesNothingAndBindZeroesInputs) {
    HrirSet unloaded;
    BinauralRenderer r;
    r.prepare(kRate, kBlock, &unloaded);
    Voices v;
    v.set(0, 5);
    r.bind(v.active, v.points, 8, kBlock);
    std::fill_n(r.inputFor(5), kBlock, 1.0f);
    r.bind(v.active, v.points, 8, kBlock);  // next sub-block: the buffer starts empty again
    std::vector<float> l(kBlock, 0.0f), rr(kBlock, 0.0f);
    r.render(kBlock, l.data(), rr.data());
    EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](float s) { return s == 0.0f; }));
    v.stop(0);
    r.bind(v.active, v.points, 8, kBlock);
    EXPECT_EQ(r.boundPoint(0), -1);
}

TEST(BinauralRenderer, TwoVoicesAtOnePointAreConvolvedTogether) {
    const auto set = kemarSetFor({40.0f, -70.0f}, {10.0f, 0.0f});
    BinauralRenderer shared, single;
    shared.prepare(kRate, kBlock, &set);
    single.prepare(kRate, kBlock, &set);
    Voices two, one;
    two.set(2, 1);
    two.set(5, 1);
    one.set(0, 1);
    const auto a = randomSignal(4 * kBlock, 3), b = randomSignal(4 * kBlock, 4);
    std::vector<float> l2(kBlock), r2(kBlock), l1(kBlock), r1(kBlock);
    for (int blk = 0; blk < 4; ++blk) {
        std::fill(l2.begin(), l2.end(), 0.0f);
        std::fill(r2.begin(), r2.end(), 0.0f);
        std::fill(l1.begin(), l1.end(), 0.0f);
        std::fill(r1.begin(), r1.end(), 0.0f);
        shared.bind(two.active, two.points, 8, kBlock);
        single.bind(one.active, one.points, 8, kBlock);
        float* sharedIn = shared.inputFor(1);
        float* singleIn = single.inputFor(1);
        for (int i = 0; i < kBlock; ++i) {
            const auto k = static_cast<std::size_t>(blk * kBlock + i);
            sharedIn[i] += a[k];  // each voice adds its own signal
            sharedIn[i] += b[k];
            singleIn[i] = a[k] + b[k];
        }
        shared.render(kBlock, l2.data(), r2.data());
        single.render(kBlock, l1.data(), r1.data());
        EXPECT_EQ(shared.boundPoint(0), 1);
        EXPECT_EQ(shared.boundPoint(1), -1);
        for (int i = 0; i < kBlock; ++i) {
            ASSERT_EQ(l2[static_cast<std::size_t>(i)], l1[static_cast<std::size_t>(i)]);
            ASSERT_EQ(r2[static_cast<std::size_t>(i)], r1[static_cast<std::size_t>(i)]);
        }
    }
}

// Reference: full-length convolution of the whole signal with the taps, then each
// ear's delay with linear interpolation.
std::vector<float> referenceEar(const std::vector<float>& x, const std::vector<float>& taps, float delaySamples) {
    std::vector<double> y(x.size(), 0.0);
    for (std::size_t i = 0; i < x.size(); ++i)
        for (std::size_t j = 0; j < taps.size() && j <= i; ++j) y[i] += static_cast<double>(x[i - j]) * taps[j];
    const float d = std::clamp(delaySamples, 0.0f, 254.0f);
    const int whole = static_cast<int>(d);
    const double frac = d - whole;
    std::vector<float> out(x.size(), 0.0f);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const long a = static_cast<long>(i) - whole, b = a - 1;
        const double ya = a >= 0 ? y[static_cast<std::size_t>(a)] : 0.0;
        const double yb = b >= 0 ? y[static_cast<std::size_t>(b)] : 0.0;
        out[i] = static_cast<float>((1.0 - frac) * ya + frac * yb);
    }
    return out;
}

TEST(BinauralRenderer, ChannelMatchesReferenceAcrossUnevenSubBlocks) {
    const auto set = kemarSetFor({25.0f}, {30.0f});
    const HrirPair& pair = set.pair(0);
    BinauralChannel channel;
    channel.prepare(kRate, 512);
    channel.bind(0, &pair);
    const auto x = randomSignal(1500, 9);
    std::vector<float> left(x.size(), 0.0f), right(x.size(), 0.0f);
    std::size_t pos = 0;
    for (int n : {1, 3, 128, 512, 7, 256, 33, 500, 60}) {
        std::copy_n(x.begin() + static_cast<std::ptrdiff_t>(pos), n, channel.input());
        channel.process(n, left.data() + pos, right.data() + pos);
        pos += static_cast<std::size_t>(n);
    }
    ASSERT_EQ(pos, x.size());
    const auto refL = referenceEar(x, pair.left, static_cast<float>(kRate) * pair.leftDelay);
    const auto refR = referenceEar(x, pair.right, static_cast<float>(kRate) * pair.rightDelay);
    for (std::size_t i = 0; i < x.size(); ++i) {
        ASSERT_NEAR(left[i], refL[i], 1e-4f) << i;
        ASSERT_NEAR(right[i], refR[i], 1e-4f) << i;
    }
}

TEST(BinauralRenderer, DelaysClampTo254AndReadFractionally) {
    HrirPair impulse;
    impulse.left = {1.0f};
    impulse.right = {1.0f};
    impulse.leftDelay = static_cast<float>(300.0 / kRate);     // beyond the ring: clamped
    impulse.rightDelay = static_cast<float>(10.25 / kRate);    // between two samples
    BinauralChannel channel;
    channel.prepare(kRate, 512);
    channel.bind(0, &impulse);
    std::fill_n(channel.input(), 512, 0.0f);
    channel.input()[0] = 1.0f;
    std::vector<float> left(512, 0.0f), right(512, 0.0f);
    channel.process(512, left.data(), right.data());
    for (int i = 0; i < 512; ++i) EXPECT_EQ(left[static_cast<std::size_t>(i)], i == 254 ? 1.0f : 0.0f) << i;
    EXPECT_NEAR(right[10], 0.75f, 1e-4f);
    EXPECT_NEAR(right[11], 0.25f, 1e-4f);
    EXPECT_NEAR(right[9] + right[12], 0.0f, 1e-6f);

    // Non-finite and negative delays count as none.
    HrirPair odd = impulse;
    odd.leftDelay = std::nanf("");
    odd.rightDelay = -1.0f;
    channel.bind(0, &odd);
    std::fill_n(channel.input(), 4, 0.0f);
    channel.input()[0] = 1.0f;
    std::vector<float> l(4, 0.0f), r(4, 0.0f);
    channel.process(4, l.data(), r.data());
    EXPECT_EQ(l[0], 1.0f);
    EXPECT_EQ(r[0], 1.0f);
}

TEST(BinauralRenderer, RebindingForgetsThePreviousPointsTail) {
    HrirPair echo;
    echo.left.assign(200, 0.0f);
    echo.left[150] = 1.0f;
    echo.right = echo.left;
    BinauralChannel channel;
    channel.prepare(kRate, 128);
    channel.bind(3, &echo);
    std::fill_n(channel.input(), 128, 1.0f);
    std::vector<float> l(128, 0.0f), r(128, 0.0f);
    channel.process(128, l.data(), r.data());
    channel.bind(4, &echo);  // history from point 3 must not ring on
    std::fill_n(channel.input(), 128, 0.0f);
    std::fill(l.begin(), l.end(), 0.0f);
    channel.process(128, l.data(), r.data());
    EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](float s) { return s == 0.0f; }));
}

TEST(BinauralRenderer, OversizedBlocksAndPairsAddNothing) {
    HrirPair tooLong;
    tooLong.left.assign(300, 1.0f);
    tooLong.right.assign(300, 1.0f);
    BinauralChannel channel;
    channel.prepare(kRate, 64);
    channel.bind(0, &tooLong);
    std::fill_n(channel.input(), 64, 1.0f);
    std::vector<float> l(128, 0.0f), r(128, 0.0f);
    channel.process(64, l.data(), r.data());
    HrirPair fine;
    fine.left = {1.0f};
    fine.right = {1.0f};
    channel.bind(0, &fine);
    channel.process(128, l.data(), r.data());  // longer than the capacity
    EXPECT_TRUE(std::all_of(l.begin(), l.end(), [](float s) { return s == 0.0f; }));
}

TEST(StereoConvolution, VectorVersionsMatchThePlainSum) {
    for (int taps : {1, 5, 255, 256}) {
        for (int n : {1, 7, 31, 33, 128, 301}) {
            const auto work = randomSignal(n + taps - 1, static_cast<unsigned>(taps * 1000 + n));
            const auto hl = randomSignal(taps, 11), hr = randomSignal(taps, 12);
            std::vector<float> sl(n), sr(n), vl(n), vr(n);
            convolveStereoScalar(work.data(), hl.data(), hr.data(), taps, n, sl.data(), sr.data());
            const float tol = 1e-5f * static_cast<float>(taps);
            std::vector<StereoConvolveFn> versions = {&convolveStereoSse2, bestStereoConvolution()};
            if (hasAvx2Fma()) versions.push_back(&convolveStereoAvx2);
            for (StereoConvolveFn fn : versions) {
                std::fill(vl.begin(), vl.end(), 99.0f);
                fn(work.data(), hl.data(), hr.data(), taps, n, vl.data(), vr.data());
                for (int i = 0; i < n; ++i) {
                    ASSERT_NEAR(vl[static_cast<std::size_t>(i)], sl[static_cast<std::size_t>(i)], tol) << taps << " " << n;
                    ASSERT_NEAR(vr[static_cast<std::size_t>(i)], sr[static_cast<std::size_t>(i)], tol) << taps << " " << n;
                }
            }
        }
    }
}

}  // namespace
}  // namespace halcyra
