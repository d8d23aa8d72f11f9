// An editor-sized IGraphics with only the preset panel on it (over the window
// colour), shown, on a PresetTestContext.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PresetTestContext.h"
#include "editor/EditorColors.h"
#include "editor/PresetManagerControl.h"
#include "graphics/IGraphics.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetStore.h"

namespace halcyra::test {

inline std::vector<std::string> FactoryNames() {
    std::vector<std::string> names;
    for (const FactoryPreset& p : kFactoryPresets) names.emplace_back(p.name);
    return names;
}

struct PanelFixture {
    PanelFixture() {
        ctx.graphics = &ui;
        ui.AttachPanelBackground(kWindowColor);
        panel = static_cast<PresetManagerControl*>(
            ui.AttachControl(new PresetManagerControl(ui.GetBounds(), ctx, selection), 34));
        EXPECT_TRUE(panel->IsHidden());  // until the list icon or the name asks for it
        panel->Show();
    }

    void Click(float x, float y) {
        ui.OnMouseDown(x, y, IMouseMod(true));
        ui.OnMouseUp(x, y, IMouseMod(true));
    }

    void SaveUserPreset(const std::string& name) {
        ASSERT_TRUE(ctx.presets->saveUserPreset(PresetStore::fromParameters(name, ctx.editor)));
    }

    // Row of the first non-header item with this name (only user items when asked);
    // -1 when not listed.
    int RowOf(const std::string& name, bool userOnly = false) const {
        const auto items = panel->BuildList();
        for (std::size_t i = 0; i < items.size(); ++i)
            if (!items[i].header && items[i].name == name && !(userOnly && items[i].factory))
                return static_cast<int>(i);
        return -1;
    }
    int UserRowOf(const std::string& name) const { return RowOf(name, true); }

    // Click points inside a row: on its heart, on its "✕" and on its name.
    void ClickHeart(int row) { Click(panel->HeartRect(row).MW(), panel->RowRect(row).MH()); }
    void ClickDelete(int row) { Click(panel->DeleteRect(row).MW(), panel->RowRect(row).MH()); }
    void ClickName(int row) { Click(panel->RowRect(row).L + 100.0f, panel->RowRect(row).MH()); }

    PresetTestContext ctx;
    IGraphics ui{&ctx, 760, 560, 60, 1.0f};
    std::shared_ptr<PresetSelection> selection = std::make_shared<PresetSelection>(ctx, FactoryNames());
    PresetManagerControl* panel = nullptr;
};

}  // namespace halcyra::test
