#include <gtest/gtest.h>

#include "TemporaryFolder.h"
#include "presets/PresetStore.h"

namespace halcyra {
namespace {

using Names = std::vector<std::string>;

TEST(PresetStoreFavourites, ToggleTwiceRestoresOrMovesToTheEnd) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str("Presets"));
    EXPECT_TRUE(store.readFavourites().empty());
    EXPECT_FALSE(store.isFavourite("Storm"));

    ASSERT_TRUE(store.writeFavourites({"Storm", "Clear", "Mine"}));
    EXPECT_TRUE(store.toggleFavourite("Aurora"));
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Clear", "Mine", "Aurora"}));
    EXPECT_FALSE(store.toggleFavourite("Aurora"));
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Clear", "Mine"}));

    EXPECT_FALSE(store.toggleFavourite("Storm"));
    EXPECT_FALSE(store.isFavourite("Storm"));
    EXPECT_TRUE(store.toggleFavourite("Storm"));
    EXPECT_EQ(store.readFavourites(), (Names{"Clear", "Mine", "Storm"}));
    EXPECT_FALSE(store.isFavourite("storm"));

    // A hand-edited list may repeat a name: one toggle removes only the first.
    test::writeBytes(store.favouritesPath(), "Storm\nClear\nStorm\n");
    EXPECT_FALSE(store.toggleFavourite("Storm"));
    EXPECT_EQ(store.readFavourites(), (Names{"Clear", "Storm"}));
}

TEST(PresetStoreFavourites, FileHoldsOneEscapedNamePerLine) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    const Names names{"two\nlines", "back\\slash", "cr\rend", "plain"};
    ASSERT_TRUE(store.writeFavourites(names));
    EXPECT_EQ(test::readBytes(store.favouritesPath()), "two\\nlines\nback\\\\slash\ncr\\rend\nplain\n");
    EXPECT_EQ(store.readFavourites(), names);

    // Files edited elsewhere: CRLF, blank lines, no final line end.
    test::writeBytes(store.favouritesPath(), "Storm\r\n\r\n\nClear\r\nVocal Sky");
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Clear", "Vocal Sky"}));
}

TEST(PresetStoreFavourites, DeletingAUserPresetRemovesItsFileAndFavouriteAndRestoringPutsBothBack) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Rain", {{"level", 0.3}}}));
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Snow", {{"level", 0.3}}}));
    ASSERT_TRUE(store.writeFavourites({"Storm", "Rain", "Snow"}));
    const std::string rainPath = store.findPresetFile("Rain");
    const std::string rainBytes = test::readBytes(rainPath);

    const auto deleted = store.deleteUserPreset("Rain");
    ASSERT_TRUE(deleted);
    EXPECT_EQ(store.findPresetFile("Rain"), "");
    EXPECT_EQ(store.listUserPresets(), Names{"Snow"});
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Snow"}));

    EXPECT_FALSE(store.deleteUserPreset("Rain"));
    EXPECT_FALSE(store.deleteUserPreset("Storm"));  // factory names have no file
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Snow"}));

    ASSERT_TRUE(store.restoreUserPreset(*deleted));
    EXPECT_EQ(test::readBytes(rainPath), rainBytes);
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Rain", "Snow"}));

    // A name still carried by a factory preset or another file keeps its heart.
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Storm", {{"level", 0.3}}}));
    test::writeBytes(tmp.path() / "copy.halcyrapreset", test::readBytes(store.findPresetFile("Snow")));
    EXPECT_TRUE(store.deleteUserPreset("Storm"));
    EXPECT_TRUE(store.deleteUserPreset("Snow"));
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Rain", "Snow"}));
    const auto lastSnow = store.deleteUserPreset("Snow");
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Rain"}));

    // Undo after the old file name was taken meanwhile: a new file, the old one untouched.
    test::writeBytes(lastSnow->path, "name=Other\n");
    ASSERT_TRUE(store.restoreUserPreset(*lastSnow));
    EXPECT_EQ(store.listUserPresets(), (Names{"Other", "Rain", "Snow"}));
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Rain", "Snow"}));
}

TEST(PresetStoreFavourites, RenamingMovesTheFileAndTheFavourite) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Rain", {{"level", 0.3}}}));
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Snow", {{"level", 0.4}}}));
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Storm", {{"level", 0.5}}}));
    ASSERT_TRUE(store.writeFavourites({"Rain", "Snow", "Storm"}));

    EXPECT_FALSE(store.renameUserPreset("Rain", "Snow"));  // taken
    EXPECT_FALSE(store.renameUserPreset("Rain", ""));
    EXPECT_FALSE(store.renameUserPreset("Hail", "Sleet"));
    EXPECT_EQ(test::entriesOf(tmp.path()).size(), 4u);

    ASSERT_TRUE(store.renameUserPreset("Rain", "Drizzle"));
    EXPECT_EQ(test::entriesOf(tmp.path()),
              (std::set<std::string>{"Drizzle.halcyrapreset", "Snow.halcyrapreset", "Storm.halcyrapreset", "favorites.txt"}));
    EXPECT_EQ(test::readBytes(tmp.path() / "Drizzle.halcyrapreset"), "# Halcyra user preset\nname=Drizzle\nlevel=0.29999999999999999\n");
    EXPECT_EQ(store.readFavourites(), (Names{"Drizzle", "Snow", "Storm"}));

    // "Storm" is also a factory preset's name: its heart stays, the new name gets one.
    ASSERT_TRUE(store.renameUserPreset("Storm", "Squall"));
    EXPECT_EQ(store.readFavourites(), (Names{"Drizzle", "Snow", "Storm", "Squall"}));
}

}  // namespace
}  // namespace halcyra
