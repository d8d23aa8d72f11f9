// Display order of user preset names: byte by byte with ASCII letters folded to lower
// case, bytes compared as signed 8-bit values; a name sorts before its own extensions.
#pragma once

#include <string_view>

namespace halcyra {

bool presetNameLess(std::string_view a, std::string_view b);

}  // namespace halcyra
