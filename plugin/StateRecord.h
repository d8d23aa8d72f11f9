// The saved state as bytes: twenty 64-bit little-endian parameter values in index
// order, then a 32-bit bypass flag; 164 bytes, no header. Every plug-in format stores
// this same record, so a session restores the same sound whichever host saved it.
// Reading is tolerant: short records restore what they hold, values are snapped and
// clamped, and a non-finite entry leaves its parameter alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "plugin/ParameterStore.h"

namespace halcyra {

inline constexpr int kStateBytes = kNumParams * 8 + 4;

std::array<std::uint8_t, kStateBytes> encodeState(const ParameterStore& params, bool bypass);

struct RestoreResult {
    int valuesRead = 0;                // entries present in the chunk (applied unless non-finite)
    std::optional<bool> bypass;        // present only when a word of 0 or 1 followed the last value
};

RestoreResult applyStateChunk(const std::vector<std::uint8_t>& chunk, ParameterStore& params);

}  // namespace halcyra
