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

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>

#include "BenchAudioSide.h"
#include "BenchEditorContext.h"
#include "editor/EditorLayout.h"
#include "editor/PresetManagerControl.h"
#include "graphics/IGraphics.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace {

using namespace halcyra;
namespace fs = std::filesystem;

constexpr int kPresetPanelTag = 34;

enum class Scene { Idle, Silent, BusySky, PanelOpen, FullRepaint };

void BM_EditorFrame(benchmark::State& state, Scene scene) {
    const fs::path folder = fs::temp_directory_path() / ("halcyra-frame-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    {
        BenchEditorContext ctx(folder.string());
        IGraphics ui(&ctx, 760, 560, 60, 1.2f);
        BuildEditorLayout(ui, ctx);
        BenchAudioSide audio(ctx.feed());
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
        // The sky catches up with the last published change within three frames.
        for (int i = 0; i < 3; ++i) frame(scene != Scene::Idle);
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
// Fixed frame counts: a minute of idle editor, four seconds of the others.
BENCHMARK_CAPTURE(BM_EditorFrame, Idle, Scene::Idle)->Unit(benchmark::kMillisecond)->Iterations(3600);
BENCHMARK_CAPTURE(BM_EditorFrame, Silent, Scene::Silent)->Unit(benchmark::kMillisecond)->Iterations(240);
BENCHMARK_CAPTURE(BM_EditorFrame, BusySky, Scene::BusySky)->Unit(benchmark::kMillisecond)->Iterations(240);
BENCHMARK_CAPTURE(BM_EditorFrame, PanelOpen, Scene::PanelOpen)->Unit(benchmark::kMillisecond)->Iterations(240);
BENCHMARK_CAPTURE(BM_EditorFrame, FullRepaint, Scene::FullRepaint)->Unit(benchmark::kMillisecond)->Iterations(60);

}  // namespace
