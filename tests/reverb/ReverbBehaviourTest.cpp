#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dsp/reverb/ReverbEngine.h"
#include "dsp/reverb/WeatherMapping.h"

namespace halcyra {
namespace {

constexpr int kBlock = 512;

struct Render {
    std::vector<float> left, right, feed;
};

std::vector<float> noiseBurst(int length, int burst, std::uint32_t seed = 7) {
    std::vector<float> v(static_cast<std::size_t>(length), 0.0f);
    for (int i = 0; i < burst && i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        v[i] = static_cast<float>(seed >> 8) * (1.0f / 16777216.0f) - 0.5f;
    }
    return v;
}

Render render(ReverbEngine& e, const std::vector<float>& input, int block = kBlock) {
    Render r;
    std::vector<float> l(static_cast<std::size_t>(block)), rr(static_cast<std::size_t>(block));
    for (std::size_t pos = 0; pos < input.size(); pos += static_cast<std::size_t>(block)) {
        const int n = static_cast<int>(std::min<std::size_t>(block, input.size() - pos));
        e.process(input.data() + pos, n, l.data(), rr.data());
        r.left.insert(r.left.end(), l.begin(), l.begin() + n);
        r.right.insert(r.right.end(), rr.begin(), rr.begin() + n);
        r.feed.insert(r.feed.end(), e.diffusedFeed(), e.diffusedFeed() + n);
    }
    return r;
}

double energy(const Render& r, std::size_t from, std::size_t to) {
    double s = 0.0;
    for (std::size_t i = from; i < to; ++i) s += double(r.left[i]) * r.left[i] + double(r.right[i]) * r.right[i];
    return s;
}

void applyMapping(ReverbEngine& e, float size) {
    WeatherInput in;
    in.size = size;
    in.primed = true;
    const ReverbSettings s = computeWeatherMapping(in, 6.0f);
    e.setDecayTime(s.decayTime);
    e.setLowDecayRatio(s.lowDecayRatio);
    e.setDampingFrequency(s.dampingFrequency);
    e.setHighDecayRatio(s.highDecayRatio);
    e.setInputTone(s.inputTone);
    e.setModDepth(s.modDepth);
    e.setModRate(s.modRate);
    e.setCrossFeed(s.crossFeed);
    e.setGlideSize(s.glideSize);
    e.setWidth(s.width);
}

TEST(ReverbBehaviour, SilentInputAfterClearStillRingsFromTheTankSeed) {
    ReverbEngine e;
    e.prepare(48000.0, 4096);
    const Render r = render(e, std::vector<float>(48000, 0.0f));
    const double first = energy(r, 0, 24000);
    EXPECT_GT(first, 1e-9);
    EXPECT_LT(energy(r, 24000, 48000), first);
    for (float f : r.feed) ASSERT_EQ(f, 0.0f) << "the diffused feed only carries input";
}

TEST(ReverbBehaviour, ZeroCountLeavesStateAndBuffersUntouched) {
    ReverbEngine a, b;
    a.prepare(48000.0, 4096);
    b.prepare(48000.0, 4096);
    const std::vector<float> input = noiseBurst(4096, 2000);
    render(a, input);
    render(b, input);
    float sentinelL = 123.0f, sentinelR = 456.0f;
    a.process(input.data(), 0, &sentinelL, &sentinelR);
    EXPECT_EQ(sentinelL, 123.0f);
    EXPECT_EQ(sentinelR, 456.0f);
    const Render ra = render(a, input), rb = render(b, input);
    EXPECT_EQ(ra.left, rb.left);
    EXPECT_EQ(ra.right, rb.right);
}

TEST(ReverbBehaviour, NonFiniteInputSoundsLikeSilence) {
    ReverbEngine a, b;
    a.prepare(48000.0, 4096);
    b.prepare(48000.0, 4096);
    std::vector<float> clean = noiseBurst(8192, 3000);
    std::vector<float> dirty = clean;
    for (int i : {10, 11, 500, 2999}) {
        clean[i] = 0.0f;
        dirty[i] = (i % 2) ? NAN : -INFINITY;
    }
    dirty[777] = INFINITY;
    clean[777] = 0.0f;
    const Render rc = render(a, clean), rd = render(b, dirty);
    EXPECT_EQ(rc.left, rd.left);
    EXPECT_EQ(rc.right, rd.right);
    EXPECT_EQ(rc.feed, rd.feed);
}

TEST(ReverbBehaviour, SameInputAfterClearIsBitIdentical) {
    ReverbEngine e;
    e.prepare(44100.0, 4096);
    applyMapping(e, 0.8f);
    e.clear();  // the glide line starts at its new target, as it will after the second clear
    const std::vector<float> input = noiseBurst(20000, 5000);
    const Render first = render(e, input);
    e.clear();
    const Render second = render(e, input);
    EXPECT_EQ(first.left, second.left);
    EXPECT_EQ(first.right, second.right);
    EXPECT_EQ(first.feed, second.feed);
}

// The AVX2 copy of the network (where the CPU has it) against the baseline copy in
// other blocks: the same samples, bit for bit.
TEST(ReverbBehaviour, BlockSizeAndInstructionSetDoNotChangeTheResult) {
    ReverbEngine a, b;
    a.setInstructionSet(ReverbEngine::InstructionSet::kAvx2);
    b.setInstructionSet(ReverbEngine::InstructionSet::kBaseline);
    EXPECT_EQ(a.instructionSet() == ReverbEngine::InstructionSet::kAvx2, ReverbEngine::avx2Supported());
    for (ReverbEngine* e : {&a, &b}) {
        e->prepare(48000.0, 4096);
        applyMapping(*e, 0.9f);  // cross-feed on, glide line gliding
    }
    const std::vector<float> input = noiseBurst(12000, 4000);
    const Render whole = render(a, input, 4096), pieces = render(b, input, 37);
    EXPECT_EQ(whole.left, pieces.left);
    EXPECT_EQ(whole.right, pieces.right);
    EXPECT_EQ(whole.feed, pieces.feed);
}

TEST(ReverbBehaviour, TailIsFiniteAndDecaysForEverySize) {
    for (float size : {0.0f, 0.3f, 0.7f, 1.0f}) {
        SCOPED_TRACE(size);
        ReverbEngine e;
        e.prepare(48000.0, 4096);
        applyMapping(e, size);
        const double decay = 9.3 * size + 1.2;
        const int length = static_cast<int>((decay + 1.0) * 48000.0);
        const Render r = render(e, noiseBurst(length, 4800), 4096);
        for (std::size_t i = 0; i < r.left.size(); ++i) {
            ASSERT_TRUE(std::isfinite(r.left[i]) && std::isfinite(r.right[i])) << i;
        }
        // Half a second after the burst against the last half second: about one
        // decay time apart, so roughly 60 dB down; ask for a clear 20 dB.
        const std::size_t n = r.left.size();
        const double early = energy(r, 4800, 4800 + 24000);
        const double late = energy(r, n - 24000, n);
        EXPECT_GT(early, 0.0);
        EXPECT_LT(late, early * 1e-2);
    }
}

TEST(ReverbBehaviour, LongerSizeRingsLonger) {
    const auto tailEnergy = [](float size) {
        ReverbEngine e;
        e.prepare(48000.0, 4096);
        applyMapping(e, size);
        const Render r = render(e, noiseBurst(3 * 48000, 4800), 4096);
        return energy(r, 2 * 48000, 3 * 48000) / energy(r, 4800, 48000);
    };
    EXPECT_GT(tailEnergy(1.0f), 10.0 * tailEnergy(0.0f));
}

TEST(ReverbBehaviour, StereoOutputsDiffer) {
    ReverbEngine e;
    e.prepare(48000.0, 4096);
    const Render r = render(e, noiseBurst(9600, 2000));
    EXPECT_NE(r.left, r.right);
}

TEST(ReverbBehaviour, DiffusedFeedIsBandLimited) {
    // A DC step must die away in the feed (80 Hz high-pass) while it lasts at the input.
    ReverbEngine e;
    e.prepare(48000.0, 4096);
    const Render r = render(e, std::vector<float>(48000, 0.5f), 4096);
    float peak = 0.0f;
    for (std::size_t i = 0; i < 2000; ++i) peak = std::max(peak, std::fabs(r.feed[i]));
    EXPECT_GT(peak, 0.05f);
    for (std::size_t i = 40000; i < 48000; ++i) ASSERT_LT(std::fabs(r.feed[i]), 1e-3f) << i;
}

TEST(ReverbBehaviour, PrepareAtAnotherRateMatchesAFreshEngine) {
    ReverbEngine used, fresh;
    used.prepare(44100.0, 4096);
    applyMapping(used, 0.9f);
    render(used, noiseBurst(10000, 10000));
    used.prepare(96000.0, 4096);
    applyMapping(fresh, 0.9f);
    fresh.prepare(96000.0, 4096);
    const std::vector<float> input = noiseBurst(9000, 3000, 99);
    const Render a = render(used, input), b = render(fresh, input);
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.right, b.right);
}

}  // namespace
}  // namespace halcyra
