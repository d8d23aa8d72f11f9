// The corner resizer rescales the finished layout uniformly, inside the window limits.
#include <gtest/gtest.h>

#include "LayoutFixture.h"

namespace halcyra::test {
namespace {

void DragCorner(IGraphics& ui, float toX, float toY) {
    const float x = ui.Width() - 5.0f, y = ui.Height() - 5.0f;
    ui.OnMouseDown(x, y, IMouseMod(true));
    ui.OnMouseDrag(toX, toY, toX - x, toY - y, IMouseMod(true));
    ui.OnMouseUp(toX, toY, IMouseMod(true));
}

TEST(EditorResizing, TheCornerNeverLeavesTheWindowLimits) {
    EditorFixture e(1.2f);
    ASSERT_EQ(e.ui.PixelWidth(), 912);
    ASSERT_EQ(e.ui.PixelHeight(), 672);
    const IRECT sizeKnob = e.ui.GetControlWithTag(1)->GetRECT();
    const int controls = e.ui.NControls();

    for (auto [x, y] : {std::pair{5000.0f, 5000.0f}, {-3000.0f, -3000.0f}, {900.0f, 200.0f}, {10.0f, 800.0f},
                        {30000.0f, 10.0f}}) {
        DragCorner(e.ui, x, y);
        EXPECT_GE(e.ui.PixelWidth(), 253) << x << "," << y;
        EXPECT_LE(e.ui.PixelWidth(), 2280) << x << "," << y;
        EXPECT_GE(e.ui.PixelHeight(), 186) << x << "," << y;
        EXPECT_LE(e.ui.PixelHeight(), 1680) << x << "," << y;
        // Uniform: the aspect ratio of the canvas survives.
        EXPECT_NEAR(static_cast<double>(e.ui.PixelWidth()) / e.ui.PixelHeight(), 760.0 / 560.0, 0.01);
    }
    // Rescaling never rebuilds or moves the controls: they stay in logical units.
    EXPECT_EQ(e.ui.NControls(), controls);
    EXPECT_EQ(e.ui.GetControlWithTag(1)->GetRECT(), sizeKnob);
}

}  // namespace
}  // namespace halcyra::test
