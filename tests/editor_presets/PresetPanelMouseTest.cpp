// Mouse and keyboard on the preset panel: what each part of a row does, saving
// through the text entry, deleting, and where a click closes the panel.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "PanelFixture.h"
#include "plugin/Parameters.h"

namespace halcyra::test {
namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

TEST_F(PresetPanel, GeometryInCanvasUnits) {
    EXPECT_EQ(f.panel->PanelRect(), IRECT(210, 50, 550, 440));
    EXPECT_EQ(f.panel->SaveRect(), IRECT(222, 60, 332, 84));
    EXPECT_EQ(f.panel->FavouritesToggleRect(), IRECT(476, 60, 538, 84));
    EXPECT_EQ(f.panel->RowRect(0), IRECT(218, 96, 542, 122));
    EXPECT_EQ(f.panel->RowRect(1), IRECT(218, 122, 542, 148));
    EXPECT_EQ(f.panel->HeartRect(1), IRECT(224, 122, 246, 148));
    EXPECT_EQ(f.panel->DeleteRect(1), IRECT(520, 122, 542, 148));
    // Thirteen whole rows are seen at once, all inside the panel.
    EXPECT_EQ(f.panel->ListRect().H(), 13 * PresetManagerControl::kRowHeight);
    EXPECT_LE(f.panel->ListRect().B, f.panel->PanelRect().B);
}

TEST_F(PresetPanel, EveryRowIsReachedByScrollingAndOnlyAClickThatStaysPutActs) {
    for (int i = 0; i < 30; ++i) f.SaveUserPreset("Preset " + std::to_string(10 + i));
    const int last = f.RowOf("Preset 39");
    ASSERT_EQ(last, 39);
    const IRECT list = f.panel->ListRect();
    ASSERT_GT(f.panel->RowRect(last).T, list.B);
    f.Click(list.MW(), list.B + 2.0f);  // row 13 would be here, but it lies below the list
    EXPECT_TRUE(f.ctx.editor.calls.empty());

    // The wheel stops at the end of the list.
    for (int i = 0; i < 40; ++i) f.ui.OnMouseWheel(list.MW(), list.MH(), IMouseMod(), -1.0f);
    EXPECT_EQ(f.panel->RowRect(last).B, list.B);
    ASSERT_FALSE(f.panel->IsHidden());

    // A press that drags scrolls back and loads nothing.
    const float y = f.panel->RowRect(last).MH();
    f.ui.OnMouseDown(list.MW(), y, IMouseMod(true));
    f.ui.OnMouseDrag(list.MW(), y + 60.0f, 0.0f, 60.0f, IMouseMod(true));
    f.ui.OnMouseUp(list.MW(), y + 60.0f, IMouseMod(true));
    EXPECT_FLOAT_EQ(f.panel->RowRect(last).B, list.B + 60.0f);
    EXPECT_TRUE(f.ctx.editor.calls.empty());

    // The bar's bottom end scrolls to the end; a click there on a row loads that row.
    const IRECT track = f.panel->ScrollTrackRect();
    f.Click(track.MW(), track.B - 1.0f);
    EXPECT_EQ(f.panel->RowRect(last).B, list.B);
    f.ClickName(last);
    EXPECT_EQ(f.panel->CurrentUserPresetName(), "Preset 39");
    EXPECT_TRUE(f.panel->IsHidden());
}

TEST_F(PresetPanel, ADoubleClickOnDeleteRemovesOneAndUndoBringsItBack) {
    for (const char* name : {"Aa", "Bb", "Cc"}) f.SaveUserPreset(name);
    ASSERT_TRUE(f.ctx.presets->writeFavourites({"Storm", "Aa", "Cc"}));
    const std::string bytes = readBytes(f.ctx.presets->findPresetFile("Aa"));

    const IRECT del = f.panel->DeleteRect(f.RowOf("Aa"));
    f.Click(del.MW(), del.MH());
    f.ui.OnMouseDblClick(del.MW(), del.MH(), IMouseMod(true));  // lands on "Bb", moved up
    f.ui.OnMouseUp(del.MW(), del.MH(), IMouseMod(true));
    EXPECT_EQ(f.ctx.presets->listUserPresets(), (std::vector<std::string>{"Bb", "Cc"}));
    EXPECT_EQ(f.ctx.presets->readFavourites(), (std::vector<std::string>{"Storm", "Cc"}));

    ASSERT_TRUE(f.panel->CanUndo());
    f.Click(f.panel->MiddleRect().MW(), f.panel->MiddleRect().MH());
    EXPECT_EQ(readBytes(f.ctx.presets->findPresetFile("Aa")), bytes);
    EXPECT_EQ(f.ctx.presets->readFavourites(), (std::vector<std::string>{"Storm", "Aa", "Cc"}));
    EXPECT_FALSE(f.panel->CanUndo());

    // Closing the panel makes a deletion final.
    f.ClickDelete(f.RowOf("Bb"));
    f.Click(5.0f, 5.0f);
    f.panel->Show();
    EXPECT_FALSE(f.panel->CanUndo());
    EXPECT_EQ(f.RowOf("Bb"), -1);
}

TEST_F(PresetPanel, SavingAnExistingNameAsksFirstAndAFailedSaveSaysSo) {
    f.ctx.store.set(kSize, 0.3);
    f.SaveUserPreset("Dusk");
    f.ctx.store.set(kSize, 0.9);
    const auto sizeOnDisk = [&] {
        UserPreset p;
        EXPECT_TRUE(PresetStore::readPresetFile(f.ctx.presets->findPresetFile("Dusk"), p));
        return p.entries.at(2).second;
    };
    const auto saveAs = [&](const std::string& name) {
        ClickSave();
        Type(name);
        PressReturn();
    };

    saveAs("Dusk");
    EXPECT_EQ(f.panel->PendingReplaceName(), "Dusk");
    f.Click(f.panel->KeepRect().MW(), f.panel->KeepRect().MH());
    EXPECT_EQ(sizeOnDisk(), 0.3);
    EXPECT_TRUE(f.panel->CurrentUserPresetName().empty());

    saveAs("Dusk");
    f.Click(f.panel->ReplaceRect().MW(), f.panel->ReplaceRect().MH());
    EXPECT_EQ(sizeOnDisk(), 0.9);
    EXPECT_EQ(f.ctx.presetFileNames().size(), 1u);
    EXPECT_EQ(f.panel->CurrentUserPresetName(), "Dusk");
    EXPECT_TRUE(f.panel->PendingReplaceName().empty());

    // A folder that cannot be made (a file stands in its way), even for root.
    f.ctx.presets = std::make_unique<PresetStore>((std::filesystem::path(f.ctx.presetFolder) / "Dusk.halcyrapreset" / "x").string());
    saveAs("Dawn");
    EXPECT_FALSE(f.panel->Notice().empty());
    EXPECT_EQ(f.panel->CurrentUserPresetName(), "Dusk");
    EXPECT_FALSE(f.panel->IsHidden());
}

TEST_F(PresetPanel, RenameEditsTheNameInPlace) {
    f.SaveUserPreset("Dusk");
    f.SaveUserPreset("Rain");
    f.ctx.presets->toggleFavourite("Dusk");
    const IRECT pencil = f.panel->RenameRect(f.RowOf("Dusk"));
    f.Click(pencil.MW(), pencil.MH());
    ASSERT_TRUE(f.ui.IsTextEntryActive());
    for (int i = 0; i < 4; ++i) f.ui.OnKeyDown(IKeyPress(EVirtualKey::Backspace));
    Type("Rain");
    PressReturn();
    EXPECT_EQ(f.panel->Notice(), "Name already in use");

    f.Click(pencil.MW(), pencil.MH());
    Type(" light");
    PressReturn();
    EXPECT_EQ(f.ctx.presets->listUserPresets(), (std::vector<std::string>{"Dusk light", "Rain"}));
    EXPECT_EQ(f.ctx.presetFileNames(), (std::vector<std::string>{"Dusk_light.halcyrapreset", "Rain.halcyrapreset"}));
    EXPECT_TRUE(f.ctx.presets->isFavourite("Dusk light"));
    EXPECT_FALSE(f.ctx.presets->isFavourite("Dusk"));
}

}  // namespace
}  // namespace halcyra::test
