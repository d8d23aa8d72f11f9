// The whole audio path (mono fold, smoothing, mapping, reverb, drift, width,
// shelf, output stage, meters, snapshot) at 48 kHz for several host block sizes.
// "rtf" = seconds of audio per CPU second; per-block overheads show up as the
// gap between small and large blocks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "plugin/HalcyraPlugin.h"

namespace {

constexpr double kRate = 48000.0;

// automate: "Size" and "Wind" sweep slowly, so the smoothed controls and the
// reverb's coefficients change in every block (the worst case for small blocks).
void runDriver(benchmark::State& state, bool automate) {
    const int block = static_cast<int>(state.range(0));
    halcyra::HalcyraPlugin plugin;
    plugin.reset(kRate);

    // One second of a decaying pluck pattern over noise, cycled.
    const int length = static_cast<int>(kRate) / block * block;
    std::vector<double> left(length), right(length);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-0.05, 0.05);
    for (int i = 0; i < length; ++i) {
        const double t = (i % 12000) / kRate;
        const double pluck = 0.4 * std::exp(-t * 12.0) * std::sin(2.0 * M_PI * 220.0 * t);
        left[i] = pluck + noise(rng);
        right[i] = pluck + noise(rng);
    }
    std::vector<double> outL(block), outR(block);
    double* outs[] = {outL.data(), outR.data()};

    int offset = 0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        if (automate) {
            const double phase = static_cast<double>(frames) / kRate * 0.5;  // one sweep every 2 s
            plugin.parameters().set(halcyra::kSize, 0.5 + 0.5 * std::sin(phase));
            plugin.parameters().set(halcyra::kWind, 0.5 + 0.5 * std::cos(phase));
        }
        const double* ins[] = {left.data() + offset, right.data() + offset};
        plugin.processBlock(halcyra::BlockIO{ins, outs, 2, 2, block, kRate, 120.0});
        benchmark::DoNotOptimize(outL.data());
        offset += block;
        if (offset >= length) offset = 0;
        frames += block;
    }
    state.counters["rtf"] = benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}
void BM_DriverBlock(benchmark::State& state) { runDriver(state, false); }
void BM_DriverBlockAutomated(benchmark::State& state) { runDriver(state, true); }
BENCHMARK(BM_DriverBlock)->Arg(32)->Arg(128)->Arg(1024)->MinTime(2.0);
BENCHMARK(BM_DriverBlockAutomated)->Arg(32)->Arg(128)->Arg(1024)->MinTime(2.0);

}  // namespace
