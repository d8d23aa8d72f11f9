// What the open preset panel costs the editor per frame, with 0, 300 and 1000 user
// presets in the folder: each iteration is one editor frame (OnFrame, then a full
// offscreen render), and the panel's own OnFrame and Draw are timed inside it in
// thread CPU time. "panel_ms" is the panel's share of a frame in milliseconds (the
// target is below 0.5 at 1000 presets); "open_ms" the one-off first read of the
// folder; "frame_ms" the whole frame in wall time, software rasterising included.
#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "BenchEditorContext.h"
#include "editor/EditorColors.h"
#include "editor/PresetManagerControl.h"
#include "editor/PresetSelection.h"
#include "graphics/IGraphics.h"
#include "graphics/offscreen/OffscreenRenderer.h"
#include "presets/AtomicFileWrite.h"
#include "presets/FactoryPresets.h"
#include "presets/PresetFileFormat.h"

namespace {

using namespace halcyra;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// CPU time of this thread, so that other work on a busy machine does not count.
double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return 1e3 * static_cast<double>(ts.tv_sec) + 1e-6 * static_cast<double>(ts.tv_nsec);
}

// The panel with a stopwatch around its own per-frame work.
class TimedPanel : public PresetManagerControl {
public:
    using PresetManagerControl::PresetManagerControl;
    void OnFrame(double dt) override {
        const double t0 = threadCpuMs();
        PresetManagerControl::OnFrame(dt);
        spentMs += threadCpuMs() - t0;
    }
    void Draw(Canvas& g) override {
        const double t0 = threadCpuMs();
        PresetManagerControl::Draw(g);
        spentMs += threadCpuMs() - t0;
    }
    double spentMs = 0.0;
};

void BM_PresetPanelFrame(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const fs::path folder = fs::temp_directory_path() / ("halcyra-panel-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    std::vector<std::string> favourites;
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(1000 + i);
        const std::string name = "Preset " + number;
        // Written directly: the store's own save looks for the name first, which at
        // this count would turn the set-up quadratic.
        writeFileReplacing(folder / ("p" + number + ".halcyrapreset"),
                           formatPresetFile(UserPreset{name, {{"size", 0.5}, {"level", i / 1000.0}}}));
        if (i % 10 == 0) favourites.push_back(name);
    }

    {
        BenchEditorContext ctx(folder.string());
        ctx.presetStore().writeFavourites(favourites);
        IGraphics ui(&ctx, 760, 560, 60, 1.0f);
        ui.AttachPanelBackground(kWindowColor);
        std::vector<std::string> factoryNames;
        for (const FactoryPreset& p : kFactoryPresets) factoryNames.emplace_back(p.name);
        auto* panel = static_cast<TimedPanel*>(ui.AttachControl(
            new TimedPanel(ui.GetBounds(), ctx, std::make_shared<PresetSelection>(ctx, std::move(factoryNames)))));
        panel->Show();
        const double openStart = threadCpuMs();
        ctx.presetStore().library();  // what opening the panel first costs: reading the folder
        const double openMs = threadCpuMs() - openStart;
        // Halfway down the list, where every visible row is a user preset.
        const IRECT list = panel->ListRect();
        for (int i = 0; i < count / 4; ++i) ui.OnMouseWheel(list.MW(), list.MH(), IMouseMod(), -1.0f);

        // A few rechecks until the files' times are old enough to be trusted, so the
        // loop sees the steady state.
        OffscreenRenderer renderer;
        if (!renderer.Render(ui)) state.SkipWithError("offscreen rendering is not available");
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(PresetLibraryCache::kDefaultRecheckInterval);
            renderer.Render(ui);
        }
        panel->spentMs = 0.0;
        const auto start = Clock::now();
        std::int64_t frames = 0;
        for (auto _ : state) {
            ui.OnFrame(1.0 / 60.0);
            renderer.Render(ui);
            ++frames;
        }
        const double perFrame = 1.0 / static_cast<double>(std::max<std::int64_t>(frames, 1));
        state.counters["panel_ms"] = panel->spentMs * perFrame;
        state.counters["frame_ms"] = std::chrono::duration<double, std::milli>(Clock::now() - start).count() * perFrame;
        state.counters["open_ms"] = openMs;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_PresetPanelFrame)->Arg(0)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
