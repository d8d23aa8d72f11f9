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

TEST(PresetStoreFavourites, DeletingAUserPresetRemovesItsFileAndFavourite) {
    test::TemporaryFolder tmp;
    PresetStore store(tmp.str());
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Rain", {{"level", 0.3}}}));
    ASSERT_TRUE(store.saveUserPreset(UserPreset{"Snow", {{"level", 0.3}}}));
    ASSERT_TRUE(store.writeFavourites({"Storm", "Rain", "Snow"}));

    EXPECT_TRUE(store.deleteUserPreset("Rain"));
    EXPECT_EQ(store.findPresetFile("Rain"), "");
    EXPECT_EQ(store.listUserPresets(), Names{"Snow"});
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Snow"}));

    EXPECT_FALSE(store.deleteUserPreset("Rain"));
    EXPECT_FALSE(store.deleteUserPreset("Storm"));  // factory names have no file
    EXPECT_EQ(store.readFavourites(), (Names{"Storm", "Snow"}));
}

}  // namespace
}  // namespace halcyra
