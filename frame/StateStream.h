// The saved state: twenty 64-bit little-endian parameter values in index order, then
// a 32-bit bypass flag; 164 bytes, no header. Reading is tolerant: short streams
// restore what they hold, values are snapped and clamped, and a non-finite entry
// leaves its parameter alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "pluginterfaces/base/ibstream.h"
#include "plugin/ParameterStore.h"

namespace halcyra::vst3 {

inline constexpr int kStateBytes = 20 * 8 + 4;

std::array<std::uint8_t, kStateBytes> encodeState(const ParameterStore& params, bool bypass);

// Reads everything the stream will give, in 128-byte pieces; a failing read ends it
// with what arrived so far. Only the bytes that can matter are kept.
std::vector<std::uint8_t> readStateChunk(Steinberg::IBStream& stream);

struct RestoreResult {
    int valuesRead = 0;                // entries present in the chunk (applied unless non-finite)
    std::optional<bool> bypass;        // present only when a word of 0 or 1 followed the last value
};

RestoreResult applyStateChunk(const std::vector<std::uint8_t>& chunk, ParameterStore& params);

}  // namespace halcyra::vst3
