#include "dsp/reverb/ChunkScratchPool.h"

#include "dsp/reverb/SlotClaims.h"

namespace halcyra {
namespace {

SlotClaims<ChunkScratchPool::kSlots> claims;
alignas(64) float storage[ChunkScratchPool::kSlots][ChunkScratchPool::kSlotFloats];

}  // namespace

ChunkScratchPool::Claim::Claim() : slot_(claims.claim()) {
    if (slot_ >= 0) data_ = storage[slot_];
}

ChunkScratchPool::Claim::~Claim() {
    if (slot_ >= 0) claims.release(slot_);
}

}  // namespace halcyra
