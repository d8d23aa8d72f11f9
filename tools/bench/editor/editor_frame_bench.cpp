// What the whole editor costs per frame on the offscreen renderer (OSMesa; Mesa picks
// llvmpipe unless GALLIUM_DRIVER says otherwise), at the opening size of 912 × 672.
// Each iteration is one frame as the window's timer runs it: the controls' frame
// step, then a redraw of whatever asked for one. The benchmark plays the audio side,
// publishing one SkyFeed per frame:
//   Idle       the plug-in's sky shown, then the host stops (the feed no longer changes);
//   Silent     silent input while the host runs: no stars, no level, the clouds drift;
//   BusySky    stars flashing (about eight a second), clouds drifting, meter moving;
//   PanelOpen  the busy sky under the open preset panel;
//   FullRepaint the busy sky with every frame repainted whole (what each frame cost
//              before redraws were limited to the controls that changed).
// "cpu_ms" is the process's CPU time per frame (llvmpipe's rasteriser threads
// included), "core_pct" that at 60 frames per second as a share of one core.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include "BenchEditorContext.h"
#include "dsp/stars/SkyField.h"
#include "editor/EditorLayout.h"
#include "editor/PresetManagerControl.h"
#include "graphics/IGraphics.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace {

using namespace halcyra;
namespace fs = std::filesystem;

constexpr int kPresetPanelTag = 34;
constexpr double kFrameSeconds = 1.0 / 60.0;
constexpr int kSamplesPerFrame = 800;  // 48 kHz

double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return 1e3 * static_cast<double>(ts.tv_sec) + 1e-6 * static_cast<double>(ts.tv_nsec);
}

enum class Scene { Idle, Silent, BusySky, PanelOpen, FullRepaint };

// The audio side as the editor sees it: the real sky simulation for the clouds,
// stars at random points with their ages counting up, and meter levels.
class AudioSide {
public:
    explicit AudioSide(SkyFeedTripleBuffer& feed) : feed_(feed) {}

    void Publish(bool stars) {
        SkyFeed& s = feed_.writeSlot();
        s = SkyFeed{};
        const float* w = sky_.step(kFrameSeconds);
        std::copy(w, w + kSkyPointCount, s.weights);
        s.onsetGain = 0.6f;
        if (stars) {
            for (int i = 0; i < count_; ++i) events_[i].ageSamples += kSamplesPerFrame;
            // Oldest first out once past the longest lifetime.
            while (count_ > 0 && events_[count_ - 1].ageSamples > 80000) --count_;
            if (uniform_(rng_) < 8.0f * static_cast<float>(kFrameSeconds)) {
                std::copy_backward(events_, events_ + std::min(count_, kMaxRecentEvents - 1),
                                   events_ + std::min(count_ + 1, kMaxRecentEvents));
                count_ = std::min(count_ + 1, kMaxRecentEvents);
                events_[0] = {static_cast<std::int32_t>(uniform_(rng_) * 127.0f), 0.6f + 0.4f * uniform_(rng_), 0, 1,
                              -30.0f + 24.0f * uniform_(rng_)};
            }
            s.flashCount = count_;
            std::copy(events_, events_ + count_, s.flashes);
            s.reverbLevel = 0.25f + 0.1f * uniform_(rng_);
            s.peakLeft = s.peakRight = 0.3f + 0.2f * uniform_(rng_);
            s.rmsLeft = s.rmsRight = 0.1f + 0.05f * uniform_(rng_);
        }
        feed_.publish();
    }

private:
    SkyFeedTripleBuffer& feed_;
    SkyField sky_;
    RecentEvent events_[kMaxRecentEvents];
    int count_ = 0;
    std::mt19937 rng_{7};
    std::uniform_real_distribution<float> uniform_{0.0f, 1.0f};
};

void BM_EditorFrame(benchmark::State& state, Scene scene) {
    const fs::path folder = fs::temp_directory_path() / ("halcyra-frame-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    {
        BenchEditorContext ctx(folder.string());
        IGraphics ui(&ctx, 760, 560, 60, 1.2f);
        BuildEditorLayout(ui, ctx);
        AudioSide audio(ctx.feed());
        OffscreenRenderer renderer;
        const bool stars = scene != Scene::Idle && scene != Scene::Silent;
        const auto frame = [&](bool publish) {
            if (publish) audio.Publish(stars);
            ui.OnFrame(kFrameSeconds);
            if (scene == Scene::FullRepaint) ui.SetAllControlsDirty();
            return renderer.Update(ui);
        };
        if (scene == Scene::PanelOpen) {
            if (auto* panel = dynamic_cast<PresetManagerControl*>(ui.GetControlWithTag(kPresetPanelTag))) panel->Show();
        }
        // Two seconds of warm-up: the sky is fed, the first stars have come and gone
        // and a change's redraw hold is over. The idle scene publishes no more after it.
        for (int i = 0; i < 120; ++i) {
            if (!frame(true)) state.SkipWithError("offscreen rendering is not available");
        }
        std::int64_t frames = 0;
        const double start = processCpuMs();
        for (auto _ : state) {
            frame(scene != Scene::Idle);
            ++frames;
        }
        const double perFrame = (processCpuMs() - start) / static_cast<double>(std::max<std::int64_t>(frames, 1));
        state.counters["cpu_ms"] = perFrame;
        state.counters["core_pct"] = perFrame * 60.0 / 10.0;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK_CAPTURE(BM_EditorFrame, Idle, Scene::Idle)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_EditorFrame, Silent, Scene::Silent)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_EditorFrame, BusySky, Scene::BusySky)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_EditorFrame, PanelOpen, Scene::PanelOpen)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_EditorFrame, FullRepaint, Scene::FullRepaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
