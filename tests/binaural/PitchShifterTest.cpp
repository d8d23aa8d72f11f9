#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "dsp/stars/PitchShifter.h"
#include "support/AllocationCounter.h"

namespace halcyra {
namespace {

std::vector<float> sine(double freq, double sr, int n, float amplitude) {
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[static_cast<std::size_t>(i)] = amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * freq * i / sr));
    return x;
}

std::vector<float> shift(PitchShifter& s, const std::vector<float>& in, int block) {
    std::vector<float> out(in.size());
    for (std::size_t pos = 0; pos < in.size(); pos += static_cast<std::size_t>(block)) {
        const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), in.size() - pos));
        s.process(in.data() + pos, out.data() + pos, n);
    }
    return out;
}

double rms(const float* x, int n) {
    double e = 0.0;
    for (int i = 0; i < n; ++i) e += static_cast<double>(x[i]) * x[i];
    return std::sqrt(e / n);
}

// Frequency of the strongest component of a Hann-windowed stretch, and the bin width.
std::pair<double, double> spectralPeak(const float* x, int n, double sr) {
    double best = 0.0, bestFreq = 0.0;
    for (int k = 1; k < n / 2; ++k) {
        double re = 0.0, im = 0.0;
        for (int i = 0; i < n; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / n);
            const double ph = 2.0 * std::numbers::pi * k * i / n;
            re += w * x[i] * std::cos(ph);
            im -= w * x[i] * std::sin(ph);
        }
        const double m = re * re + im * im;
        if (m > best) {
            best = m;
            bestFreq = k * sr / n;
        }
    }
    return {bestFreq, sr / n};
}

TEST(PitchShifter, FrameAndHopFollowTheRate) {
    PitchShifter s;
    s.prepare(44100.0, 512);
    EXPECT_EQ(s.frameSize(), 1058);
    EXPECT_EQ(s.hopSize(), 265);
    EXPECT_GE(s.fftSize(), 1058);
    s.prepare(1234.5678, 512);  // validators try odd, tiny rates
    EXPECT_EQ(s.frameSize(), 64);
    EXPECT_EQ(s.hopSize(), 16);
}

TEST(PitchShifter, SteadySineComesOutAnOctaveUpAtTheSameLevel) {
    for (double sr : {44100.0, 48000.0}) {
        for (double freq : {440.0, 1234.0}) {
            PitchShifter s;
            s.prepare(sr, 256);
            if (freq > 1000.0) s.setFrameOffset(s.hopSize() / 3);  // a staggered frame grid works alike
            const int total = static_cast<int>(sr);  // one second
            const auto in = sine(freq, sr, total, 0.5f);
            const auto out = shift(s, in, 256);
            for (float v : out) ASSERT_TRUE(std::isfinite(v));
            const int start = total / 2, len = 4096;
            const auto [peak, binWidth] = spectralPeak(out.data() + start, len, sr);
            EXPECT_NEAR(peak, 2.0 * freq, binWidth) << sr << " " << freq;
            const double ratioDb = 20.0 * std::log10(rms(out.data() + start, len) / rms(in.data() + start, len));
            EXPECT_LT(std::fabs(ratioDb), 3.0) << sr << " " << freq;
        }
    }
}

TEST(PitchShifter, SilenceInGivesSilenceOut) {
    PitchShifter s;
    s.prepare(48000.0, 128);
    const std::vector<float> silence(20000, 0.0f);
    const auto out = shift(s, silence, 128);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return v == 0.0f; }));

    // After a burst, the shifter returns to exact silence once the burst has passed.
    auto burst = sine(440.0, 48000.0, 48000, 0.5f);
    std::fill(burst.begin() + 4800, burst.end(), 0.0f);
    const auto after = shift(s, burst, 128);
    EXPECT_GT(rms(after.data(), 9600), 0.01);
    const int quietFrom = 4800 + 2 * s.latencySamples();
    EXPECT_TRUE(std::all_of(after.begin() + quietFrom, after.end(), [](float v) { return v == 0.0f; }));
}

TEST(PitchShifter, OutputDoesNotDependOnBlockSizeInPlaceUseOrSharedWork) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> in(20000);
    for (float& v : in) v = d(rng) + 0.3f * std::sin(0.05f * static_cast<float>(&v - in.data()));
    // b shares its per-frame work with a shifter fed other audio in between.
    PitchShifterWork work;
    PitchShifter a, b, c, other;
    a.prepare(44100.0, 4096);
    b.prepare(44100.0, 4096, 2.0f, &work);
    other.prepare(44100.0, 4096, 2.0f, &work);
    c.prepare(44100.0, 4096);
    const auto whole = shift(a, in, 4096);
    std::vector<float> small(in.size()), otherOut(37);
    for (std::size_t pos = 0; pos < in.size(); pos += 37) {
        const int n = static_cast<int>(std::min<std::size_t>(37, in.size() - pos));
        b.process(in.data() + pos, small.data() + pos, n);
        other.process(in.data() + (in.size() - pos - static_cast<std::size_t>(n)), otherOut.data(), n);
    }
    std::vector<float> inPlace = in;
    for (std::size_t pos = 0; pos < inPlace.size(); pos += 100)
        c.process(inPlace.data() + pos, inPlace.data() + pos, static_cast<int>(std::min<std::size_t>(100, in.size() - pos)));
    EXPECT_EQ(whole, small);
    EXPECT_EQ(whole, inPlace);
    EXPECT_GT(rms(whole.data() + 5000, 10000), 0.05);
}

// Shifters in one process share a few workspaces for their frames; with more threads
// than those, some frames run in a shifter's own. Either way nothing leaks between them.
TEST(PitchShifter, ShiftersOnSeveralThreadsAtOnceMatchOneAlone) {
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> in(30000);
    for (float& v : in) v = d(rng);
    PitchShifter alone;
    alone.prepare(44100.0, 4096);
    const auto expected = shift(alone, in, 64);
    std::vector<std::vector<float>> outputs(2 * PitchShifterWorkPool::kSlots);
    std::vector<std::thread> threads;
    for (auto& output : outputs)
        threads.emplace_back([&in, &output] {
            PitchShifter s;
            s.prepare(44100.0, 4096);
            output = shift(s, in, 64);
        });
    for (std::thread& t : threads) t.join();
    for (const auto& output : outputs) EXPECT_EQ(output, expected);
}

TEST(PitchShifter, ClearForgetsEverything) {
    PitchShifter s;
    s.prepare(48000.0, 512);
    const auto x = sine(300.0, 48000.0, 9000, 0.7f);
    const auto first = shift(s, x, 512);
    shift(s, sine(1000.0, 48000.0, 5000, 1.0f), 512);
    s.clear();
    EXPECT_EQ(shift(s, x, 512), first);
}

TEST(PitchShifter, NonFiniteInputDoesNotPoisonTheOutput) {
    PitchShifter s;
    s.prepare(48000.0, 256);
    auto x = sine(500.0, 48000.0, 24000, 0.5f);
    x[1000] = std::nanf("");
    x[1001] = INFINITY;
    const auto out = shift(s, x, 256);
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](float v) { return std::isfinite(v); }));
    EXPECT_GT(rms(out.data() + 12000, 4096), 0.1);
}

TEST(PitchShifter, ProcessDoesNotAllocate) {
    PitchShifter s;
    s.prepare(44100.0, 4096);
    std::vector<float> in(4096), out(4096);
    for (int i = 0; i < 4096; ++i) in[static_cast<std::size_t>(i)] = std::sin(0.1f * static_cast<float>(i));
    test::AllocationCounter counter;
    for (int block : {4096, 1, 17, 128, 4096}) s.process(in.data(), out.data(), block);
    EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace halcyra
