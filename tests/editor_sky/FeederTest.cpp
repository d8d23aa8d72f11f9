// The feeder: SkyFeed snapshots into the sky's state, the idle → fed switch,
// parameter follow (palette and accent, speakers, manual events) and the meter.
#include <gtest/gtest.h>

#include <algorithm>

#include "SkyFixture.h"
#include "editor/EditorColors.h"
#include "editor/KnobStyle.h"
#include "editor/SkyPalette.h"
#include "editor/controls/MixLockControl.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/OutputMeterControl.h"
#include "editor/controls/RespModeToggleControl.h"
#include "graphics/controls/IVKnobControl.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

int AliveFlashes(const SkyViewState& s) {
    return static_cast<int>(std::count_if(std::begin(s.flashes), std::end(s.flashes),
                                          [](const SkyFlash& f) { return !f.Expired(); }));
}

TEST(SkyFeeder, StaysIdleUntilTheFirstActivityThenStaysFed) {
    SkyFixture f;
    f.Frames(10);
    EXPECT_FALSE(f.feeder->IsFed());
    EXPECT_EQ(f.sky->GetExternalState(), nullptr);

    f.ctx.nextSnapshot();  // a published but silent snapshot is no sign of life
    f.ctx.publish();
    f.Frames(1);
    EXPECT_FALSE(f.feeder->IsFed());

    f.ctx.nextSnapshot().weights[77] = 0.25f;
    f.ctx.publish();
    f.Frames(1);
    EXPECT_TRUE(f.feeder->IsFed());
    EXPECT_EQ(f.sky->GetExternalState(), &f.feeder->FedState());
    EXPECT_FLOAT_EQ(f.feeder->FedState().weights[77], 0.25f);

    f.ctx.nextSnapshot();  // silence again: the plug-in's (empty) sky stays on screen
    f.ctx.publish();
    f.Frames(30);
    EXPECT_EQ(f.sky->GetExternalState(), &f.feeder->FedState());
    EXPECT_FLOAT_EQ(f.feeder->FedState().weights[77], 0.0f);
}

// Each of the three signs of life is enough on its own.
TEST(SkyFeeder, ReverbLevelOrStarCountAloneCountAsActivity) {
    {
        SkyFixture f;
        f.ctx.nextSnapshot().reverbLevel = 0.01f;
        f.ctx.publish();
        f.Frames(1);
        EXPECT_TRUE(f.feeder->IsFed());
        EXPECT_FLOAT_EQ(f.feeder->FedState().reverbLevel, 0.01f);
    }
    {
        SkyFixture f;
        f.ctx.nextSnapshot().flashCount = 1;  // its record has no point, but a star did start
        f.ctx.publish();
        f.Frames(1);
        EXPECT_TRUE(f.feeder->IsFed());
        EXPECT_EQ(AliveFlashes(f.feeder->FedState()), 0);
    }
}

TEST(SkyFeeder, ThirtyTwoFlashesAtMostWhateverTheCountSays) {
    SkyFixture f;
    SkyFeed& s = f.ctx.nextSnapshot();
    s.flashCount = 40;
    for (int j = 0; j < kMaxRecentEvents; ++j) s.flashes[j] = {j * 3, 0.5f, 480 * j, 1, -12.0f};
    f.ctx.publish();
    f.Frames(1);

    const SkyViewState& st = f.feeder->FedState();
    EXPECT_EQ(AliveFlashes(st), 32);
    const SkyPointTable points;
    for (int j = 0; j < kMaxRecentEvents; ++j) {
        EXPECT_FLOAT_EQ(st.flashes[j].azimuth, points.azimuth[j * 3]) << j;
        EXPECT_FLOAT_EQ(st.flashes[j].elevation, points.elevation[j * 3]) << j;
        EXPECT_FLOAT_EQ(st.flashes[j].intensity, 0.5f);
        EXPECT_NEAR(st.flashes[j].age, 0.01f * j, 1e-6f) << "480 samples at 48 kHz are 10 ms";
        EXPECT_FLOAT_EQ(st.flashes[j].level, -12.0f);
    }
}

TEST(SkyFeeder, OnlyTheCountedRecordsWithARealPointBecomeFlashes) {
    SkyFixture f;
    SkyFeed& s = f.ctx.nextSnapshot();
    s.flashCount = 4;
    s.flashes[0] = {-1, 1.0f, 0, 1, 0.0f};
    s.flashes[1] = {128, 1.0f, 0, 1, 0.0f};
    s.flashes[2] = {5, 0.8f, 0, 1, 0.0f};
    s.flashes[3] = {127, 0.9f, 0, 1, 0.0f};
    s.flashes[4] = {6, 1.0f, 0, 1, 0.0f};  // beyond the count: left over from an older block
    f.ctx.publish();
    f.Frames(1);
    const SkyViewState& st = f.feeder->FedState();
    EXPECT_TRUE(st.flashes[0].Expired());
    EXPECT_TRUE(st.flashes[1].Expired());
    EXPECT_FALSE(st.flashes[2].Expired());
    EXPECT_FALSE(st.flashes[3].Expired());
    EXPECT_TRUE(st.flashes[4].Expired());

    // A later snapshot without stars expires what the earlier one showed.
    f.ctx.nextSnapshot().reverbLevel = 0.1f;
    f.ctx.publish();
    f.Frames(1);
    EXPECT_EQ(AliveFlashes(f.feeder->FedState()), 0);

    // A negative count from a corrupted snapshot shows nothing rather than reading astray.
    SkyFeed& bad = f.ctx.nextSnapshot();
    bad.flashCount = -5;
    bad.flashes[0] = {5, 1.0f, 0, 1, 0.0f};
    f.ctx.publish();
    f.Frames(1);
    EXPECT_EQ(AliveFlashes(f.feeder->FedState()), 0);
}

TEST(SkyFeeder, FlashAgesUseTheSampleRateOr48kWhenUnknown) {
    for (const auto& [rate, expected] : {std::pair{96000.0, 0.25f}, std::pair{0.0, 0.5f}, std::pair{-1.0, 0.5f}}) {
        SkyFixture f;
        f.ctx.rate = rate;
        SkyFeed& s = f.ctx.nextSnapshot();
        s.flashCount = 1;
        s.flashes[0] = {10, 1.0f, 24000, 1, 0.0f};
        f.ctx.publish();
        f.Frames(1);
        EXPECT_NEAR(f.feeder->FedState().flashes[0].age, expected, 1e-6f) << "rate " << rate;
    }
}

TEST(SkyFeeder, ScalarsComeFromTheParameters) {
    SkyFixture f;
    f.ctx.store.set(kSize, 0.4);
    f.ctx.store.set(kBrightness, 0.3);
    f.ctx.store.set(kWind, 0.7);
    f.ctx.store.set(kRate, 0.9);
    SkyFeed& s = f.ctx.nextSnapshot();
    s.reverbLevel = 0.2f;
    s.onsetGain = 0.6f;
    f.ctx.publish();
    f.Frames(1);
    const SkyViewState& st = f.feeder->FedState();
    EXPECT_NEAR(st.size, 0.775f, 1e-6f);
    EXPECT_FLOAT_EQ(st.brightness, 0.3f);
    EXPECT_FLOAT_EQ(st.wind, 0.7f);
    EXPECT_FLOAT_EQ(st.rate, 0.9f);
    EXPECT_FLOAT_EQ(st.onsetGain, 0.6f);
    EXPECT_FLOAT_EQ(st.reverbLevel, 0.2f);

    f.ctx.store.set(kSize, 0.8);  // 0.8 × 1.9375 is past the top of the sky's size range
    f.Frames(1);
    EXPECT_FLOAT_EQ(f.feeder->FedState().size, 1.0f);
}

TEST(SkyFeeder, MonitorAndEventsFollowTheParameters) {
    SkyFixture f;
    f.Frames(1);
    EXPECT_FALSE(f.sky->GetSpeakers());
    EXPECT_FALSE(f.sky->GetManualEvents());

    f.ctx.store.set(kMonitor, 1);
    f.ctx.store.set(kEvents, 2);  // Comet
    f.Frames(1);
    EXPECT_TRUE(f.sky->GetSpeakers());
    EXPECT_TRUE(f.sky->GetManualEvents());

    f.ctx.store.set(kEvents, 1);  // Star: still manual
    f.Frames(1);
    EXPECT_TRUE(f.sky->GetManualEvents());

    f.ctx.store.set(kMonitor, 0);
    f.ctx.store.set(kEvents, 0);
    f.Frames(1);
    EXPECT_FALSE(f.sky->GetSpeakers());
    EXPECT_FALSE(f.sky->GetManualEvents());
}

TEST(SkyPalette, FiveEntriesAndTheDefaultForAnythingElse) {
    EXPECT_EQ(GetSkyPalette(0).skyTop, IColor(255, 42, 30, 51));
    EXPECT_EQ(GetSkyPalette(4).accent, IColor(255, 124, 224, 168));
    EXPECT_EQ(GetSkyPalette(4).spare, IColor(255, 216, 168, 255));
    for (int outside : {-1, 5, 1000}) EXPECT_EQ(&GetSkyPalette(outside), &GetSkyPalette(2)) << outside;
    // The editor's initial accent is the default entry's.
    EXPECT_EQ(GetSkyPalette(kDefaultSkyPalette).accent, kAccentInitialColor);

    // Weather presets to palettes; unknown presets show Cirrus's.
    const int expected[] = {1, 0, 2, 1, 3, 4, 1, 2};
    for (int p = 0; p < 8; ++p) EXPECT_EQ(SkyViewFeeder::PaletteForPreset(p), expected[p]) << "preset " << p;
    EXPECT_EQ(SkyViewFeeder::PaletteForPreset(-1), 1);
    EXPECT_EQ(SkyViewFeeder::PaletteForPreset(8), 1);
}

// The knobs, toggles, lock and meter the layout tags, plus two bystanders that
// must keep the initial accent: a knob with a tag not in the list, and an untagged meter.
class PaletteFollow : public ::testing::Test {
protected:
    PaletteFollow() : f(false) {
        const IVStyle style = MakeKnobStyle(kAccentInitialColor);
        for (int tag : SkyViewFeeder::kAccentKnobTags)
            f.ui.AttachControl(new IVKnobControl(IRECT(0, 430, 70, 520), kNoParameter, "K", style), tag);
        f.ui.AttachControl(new IVKnobControl(IRECT(0, 430, 70, 520), kNoParameter, "X", style), 5);
        f.ui.AttachControl(new MixLockControl(IRECT(695, 522, 727, 544), kMixLock, kAccentInitialColor, kDimColor), 7);
        f.ui.AttachControl(new MonitorToggleControl(IRECT(698, 354, 746, 378), kMonitor, kAccentInitialColor, kTextColor,
                                                    kDimColor, kFrameColor),
                           8);
        f.ui.AttachControl(new RespModeToggleControl(IRECT(333, 523, 427, 543), kResponseMode, kAccentInitialColor,
                                                     kTextColor, kDimColor, kFrameColor),
                           25);
        meter = new OutputMeterControl(IRECT(674, 11, 746, 33), kOutput, kAccentInitialColor, kTextColor, kDimColor,
                                       kFrameColor);
        f.ui.AttachControl(meter, 20);
        bystander = new OutputMeterControl(IRECT(0, 0, 60, 20), kOutput, kAccentInitialColor, kTextColor, kDimColor,
                                           kFrameColor);
        f.ui.AttachControl(bystander);
        f.feeder = static_cast<SkyViewFeeder*>(f.ui.AttachControl(new SkyViewFeeder(f.ctx, *f.sky)));
    }

    void ExpectAccent(const IColor& accent) {
        for (int tag : SkyViewFeeder::kAccentKnobTags)
            EXPECT_EQ(static_cast<IVKnobControl*>(f.ui.GetControlWithTag(tag))->GetStyle().colorSpec.Get(kX1), accent)
                << "knob " << tag;
        EXPECT_EQ(static_cast<MixLockControl*>(f.ui.GetControlWithTag(7))->GetAccentColor(), accent);
        EXPECT_EQ(static_cast<MonitorToggleControl*>(f.ui.GetControlWithTag(8))->GetAccentColor(), accent);
        EXPECT_EQ(static_cast<RespModeToggleControl*>(f.ui.GetControlWithTag(25))->GetAccentColor(), accent);
        EXPECT_EQ(meter->GetAccentColor(), accent);
        EXPECT_EQ(static_cast<IVKnobControl*>(f.ui.GetControlWithTag(5))->GetStyle().colorSpec.Get(kX1),
                  kAccentInitialColor);
        EXPECT_EQ(bystander->GetAccentColor(), kAccentInitialColor);
    }

    SkyFixture f;
    OutputMeterControl* meter = nullptr;
    OutputMeterControl* bystander = nullptr;
};

TEST_F(PaletteFollow, PresetChangesRetintTheSkyAndTheAccentedControls) {
    f.Frames(1);  // Preset 0, Sky Opening: palette 1
    EXPECT_EQ(f.sky->GetPaletteIndex(), 1);
    ExpectAccent(GetSkyPalette(1).accent);

    f.ctx.store.set(kPreset, 4);  // Storm
    f.Frames(1);
    EXPECT_EQ(f.sky->GetPaletteIndex(), 3);
    ExpectAccent(IColor(255, 224, 145, 46));

    f.ctx.store.set(kPreset, 5);  // Aurora
    f.Frames(1);
    EXPECT_EQ(f.sky->GetPaletteIndex(), 4);
    ExpectAccent(IColor(255, 124, 224, 168));
}

TEST_F(PaletteFollow, TheMeterGetsTheNewestLevelsEveryFrame) {
    // Upper bar (RMS left) at the meter's middle third: frame colour when silent,
    // the accent fill when the left channel is at full scale.
    const IRECT r = meter->GetRECT();
    const float barX = r.L + r.W() * 0.5f, barY = r.MH() - 2.5f;
    f.Frames(1);
    ASSERT_TRUE(f.Render());
    const IColor silent = f.At(barX, barY);

    SkyFeed& s = f.ctx.nextSnapshot();
    s.rmsLeft = 1.0f;
    s.peakLeft = 1.0f;
    f.ctx.publish();
    f.Frames(1);
    ASSERT_TRUE(f.Render());
    const IColor loud = f.At(barX, barY);
    EXPECT_GT(Brightness(loud), Brightness(silent) + 60) << Describe(silent) << " → " << Describe(loud);
    // The lower bar (right channel) stays empty.
    EXPECT_TRUE(ColorNear(f.At(barX, r.MH() + 2.5f), silent));
}

}  // namespace
}  // namespace halcyra::test
