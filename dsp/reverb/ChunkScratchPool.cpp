#include "dsp/reverb/ChunkScratchPool.h"

#include <atomic>

namespace halcyra {
namespace {

// Each flag on its own cache line, so engines on different cores do not contend.
struct alignas(64) SlotFlag {
    std::atomic<bool> busy{false};
};
static_assert(std::atomic<bool>::is_always_lock_free, "claiming must not lock");

SlotFlag flags[ChunkScratchPool::kSlots];
alignas(64) float storage[ChunkScratchPool::kSlots][ChunkScratchPool::kSlotFloats];

}  // namespace

ChunkScratchPool::Claim::Claim() {
    for (int s = 0; s < kSlots; ++s) {
        if (!flags[s].busy.exchange(true, std::memory_order_acquire)) {
            slot_ = s;
            data_ = storage[s];
            return;
        }
    }
}

ChunkScratchPool::Claim::~Claim() {
    if (slot_ >= 0) flags[slot_].busy.store(false, std::memory_order_release);
}

}  // namespace halcyra
