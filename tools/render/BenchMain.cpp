// halcyra-bench: what the whole module costs. Renders 60 s of the demo at 48 kHz in
// blocks of 128 through the real bundle, once per scenario, and prints the CPU time
// per audio second, the share of one core and the slowest block.
// --first-activation: how long the first activation in a fresh process takes (the
// HRIR set is built then), at each common rate, each in its own child process: alone,
// and with the module's loading and the instance's construction back to back, the
// latter both without and with the responses cached by an earlier process.
// --instances N: N instances on one thread, each block passed through all of them in
// turn as a host does with a chain of plug-ins; prints the cost per instance against
// one instance alone (cache pressure shows up as the ratio), from R alternating rounds
// (--rounds R, default 40) over S seconds of audio per set (--seconds S, default 20).
// --scenario NAME picks one row; --no-baseline runs the N instances only, so a cache
// simulator sees them alone (e.g. --rounds 1 --seconds 0.25 against 0.5).
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/host/HostError.h"
#include "tools/host/PluginInstance.h"
#include "tools/host/Vst3Module.h"
#include "tools/render/DemoSignal.h"
#include "tools/render/ParameterAssignment.h"

namespace {

using halcyra::host::PluginInstance;

struct Scenario {
    const char* name;
    std::vector<std::pair<std::string, std::string>> settings;
};

// One row per scenario; add rows here.
const std::vector<Scenario>& scenarios() {
    static const std::vector<Scenario> table = {
        {"defaults", {}},
        {"size-wind-full-wet", {{"Size", "1"}, {"Wind", "1"}, {"Mix", "100"}}},
        {"stars-busy", {{"Level", "1"}, {"Rate", "1"}, {"Events", "Auto"}}},
    };
    return table;
}

constexpr double kRate = 48000.0;
constexpr int kBlock = 128;
constexpr double kSeconds = 60.0;

double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

struct Result {
    double microsPerAudioSecond;
    double percentOfCore;
    double worstBlockPercent;  // slowest block's CPU time relative to its real-time budget
    double residentKiBPerInstance;  // growth of resident memory per started instance (first run only:
                                    // later runs reuse what earlier ones freed)
};

double residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// A started set of instances of one scenario, fed the demo block by block.
class InstanceSet {
public:
    InstanceSet(halcyra::host::Vst3Module& module, const Scenario& scenario, int count) {
        const double residentBefore = residentKiB();
        for (int k = 0; k < count; ++k) {
            auto instance = std::make_unique<PluginInstance>(module);
            halcyra::host::ProcessSettings settings;
            settings.sampleRate = kRate;
            settings.maxBlockSize = kBlock;
            settings.inputChannels = 2;
            settings.offline = false;
            instance->configure(settings);
            for (const auto& [name, value] : scenario.settings) halcyra::render::applyAssignment(*instance, name, value);
            instance->start();
            instances_.push_back(std::move(instance));
        }
        residentPerInstance_ = (residentKiB() - residentBefore) / count;
    }
    ~InstanceSet() {
        for (auto& instance : instances_) instance->stop();
    }
    InstanceSet(const InstanceSet&) = delete;
    InstanceSet& operator=(const InstanceSet&) = delete;

    int count() const { return static_cast<int>(instances_.size()); }
    double residentKiBPerInstance() const { return residentPerInstance_; }

    // Passes the next n frames of the demo through every instance in turn; returns the
    // thread CPU time spent in the instances, and the slowest block's, both per instance.
    std::pair<double, double> run(const halcyra::render::StereoAudio& demo, int n) {
        double cpu = 0.0, worst = 0.0;
        for (int done = 0; done < n; done += kBlock) {
            const int frames = std::min(kBlock, n - done);
            for (int i = 0; i < frames; ++i) {
                const std::size_t k = static_cast<std::size_t>((position_ + i) % demo.frames());
                inL_[static_cast<std::size_t>(i)] = demo.left[k];
                inR_[static_cast<std::size_t>(i)] = demo.right[k];
            }
            position_ += frames;
            const float* in[2] = {inL_.data(), inR_.data()};
            float* out[2] = {outL_.data(), outR_.data()};
            const double t0 = threadCpuSeconds();
            for (auto& instance : instances_) instance->process(in, out, frames);
            const double dt = (threadCpuSeconds() - t0) / count();
            cpu += dt;
            worst = std::max(worst, dt / (frames / kRate));
        }
        return {cpu, worst};
    }

private:
    std::vector<std::unique_ptr<PluginInstance>> instances_;
    std::vector<float> inL_ = std::vector<float>(kBlock), inR_ = std::vector<float>(kBlock);
    std::vector<float> outL_ = std::vector<float>(kBlock), outR_ = std::vector<float>(kBlock);
    long position_ = 0;
    double residentPerInstance_ = 0.0;
};

// One instance for the whole demo run: CPU time per audio second, share of a core.
Result runScenario(halcyra::host::Vst3Module& module, const Scenario& scenario,
                   const halcyra::render::StereoAudio& demo) {
    InstanceSet one(module, scenario, 1);
    const auto [cpu, worst] = one.run(demo, static_cast<int>(kSeconds * kRate));
    return {1e6 * cpu / kSeconds, 100.0 * cpu / kSeconds, 100.0 * worst, one.residentKiBPerInstance()};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : 0.5 * (v[m - 1] + v[m]);
}

struct ManyOptions {
    int count = 16;
    double seconds = 20.0;  // audio per set, over all rounds
    int rounds = 40;
    bool baseline = true;   // false: the N instances only (for a cache simulator)
    std::string only;
};

// One instance and N instances, both started once, run in alternating short rounds.
// On a shared machine other programs slow some rounds down (and evict the caches), so
// the figure to trust is the best round of each, the cost with the least disturbance;
// the median of the per-round ratios (N's round against the one-instance round right
// after it) and their spread show how much the disturbance moves it.
int manyInstances(const std::string& plugin, const ManyOptions& o) {
    halcyra::host::Vst3Module module(plugin);
    const auto demo = halcyra::render::makeDemoSignal(kRate);
    const int perRound = std::max(kBlock, static_cast<int>(o.seconds * kRate / o.rounds) / kBlock * kBlock);
    const double roundSeconds = perRound / kRate;
    std::printf("halcyra-bench: %d round(s) of %.2f s of the demo at %.0f Hz, blocks of %d, %s%d instances on one thread\n",
                o.rounds, roundSeconds, kRate, kBlock, o.baseline ? "1 and " : "", o.count);
    for (const Scenario& s : scenarios()) {
        if (!o.only.empty() && o.only != s.name) continue;
        std::unique_ptr<InstanceSet> one;
        if (o.baseline) one = std::make_unique<InstanceSet>(module, s, 1);
        InstanceSet many(module, s, o.count);
        std::vector<double> oneShare, manyShare, ratio;
        for (int r = 0; r < o.rounds; ++r) {
            const double manyCpu = many.run(demo, perRound).first;
            manyShare.push_back(100.0 * manyCpu / roundSeconds);
            if (!one) continue;
            const double oneCpu = one->run(demo, perRound).first;
            oneShare.push_back(100.0 * oneCpu / roundSeconds);
            ratio.push_back(manyCpu / oneCpu);
        }
        if (one) {
            const double bestOne = *std::min_element(oneShare.begin(), oneShare.end());
            const double bestMany = *std::min_element(manyShare.begin(), manyShare.end());
            std::printf("%-22s best rounds: one %5.2f %% of a core, %d: %5.2f %% each, %.2fx one; "
                        "per round: median %.2fx, %.2f-%.2f\n",
                        s.name, bestOne, o.count, bestMany, bestMany / bestOne, median(ratio),
                        *std::min_element(ratio.begin(), ratio.end()), *std::max_element(ratio.begin(), ratio.end()));
        } else {
            std::printf("%-22s %d: %6.2f %% of a core each (median of rounds, best %.2f)\n", s.name, o.count,
                        median(manyShare), *std::min_element(manyShare.begin(), manyShare.end()));
        }
        if (!o.only.empty() || &s == &scenarios().front())
            std::printf("%-22s %.0f KiB resident per instance\n", "", many.residentKiBPerInstance());
    }
    return 0;
}

halcyra::host::ProcessSettings activationSettings(double rate) {
    halcyra::host::ProcessSettings settings;
    settings.sampleRate = rate;
    settings.maxBlockSize = kBlock;
    settings.offline = false;
    return settings;
}

double secondsSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Loads the module and times configure + start of one new instance. The instance starts
// reading what every activation needs as soon as it exists, so the activation alone is
// timed two seconds after construction, as in a host that restores a session before it
// starts audio: CPU time of the calling thread and of all threads (the activation
// converts on two), and wall time.
void timeActivationAlone(const std::string& plugin, double rate) {
    halcyra::host::Vst3Module module(plugin);
    PluginInstance instance(module);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = threadCpuSeconds(), allCpu0 = processCpuSeconds();
    instance.configure(activationSettings(rate));
    instance.start();
    const double cpu = threadCpuSeconds() - cpu0, allCpu = processCpuSeconds() - allCpu0;
    const double wall = secondsSince(wall0);
    std::printf("first activation at %6.0f Hz: %6.1f ms wall, CPU %6.1f ms its thread, %6.1f ms all", rate,
                1e3 * wall, 1e3 * cpu, 1e3 * allCpu);
    instance.stop();
}

// Loading, construction and activation back to back, the worst case for the reading
// ahead (which starts when the module is entered): the wall time the host waits and
// the CPU time of every thread of the process.
void timeConstructionAndActivation(const std::string& plugin, double rate) {
    const auto wall0 = std::chrono::steady_clock::now();
    const double cpu0 = processCpuSeconds();
    halcyra::host::Vst3Module module(plugin);
    PluginInstance instance(module);
    instance.configure(activationSettings(rate));
    instance.start();
    const double cpu = processCpuSeconds() - cpu0;
    const double wall = secondsSince(wall0);
    std::printf(" %6.1f ms wall, %6.1f ms CPU all", 1e3 * wall, 1e3 * cpu);
    instance.stop();
}

// Runs one measurement in a fresh child process, so nothing read by an earlier one is kept.
bool inChild(void (*measure)(const std::string&, double), const std::string& plugin, double rate) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        try {
            measure(plugin, rate);
            std::fflush(stdout);
            _exit(0);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "halcyra-bench: %s\n", e.what());
            _exit(2);
        }
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The module keeps the responses it reads in a per-user cache file: every child runs
// with a cache folder of its own, so the first activation ever (no file yet) and a
// later one (the file an earlier process left) are timed apart.
int firstActivations(const std::string& plugin) {
    const auto cache = std::filesystem::temp_directory_path() / ("halcyra-bench-cache-" + std::to_string(getpid()));
    if (setenv("XDG_CACHE_HOME", cache.c_str(), 1) != 0) return 2;
    bool ok = true;
    for (double rate : {44100.0, 48000.0, 96000.0, 176400.0, 192000.0}) {
        std::filesystem::remove_all(cache);
        ok = ok && inChild(timeActivationAlone, plugin, rate);
        std::filesystem::remove_all(cache);
        std::printf("\n  loaded, made and activated at once: first ever");
        ok = ok && inChild(timeConstructionAndActivation, plugin, rate);
        std::printf("; later");
        ok = ok && inChild(timeConstructionAndActivation, plugin, rate);
        std::printf("\n");
        if (!ok) break;
    }
    std::filesystem::remove_all(cache);
    return ok ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        std::error_code ec;
        const auto dir = std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
        const bool activation = argc > 1 && std::strcmp(argv[1], "--first-activation") == 0;
        const bool many = argc > 2 && std::strcmp(argv[1], "--instances") == 0;
        int pluginArg = activation ? 2 : many ? 3 : 1;
        ManyOptions options;
        while (many && argc > pluginArg) {
            const bool hasValue = argc > pluginArg + 1;
            if (std::strcmp(argv[pluginArg], "--seconds") == 0 && hasValue) {
                options.seconds = std::atof(argv[pluginArg + 1]);
            } else if (std::strcmp(argv[pluginArg], "--rounds") == 0 && hasValue) {
                options.rounds = std::atoi(argv[pluginArg + 1]);
            } else if (std::strcmp(argv[pluginArg], "--scenario") == 0 && hasValue) {
                options.only = argv[pluginArg + 1];
            } else if (std::strcmp(argv[pluginArg], "--no-baseline") == 0) {
                options.baseline = false;
                pluginArg += 1;
                continue;
            } else {
                break;
            }
            pluginArg += 2;
        }
        const std::string plugin = argc > pluginArg ? argv[pluginArg] : (dir / "Halcyra.vst3").string();
        if (activation) return firstActivations(plugin);
        if (many) {
            options.count = std::atoi(argv[2]);
            if (options.count < 1 || options.count > 256 || !(options.seconds > 0.0 && options.seconds <= 3600.0) ||
                options.rounds < 1 || options.rounds > 1000) {
                std::fprintf(stderr,
                             "usage: halcyra-bench [--instances N (1-256) [--seconds S] [--rounds R] [--no-baseline] "
                             "[--scenario NAME] | --first-activation] [PLUGIN]\n");
                return 2;
            }
            return manyInstances(plugin, options);
        }
        halcyra::host::Vst3Module module(plugin);
        const auto demo = halcyra::render::makeDemoSignal(kRate);
        std::printf("halcyra-bench: %.0f s of the demo at %.0f Hz, blocks of %d\n", kSeconds, kRate, kBlock);
        for (const Scenario& s : scenarios()) {
            const Result r = runScenario(module, s, demo);
            std::printf("%-22s %9.0f us per audio second  %6.2f %% of one core  (slowest block %.1f %% of its time)\n",
                        s.name, r.microsPerAudioSecond, r.percentOfCore, r.worstBlockPercent);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "halcyra-bench: %s\n", e.what());
        return 2;
    }
}
