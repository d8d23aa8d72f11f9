// The star engine end to end: when voices start, what they sound like at Level 0,
// the flash list, silence in, long sessions, and no allocation while stars sound.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "dsp/stars/StarEngine.h"
#include "support/AllocationCounter.h"

using namespace halcyra;

namespace {
constexpr double kRate = 48000.0;

struct EngineRig {
    StarEngine engine;
    ReverbSettings settings;
    std::vector<float> excitation, left, right;
    std::mt19937 rng{7};

    explicit EngineRig(int block = 128) : excitation(4096), left(4096), right(4096) {
        engine.prepare(kRate, 4096);
        settings.eventRate = 13.0f;
        settings.onsetBoost = 2.0f;
        settings.calibration = 20.0f;
        (void)block;
    }
    void noise(int n, float amplitude) {
        std::uniform_real_distribution<float> u(-amplitude, amplitude);
        for (int i = 0; i < n; ++i) excitation[static_cast<std::size_t>(i)] = u(rng);
    }
    void run(int n, float a, float r) {
        engine.process(excitation.data(), n, n / kRate, a, r, 0.5f, settings, left.data(), right.data());
    }
    double energy(int n) const {
        double e = 0.0;
        for (int i = 0; i < n; ++i) e += double(left[i]) * left[i] + double(right[i]) * right[i];
        return e;
    }
    // Settled input, then a sharp rise: an onset star in Auto mode.
    void onset(int n) {
        run(n, 0.5f, 0.1f);
        run(n, 1.0f, 0.6f);
    }
};
}  // namespace

TEST(StarEngine, ResponseZeroStartsInTheSameSubBlock) {
    EngineRig rig;
    rig.noise(128, 0.3f);
    rig.onset(128);
    ASSERT_EQ(rig.engine.lastEventCount(), 1);
    const int slot = rig.engine.lastEvent(0).slot;
    EXPECT_TRUE(rig.engine.voiceActive(slot));
    EXPECT_EQ(rig.engine.recentEvents().count(), 1);
    EXPECT_EQ(rig.engine.recentEvents()[0].point, rig.engine.lastEvent(0).point);
}

TEST(StarEngine, ResponseDelaysAutoStarsByWholeSubBlocks) {
    EngineRig rig;
    StarBlockSettings block;
    block.responseMs = 10;  // 480 samples: the 4th 128-frame sub-block after the event
    rig.engine.setBlockSettings(block);
    rig.noise(128, 0.3f);
    rig.onset(128);
    ASSERT_EQ(rig.engine.lastEventCount(), 1);
    const int slot = rig.engine.lastEvent(0).slot;
    EXPECT_FALSE(rig.engine.voiceActive(slot));
    EXPECT_TRUE(rig.engine.startPending(slot));
    for (int b = 1; b <= 3; ++b) {
        rig.run(128, 0.5f, 0.6f);
        EXPECT_FALSE(rig.engine.voiceActive(slot)) << "sub-block " << b;
    }
    rig.run(128, 0.5f, 0.6f);
    EXPECT_TRUE(rig.engine.voiceActive(slot));
    EXPECT_FALSE(rig.engine.startPending(slot));
    EXPECT_EQ(rig.engine.recentEvents().count(), 1);
}

TEST(StarEngine, StarAndCometModesIgnoreTheResponseDelay) {
    for (int mode : {1, 2}) {
        EngineRig rig;
        StarBlockSettings block;
        block.responseMs = 3000;
        rig.engine.setBlockSettings(block);
        rig.engine.setEventMode(mode);
        rig.engine.enqueueRequest(64);
        rig.noise(128, 0.3f);
        rig.run(128, 0.0f, 0.0f);
        ASSERT_EQ(rig.engine.lastEventCount(), 1);
        EXPECT_TRUE(rig.engine.voiceActive(rig.engine.lastEvent(0).slot));
        EXPECT_EQ(rig.engine.voice(rig.engine.lastEvent(0).slot).point(), 64);
        EXPECT_EQ(rig.engine.pendingRequests(), 0);
        // Onsets do nothing in these modes.
        rig.onset(128);
        EXPECT_EQ(rig.engine.lastEventCount(), 0);
    }
}

TEST(StarEngine, RequestsOutsideTheSkyAndBeyondEightAreDropped) {
    EngineRig rig;
    rig.engine.setEventMode(1);
    rig.engine.enqueueRequest(128);
    rig.engine.enqueueRequest(-5);
    rig.run(128, 0.0f, 0.0f);
    EXPECT_EQ(rig.engine.lastEventCount(), 0);
    EXPECT_EQ(rig.engine.activeVoiceCount(), 0);
    for (int i = 0; i < 12; ++i) rig.engine.enqueueRequest(i);
    EXPECT_EQ(rig.engine.pendingRequests(), 8);
    rig.run(128, 0.0f, 0.0f);
    EXPECT_EQ(rig.engine.lastEventCount(), 8);
    EXPECT_EQ(rig.engine.activeVoiceCount(), 8);
}

TEST(StarEngine, LevelZeroIsSilentWhileVoicesRun) {
    EngineRig rig;
    StarBlockSettings block;
    block.level = 0.0f;
    rig.engine.setBlockSettings(block);
    rig.engine.setEventMode(1);
    for (int i = 0; i < 8; ++i) rig.engine.enqueueRequest(i * 16);
    for (int b = 0; b < 200; ++b) {
        rig.noise(128, 0.5f);
        rig.run(128, 0.0f, 0.0f);
        for (int i = 0; i < 128; ++i) ASSERT_TRUE(rig.left[i] == 0.0f && rig.right[i] == 0.0f);
    }
    EXPECT_GT(rig.engine.activeVoiceCount(), 0);
    // The same stars at Level 1 are heard once the shimmer lines ring.
    EngineRig loud;
    loud.engine.setEventMode(1);
    for (int i = 0; i < 8; ++i) loud.engine.enqueueRequest(i * 16);
    double heard = 0.0;
    for (int b = 0; b < 200; ++b) {
        loud.noise(128, 0.5f);
        loud.run(128, 0.0f, 0.0f);
        heard += loud.energy(128);
    }
    EXPECT_GT(heard, 1e-3);
    EXPECT_TRUE(loud.engine.hrirSet().loaded());
}

TEST(StarEngine, SilentInputLightsNoStarInAutoMode) {
    EngineRig rig;
    std::fill(rig.excitation.begin(), rig.excitation.end(), 0.0f);
    for (int b = 0; b < 48000 / 128 * 10; ++b) {
        rig.run(128, 0.0f, 0.0f);
        ASSERT_EQ(rig.engine.lastEventCount(), 0);
    }
    EXPECT_EQ(rig.engine.recentEvents().count(), 0);
    EXPECT_EQ(rig.energy(128), 0.0);
}

TEST(StarEngine, OversizedSubBlockGivesSilenceAndChangesNothing) {
    StarEngine engine;
    engine.prepare(kRate, 256);
    ReverbSettings settings;
    std::vector<float> in(512, 0.5f), left(512, 1.0f), right(512, 1.0f);
    const double tau = engine.sky().skyTime();
    engine.process(in.data(), 512, 512 / kRate, 1.0f, 1.0f, 1.0f, settings, left.data(), right.data());
    for (int i = 0; i < 512; ++i) ASSERT_TRUE(left[i] == 0.0f && right[i] == 0.0f);
    EXPECT_EQ(engine.sky().skyTime(), tau);
}

TEST(StarEngine, RecentEventsStayYoungAndFewUnderHeavyUse) {
    EngineRig rig;
    rig.engine.setEventMode(1);
    for (int b = 0; b < 3000; ++b) {
        for (int i = 0; i < 8; ++i) rig.engine.enqueueRequest((b * 8 + i) % 128);
        rig.noise(32, 0.2f);
        rig.run(32, 0.0f, 0.0f);
        const RecentEventList& list = rig.engine.recentEvents();
        ASSERT_LE(list.count(), 32);
        for (int i = 0; i < list.count(); ++i) ASSERT_LT(list[i].ageSamples, 72000);
    }
}

TEST(StarEngine, AutoModeStillMakesStarsAfterADay) {
    EngineRig rig;
    // A day passes in one call (the clock, not real time), then ordinary 32-frame sub-blocks.
    rig.noise(32, 0.2f);
    rig.engine.process(rig.excitation.data(), 32, 86400.0, 0.0f, 0.0f, 0.0f, rig.settings, rig.left.data(),
                       rig.right.data());
    int stars = 0;
    for (int b = 0; b < 48000 / 32 * 5; ++b) {
        rig.noise(32, 0.2f);
        rig.run(32, 1.0f, (b % 2 == 0) ? 0.1f : 1.8f);
        stars += rig.engine.lastEventCount();
        ASSERT_LE(rig.engine.recentEvents().count(), 32);
    }
    EXPECT_GT(stars, 10);
    EXPECT_GT(rig.engine.scheduler().time(), 86404.9);
}

TEST(StarEngine, ClearRestartsTheSameStars) {
    EngineRig rig;
    auto play = [&](std::vector<float>& trace) {
        std::mt19937 rng(3);
        std::uniform_real_distribution<float> u(-0.3f, 0.3f);
        for (int b = 0; b < 400; ++b) {
            for (int i = 0; i < 128; ++i) rig.excitation[static_cast<std::size_t>(i)] = u(rng);
            rig.run(128, 0.8f, (b % 20 == 0) ? 1.2f : 0.1f);
            trace.insert(trace.end(), rig.left.begin(), rig.left.begin() + 128);
        }
    };
    std::vector<float> first, second;
    play(first);
    rig.engine.clear();
    play(second);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(first, second);
    double energy = 0.0;
    for (float x : first) energy += double(x) * x;
    EXPECT_GT(energy, 0.0);
}

TEST(StarEngine, ProcessAllocatesNothingWithStarsSounding) {
    EngineRig rig;
    rig.engine.setEventMode(1);
    rig.noise(4096, 0.3f);
    test::AllocationCounter counter;
    for (int b = 0; b < 400; ++b) {
        if (b % 10 == 0)
            for (int i = 0; i < 4; ++i) rig.engine.enqueueRequest((b + i * 37) % 128);
        const int n = (b % 3 == 0) ? 4096 : 32 * (1 + b % 4);
        rig.run(n, 0.5f, 0.5f);
        rig.engine.skyJump(rig.settings.skyTargets);
    }
    EXPECT_GT(rig.engine.activeVoiceCount(), 0);
    EXPECT_EQ(counter.count(), 0u);
}
