#include "editor/PresetListItem.h"

#include <algorithm>

namespace halcyra {

std::vector<PresetListItem> BuildPresetList(const std::vector<std::string>& factoryNames,
                                            const std::vector<std::string>& userNames,
                                            const std::vector<std::string>& favourites, bool favouritesOnly) {
    // Byte-for-byte comparison, as the store compares names.
    const auto passes = [&](const std::string& name) {
        return !favouritesOnly || std::find(favourites.begin(), favourites.end(), name) != favourites.end();
    };

    std::vector<PresetListItem> items;
    items.push_back({"FACTORY", true, true, -1});
    for (std::size_t i = 0; i < factoryNames.size(); ++i) {
        if (passes(factoryNames[i])) items.push_back({factoryNames[i], true, false, static_cast<int>(i)});
    }
    bool yoursShown = false;
    for (const std::string& name : userNames) {
        if (!passes(name)) continue;
        if (!yoursShown) {
            items.push_back({"YOURS", false, true, -1});
            yoursShown = true;
        }
        items.push_back({name, false, false, -1});
    }
    return items;
}

}  // namespace halcyra
