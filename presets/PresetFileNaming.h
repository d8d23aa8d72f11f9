// How user preset files are named and found on disk. File names are derived from
// preset names by keeping only "-", "_", ASCII letters and digits, so no name can
// reach outside the preset folder or collide with the folder's own entries.
#pragma once

#include <string>
#include <string_view>

namespace halcyra {

inline constexpr std::string_view kPresetExtension = ".halcyrapreset";
inline constexpr std::string_view kFavouritesFileName = "favorites.txt";

// Appends right to left with the platform separator unless left already ends in one.
std::string joinPath(std::string_view left, std::string_view right);

// True when the part of the file name from its last "." on is exactly the preset
// extension ("." and ".." have no extension).
bool hasPresetExtension(std::string_view fileName);

// The name with every byte outside [-0-9A-Z_a-z] replaced by "_"; "preset" when empty.
std::string presetFileStem(std::string_view presetName);

// File name tried for the attempt-th time: "stem.halcyrapreset", then "stem-2...", "stem-3...".
std::string presetFileCandidate(std::string_view stem, unsigned attempt);

}  // namespace halcyra
