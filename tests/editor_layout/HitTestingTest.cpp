// Which control gets the mouse where controls overlap, and which never take it.
#include <gtest/gtest.h>

#include "LayoutFixture.h"
#include "editor/SkyViewControl.h"
#include "editor/controls/HeaderBox.h"
#include "editor/controls/HeaderTextButton.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/ResizeGripControl.h"
#include "graphics/controls/ICornerResizerControl.h"
#include "graphics/controls/IPanelControl.h"

namespace halcyra::test {
namespace {

TEST(EditorHitTesting, TheMonitorToggleSitsOnTopOfTheSkyView) {
    EditorFixture e;
    const IControl* monitor = e.ui.GetControlWithTag(8);
    // Corners and centre of (W - 62, 354, W - 14, 378), just inside the half-open edges.
    for (auto [x, y] : {std::pair{698.0f, 354.0f}, {745.9f, 354.0f}, {698.0f, 377.9f}, {745.9f, 377.9f}, {722.0f, 366.0f}}) {
        EXPECT_EQ(e.ui.GetMouseControl(x, y), monitor) << x << "," << y;
    }
    // Just outside it the sky view answers.
    for (auto [x, y] : {std::pair{697.0f, 366.0f}, {746.5f, 366.0f}, {722.0f, 353.0f}, {722.0f, 380.0f}}) {
        EXPECT_NE(dynamic_cast<SkyViewControl*>(e.ui.GetMouseControl(x, y)), nullptr) << x << "," << y;
    }
}

TEST(EditorHitTesting, TheNextPresetButtonWinsWhereTheArrowsOverlap) {
    EditorFixture e;
    const IControl* previous = e.ui.GetControl(9);
    const IControl* next = e.ui.GetControl(10);
    EXPECT_EQ(e.ui.GetMouseControl(458.0f, 20.0f), next);
    EXPECT_EQ(e.ui.GetMouseControl(459.5f, 20.0f), next);
    EXPECT_EQ(e.ui.GetMouseControl(457.5f, 20.0f), previous);
    EXPECT_EQ(e.ui.GetMouseControl(475.5f, 20.0f), next);
}

TEST(EditorHitTesting, DecorationsNeverTakeTheMouse) {
    EditorFixture e;
    for (int i = 0; i < e.ui.NControls(); ++i) {
        IControl* c = e.ui.GetControl(i);
        const bool decoration = dynamic_cast<IPanelControl*>(c) || dynamic_cast<HeaderBox*>(c) ||
                                dynamic_cast<ResizeGripControl*>(c);
        if (decoration) {
            EXPECT_TRUE(c->GetIgnoreMouse()) << "control " << i;
        }
    }
    // Beside the list icon and the A/B control only their header boxes lie beneath:
    // outside those controls nothing answers.
    EXPECT_EQ(e.ui.GetMouseControl(180.0f, 20.0f), nullptr);
    EXPECT_EQ(e.ui.GetMouseControl(620.0f, 22.0f), nullptr);  // bare header, panel only
    EXPECT_EQ(e.ui.GetMouseControl(5.0f, 550.0f), nullptr);   // bare strip, panel only
}

TEST(EditorHitTesting, TheCornerResizerIsReachableThroughTheGripAndThePanel) {
    EditorFixture e;
    const ICornerResizerControl* resizer = e.ui.GetCornerResizer();
    EXPECT_EQ(e.ui.GetMouseControl(755.0f, 555.0f), resizer);
    EXPECT_EQ(e.ui.GetMouseControl(741.0f, 541.0f), resizer);
}

TEST(EditorHitTesting, HiddenOverlaysNeverTakeTheMouseAndShownOnesTakeEverything) {
    EditorFixture e;
    IControl* menu = e.ui.GetControlWithTag(33);
    IControl* panel = e.ui.GetControlWithTag(34);
    const std::pair<float, float> points[] = {{20, 20}, {380, 200}, {722, 366}, {50, 470}, {755, 555}};
    for (auto [x, y] : points) {
        const IControl* got = e.ui.GetMouseControl(x, y);
        EXPECT_NE(got, menu);
        EXPECT_NE(got, panel);
    }
    panel->Hide(false);
    for (auto [x, y] : points) EXPECT_EQ(e.ui.GetMouseControl(x, y), panel) << x << "," << y;
    panel->Hide(true);
    menu->Hide(false);
    for (auto [x, y] : points) EXPECT_EQ(e.ui.GetMouseControl(x, y), menu) << x << "," << y;
}

TEST(EditorHitTesting, EveryKnobAndToggleAnswersAtItsCentre) {
    EditorFixture e;
    for (int tag : {1, 2, 4, 3, 24, 21, 22, 23, 6, 25, 7, 8, 20, 26, 27, 29, 30, 31, 32, 35, 36}) {
        IControl* c = e.ui.GetControlWithTag(tag);
        ASSERT_NE(c, nullptr) << tag;
        EXPECT_EQ(e.ui.GetMouseControl(c->GetRECT().MW(), c->GetRECT().MH()), c) << "tag " << tag;
    }
}

}  // namespace
}  // namespace halcyra::test
