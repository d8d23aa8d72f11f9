// Redraws only when the picture changes, throttled: at full rate while something
// moves (or for 45 frames after a change of size, brightness, wind or rate), at
// most every third frame otherwise, and never for a sky that shows the same thing.
// Also: the per-frame work of the sky and the feeder allocates nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "SkyFixture.h"
#include "tests/support/AllocationCounter.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

// One frame step as the graphics layer runs it, then whether the sky asked to be
// drawn (the flag is cleared as a draw would).
bool StepWantsRedraw(SkyViewControl& sky) {
    sky.SetDirty(false);
    sky.Step();
    return sky.IsDirty();
}

// "x" for frames that asked for a redraw, "." for those that did not.
std::string Pattern(SkyViewControl& sky, int frames) {
    std::string p;
    for (int i = 0; i < frames; ++i) p += StepWantsRedraw(sky) ? 'x' : '.';
    return p;
}

TEST(SkyRedraw, TheIdleSkyRedrawsEveryFrame) {
    SkyViewControl sky(kSkyRect, 2);
    EXPECT_EQ(Pattern(sky, 30), std::string(30, 'x'));
}

// Frames of a fed sky whose cloud weights change every frame.
std::string DriftingPattern(SkyViewControl& sky, SkyViewState& state, int frames) {
    std::string p;
    for (int i = 0; i < frames; ++i) {
        state.weights[i % SkyPointTable::kCount] += 0.001f;
        p += StepWantsRedraw(sky) ? 'x' : '.';
    }
    return p;
}

TEST(SkyRedraw, AFedSkyRedrawsOnlyWhenItsPictureChanges) {
    SkyViewControl sky(kSkyRect, 2);
    SkyViewState state;  // no live flashes, no glow
    sky.SetExternalState(&state);
    // Attaching shows a new picture once; a still sky then asks for nothing, even
    // through the 45-frame hold that the first sight of the scalars starts.
    EXPECT_EQ(Pattern(sky, 90), "x" + std::string(89, '.'));

    // Drifting clouds: every third frame by the frame counter, whatever the phase...
    std::string drift = DriftingPattern(sky, state, 30);
    EXPECT_EQ(std::count(drift.begin(), drift.end(), 'x'), 10) << drift;
    for (std::size_t i = 3; i < drift.size(); ++i) EXPECT_EQ(drift[i], drift[i - 3]) << drift;
    // ...and at full rate for 45 frames after a weather scalar moved past 0.0001.
    for (float* scalar : {&state.size, &state.brightness, &state.wind, &state.rate}) {
        *scalar += 0.01f;
        EXPECT_EQ(DriftingPattern(sky, state, 45), std::string(45, 'x'));
        drift = DriftingPattern(sky, state, 9);
        EXPECT_EQ(std::count(drift.begin(), drift.end(), 'x'), 3) << drift;
    }
    state.size += 0.00005f;
    drift = DriftingPattern(sky, state, 9);
    EXPECT_EQ(std::count(drift.begin(), drift.end(), 'x'), 3) << drift;
    Pattern(sky, 3);
    EXPECT_EQ(Pattern(sky, 30), std::string(30, '.'));

    // A glow pulses with the clock, so a level keeps the throttled redraws going.
    state.reverbLevel = 0.7f;
    const std::string glowing = Pattern(sky, 60);
    EXPECT_GE(std::count(glowing.begin(), glowing.end(), 'x'), 10) << glowing;
    EXPECT_EQ(glowing.find("xx"), std::string::npos) << glowing;
}

TEST(SkyRedraw, LiveFlashesAndAFadingArrowKeepFullRate) {
    SkyViewControl sky(kSkyRect, 2);
    SkyViewState state;
    sky.SetExternalState(&state);
    Pattern(sky, 45);

    std::string aging;
    for (int i = 0; i < 9; ++i) {
        state.flashes[17].age = 0.5f + 0.01f * static_cast<float>(i);
        aging += StepWantsRedraw(sky) ? 'x' : '.';
    }
    EXPECT_EQ(aging, std::string(9, 'x'));
    // A host that stops leaves a flash that no longer ages: nothing more to draw.
    EXPECT_EQ(Pattern(sky, 9), std::string(9, '.'));

    sky.OnMouseDown(100.0f, 100.0f, IMouseMod(true));
    sky.OnMouseDrag(300.0f, 100.0f, 200.0f, 0.0f, IMouseMod(true));
    sky.OnMouseUp(300.0f, 100.0f, IMouseMod(true));
    // The arrow fades for 1.2 s (72 frames) at full rate, then the sky is still.
    EXPECT_EQ(Pattern(sky, 71), std::string(71, 'x'));
    Pattern(sky, 3);
    EXPECT_EQ(Pattern(sky, 9), std::string(9, '.'));
}

// The feeder hands parameter changes to the sky's state, which starts the 45-frame hold.
TEST(SkyRedraw, TurningAKnobHoldsFullRateThroughTheFeeder) {
    SkyFixture f;
    f.ctx.nextSnapshot().reverbLevel = 0.3f;
    f.ctx.publish();
    f.Frames(60);
    ASSERT_TRUE(f.feeder->IsFed());
    EXPECT_EQ(f.sky->RedrawCountdown(), 0);
    f.ctx.store.set(kWind, 0.9);
    f.Frames(2);  // the feeder copies after the sky's step; the sky sees it next frame
    EXPECT_EQ(f.sky->RedrawCountdown(), 44);
}

TEST(SkyRedraw, FrameStepsAllocateNothing) {
    SkyFixture f;
    f.ctx.store.set(kEvents, 1);
    SkyFeed& s = f.ctx.nextSnapshot();
    s.reverbLevel = 0.4f;
    s.flashCount = 3;
    for (int j = 0; j < 3; ++j) s.flashes[j] = {j + 40, 0.9f, 100, 1, -6.0f};
    f.ctx.publish();
    f.Frames(2);  // first sight of the parameters and the feed
    AllocationCounter counter;
    for (int i = 0; i < 120; ++i) {
        if (i % 10 == 0) {
            f.ctx.nextSnapshot().weights[i] = 0.5f;
            f.ctx.publish();
            f.ctx.store.set(kPreset, (i / 10) % 8);
            f.ctx.store.set(kMonitor, (i / 10) % 2);
        }
        f.sky->Step();
        f.feeder->Step();
    }
    EXPECT_EQ(counter.count(), 0u);
}

}  // namespace
}  // namespace halcyra::test
