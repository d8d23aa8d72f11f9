#include "tools/render/RenderSession.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "tools/host/HostError.h"
#include "tools/host/PluginInstance.h"
#include "tools/host/PresetFileChunk.h"
#include "tools/host/Vst3Module.h"
#include "tools/render/EditorCapture.h"
#include "tools/render/InputAudio.h"
#include "tools/render/ParameterAssignment.h"
#include "tools/render/ParameterListing.h"
#include "tools/render/WavWriter.h"

namespace halcyra::render {

using host::HostError;
namespace fs = std::filesystem;

namespace {

constexpr const char* kPresetMessage = "HalcyraPreset";
constexpr double kDefaultTailSeconds = 4.0;

bool samePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(fs::absolute(a, ec), ec) == fs::weakly_canonical(fs::absolute(b, ec), ec);
}

std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw HostError("cannot read state file '" + path + "'");
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytesAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const std::string temp = path + ".partial";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::error_code ec;
            fs::remove(temp, ec);
            throw HostError("cannot write state file '" + path + "'");
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw HostError("cannot write state file '" + path + "'");
    }
}

std::string modulePath(const RenderOptions& options, const std::string& executableDir) {
    return options.pluginPath.empty() ? (fs::path(executableDir) / "Halcyra.vst3").string() : options.pluginPath;
}

// A saved state as it is, or the component state inside a ".vstpreset" file.
std::vector<std::uint8_t> readState(const std::string& path, const host::Vst3Module& module) {
    std::vector<std::uint8_t> bytes = readBytes(path);
    if (!host::looksLikePresetFile(bytes)) return bytes;
    auto state = host::componentStateOfPresetFile(bytes, module.findAudioEffect().cid);
    if (!state) throw HostError("preset file '" + path + "' holds no state of this effect");
    return std::move(*state);
}

void recallPreset(host::PluginInstance& instance, const char* kind, const std::string& name) {
    std::string known;
    const Steinberg::tresult r = instance.sendStringMessage(kPresetMessage, kind, name, "known", &known);
    if (r == Steinberg::kResultOk) return;
    if (r == Steinberg::kNotImplemented) throw HostError("this module cannot recall presets");
    const bool user = std::string(kind) == "user";
    std::string list;
    for (std::size_t start = 0; start < known.size();) {
        const std::size_t end = known.find('\n', start);
        const std::string item = known.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!item.empty()) list += (list.empty() ? "" : ", ") + ("'" + item + "'");
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (list.empty()) list = user ? "none saved yet" : "none";
    throw HostError(std::string("unknown ") + (user ? "user" : "factory") + " preset '" + name + "' (known: " + list + ")");
}

double toDb(float peak) { return peak > 0.0f ? 20.0 * std::log10(static_cast<double>(peak)) : -200.0; }

class ProgressBar {
public:
    ProgressBar(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
    void update(std::int64_t done, std::int64_t total) {
        if (!enabled_ || total <= 0) return;
        const int percent = static_cast<int>(100 * done / total);
        if (percent == last_) return;
        last_ = percent;
        const int filled = percent * 30 / 100;
        out_ << '\r' << '[' << std::string(static_cast<std::size_t>(filled), '#')
             << std::string(static_cast<std::size_t>(30 - filled), ' ') << "] " << percent << '%' << std::flush;
    }
    void finish() {
        if (enabled_ && last_ >= 0) out_ << '\r' << std::string(40, ' ') << '\r' << std::flush;
    }

private:
    std::ostream& out_;
    bool enabled_;
    int last_ = -1;
};

}  // namespace

RenderSummary runRender(const RenderOptions& options, const std::string& executableDir, std::ostream& progress,
                        bool showProgress) {
    const bool fileInput = options.input != "impulse" && options.input != "demo";
    if (fileInput && samePath(options.input, options.output))
        throw HostError("output '" + options.output + "' is the input file; choose another name");

    const InputAudio input = loadInput(options.input, options.sampleRate, options.mono);
    host::Vst3Module module(modulePath(options, executableDir));
    host::PluginInstance instance(module);
    host::ProcessSettings settings;
    settings.sampleRate = input.sampleRate;
    settings.maxBlockSize = options.blockSize;
    settings.inputChannels = input.channels;
    settings.offline = true;
    instance.configure(settings);

    if (!options.stateIn.empty() && instance.restoreState(readState(options.stateIn, module)) != Steinberg::kResultOk)
        throw HostError("state file '" + options.stateIn + "' is not a complete state of this effect");
    // Settings first, so that "Mix Lock" given with --set rules the recall that follows.
    for (const auto& [name, value] : options.assignments) applyAssignment(instance, name, value);
    if (!options.factoryPreset.empty()) recallPreset(instance, "factory", options.factoryPreset);
    if (!options.userPreset.empty()) recallPreset(instance, "user", options.userPreset);

    const double tail = options.tailSeconds.value_or(input.impulse ? 0.0 : kDefaultTailSeconds);
    const std::int64_t inputFrames = input.audio.frames();
    const std::int64_t totalFrames = inputFrames + static_cast<std::int64_t>(std::llround(tail * input.sampleRate));

    WavWriter writer(options.output, input.sampleRate);
    // Opened before processing starts, as a host may do: the editor must cope with an
    // effect that has no sample rate yet.
    std::unique_ptr<EditorCapture> editor;
    if (!options.editorPng.empty()) editor = std::make_unique<EditorCapture>(instance, options.editorPng);
    instance.start();

    const int block = options.blockSize;
    std::vector<float> inL(static_cast<std::size_t>(block)), inR(static_cast<std::size_t>(block));
    std::vector<float> outL(static_cast<std::size_t>(block)), outR(static_cast<std::size_t>(block));
    const float* inPtrs[2] = {inL.data(), inR.data()};
    float* outPtrs[2] = {outL.data(), outR.data()};

    RenderSummary summary;
    float peak[2] = {0.0f, 0.0f};
    ProgressBar bar(progress, showProgress);
    const auto started = std::chrono::steady_clock::now();
    for (std::int64_t pos = 0; pos < totalFrames;) {
        const int n = static_cast<int>(std::min<std::int64_t>(block, totalFrames - pos));
        for (int i = 0; i < n; ++i) {
            const std::int64_t k = pos + i;
            const bool inside = k < inputFrames;
            inL[static_cast<std::size_t>(i)] = inside ? input.audio.left[static_cast<std::size_t>(k)] : 0.0f;
            inR[static_cast<std::size_t>(i)] =
                inside && input.channels == 2 ? input.audio.right[static_cast<std::size_t>(k)] : 0.0f;
        }
        if (instance.process(inPtrs, outPtrs, n) != Steinberg::kResultOk) throw HostError("the effect failed to process a block");
        for (int i = 0; i < n; ++i) {
            for (int c = 0; c < 2; ++c) {
                const float x = outPtrs[c][i];
                if (!std::isfinite(x)) summary.nonFinite = true;
                else peak[c] = std::max(peak[c], std::fabs(x));
            }
        }
        writer.write(outL.data(), outR.data(), n);
        pos += n;
        if (editor) editor->afterBlock(static_cast<double>(pos) / input.sampleRate);
        bar.update(pos, totalFrames);
    }
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    bar.finish();
    if (editor) editor->finish();  // renders shorter than the live part
    editor.reset();
    instance.stop();

    if (!options.stateOut.empty()) writeBytesAtomically(options.stateOut, instance.saveState());
    writer.commit();

    summary.frames = totalFrames;
    summary.seconds = static_cast<double>(totalFrames) / input.sampleRate;
    summary.peakDbfs[0] = toDb(peak[0]);
    summary.peakDbfs[1] = toDb(peak[1]);
    summary.realTimeFactor = elapsed > 0.0 ? summary.seconds / elapsed : 0.0;
    return summary;
}

void printParameters(const RenderOptions& options, const std::string& executableDir, std::ostream& out) {
    host::Vst3Module module(modulePath(options, executableDir));
    host::PluginInstance instance(module);
    listParameters(instance, out);
}

std::string describe(const RenderSummary& s) {
    char line[256];
    std::snprintf(line, sizeof line, "%lld frames, %.2f s, peak L %.1f dBFS, R %.1f dBFS, %.1fx real time%s",
                  static_cast<long long>(s.frames), s.seconds, s.peakDbfs[0], s.peakDbfs[1], s.realTimeFactor,
                  s.nonFinite ? ", NON-FINITE SAMPLES" : "");
    return line;
}

}  // namespace halcyra::render
