// What the overlays and header controls draw, probed in the pixels: the about box's
// line offsets, rows below the panel, highlighted rows, the header heart and the
// A/B highlight.
#include <gtest/gtest.h>

#include "PanelFixture.h"
#include "PixelProbe.h"
#include "editor/AbCompareControl.h"
#include "editor/BurgerMenuControl.h"
#include "editor/FavoriteControl.h"
#include "editor/PresetNameControl.h"
#include "plugin/Parameters.h"
#include "presets/PresetStore.h"

namespace halcyra::test {
namespace {

TEST(AboutBox, BodyLinesSitAtTheirOffsetsAndTheFooterOnBothSides) {
    PresetTestContext ctx;
    IGraphics ui(&ctx, 760, 560, 60, 1.0f);
    ui.AttachPanelBackground(kWindowColor);
    auto* menu = static_cast<BurgerMenuControl*>(ui.AttachControl(new BurgerMenuControl(ui.GetBounds(), ctx), 33));
    menu->ShowMenu();
    ui.OnMouseDown(30.0f, menu->EntryRect(0).MH(), IMouseMod(true));
    ASSERT_TRUE(menu->IsShowingAbout());

    OffscreenRenderer r;
    ASSERT_TRUE(r.Render(ui));
    const IRECT c = menu->AboutBoxRect().GetInset(26.0f);
    const IColor panel = PixelAt(r, c.R - 3.0f, c.T + 60.0f);
    const auto band = [&](float from, float to) { return IRECT(c.L, c.T + from, c.R, c.T + to); };

    EXPECT_GT(InkCount(r, band(0, 24), panel), 100) << "title";
    EXPECT_GT(InkCount(r, band(34, 46), panel), 50) << "subtitle";
    // Version and maker at 62 and 76, then the gap: nothing until the credit line at 98.
    EXPECT_EQ(InkCount(r, band(48, 60), panel), 0);
    EXPECT_GT(InkCount(r, band(62, 74), panel), 30) << "version";
    EXPECT_GT(InkCount(r, band(76, 88), panel), 30) << "maker";
    EXPECT_EQ(InkCount(r, band(91, 96), panel), 0);
    EXPECT_GT(InkCount(r, band(98, 110), panel), 50) << "credit, first line";
    EXPECT_GT(InkCount(r, band(114, 124), panel), 50) << "credit, second line";
    EXPECT_EQ(InkCount(r, band(127, 133), panel), 0) << "gap before the trademarks";
    EXPECT_GT(InkCount(r, band(134, 146), panel), 50);
    EXPECT_GT(InkCount(r, band(148, 160), panel), 50);
    EXPECT_EQ(InkCount(r, band(163, c.H() - 16), panel), 0);

    const IRECT footer(c.L, c.B - 16.0f, c.R, c.B);
    EXPECT_GT(InkCount(r, IRECT(footer.L, footer.T, footer.MW(), footer.B), panel), 30) << "maker";
    EXPECT_GT(InkCount(r, IRECT(footer.MW(), footer.T, footer.R, footer.B), panel), 30) << "click to close";
}

TEST(PanelDrawing, RowsStayInsideTheListAndLongNamesInsideTheirRow) {
    PanelFixture f;
    for (int i = 0; i < 14; ++i) f.SaveUserPreset("Preset " + std::to_string(10 + i));
    f.SaveUserPreset(std::string(60, 'W'));
    OffscreenRenderer r;
    const auto ink = [&](const IRECT& area) {
        EXPECT_TRUE(r.Render(f.ui));
        return InkCount(r, area, PixelAt(r, area.L, area.T));
    };
    const auto nameArea = [&](int row) { return f.panel->RowRect(row).GetPadded(32.0f, 0.0f, -46.0f, 0.0f); };
    const IRECT panel = f.panel->PanelRect();
    EXPECT_EQ(ink(IRECT(panel.L, panel.B + 1.0f, panel.R, 560.0f)), 0);  // nothing below the panel
    f.ui.SetScale(2.0f);
    EXPECT_EQ(ink(IRECT(panel.L, panel.B + 1.0f, panel.R, 560.0f).GetScaled(2.0f)), 0);
    f.ui.SetScale(1.0f);

    for (int i = 0; i < 20; ++i) f.ui.OnMouseWheel(panel.MW(), panel.MH(), IMouseMod(), -1.0f);
    const int last = f.RowOf("Preset 23");
    ASSERT_TRUE(f.panel->ListRect().Contains(f.panel->RowRect(last).L, f.panel->RowRect(last).MH()));
    EXPECT_GT(ink(nameArea(last)), 30);
    // The long name ends before the rename mark.
    const IRECT wide = f.panel->RowRect(f.RowOf(std::string(60, 'W')));
    EXPECT_GT(ink(nameArea(f.RowOf(std::string(60, 'W')))), 30);
    const IRECT gap(f.panel->RenameRect(0).L, wide.T, f.panel->RenameRect(0).L + 5.0f, wide.B);
    EXPECT_EQ(InkCount(r, gap, PixelAt(r, gap.L - 40.0f, wide.T + 1.0f)), 0);
}

TEST(PanelDrawing, TheCurrentFactoryAndUserPresetsAreBothHighlighted) {
    PanelFixture f;
    f.SaveUserPreset("Dusk");
    f.ClickName(f.RowOf("Dusk"));
    f.panel->Show();
    f.ClickName(f.RowOf("Storm"));
    f.panel->Show();
    ASSERT_EQ(f.panel->CurrentUserPresetName(), "Dusk");

    OffscreenRenderer r;
    ASSERT_TRUE(r.Render(f.ui));
    // Left of the heart, inside the highlight's rounded rectangle.
    const auto spot = [&](const char* name) {
        const IRECT row = f.panel->RowRect(f.RowOf(name));
        return PixelAt(r, row.L + 8.5f, row.MH());
    };
    const IColor plain = spot("Clear");
    EXPECT_GT(ColourDistance(spot("Storm"), plain), 8) << Describe(spot("Storm")) << " vs " << Describe(plain);
    EXPECT_GT(ColourDistance(spot("Dusk"), plain), 8) << Describe(spot("Dusk"));
    EXPECT_LE(ColourDistance(spot("Sky Opening"), plain), 2);
}

class HeaderDrawing : public ::testing::Test {
protected:
    HeaderDrawing() {
        ctx.graphics = &ui;
        ui.AttachPanelBackground(kWindowColor);
        heart = ui.AttachControl(
            new FavoriteControl(IRECT(228, 8, 252, 36), ctx, selection, kAccentInitialColor, kDimColor), 30);
        name = ui.AttachControl(new PresetNameControl(IRECT(258, 0, 434, 44), selection, kTextColor, [] {}), 29);
        ab = ui.AttachControl(new AbCompareControl(IRECT(488, 8, 546, 36), ctx, kAccentInitialColor, kDimColor), 27);
        ctx.ab.setUp(ctx.editor);
    }
    void Click(float x, float y) {
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }
    IColor HeartCentre() {
        EXPECT_TRUE(r.Render(ui));
        return PixelAt(r, 240.0f, 23.0f);
    }

    PresetTestContext ctx;
    IGraphics ui{&ctx, 760, 560, 60, 1.0f};
    std::shared_ptr<PresetSelection> selection = std::make_shared<PresetSelection>(ctx, FactoryNames());
    OffscreenRenderer r;
    IControl* heart = nullptr;
    IControl* name = nullptr;
    IControl* ab = nullptr;
};

TEST_F(HeaderDrawing, TheHeartFollowsTheCurrentPresetsFavouriteAndAClickTogglesIt) {
    EXPECT_LE(ColourDistance(HeartCentre(), kWindowColor), 3);  // outlined only
    Click(240.0f, 22.0f);
    EXPECT_TRUE(ctx.presets->isFavourite("Sky Opening"));
    EXPECT_LE(ColourDistance(HeartCentre(), kAccentInitialColor), 3) << Describe(HeartCentre());

    // "‹" from the first preset wraps to the last; both header controls must redraw.
    ASSERT_FALSE(heart->IsDirty());
    stepFactoryPreset(-1, ctx.editor, ctx.queue);
    EXPECT_DOUBLE_EQ(ctx.store.get(kPreset), 7.0);
    EXPECT_TRUE(heart->IsDirty());
    EXPECT_TRUE(name->IsDirty());
    EXPECT_LE(ColourDistance(HeartCentre(), kWindowColor), 3);
    Click(240.0f, 22.0f);
    EXPECT_EQ(ctx.presets->readFavourites(), (std::vector<std::string>{"Sky Opening", "Cinematic Overcast"}));

    stepFactoryPreset(+1, ctx.editor, ctx.queue);  // "›" wraps back
    EXPECT_DOUBLE_EQ(ctx.store.get(kPreset), 0.0);
    Click(240.0f, 22.0f);
    EXPECT_EQ(ctx.presets->readFavourites(), std::vector<std::string>{"Cinematic Overcast"});
}

TEST_F(HeaderDrawing, TheNameFollowsWhatIsLoadedAndMarksAChangedSound) {
    const auto shown = [&] { return static_cast<PresetNameControl*>(name)->ShownText(); };
    EXPECT_EQ(shown(), "Sky Opening");
    ctx.store.set(kSize, 0.5);
    EXPECT_EQ(shown(), "Sky Opening*");
    selection->LoadFactory(4);
    EXPECT_EQ(shown(), "Storm");  // Mix Lock kept Mix: not a difference

    ASSERT_TRUE(ctx.presets->saveUserPreset(PresetStore::fromParameters("Dusk", ctx.editor)));
    ASSERT_TRUE(ctx.presets->saveUserPreset(PresetStore::fromParameters("Rain", ctx.editor)));
    ctx.store.set(kLevel, 0.1);
    ASSERT_TRUE(selection->LoadUser("Dusk"));
    EXPECT_EQ(shown(), "Dusk");
    ctx.store.set(kLevel, 0.2);
    EXPECT_EQ(shown(), "Dusk*");
    ctx.store.set(kMonitor, 1.0);  // not a preset's parameter
    ctx.store.set(kLevel, static_cast<double>(kFactoryPresets[4].level));
    EXPECT_EQ(shown(), "Dusk");
    Click(240.0f, 22.0f);  // the heart marks what the header names
    EXPECT_TRUE(ctx.presets->isFavourite("Dusk"));

    ctx.store.set(kPreset, 2.0);  // the host moved "Preset"
    EXPECT_EQ(shown(), "Overcast*");

    // "‹" / "›" run through the factory presets, then the user presets, wrapping.
    selection->LoadFactory(7);
    selection->Step(+1);
    EXPECT_EQ(shown(), "Dusk");
    selection->Step(+1);
    EXPECT_EQ(shown(), "Rain");
    selection->Step(+1);
    EXPECT_EQ(shown(), "Sky Opening");
    selection->Step(-1);
    EXPECT_EQ(shown(), "Rain");
    // Under the favourites filter only the shown ones.
    ctx.presets->toggleFavourite("Clear");
    selection->SetFavouritesOnly(true);
    selection->Step(+1);
    EXPECT_EQ(shown(), "Clear");
    selection->Step(+1);
    EXPECT_EQ(shown(), "Dusk");
    selection->Step(+1);
    EXPECT_EQ(shown(), "Clear");
}

TEST_F(HeaderDrawing, TheAbHighlightFollowsTheSlotPickedByEachHalf) {
    const auto highlight = [&](float x) {
        EXPECT_TRUE(r.Render(ui));
        return ColourDistance(PixelAt(r, x, 22.0f), kWindowColor);
    };
    constexpr float kBesideA = 492.0f, kBesideB = 543.0f;  // inside each area, clear of the letters
    EXPECT_GT(highlight(kBesideA), 20);
    EXPECT_LE(highlight(kBesideB), 3);

    ctx.store.set(kSize, 0.4);
    Click(518.0f, 22.0f);  // just right of the centre
    EXPECT_EQ(ctx.ab.current(), AbCompareState::kSlotB);
    EXPECT_DOUBLE_EQ(ctx.store.get(kSize), 1.0);
    EXPECT_LE(highlight(kBesideA), 3);
    EXPECT_GT(highlight(kBesideB), 20);

    Click(516.0f, 22.0f);  // just left of it
    EXPECT_EQ(ctx.ab.current(), AbCompareState::kSlotA);
    EXPECT_DOUBLE_EQ(ctx.store.get(kSize), 0.4);
}

}  // namespace
}  // namespace halcyra::test
