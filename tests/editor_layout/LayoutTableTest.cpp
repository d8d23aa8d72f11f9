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
#include "editor/FoldOutPanel.h"
#include "editor/controls/EventsSelectorControl.h"
#include "editor/controls/FoldButtonControl.h"
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
#include "plugin/ParameterText.h"
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
    {typeid(EventsSelectorControl), {14, 354, 146, 378}, kEvents, 35},
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
    {typeid(FoldOutPanel), {181, 284, 579, 386}, kNoParameter, 37},
    {typeid(IVKnobControl), {191, 289, 265, 381}, kWeather, 38},
    {typeid(IVKnobControl), {267, 289, 341, 381}, kGust, 39},
    {typeid(IVKnobControl), {343, 289, 417, 381}, kAttack, 40},
    {typeid(IVKnobControl), {419, 289, 493, 381}, kDecay, 41},
    {typeid(IVKnobControl), {495, 289, 569, 381}, kStarMix, 42},
    {typeid(FoldButtonControl), {344, 396, 416, 414}, kNoParameter, 36},
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

TEST(EditorLayoutTable, OverlaysStartHiddenAndTheSmallAndFoldedControlsHaveTooltips) {
    EditorFixture e;
    for (int tag : {33, 34, 37, 38, 39, 40, 41, 42}) EXPECT_TRUE(e.ui.GetControlWithTag(tag)->IsHidden()) << tag;
    EXPECT_TRUE(e.ui.TooltipsEnabled());
    EXPECT_TRUE(e.ui.MouseOverEnabled());
    for (int i = 0; i < e.ui.NControls(); ++i) {
        const IControl* c = e.ui.GetControl(i);
        const int tag = c->GetTag();
        if (tag == 8) {
            EXPECT_EQ(c->GetTooltip(), "Headphones  /  Speakers");
        } else if (tag == 35 || tag == 36 || (tag >= 38 && tag <= 42)) {
            EXPECT_FALSE(c->GetTooltip().empty()) << "tag " << tag;
        } else {
            EXPECT_TRUE(c->GetTooltip().empty()) << "control " << i;
        }
    }
}

// Every parameter can be reached: one control shows it (two for "Preset": heart and
// name), and a touched knob or meter reads out the value with its unit, once.
TEST(EditorLayoutTable, EveryParameterHasItsControlAndTouchedValuesReadOut) {
    EditorFixture e;
    for (int p = 0; p < kNumParams; ++p) {
        int bound = 0;
        for (int i = 0; i < e.ui.NControls(); ++i) bound += e.ui.GetControl(i)->GetParamIdx() == p;
        EXPECT_EQ(bound, p == kPreset ? 2 : 1) << paramInfo(p).name;
    }
    for (int i = 0; i < e.ui.NControls(); ++i) {
        auto* knob = dynamic_cast<IVKnobControl*>(e.ui.GetControl(i));
        if (!knob) continue;
        const int p = knob->GetParamIdx();
        SCOPED_TRACE(std::string(paramInfo(p).name));
        EXPECT_EQ(knob->GetCaptionText(), knob->GetLabel());
        knob->OnMouseOver(0, 0, IMouseMod());
        const std::string shown = knob->GetCaptionText();
        EXPECT_EQ(shown, formatParameterValue(p, e.ctx.store.get(p)));
        const std::string_view unit = paramInfo(p).label;
        if (!unit.empty()) {
            EXPECT_EQ(shown.find(unit), shown.rfind(unit)) << shown;
        }
        knob->OnMouseOut();
        knob->OnMouseDown(0, 0, IMouseMod());
        EXPECT_EQ(knob->GetCaptionText(), shown) << "pressed";
        knob->OnMouseUp(0, 0, IMouseMod());
        EXPECT_EQ(knob->GetCaptionText(), knob->GetLabel());
    }
    auto* meter = e.Tagged<OutputMeterControl>(20);
    EXPECT_EQ(meter->ReadoutText(), "");
    const IRECT m = meter->GetRECT();
    e.ui.OnMouseDown(m.L + 1, m.MH(), IMouseMod(true));
    EXPECT_EQ(meter->ReadoutText(), "-24.0 dB");
    e.ui.OnMouseUp(m.L + 1, m.MH(), IMouseMod(true));
    EXPECT_EQ(meter->ReadoutText(), "");
    // The readout sits in the header's empty stretch, right of "A>B".
    EXPECT_GT(meter->ReadoutBounds().L, e.ui.GetControlWithTag(32)->GetRECT().R);
}

// The controls added beside the original strip cover none of the others: only the sky
// view (and, for the folded knobs, their panel) lies beneath them.
TEST(EditorLayoutTable, AddedControlsOverlapNothingButTheSkyAndTheirPanel) {
    EditorFixture e;
    const auto overlaps = [](const IRECT& a, const IRECT& b) { return a.L < b.R && b.L < a.R && a.T < b.B && b.T < a.B; };
    for (int tag : {35, 36, 37, 38, 39, 40, 41, 42}) {
        const IControl* added = e.ui.GetControlWithTag(tag);
        for (int i = 0; i < e.ui.NControls(); ++i) {
            const IControl* other = e.ui.GetControl(i);
            if (other == added || other->GetRECT() == kWhole || other->GetRECT().Empty()) continue;
            if (typeid(*other) == typeid(SkyViewControl)) continue;
            if (tag >= 38 && other->GetTag() == 37) continue;
            if (tag == 37 && other->GetTag() >= 38 && other->GetTag() <= 42) continue;
            EXPECT_FALSE(overlaps(added->GetRECT(), other->GetRECT())) << "tag " << tag << " and control " << i;
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
    for (int tag : {1, 2, 4, 3, 24, 21, 22, 23, 6, 38, 39, 40, 41, 42}) {
        EXPECT_EQ(e.Tagged<IVKnobControl>(tag)->GetStyle().colorSpec.Get(kX1), followed) << "knob " << tag;
    }
    EXPECT_EQ(e.Tagged<MixLockControl>(7)->GetAccentColor(), followed);
    EXPECT_EQ(e.Tagged<MonitorToggleControl>(8)->GetAccentColor(), followed);
    EXPECT_EQ(e.Tagged<RespModeToggleControl>(25)->GetAccentColor(), followed);
    EXPECT_EQ(e.Tagged<EventsSelectorControl>(35)->GetAccentColor(), followed);
}

}  // namespace
}  // namespace halcyra::test
