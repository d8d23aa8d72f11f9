// What comes out: layouts agree, sample sizes agree, bad input stays contained,
// bypass passes the input and switches softly, host changes land before the block, nothing allocates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "FrameTestSupport.h"
#include "support/AllocationCounter.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using halcyra::host::ProcessSettings;
using namespace halcyra::test;

namespace {

constexpr ParamID kMixId = 1;
constexpr ParamID kOutputId = 11;
constexpr ParamID kBypassId = 20;

double maxDifference(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0.0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) d = std::max(d, std::fabs(a[i] - b[i]));
    return d;
}

TEST(AudioPath, MonoTrackEqualsStereoTrackWithTheSameSignalOnBothSides) {
    const std::vector<double> x = testSignal(24000, 11);
    ProcessSettings mono;
    mono.inputChannels = 1;
    auto a = startedInstance(mono);
    auto b = startedInstance(ProcessSettings{});
    const Stereo ya = render(*a, {x}, 256, true);
    const Stereo yb = render(*b, {x, x}, 256, true);
    EXPECT_GT(peak(ya.left), 1e-3);
    EXPECT_LT(maxDifference(ya.left, yb.left), 1e-9);
    EXPECT_LT(maxDifference(ya.right, yb.right), 1e-9);
}

TEST(AudioPath, SinglePrecisionMatchesDoublePrecisionWithinFloatRounding) {
    std::vector<double> x = testSignal(24000, 5);
    for (double& v : x) v = static_cast<float>(v);  // the same input is exact in both
    ProcessSettings s32, s64;
    s64.doublePrecision = true;
    auto a = startedInstance(s32);
    auto b = startedInstance(s64);
    const Stereo ya = render(*a, {x, x}, 512, false);
    const Stereo yb = render(*b, {x, x}, 512, true);
    EXPECT_GT(peak(yb.left), 1e-3);
    EXPECT_LT(maxDifference(ya.left, yb.left), 1e-6);
    EXPECT_LT(maxDifference(ya.right, yb.right), 1e-6);
}

TEST(AudioPath, InPlaceBuffersGiveTheSameResultAsSeparateOnes) {
    // Hosts may hand the same memory as input and output.
    const std::vector<double> x = testSignal(6000, 21);
    ProcessSettings s;
    s.doublePrecision = true;
    auto separate = startedInstance(s);
    auto inPlace = startedInstance(s);
    const Stereo expected = render(*separate, {x, x}, 600, true);
    std::vector<double> l(600), r(600);
    double* io[2] = {l.data(), r.data()};
    Stereo got;
    for (std::size_t pos = 0; pos < x.size(); pos += 600) {
        std::copy_n(x.begin() + static_cast<long>(pos), 600, l.begin());
        std::copy_n(x.begin() + static_cast<long>(pos), 600, r.begin());
        ASSERT_EQ(inPlace->process(io, io, 600), kResultOk);
        got.left.insert(got.left.end(), l.begin(), l.end());
        got.right.insert(got.right.end(), r.begin(), r.end());
    }
    EXPECT_EQ(maxDifference(got.left, expected.left), 0.0);
    EXPECT_EQ(maxDifference(got.right, expected.right), 0.0);
}

TEST(AudioPath, NonFiniteInputNeverReachesTheOutput) {
    std::vector<double> x = testSignal(16000, 9);
    x[100] = std::numeric_limits<double>::quiet_NaN();
    x[5000] = std::numeric_limits<double>::infinity();
    x[9000] = -std::numeric_limits<double>::infinity();
    for (bool dbl : {false, true}) {
        ProcessSettings s;
        s.doublePrecision = dbl;
        auto p = startedInstance(s);
        const Stereo y = render(*p, {x, x}, 128, dbl);
        EXPECT_TRUE(allFinite(y)) << (dbl ? "64-bit" : "32-bit");
        EXPECT_GT(peak(y.left, 10000), 0.0) << "the plug-in keeps playing after the bad samples";
    }
}

TEST(AudioPath, BypassPassesTheInputToBothOutputs) {
    const std::vector<double> x = testSignal(4000, 2);
    for (int channels : {1, 2}) {
        ProcessSettings s;
        s.inputChannels = channels;
        s.doublePrecision = true;
        auto p = startedInstance(s);
        p->queueParameter(kBypassId, 1.0);
        std::vector<double> other(x.size());
        for (std::size_t i = 0; i < x.size(); ++i) other[i] = -x[i];
        const Stereo y = channels == 1 ? render(*p, {x}, 500, true) : render(*p, {x, other}, 500, true);
        EXPECT_EQ(maxDifference(y.left, x), 0.0) << channels;
        EXPECT_EQ(maxDifference(y.right, channels == 1 ? x : other), 0.0) << channels;
        EXPECT_EQ(p->controller()->getParamNormalized(kBypassId), 1.0);
    }

    // Switched every four blocks on a steady tone: no output step larger than the
    // processed sound or the tone make themselves, and the reverb keeps running while
    // bypassed, so once a release has faded in the output is the unbypassed one exactly.
    constexpr int kBlock = 480, kBlocks = 64;
    std::vector<double> tone(kBlock * kBlocks);
    for (std::size_t i = 0; i < tone.size(); ++i) tone[i] = 0.4 * std::sin(2.0 * M_PI * 220.0 * i / 48000.0);
    ProcessSettings s;
    s.doublePrecision = true;
    auto plain = startedInstance(s);
    auto switched = startedInstance(s);
    const Stereo reference = render(*plain, {tone, tone}, kBlock, true);
    Stereo y;
    for (int b = 0; b < kBlocks; ++b) {
        switched->queueParameter(kBypassId, (b / 4) % 2);
        const std::vector<double> chunk(tone.begin() + b * kBlock, tone.begin() + (b + 1) * kBlock);
        const Stereo part = render(*switched, {chunk, chunk}, kBlock, true);
        y.left.insert(y.left.end(), part.left.begin(), part.left.end());
        y.right.insert(y.right.end(), part.right.begin(), part.right.end());
    }
    const auto maxStep = [](const std::vector<double>& v) {
        double m = 0.0;
        for (std::size_t i = 1; i < v.size(); ++i) m = std::max(m, std::fabs(v[i] - v[i - 1]));
        return m;
    };
    const double allowed = 1.2 * std::max({maxStep(reference.left), maxStep(reference.right), maxStep(tone)});
    EXPECT_LE(maxStep(y.left), allowed);
    EXPECT_LE(maxStep(y.right), allowed);
    for (int b = 8; b < kBlocks; b += 8) {
        const std::size_t from = static_cast<std::size_t>(b + 2) * kBlock, to = from + 2 * kBlock;
        for (std::size_t i = from; i < to; ++i) ASSERT_EQ(y.left[i], reference.left[i]) << i;
    }
}

TEST(AudioPath, HostChangesApplyBeforeTheBlockWithTheLastPointWinning) {
    // An impulse at full mix rings on; at mix 0 nothing follows the dry click.
    std::vector<double> impulse(48000, 0.0);
    impulse[0] = 0.5;
    const auto tailPeak = [&](double mixNormalized) {
        auto p = startedInstance(ProcessSettings{});
        p->queueParameter(kMixId, 1.0, 0);
        p->queueParameter(kMixId, mixNormalized, 100);  // the last point is the one that counts
        const Stereo y = render(*p, {impulse, impulse}, 48000, false);
        return std::max(peak(y.left, 4800), peak(y.right, 4800));
    };
    EXPECT_GT(tailPeak(1.0), 1e-4);
    EXPECT_LT(tailPeak(0.0), 1e-7);
}

TEST(AudioPath, NonFiniteHostValuesAreIgnored) {
    auto p = startedInstance(ProcessSettings{});
    p->queueParameter(kOutputId, std::numeric_limits<double>::quiet_NaN());
    p->queueParameter(kBypassId, std::numeric_limits<double>::infinity());
    const std::vector<double> x = testSignal(1024, 4);
    EXPECT_TRUE(allFinite(render(*p, {x, x}, 512, false)));
    EXPECT_DOUBLE_EQ(plainValue(*p, 11), 0.0);
    EXPECT_EQ(p->controller()->getParamNormalized(kBypassId), 0.0);
    EXPECT_NE(p->controller()->setParamNormalized(kOutputId, std::numeric_limits<double>::quiet_NaN()), kResultOk);
    EXPECT_DOUBLE_EQ(plainValue(*p, 11), 0.0);
}

TEST(AudioPath, ProcessAllocatesNothingAfterActivation) {
    auto p = makeInstance();
    ProcessSettings s;
    s.maxBlockSize = 8192;
    p->configure(s);
    {
        halcyra::test::AllocationCounter activation;
        p->start();
        // Proves the counter sees the module's own allocations (it prepares here).
        EXPECT_GT(activation.count(), 0u);
    }
    std::vector<float> inL(8192, 0.1f), inR(8192, -0.1f), outL(8192), outR(8192);
    const float* in[2] = {inL.data(), inR.data()};
    float* out[2] = {outL.data(), outR.data()};
    p->process(in, out, 512);  // first block primes smoothers
    halcyra::test::AllocationCounter counter;
    for (int i = 0; i < 40; ++i) {
        p->queueParameter(static_cast<ParamID>(i % 20), (i % 7) / 6.0);
        if (i % 10 == 0) p->queueParameter(kBypassId, (i / 10) % 2);
        p->process(in, out, i % 2 ? 8192 : 37);
    }
    EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
