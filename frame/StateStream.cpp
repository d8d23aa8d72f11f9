#include "frame/StateStream.h"

#include <cstring>

#include "plugin/Parameters.h"

namespace halcyra::vst3 {
namespace {

constexpr int kPieceBytes = 128;
// A state never needs more than its 164 bytes; past a sane bound the rest of a
// runaway stream is not worth reading.
constexpr std::size_t kMaxStreamBytes = 1 << 20;

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

std::vector<std::uint8_t> readStateChunk(Steinberg::IBStream& stream) {
    std::vector<std::uint8_t> chunk;
    chunk.reserve(kStateBytes);
    std::uint8_t piece[kPieceBytes];
    std::size_t total = 0;
    while (total < kMaxStreamBytes) {
        Steinberg::int32 got = 0;
        const Steinberg::tresult r = stream.read(piece, kPieceBytes, &got);
        if (got < 0 || got > kPieceBytes) break;  // a stream that lies about its count is not trusted
        if (got > 0 && chunk.size() < static_cast<std::size_t>(kStateBytes)) {
            const std::size_t keep = std::min<std::size_t>(static_cast<std::size_t>(got), kStateBytes - chunk.size());
            chunk.insert(chunk.end(), piece, piece + keep);
        }
        total += static_cast<std::size_t>(got);
        if (r != Steinberg::kResultOk || got == 0) break;
    }
    return chunk;
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

}  // namespace halcyra::vst3
