// The editor-to-audio command ring: a full ring drops, and two threads hammering it
// never lose, duplicate or tear a command.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "dsp/stars/EditorCommandQueue.h"

using namespace halcyra;

TEST(EditorCommandQueue, FullRingDropsNewCommands) {
    EditorCommandQueue queue;
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(queue.push(EditorCommand{1, float(i), 0.0f, i}));
    EXPECT_FALSE(queue.push(EditorCommand{2, 0, 0, 999}));
    EXPECT_EQ(queue.pending(), 64u);
    std::vector<int> seen;
    EXPECT_EQ(queue.drain([&](const EditorCommand& c) { seen.push_back(c.c); }), 64);
    ASSERT_EQ(seen.size(), 64u);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
    // Room again after the drain, and counters keep working past a wrap of the ring.
    for (int round = 0; round < 5; ++round) {
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(queue.push(EditorCommand{1, 0, 0, i}));
        EXPECT_EQ(queue.drain([](const EditorCommand&) {}), 40);
    }
    EXPECT_EQ(queue.pending(), 0u);
}

TEST(EditorCommandQueue, ProducerAndConsumerThreadsNeverLoseOrDuplicate) {
    EditorCommandQueue queue;
    constexpr int kCommands = 200000;
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int i = 0; i < kCommands; ++i) {
            // Every field derives from the sequence number so a torn entry shows.
            const EditorCommand c{1 + (i & 1), static_cast<float>(i % 1000), static_cast<float>(-(i % 1000)), i};
            while (!queue.push(c)) std::this_thread::yield();
        }
        done.store(true, std::memory_order_release);
    });
    int expected = 0;
    bool intact = true;
    while (expected < kCommands) {
        queue.drain([&](const EditorCommand& c) {
            if (c.c != expected || c.type != 1 + (expected & 1) || c.a != static_cast<float>(expected % 1000) ||
                c.b != static_cast<float>(-(expected % 1000)))
                intact = false;
            ++expected;
        });
        if (!intact) break;
        if (done.load(std::memory_order_acquire) && queue.pending() == 0) break;
    }
    editor.join();
    EXPECT_TRUE(intact);
    EXPECT_EQ(expected, kCommands);
    EXPECT_EQ(queue.pending(), 0u);
}
