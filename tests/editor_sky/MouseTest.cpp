// Mouse on the sky: clicks become star requests (only with manual events), a
// horizontal drag turns the wind arrow (a display only), a vertical drag and a
// double click do nothing.
#include <gtest/gtest.h>

#include <vector>

#include "SkyFixture.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

struct Click {
    float azimuth, elevation;
};

class SkyMouse : public ::testing::Test {
protected:
    SkyMouse() {
        f.sky->SetClickFunction([this](float az, float el) { clicks.push_back({az, el}); });
    }
    void ManualEvents(int events) {
        f.ctx.store.set(kEvents, events);
        f.Frames(1);
    }
    // Sky x for a wind angle: the full width spans −90° … +90°.
    static float XForAngle(float degrees) { return (degrees + 90.0f) / 180.0f * kSkyRect.W(); }

    SkyFixture f;
    std::vector<Click> clicks;
};

TEST_F(SkyMouse, AClickAsksForAStarThereOnlyWhileEventsAreManual) {
    ManualEvents(0);  // Auto
    f.Click(190.0f, 216.0f);
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(f.sky->IsPressed());

    ManualEvents(1);  // Star
    f.Click(190.0f, 216.0f);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_NEAR(clicks[0].azimuth, -45.0f, 1e-3f);
    EXPECT_NEAR(clicks[0].elevation, 17.5f, 1e-3f);

    // Corners map to the ends of both ranges.
    f.Click(0.0f, 387.999f);
    f.Click(759.999f, 44.0f);
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_NEAR(clicks[1].azimuth, -90.0f, 1e-2f);
    EXPECT_NEAR(clicks[1].elevation, -10.0f, 1e-2f);
    EXPECT_NEAR(clicks[2].azimuth, 90.0f, 1e-2f);
    EXPECT_NEAR(clicks[2].elevation, 45.0f, 1e-2f);
}

TEST_F(SkyMouse, SpeakersCompressTheDrawingButNotTheClick) {
    f.ctx.store.set(kMonitor, 1);
    ManualEvents(2);  // Comet
    ASSERT_TRUE(f.sky->GetSpeakers());
    EXPECT_NEAR(f.sky->XForAzimuth(90.0f), XForAngle(64.8f), 1e-3f);
    EXPECT_NEAR(f.sky->XForAzimuth(-90.0f), XForAngle(-64.8f), 1e-3f);

    f.Click(759.999f, 216.0f);
    f.Click(XForAngle(64.8f), 216.0f);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_NEAR(clicks[0].azimuth, 90.0f, 1e-2f);
    EXPECT_NEAR(clicks[1].azimuth, 64.8f, 1e-2f);
}

TEST_F(SkyMouse, TheDeadZoneSeparatesClicksFromDrags) {
    ManualEvents(1);
    // Wobbling by less than four units is still a click, reported at the press point.
    f.Drag(380.0f, 216.0f, {{383.0f, 218.0f}, {377.5f, 213.0f}});
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_NEAR(clicks[0].azimuth, 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(f.sky->GetWindAngle(), 0.0f);

    // Four units away decides the axis: no click, and the drag counts even if it comes back.
    f.Drag(380.0f, 216.0f, {{384.0f, 216.0f}, {380.0f, 216.0f}});
    EXPECT_EQ(clicks.size(), 1u);
    f.Drag(380.0f, 216.0f, {{380.0f, 220.0f}, {380.0f, 216.0f}});
    EXPECT_EQ(clicks.size(), 1u);
}

TEST_F(SkyMouse, HorizontalDragTurnsTheWindArrowInFiveDegreeStepsUnlessShift) {
    f.Drag(380.0f, 216.0f, {{XForAngle(12.3f), 220.0f}});
    EXPECT_FLOAT_EQ(f.sky->GetWindAngle(), 10.0f);
    f.Drag(380.0f, 216.0f, {{XForAngle(-37.6f), 216.0f}});
    EXPECT_FLOAT_EQ(f.sky->GetWindAngle(), -40.0f);

    f.Drag(380.0f, 216.0f, {{XForAngle(12.3f), 216.0f}}, /*shift=*/true);
    EXPECT_NEAR(f.sky->GetWindAngle(), 12.3f, 1e-3f);

    // Past either side of the sky the arrow stops at ±90°.
    f.Drag(380.0f, 216.0f, {{900.0f, 216.0f}}, true);
    EXPECT_FLOAT_EQ(f.sky->GetWindAngle(), 90.0f);
    f.Drag(380.0f, 216.0f, {{-50.0f, 216.0f}});
    EXPECT_FLOAT_EQ(f.sky->GetWindAngle(), -90.0f);

    // Display only: no parameter moved.
    for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(f.ctx.store.get(i), paramInfo(i).defaultValue) << i;
}

TEST_F(SkyMouse, ArrowHoldsWhilePressedAndFadesOverOnePointTwoSecondsAfterRelease) {
    EXPECT_FLOAT_EQ(f.sky->WindArrowVisibility(), 0.0f);
    const IMouseMod mod(true);
    f.ui.OnMouseDown(380.0f, 216.0f, mod);
    f.ui.OnMouseDrag(500.0f, 216.0f, 120.0f, 0.0f, mod);
    f.Frames(120);  // holding still for two seconds
    EXPECT_FLOAT_EQ(f.sky->WindArrowVisibility(), 1.0f);
    f.ui.OnMouseUp(500.0f, 216.0f, mod);
    EXPECT_FLOAT_EQ(f.sky->WindArrowVisibility(), 1.0f);
    f.Frames(36);
    EXPECT_NEAR(f.sky->WindArrowVisibility(), 0.5f, 0.02f);
    f.Frames(36);
    EXPECT_NEAR(f.sky->WindArrowVisibility(), 0.0f, 1e-5f);
}

TEST_F(SkyMouse, VerticalDragAndDoubleClickChangeNothing) {
    ManualEvents(1);
    f.Drag(380.0f, 216.0f, {{381.0f, 300.0f}, {700.0f, 300.0f}});
    EXPECT_FLOAT_EQ(f.sky->GetWindAngle(), 0.0f) << "the axis stays vertical for the whole gesture";
    EXPECT_FLOAT_EQ(f.sky->WindArrowVisibility(), 0.0f);
    EXPECT_TRUE(clicks.empty());

    f.ui.OnMouseDblClick(380.0f, 216.0f, IMouseMod(true));
    f.ui.OnMouseUp(380.0f, 216.0f, IMouseMod(true));
    EXPECT_TRUE(clicks.empty());
    EXPECT_FALSE(f.sky->IsPressed());
}

}  // namespace
}  // namespace halcyra::test
