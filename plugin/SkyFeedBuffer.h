// Lock-free triple buffer that hands the audio thread's SkyFeed snapshots to the
// editor. Three slots: the writer owns one, the reader owns one, and the third
// sits in the shared word together with a "fresh" bit. Each side only ever
// exchanges the shared word, so neither waits and the reader always owns a
// complete snapshot. There is exactly one writer (the block driver) and exactly
// one reader object (owned by the plug-in, so a reopened editor continues with
// the slot the previous one held).
#pragma once

#include <atomic>
#include <cstdint>

#include "plugin/SkyFeed.h"

namespace halcyra {

class SkyFeedTripleBuffer {
public:
    // Audio thread: the slot to fill before publish().
    SkyFeed& writeSlot() { return slots_[writer_]; }

    // Audio thread: hands the written slot over and takes the idle one.
    void publish() { writer_ = static_cast<int>(shared_.exchange(static_cast<std::uint32_t>(writer_) | kFresh, std::memory_order_acq_rel) & kIndexMask); }

private:
    friend class SkyFeedReader;
    static constexpr std::uint32_t kFresh = 4;
    static constexpr std::uint32_t kIndexMask = 3;

    SkyFeed slots_[3];
    alignas(64) std::atomic<std::uint32_t> shared_{0};
    alignas(64) int writer_ = 1;
};

// Editor side. Only one thread may use it at a time.
class SkyFeedReader {
public:
    explicit SkyFeedReader(SkyFeedTripleBuffer& buffer) : buffer_(buffer) {}
    SkyFeedReader(const SkyFeedReader&) = delete;
    SkyFeedReader& operator=(const SkyFeedReader&) = delete;

    // Takes the newest snapshot if one was published since the last poll; returns
    // true when current() changed.
    bool poll() {
        if ((buffer_.shared_.load(std::memory_order_acquire) & SkyFeedTripleBuffer::kFresh) == 0) return false;
        reader_ = static_cast<int>(buffer_.shared_.exchange(static_cast<std::uint32_t>(reader_), std::memory_order_acq_rel) &
                                   SkyFeedTripleBuffer::kIndexMask);
        return true;
    }

    // The snapshot taken by the last successful poll (a fresh, empty one before that).
    const SkyFeed& current() const { return buffer_.slots_[reader_]; }

private:
    SkyFeedTripleBuffer& buffer_;
    int reader_ = 2;
};

}  // namespace halcyra
