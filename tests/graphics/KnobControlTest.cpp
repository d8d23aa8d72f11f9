// The vector knob: drag gearing, fine drags, double click, wheel, clamping, and
// that its value arc is drawn where the value says.
#include <gtest/gtest.h>

#include <cmath>

#include "CanvasProbe.h"
#include "RecordingDelegate.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IVKnobControl.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace halcyra::test {
namespace {

constexpr int kSize = 1;  // parameter index the knob is bound to
const IRECT kKnobRect{12, 430, 86, 522};
constexpr IColor kArc{255, 154, 166, 188};

IVStyle EditorKnobStyle() {
    return DEFAULT_STYLE.WithShowValue(false)
        .WithDrawFrame(false)
        .WithDrawShadows(false)
        .WithColor(kBG, COLOR_TRANSPARENT)
        .WithColor(kFG, IColor(255, 40, 45, 58))
        .WithColor(kPR, IColor(255, 54, 60, 76))
        .WithColor(kFR, IColor(140, 120, 132, 152))
        .WithColor(kX1, kArc)
        .WithWidgetFrac(0.88f)
        .WithLabelText(IText(13, IColor(255, 206, 214, 226), "Roboto-Regular", EAlign::Center, EVAlign::Bottom));
}

class Knob : public ::testing::Test {
protected:
    RecordingDelegate delegate;
    IGraphics ui{&delegate};
    IVKnobControl* knob = nullptr;
    // The logical distance that sweeps the full range at the editor's gearing.
    const double fullRange = IVKnobControl::kDragUnitsPerGearing * 4.0;

    void SetUp() override {
        delegate.values[kSize] = 0.5;
        delegate.defaults[kSize] = 0.3;
        knob = static_cast<IVKnobControl*>(ui.AttachControl(new IVKnobControl(kKnobRect, kSize, "SIZE", EditorKnobStyle()), 1));
    }
    void Drag(float dy, IMouseMod mod = IMouseMod(true)) {
        const float x = kKnobRect.MW(), y = kKnobRect.MH();
        ui.OnMouseDown(x, y, mod);
        ui.OnMouseDrag(x, y + dy, 0, dy, mod);
        ui.OnMouseUp(x, y + dy, mod);
    }
};

TEST_F(Knob, VerticalDragMovesByDistanceOverGearingAndShiftIsTenTimesFiner) {
    Drag(-20);  // upward raises the value
    EXPECT_NEAR(knob->GetValue(), 0.5 + 20 / fullRange, 1e-9);
    EXPECT_NEAR(delegate.values[kSize], knob->GetValue(), 1e-12);
    Drag(40);
    EXPECT_NEAR(knob->GetValue(), 0.5 - 20 / fullRange, 1e-9);
    const double before = knob->GetValue();
    Drag(-20, IMouseMod(true, false, true));
    EXPECT_NEAR(knob->GetValue(), before + 2 / fullRange, 1e-9);
}

TEST_F(Knob, SeveralDragStepsAddUpAndHorizontalMovementIsIgnored) {
    const float x = kKnobRect.MW(), y = kKnobRect.MH();
    ui.OnMouseDown(x, y, IMouseMod(true));
    for (int i = 1; i <= 10; ++i) ui.OnMouseDrag(x + 5 * i, y - i, 5, -1, IMouseMod(true));
    ui.OnMouseUp(x, y - 10, IMouseMod(true));
    EXPECT_NEAR(knob->GetValue(), 0.5 + 10 / fullRange, 1e-9);
    // One host gesture for the whole drag.
    EXPECT_EQ(delegate.calls.front(), "begin 1");
    EXPECT_EQ(delegate.calls.back(), "end 1");
    EXPECT_EQ(std::count(delegate.calls.begin(), delegate.calls.end(), "begin 1"), 1);
}

TEST_F(Knob, ValueClampsAtBothEndsAndReversingMovesAwayFromTheEndAtOnce) {
    const float x = kKnobRect.MW(), y = kKnobRect.MH();
    ui.OnMouseDown(x, y, IMouseMod(true));
    ui.OnMouseDrag(x, y - 5000, 0, -5000, IMouseMod(true));
    EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
    ui.OnMouseDrag(x, y - 4990, 0, 10, IMouseMod(true));
    EXPECT_NEAR(knob->GetValue(), 1.0 - 10 / fullRange, 1e-9);
    ui.OnMouseDrag(x, y + 5000, 0, 9990, IMouseMod(true));
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
    ui.OnMouseUp(x, y, IMouseMod(true));
    EXPECT_DOUBLE_EQ(delegate.values[kSize], 0.0);
}

TEST_F(Knob, DoubleClickReturnsToTheParameterDefault) {
    Drag(-60);
    ui.OnMouseDblClick(kKnobRect.MW(), kKnobRect.MH(), IMouseMod(true));
    ui.OnMouseUp(kKnobRect.MW(), kKnobRect.MH(), IMouseMod(true));
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.3);
    EXPECT_DOUBLE_EQ(delegate.values[kSize], 0.3);
}

TEST_F(Knob, WheelStepsAndStaysInRange) {
    ui.OnMouseWheel(kKnobRect.MW(), kKnobRect.MH(), IMouseMod(), 2.0f);
    EXPECT_NEAR(knob->GetValue(), 0.5 + 2 * IVKnobControl::kDefaultWheelStep, 1e-9);
    ui.OnMouseWheel(kKnobRect.MW(), kKnobRect.MH(), IMouseMod(false, false, true), -1.0f);
    EXPECT_NEAR(knob->GetValue(), 0.5 + 1.9 * IVKnobControl::kDefaultWheelStep, 1e-9);
    for (int i = 0; i < 100; ++i) ui.OnMouseWheel(kKnobRect.MW(), kKnobRect.MH(), IMouseMod(), 1.0f);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0);
    for (int i = 0; i < 100; ++i) ui.OnMouseWheel(kKnobRect.MW(), kKnobRect.MH(), IMouseMod(), -1.0f);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
}

TEST_F(Knob, LayoutKeepsTheLabelBelowAndTheWidgetAtTheWidgetFraction) {
    const IRECT label = knob->GetLabelBounds();
    const IRECT widget = knob->GetWidgetBounds();
    EXPECT_FLOAT_EQ(label.B, kKnobRect.B);
    EXPECT_LE(widget.B, label.T + 0.01f);
    EXPECT_FLOAT_EQ(widget.W(), widget.H());
    EXPECT_NEAR(widget.W(), kKnobRect.W() * 0.88f, 0.01f);  // width is the limiting side
    EXPECT_FLOAT_EQ(knob->ValueToAngle(0.0), -135.0f);
    EXPECT_FLOAT_EQ(knob->ValueToAngle(0.5), 0.0f);
    EXPECT_FLOAT_EQ(knob->ValueToAngle(1.0), 135.0f);
}

// Pixel on the value arc at a given angle (0 = up, clockwise).
IColor ArcPixel(const OffscreenRenderer& r, const IVKnobControl& k, float degrees, float scale) {
    const IRECT w = k.GetWidgetBounds();
    const float radius = 0.5f * w.W() - 1.0f;  // the middle of the 2-unit track
    const float a = degrees * static_cast<float>(M_PI) / 180.0f;
    const float x = w.MW() + radius * std::sin(a);
    const float y = w.MH() - radius * std::cos(a);
    return r.PixelAt(static_cast<int>(std::lround(x * scale - 0.5f)), static_cast<int>(std::lround(y * scale - 0.5f)));
}

TEST_F(Knob, ValueArcIsDrawnFromTheAnchorToTheValueOnly) {
    ui.SetScale(2.0f);
    ui.AttachPanelBackground(COLOR_BLACK);
    delegate.values[kSize] = 0.5;
    ui.SetControlValueFromDelegate(kSize, 0.5);  // arc from -135 to 0 degrees
    // Attach the knob again so it draws above the background.
    auto* top = static_cast<IVKnobControl*>(ui.AttachControl(new IVKnobControl(kKnobRect, kSize, "SIZE", EditorKnobStyle())));
    OffscreenRenderer renderer;
    ASSERT_TRUE(renderer.Render(ui));
    EXPECT_TRUE(ColorNear(ArcPixel(renderer, *top, -90, 2.0f), kArc, 30));
    EXPECT_TRUE(ColorNear(ArcPixel(renderer, *top, -20, 2.0f), kArc, 30));
    EXPECT_TRUE(ColorNear(ArcPixel(renderer, *top, 60, 2.0f), COLOR_BLACK, 10));
    EXPECT_TRUE(ColorNear(ArcPixel(renderer, *top, 120, 2.0f), COLOR_BLACK, 10));
    // The face is drawn in the body colour at the centre.
    const IRECT w = top->GetWidgetBounds();
    EXPECT_TRUE(ColorNear(renderer.PixelAt(static_cast<int>(w.MW() * 2 + 8), static_cast<int>(w.MH() * 2 + 8)),
                          IColor(255, 40, 45, 58), 3));
}

}  // namespace
}  // namespace halcyra::test
