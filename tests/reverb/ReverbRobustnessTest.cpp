#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "dsp/reverb/ReverbEngine.h"

namespace halcyra {
namespace {

// Hosts and validators prepare at odd rates and then push loud, hostile signals
// with every control at its extremes; nothing may read outside a line or blow up.
TEST(ReverbRobustness, OddRatesAndExtremeControlsStayFinite) {
    for (double fs : {1.0, 100.0, 1234.5678, 8000.0, 22050.0, 384000.0, 705600.0}) {
        SCOPED_TRACE(fs);
        ReverbEngine e;
        e.prepare(fs, 512);
        std::vector<float> in(512), l(512), r(512);
        for (int setting = 0; setting < 2; ++setting) {
            const float hi = setting == 0 ? 1.0f : 0.0f;
            e.setDecayTime(setting == 0 ? 100.0f : 0.0f);
            e.setModDepth(hi * 5.0f);
            e.setModRate(hi * 100.0f);
            e.setGlideSize(hi);
            e.setCrossFeed(hi);
            e.setWidth(hi);
            e.setDampingFrequency(hi * 1e6f);
            for (int block = 0; block < 8; ++block) {
                for (int i = 0; i < 512; ++i) in[i] = (i % 3 == 0) ? 1e30f : (i % 7 == 0 ? NAN : -1.0f);
                e.process(in.data(), 512, l.data(), r.data());
                for (int i = 0; i < 512; ++i) {
                    ASSERT_TRUE(std::isfinite(l[i])) << i;
                    ASSERT_TRUE(std::isfinite(r[i])) << i;
                }
            }
        }
        EXPECT_GE(e.coefficients().glideTarget, 2);
    }
}

TEST(ReverbRobustness, LowRatesKeepTheRoundingMinima) {
    ReverbEngine e;
    e.prepare(100.0, 64);
    const auto L = e.lengths();
    for (int n : L.diffuser) EXPECT_GE(n, 2);
    for (int n : L.earlyMain) EXPECT_GE(n, 3);
    for (int n : L.earlySide) EXPECT_GE(n, 3);
    EXPECT_GE(L.glideLoop, 3);
    for (int n : L.tank) EXPECT_GE(n, 2);
    for (int n : L.earlyTapOffset) EXPECT_GE(n, 1);
}

TEST(ReverbRobustness, UnusableRatesFallBackInsteadOfDividingByZero) {
    for (double fs : {0.0, -44100.0, double(NAN), double(INFINITY)}) {
        ReverbEngine e;
        e.prepare(fs, 256);
        EXPECT_GT(e.sampleRate(), 0.0);
        EXPECT_TRUE(std::isfinite(e.sampleRate()));
        std::vector<float> in(256, 0.1f), l(256), r(256);
        e.process(in.data(), 256, l.data(), r.data());
        for (float v : l) ASSERT_TRUE(std::isfinite(v));
    }
}

TEST(ReverbRobustness, ProcessBeforePrepareIsSilent) {
    ReverbEngine e;
    std::vector<float> in(64, 1.0f), l(64, 5.0f), r(64, 5.0f);
    e.process(in.data(), 64, l.data(), r.data());
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(l[i], 0.0f);
        EXPECT_EQ(r[i], 0.0f);
    }
}

// Engines share their chunk scratch through a few process-wide slots. More engines
// than slots, each on its own thread and all at once, must each sound as one alone.
TEST(ReverbRobustness, EnginesOnManyThreadsAtOnceMatchOneAlone) {
    constexpr int kThreads = 6, kBlock = 128, kLength = 48000;
    std::vector<float> input(kLength);
    std::uint32_t seed = 99;
    for (float& v : input) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<float>(seed >> 8) * (1.0f / 16777216.0f) - 0.5f;
    }
    const auto render = [&](std::vector<float>& out) {
        ReverbEngine e;
        e.prepare(48000.0, 4096);
        std::vector<float> l(kBlock), r(kBlock);
        out.clear();
        for (int pos = 0; pos < kLength; pos += kBlock) {
            e.process(input.data() + pos, kBlock, l.data(), r.data());
            out.insert(out.end(), l.begin(), l.end());
            out.insert(out.end(), r.begin(), r.end());
        }
    };
    std::vector<float> alone;
    render(alone);
    std::vector<std::vector<float>> outs(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) threads.emplace_back(render, std::ref(outs[t]));
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(outs[t], alone) << "thread " << t;
}

}  // namespace
}  // namespace halcyra
