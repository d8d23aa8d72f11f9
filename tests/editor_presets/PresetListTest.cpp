// The panel's rows: section headers, the favourites-only filter and the store's order.
#include <gtest/gtest.h>

#include "PanelFixture.h"
#include "editor/PresetListItem.h"

namespace halcyra::test {
namespace {

using Items = std::vector<PresetListItem>;

PresetListItem Header(const char* name, bool factory) { return {name, factory, true, -1}; }
PresetListItem Factory(const std::string& name, int index) { return {name, true, false, index}; }
PresetListItem User(const char* name) { return {name, false, false, -1}; }

Items AllFactory() {
    Items items{Header("FACTORY", true)};
    const auto names = FactoryNames();
    for (std::size_t i = 0; i < names.size(); ++i) items.push_back(Factory(names[i], static_cast<int>(i)));
    return items;
}

TEST(PresetList, WithoutTheFilterEveryPresetIsListedAndYoursOnlyWithUserPresets) {
    EXPECT_EQ(BuildPresetList(FactoryNames(), {}, {"Storm"}, false), AllFactory());

    Items expected = AllFactory();
    expected.insert(expected.end(), {Header("YOURS", false), User("Dusk"), User("Dusk"), User("rain")});
    EXPECT_EQ(BuildPresetList(FactoryNames(), {"Dusk", "Dusk", "rain"}, {}, false), expected);
}

TEST(PresetList, FavouritesOnlyKeepsFavouritesAndPutsYoursBeforeTheFirstPassingUserPreset) {
    const std::vector<std::string> users{"Aa", "Dusk", "rain"};
    EXPECT_EQ(BuildPresetList(FactoryNames(), users, {}, true), Items{Header("FACTORY", true)});
    EXPECT_EQ(BuildPresetList(FactoryNames(), users, {"Storm", "Clear"}, true),
              (Items{Header("FACTORY", true), Factory("Clear", 1), Factory("Storm", 4)}));
    EXPECT_EQ(BuildPresetList(FactoryNames(), users, {"rain", "Cirrus", "Nowhere"}, true),
              (Items{Header("FACTORY", true), Factory("Cirrus", 3), Header("YOURS", false), User("rain")}));
    // Names are compared byte for byte: a different case is another name.
    EXPECT_EQ(BuildPresetList(FactoryNames(), users, {"storm", "RAIN"}, true), Items{Header("FACTORY", true)});
}

TEST(PresetList, ThePanelReadsTheStoreAndTheFavouritesAtEveryCall) {
    PanelFixture f;
    EXPECT_EQ(f.panel->BuildList(), AllFactory());

    f.SaveUserPreset("b-side");
    f.SaveUserPreset("After");
    f.ctx.presets->toggleFavourite("b-side");
    Items expected = AllFactory();
    expected.insert(expected.end(), {Header("YOURS", false), User("After"), User("b-side")});
    EXPECT_EQ(f.panel->BuildList(), expected);

    f.Click(f.panel->FavouritesToggleRect().MW(), f.panel->FavouritesToggleRect().MH());
    ASSERT_TRUE(f.panel->FavouritesOnly());
    EXPECT_EQ(f.panel->BuildList(), (Items{Header("FACTORY", true), Header("YOURS", false), User("b-side")}));

    f.ctx.presets->toggleFavourite("b-side");  // changed behind the panel's back
    EXPECT_EQ(f.panel->BuildList(), Items{Header("FACTORY", true)});

    f.Click(f.panel->FavouritesToggleRect().MW(), f.panel->FavouritesToggleRect().MH());
    EXPECT_FALSE(f.panel->FavouritesOnly());
    EXPECT_FALSE(f.panel->IsHidden());
}

}  // namespace
}  // namespace halcyra::test
