// Replaces a file's contents so that readers only ever see the old or the new file:
// the text goes to a temporary file beside the target, which is flushed, closed and
// then renamed over it. A preset or favourites list is never left half written.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace halcyra {

// Asked once the temporary file is complete and closed, just before it replaces the
// target; returning false abandons the write.
using ReplaceGate = std::function<bool(const std::filesystem::path& temporary, const std::filesystem::path& target)>;

// True when the target now holds exactly `contents`. On failure the temporary file is
// removed and the previous target, if any, is left as it was.
bool writeFileReplacing(const std::filesystem::path& target, std::string_view contents, const ReplaceGate& gate = {});

// Removes the temporaries that interrupted writes left in `folder` (a crash or a full
// disk between creating and renaming). Only ones old enough that no writer can still
// be working on them are touched.
void removeStaleTemporaries(const std::filesystem::path& folder);

}  // namespace halcyra
