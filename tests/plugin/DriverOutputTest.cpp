// The driver's output stage: dry/wet ramp, output gain glide, soft clip, meters.
#include <gtest/gtest.h>

#include <cmath>

#include "plugin/OutputMath.h"
#include "tests/plugin/DriverRig.h"

namespace halcyra {
namespace {

using test::DriverRig;
using test::noise;

// Runs `frames` of a constant input in blocks of `block`.
void runConstant(DriverRig& rig, double value, int frames, int block = 480) {
    rig.resize(block);
    std::fill(rig.inL.begin(), rig.inL.end(), value);
    std::fill(rig.inR.begin(), rig.inR.end(), value);
    for (int done = 0; done < frames; done += block) rig.run();
}

TEST(DriverOutput, MixChangeRampsLinearlyOver45Milliseconds) {
    DriverRig rig;
    rig.plugin.reset(48000.0);
    runConstant(rig, 0.1, 9600);  // Mix 100: the wet amount has reached 1
    ASSERT_EQ(rig.plugin.driverState().wetAmount, 1.0f);

    rig.set(kMix, 0.0);
    const int block = 48;
    int reachedAt = -1;
    for (int done = block; done <= 2400; done += block) {
        runConstant(rig, 0.1, block, block);
        const float wet = rig.plugin.driverState().wetAmount;
        if (wet == 0.0f) {
            if (reachedAt < 0) reachedAt = done;
            continue;
        }
        ASSERT_LT(reachedAt, 0) << "the ramp left its target again";
        EXPECT_NEAR(wet, 1.0 - done / 2160.0, 2e-4) << done;  // 2160 samples = 45 ms
    }
    // Reached on the block that covers sample 2160 (float steps may need one more sample).
    EXPECT_GE(reachedAt, 2160);
    EXPECT_LE(reachedAt, 2160 + block);

    // With the wet amount at 0 both outputs carry the dry mono input alone.
    runConstant(rig, 0.2, 480);
    for (int i = 0; i < 480; ++i) {
        ASSERT_FLOAT_EQ(static_cast<float>(rig.outL[i]), 0.2f);
        ASSERT_FLOAT_EQ(static_cast<float>(rig.outR[i]), 0.2f);
    }
}

TEST(DriverOutput, FreshInstanceStartsWetLaterResetsRamp) {
    // An impulse into a new instance at Mix 100: no dry spike ahead of the reverb.
    DriverRig rig;
    rig.plugin.reset(48000.0);
    rig.resize(480);
    rig.inL[0] = rig.inR[0] = 0.7;
    rig.run();
    EXPECT_EQ(rig.plugin.driverState().wetAmount, 1.0f);
    EXPECT_LT(std::fabs(rig.outL[0]), 0.01);
    EXPECT_LT(std::fabs(rig.outR[0]), 0.01);

    // A reset later on is not a fresh start: the wet amount ramps to a new Mix.
    rig.set(kMix, 0.0);
    rig.plugin.reset(48000.0);
    runConstant(rig, 0.1, 480);
    EXPECT_NEAR(rig.plugin.driverState().wetAmount, 1.0 - 480 / 2160.0, 2e-4);
}

TEST(DriverOutput, OutputGainGlidesWithA20MillisecondTimeConstant) {
    DriverRig rig;
    rig.set(kMix, 0.0);
    rig.set(kOutput, -12.0);
    rig.plugin.reset(48000.0);
    runConstant(rig, 0.25, 4800);
    // The first block after a reset starts at the target gain: no fade-in.
    const float start = std::pow(10.0f, -12.0f / 20.0f);
    EXPECT_FLOAT_EQ(rig.plugin.driverState().outputGain, start);
    EXPECT_NEAR(rig.outL.back(), 0.25 * start, 1e-7);

    rig.set(kOutput, 0.0);
    rig.resize(4800);
    std::fill(rig.inL.begin(), rig.inL.end(), 0.25);
    std::fill(rig.inR.begin(), rig.inR.end(), 0.25);
    rig.run();
    // Each output sample is gain * 0.25: one time constant (960 samples) covers 1 - 1/e.
    auto progress = [&](int i) { return (rig.outL[i] / 0.25 - start) / (1.0 - start); };
    EXPECT_NEAR(progress(959), 1.0 - std::exp(-1.0), 2e-3);
    EXPECT_NEAR(progress(1919), 1.0 - std::exp(-2.0), 2e-3);
    EXPECT_NEAR(progress(4799), 1.0 - std::exp(-5.0), 2e-3);
    for (int i = 1; i < 4800; ++i) ASSERT_GE(rig.outL[i], rig.outL[i - 1]);
}

TEST(DriverOutput, SoftClipKeepsEverythingWithinUnityBeforeTheGain) {
    EXPECT_EQ(softClip(0.5f), 0.5f);
    EXPECT_EQ(softClip(-0.3f), -0.3f);
    EXPECT_FLOAT_EQ(softClip(0.75f), 0.5f + 0.5f * std::tanh(0.5f));
    EXPECT_FLOAT_EQ(softClip(-0.75f), -(0.5f + 0.5f * std::tanh(0.5f)));
    EXPECT_LE(softClip(1e30f), 1.0f);

    for (double mix : {0.0, 50.0, 100.0}) {
        DriverRig rig;
        rig.set(kMix, mix);
        rig.set(kSize, 1.0);
        rig.plugin.reset(48000.0);
        for (int b = 0; b < 6; ++b) {
            rig.resize(4096);
            rig.inL = noise(4096, 30 + b, 8.0);
            rig.inR = noise(4096, 40 + b, 8.0);
            rig.run();
            for (int i = 0; i < 4096; ++i) ASSERT_LE(std::fabs(rig.outL[i]), 1.0) << mix;
            for (int i = 0; i < 4096; ++i) ASSERT_LE(std::fabs(rig.outR[i]), 1.0) << mix;
        }
    }
    // The output gain comes after the clip: +12 dB lifts the ceiling to about 3.98.
    DriverRig loud;
    loud.set(kMix, 0.0);
    loud.set(kOutput, 12.0);
    loud.plugin.reset(48000.0);
    runConstant(loud, 0.0, 4800);
    runConstant(loud, 50.0, 480);
    EXPECT_NEAR(loud.outL.back(), std::pow(10.0, 12.0 / 20.0) * softClip(50.0f), 1e-5);
}

TEST(DriverOutput, QuietInputIsGatedAndDryPathIsMono) {
    EXPECT_EQ(foldToMono(2e-5, 2e-5), 0.0f);  // below -90 dBFS
    EXPECT_EQ(foldToMono(1e-4, 1e-4), 1e-4f);
    EXPECT_EQ(foldToMono(0.5, -0.5), 0.0f);
    EXPECT_EQ(foldToMono(std::nan(""), 0.5), 0.25f);
    EXPECT_EQ(foldToMono(1e300, 0.5), 16.25f);  // held at +30 dBFS
    EXPECT_EQ(foldToMono(-1e30, -40.0), -32.0f);

    // Mix 0: a stereo input comes out as its mono fold on both sides.
    DriverRig rig;
    rig.set(kMix, 0.0);
    rig.plugin.reset(48000.0);
    runConstant(rig, 0.0, 4800);
    rig.resize(256);
    rig.inL = noise(256, 1, 0.4);
    rig.inR = noise(256, 2, 0.4);
    rig.run();
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(rig.outL[i], rig.outR[i]);
        ASSERT_FLOAT_EQ(static_cast<float>(rig.outL[i]), foldToMono(rig.inL[i], rig.inR[i]));
    }
}

TEST(DriverOutput, SnapshotCarriesTheMeters) {
    DriverRig rig;
    rig.set(kMix, 0.0);
    rig.plugin.reset(48000.0);
    SkyFeedReader& reader = rig.plugin.skyFeedReader();

    runConstant(rig, 0.0, 1024, 1024);  // the wet amount ramps to 0
    ASSERT_TRUE(reader.poll());
    const float rmsBeforeL = reader.current().rmsLeft;
    const float rmsBeforeR = reader.current().rmsRight;

    runConstant(rig, 0.25, 480, 480);
    ASSERT_TRUE(reader.poll());
    const SkyFeed& f = reader.current();
    EXPECT_FLOAT_EQ(f.peakLeft, 0.25f);
    EXPECT_FLOAT_EQ(f.peakRight, 0.25f);
    const float follow = 1.0f - std::exp(-480.0f / (0.12f * 48000.0f));
    EXPECT_NEAR(f.rmsLeft, rmsBeforeL + (0.25f - rmsBeforeL) * follow, 1e-6f);
    EXPECT_NEAR(f.rmsRight, rmsBeforeR + (0.25f - rmsBeforeR) * follow, 1e-6f);
    EXPECT_TRUE(std::isfinite(f.onsetGain) && f.onsetGain > 0.0f);
    EXPECT_GE(f.activeVoices, 0);
    EXPECT_LE(f.activeVoices, 8);
    ASSERT_GE(f.flashCount, 0);
    ASSERT_LE(f.flashCount, 32);
    // Records past the count keep the fresh value, whatever an earlier snapshot held.
    for (int i = f.flashCount; i < 32; ++i) {
        EXPECT_EQ(f.flashes[i].point, -1);
        EXPECT_EQ(f.flashes[i].levelDb, -120.0f);
    }
    EXPECT_GT(f.reverbLevel, 0.0f);  // the reverb heard the DC step

    // Silence afterwards: the peak falls back over 1.5 s, never jumps.
    runConstant(rig, 0.0, 48000, 480);
    ASSERT_TRUE(reader.poll());
    EXPECT_NEAR(reader.current().peakLeft, 0.25f * std::exp(-1.0f / 1.5f), 1e-4f);
}

}  // namespace
}  // namespace halcyra
