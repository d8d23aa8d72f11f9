#include "graphics/FontTable.h"

#include <fstream>
#include <iterator>

#include "graphics/EmbeddedFonts.h"

namespace halcyra {

namespace {

// A TrueType/OpenType file starts with one of these tags; anything else would make
// the rasteriser read garbage offsets.
bool LooksLikeFont(const unsigned char* d, std::size_t n) {
    if (n < 12) return false;
    const auto tag = [&](const char* t) { return d[0] == t[0] && d[1] == t[1] && d[2] == t[2] && d[3] == t[3]; };
    static const char kTrueType[4] = {0, 1, 0, 0};
    return tag(kTrueType) || tag("OTTO") || tag("true") || tag("ttcf");
}

}  // namespace

FontTable::FontTable() {
    for (const EmbeddedFont& f : EmbeddedFonts()) {
        Put({std::string(f.id), f.data.data(), f.data.size(), nullptr});
    }
}

bool FontTable::Load(std::string_view id, std::string_view fileOrResource) {
    if (id.empty()) return false;
    if (const EmbeddedFont* e = FindEmbeddedFont(fileOrResource)) {
        Put({std::string(id), e->data.data(), e->data.size(), nullptr});
        return true;
    }
    std::ifstream in(std::string(fileOrResource), std::ios::binary);
    if (!in) return false;
    auto bytes = std::make_shared<std::vector<unsigned char>>(std::istreambuf_iterator<char>(in),
                                                              std::istreambuf_iterator<char>());
    if (!LooksLikeFont(bytes->data(), bytes->size())) return false;
    Put({std::string(id), bytes->data(), bytes->size(), bytes});
    return true;
}

bool FontTable::Has(std::string_view id) const {
    for (const FontSource& s : mSources) {
        if (s.id == id) return true;
    }
    return false;
}

void FontTable::Put(FontSource source) {
    for (FontSource& s : mSources) {
        if (s.id == source.id) {
            s = std::move(source);
            ++mRevision;
            return;
        }
    }
    mSources.push_back(std::move(source));
    ++mRevision;
}

}  // namespace halcyra
