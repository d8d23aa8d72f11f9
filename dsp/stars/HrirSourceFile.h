// A per-user cache file of the responses read for a list of directions. Reading the
// SOFA set is most of a first activation's work (the reader parses and unpacks the
// whole file); with the responses kept from an earlier process, an activation only
// converts them. A file is trusted only when it was made from the same data,
// directions and reader and arrived intact; anything else is ignored, and the caller
// reads the data as usual.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace halcyra {

struct HrirSource;

// What a file must have been made from: the SOFA data, the directions, the reader
// library and this build (whose own reading code decides the neighbours).
std::uint64_t hrirSourceKey(const unsigned char* data, std::size_t size, int count, const float* azimuths,
                            const float* elevations);

// The file under $XDG_CACHE_HOME, else under $HOME/.cache; empty when neither is an
// absolute path.
std::string hrirSourceCacheFile();

// True when the file holds responses for count directions made under this key, intact;
// otherwise false with out left as it was.
bool loadHrirSource(const std::string& file, std::uint64_t key, int count, HrirSource& out) noexcept;

// Writes a temporary file next to it and renames it over the old one, so a reader never
// sees half a file; false on any error, leaving nothing behind.
bool storeHrirSource(const std::string& file, std::uint64_t key, const HrirSource& source) noexcept;

}  // namespace halcyra
