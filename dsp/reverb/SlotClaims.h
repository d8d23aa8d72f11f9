// A few slots of something the whole process shares (scratch, workspaces), claimed
// without ever waiting: one atomic exchange per slot tried. Whoever finds every slot
// taken uses something of its own instead, so the audio thread never blocks here.
#pragma once

#include <atomic>

namespace halcyra {

template <int N>
class SlotClaims {
public:
    // The slot now held, or -1 when every slot is taken.
    int claim() {
        for (int s = 0; s < N; ++s)
            if (!flags_[s].busy.exchange(true, std::memory_order_acquire)) return s;
        return -1;
    }
    void release(int slot) { flags_[slot].busy.store(false, std::memory_order_release); }

private:
    // Each flag on its own cache line, so claims from different cores do not contend.
    struct alignas(64) Flag {
        std::atomic<bool> busy{false};
    };
    static_assert(std::atomic<bool>::is_always_lock_free, "claiming must not lock");
    Flag flags_[N];
};

}  // namespace halcyra
