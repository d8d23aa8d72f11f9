// Reading the saved state (plugin/StateRecord.h) from a host's stream: the host hands
// a stream of unknown length, read in pieces, never trusting lengths blindly.
#pragma once

#include <cstdint>
#include <vector>

#include "pluginterfaces/base/ibstream.h"
#include "plugin/StateRecord.h"

namespace halcyra::vst3 {

// Reads everything the stream will give, in 128-byte pieces; a failing read ends it
// with what arrived so far. Only the bytes that can matter are kept.
std::vector<std::uint8_t> readStateChunk(Steinberg::IBStream& stream);

}  // namespace halcyra::vst3
