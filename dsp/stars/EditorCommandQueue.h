// Commands from the editor to the audio thread: a single-producer, single-consumer
// ring of 64 entries. The editor publishes its write counter with release ordering
// only after the entry is complete; the audio thread publishes its read counter only
// after it has consumed the entries, so neither side ever sees a half-written entry.
#pragma once

#include <atomic>
#include <cstdint>

namespace halcyra {

struct EditorCommand {
    std::int32_t type = 0;  // kStarRequest or kSkyJump
    float a = 0.0f;         // star request: azimuth in degrees
    float b = 0.0f;         // star request: elevation in degrees
    std::int32_t c = 0;     // star request: the "Events" value at the time of the click
};
static_assert(sizeof(EditorCommand) == 16);

class EditorCommandQueue {
public:
    static constexpr std::int32_t kStarRequest = 1;
    static constexpr std::int32_t kSkyJump = 2;
    static constexpr std::uint32_t kCapacity = 64;

    // Editor thread. Returns false (and drops the command) when 64 are pending.
    bool push(const EditorCommand& command) {
        const std::uint32_t w = write_.load(std::memory_order_relaxed);
        const std::uint32_t r = read_.load(std::memory_order_acquire);
        if (w - r >= kCapacity) return false;
        entries_[w % kCapacity] = command;
        write_.store(w + 1, std::memory_order_release);
        return true;
    }

    // Audio thread: hands every pending command to fn in order, then frees them.
    template <typename Fn>
    int drain(Fn&& fn) {
        const std::uint32_t r = read_.load(std::memory_order_relaxed);
        const std::uint32_t w = write_.load(std::memory_order_acquire);
        for (std::uint32_t i = r; i != w; ++i) fn(entries_[i % kCapacity]);
        read_.store(w, std::memory_order_release);
        return static_cast<int>(w - r);
    }

    std::uint32_t pending() const {
        return write_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
    }

private:
    EditorCommand entries_[kCapacity]{};
    alignas(64) std::atomic<std::uint32_t> write_{0};
    alignas(64) std::atomic<std::uint32_t> read_{0};
};

}  // namespace halcyra
