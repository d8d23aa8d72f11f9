// The editor in its real window: an X11 child window with a GLX context, on the
// display in DISPLAY or a private Xvfb (whose GLX is Mesa's software renderer),
// driven as the host's run loop drives it: events, then Tick() every 1/60 s in real
// time. Each iteration is one frame; the benchmark plays the audio side as the
// offscreen editor benchmark does:
//   Idle     the plug-in's sky shown, then the host stops (the feed no longer changes);
//   BusySky  stars flashing, clouds drifting, meter moving.
// "cpu_ms" is this process's CPU time per frame and "core_pct" that at 60 frames per
// second as a share of one core. The X server's own work (putting the swapped
// picture on the screen) is not in it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "BenchAudioSide.h"
#include "BenchEditorContext.h"
#include "editor/EditorLayout.h"
#include "graphics/IGraphics.h"
#include "graphics/PlatformWindow.h"
#include "tools/x11host/VirtualDisplay.h"
#include "tools/x11host/X11ParentWindow.h"

namespace {

using namespace halcyra;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void BM_EditorWindow(benchmark::State& state, bool stars) {
    const fs::path folder = fs::temp_directory_path() / ("halcyra-window-bench-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    try {
        x11host::VirtualDisplay display;
        BenchEditorContext ctx(folder.string());
        IGraphics ui(&ctx, 760, 560, 60, 1.2f);
        BuildEditorLayout(ui, ctx);
        x11host::X11ParentWindow parent(ui.PixelWidth(), ui.PixelHeight());
        std::unique_ptr<PlatformWindow> window = CreatePlatformWindow(ui);
        if (!window->Open(reinterpret_cast<void*>(parent.id()))) {
            state.SkipWithError("the editor window did not open (no GLX?)");
            return;
        }
        BenchAudioSide audio(ctx.feed());
        auto next = Clock::now();
        const auto frame = [&](bool publish) {
            if (publish) audio.Publish(stars);
            window->ProcessEvents();
            window->Tick();
            next += std::chrono::microseconds(16667);
            std::this_thread::sleep_until(next);
        };
        for (int i = 0; i < 120; ++i) frame(true);  // fed, first stars, redraw hold over
        for (int i = 0; i < 3; ++i) frame(stars);    // the sky catches up with the last change
        next = Clock::now();                         // slow warm-up frames leave no backlog
        std::int64_t frames = 0;
        const double start = processCpuMs();
        for (auto _ : state) {
            frame(stars);
            ++frames;
        }
        const double perFrame = (processCpuMs() - start) / static_cast<double>(std::max<std::int64_t>(frames, 1));
        state.counters["cpu_ms"] = perFrame;
        state.counters["core_pct"] = perFrame * 60.0 / 10.0;
        window->Close();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK_CAPTURE(BM_EditorWindow, Idle, false)->Unit(benchmark::kMillisecond)->Iterations(600)->UseRealTime();
BENCHMARK_CAPTURE(BM_EditorWindow, BusySky, true)->Unit(benchmark::kMillisecond)->Iterations(120)->UseRealTime();

}  // namespace
