#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "plugin/HalcyraPlugin.h"
#include "plugin/SkyFeedBuffer.h"

namespace halcyra {
namespace {

// Every 32-bit field of the snapshot carries the same counter value.
void stamp(SkyFeed& f, std::int32_t v) {
    const float x = static_cast<float>(v);
    for (float& w : f.weights) w = x;
    f.flashCount = v;
    for (RecentEvent& e : f.flashes) e = RecentEvent{v, x, v, v, x};
    f.reverbLevel = f.onsetGain = f.peakLeft = f.peakRight = f.rmsLeft = f.rmsRight = x;
    f.activeVoices = v;
}

// The counter value if the snapshot is uniform, -1 if it mixes two snapshots.
std::int32_t uniformValue(const SkyFeed& f) {
    const std::int32_t v = f.flashCount;
    const float x = static_cast<float>(v);
    for (float w : f.weights)
        if (w != x) return -1;
    for (const RecentEvent& e : f.flashes)
        if (e.point != v || e.gain != x || e.ageSamples != v || e.type != v || e.levelDb != x) return -1;
    if (f.reverbLevel != x || f.onsetGain != x || f.peakLeft != x || f.peakRight != x || f.rmsLeft != x ||
        f.rmsRight != x || f.activeVoices != v)
        return -1;
    return v;
}

TEST(SkyFeedTripleBuffer, ReaderSeesOnlyTheNewestPublishedSnapshot) {
    SkyFeedTripleBuffer buffer;
    SkyFeedReader reader(buffer);
    EXPECT_FALSE(reader.poll());
    // Before any snapshot the reader holds a fresh, empty one.
    EXPECT_EQ(reader.current().flashCount, 0);
    EXPECT_EQ(reader.current().flashes[31].point, -1);
    EXPECT_EQ(reader.current().flashes[0].levelDb, -120.0f);

    for (int v = 1; v <= 3; ++v) {
        stamp(buffer.writeSlot(), v);
        buffer.publish();
    }
    ASSERT_TRUE(reader.poll());
    EXPECT_EQ(uniformValue(reader.current()), 3);
    EXPECT_FALSE(reader.poll());
    EXPECT_EQ(uniformValue(reader.current()), 3);  // still held after an empty poll
    EXPECT_NE(&reader.current(), &buffer.writeSlot());

    // The writer keeps going while the reader holds its slot: never the same memory.
    for (int v = 4; v <= 20; ++v) {
        stamp(buffer.writeSlot(), v);
        EXPECT_NE(&reader.current(), &buffer.writeSlot());
        buffer.publish();
        if (v % 3 == 0) {
            ASSERT_TRUE(reader.poll());
            EXPECT_EQ(uniformValue(reader.current()), v);
        }
    }
}

TEST(SkyFeedTripleBuffer, ConcurrentWriterAndReaderNeverTearASnapshot) {
    SkyFeedTripleBuffer buffer;
    SkyFeedReader reader(buffer);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (std::int32_t v = 1; !stop.load(std::memory_order_relaxed); ++v) {
            stamp(buffer.writeSlot(), v);
            buffer.publish();
        }
    });

    int torn = 0, backwards = 0, taken = 0;
    std::int32_t last = 0;
    // At least a second of contention, longer on a loaded machine until enough
    // snapshots have crossed (bounded, so a broken writer still ends the test).
    const auto start = std::chrono::steady_clock::now();
    const auto minEnd = start + std::chrono::seconds(1);
    const auto maxEnd = start + std::chrono::seconds(20);
    for (auto now = start; now < maxEnd && (now < minEnd || taken <= 100); now = std::chrono::steady_clock::now()) {
        if (!reader.poll()) continue;
        ++taken;
        const std::int32_t v = uniformValue(reader.current());
        if (v < 0) ++torn;
        else if (v < last) ++backwards;
        else last = v;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_GT(taken, 100);
}

// The plug-in's own reader while its audio thread runs blocks: what the editor does.
TEST(SkyFeedTripleBuffer, PluginReaderFollowsTheAudioThread) {
    HalcyraPlugin plugin;
    plugin.reset(48000.0);
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<double> in(256), outL(256), outR(256);
        const double* ins[] = {in.data()};
        double* outs[] = {outL.data(), outR.data()};
        BlockIO io{ins, outs, 1, 2, 256, 48000.0, 120.0};
        for (int b = 0; !stop.load(std::memory_order_relaxed); ++b) {
            for (int i = 0; i < 256; ++i) in[i] = 0.5 * std::sin(0.01 * (b * 256 + i));
            plugin.processBlock(io);
        }
    });
    SkyFeedReader& reader = plugin.skyFeedReader();
    int taken = 0;
    float largestPeak = 0.0f;
    // 0.7 s at least; on a slow or loaded machine, until the first loud snapshot (bounded).
    const auto start = std::chrono::steady_clock::now();
    const auto minEnd = start + std::chrono::milliseconds(700);
    const auto maxEnd = start + std::chrono::seconds(20);
    for (auto now = start; now < maxEnd && (now < minEnd || largestPeak <= 0.05f);
         now = std::chrono::steady_clock::now()) {
        if (!reader.poll()) {
            std::this_thread::yield();
            continue;
        }
        ++taken;
        const SkyFeed& f = reader.current();
        ASSERT_TRUE(std::isfinite(f.peakLeft) && f.peakLeft >= 0.0f && f.peakLeft <= 1.0f);
        ASSERT_TRUE(std::isfinite(f.rmsRight) && f.rmsRight >= 0.0f);
        ASSERT_TRUE(f.flashCount >= 0 && f.flashCount <= 32);
        largestPeak = std::max(largestPeak, f.peakLeft);
    }
    stop = true;
    audio.join();
    EXPECT_GT(taken, 0);
    EXPECT_GT(largestPeak, 0.05f);
}

}  // namespace
}  // namespace halcyra
