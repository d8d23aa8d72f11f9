// A user preset as it lives in its file: the name as typed and (key, value) entries
// in file order. Keys and names are byte strings; values are in parameter units.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace halcyra {

struct UserPreset {
    std::string name;
    std::vector<std::pair<std::string, double>> entries;
};

}  // namespace halcyra
