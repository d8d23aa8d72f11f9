// The control tree the layout builds: order, classes, rectangles, parameters, tags,
// overlay visibility, tooltips and the knob set-up.
#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "LayoutFixture.h"
#include "editor/AbCompareControl.h"
#include "editor/BurgerControl.h"
#include "editor/BurgerMenuControl.h"
#include "editor/FavoriteControl.h"
#include "editor/PresetListControl.h"
#include "editor/PresetManagerControl.h"
#include "editor/PresetNameControl.h"
#include "editor/EditorColors.h"
#include "editor/SkyPalette.h"
#include "editor/SkyViewControl.h"
#include "editor/SkyViewFeeder.h"
#include "editor/controls/HeaderBox.h"
#include "editor/controls/HeaderTextButton.h"
#include "editor/controls/MixLockControl.h"
#include "editor/controls/MonitorToggleControl.h"
#include "editor/controls/OutputMeterControl.h"
#include "editor/controls/ResizeGripControl.h"
#include "editor/controls/RespModeToggleControl.h"
#include "editor/controls/ResponseKnobControl.h"
#include "graphics/controls/IPanelControl.h"
#include "graphics/controls/ITextControl.h"
#include "graphics/controls/IVKnobControl.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

namespace halcyra::test {
namespace {

struct Row {
    const std::type_info& type;
    IRECT rect;
    int param;
    int tag;
};

constexpr float W = 760, H = 560;
constexpr IRECT kWhole{0, 0, W, H};

const Row kTable[] = {
    {typeid(IPanelControl), kWhole, kNoParameter, kNoTag},
    {typeid(SkyViewControl), {0, 44, W, 388}, kNoParameter, kNoTag},
    {typeid(BurgerControl), {10, 8, 34, 36}, kNoParameter, 26},
    {typeid(ITextControl), {42, 0, 168, 44}, kNoParameter, kNoTag},
    {typeid(HeaderBox), {186, 8, 212, 36}, kNoParameter, kNoTag},
    {typeid(PresetListControl), {186, 8, 212, 36}, kNoParameter, 31},
    {typeid(HeaderBox), {222, 8, 478, 36}, kNoParameter, kNoTag},
    {typeid(FavoriteControl), {228, 8, 252, 36}, kPreset, 30},
    {typeid(PresetNameControl), {258, 0, 434, 44}, kPreset, 29},
    {typeid(HeaderTextButton), {442, 8, 460, 36}, kNoParameter, kNoTag},
    {typeid(HeaderTextButton), {458, 8, 476, 36}, kNoParameter, kNoTag},
    {typeid(HeaderBox), {488, 8, 546, 36}, kNoParameter, kNoTag},
    {typeid(AbCompareControl), {488, 8, 546, 36}, kNoParameter, 27},
    {typeid(HeaderTextButton), {552, 8, 584, 36}, kNoParameter, 32},
    {typeid(OutputMeterControl), {W - 86, 11, W - 14, 33}, kOutput, 20},
    {typeid(MonitorToggleControl), {W - 62, 354, W - 14, 378}, kMonitor, 8},
    {typeid(ITextControl), {103, 396, 223, 414}, kNoParameter, kNoTag},
    {typeid(ITextControl), {434, 396, 554, 414}, kNoParameter, kNoTag},
    {typeid(ITextControl), {671, 396, 751, 414}, kNoParameter, kNoTag},
    {typeid(IVKnobControl), {12, 430, 86, 522}, kSize, 1},
    {typeid(IVKnobControl), {88, 430, 162, 522}, kBrightness, 2},
    {typeid(IVKnobControl), {164, 430, 238, 522}, kSpacing, 4},
    {typeid(IVKnobControl), {240, 430, 314, 522}, kWind, 3},
    {typeid(ResponseKnobControl), {343, 430, 417, 522}, kResponse, 24},
    {typeid(IVKnobControl), {419, 430, 493, 522}, kRate, 21},
    {typeid(IVKnobControl), {495, 430, 569, 522}, kLevel, 22},
    {typeid(IVKnobControl), {571, 430, 645, 522}, kCharacter, 23},
    {typeid(IVKnobControl), {674, 430, 748, 522}, kMix, 6},
    {typeid(RespModeToggleControl), {333, 523, 427, 543}, kResponseMode, 25},
    {typeid(MixLockControl), {695, 522, 727, 544}, kMixLock, 7},
    {typeid(ResizeGripControl), {W - 26, H - 26, W, H}, kNoParameter, kNoTag},
    {typeid(BurgerMenuControl), kWhole, kNoParameter, 33},
    {typeid(PresetManagerControl), kWhole, kNoParameter, 34},
};

TEST(EditorLayoutTable, EveryControlIsAttachedInOrderWithItsClassRectangleParameterAndTag) {
    EditorFixture e;
    constexpr int kRows = static_cast<int>(std::size(kTable));
    // The feeder comes last, after every row of the table.
    ASSERT_EQ(e.ui.NControls(), kRows + 1);
    for (int i = 0; i < kRows; ++i) {
        SCOPED_TRACE("control " + std::to_string(i));
        const IControl* c = e.ui.GetControl(i);
        const Row& row = kTable[i];
        EXPECT_EQ(typeid(*c), row.type) << typeid(*c).name();
        EXPECT_EQ(c->GetRECT(), row.rect);
        EXPECT_EQ(c->GetParamIdx(), row.param);
        EXPECT_EQ(c->GetTag(), row.tag);
    }
    const IControl* feeder = e.ui.GetControl(kRows);
    EXPECT_EQ(typeid(*feeder), typeid(SkyViewFeeder));
    EXPECT_TRUE(feeder->GetRECT().Empty());
    EXPECT_EQ(feeder->GetTag(), kNoTag);
    EXPECT_NE(e.ui.GetCornerResizer(), nullptr);
}

TEST(EditorLayoutTable, OverlaysStartHiddenAndOnlyTheMonitorToggleHasATooltip) {
    EditorFixture e;
    EXPECT_TRUE(e.ui.GetControlWithTag(33)->IsHidden());
    EXPECT_TRUE(e.ui.GetControlWithTag(34)->IsHidden());
    EXPECT_TRUE(e.ui.TooltipsEnabled());
    EXPECT_TRUE(e.ui.MouseOverEnabled());
    for (int i = 0; i < e.ui.NControls(); ++i) {
        const IControl* c = e.ui.GetControl(i);
        if (c->GetTag() == 8) {
            EXPECT_EQ(c->GetTooltip(), "Headphones  /  Speakers");
        } else {
            EXPECT_TRUE(c->GetTooltip().empty()) << "control " << i;
        }
    }
}

TEST(EditorLayoutTable, FontsAreRegisteredAndAbCompareIsSetUp) {
    EditorFixture e;
    EXPECT_TRUE(e.ui.Fonts().Has("Roboto-Regular"));
    EXPECT_TRUE(e.ui.Fonts().Has("Unbounded"));
    EXPECT_TRUE(e.ctx.ab.valid(0));
    EXPECT_TRUE(e.ctx.ab.valid(1));
}

TEST(EditorLayoutTable, PaletteFollowReachesTheKnobArcsTogglesAndMeter) {
    EditorFixture e;
    // A preset whose palette accent differs from the one the editor opens with.
    int preset = 0;
    while (preset < kNumFactoryPresets &&
           GetSkyPalette(SkyViewFeeder::PaletteForPreset(preset)).accent == kAccentInitialColor)
        ++preset;
    ASSERT_LT(preset, kNumFactoryPresets);
    e.ctx.store.set(kPreset, preset);
    e.ui.OnFrame(1.0 / 60.0);

    const IColor followed = e.Tagged<OutputMeterControl>(20)->GetAccentColor();
    EXPECT_NE(followed, kAccentInitialColor);
    for (int tag : {1, 2, 4, 3, 24, 21, 22, 23, 6}) {
        EXPECT_EQ(e.Tagged<IVKnobControl>(tag)->GetStyle().colorSpec.Get(kX1), followed) << "knob " << tag;
    }
    EXPECT_EQ(e.Tagged<MixLockControl>(7)->GetAccentColor(), followed);
    EXPECT_EQ(e.Tagged<MonitorToggleControl>(8)->GetAccentColor(), followed);
    EXPECT_EQ(e.Tagged<RespModeToggleControl>(25)->GetAccentColor(), followed);
}

}  // namespace
}  // namespace halcyra::test
