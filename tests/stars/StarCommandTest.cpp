// Editor commands as the engine handles them: a star request at a direction lands
// on the nearest sky point; a sky jump replaces the weather and pre-rolls the sky.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/stars/SkyField.h"
#include "dsp/stars/SkyPoints.h"
#include "dsp/stars/StarEngine.h"

using namespace halcyra;

TEST(StarCommands, RequestFarAboveTheSkyLandsOnTheNearestPoint) {
    StarEngine engine;
    engine.prepare(48000.0, 4096);
    engine.setEventMode(1);
    ReverbSettings settings;
    EditorCommand click{EditorCommandQueue::kStarRequest, 20.0f, 89.0f, 1};
    engine.handleCommand(click, settings);
    ASSERT_EQ(engine.pendingRequests(), 1);
    std::vector<float> in(128, 0.0f), l(128), r(128);
    engine.process(in.data(), in.data(), 128, settings, l.data(), r.data());
    ASSERT_EQ(engine.lastEventCount(), 1);
    const int point = engine.lastEvent(0).point;
    const SkyPoints& p = skyPoints();
    // Only points at the top of the sky (45 degrees) can be nearest to 89 degrees.
    EXPECT_FLOAT_EQ(p.elevation(point), p.elevation(p.nearest(20.0f, 89.0f)));
    EXPECT_EQ(point, p.nearest(20.0f, 89.0f));
    for (int i = 0; i < 128; ++i) {
        const double d = std::pow(p.azimuth(i) - 20.0, 2) + std::pow(p.elevation(i) - 89.0, 2);
        const double best = std::pow(p.azimuth(point) - 20.0, 2) + std::pow(p.elevation(point) - 89.0, 2);
        EXPECT_GE(d, best);
    }
    // A non-finite click is ignored.
    engine.handleCommand(EditorCommand{EditorCommandQueue::kStarRequest, NAN, 0.0f, 1}, settings);
    EXPECT_EQ(engine.pendingRequests(), 0);
}

TEST(StarCommands, SkyJumpWithWindZeroPreRolls500Steps) {
    StarEngine engine;
    engine.prepare(48000.0, 4096);
    ReverbSettings jump;
    jump.skyTargets[4] = 0.0;  // 2 x Wind
    jump.skyTargets[6] = 0.4;  // 1.2 x Wind + 0.4
    // Where the sky must end: the new targets, then that many 50 ms steps.
    auto expectPreRolled = [&](SkyField reference, int steps) {
        reference.jumpTo(jump.skyTargets);
        for (int s = 0; s < steps; ++s) reference.step(SkyField::kPrerollStepSeconds);
        EXPECT_EQ(engine.sky().skyTime(), reference.skyTime());
        for (int j = 0; j < SkyField::kPointCount; ++j) ASSERT_NEAR(engine.sky().values()[j], reference.values()[j], 1e-6f);
        EXPECT_EQ(engine.sky().targets()[6], jump.skyTargets[6]);
        EXPECT_EQ(engine.sky().currents()[4], jump.skyTargets[4]);
    };
    SkyField before = engine.sky();
    EXPECT_EQ(engine.skyJump(jump.skyTargets), 500);
    expectPreRolled(before, 500);

    // Through the command, at full wind: 10 / 1.6 / 0.05 = 125 steps.
    jump.skyTargets[4] = 2.0;
    jump.skyTargets[6] = 1.6;
    before = engine.sky();
    engine.handleCommand(EditorCommand{EditorCommandQueue::kSkyJump, 0, 0, 0}, jump);
    expectPreRolled(before, 125);
    // Unknown commands change nothing.
    const double t1 = engine.sky().skyTime();
    engine.handleCommand(EditorCommand{7, 1, 2, 3}, jump);
    EXPECT_EQ(engine.sky().skyTime(), t1);
    EXPECT_EQ(engine.pendingRequests(), 0);
}

TEST(StarCommands, PrepareKeepsTheWeatherButRestartsTheSky) {
    StarEngine engine;
    engine.prepare(48000.0, 4096);
    double targets[12];
    std::copy(SkyField::kDefaultTargets, SkyField::kDefaultTargets + 12, targets);
    targets[0] = 11.0;
    targets[6] = 1.6;
    engine.setSkyTargets(targets);
    std::vector<float> in(128, 0.0f), l(128), r(128);
    ReverbSettings settings;
    for (int b = 0; b < 10; ++b) engine.process(in.data(), in.data(), 128, settings, l.data(), r.data());
    engine.prepare(44100.0, 4096);
    EXPECT_EQ(engine.sky().skyTime(), 0.0);
    EXPECT_EQ(engine.sky().targets()[0], 11.0);
    EXPECT_EQ(engine.sky().currents()[6], 1.6);
}
