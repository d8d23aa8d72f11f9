// A host processes on its audio thread while its user-interface thread edits, saves,
// restores and recalls presets. Run under ThreadSanitizer this proves the frame
// shares nothing unsafely between the two.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "FrameTestSupport.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using halcyra::host::ProcessSettings;
using namespace halcyra::test;

namespace {

TEST(Concurrency, EditingSavingAndRestoringWhileProcessing) {
    ProcessSettings s;
    s.maxBlockSize = 256;
    auto p = startedInstance(s);
    std::atomic<bool> stop{false};
    std::atomic<bool> finite{true};
    std::atomic<int> blocks{0};

    std::thread audio([&] {
        std::vector<float> inL(256), inR(256), outL(256), outR(256);
        for (int i = 0; i < 256; ++i) inL[i] = inR[i] = 0.2f * std::sin(0.05f * i);
        const float* in[2] = {inL.data(), inR.data()};
        float* out[2] = {outL.data(), outR.data()};
        while (!stop.load() || blocks.load() < 50) {
            p->process(in, out, 64 + blocks.load() % 192);
            for (int i = 0; i < 64; ++i)
                if (!std::isfinite(outL[i]) || !std::isfinite(outR[i])) finite = false;
            ++blocks;
        }
    });

    std::uint32_t seed = 5;
    for (int round = 0; round < 200; ++round) {
        seed = 1664525u * seed + 1013904223u;
        p->controller()->setParamNormalized(seed % 21, (seed >> 8) / 16777216.0);
        const std::vector<std::uint8_t> state = p->saveState();
        ASSERT_EQ(state.size(), 164u);
        p->restoreState(state);
        if (round % 40 == 0) p->sendStringMessage("HalcyraPreset", "factory", round % 80 ? "Aurora" : "Clear");
        (void)p->processor()->getTailSamples();
    }
    stop = true;
    audio.join();
    EXPECT_TRUE(finite.load());
    EXPECT_GE(blocks.load(), 50);
}

}  // namespace
