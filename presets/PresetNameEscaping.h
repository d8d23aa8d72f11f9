// Preset names may hold any byte, but each one must fit on a single line of a preset
// or favourites file: backslash, LF and CR are written as two-byte escapes.
#pragma once

#include <string>
#include <string_view>

namespace halcyra {

std::string escapePresetName(std::string_view name);

// Inverse of escapePresetName. Escapes it never writes ("\x", a lone trailing
// backslash) are kept byte for byte, so hand-edited files lose nothing.
std::string unescapePresetName(std::string_view text);

}  // namespace halcyra
