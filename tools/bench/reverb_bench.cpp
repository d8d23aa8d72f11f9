// Cost of the reverb network at 48 kHz, driven the way the block driver drives it:
// the weather mapping and the ten setters once per sub-block, then process().
// "rtf" = seconds of audio rendered per second of CPU, per instance: the sixteen-
// instance rows pass each block through sixteen engines in turn, so the ratio of
// their rtf to the single row shows what cache pressure costs the network.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/reverb/ReverbEngine.h"
#include "dsp/reverb/WeatherMapping.h"

namespace {

using halcyra::ReverbEngine;
using halcyra::ReverbSettings;
using halcyra::WeatherInput;

constexpr double kRate = 48000.0;

void applySettings(ReverbEngine& engine, const ReverbSettings& s) {
    engine.setDecayTime(s.decayTime);
    engine.setLowDecayRatio(s.lowDecayRatio);
    engine.setDampingFrequency(s.dampingFrequency);
    engine.setHighDecayRatio(s.highDecayRatio);
    engine.setInputTone(s.inputTone);
    engine.setModDepth(s.modDepth);
    engine.setModRate(s.modRate);
    engine.setCrossFeed(s.crossFeed);
    engine.setGlideSize(s.glideSize);
    engine.setWidth(s.width);
}

std::vector<float> noise(int count) {
    std::vector<float> v(static_cast<std::size_t>(count));
    std::uint32_t s = 12345u;
    for (float& x : v) {
        s = s * 1664525u + 1013904223u;
        x = (static_cast<float>(s >> 8) * (1.0f / 16777216.0f) - 0.5f) * 0.5f;
    }
    return v;
}

// `sweep` moves "Size" every sub-block, so every decay setter and the glide
// retuning recompute each time (the driver's behaviour while a knob turns).
void runReverb(benchmark::State& state, bool sweep, int instances = 1) {
    const int block = static_cast<int>(state.range(0));
    std::vector<std::unique_ptr<ReverbEngine>> engines;
    for (int k = 0; k < instances; ++k) {
        engines.push_back(std::make_unique<ReverbEngine>());
        engines.back()->prepare(kRate, 4096);
    }
    const std::vector<float> input = noise(block);
    std::vector<float> left(static_cast<std::size_t>(block)), right(static_cast<std::size_t>(block));
    WeatherInput in;
    in.weather = 0.5f;
    in.mix = 100.0f;
    in.size = 0.7f;
    in.brightness = 0.2f;
    in.wind = 1.0f;
    in.primed = true;
    std::int64_t frames = 0;
    int step = 0;
    for (auto _ : state) {
        if (sweep) in.size = 0.3f + 0.4f * static_cast<float>((step++ % 200)) / 200.0f;
        const ReverbSettings settings = halcyra::computeWeatherMapping(in, 6.0f);
        for (auto& engine : engines) {
            applySettings(*engine, settings);
            engine->process(input.data(), block, left.data(), right.data());
            benchmark::DoNotOptimize(left.data());
            benchmark::DoNotOptimize(right.data());
        }
        frames += block;
    }
    // Each instance has its share of the CPU time: rtf of one instance among many.
    state.counters["rtf"] = benchmark::Counter(static_cast<double>(frames) * instances / kRate, benchmark::Counter::kIsRate);
}

void BM_ReverbProcess(benchmark::State& state) { runReverb(state, false); }
void BM_ReverbProcessSizeSweep(benchmark::State& state) { runReverb(state, true); }
void BM_ReverbProcessSixteenInstances(benchmark::State& state) { runReverb(state, false, 16); }

}  // namespace

BENCHMARK(BM_ReverbProcess)->Arg(128)->Arg(4096);
BENCHMARK(BM_ReverbProcessSizeSweep)->Arg(128)->Arg(4096);
BENCHMARK(BM_ReverbProcessSixteenInstances)->Arg(128);
