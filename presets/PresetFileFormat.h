// The user preset text format: a "# Halcyra user preset" header line, "name=" with
// the escaped name, then one "key=value" line per entry; every line ends with LF.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "presets/UserPreset.h"

namespace halcyra {

inline constexpr std::string_view kPresetFileHeader = "# Halcyra user preset";

// False for keys that would not come back as the same entry when read: empty keys,
// keys holding "=" or a line break, comment-like keys and "name".
bool isStorablePresetKey(std::string_view key);

// The complete file text. Every key must be storable (see above).
std::string formatPresetFile(const UserPreset& preset);

// Reads preset text; lines without "=", comments and blank lines are skipped and
// unreadable numbers become 0, so any byte sequence gives some record. False only
// when the stream itself fails.
bool readPresetText(std::istream& in, UserPreset& out);

}  // namespace halcyra
