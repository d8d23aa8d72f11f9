// Fonts registered with an editor, by id. Drawing contexts load them lazily: the
// table outlives any one GL context, and a window may be re-created many times.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace halcyra {

struct FontSource {
    std::string id;
    const unsigned char* data = nullptr;  // TrueType bytes; stay valid as long as the table
    std::size_t size = 0;
    std::shared_ptr<const std::vector<unsigned char>> owned;  // set when read from a file
};

class FontTable {
public:
    // Starts with the embedded fonts registered under their ids.
    FontTable();

    // Registers `id` from an embedded resource name or id ("Roboto-Regular.ttf",
    // "Unbounded") or else from a file path. Re-registering an id replaces it.
    // Returns false (and registers nothing) when neither gives readable font bytes.
    bool Load(std::string_view id, std::string_view fileOrResource);

    const std::vector<FontSource>& Sources() const { return mSources; }
    bool Has(std::string_view id) const;
    // Bumped on every change, so drawing contexts know when to reload.
    unsigned Revision() const { return mRevision; }

private:
    void Put(FontSource source);

    std::vector<FontSource> mSources;
    unsigned mRevision = 0;
};

}  // namespace halcyra
