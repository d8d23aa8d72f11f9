// How IGraphics routes the mouse, values and tooltips to its controls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RecordingDelegate.h"
#include "graphics/IGraphics.h"
#include "graphics/controls/IPanelControl.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace halcyra::test {
namespace {

// Records every hook it receives as "<name> <event>".
class ProbeControl : public IControl {
public:
    ProbeControl(const IRECT& r, std::string name, std::vector<std::string>& log, int param = kNoParameter)
        : IControl(r, param), mName(std::move(name)), mLog(log) {}
    void Draw(Canvas&) override {}
    void OnMouseDown(float, float, const IMouseMod& m) override { mLog.push_back(mName + (m.S ? " down+shift" : " down")); }
    void OnMouseUp(float, float, const IMouseMod&) override { mLog.push_back(mName + " up"); }
    void OnMouseDrag(float, float, float, float, const IMouseMod&) override { mLog.push_back(mName + " drag"); }
    void OnMouseWheel(float, float, const IMouseMod&, float) override { mLog.push_back(mName + " wheel"); }
    void OnMouseOver(float x, float y, const IMouseMod& m) override {
        if (!GetMouseIsOver()) mLog.push_back(mName + " over");
        IControl::OnMouseOver(x, y, m);
    }
    void OnMouseOut() override {
        mLog.push_back(mName + " out");
        IControl::OnMouseOut();
    }
    void OnFrame(double dt) override { frames += dt; }
    double frames = 0.0;

private:
    std::string mName;
    std::vector<std::string>& mLog;
};

class Routing : public ::testing::Test {
protected:
    RecordingDelegate delegate;
    IGraphics ui{&delegate};
    std::vector<std::string> log;

    ProbeControl* Add(const IRECT& r, const std::string& name, int tag = kNoTag, int param = kNoParameter) {
        return static_cast<ProbeControl*>(ui.AttachControl(new ProbeControl(r, name, log, param), tag));
    }
    void Click(float x, float y, IMouseMod mod = IMouseMod(true)) {
        ui.OnMouseDown(x, y, mod);
        ui.OnMouseUp(x, y, mod);
    }
};

TEST_F(Routing, TopmostVisibleControlThatTakesTheMouseGetsTheClick) {
    ui.AttachPanelBackground(IColor(255, 14, 16, 22));  // lets clicks through
    Add({0, 44, 760, 388}, "sky");
    Add({698, 354, 746, 378}, "toggle");
    auto* overlay = Add({0, 0, 760, 560}, "overlay");
    auto* box = Add({690, 350, 750, 380}, "box");
    box->SetIgnoreMouse(true);
    overlay->Hide(true);

    Click(700, 360);   // the toggle lies over the sky; the ignoring box over both
    Click(100, 100);   // only the sky
    Click(100, 500);   // only the background, which ignores the mouse
    EXPECT_EQ(log, (std::vector<std::string>{"toggle down", "toggle up", "sky down", "sky up"}));

    log.clear();
    overlay->Hide(false);  // a shown full-window overlay takes every click
    Click(700, 360);
    Click(100, 500);
    EXPECT_EQ(log, (std::vector<std::string>{"overlay down", "overlay up", "overlay down", "overlay up"}));
}

TEST_F(Routing, OverlappingControlsResolveToTheLaterOneAndEdgesAreHalfOpen) {
    Add({442, 8, 460, 36}, "prev");
    Add({458, 8, 476, 36}, "next");
    Click(459, 20);  // in the two-unit overlap
    Click(457, 20);
    Click(476, 20);  // right edge belongs to neither
    EXPECT_EQ(log, (std::vector<std::string>{"next down", "next up", "prev down", "prev up"}));
}

TEST_F(Routing, DragAndReleaseStayWithThePressedControlWhereverThePointerGoes) {
    Add({0, 0, 100, 100}, "a");
    Add({200, 0, 300, 100}, "b");
    ui.OnMouseDown(50, 50, IMouseMod(true));
    ui.OnMouseDrag(250, 50, 200, 0, IMouseMod(true));
    ui.OnMouseUp(250, 50, IMouseMod(true));
    ui.OnMouseDrag(250, 50, 0, 0, IMouseMod(true));  // no button held any more: nobody
    EXPECT_EQ(log, (std::vector<std::string>{"a down", "a drag", "a up"}));
}

TEST_F(Routing, ShiftReachesControlsAndWheelGoesToTheControlUnderThePointer) {
    Add({0, 0, 100, 100}, "a");
    Add({200, 0, 300, 100}, "b");
    ui.OnMouseDown(10, 10, IMouseMod(true, false, true));
    ui.OnMouseUp(10, 10, IMouseMod(true));
    ui.OnMouseWheel(250, 50, IMouseMod(), 1.0f);
    ui.OnMouseWheel(150, 50, IMouseMod(), 1.0f);  // over nothing
    EXPECT_EQ(log, (std::vector<std::string>{"a down+shift", "a up", "b wheel"}));
}

TEST_F(Routing, PressOnABoundControlIsOneHostGestureAndWheelIsItsOwn) {
    struct Slider : ProbeControl {
        using ProbeControl::ProbeControl;
        void OnMouseDrag(float, float, float, float dY, const IMouseMod&) override { SetValueFromUserInput(GetValue() - dY / 100); }
        void OnMouseWheel(float, float, const IMouseMod&, float d) override { SetValueFromUserInput(GetValue() + d / 10); }
    };
    delegate.values[3] = 0.5;
    auto* s = static_cast<Slider*>(ui.AttachControl(new Slider({0, 0, 100, 100}, "s", log, 3)));
    EXPECT_DOUBLE_EQ(s->GetValue(), 0.5);  // picked up from the delegate when attached

    ui.OnMouseDown(50, 50, IMouseMod(true));
    ui.OnMouseDrag(50, 40, 0, -10, IMouseMod(true));
    ui.OnMouseDrag(50, 30, 0, -10, IMouseMod(true));
    ui.OnMouseUp(50, 30, IMouseMod(true));
    ui.OnMouseWheel(50, 50, IMouseMod(), 1.0f);
    EXPECT_EQ(delegate.calls,
              (std::vector<std::string>{"begin 3", "set 3", "set 3", "end 3", "begin 3", "set 3", "end 3"}));
    EXPECT_NEAR(delegate.values[3], 0.8, 1e-6);
}

TEST_F(Routing, HostValuesReachEveryControlOnTheParameterAndUserEditsUpdateTheSiblings) {
    auto* a = Add({0, 0, 10, 10}, "a", 1, 5);
    auto* b = Add({20, 0, 30, 10}, "b", 2, 5);
    auto* other = Add({40, 0, 50, 10}, "c", 3, 6);
    ui.SetControlValueFromDelegate(5, 0.9);
    EXPECT_DOUBLE_EQ(a->GetValue(), 0.9);
    EXPECT_DOUBLE_EQ(b->GetValue(), 0.9);
    EXPECT_DOUBLE_EQ(other->GetValue(), 0.5);
    a->SetValueFromUserInput(0.1);
    EXPECT_DOUBLE_EQ(b->GetValue(), 0.1);
    a->SetValueFromUserInput(7.0);  // out of range: clamped
    EXPECT_DOUBLE_EQ(a->GetValue(), 1.0);
    ui.SetControlValueFromDelegate(5, std::nan(""));  // ignored
    EXPECT_DOUBLE_EQ(a->GetValue(), 1.0);
}

TEST_F(Routing, ControlsAreFoundByTagAndEveryControlAnimatesEachFrame) {
    auto* a = Add({0, 0, 10, 10}, "a", 26);
    auto* hidden = Add({0, 0, 10, 10}, "h", 33);
    hidden->Hide(true);
    EXPECT_EQ(ui.GetControlWithTag(26), a);
    EXPECT_EQ(ui.GetControlWithTag(33), hidden);
    EXPECT_EQ(ui.GetControlWithTag(99), nullptr);
    EXPECT_EQ(ui.GetControlWithTag(kNoTag), nullptr);
    ui.OnFrame(1.0 / 60);
    ui.OnFrame(1.0 / 60);
    EXPECT_NEAR(a->frames, 2.0 / 60, 1e-12);
    EXPECT_NEAR(hidden->frames, 2.0 / 60, 1e-12);
}

TEST_F(Routing, OnlyRealChangesToShownControlsAskForARedraw) {
    auto* a = Add({0, 0, 10, 10}, "a", 1, 2);
    auto* hidden = Add({0, 0, 10, 10}, "h", 2);
    hidden->Hide(true);
    OffscreenRenderer renderer;
    ASSERT_TRUE(renderer.Render(ui));
    EXPECT_FALSE(ui.IsDirty());
    a->SetValue(a->GetValue());  // same value
    hidden->SetDirty();          // not on screen
    EXPECT_FALSE(ui.IsDirty());
    a->SetValue(0.75);
    EXPECT_TRUE(ui.IsDirty());
    ASSERT_TRUE(renderer.Render(ui));
    EXPECT_FALSE(ui.IsDirty());
    hidden->Hide(false);  // showing an overlay repaints what it covers
    EXPECT_TRUE(ui.IsDirty());
}

TEST_F(Routing, MouseOverAndOutTrackTheHoveredControlOnlyWhenEnabled) {
    Add({0, 0, 100, 100}, "a");
    Add({200, 0, 300, 100}, "b");
    ui.OnMouseOver(50, 50, IMouseMod());
    EXPECT_TRUE(log.empty());  // tracking is off by default
    ui.EnableMouseOver(true);
    ui.OnMouseOver(50, 50, IMouseMod());
    ui.OnMouseOver(60, 50, IMouseMod());
    ui.OnMouseOver(250, 50, IMouseMod());
    ui.OnMouseOut();
    EXPECT_EQ(log, (std::vector<std::string>{"a over", "a out", "b over", "b out"}));
}

TEST_F(Routing, TooltipAppearsAfterRestingOnAControlAndGoesOnClick) {
    auto* toggle = Add({698, 354, 746, 378}, "toggle");
    toggle->SetTooltip("Headphones  /  Speakers");
    Add({0, 0, 100, 100}, "plain");
    ui.EnableTooltips(true);
    EXPECT_TRUE(ui.MouseOverEnabled());

    ui.OnMouseOver(700, 360, IMouseMod());
    for (int i = 0; i < 20; ++i) ui.OnFrame(1.0 / 60);
    EXPECT_FALSE(ui.GetTooltip().IsShowing());  // a third of a second is not resting yet
    for (int i = 0; i < 30; ++i) ui.OnFrame(1.0 / 60);
    ASSERT_TRUE(ui.GetTooltip().IsShowing());
    EXPECT_EQ(ui.GetTooltip().Text(), "Headphones  /  Speakers");
    // Near the pointer, but kept on the canvas although the pointer is near its edge.
    const IRECT box = ui.GetTooltip().BoxFor(120, 760, 560);
    EXPECT_LE(box.R, 760.0f);
    EXPECT_LT(std::abs(box.MH() - 360), 40.0f);

    ui.OnMouseDown(700, 360, IMouseMod(true));
    EXPECT_FALSE(ui.GetTooltip().IsShowing());
    ui.OnMouseUp(700, 360, IMouseMod(true));

    ui.OnMouseOver(50, 50, IMouseMod());  // no tooltip text here
    for (int i = 0; i < 120; ++i) ui.OnFrame(1.0 / 60);
    EXPECT_FALSE(ui.GetTooltip().IsShowing());
}

TEST_F(Routing, TooltipsStayOffUnlessEnabled) {
    auto* toggle = Add({0, 0, 100, 100}, "toggle");
    toggle->SetTooltip("tip");
    ui.EnableMouseOver(true);
    ui.OnMouseOver(50, 50, IMouseMod());
    for (int i = 0; i < 120; ++i) ui.OnFrame(1.0 / 60);
    EXPECT_FALSE(ui.GetTooltip().IsShowing());
}

TEST_F(Routing, RemovingControlsMidDragLeavesNothingDangling) {
    Add({0, 0, 100, 100}, "a", kNoTag, 4);
    ui.OnMouseDown(50, 50, IMouseMod(true));
    ui.RemoveAllControls();
    EXPECT_EQ(ui.GetCapturedControl(), nullptr);
    ui.OnMouseDrag(60, 60, 10, 10, IMouseMod(true));
    ui.OnMouseUp(60, 60, IMouseMod(true));
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"begin 4", "end 4"}));
    EXPECT_EQ(log, (std::vector<std::string>{"a down"}));
}

}  // namespace
}  // namespace halcyra::test
