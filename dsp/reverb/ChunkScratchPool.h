// Scratch for the reverb network's chunks, shared by every engine in the process.
// A host that runs a chain of instances on one thread then keeps one scratch warm in
// the cache instead of streaming a cold one per instance. A few slots serve engines
// running on different threads at once; when all are taken an engine uses its own.
// The slots are static storage: nothing is allocated, claiming is one atomic exchange.
#pragma once

namespace halcyra {

class ChunkScratchPool {
public:
    static constexpr int kSlots = 4;
    static constexpr int kSlotFloats = 12288;  // 48 KiB, aligned to cache lines

    // Holds a free slot for its lifetime; data() is null when none was free.
    class Claim {
    public:
        Claim();
        ~Claim();
        Claim(const Claim&) = delete;
        Claim& operator=(const Claim&) = delete;
        float* data() const { return data_; }

    private:
        int slot_ = -1;
        float* data_ = nullptr;
    };
};

}  // namespace halcyra
