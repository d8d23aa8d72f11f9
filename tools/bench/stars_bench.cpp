// Cost of the star path at 48 kHz. "rtf" = seconds of audio per second of CPU.
// The sky field steps once per 4 ms tick of the star engine; a sky jump pre-rolls up
// to 500 sky steps inside one block, so its rtf is a 128-frame block's 2.67 ms over
// the jump's cost (>= 2 means the jump takes less than half the block), and the
// jump block's rtf is that of the worst block: a busy engine's 128 frames with a
// jump. The busy engine keeps eight stars sounding at eight points; its per-second
// cost at 32 frames should stay within 1.3 times that at 1024. The component
// benchmarks split that cost into shimmer lines, voices and binaural rendering.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "dsp/stars/BinauralRenderer.h"
#include "dsp/stars/EmbeddedKemar.h"
#include "dsp/stars/HrirSet.h"
#include "dsp/stars/ShimmerLine.h"
#include "dsp/stars/SkyField.h"
#include "dsp/stars/SkyPoints.h"
#include "dsp/stars/StarEngine.h"
#include "dsp/stars/StarVoice.h"

namespace {

using namespace halcyra;

constexpr double kRate = 48000.0;

std::vector<float> noise(int count, float amplitude) {
    std::vector<float> v(static_cast<std::size_t>(count));
    std::uint32_t s = 24680u;
    for (float& x : v) {
        s = s * 1664525u + 1013904223u;
        x = (static_cast<float>(s >> 8) * (1.0f / 16777216.0f) - 0.5f) * 2.0f * amplitude;
    }
    return v;
}

void reportRtf(benchmark::State& state, double audioSecondsPerIteration) {
    state.counters["rtf"] = benchmark::Counter(static_cast<double>(state.iterations()) * audioSecondsPerIteration,
                                               benchmark::Counter::kIsRate);
}

void BM_SkyFieldStep(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    SkyField sky(1337);
    for (auto _ : state) benchmark::DoNotOptimize(sky.step(frames / kRate));
    reportRtf(state, frames / kRate);
}
BENCHMARK(BM_SkyFieldStep)->Arg(32)->Arg(128);

double windlessTargets[SkyField::kTargetCount];

const double* windlessSky() {
    // "Wind" at 0: sky speed 0.4, the longest pre-roll (500 steps).
    std::copy(SkyField::kDefaultTargets, SkyField::kDefaultTargets + SkyField::kTargetCount, windlessTargets);
    windlessTargets[SkyField::kWind] = 0.0;
    windlessTargets[SkyField::kSkySpeed] = 0.4;
    return windlessTargets;
}

void BM_SkyJumpPreroll(benchmark::State& state) {
    SkyField sky(1337);
    const double* targets = windlessSky();
    int steps = 0;
    for (auto _ : state) steps = sky.jump(targets);
    state.counters["steps"] = steps;
    reportRtf(state, 128.0 / kRate);
}
BENCHMARK(BM_SkyJumpPreroll)->Unit(benchmark::kMillisecond);

// Eight stars at eight points, renewed as they fade, in "Star" mode; with range(1)
// set, every block also jumps the sky. With range(2) ("heard") at 0 the stars play
// at Level 0: the sky, the scheduler and the voices' lifetimes run, nothing is rendered.
void BM_StarEngineBusy(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    const bool jump = state.range(1) != 0;
    const double* targets = windlessSky();
    StarEngine engine;
    engine.prepare(kRate, 4096);
    engine.setEventMode(1);
    StarBlockSettings block;
    block.level = state.range(2) != 0 ? 1.0f : 0.0f;
    engine.setBlockSettings(block);
    ReverbSettings settings;
    const std::vector<float> input = noise(frames * 64, 0.3f);
    std::vector<float> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    int offset = 0, renewed = 0;
    for (auto _ : state) {
        for (int v = 0; v < StarEngine::kVoices; ++v)
            if (!engine.voiceActive(v) && engine.pendingRequests() < StarEngine::kMaxRequests)
                engine.enqueueRequest((v * 16 + 3 + renewed++) % 128);
        if (jump) engine.skyJump(targets);
        engine.process(input.data() + offset, input.data() + offset, frames, settings, left.data(), right.data());
        offset = (offset + frames) % (frames * 63);
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["voices"] = engine.activeVoiceCount();
    reportRtf(state, frames / kRate);
}
BENCHMARK(BM_StarEngineBusy)->ArgsProduct({{32, 128, 1024}, {0}, {1}})->ArgNames({"frames", "jump", "heard"});
BENCHMARK(BM_StarEngineBusy)->Args({128, 1, 1})->ArgNames({"frames", "jump", "heard"});
BENCHMARK(BM_StarEngineBusy)->Args({128, 0, 0})->ArgNames({"frames", "jump", "heard"});

void BM_ShimmerLines(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    ShimmerLine lines[ShimmerLine::kLines];
    for (int i = 0; i < ShimmerLine::kLines; ++i) lines[i].prepare(kRate, i, 4096);
    const std::vector<float> input = noise(frames * 64, 0.3f);
    std::vector<float> out(static_cast<std::size_t>(frames));
    int offset = 0;
    for (auto _ : state) {
        for (ShimmerLine& line : lines) line.process(input.data() + offset, frames, out.data());
        offset = (offset + frames) % (frames * 63);
        benchmark::DoNotOptimize(out.data());
    }
    reportRtf(state, frames / kRate);
}
BENCHMARK(BM_ShimmerLines)->Arg(32)->Arg(128);

void BM_EightVoices(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    ToneCompensation tone;
    tone.prepare(kRate);
    StarVoice voices[8];
    const std::vector<float> source = noise(frames, 0.3f);
    std::vector<float> out(static_cast<std::size_t>(frames));
    for (StarVoice& v : voices) v.prepare(kRate);
    StarVoiceStart start;
    start.gain = 0.8f;
    start.tone = 0.7f;
    start.decaySeconds = 4.0f;
    for (auto _ : state) {
        for (StarVoice& v : voices) {
            if (!v.active()) v.start(start, tone);
            v.render(source.data(), frames, frames, 1.0f, out.data());
        }
        benchmark::DoNotOptimize(out.data());
    }
    reportRtf(state, frames / kRate);
}
BENCHMARK(BM_EightVoices)->Arg(32)->Arg(128);

void BM_BinauralEightChannels(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    const SkyPoints& points = skyPoints();
    HrirSet set;
    set.build(kemarSofaData(), kemarSofaSize(), kRate, SkyPoints::kCount, points.azimuths(), points.elevations());
    BinauralRenderer renderer;
    renderer.prepare(kRate, 4096, &set);
    bool active[8];
    int at[8];
    for (int v = 0; v < 8; ++v) {
        active[v] = true;
        at[v] = v * 16;
    }
    const std::vector<float> source = noise(frames, 0.3f);
    std::vector<float> left(static_cast<std::size_t>(frames)), right(static_cast<std::size_t>(frames));
    for (auto _ : state) {
        renderer.bind(active, at, 8, frames);
        for (int v = 0; v < 8; ++v) std::copy(source.begin(), source.end(), renderer.inputFor(at[v]));
        std::fill(left.begin(), left.end(), 0.0f);
        std::fill(right.begin(), right.end(), 0.0f);
        renderer.render(frames, left.data(), right.data());
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["taps"] = set.taps();
    reportRtf(state, frames / kRate);
}
BENCHMARK(BM_BinauralEightChannels)->Arg(32)->Arg(128);

}  // namespace
