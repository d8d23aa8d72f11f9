// The sky view inside the whole editor: clicks become star requests on the command
// queue only while Events is Star or Comet, a full queue drops them, and the
// weather preset re-tints the layout's accented controls.
#include <gtest/gtest.h>

#include <vector>

#include "SkyFixture.h"
#include "editor/EditorLayout.h"
#include "editor/SkyPalette.h"
#include "editor/controls/MixLockControl.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/OutputMeterControl.h"
#include "editor/controls/RespModeToggleControl.h"
#include "graphics/controls/IVKnobControl.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

class SkyInLayout : public ::testing::Test {
protected:
    SkyInLayout() {
        BuildEditorLayout(ui, ctx);
        ui.OnFrame(1.0 / 60.0);
    }
    void Click(float x, float y) {
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }
    std::vector<EditorCommand> Drain() {
        std::vector<EditorCommand> out;
        ctx.queue.drain([&out](const EditorCommand& c) { out.push_back(c); });
        return out;
    }

    SkyTestContext ctx;
    IGraphics ui{nullptr, 760, 560, 60, 1.0f};
};

TEST_F(SkyInLayout, ClicksAskForStarsOnlyWhileEventsAreStarOrComet) {
    Click(190.0f, 216.0f);  // Events = Auto
    EXPECT_EQ(ctx.queue.pending(), 0u);

    for (int events : {1, 2}) {
        ctx.store.set(kEvents, events);
        ui.OnFrame(1.0 / 60.0);
        Click(190.0f, 216.0f);
        const auto commands = Drain();
        ASSERT_EQ(commands.size(), 1u) << "events " << events;
        EXPECT_EQ(commands[0].type, EditorCommandQueue::kStarRequest);
        EXPECT_NEAR(commands[0].a, -45.0f, 1e-3f);
        EXPECT_NEAR(commands[0].b, 17.5f, 1e-3f);
        EXPECT_EQ(commands[0].c, events);
    }

    // Back to Auto between two frames: the callback reads Events at click time.
    ctx.store.set(kEvents, 0);
    Click(190.0f, 216.0f);
    EXPECT_EQ(ctx.queue.pending(), 0u);
}

TEST_F(SkyInLayout, AFullQueueDropsTheClick) {
    ctx.store.set(kEvents, 1);
    ui.OnFrame(1.0 / 60.0);
    EditorCommand jump;
    jump.type = EditorCommandQueue::kSkyJump;
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(ctx.queue.push(jump));
    Click(190.0f, 216.0f);
    const auto commands = Drain();
    ASSERT_EQ(commands.size(), 64u);
    for (const EditorCommand& c : commands) EXPECT_EQ(c.type, EditorCommandQueue::kSkyJump);
    // Once the audio side has drained, clicks get through again.
    Click(190.0f, 216.0f);
    EXPECT_EQ(ctx.queue.pending(), 1u);
}

TEST_F(SkyInLayout, TheTogglesOnTopOfTheSkyTakeTheirClicks) {
    ctx.store.set(kEvents, 1);
    ui.OnFrame(1.0 / 60.0);
    Click(760.0f - 30.0f, 366.0f);
    EXPECT_EQ(ctx.queue.pending(), 0u);
    EXPECT_EQ(ui.GetControlWithTag(8)->GetValue(), 1.0) << "the toggle itself took the click: Speakers";
    // The Events switch sits on the sky the same way: a click on it changes Events, asks for no star.
    Click(130.0f, 366.0f);
    EXPECT_EQ(ctx.queue.pending(), 0u);
    EXPECT_EQ(ui.GetControlWithTag(35)->GetValue(), 1.0) << "its Comet segment took the click";
}

// The feeder finds every accented control of the real layout by its tag.
TEST_F(SkyInLayout, PresetChangesRetintTheLayoutsAccentedControls) {
    ctx.store.set(kPreset, 4);  // Storm
    ui.OnFrame(1.0 / 60.0);
    const IColor storm = GetSkyPalette(3).accent;
    for (int tag : SkyViewFeeder::kAccentKnobTags) {
        const auto* knob = dynamic_cast<IVKnobControl*>(ui.GetControlWithTag(tag));
        ASSERT_NE(knob, nullptr) << tag;
        EXPECT_EQ(knob->GetStyle().colorSpec.Get(kX1), storm) << "knob " << tag;
    }
    const auto* lock = dynamic_cast<MixLockControl*>(ui.GetControlWithTag(7));
    const auto* monitor = dynamic_cast<MonitorToggleControl*>(ui.GetControlWithTag(8));
    const auto* mode = dynamic_cast<RespModeToggleControl*>(ui.GetControlWithTag(25));
    const auto* meter = dynamic_cast<OutputMeterControl*>(ui.GetControlWithTag(20));
    ASSERT_TRUE(lock && monitor && mode && meter);
    EXPECT_EQ(lock->GetAccentColor(), storm);
    EXPECT_EQ(monitor->GetAccentColor(), storm);
    EXPECT_EQ(mode->GetAccentColor(), storm);
    EXPECT_EQ(meter->GetAccentColor(), storm);
}

}  // namespace
}  // namespace halcyra::test
