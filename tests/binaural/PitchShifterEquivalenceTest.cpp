// The optimised shifter against the original one-bin-at-a-time code it replaced
// (ReferencePitchShifter). Both are run on the same few seconds of signal; given the
// same angle function the optimised one may differ only by rounding noise, never by a
// different decision. Its polynomial angle is checked against atan2 on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "binaural/ReferencePitchShifter.h"
#include "dsp/stars/PitchShifter.h"
#include "dsp/stars/PitchShifterKernels.h"

namespace halcyra {
namespace {

// Largest sample difference the optimised path may show, relative to the output peak.
constexpr double kTolerance = 1e-4;

// Noise with a gliding tone on top, a stretch of silence with a lone click, then a
// constant offset: frames full of peaks, silent frames, frames restarting after
// silence and frames with energy but no peak at all.
std::vector<float> testSignal(double sr, double seconds, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 0.1f);
    const int n = static_cast<int>(seconds * sr);
    std::vector<float> x(static_cast<std::size_t>(n));
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double f = 300.0 + 900.0 * i / n;
        phase += 2.0 * std::numbers::pi * f / sr;
        x[static_cast<std::size_t>(i)] = noise(rng) + 0.4f * static_cast<float>(std::sin(phase));
    }
    const auto quietFrom = static_cast<std::ptrdiff_t>(0.6 * n), quietTo = static_cast<std::ptrdiff_t>(0.7 * n);
    std::fill(x.begin() + quietFrom, x.begin() + quietTo, 0.0f);
    x[static_cast<std::size_t>(quietFrom + (quietTo - quietFrom) / 2)] = 0.8f;
    std::fill(x.begin() + quietTo, x.begin() + static_cast<std::ptrdiff_t>(0.8 * n), 0.3f);
    return x;
}

template <typename Shifter>
std::vector<float> render(Shifter& s, std::vector<float> x, int block) {
    for (std::size_t pos = 0; pos < x.size(); pos += static_cast<std::size_t>(block)) {
        const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), x.size() - pos));
        s.process(x.data() + pos, x.data() + pos, n);
    }
    return x;
}

struct Difference {
    double largest = 0.0, peak = 0.0;
    double errorEnergy = 0.0, energy = 0.0;
    double errorDb() const { return 10.0 * std::log10(errorEnergy / energy); }
};

Difference compare(const std::vector<float>& a, const std::vector<float>& b) {
    Difference d;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double error = static_cast<double>(a[i]) - b[i];
        d.largest = std::max(d.largest, std::fabs(error));
        d.peak = std::max(d.peak, std::fabs(static_cast<double>(b[i])));
        d.errorEnergy += error * error;
        d.energy += static_cast<double>(b[i]) * b[i];
    }
    return d;
}

TEST(PitchShifterEquivalence, MatchesTheOriginalPerBinShifter) {
    struct Case {
        double rate;
        int block, offset;
        float factor;
    };
    for (const Case c : {Case{48000.0, 128, 0, 2.0f}, Case{44100.0, 37, 90, 2.0f}, Case{96000.0, 512, 0, 2.0f},
                         Case{48000.0, 64, 0, 1.5f}}) {
        PitchShifter fast;
        test::ReferencePitchShifter reference, original;
        fast.prepare(c.rate, c.block, c.factor);
        reference.prepare(c.rate, c.block, c.factor);
        original.prepare(c.rate, c.block, c.factor);
        reference.setAngleFunction(shifter::phaseAngle);
        fast.setFrameOffset(c.offset);
        reference.setFrameOffset(c.offset);
        original.setFrameOffset(c.offset);
        const auto x = testSignal(c.rate, 3.0, 11);
        const auto got = render(fast, x, c.block);
        const Difference d = compare(got, render(reference, x, c.block));
        EXPECT_GT(d.peak, 0.1) << c.rate;  // the comparison is over real output
        EXPECT_LE(d.largest, kTolerance * d.peak) << c.rate << " Hz, factor " << c.factor;
        // Against std::atan2 an angle a rounding apart may tip a knife-edge choice
        // (a phase wrap, a knot 0.5 bin from the last); the sound stays the same.
        EXPECT_LT(compare(got, render(original, x, c.block)).errorDb(), -85.0) << c.rate << " Hz";
    }
}

TEST(PitchShifterEquivalence, StaysWithTheOriginalAfterClear) {
    PitchShifter fast;
    test::ReferencePitchShifter reference;
    fast.prepare(48000.0, 256);
    reference.prepare(48000.0, 256);
    reference.setAngleFunction(shifter::phaseAngle);
    render(fast, testSignal(48000.0, 0.5, 3), 256);
    fast.clear();
    const auto x = testSignal(48000.0, 1.5, 4);
    const Difference d = compare(render(fast, x, 256), render(reference, x, 256));
    EXPECT_GT(d.peak, 0.1);
    EXPECT_LE(d.largest, kTolerance * d.peak);
}

TEST(PitchShifterEquivalence, PhaseAngleStaysWithinFloatRoundingOfAtan2) {
    // Every direction, magnitudes from 1e-20 to 1e20, and the axes.
    double worst = 0.0;
    auto check = [&](float y, float x) {
        const double error = std::fabs(shifter::phaseAngle(y, x) - std::atan2(static_cast<double>(y), x));
        worst = std::max(worst, error);
    };
    constexpr int kSteps = 1 << 20;
    for (int k = 0; k <= kSteps; ++k) {
        const double theta = std::numbers::pi * (2.0 * k / kSteps - 1.0);
        const double r = std::pow(10.0, k % 41 - 20);
        check(static_cast<float>(r * std::sin(theta)), static_cast<float>(r * std::cos(theta)));
    }
    for (const float a : {1.0f, -1.0f}) {
        check(a, 0.0f);
        check(0.0f, a);
    }
    EXPECT_EQ(shifter::phaseAngle(0.0f, 0.0f), 0.0f);
    EXPECT_LT(worst, 3.5e-7);  // the float library's own atan2 is 2.5e-7 off at worst
}

}  // namespace
}  // namespace halcyra
