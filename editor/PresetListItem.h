// One row of the preset panel: a section header ("FACTORY", "YOURS"), a factory
// preset with its index, or a user preset.
#pragma once

#include <string>
#include <vector>

namespace halcyra {

struct PresetListItem {
    std::string name;
    bool factory = false;
    bool header = false;
    int factoryIndex = -1;  // -1 for headers and user presets

    bool operator==(const PresetListItem&) const = default;
};

// The panel's rows: "FACTORY" and the factory names, then "YOURS" and the user names,
// both filtered to `favourites` when favouritesOnly. "YOURS" only appears when a user
// row follows it.
std::vector<PresetListItem> BuildPresetList(const std::vector<std::string>& factoryNames,
                                            const std::vector<std::string>& userNames,
                                            const std::vector<std::string>& favourites, bool favouritesOnly);

}  // namespace halcyra
