#include <gtest/gtest.h>

#include <vector>

#include "dsp/reverb/ReverbEngine.h"
#include "dsp/reverb/WeatherMapping.h"
#include "support/AllocationCounter.h"

namespace halcyra {
namespace {

TEST(ReverbRealtime, ProcessSettersAndMappingNeverAllocate) {
    ReverbEngine e;
    e.prepare(48000.0, 4096);
    std::vector<float> in(4096, 0.25f), l(4096), r(4096);
    WeatherInput w;
    w.primed = true;

    test::AllocationCounter counter;
    for (int block = 0; block < 40; ++block) {
        // Every control moves each block, so every recomputation and the glide
        // retuning with its coprime searches run.
        w.size = 0.025f * block;
        w.brightness = 1.0f - 0.02f * block;
        w.wind = 0.03f * block;
        const ReverbSettings s = computeWeatherMapping(w, 6.0f);
        e.setDecayTime(s.decayTime);
        e.setLowDecayRatio(s.lowDecayRatio + 0.01f * block);
        e.setDampingFrequency(s.dampingFrequency);
        e.setHighDecayRatio(s.highDecayRatio);
        e.setInputTone(s.inputTone);
        e.setModDepth(s.modDepth);
        e.setModRate(s.modRate);
        e.setCrossFeed(s.crossFeed + 0.01f * block);
        e.setGlideSize(s.glideSize);
        e.setWidth(0.02f * block);
        e.process(in.data(), 128 + block * 97, l.data(), r.data());
        e.clear();
    }
    EXPECT_EQ(counter.count(), 0u);
}

TEST(ReverbRealtime, RepreparingAtALowerRateReusesTheBuffers) {
    ReverbEngine e;
    e.prepare(96000.0, 4096);
    test::AllocationCounter counter;
    e.prepare(48000.0, 4096);
    e.prepare(44100.0, 1024);
    EXPECT_EQ(counter.count(), 0u);
    e.prepare(192000.0, 4096);
    EXPECT_GT(counter.count(), 0u) << "a higher rate needs longer lines";
}

}  // namespace
}  // namespace halcyra
