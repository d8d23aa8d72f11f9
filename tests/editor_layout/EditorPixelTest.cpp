// Pixel probes of the whole editor at scale 1 and 2 (same logical points, doubled
// pixel coordinates), and of the custom controls alone on the window colour.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "LayoutFixture.h"
#include "editor/EditorColors.h"
#include "editor/controls/MixLockControl.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/OutputMeterControl.h"
#include "editor/controls/RespModeToggleControl.h"
#include "graphics/controls/IVKnobControl.h"
#include "plugin/Parameters.h"
#include "plugin/SkyFeed.h"

namespace halcyra::test {
namespace {

class WholeEditorPixels : public ::testing::TestWithParam<float> {};

TEST_P(WholeEditorPixels, BackgroundHeaderBoxMeterTroughAndKnobFace) {
    EditorFixture e(GetParam());
    ASSERT_EQ(e.ui.PixelWidth(), std::lround(760 * GetParam()));
    ASSERT_TRUE(e.Render());
    ASSERT_EQ(e.renderer.Width(), e.ui.PixelWidth());

    // Bare header between "A>B" and the meter, and the bare corner left of the strip.
    EXPECT_TRUE(ColorNear(e.At(620, 22), kWindowColor, 1));
    EXPECT_TRUE(ColorNear(e.At(5, 550), kWindowColor, 1));
    // The preset box right of the preset name, clear of the arrows.
    EXPECT_TRUE(ColorNear(e.At(438, 12), Blend(kHeaderBoxColor, kWindowColor)));
    // Upper meter trough, nothing playing: frame colour at alpha 71.
    const IRECT meter = e.ui.GetControlWithTag(20)->GetRECT();
    EXPECT_TRUE(ColorNear(e.At(meter.L + 10, meter.MH() - 2.5f), Blend(kFrameColor.WithAlpha(71), kWindowColor)));
    // Knob faces at their centres (the pointer starts 30 % out from there).
    for (int tag : {1, 21, 6}) {  // not Response: its value text sits on the face
        const auto* knob = e.Tagged<IVKnobControl>(tag);
        const IRECT w = knob->GetWidgetBounds();
        EXPECT_TRUE(ColorNear(e.At(w.MW(), w.MH()), kKnobBodyColor)) << "tag " << tag;
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, WholeEditorPixels, ::testing::Values(1.0f, 2.0f));

// Redrawing only what changed must give the picture a full repaint gives, through
// changes that overlap each other: the sky under the fold-out panel, the meter's
// readout outside its rectangle, a tooltip, the preset panel over everything, a
// palette change reaching every knob. At the opening scale, where control edges
// fall between pixels.
TEST(PartialRedraw, EveryStepLooksLikeAFullRepaint) {
    // Two identical editors through the same steps: one keeps its picture and redraws
    // what changed, the other repaints everything every frame.
    EditorFixture partial(1.2f), full(1.2f);
    const auto frame = [&] {
        partial.ui.OnFrame(1.0 / 60.0);
        full.ui.OnFrame(1.0 / 60.0);
        ASSERT_TRUE(partial.renderer.Update(partial.ui));
    };
    const auto feed = [](EditorFixture& e, float level, int flashes) {
        SkyFeed& s = e.ctx.feed.writeSlot();
        s = SkyFeed{};
        for (int i = 0; i < kSkyPointCount; ++i) s.weights[i] = 0.5f + 0.4f * std::sin(level * 40.0f + i);
        s.reverbLevel = level;
        s.onsetGain = 1.0f;
        s.peakLeft = s.peakRight = s.rmsLeft = s.rmsRight = level;
        s.flashCount = flashes;
        for (int j = 0; j < flashes; ++j) s.flashes[j] = {j * 17 % kSkyPointCount, 0.9f, 2000 * j, 1, -12.0f};
        e.ctx.feed.publish();
    };
    const auto hover = [](EditorFixture& e, float x, float y) { e.ui.OnMouseOver(x, y, IMouseMod()); };
    const IRECT meter = full.ui.GetControlWithTag(20)->GetRECT();
    using Step = std::function<void(EditorFixture&)>;
    const Step steps[] = {
        [&](EditorFixture& e) { feed(e, 0.3f, 6); },
        [](EditorFixture& e) { e.DragY(49, 476, -30); },  // Size knob
        [&](EditorFixture& e) { hover(e, meter.MW(), meter.MH()); },  // readout left of the meter
        [&](EditorFixture& e) { hover(e, 620, 22); },
        [](EditorFixture& e) { e.Click(380, 405); },  // fold-out panel over the sky
        [&](EditorFixture& e) { feed(e, 0.5f, 3); e.DragY(304, 335, 20); },  // sky and a fold-out knob
        [](EditorFixture& e) { e.Click(380, 405); },
        [&](EditorFixture& e) {  // the monitor toggle's tooltip, after a while
            hover(e, 722, 366);
            for (int i = 0; i < 40; ++i) e.ui.OnFrame(1.0 / 60.0);
        },
        [&](EditorFixture& e) { hover(e, 620, 22); },
        [](EditorFixture& e) { e.Click(346, 22); },  // preset panel over everything
        [&](EditorFixture& e) { feed(e, 0.1f, 2); },
        [](EditorFixture& e) { e.Click(20, 500); },
        [](EditorFixture& e) {
            e.ctx.store.set(kPreset, 4);
            e.ui.SetControlValueFromDelegate(kPreset, e.ctx.store.getNormalized(kPreset));
        },
    };
    frame();
    int index = 0;
    for (const Step& step : steps) {
        step(partial);
        step(full);
        for (int i = 0; i < 3; ++i) frame();
        ASSERT_TRUE(full.Render());
        const auto& a = partial.renderer.Pixels();
        const auto& b = full.renderer.Pixels();
        ASSERT_EQ(a.size(), b.size());
        std::size_t worst = 0;
        int worstDiff = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const int d = std::abs(a[i] - b[i]);
            if (d > worstDiff) worstDiff = d, worst = i;
        }
        const int x = static_cast<int>(worst / 4) % full.renderer.Width();
        const int y = static_cast<int>(worst / 4) / full.renderer.Width();
        EXPECT_LE(worstDiff, 2) << "step " << index << ": pixel (" << x << ", " << y << ")";
        ++index;
    }
}

// One control on the window colour, at scale 1.
class SingleControl {
public:
    template <typename T>
    T* Attach(T* control) {
        ui.AttachPanelBackground(kWindowColor);
        ui.AttachControl(control);
        return control;
    }
    IColor At(float x, float y) {
        EXPECT_TRUE(renderer.Render(ui));
        return renderer.PixelAt(static_cast<int>(x), static_cast<int>(y));
    }
    IGraphics ui{nullptr, 760, 560, 60, 1.0f};
    OffscreenRenderer renderer;
};

TEST(OutputMeterDrawing, LevelsFillFromMinus48ToZeroDbfs) {
    EXPECT_EQ(OutputMeterControl::LevelToFraction(0.0f), 0.0f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(0.00001f), 0.0f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(std::pow(10.0f, -48.0f / 20.0f)), 0.0f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(1e-4f), 0.0f);  // −80 dB
    EXPECT_NEAR(OutputMeterControl::LevelToFraction(std::pow(10.0f, -12.0f / 20.0f)), 0.75f, 1e-5f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(1.0f), 1.0f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(4.0f), 1.0f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(NAN), 0.0f);
    EXPECT_EQ(OutputMeterControl::LevelToFraction(-1.0f), 0.0f);
}

TEST(OutputMeterDrawing, BarsPeakLinesAndMarkerLandWhereTheLevelsSay) {
    SingleControl s;
    const IRECT r(100, 100, 260, 122);  // x0 101, x1 259, mid 111
    auto* meter = s.Attach(new OutputMeterControl(r, kOutput, kAccentInitialColor, kTextColor, kDimColor, kFrameColor));
    meter->SetValue(0.0);  // gain marker at the far left, out of the probes' way
    const IColor trough = Blend(kFrameColor.WithAlpha(71), kWindowColor);
    const IColor lit = Blend(kAccentInitialColor.WithAlpha(140), trough);

    // Left: 0 dBFS fills the whole top bar; right: silence leaves the bottom bar empty.
    meter->SetMeterValues(0.0f, 0.0f, 1.0f, 0.0f);
    EXPECT_TRUE(ColorNear(s.At(130, 108), lit));
    EXPECT_TRUE(ColorNear(s.At(257, 108), lit));
    EXPECT_TRUE(ColorNear(s.At(130, 113), trough));
    EXPECT_TRUE(ColorNear(s.At(257, 113), trough));

    // −24 dB RMS fills half the bar; a −12 dB peak draws a line at three quarters.
    meter->SetMeterValues(std::pow(10.0f, -12.0f / 20.0f), 0.0f, std::pow(10.0f, -24.0f / 20.0f), 0.0f);
    EXPECT_TRUE(ColorNear(s.At(170, 108), lit));
    EXPECT_TRUE(ColorNear(s.At(190, 108), trough));
    const float peakX = 101 + 0.75f * 158;
    EXPECT_TRUE(ColorNear(s.At(peakX, 108), kTextColor, 40));
    EXPECT_TRUE(ColorNear(s.At(peakX + 6, 108), trough));

    // Levels at −48 dB and below: the trough and nothing else.
    meter->SetMeterValues(1e-5f, 1e-5f, std::pow(10.0f, -48.0f / 20.0f), 0.0f);
    for (float x : {104.0f, 120.0f, 200.0f, 257.0f}) EXPECT_TRUE(ColorNear(s.At(x, 108), trough)) << x;

    // Gain marker at 0 dB: two thirds along, a text-coloured bar 14 units tall.
    meter->SetValue(toNormalized(kOutput, 0.0));
    const float markerX = 101 + 158.0f * 24.0f / 36.0f;
    EXPECT_TRUE(ColorNear(s.At(markerX + 1.2f, 105), kTextColor, 40));
    EXPECT_TRUE(ColorNear(s.At(markerX, 99), kWindowColor, 1));
}

TEST(ToggleDrawing, MonitorToggleHighlightsTheSelectedHalf) {
    SingleControl s;
    const IRECT r(100, 100, 148, 124);
    auto* t = s.Attach(new MonitorToggleControl(r, kMonitor, kAccentInitialColor, kTextColor, kDimColor, kFrameColor));
    const IColor well = Blend(kToggleWellColor, kWindowColor);
    const IColor selected = Blend(kAccentInitialColor.WithAlpha(56), well);
    // A point near each half's top-left, inside the highlight and clear of the icons.
    t->SetValue(0.0);
    EXPECT_TRUE(ColorNear(s.At(104, 104), selected));
    EXPECT_TRUE(ColorNear(s.At(128, 104), well));
    t->SetValue(0.5);  // still Headphones
    EXPECT_TRUE(ColorNear(s.At(104, 104), selected));
    t->SetValue(1.0);
    EXPECT_TRUE(ColorNear(s.At(104, 104), well));
    EXPECT_TRUE(ColorNear(s.At(128, 104), selected));
}

TEST(ToggleDrawing, MixLockBodyIsFilledOnlyWhenLocked) {
    SingleControl s;
    const IRECT r(100, 100, 132, 122);  // c = 116, body (111, 111, 121, 117)
    auto* lock = s.Attach(new MixLockControl(r, kMixLock, kAccentInitialColor, kDimColor));
    lock->SetValue(1.0);
    EXPECT_TRUE(ColorNear(s.At(112.5f, 114), kAccentInitialColor));
    EXPECT_LT(s.At(116, 114).R, 90);  // the dark keyhole, softened by antialiasing
    lock->SetValue(0.5);
    EXPECT_TRUE(ColorNear(s.At(113, 114), kWindowColor, 1));
    EXPECT_FALSE(ColorNear(s.At(111, 114), kWindowColor, 10));  // the outline
}

TEST(ToggleDrawing, ResponseModeThumbSitsOnTheActiveSide) {
    SingleControl s;
    const IRECT r(100, 100, 194, 120);  // centre (147, 110): pill 136…158
    auto* t = s.Attach(new RespModeToggleControl(r, kResponseMode, kAccentInitialColor, kTextColor, kDimColor,
                                                 kFrameColor));
    const IColor pill = Blend(kFrameColor.WithAlpha(89), kWindowColor);
    t->SetValue(0.0);
    EXPECT_TRUE(ColorNear(s.At(142, 110), kAccentInitialColor));
    EXPECT_TRUE(ColorNear(s.At(152, 110), pill));
    t->SetValue(1.0);
    EXPECT_TRUE(ColorNear(s.At(152, 110), kAccentInitialColor));
    EXPECT_TRUE(ColorNear(s.At(142, 110), pill));
}

}  // namespace
}  // namespace halcyra::test
