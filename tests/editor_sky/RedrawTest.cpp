// Redraw throttling: full rate while something moves, every third frame otherwise,
// and 45 frames at full rate after a change of size, brightness, wind or rate.
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

TEST(SkyRedraw, AStillFedSkyRedrawsEveryThirdFrameAfterFortyFiveAfterAChange) {
    SkyViewControl sky(kSkyRect, 2);
    SkyViewState state;  // no live flashes
    sky.SetExternalState(&state);
    // Attaching counts as a change (nothing was seen before): 45 frames at full rate.
    EXPECT_EQ(Pattern(sky, 45), std::string(45, 'x'));
    std::string still = Pattern(sky, 30);
    // Every third frame by the frame counter, whatever the phase.
    EXPECT_EQ(std::count(still.begin(), still.end(), 'x'), 10) << still;
    for (std::size_t i = 3; i < still.size(); ++i) EXPECT_EQ(still[i], still[i - 3]) << still;

    for (float* scalar : {&state.size, &state.brightness, &state.wind, &state.rate}) {
        *scalar += 0.01f;
        EXPECT_EQ(Pattern(sky, 45), std::string(45, 'x'));
        still = Pattern(sky, 9);
        EXPECT_EQ(std::count(still.begin(), still.end(), 'x'), 3) << still;
    }
    // Changes below the 0.0001 threshold (and the reverb level, which the glow
    // pulses with anyway) do not hold full rate.
    state.size += 0.00005f;
    state.reverbLevel = 0.7f;
    still = Pattern(sky, 9);
    EXPECT_EQ(std::count(still.begin(), still.end(), 'x'), 3) << still;
}

TEST(SkyRedraw, LiveFlashesAPressAndAFadingArrowKeepFullRate) {
    SkyViewControl sky(kSkyRect, 2);
    SkyViewState state;
    sky.SetExternalState(&state);
    Pattern(sky, 45);

    state.flashes[17].age = 1.59f;
    EXPECT_EQ(Pattern(sky, 9), std::string(9, 'x'));
    state.flashes[17].age = 1.6f;  // expired
    const std::string expired = Pattern(sky, 9);
    EXPECT_EQ(std::count(expired.begin(), expired.end(), 'x'), 3) << expired;

    sky.OnMouseDown(100.0f, 100.0f, IMouseMod(true));
    EXPECT_EQ(Pattern(sky, 9), std::string(9, 'x')) << "pressed";
    sky.OnMouseDrag(300.0f, 100.0f, 200.0f, 0.0f, IMouseMod(true));
    sky.OnMouseUp(300.0f, 100.0f, IMouseMod(true));
    // The arrow fades for 1.2 s (72 frames) at full rate, then throttling resumes.
    EXPECT_EQ(Pattern(sky, 71), std::string(71, 'x'));
    Pattern(sky, 1);
    const std::string after = Pattern(sky, 9);
    EXPECT_EQ(std::count(after.begin(), after.end(), 'x'), 3) << after;
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
