// The scheduler: who may light a star, how far apart, which slot it takes, and
// that its clock keeps running after a day.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/stars/SkyPoints.h"
#include "dsp/stars/StarScheduler.h"

using namespace halcyra;

namespace {
constexpr double kBlock = 32.0 / 48000.0;

struct Rig {
    StarScheduler scheduler;
    ReverbSettings settings;
    float sky[128];
    VoiceSlotState slots[kStarSlots];
    StarEvent events[kMaxStarEvents];

    explicit Rig(float skyValue = 0.5f) {
        scheduler.reset(0x51C0FFEE);
        std::fill(std::begin(sky), std::end(sky), skyValue);
        settings.eventRate = 13.0f;  // "Rate" at its top
        settings.onsetBoost = 2.0f;
        settings.calibration = 20.0f;
    }
    void freeAllSlots() { std::fill(std::begin(slots), std::end(slots), VoiceSlotState{}); }
    int run(double dt, float a, float r) {
        return scheduler.schedule(dt, OnsetValues{a, r, 0.5f}, sky, settings, slots, events, 0);
    }
};

struct Fired {
    double time;
    int point;
};

// Alternates settled and sharply rising input so onset stars can fire every other
// sub-block, with a ratio high enough that random stars are admitted 90 % of the time.
std::vector<Fired> fireForSeconds(Rig& rig, double seconds, double startTime = 0.0) {
    std::vector<Fired> fired;
    const int blocks = static_cast<int>(seconds / kBlock);
    for (int b = 0; b < blocks; ++b) {
        rig.freeAllSlots();
        const float r = (b % 2 == 0) ? 0.1f : 1.8f;
        const int count = rig.run(kBlock, 1.0f, r);
        for (int e = 0; e < count; ++e) fired.push_back({rig.scheduler.time() - startTime, rig.events[e].point});
    }
    return fired;
}
}  // namespace

TEST(StarScheduler, SilentInputAdmitsNoStarWhateverTheRate) {
    for (float rate : {1.0f, 13.0f, 1000.0f}) {
        Rig rig(1.0f);
        rig.settings.eventRate = rate;
        for (int b = 0; b < 48000 / 32 * 20; ++b) ASSERT_EQ(rig.run(kBlock, 0.0f, 0.0f), 0) << "rate " << rate;
    }
}

TEST(StarScheduler, StarsKeepTheirSpacingInTimeAndPerPoint) {
    Rig rig;
    const std::vector<Fired> fired = fireForSeconds(rig, 30.0);
    ASSERT_GT(fired.size(), 100u);
    std::vector<double> lastAtPoint(128, -1e9);
    for (std::size_t i = 0; i < fired.size(); ++i) {
        if (i > 0) {
            EXPECT_GE(fired[i].time - fired[i - 1].time, 0.15 - 1e-9);
        }
        EXPECT_GE(fired[i].time - lastAtPoint[static_cast<std::size_t>(fired[i].point)], 0.06 - 1e-9);
        lastAtPoint[static_cast<std::size_t>(fired[i].point)] = fired[i].time;
    }
}

TEST(StarScheduler, ConsecutiveStarsAvoidTheLastAzimuth) {
    Rig rig;
    const std::vector<Fired> fired = fireForSeconds(rig, 20.0);
    ASSERT_GT(fired.size(), 50u);
    const SkyPoints& p = skyPoints();
    for (std::size_t i = 1; i < fired.size(); ++i)
        EXPECT_GE(std::fabs(p.azimuth(fired[i].point) - p.azimuth(fired[i - 1].point)), 30.0f);
}

TEST(StarScheduler, OnsetNeedsRearmingBeforeTheNextStar) {
    Rig rig;
    ASSERT_EQ(rig.run(kBlock, 1.0f, 0.1f), 0);
    ASSERT_EQ(rig.run(kBlock, 1.0f, 0.6f), 1);  // an onset star (no random one: admission is 0 at r = 0.6)
    // Held high, it never re-arms.
    for (int b = 0; b < 2000; ++b) {
        rig.freeAllSlots();
        ASSERT_EQ(rig.run(kBlock, 1.0f, 0.6f), 0);
    }
    rig.run(kBlock, 1.0f, 0.2f);
    EXPECT_EQ(rig.run(kBlock, 1.0f, 0.6f), 1);
}

TEST(StarScheduler, SlotChoiceFillsFreeSlotsThenStealsOnlyFadedVoices) {
    Rig rig;
    auto sounding = [](float peak, float highest, float age) { return VoiceSlotState{true, peak, highest, age}; };

    // All eight loud: nothing is stolen, the star is dropped.
    std::fill(std::begin(rig.slots), std::end(rig.slots), sounding(0.5f, 0.6f, 1.0f));
    rig.run(kBlock, 1.0f, 0.1f);
    EXPECT_EQ(rig.run(kBlock, 1.0f, 1.0f), 0);

    // One free slot is taken first, unstolen.
    std::fill(std::begin(rig.slots), std::end(rig.slots), sounding(0.5f, 0.6f, 1.0f));
    rig.slots[5] = VoiceSlotState{};
    rig.run(0.3, 1.0f, 0.1f);
    ASSERT_EQ(rig.run(kBlock, 1.0f, 1.0f), 1);
    EXPECT_EQ(rig.events[0].slot, 5);
    EXPECT_EQ(rig.events[0].stolen, 0);
    EXPECT_TRUE(rig.slots[5].occupied);

    // Faded voices (more than 18 dB down) are stolen, quietest first; a young one is spared.
    std::fill(std::begin(rig.slots), std::end(rig.slots), sounding(0.5f, 0.6f, 1.0f));
    rig.slots[2] = sounding(0.05f, 0.6f, 1.0f);
    rig.slots[6] = sounding(0.02f, 0.6f, 1.0f);
    rig.slots[7] = sounding(0.001f, 0.6f, 0.04f);  // too young to steal
    rig.run(0.3, 1.0f, 0.1f);
    ASSERT_EQ(rig.run(kBlock, 1.0f, 1.0f), 1);
    EXPECT_EQ(rig.events[0].slot, 6);
    EXPECT_EQ(rig.events[0].stolen, 1);
    // The stolen slot now counts as a fresh voice: not stealable again at once.
    EXPECT_FLOAT_EQ(rig.slots[6].peak, 1.0f);
    EXPECT_FLOAT_EQ(rig.slots[6].ageSeconds, 0.0f);

    // Just above the 18 dB line is not enough.
    std::fill(std::begin(rig.slots), std::end(rig.slots), sounding(0.5f, 0.6f, 1.0f));
    rig.slots[3] = sounding(0.13f * 0.6f, 0.6f, 1.0f);
    rig.run(0.3, 1.0f, 0.1f);
    EXPECT_EQ(rig.run(kBlock, 1.0f, 1.0f), 0);
}

TEST(StarScheduler, EventsCarryGainPitchAndColour) {
    Rig rig(0.9f);
    rig.settings.pitchBase = 100.0f;
    rig.settings.colour = 0.7f;
    rig.settings.eventGain = 1.0f;
    rig.run(kBlock, 0.25f, 0.1f);
    ASSERT_EQ(rig.run(kBlock, 0.25f, 0.6f), 1);
    const StarEvent& e = rig.events[0];
    EXPECT_FLOAT_EQ(e.gain, 0.9f * (0.5f * 0.5f + 1.0f));
    // xorshift32 from 0x51C0FFEE, one draw each: the first sub-block's random-star
    // test, then the point, the pitch and the seed.
    EXPECT_EQ(e.point, 50);
    EXPECT_NEAR(e.pitch, 99.9174f, 1e-3f);
    EXPECT_EQ(e.seed, 745845848u);
    EXPECT_FLOAT_EQ(e.colour, 0.7f);
    EXPECT_EQ(e.type, 1);
    // A dark sky still gives audible stars.
    Rig dark(0.0f);
    dark.run(kBlock, 0.0f, 0.1f);
    ASSERT_EQ(dark.run(kBlock, 0.0f, 0.6f), 1);
    EXPECT_FLOAT_EQ(dark.events[0].gain, 0.35f);
}

TEST(StarScheduler, RequestsHonourThePointAndLeaveTheClocksAlone) {
    Rig rig;
    const double lastEvent = rig.scheduler.lastEventTime();
    EXPECT_EQ(rig.scheduler.request(128, OnsetValues{}, rig.sky, rig.settings, rig.slots, rig.events, 0), 0);
    EXPECT_EQ(rig.scheduler.request(-1, OnsetValues{}, rig.sky, rig.settings, rig.slots, rig.events, 0), 0);
    int count = 0;
    for (int i = 0; i < 8; ++i)
        count = rig.scheduler.request(40, OnsetValues{}, rig.sky, rig.settings, rig.slots, rig.events, count);
    ASSERT_EQ(count, 8);
    // Each request took its own slot; a ninth finds none.
    for (int i = 0; i < 8; ++i) EXPECT_EQ(rig.events[i].slot, i);
    EXPECT_EQ(rig.scheduler.request(40, OnsetValues{}, rig.sky, rig.settings, rig.slots, rig.events, count), 8);
    EXPECT_EQ(rig.events[0].point, 40);
    EXPECT_FLOAT_EQ(rig.events[0].gain, 0.6f);  // sky 0.5 is below the 0.6 floor
    EXPECT_EQ(rig.scheduler.lastEventTime(), lastEvent);
    EXPECT_EQ(rig.scheduler.lastPointTime(40), -1e9);
}

TEST(StarScheduler, ClockKeepsAdvancingAfterADay) {
    Rig rig;
    // Advance the clock by a day of 32-frame sub-blocks at once (not in real time).
    rig.run(86400.0, 0.0f, 0.0f);
    const double start = rig.scheduler.time();
    ASSERT_GE(start, 86400.0);
    const std::vector<Fired> fired = fireForSeconds(rig, 10.0, start);
    // A 32-bit clock would be stuck at 86400 here (its step is 8 ms) and light nothing.
    EXPECT_NEAR(rig.scheduler.time() - start, 10.0, 0.01);
    EXPECT_GT(fired.size(), 20u);
    for (std::size_t i = 1; i < fired.size(); ++i) EXPECT_GE(fired[i].time - fired[i - 1].time, 0.15 - 1e-6);
}
