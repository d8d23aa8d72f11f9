// The onset detector's reading of the input, the tone compensation table, and a
// voice's envelope, lifetime and peak tracking.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/stars/OnsetDetector.h"
#include "dsp/stars/StarVoice.h"
#include "dsp/stars/ToneCompensation.h"

using namespace halcyra;

namespace {
constexpr double kRate = 48000.0;
constexpr double kPi = 3.141592653589793;
}

TEST(OnsetDetector, SilenceStepAndSteadyTone) {
    OnsetDetector d;
    d.prepare(kRate);
    std::vector<float> block(128, 0.0f);
    d.process(block.data(), 128);
    EXPECT_EQ(d.activity(), 0.0f);
    EXPECT_EQ(d.ratio(), 0.0f);
    EXPECT_EQ(d.level(), 0.0f);

    // A sudden loud sine is an onset.
    int t = 0;
    auto fill = [&](float amplitude) {
        for (float& x : block) x = amplitude * static_cast<float>(std::sin(2.0 * kPi * 440.0 * t++ / kRate));
    };
    fill(0.5f);
    d.process(block.data(), 128);
    EXPECT_GE(d.ratio(), 0.6f);
    EXPECT_GT(d.activity(), 0.5f);

    // Held steady for a second, the ratio settles below the re-arm threshold.
    for (int b = 0; b < 375; ++b) {
        fill(0.5f);
        d.process(block.data(), 128);
    }
    EXPECT_LT(d.ratio(), 0.25f);
    EXPECT_GT(d.level(), 0.5f);
    EXPECT_LE(d.level(), 1.0f);

    // Non-finite samples count as silence; an empty block reports no activity.
    block.assign(128, NAN);
    d.process(block.data(), 128);
    EXPECT_TRUE(std::isfinite(d.level()));
    d.process(block.data(), 0);
    EXPECT_EQ(d.activity(), 0.0f);
    EXPECT_EQ(d.ratio(), 0.0f);
}

TEST(ToneCompensation, OffsetsTheShelfLoudness) {
    ToneCompensation comp;
    comp.prepare(kRate);
    // The neutral tone needs no compensation.
    EXPECT_NEAR(comp.compensationDb(0.5), 0.0, 1e-9);
    EXPECT_FLOAT_EQ(comp.gainFor(0.5), 1.0f);
    // A treble boost is turned down, a cut turned up, monotonically.
    for (int j = 1; j < ToneCompensation::kEntries; ++j) EXPECT_LT(comp.table()[j], comp.table()[j - 1]);
    // Pinned: the seeded noise burst the table is measured with.
    EXPECT_NEAR(comp.compensationDb(1.0), -2.1516, 1e-3);
    EXPECT_NEAR(comp.compensationDb(0.0), 1.7878, 1e-3);
    // Interpolated between entries, clamped outside 0..1.
    EXPECT_NEAR(comp.compensationDb(0.5625), 0.5 * (comp.table()[4] + comp.table()[5]), 1e-12);
    EXPECT_EQ(comp.compensationDb(7.0), comp.table()[8]);
    EXPECT_EQ(comp.compensationDb(-3.0), comp.table()[0]);
}

TEST(ToneCompensation, ShelfIsIdentityAtZeroGainAndShelvesHighs) {
    const ShelfCoefficients flat = toneShelf(0.0, kRate);
    EXPECT_EQ(flat.b0, 1.0f);
    EXPECT_EQ(flat.b1, 0.0f);
    EXPECT_EQ(flat.a1, 0.0f);
    // +6 dB: unity at DC, about +6 dB at Nyquist.
    const ShelfCoefficients up = toneShelf(6.0, kRate);
    const double dc = (up.b0 + up.b1 + up.b2) / (1.0 + up.a1 + up.a2);
    const double nyquist = (up.b0 - up.b1 + up.b2) / (1.0 - up.a1 + up.a2);
    EXPECT_NEAR(20.0 * std::log10(dc), 0.0, 0.01);
    EXPECT_NEAR(20.0 * std::log10(nyquist), 6.0, 0.1);
}

namespace {
struct VoiceRig {
    ToneCompensation comp;
    StarVoice voice;
    std::vector<float> source, out;
    VoiceRig() : source(256), out(256) {
        comp.prepare(kRate);
        voice.prepare(kRate);
        for (std::size_t i = 0; i < source.size(); ++i)
            source[i] = static_cast<float>(0.5 * std::sin(2.0 * kPi * 3000.0 * static_cast<double>(i) / kRate));
    }
    // Renders until the voice ends (or maxSamples); returns the samples rendered.
    long long runToEnd(long long maxSamples, std::vector<float>* envelopeTrace = nullptr) {
        long long rendered = 0;
        while (voice.active() && rendered < maxSamples) {
            std::fill(out.begin(), out.end(), 0.0f);
            voice.render(source.data(), 256, 256, 1.0f, out.data());
            if (envelopeTrace) envelopeTrace->push_back(voice.peak());
            rendered += 256;
        }
        return rendered;
    }
};
}  // namespace

TEST(StarVoice, AttackDecayAndLifetime) {
    VoiceRig rig;
    StarVoiceStart s;
    s.point = 12;
    s.gain = 1.0f;
    s.tone = 0.5f;
    s.decaySeconds = 0.5f;
    s.attackMs = 20.0f;
    s.character = 0.5f;
    rig.voice.start(s, rig.comp);
    EXPECT_TRUE(rig.voice.active());
    EXPECT_EQ(rig.voice.attackSamples(), 960);
    EXPECT_EQ(rig.voice.endSample(), 960 + 60000);
    EXPECT_NEAR(rig.voice.levelDb(), 20.0 * std::log10(1.4), 1e-5);

    std::vector<float> peaks;
    const long long lived = rig.runToEnd(10 * 48000, &peaks);
    EXPECT_FALSE(rig.voice.active());
    // 80 dB down takes h seconds after the attack: it ends there, well before the end sample.
    EXPECT_NEAR(static_cast<double>(rig.voice.sampleCounter()), 960 + 0.5 * kRate, 300.0);
    EXPECT_LE(lived, 960 + 24000 + 256);
    // The peak follower rises through the attack, then falls; the highest peak holds.
    const float top = *std::max_element(peaks.begin(), peaks.end());
    EXPECT_FLOAT_EQ(rig.voice.highestPeak(), std::max(top, rig.voice.highestPeak()));
    EXPECT_GT(top, 0.5f);
    EXPECT_LT(peaks.back(), 0.01f * top);

    // The longest decay also ends on the envelope, long before its end sample.
    s.decaySeconds = 4.0f;
    s.attackMs = 1.0f;
    s.character = 1.0f;  // shortest attack: 2^-0.5 x 48 samples
    rig.voice.start(s, rig.comp);
    EXPECT_EQ(rig.voice.attackSamples(), 33);
    rig.runToEnd(60 * 48000);
    EXPECT_FALSE(rig.voice.active());
    EXPECT_NEAR(static_cast<double>(rig.voice.sampleCounter()), 33 + 4.0 * kRate, 300.0);
    EXPECT_LT(rig.voice.sampleCounter(), rig.voice.endSample());
}

TEST(StarVoice, QuietGainsAndRestartsResetTheVoice) {
    VoiceRig rig;
    StarVoiceStart s;
    s.gain = 0.0f;
    rig.voice.start(s, rig.comp);
    EXPECT_EQ(rig.voice.levelDb(), -120.0f);
    rig.voice.render(rig.source.data(), 256, 256, 1.0f, rig.out.data());
    for (float x : rig.out) EXPECT_EQ(x, 0.0f);

    s.gain = 1.0f;
    rig.voice.start(s, rig.comp);
    rig.voice.render(rig.source.data(), 256, 256, 1.0f, rig.out.data());
    EXPECT_GT(rig.voice.peak(), 0.0f);
    // A restart (a stolen slot) begins from silence again.
    rig.voice.start(s, rig.comp);
    EXPECT_EQ(rig.voice.peak(), 0.0f);
    EXPECT_EQ(rig.voice.sampleCounter(), 0);
    // A NaN source sample clears the filter instead of poisoning the voice.
    std::vector<float> bad(256, NAN);
    std::fill(rig.out.begin(), rig.out.end(), 0.0f);
    rig.voice.render(bad.data(), 256, 256, 1.0f, rig.out.data());
    for (float x : rig.out) ASSERT_TRUE(std::isfinite(x));
    rig.voice.render(rig.source.data(), 256, 256, 1.0f, rig.out.data());
    for (float x : rig.out) ASSERT_TRUE(std::isfinite(x));
}
