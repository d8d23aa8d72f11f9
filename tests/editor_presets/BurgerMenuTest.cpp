// The burger menu and the about box: what each entry opens, and that while either
// is shown every click closes it and reaches nothing underneath.
#include <gtest/gtest.h>

#include "PresetTestContext.h"
#include "editor/BurgerControl.h"
#include "editor/BurgerMenuControl.h"
#include "editor/EditorColors.h"
#include "editor/Website.h"
#include "graphics/controls/IVKnobControl.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

const IRECT kKnobRect(12, 430, 86, 522);

class BurgerMenu : public ::testing::Test {
protected:
    BurgerMenu() {
        ctx.graphics = &ui;
        ui.AttachPanelBackground(kWindowColor);
        knob = ui.AttachControl(new IVKnobControl(kKnobRect, kSize, "SIZE"), 1);
        ui.AttachControl(new BurgerControl(IRECT(10, 8, 34, 36), kTextColor, [this] { menu->ShowMenu(); }), 26);
        menu = static_cast<BurgerMenuControl*>(ui.AttachControl(new BurgerMenuControl(ui.GetBounds(), ctx), 33));
    }

    void Click(float x, float y) {
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }
    void OpenMenu() { Click(22.0f, 22.0f); }
    void ClickEntry(int k) { Click(menu->EntryRect(k).L + 3.0f, menu->EntryRect(k).MH()); }
    void DragKnob() {
        const float x = kKnobRect.MW(), y = kKnobRect.MH();
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseDrag(x, y - 40.0f, 0.0f, -40.0f, IMouseMod(true));
        ui.OnMouseUp(x, y - 40.0f, IMouseMod(true));
    }

    PresetTestContext ctx;
    IGraphics ui{&ctx, 760, 560, 60, 1.0f};
    IControl* knob = nullptr;
    BurgerMenuControl* menu = nullptr;
};

TEST_F(BurgerMenu, AClickOnAKnobWhileTheMenuIsShownOnlyClosesTheMenu) {
    ctx.store.set(kSize, 0.5);
    knob->SetValueFromDelegate(0.5);
    ASSERT_TRUE(menu->IsHidden());  // until the burger button asks for it
    OpenMenu();
    ASSERT_FALSE(menu->IsHidden());
    DragKnob();
    EXPECT_TRUE(menu->IsHidden());
    EXPECT_DOUBLE_EQ(ctx.store.get(kSize), 0.5);
    EXPECT_TRUE(ctx.hostCalls.empty());

    DragKnob();  // with the menu gone the same gesture reaches the knob
    EXPECT_GT(ctx.store.get(kSize), 0.5);
}

TEST_F(BurgerMenu, TheAboutBoxClosesOnAnyClickAndTheNextOpeningStartsWithTheMenu) {
    OpenMenu();
    ClickEntry(0);
    ASSERT_FALSE(menu->IsHidden());
    ASSERT_TRUE(menu->IsShowingAbout());
    const IRECT box = menu->AboutBoxRect();
    Click(box.L + 40.0f, box.T + 40.0f);  // on the title
    EXPECT_TRUE(menu->IsHidden());

    OpenMenu();
    EXPECT_FALSE(menu->IsShowingAbout());
    ClickEntry(0);
    Click(box.R - 40.0f, box.B - 34.0f);  // on "click to close"
    EXPECT_TRUE(menu->IsHidden());
    OpenMenu();
    ClickEntry(0);
    Click(menu->EntryRect(1).MW(), menu->EntryRect(1).MH());  // where "Open Manual" was
    EXPECT_TRUE(menu->IsHidden());
    EXPECT_TRUE(ctx.opened.empty());
}

TEST_F(BurgerMenu, OpenManualFallsBackToTheWebSiteWhenTheManualIsMissing) {
    OpenMenu();
    ClickEntry(1);
    EXPECT_TRUE(menu->IsHidden());
    OpenMenu();
    ctx.manualPath = "/opt/Halcyra.vst3/Contents/Resources/Halcyra-Manual.pdf";
    ClickEntry(1);
    OpenMenu();
    ClickEntry(2);
    EXPECT_TRUE(menu->IsHidden());
    EXPECT_EQ(ctx.opened, (std::vector<std::string>{kWebsiteUrl, ctx.manualPath, kWebsiteUrl}));
}

TEST_F(BurgerMenu, EntriesSpanTheMenuWidthAndAClickBesideTheMenuOpensNothing) {
    OpenMenu();
    const IRECT m = menu->MenuRect();
    Click(m.R - 1.0f, menu->EntryRect(2).MH());  // right edge of "Website", beyond its text
    EXPECT_EQ(ctx.opened, std::vector<std::string>{kWebsiteUrl});
    OpenMenu();
    Click(m.R + 1.0f, m.MH());
    EXPECT_TRUE(menu->IsHidden());
    OpenMenu();
    Click(m.MW(), m.B + 1.0f);
    EXPECT_TRUE(menu->IsHidden());
    EXPECT_EQ(ctx.opened.size(), 1u);
}

}  // namespace
}  // namespace halcyra::test
