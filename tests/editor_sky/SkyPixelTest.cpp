// Pixel probes of the sky view rendered offscreen at scale 1.
#include <gtest/gtest.h>

#include <cmath>

#include "SkyFixture.h"
#include "editor/SkyPalette.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

IColor Scaled(const IColor& c, float g) {
    const auto s = [g](int v) { return std::clamp(static_cast<int>(std::lround(v * g)), 0, 255); };
    return {255, s(c.R), s(c.G), s(c.B)};
}

// An external state with nothing in it but the sky: no clouds, no glow, no flashes.
class BareSky : public ::testing::TestWithParam<float> {
protected:
    BareSky() : f(false) {
        state.reverbLevel = 0.0f;
        f.sky->SetExternalState(&state);
    }
    SkyFixture f;
    SkyViewState state;
};

TEST_P(BareSky, GradientOfPaletteTwoScaledByBrightness) {
    state.brightness = GetParam();
    ASSERT_TRUE(f.Render());
    const float g = std::clamp(GetParam(), 0.0f, 1.0f) * 0.4f + 0.8f;
    const SkyPaletteEntry& p = GetSkyPalette(2);
    for (float x : {2.0f, 380.0f, 757.0f}) {
        EXPECT_TRUE(ColorNear(f.At(x, kSkyRect.T), Scaled(p.skyTop, g))) << "top row, x " << x;
        EXPECT_TRUE(ColorNear(f.At(x, kSkyRect.B - 1), Scaled(p.skyBottom, g))) << "bottom row, x " << x;
    }
    // Halfway down, halfway between.
    const IColor mid = f.At(380.0f, kSkyRect.MH());
    const IColor top = Scaled(p.skyTop, g), bottom = Scaled(p.skyBottom, g);
    EXPECT_TRUE(ColorNear(mid, {255, (top.R + bottom.R) / 2, (top.G + bottom.G) / 2, (top.B + bottom.B) / 2}, 3));
    // Nothing outside the sky's rectangle.
    EXPECT_TRUE(ColorNear(f.At(380.0f, kSkyRect.T - 1), kBackground, 1));
    EXPECT_TRUE(ColorNear(f.At(380.0f, kSkyRect.B), kBackground, 1));
}

// 1.5 is out of range and must count as 1.
INSTANTIATE_TEST_SUITE_P(Brightness, BareSky, ::testing::Values(0.0f, 0.5f, 1.0f, 1.5f));

TEST(SkyPixels, TheHorizonGlowPulsesWithATenSecondPeriod) {
    SkyFixture f(false);
    SkyViewState state;
    state.reverbLevel = 1.0f;
    f.sky->SetExternalState(&state);
    const float glowX = kSkyRect.MW(), glowY = kSkyRect.B - kSkyRect.H() * 2.0f / 11.0f;

    // The pulse is at its lowest at t = 7.5 s and its highest five seconds later
    // (where the alpha cap of 0.85 applies); the view opens at t = 1.5 s.
    f.Frames(360);
    ASSERT_NEAR(f.sky->Time(), 7.5, 1e-6);
    ASSERT_TRUE(f.Render());
    const IColor low = f.At(glowX, glowY);
    f.Frames(300);
    ASSERT_TRUE(f.Render());
    const IColor high = f.At(glowX, glowY);
    f.Frames(300);
    ASSERT_TRUE(f.Render());
    const IColor lowAgain = f.At(glowX, glowY);

    EXPECT_GT(Brightness(high), Brightness(low) + 40) << Describe(low) << " vs " << Describe(high);
    EXPECT_TRUE(ColorNear(lowAgain, low, 1));

    // Without reverb there is no glow at all: the plain gradient shows.
    state.reverbLevel = 0.0f;
    ASSERT_TRUE(f.Render());
    EXPECT_LT(Brightness(f.At(glowX, glowY)), Brightness(low) - 40);
}

// Flashes from the plug-in's records, through the feeder.
class FedFlashes : public ::testing::Test {
protected:
    // Publishes one record (or none) and renders one frame later.
    void RenderWith(int point, float levelDb) {
        SkyFeed& s = f.ctx.nextSnapshot();
        s.flashCount = point == kNone ? 0 : 1;
        s.flashes[0] = {point, 1.0f, 14400, 1, levelDb};  // 0.3 s old
        s.reverbLevel = 0.0001f;                          // alive, but no visible glow
        f.ctx.publish();
        f.Frames(1);
        ASSERT_TRUE(f.Render());
    }
    static constexpr int kNone = -2;

    SkyFixture f;
    SkyPointTable points;
};

TEST_F(FedFlashes, AFlashShowsWhereItsRecordSaysAndOnlyThere) {
    f.ctx.store.set(kEvents, 1);  // manual: every flash shows whatever its level
    const int p = 0;
    RenderWith(kNone, 0.0f);
    const float x = f.sky->XForAzimuth(points.azimuth[p]), y = f.sky->YForElevation(points.elevation[p]);
    const IColor before = f.At(x, y);
    const IColor elsewhere = f.At(100.0f, 300.0f);
    const IColor centre = f.At(kSkyRect.MW(), kSkyRect.MH());
    const IColor besideBefore = f.At(x + 6, y);

    RenderWith(p, -70.0f);
    EXPECT_GT(Brightness(f.At(x, y)), Brightness(before) + 200) << Describe(before) << " → " << Describe(f.At(x, y));
    EXPECT_GT(Brightness(f.At(x + 6, y)), Brightness(before) + 60) << "the horizontal arm";
    EXPECT_TRUE(ColorNear(f.At(100.0f, 300.0f), elsewhere, 1));

    // A record without a point draws nothing anywhere.
    RenderWith(-1, 0.0f);
    EXPECT_TRUE(ColorNear(f.At(x, y), before, 1));
    EXPECT_TRUE(ColorNear(f.At(x + 6, y), besideBefore, 1)) << "no arm left behind";
    EXPECT_TRUE(ColorNear(f.At(kSkyRect.MW(), kSkyRect.MH()), centre, 1));
}

TEST_F(FedFlashes, InAutoModeQuietStarsFadeOut) {
    f.ctx.store.set(kEvents, 0);
    const int p = 0;
    const float x = f.sky->XForAzimuth(points.azimuth[p]), y = f.sky->YForElevation(points.elevation[p]);
    RenderWith(kNone, 0.0f);
    const IColor none = f.At(x, y);
    RenderWith(p, -70.0f);  // below −60 dB: invisible
    EXPECT_TRUE(ColorNear(f.At(x, y), none, 1));
    RenderWith(p, -50.0f);  // a quarter of the way up the gate
    const int faint = Brightness(f.At(x, y));
    RenderWith(p, -10.0f);  // above −20 dB: full strength
    const int full = Brightness(f.At(x, y));
    EXPECT_GT(faint, Brightness(none) + 20);
    EXPECT_GT(full, faint + 60);
}

TEST_F(FedFlashes, SpeakersDrawTheRightEdgeAtSixtyFourPointEightDegrees) {
    f.ctx.store.set(kEvents, 1);
    int p = 0;
    for (int i = 1; i < SkyPointTable::kCount; ++i)
        if (points.azimuth[i] > points.azimuth[p]) p = i;
    ASSERT_GT(points.azimuth[p], 80.0f);
    const float y = f.sky->YForElevation(points.elevation[p]);
    const float wide = kSkyRect.W() * (points.azimuth[p] + 90.0f) / 180.0f;
    const float narrow = kSkyRect.W() * (points.azimuth[p] * 0.72f + 90.0f) / 180.0f;

    RenderWith(p, 0.0f);
    const int wideOn = Brightness(f.At(wide, y)), narrowOff = Brightness(f.At(narrow, y));
    f.ctx.store.set(kMonitor, 1);
    RenderWith(p, 0.0f);
    const int wideOff = Brightness(f.At(wide, y)), narrowOn = Brightness(f.At(narrow, y));
    EXPECT_GT(wideOn, wideOff + 150);
    EXPECT_GT(narrowOn, narrowOff + 150);
}

TEST_F(FedFlashes, DrawingStaysInsideTheSky) {
    f.ctx.store.set(kEvents, 1);
    int p = 0;
    for (int i = 1; i < SkyPointTable::kCount; ++i)
        if (points.elevation[i] > points.elevation[p]) p = i;
    const float x = f.sky->XForAzimuth(points.azimuth[p]);
    const float y = f.sky->YForElevation(points.elevation[p]);
    ASSERT_LT(y - kSkyRect.T, 8.0f) << "a flash this close to the top would spill over unclipped";
    RenderWith(p, 0.0f);
    EXPECT_GT(Brightness(f.At(x, kSkyRect.T)), 300);
    EXPECT_TRUE(ColorNear(f.At(x, kSkyRect.T - 1), kBackground, 1));
    EXPECT_TRUE(ColorNear(f.At(x, kSkyRect.T - 6), kBackground, 1));
}

TEST(SkyPixels, TheWindArrowShowsInTheAccentThenFades) {
    SkyFixture f(false);
    SkyViewState state;
    f.sky->SetExternalState(&state);
    const float y0 = kSkyRect.T + 0.13f * kSkyRect.H();
    // Tip at +45°: mid + W × 0.2 × 0.5; probe halfway along the shaft.
    const float probeX = kSkyRect.MW() + kSkyRect.W() * 0.05f;
    ASSERT_TRUE(f.Render());
    const IColor sky = f.At(probeX, y0);
    f.Drag(380.0f, 200.0f, {{(45.0f + 90.0f) / 180.0f * 760.0f, 200.0f}});
    ASSERT_TRUE(f.Render());
    const IColor accent = GetSkyPalette(2).accent;
    const IColor shaft = f.At(probeX, y0);
    EXPECT_GT(Brightness(shaft), Brightness(sky) + 200) << Describe(shaft);
    EXPECT_TRUE(ColorNear(shaft, accent, 40)) << "mostly accent over the dark sky";
    // Nothing on the left of the centre for a wind to the right.
    EXPECT_TRUE(ColorNear(f.At(kSkyRect.MW() - 30, y0), f.At(kSkyRect.MW() - 30, y0 + 20), 3));
    f.Frames(72);
    ASSERT_TRUE(f.Render());
    EXPECT_TRUE(ColorNear(f.At(probeX, y0), sky, 1));
}

}  // namespace
}  // namespace halcyra::test
