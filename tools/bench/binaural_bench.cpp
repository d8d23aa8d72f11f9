// Binaural placement and shimmer lines at 48 kHz with 128-frame blocks (the eight
// channels also at 192 kHz, where the responses are four times as long).
// "rtf" = seconds of audio rendered per second of CPU time.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dsp/stars/BinauralRenderer.h"
#include "dsp/stars/EmbeddedKemar.h"
#include "dsp/stars/HrirSet.h"
#include "dsp/stars/ShimmerLine.h"
#include "dsp/stars/StereoConvolution.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 128;

std::vector<float> noise(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> x(n);
    for (float& v : x) v = d(rng);
    return x;
}

void reportRtf(benchmark::State& state, int framesPerIteration, double rate = kRate) {
    state.counters["rtf"] = benchmark::Counter(static_cast<double>(state.iterations()) * framesPerIteration / rate,
                                               benchmark::Counter::kIsRate);
}

// Eight channels bound to eight different points, every voice sounding; argument = rate.
void BM_BinauralRendererEightChannels(benchmark::State& state) {
    const auto rate = static_cast<double>(state.range(0));
    std::vector<float> az, el;
    for (int i = 0; i < 8; ++i) {
        az.push_back(-80.0f + 22.0f * static_cast<float>(i));
        el.push_back(-5.0f + 6.0f * static_cast<float>(i));
    }
    halcyra::HrirSet set;
    if (!set.build(halcyra::kemarSofaData(), halcyra::kemarSofaSize(), rate, 8, az.data(), el.data(),
                   halcyra::hrirTapLimit(rate))) {
        state.SkipWithError("HRIR set did not load");
        return;
    }
    halcyra::BinauralRenderer renderer;
    renderer.prepare(rate, 4096, &set);
    bool active[8];
    int points[8];
    for (int i = 0; i < 8; ++i) {
        active[i] = true;
        points[i] = i;
    }
    const auto signal = noise(kBlock, 1);
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        renderer.bind(active, points, 8, kBlock);
        for (int p = 0; p < 8; ++p) std::copy(signal.begin(), signal.end(), renderer.inputFor(p));
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        renderer.render(kBlock, left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.counters["taps"] = set.taps();
    reportRtf(state, kBlock, rate);
}
BENCHMARK(BM_BinauralRendererEightChannels)->Arg(48000)->Arg(192000);

// One channel's 256-tap stereo convolution, per kernel: 0 = plain sum, 1 = SSE2, 2 = AVX2+FMA.
void BM_StereoConvolutionKernel(benchmark::State& state) {
    halcyra::StereoConvolveFn fn = &halcyra::convolveStereoScalar;
    if (state.range(0) == 1) fn = &halcyra::convolveStereoSse2;
    if (state.range(0) == 2) {
        if (!halcyra::hasAvx2Fma()) {
            state.SkipWithError("no AVX2/FMA on this CPU");
            return;
        }
        fn = &halcyra::convolveStereoAvx2;
    }
    const int taps = 256;
    const auto work = noise(kBlock + taps - 1, 2), hl = noise(taps, 3), hr = noise(taps, 4);
    std::vector<float> left(kBlock), right(kBlock);
    for (auto _ : state) {
        fn(work.data(), hl.data(), hr.data(), taps, kBlock, left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    reportRtf(state, kBlock);
}
BENCHMARK(BM_StereoConvolutionKernel)->Arg(0)->Arg(1)->Arg(2);

// The three shimmer lines with their pitch shifters, fed with noise.
void BM_ShimmerLinesThree(benchmark::State& state) {
    halcyra::ShimmerLine lines[3];
    for (int i = 0; i < 3; ++i) lines[i].prepare(kRate, i, 4096);
    const int blocks = 375;  // one second of excitation, cycled
    const auto excitation = noise(static_cast<std::size_t>(blocks * kBlock), 5);
    std::vector<float> out(kBlock);
    int block = 0;
    for (auto _ : state) {
        const float* x = excitation.data() + static_cast<std::size_t>(block) * kBlock;
        for (auto& line : lines) {
            line.process(x, kBlock, out.data());
            benchmark::DoNotOptimize(out.data());
        }
        block = (block + 1) % blocks;
    }
    reportRtf(state, kBlock);
}
BENCHMARK(BM_ShimmerLinesThree);

}  // namespace
