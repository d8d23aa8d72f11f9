// The corner resizer rescales the canvas uniformly, within the window size limits.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/IGraphics.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/IPanelControl.h"

namespace halcyra::test {
namespace {

class Resizer : public ::testing::Test {
protected:
    IGraphics ui{nullptr};  // 760 x 560 at 1.2
    int requestedW = 0;
    int requestedH = 0;
    int requests = 0;

    void SetUp() override {
        ui.AttachCornerResizer();
        ui.AttachPanelBackground(IColor(255, 14, 16, 22));
        ui.SetResizeRequestFunction([this](int w, int h) {
            requestedW = w;
            requestedH = h;
            ++requests;
        });
    }
    // Drags from the middle of the grip by (dx, dy) window pixels, in several steps
    // the way a window delivers them (each converted at the scale of that moment).
    void DragPixels(float dx, float dy, int steps = 8) {
        const float s0 = ui.GetDrawScale();
        const float px0 = 750 * s0, py0 = 550 * s0;
        ui.OnMouseDown(750, 550, IMouseMod(true));
        for (int i = 1; i <= steps; ++i) {
            const float s = ui.GetDrawScale();
            ui.OnMouseDrag((px0 + dx * i / steps) / s, (py0 + dy * i / steps) / s, 0, 0, IMouseMod(true));
        }
        const float s = ui.GetDrawScale();
        ui.OnMouseUp((px0 + dx) / s, (py0 + dy) / s, IMouseMod(true));
    }
    void ExpectAspectKept() {
        EXPECT_NEAR(static_cast<double>(ui.PixelWidth()) / ui.PixelHeight(), 760.0 / 560.0, 0.01);
        EXPECT_EQ(requestedW, ui.PixelWidth());
        EXPECT_EQ(requestedH, ui.PixelHeight());
    }
};

TEST_F(Resizer, OpensAtTheInitialScaleWithTheGripInTheCorner) {
    EXPECT_EQ(ui.PixelWidth(), 912);
    EXPECT_EQ(ui.PixelHeight(), 672);
    EXPECT_EQ(ui.GetCornerResizer()->GetRECT(), IRECT(740, 540, 760, 560));
    // The background lets clicks through, so the corner reaches the resizer.
    EXPECT_EQ(ui.GetMouseControl(750, 550), ui.GetCornerResizer());
}

TEST_F(Resizer, DragFollowsThePointerAndKeepsTheAspectRatio) {
    DragPixels(228, 168);  // exactly 0.3 more along both axes
    EXPECT_NEAR(ui.GetDrawScale(), 1.5f, 1e-4f);
    EXPECT_EQ(ui.PixelWidth(), 1140);
    EXPECT_EQ(ui.PixelHeight(), 840);
    ExpectAspectKept();
    DragPixels(-300, 0);  // a sideways drag still scales uniformly
    EXPECT_LT(ui.GetDrawScale(), 1.5f);
    ExpectAspectKept();
}

TEST_F(Resizer, HugeAndTinyDragsStopAtTheSizeLimits) {
    DragPixels(50000, 40000);
    EXPECT_EQ(ui.PixelWidth(), 2280);
    EXPECT_EQ(ui.PixelHeight(), 1680);
    ExpectAspectKept();
    DragPixels(-60000, -60000);
    EXPECT_GE(ui.PixelWidth(), IGraphics::kMinPixelWidth);
    EXPECT_GE(ui.PixelHeight(), IGraphics::kMinPixelHeight);
    EXPECT_LE(ui.PixelWidth(), IGraphics::kMinPixelWidth + 1);
    ExpectAspectKept();
}

TEST_F(Resizer, NonFiniteScalesAreRefusedAndDoubleClickRestoresTheOpeningScale) {
    ui.SetScale(std::nanf(""));
    ui.SetScale(INFINITY);
    EXPECT_FLOAT_EQ(ui.GetDrawScale(), 1.2f);
    EXPECT_EQ(requests, 0);
    ui.SetScale(100.0f);
    EXPECT_FLOAT_EQ(ui.GetDrawScale(), 3.0f);
    EXPECT_EQ(requests, 1);
    ui.OnMouseDblClick(750 * 1.2f / 3.0f, 550 * 1.2f / 3.0f, IMouseMod(true));  // not on the grip
    EXPECT_FLOAT_EQ(ui.GetDrawScale(), 3.0f);
    ui.OnMouseDblClick(750, 550, IMouseMod(true));
    ui.OnMouseUp(750, 550, IMouseMod(true));
    EXPECT_FLOAT_EQ(ui.GetDrawScale(), 1.2f);
    EXPECT_EQ(requestedW, 912);
}

TEST_F(Resizer, ScalingDoesNotTouchTheLayout) {
    auto* panel = ui.AttachControl(new IPanelControl(IRECT(10, 20, 30, 40), COLOR_WHITE));
    DragPixels(400, 300);
    EXPECT_EQ(panel->GetRECT(), IRECT(10, 20, 30, 40));
    EXPECT_EQ(ui.Width(), 760);
    EXPECT_EQ(ui.Height(), 560);
}

}  // namespace
}  // namespace halcyra::test
