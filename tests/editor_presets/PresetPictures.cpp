// Pictures of the preset panel, the burger menu and the about box for checking by
// eye (not a test): halcyra-preset-pictures [OUT_DIR] [SCALE]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PresetTestContext.h"
#include "editor/AbCompareControl.h"
#include "editor/BurgerControl.h"
#include "editor/BurgerMenuControl.h"
#include "editor/EditorColors.h"
#include "editor/FavoriteControl.h"
#include "editor/PresetListControl.h"
#include "editor/PresetManagerControl.h"
#include "editor/PresetNameControl.h"
#include "editor/PresetSelection.h"
#include "graphics/offscreen/OffscreenRenderer.h"
#include "plugin/Parameters.h"
#include "presets/FactoryPresets.h"

using namespace halcyra;

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const float scale = argc > 2 ? static_cast<float>(std::atof(argv[2])) : 1.0f;

    test::PresetTestContext ctx;
    IGraphics ui(&ctx, 760, 560, 60, scale);
    ctx.graphics = &ui;
    ui.AttachPanelBackground(kWindowColor);
    ui.AttachControl(new BurgerControl(IRECT(10, 8, 34, 36), kTextColor, [] {}));
    ui.AttachControl(new PresetListControl(IRECT(186, 8, 212, 36), kTextColor, [] {}));
    std::vector<std::string> names;
    for (const FactoryPreset& p : kFactoryPresets) names.emplace_back(p.name);
    auto selection = std::make_shared<PresetSelection>(ctx, names);
    ui.AttachControl(new FavoriteControl(IRECT(228, 8, 252, 36), ctx, selection, kAccentInitialColor, kDimColor));
    ui.AttachControl(new PresetNameControl(IRECT(258, 0, 434, 44), selection, kTextColor, [] {}));
    ui.AttachControl(new AbCompareControl(IRECT(488, 8, 546, 36), ctx, kAccentInitialColor, kDimColor));
    ctx.ab.setUp(ctx.editor);

    auto* menu = static_cast<BurgerMenuControl*>(ui.AttachControl(new BurgerMenuControl(ui.GetBounds(), ctx)));
    auto* panel = static_cast<PresetManagerControl*>(
        ui.AttachControl(new PresetManagerControl(ui.GetBounds(), ctx, selection)));
    menu->Hide(true);

    for (const char* n : {"Dusk over the bay", "Rain", "Late train", "Vocal wash",
                          "A name far too long for its row in the preset panel", "\xe2\x98\x81 Wolken \xe9\x9b\xa8"})
        ctx.presets->saveUserPreset(PresetStore::fromParameters(n, ctx.editor));
    ctx.presets->toggleFavourite("Storm");
    ctx.presets->toggleFavourite("Rain");
    recallFactoryPreset(4, ctx.editor, ctx.queue);

    bool ok = RenderToPng(ui, (dir + "/header.png").c_str());
    panel->Show();
    ok = RenderToPng(ui, (dir + "/preset-panel.png").c_str()) && ok;
    panel->Hide(true);
    menu->ShowMenu();
    ok = RenderToPng(ui, (dir + "/burger-menu.png").c_str()) && ok;
    ui.OnMouseDown(30.0f, menu->EntryRect(0).MH(), IMouseMod(true));
    ok = RenderToPng(ui, (dir + "/about-box.png").c_str()) && ok;
    if (!ok) std::fprintf(stderr, "rendering failed\n");
    return ok ? 0 : 1;
}
