#include "frame/StateStream.h"

#include <algorithm>

namespace halcyra::vst3 {
namespace {

constexpr int kPieceBytes = 128;
// A state never needs more than its 164 bytes; past a sane bound the rest of a
// runaway stream is not worth reading.
constexpr std::size_t kMaxStreamBytes = 1 << 20;

}  // namespace

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

}  // namespace halcyra::vst3
