// Mouse gestures on the editor's own controls and what reaches the parameters,
// the command queue and the overlays.
#include <gtest/gtest.h>

#include <string>

#include "LayoutFixture.h"
#include "editor/BurgerMenuControl.h"
#include "editor/PresetManagerControl.h"
#include "editor/SkyViewControl.h"
#include "editor/controls/HeaderTextButton.h"
#include "editor/controls/ResponseKnobControl.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

namespace halcyra::test {
namespace {

TEST(EditorMouse, MonitorToggleFollowsTheHalfThatWasClicked) {
    EditorFixture e;
    const IRECT r = e.ui.GetControlWithTag(8)->GetRECT();
    e.Click(r.R - 4, r.MH());
    EXPECT_EQ(e.ctx.store.get(kMonitor), 1.0);
    e.Click(r.R - 4, r.MH());  // same half again: stays
    EXPECT_EQ(e.ctx.store.get(kMonitor), 1.0);
    e.Click(r.L + 4, r.MH());
    EXPECT_EQ(e.ctx.store.get(kMonitor), 0.0);
    e.Click(r.MW(), r.MH());  // the centre line belongs to Headphones
    EXPECT_EQ(e.ctx.store.get(kMonitor), 0.0);
    // Each press is one host gesture.
    EXPECT_EQ(e.ctx.hostCalls.front(), "begin 8");
    EXPECT_EQ(e.ctx.hostCalls.back(), "end 8");
}

TEST(EditorMouse, MixLockFlipsOnEveryPressAndTreatsHalfAsUnlocked) {
    EditorFixture e;
    const IRECT r = e.ui.GetControlWithTag(7)->GetRECT();
    ASSERT_EQ(e.ctx.store.get(kMixLock), 1.0);  // locked by default
    e.Click(r.MW(), r.MH());
    EXPECT_EQ(e.ctx.store.get(kMixLock), 0.0);
    e.Click(r.MW(), r.MH());
    EXPECT_EQ(e.ctx.store.get(kMixLock), 1.0);
    // A double click is two presses: back where it started.
    e.DoubleClick(r.MW(), r.MH());
    EXPECT_EQ(e.ctx.store.get(kMixLock), 1.0);

    IControl* lock = e.ui.GetControlWithTag(7);
    lock->SetValueFromDelegate(0.5);
    e.Click(r.MW(), r.MH());
    EXPECT_EQ(lock->GetValue(), 1.0);
    EXPECT_EQ(e.ctx.hostCalls[e.ctx.hostCalls.size() - 2], "set 9 1");
}

TEST(EditorMouse, ResponseModeToggleSwitchesUnitAndRedrawsTheResponseKnob) {
    EditorFixture e;
    IControl* toggle = e.ui.GetControlWithTag(25);
    auto* knob = e.Tagged<ResponseKnobControl>(24);
    knob->SetValueFromDelegate(3.0 / 7.0);
    ASSERT_TRUE(e.Render());
    ASSERT_FALSE(knob->IsDirty());
    EXPECT_EQ(knob->ValueText(), "1286 ms");

    const IRECT r = toggle->GetRECT();
    e.Click(r.R - 3, r.MH());
    EXPECT_EQ(e.ctx.store.get(kResponseMode), 1.0);
    EXPECT_TRUE(knob->IsDirty());
    EXPECT_EQ(knob->ValueText(), "4/4");
    EXPECT_DOUBLE_EQ(knob->GetValue(), 3.0 / 7.0);  // switching alone never moves the knob
    knob->OnMouseOver(0, 0, IMouseMod());
    EXPECT_EQ(knob->GetCaptionText(), "4/4");  // the touched readout follows the mode too
    knob->OnMouseOut();

    ASSERT_TRUE(e.Render());
    e.Click(r.L + 3, r.MH());
    EXPECT_EQ(e.ctx.store.get(kResponseMode), 0.0);
    EXPECT_TRUE(knob->IsDirty());

    // The same when the change comes from the plug-in side.
    ASSERT_TRUE(e.Render());
    e.ctx.editor.setFromPlugin(kResponseMode, 1);
    EXPECT_TRUE(knob->IsDirty());
    EXPECT_EQ(knob->ValueText(), "4/4");
}

TEST(EditorMouse, OutputMarkerDragClampsToTheOutputRangeAndDoubleClickReturnsToZeroDb) {
    EditorFixture e;
    const IRECT r = e.ui.GetControlWithTag(20)->GetRECT();
    const float x0 = r.L + 1, x1 = r.R - 1;
    e.DragX(r.MW(), r.MH(), {x1 + 40, x1 + 400});
    EXPECT_EQ(e.ctx.store.get(kOutput), 12.0);
    e.DragX(r.MW(), r.MH(), {x0 - 3, x0 - 300});
    EXPECT_EQ(e.ctx.store.get(kOutput), -24.0);
    // Halfway along the meter is halfway through −24…+12 dB.
    e.DragX(r.L + 5, r.MH(), {0.5f * (x0 + x1)});
    EXPECT_NEAR(e.ctx.store.get(kOutput), -6.0, 0.05);

    e.ui.OnMouseDblClick(x0 + 3, r.MH(), IMouseMod(true));
    e.ui.OnMouseUp(x0 + 3, r.MH(), IMouseMod(true));
    EXPECT_NEAR(e.ctx.store.get(kOutput), 0.0, 1e-9);
}

TEST(EditorMouse, KnobDoubleClickReturnsToTheDefault) {
    EditorFixture e;
    IControl* size = e.ui.GetControlWithTag(1);
    const IRECT r = size->GetRECT();
    e.DragY(r.MW(), r.MH(), 60.0f);  // down: smaller
    ASSERT_LT(e.ctx.store.get(kSize), 1.0);
    e.ui.OnMouseDblClick(r.MW(), r.MH(), IMouseMod(true));
    e.ui.OnMouseUp(r.MW(), r.MH(), IMouseMod(true));
    EXPECT_EQ(e.ctx.store.get(kSize), paramInfo(kSize).defaultValue);
}

TEST(EditorMouse, ResponseKnobSnapsToBeatsOnlyInBeatsMode) {
    EditorFixture e;
    auto* knob = e.Tagged<ResponseKnobControl>(24);
    const IRECT r = knob->GetRECT();
    const double fullRange = IVKnobControl::kDragUnitsPerGearing * knob->GetGearing();

    // In ms a small drag moves freely.
    e.DragY(r.MW(), r.MH(), static_cast<float>(-0.2 * fullRange));
    EXPECT_NEAR(knob->GetValue(), 0.2, 1e-6);
    EXPECT_NEAR(e.ctx.store.get(kResponse), 600.0, 0.5);

    e.ctx.store.set(kResponseMode, 1);
    // The first drag lands on a multiple of 1/7: 0.2 + 0.01 → round(1.47) = 1.
    e.DragY(r.MW(), r.MH(), static_cast<float>(-0.01 * fullRange));
    EXPECT_DOUBLE_EQ(knob->GetValue(), 1.0 / 7.0);
    EXPECT_NEAR(e.ctx.store.get(kResponse), 3000.0 / 7.0, 0.5);
    EXPECT_EQ(knob->ValueText(), "2/4");

    // Small movements within one press add up until they cross into the next beat.
    e.ui.OnMouseDown(r.MW(), r.MH(), IMouseMod(true));
    float y = r.MH();
    for (int i = 0; i < 5; ++i) {
        e.ui.OnMouseDrag(r.MW(), y - 3, 0, -3, IMouseMod(true));
        y -= 3;
    }
    e.ui.OnMouseUp(r.MW(), y, IMouseMod(true));
    // 15 units of 200 = 0.075 on top of 1/7 is 0.218, past the half-way mark 1.5/7.
    EXPECT_DOUBLE_EQ(knob->GetValue(), 2.0 / 7.0);
}

TEST(EditorMouse, ResponseKnobWheelMovesOneBeatPerStepInBeatsMode) {
    EditorFixture e;
    auto* knob = e.Tagged<ResponseKnobControl>(24);
    const IRECT r = knob->GetRECT();
    knob->SetValueFromDelegate(0.3);
    e.ctx.store.set(kResponseMode, 1);
    // Off the grid: the first step snaps (0.3 + 0.025 → 2/7).
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), 1.0f);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 2.0 / 7.0);
    // On the grid: every further step is one beat either way, and stops at the ends.
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), 1.0f);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 3.0 / 7.0);
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), -1.0f);
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), -1.0f);
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), -1.0f);
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), -1.0f);
    EXPECT_DOUBLE_EQ(knob->GetValue(), 0.0);
    EXPECT_EQ(e.ctx.store.get(kResponse), 0.0);

    // In ms the framework's small wheel step applies unchanged.
    e.ctx.store.set(kResponseMode, 0);
    e.ui.OnMouseWheel(r.MW(), r.MH(), IMouseMod(), 1.0f);
    EXPECT_NEAR(knob->GetValue(), IVKnobControl::kDefaultWheelStep, 1e-9);
}

TEST(EditorMouse, ResponseKnobValueTextInMillisecondsAndQuarterNotes) {
    EXPECT_EQ(ResponseKnobControl::ValueText(0.0, false), "0 ms");
    EXPECT_EQ(ResponseKnobControl::ValueText(1.0, false), "3000 ms");
    EXPECT_EQ(ResponseKnobControl::ValueText(0.1234, false), "370 ms");
    // Beats: round(7v) + 1, halves rounding up, limited to 1…8.
    EXPECT_EQ(ResponseKnobControl::ValueText(0.0, true), "1/4");
    EXPECT_EQ(ResponseKnobControl::ValueText(0.5 / 7.0 - 1e-9, true), "1/4");
    EXPECT_EQ(ResponseKnobControl::ValueText(0.5 / 7.0, true), "2/4");
    EXPECT_EQ(ResponseKnobControl::ValueText(3.5 / 7.0, true), "5/4");
    EXPECT_EQ(ResponseKnobControl::ValueText(1.0, true), "8/4");
    EXPECT_EQ(ResponseKnobControl::ValueText(1.2, true), "8/4");
    EXPECT_EQ(ResponseKnobControl::ValueText(-0.2, true), "1/4");
    for (int k = 0; k <= 7; ++k) {
        EXPECT_EQ(ResponseKnobControl::SnapToBeats(k / 7.0 + 0.07), k / 7.0);
        EXPECT_EQ(ResponseKnobControl::ValueText(k / 7.0, true), std::to_string(k + 1) + "/4");
    }
}

TEST(EditorMouse, SkyClicksRequestStarsOnlyWhenEventsIsNotAuto) {
    EditorFixture e;
    auto* sky = dynamic_cast<SkyViewControl*>(e.ui.GetControl(1));
    ASSERT_NE(sky, nullptr);
    // The callback re-reads Events itself: with Auto nothing goes out even when the
    // view still believes clicks are wanted.
    sky->SetManualEvents(true);
    e.Click(380.0f, 216.0f);
    EXPECT_TRUE(e.ctx.takeCommands().empty());

    for (int events : {1, 2}) {
        e.ctx.store.set(kEvents, events);
        e.Click(380.0f, 216.0f);  // the centre: straight ahead, 17.5° up
        const auto commands = e.ctx.takeCommands();
        ASSERT_EQ(commands.size(), 1u) << events;
        EXPECT_EQ(commands[0].type, EditorCommandQueue::kStarRequest);
        EXPECT_NEAR(commands[0].a, 0.0f, 0.3f);
        EXPECT_NEAR(commands[0].b, 17.5f, 0.3f);
        EXPECT_EQ(commands[0].c, events);
    }
    // A double click on the sky is not a second click.
    e.ui.OnMouseDblClick(380.0f, 216.0f, IMouseMod(true));
    e.ui.OnMouseUp(380.0f, 216.0f, IMouseMod(true));
    EXPECT_TRUE(e.ctx.takeCommands().empty());
}

// The Events switch in the sky is what makes sky clicks place stars.
TEST(EditorMouse, EventsSwitchPicksTheClickedSegmentAndTurnsSkyClicksOn) {
    EditorFixture e;
    const IRECT r = e.ui.GetControlWithTag(35)->GetRECT();
    const float third = r.W() / 3.0f;
    e.Click(r.L + 2.5f * third, r.MH());
    EXPECT_EQ(e.ctx.store.get(kEvents), 2.0);
    e.Click(r.L + 0.5f * third, r.MH());
    EXPECT_EQ(e.ctx.store.get(kEvents), 0.0);
    e.Click(r.L + 1.5f * third, r.MH());
    EXPECT_EQ(e.ctx.store.get(kEvents), 1.0);
    e.ui.OnFrame(1.0 / 60.0);
    e.Click(380.0f, 216.0f);
    EXPECT_EQ(e.ctx.takeCommands().size(), 1u);
}

// The fold-out panel's knobs take the mouse only while it is out; folded, the sky
// beneath answers again.
TEST(EditorMouse, FoldButtonShowsThePanelKnobsAndFoldingGivesTheSkyItsClicksBack) {
    EditorFixture e;
    e.ctx.store.set(kEvents, 1);
    e.ui.OnFrame(1.0 / 60.0);  // the sky view learns that clicks are wanted
    const IRECT fold = e.ui.GetControlWithTag(36)->GetRECT();
    IControl* decay = e.ui.GetControlWithTag(41);
    const IRECT d = decay->GetRECT();
    EXPECT_EQ(e.ui.GetMouseControl(d.MW(), d.MH()), e.ui.GetControl(1)) << "folded: the sky";
    e.Click(fold.MW(), fold.MH());
    EXPECT_EQ(e.ui.GetMouseControl(d.MW(), d.MH()), decay);
    e.DragY(d.MW(), d.MH(), -100.0f);
    EXPECT_GT(e.ctx.store.get(kDecay), paramInfo(kDecay).defaultValue);
    e.Click(d.R + 1.0f, d.MH());  // the panel between two knobs swallows the click
    EXPECT_TRUE(e.ctx.takeCommands().empty());
    e.Click(fold.MW(), fold.MH());
    e.Click(d.MW(), d.MH());
    EXPECT_EQ(e.ctx.takeCommands().size(), 1u);
}

TEST(EditorMouse, ArrowsStepTheFactoryPresetsAndQueueASkyJump) {
    EditorFixture e;
    e.Click(468.0f, 22.0f);  // "›"
    EXPECT_EQ(e.ctx.store.get(kPreset), 1.0);
    EXPECT_EQ(e.ctx.store.get(kSize), kFactoryPresets[1].size);
    auto commands = e.ctx.takeCommands();
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back().type, EditorCommandQueue::kSkyJump);
    // The editor shows what the recall set.
    EXPECT_DOUBLE_EQ(e.ui.GetControlWithTag(1)->GetValue(), kFactoryPresets[1].size);

    e.Click(445.0f, 22.0f);  // "‹"
    e.Click(445.0f, 22.0f);
    EXPECT_EQ(e.ctx.store.get(kPreset), 7.0);  // wraps below the first
}

TEST(EditorMouse, CopyAToBGivesBTheSoundOfA) {
    EditorFixture e;
    ASSERT_EQ(e.ctx.ab.current(), 0);
    e.ctx.store.set(kSize, 0.9);
    e.ctx.ab.capture(1, e.ctx.editor);
    e.ctx.store.set(kSize, 0.3);  // A is live: its sound is what plays now
    e.Click(568.0f, 22.0f);       // "A>B"
    EXPECT_EQ(e.ctx.ab.snapshot(1)[kSize], 0.3);
    EXPECT_EQ(e.ctx.store.get(kSize), 0.3);
}

TEST(EditorMouse, BurgerOpensTheMenuAndPresetControlsOpenThePanel) {
    EditorFixture e;
    e.Click(22.0f, 22.0f);
    EXPECT_FALSE(e.ui.GetControlWithTag(33)->IsHidden());
    e.ui.GetControlWithTag(33)->Hide(true);

    e.Click(199.0f, 22.0f);  // list icon
    EXPECT_FALSE(e.ui.GetControlWithTag(34)->IsHidden());
    e.ui.GetControlWithTag(34)->Hide(true);

    e.Click(346.0f, 22.0f);  // preset name
    EXPECT_FALSE(e.ui.GetControlWithTag(34)->IsHidden());
}

TEST(EditorMouse, HeaderTextButtonsBrightenWhileHovered) {
    EditorFixture e;
    auto* next = dynamic_cast<HeaderTextButton*>(e.ui.GetControl(10));
    ASSERT_NE(next, nullptr);
    e.ui.OnMouseOver(468.0f, 22.0f, IMouseMod());
    EXPECT_TRUE(next->IsHovered());
    e.ui.OnMouseOver(620.0f, 22.0f, IMouseMod());
    EXPECT_FALSE(next->IsHovered());
}

}  // namespace
}  // namespace halcyra::test
