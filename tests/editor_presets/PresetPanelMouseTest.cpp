// Mouse and keyboard on the preset panel: what each part of a row does, saving
// through the text entry, deleting, and where a click closes the panel.
#include <gtest/gtest.h>

#include <filesystem>

#include "PanelFixture.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

class PresetPanel : public ::testing::Test {
protected:
    void Type(const std::string& text) {
        for (char c : text) f.ui.OnKeyDown(IKeyPress(std::string(1, c)));
    }
    void PressReturn() { f.ui.OnKeyDown(IKeyPress(EVirtualKey::Return)); }
    void ClickSave() { f.Click(f.panel->SaveRect().MW(), f.panel->SaveRect().MH()); }
    bool FileExists(const std::string& fileName) const {
        return std::filesystem::exists(std::filesystem::path(f.ctx.presetFolder) / fileName);
    }

    PanelFixture f;
};

TEST_F(PresetPanel, TypingANameIntoTheSaveEntryAndPressingReturnSavesTheCurrentSound) {
    f.ctx.store.set(kSize, 0.25);
    ClickSave();
    ASSERT_TRUE(f.ui.IsTextEntryActive());
    EXPECT_EQ(f.ui.GetTextEntry()->GetRECT(), f.panel->SaveRect());
    Type("My Sky");
    PressReturn();

    EXPECT_FALSE(f.ui.IsTextEntryActive());
    EXPECT_TRUE(FileExists("My_Sky.halcyrapreset"));
    EXPECT_EQ(f.ctx.presets->listUserPresets(), std::vector<std::string>{"My Sky"});
    EXPECT_EQ(f.panel->CurrentUserPresetName(), "My Sky");
    EXPECT_FALSE(f.panel->IsHidden());

    UserPreset saved;
    ASSERT_TRUE(PresetStore::readPresetFile(f.ctx.presets->findPresetFile("My Sky"), saved));
    ASSERT_EQ(saved.entries.size(), 11u);
    EXPECT_EQ(saved.entries[2].first, "size");
    EXPECT_DOUBLE_EQ(saved.entries[2].second, 0.25);
}

TEST_F(PresetPanel, SavingWithAnEmptyNameOrCancellingSavesNothing) {
    ClickSave();
    PressReturn();
    ClickSave();
    Type("Never");
    f.ui.OnKeyDown(IKeyPress(EVirtualKey::Escape));
    ClickSave();
    Type("Lost");
    f.Click(5.0f, 5.0f);  // a click elsewhere drops the entry and closes the panel

    EXPECT_TRUE(f.ctx.presetFileNames().empty());
    EXPECT_TRUE(f.panel->CurrentUserPresetName().empty());
    EXPECT_FALSE(f.ui.IsTextEntryActive());
}

TEST_F(PresetPanel, UserRowsHeartToggleDeleteRemovesTheFileAndNameLoads) {
    f.ctx.store.set(kSize, 0.3);
    f.SaveUserPreset("Dusk");
    f.SaveUserPreset("Rain");
    f.ctx.store.set(kSize, 0.9);

    f.ClickHeart(f.RowOf("Dusk"));
    EXPECT_TRUE(f.ctx.presets->isFavourite("Dusk"));
    EXPECT_FALSE(f.panel->IsHidden());
    EXPECT_DOUBLE_EQ(f.ctx.store.get(kSize), 0.9);  // the heart does not load

    f.ClickDelete(f.RowOf("Rain"));
    EXPECT_EQ(f.ctx.presetFileNames(), std::vector<std::string>{"Dusk.halcyrapreset"});
    EXPECT_FALSE(f.panel->IsHidden());
    EXPECT_DOUBLE_EQ(f.ctx.store.get(kSize), 0.9);

    f.ClickName(f.RowOf("Dusk"));
    EXPECT_DOUBLE_EQ(f.ctx.store.get(kSize), 0.3);
    EXPECT_EQ(f.panel->CurrentUserPresetName(), "Dusk");
    EXPECT_TRUE(f.panel->IsHidden());
    EXPECT_EQ(f.ctx.takeSkyJumps(), 0);  // user presets leave the sky alone
}

TEST_F(PresetPanel, DeletingAFavouriteUserPresetAlsoRemovesTheFavourite) {
    f.SaveUserPreset("Fav");
    f.ctx.presets->toggleFavourite("Storm");
    f.ctx.presets->toggleFavourite("Fav");
    f.ClickDelete(f.RowOf("Fav"));
    EXPECT_TRUE(f.ctx.presetFileNames().empty());
    EXPECT_EQ(f.ctx.presets->readFavourites(), std::vector<std::string>{"Storm"});
    EXPECT_EQ(f.RowOf("Fav"), -1);
}

TEST_F(PresetPanel, DeletingAUserPresetKeepsTheFavouriteOfANameStillInUse) {
    f.SaveUserPreset("Storm");  // also a factory preset's name
    f.ctx.presets->toggleFavourite("Storm");
    f.ClickDelete(f.UserRowOf("Storm"));
    EXPECT_TRUE(f.ctx.presetFileNames().empty());
    EXPECT_TRUE(f.ctx.presets->isFavourite("Storm"));

    // Two files carrying one name (one copied in by hand): the favourite goes with the last.
    f.SaveUserPreset("Twin");
    std::filesystem::copy_file(f.ctx.presets->findPresetFile("Twin"),
                               std::filesystem::path(f.ctx.presetFolder) / "Twin-copy.halcyrapreset");
    f.ctx.presets->toggleFavourite("Twin");
    f.ClickDelete(f.UserRowOf("Twin"));
    EXPECT_EQ(f.ctx.presetFileNames().size(), 1u);
    EXPECT_TRUE(f.ctx.presets->isFavourite("Twin"));
    f.ClickDelete(f.UserRowOf("Twin"));
    EXPECT_TRUE(f.ctx.presetFileNames().empty());
    EXPECT_FALSE(f.ctx.presets->isFavourite("Twin"));
}

TEST_F(PresetPanel, FactoryRowsHeartMarksTheNameAndTheNameRecallsThePreset) {
    const int storm = f.RowOf("Storm");
    ASSERT_EQ(storm, 5);  // "FACTORY", then the presets in index order

    f.ClickHeart(storm);
    EXPECT_TRUE(f.ctx.presets->isFavourite("Storm"));
    EXPECT_DOUBLE_EQ(f.ctx.store.get(kPreset), 0.0);

    // The delete area means nothing on a factory row: the click recalls.
    f.ClickDelete(storm);
    EXPECT_DOUBLE_EQ(f.ctx.store.get(kPreset), 4.0);
    EXPECT_DOUBLE_EQ(f.ctx.store.get(kSize), static_cast<double>(kFactoryPresets[4].size));
    EXPECT_EQ(f.ctx.takeSkyJumps(), 1);
    EXPECT_TRUE(f.panel->IsHidden());
}

TEST_F(PresetPanel, HeadersAndGapsInsideThePanelDoNothingWhileOutsideCloses) {
    f.SaveUserPreset("Dusk");
    f.ClickName(0);                        // "FACTORY"
    f.ClickHeart(f.RowOf("Dusk") - 1);     // "YOURS"
    const IRECT p = f.panel->PanelRect();
    f.Click(p.MW(), p.T + 5.0f);           // above the buttons
    f.Click(p.L + 3.0f, f.panel->RowRect(2).MH());  // left of the rows
    EXPECT_FALSE(f.panel->IsHidden());
    EXPECT_TRUE(f.ctx.editor.calls.empty());
    EXPECT_FALSE(f.ctx.presets->isFavourite("YOURS"));
    EXPECT_FALSE(f.ctx.presets->isFavourite("FACTORY"));

    f.Click(p.L - 1.0f, p.MH());
    EXPECT_TRUE(f.panel->IsHidden());
}

TEST_F(PresetPanel, RowsBelowThePanelAreClickedThroughToClosing) {
    for (int i = 0; i < 14; ++i) f.SaveUserPreset("Preset " + std::to_string(10 + i));
    // Row 15 lies wholly below the panel and still inside the window.
    const int last = f.RowOf("Preset 15");
    ASSERT_EQ(last, 15);
    ASSERT_GT(f.panel->RowRect(last).T, f.panel->PanelRect().B);
    ASSERT_LT(f.panel->RowRect(last).B, 560.0f);

    f.ClickHeart(last);
    EXPECT_TRUE(f.panel->IsHidden());
    EXPECT_FALSE(f.ctx.presets->isFavourite("Preset 15"));
    f.panel->Show();
    f.ClickName(last);
    EXPECT_TRUE(f.panel->IsHidden());
    EXPECT_TRUE(f.ctx.editor.calls.empty());
    EXPECT_TRUE(f.panel->CurrentUserPresetName().empty());
}

}  // namespace
}  // namespace halcyra::test
