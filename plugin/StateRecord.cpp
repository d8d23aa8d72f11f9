#include "plugin/StateRecord.h"

#include <cstring>

namespace halcyra {
namespace {

void putLittleEndian(std::uint8_t* out, std::uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::uint64_t getLittleEndian(const std::uint8_t* in, int bytes) {
    std::uint64_t bits = 0;
    for (int i = 0; i < bytes; ++i) bits |= std::uint64_t(in[i]) << (8 * i);
    return bits;
}

}  // namespace

std::array<std::uint8_t, kStateBytes> encodeState(const ParameterStore& params, bool bypass) {
    std::array<std::uint8_t, kStateBytes> out{};
    for (int i = 0; i < kNumParams; ++i) {
        const double value = params.get(i);
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        putLittleEndian(out.data() + 8 * i, bits, 8);
    }
    putLittleEndian(out.data() + 8 * kNumParams, bypass ? 1u : 0u, 4);
    return out;
}

RestoreResult applyStateChunk(const std::vector<std::uint8_t>& chunk, ParameterStore& params) {
    RestoreResult result;
    std::size_t pos = 0;
    for (int i = 0; i < kNumParams && pos + 8 <= chunk.size(); ++i, pos += 8) {
        double value = 0.0;
        const std::uint64_t bits = getLittleEndian(chunk.data() + pos, 8);
        std::memcpy(&value, &bits, sizeof value);
        params.set(i, value);  // snaps, clamps, and refuses non-finite entries
        ++result.valuesRead;
    }
    // Only a word that is exactly 0 or 1 is a bypass flag. In a cut state the four
    // bytes behind the last whole value are the start of the next value, which must
    // not switch the plug-in to bypass.
    if (pos + 4 <= chunk.size()) {
        const std::uint64_t word = getLittleEndian(chunk.data() + pos, 4);
        if (word <= 1) result.bypass = word == 1;
    }
    return result;
}

}  // namespace halcyra
