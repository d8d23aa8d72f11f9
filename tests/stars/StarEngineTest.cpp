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
    std::vector<float> excitation, input, left, right;
    std::mt19937 rng{7};
    int tick = 0;

    EngineRig() : excitation(4096), input(4096), left(4096), right(4096) {
        engine.prepare(kRate, 4096);
        tick = engine.tickLength();
        settings.eventRate = 13.0f;
        settings.onsetBoost = 2.0f;
        settings.calibration = 20.0f;
    }
    void noise(int n, float amplitude) {
        std::uniform_real_distribution<float> u(-amplitude, amplitude);
        for (int i = 0; i < n; ++i) excitation[static_cast<std::size_t>(i)] = u(rng);
    }
    // n samples with the onset detector hearing a steady level.
    void run(int n, float inputLevel = 0.0f) {
        std::fill(input.begin(), input.begin() + n, inputLevel);
        engine.process(excitation.data(), input.data(), n, settings, left.data(), right.data());
    }
    double energy(int n) const {
        double e = 0.0;
        for (int i = 0; i < n; ++i) e += double(left[i]) * left[i] + double(right[i]) * right[i];
        return e;
    }
    // Silence, then a sudden loud input: in Auto mode an onset star in the second call.
    void onset() {
        run(2 * tick);
        run(2 * tick, 0.5f);
    }
};
}  // namespace

TEST(StarEngine, ResponseZeroStartsTheStarAtItsEvent) {
    EngineRig rig;
    rig.noise(4096, 0.3f);
    rig.onset();
    ASSERT_EQ(rig.engine.lastEventCount(), 1);
    const int slot = rig.engine.lastEvent(0).slot;
    EXPECT_TRUE(rig.engine.voiceActive(slot));
    EXPECT_EQ(rig.engine.recentEvents().count(), 1);
    EXPECT_EQ(rig.engine.recentEvents()[0].point, rig.engine.lastEvent(0).point);
}

TEST(StarEngine, ResponseDelaysAutoStarsToTheGrid) {
    EngineRig rig;
    StarBlockSettings block;
    block.responseMs = 10;  // 480 samples: the third 192-sample tick after the event's
    rig.engine.setBlockSettings(block);
    ASSERT_EQ(rig.tick, 192);
    rig.noise(4096, 0.3f);
    rig.onset();
    ASSERT_EQ(rig.engine.lastEventCount(), 1);
    const int slot = rig.engine.lastEvent(0).slot;
    EXPECT_FALSE(rig.engine.voiceActive(slot));
    EXPECT_TRUE(rig.engine.startPending(slot));
    for (int b = 1; b <= 2; ++b) {
        rig.run(rig.tick, 0.5f);
        EXPECT_FALSE(rig.engine.voiceActive(slot)) << "tick " << b;
    }
    rig.run(rig.tick, 0.5f);
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
        rig.noise(4096, 0.3f);
        rig.run(128);
        ASSERT_EQ(rig.engine.lastEventCount(), 1);
        EXPECT_TRUE(rig.engine.voiceActive(rig.engine.lastEvent(0).slot));
        EXPECT_EQ(rig.engine.voice(rig.engine.lastEvent(0).slot).point(), 64);
        EXPECT_EQ(rig.engine.pendingRequests(), 0);
        // Onsets do nothing in these modes.
        rig.onset();
        EXPECT_EQ(rig.engine.lastEventCount(), 0);
    }
}

TEST(StarEngine, RequestsOutsideTheSkyBeyondEightOrInAutoModeAreDropped) {
    EngineRig rig;
    // Auto mode refuses requests, and drops one still waiting when it comes.
    rig.engine.enqueueRequest(5);
    EXPECT_EQ(rig.engine.pendingRequests(), 0);
    rig.engine.setEventMode(1);
    rig.engine.enqueueRequest(5);
    rig.engine.setEventMode(0);
    rig.run(rig.tick);
    rig.engine.setEventMode(1);
    rig.run(rig.tick);
    EXPECT_EQ(rig.engine.activeVoiceCount(), 0);

    rig.engine.enqueueRequest(128);
    rig.engine.enqueueRequest(-5);
    rig.run(rig.tick);
    EXPECT_EQ(rig.engine.lastEventCount(), 0);
    EXPECT_EQ(rig.engine.activeVoiceCount(), 0);
    for (int i = 0; i < 12; ++i) rig.engine.enqueueRequest(i);
    EXPECT_EQ(rig.engine.pendingRequests(), 8);
    rig.run(rig.tick);
    EXPECT_EQ(rig.engine.lastEventCount(), 8);
    EXPECT_EQ(rig.engine.activeVoiceCount(), 8);
}

TEST(StarEngine, AStolenVoiceFadesInsteadOfClicking) {
    // The same eight faded stars twice, one run stealing a slot for a ninth that rises
    // slowly: the difference is the stolen voice leaving. Cut dead, or with its
    // channel's HRIR dropped, it leaves in one sample.
    auto play = [](bool steal, std::size_t& stealAt) {
        EngineRig rig;
        StarBlockSettings block;
        block.decaySeconds = 0.3f;
        block.attackMs = 1.0f;
        rig.engine.setBlockSettings(block);
        rig.engine.setEventMode(1);
        for (int i = 0; i < 4096; ++i) rig.excitation[static_cast<std::size_t>(i)] = 0.3f * std::sin(0.02f * i);
        std::vector<float> out;
        auto runTicks = [&](int ticks) {
            for (int t = 0; t < ticks; ++t) {
                rig.run(rig.tick);
                out.insert(out.end(), rig.left.begin(), rig.left.begin() + rig.tick);
            }
        };
        runTicks(60);  // the shimmer lines fill
        for (int i = 0; i < 8; ++i) rig.engine.enqueueRequest(i * 16);
        runTicks(30);  // all eight sound, now more than 18 dB down
        stealAt = out.size();
        block.attackMs = 200.0f;
        rig.engine.setBlockSettings(block);
        if (steal) rig.engine.enqueueRequest(100);
        runTicks(1);
        EXPECT_EQ(rig.engine.lastEventCount(), steal ? 1 : 0);
        EXPECT_TRUE(!steal || rig.engine.lastEvent(0).stolen == 1);
        EXPECT_EQ(rig.engine.activeVoiceCount(), 8);
        runTicks(3);
        return out;
    };
    std::size_t at = 0;
    const std::vector<float> stolen = play(true, at), kept = play(false, at);
    auto largestDifference = [&](std::size_t from, std::size_t to) {
        float d = 0.0f;
        for (std::size_t i = from; i < to; ++i) d = std::max(d, std::fabs(stolen[i] - kept[i]));
        return d;
    };
    ASSERT_EQ(largestDifference(0, at), 0.0f);
    const float gone = largestDifference(at + 384, at + 768);  // the old voice, missing
    ASSERT_GT(gone, 0.0f);
    EXPECT_LT(largestDifference(at, at + 12), 0.1f * gone);
}

TEST(StarEngine, LevelZeroIsSilentWhileVoicesRun) {
    // Eight stars heard, then Level 0: one engine skips what it cannot hear, one
    // renders everything. Both fall silent once the binaural rings have played out.
    EngineRig rig, rendering;
    rendering.engine.setSkipInaudible(false);
    StarBlockSettings block;
    for (EngineRig* r : {&rig, &rendering}) {
        r->engine.setEventMode(1);
        for (int i = 0; i < 8; ++i) r->engine.enqueueRequest(i * 16);
    }
    for (int b = 0; b < 250; ++b) {
        if (b == 50) block.level = 0.0f;
        for (EngineRig* r : {&rig, &rendering}) {
            r->engine.setBlockSettings(block);
            r->noise(128, 0.5f);
            r->run(128);
            const bool ringsOut = b >= 50 + 4;  // 256 taps and the 256-sample delay ring
            for (int i = 0; i < 128 && ringsOut; ++i) ASSERT_TRUE(r->left[i] == 0.0f && r->right[i] == 0.0f);
        }
        ASSERT_EQ(rig.left, rendering.left) << b;
        ASSERT_EQ(rig.engine.activeVoiceCount(), rendering.engine.activeVoiceCount());
    }
    EXPECT_GT(rig.engine.activeVoiceCount(), 0);

    // Level 1 again: the skipped stars come back from silence (a shifter resuming its
    // stale frames would play them at once), faded in by the shifters' first frames;
    // no step between samples is larger than the rendered engine's, which cuts in at
    // full level, and after 50 ms they are heard at a comparable level.
    block.level = 1.0f;
    std::vector<float> resumed, rendered;
    for (int b = 0; b < 40; ++b) {
        for (EngineRig* r : {&rig, &rendering}) {
            r->engine.setBlockSettings(block);
            r->noise(128, 0.5f);
            r->run(128);
        }
        resumed.insert(resumed.end(), rig.left.begin(), rig.left.begin() + 128);
        rendered.insert(rendered.end(), rendering.left.begin(), rendering.left.begin() + 128);
    }
    auto largestStep = [](const std::vector<float>& x) {
        float step = std::fabs(x[0]);  // from the silence before
        for (std::size_t i = 1; i < x.size(); ++i) step = std::max(step, std::fabs(x[i] - x[i - 1]));
        return step;
    };
    auto energy = [](const std::vector<float>& x, std::size_t from, std::size_t to) {
        double e = 0.0;
        for (std::size_t i = from; i < to; ++i) e += double(x[i]) * x[i];
        return e;
    };
    const std::size_t end = rendered.size();
    EXPECT_GT(energy(rendered, 0, end), 1e-3);
    EXPECT_LT(energy(resumed, 0, 96), 1e-9 * energy(rendered, 0, 96));  // the first 2 ms
    EXPECT_LE(largestStep(resumed), largestStep(rendered));
    EXPECT_GT(energy(resumed, 2400, end), 0.25 * energy(rendered, 2400, end));
    EXPECT_TRUE(rig.engine.hrirSet().loaded());
}

TEST(StarEngine, SilentInputLightsNoStarInAutoMode) {
    EngineRig rig;
    std::fill(rig.excitation.begin(), rig.excitation.end(), 0.0f);
    for (int b = 0; b < 48000 / 128 * 10; ++b) {
        rig.run(128);
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
    engine.process(in.data(), in.data(), 512, settings, left.data(), right.data());
    for (int i = 0; i < 512; ++i) ASSERT_TRUE(left[i] == 0.0f && right[i] == 0.0f);
    EXPECT_EQ(engine.sky().skyTime(), tau);
}

TEST(StarEngine, RecentEventsStayYoungAndFewUnderHeavyUse) {
    EngineRig rig;
    rig.engine.setEventMode(1);
    for (int b = 0; b < 3000; ++b) {
        for (int i = 0; i < 8; ++i) rig.engine.enqueueRequest((b * 8 + i) % 128);
        rig.noise(32, 0.2f);
        rig.run(32);
        const RecentEventList& list = rig.engine.recentEvents();
        ASSERT_LE(list.count(), 32);
        for (int i = 0; i < list.count(); ++i) ASSERT_LT(list[i].ageSamples, 72000);
    }
}

TEST(StarEngine, ClearRestartsTheSameStars) {
    EngineRig rig;
    auto play = [&](std::vector<float>& trace) {
        std::mt19937 rng(3);
        std::uniform_real_distribution<float> u(-0.3f, 0.3f);
        for (int b = 0; b < 400; ++b) {
            for (int i = 0; i < 128; ++i) rig.excitation[static_cast<std::size_t>(i)] = u(rng);
            rig.run(128, (b / 20) % 2 == 0 ? 0.5f : 0.0f);  // 53 ms bursts
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
        rig.run(n, 0.5f);
        rig.engine.skyJump(rig.settings.skyTargets);
    }
    EXPECT_GT(rig.engine.activeVoiceCount(), 0);
    EXPECT_EQ(counter.count(), 0u);
}
