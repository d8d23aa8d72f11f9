#include "presets/PresetNameOrder.h"

#include <algorithm>
#include <cstdint>

namespace halcyra {

namespace {

std::int8_t foldedByte(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') u = static_cast<unsigned char>(u - 'A' + 'a');
    return static_cast<std::int8_t>(u);
}

}  // namespace

bool presetNameLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return foldedByte(x) < foldedByte(y); });
}

}  // namespace halcyra
