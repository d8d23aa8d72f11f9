#include "tools/render/RenderOptions.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>

#include "tools/host/HostError.h"

namespace halcyra::render {

using host::HostError;

namespace {

double parseNumber(const std::string& option, const std::string& text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) throw HostError(option + " needs a number, not '" + text + "'");
    return value;
}

struct OptionInfo {
    std::string_view name;
    bool takesValue;
    std::function<void(RenderOptions&, const std::string&)> apply;
};

const std::vector<OptionInfo>& optionTable() {
    static const std::vector<OptionInfo> table = {
        {"--help", false, [](RenderOptions& o, const std::string&) { o.help = true; }},
        {"-h", false, [](RenderOptions& o, const std::string&) { o.help = true; }},
        {"--parameters", false, [](RenderOptions& o, const std::string&) { o.listParameters = true; }},
        {"--plugin", true, [](RenderOptions& o, const std::string& v) { o.pluginPath = v; }},
        {"--rate", true,
         [](RenderOptions& o, const std::string& v) {
             o.sampleRate = parseNumber("--rate", v);
             if (o.sampleRate < 1000.0 || o.sampleRate > 1536000.0)
                 throw HostError("--rate must be between 1000 and 1536000 Hz");
         }},
        {"--block", true,
         [](RenderOptions& o, const std::string& v) {
             const double n = parseNumber("--block", v);
             if (n != std::floor(n) || n < 1 || n > 65536) throw HostError("--block must be a whole number from 1 to 65536");
             o.blockSize = static_cast<int>(n);
         }},
        {"--mono", false, [](RenderOptions& o, const std::string&) { o.mono = true; }},
        {"--set", true,
         [](RenderOptions& o, const std::string& v) {
             const auto eq = v.find('=');
             if (eq == std::string::npos || eq == 0) throw HostError("--set needs NAME=VALUE, not '" + v + "'");
             o.assignments.emplace_back(v.substr(0, eq), v.substr(eq + 1));
         }},
        {"--state-in", true, [](RenderOptions& o, const std::string& v) { o.stateIn = v; }},
        {"--state-out", true, [](RenderOptions& o, const std::string& v) { o.stateOut = v; }},
        {"--tail", true,
         [](RenderOptions& o, const std::string& v) {
             const double t = parseNumber("--tail", v);
             if (t < 0.0 || t > 3600.0) throw HostError("--tail must be between 0 and 3600 seconds");
             o.tailSeconds = t;
         }},
        {"--preset", true, [](RenderOptions& o, const std::string& v) { o.factoryPreset = v; }},
        {"--user-preset", true, [](RenderOptions& o, const std::string& v) { o.userPreset = v; }},
        {"--editor-png", true, [](RenderOptions& o, const std::string& v) { o.editorPng = v; }},
    };
    return table;
}

}  // namespace

RenderOptions parseRenderOptions(int argc, const char* const* argv) {
    RenderOptions options;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.size() > 1 && arg[0] == '-') {
            std::string name = arg, value;
            bool inlineValue = false;
            if (const auto eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                inlineValue = true;
            }
            const OptionInfo* option = nullptr;
            for (const OptionInfo& s : optionTable())
                if (s.name == name) option = &s;
            if (!option) throw HostError("unknown option '" + arg + "' (see --help)");
            if (option->takesValue && !inlineValue) {
                if (i + 1 >= argc) throw HostError(name + " needs a value");
                value = argv[++i];
            } else if (!option->takesValue && inlineValue) {
                throw HostError(name + " takes no value");
            }
            option->apply(options, value);
        } else {
            positional.push_back(arg);
        }
    }
    if (options.help || options.listParameters) return options;
    if (positional.size() != 2) throw HostError("expected INPUT and OUTPUT.wav (see --help)");
    options.input = positional[0];
    options.output = positional[1];
    if (!options.factoryPreset.empty() && !options.userPreset.empty())
        throw HostError("give either --preset or --user-preset, not both");
    return options;
}

std::string renderUsage() {
    return "usage: halcyra-render [--plugin PATH.vst3] [--rate HZ] [--block N] [--mono]\n"
           "                      [--set NAME=VALUE]... [--state-in FILE] [--state-out FILE]\n"
           "                      [--tail SECONDS] [--preset NAME] [--user-preset NAME]\n"
           "                      [--editor-png FILE.png] INPUT OUTPUT.wav\n"
           "       halcyra-render [--plugin PATH.vst3] --parameters\n"
           "\n"
           "Renders INPUT through the Halcyra VST3 module into a 32-bit float stereo WAV.\n"
           "  INPUT              an audio file, 'impulse' (unit impulse, 12 s) or 'demo' (8 s of music)\n"
           "  --plugin PATH      module bundle (default: Halcyra.vst3 beside this program)\n"
           "  --rate HZ          sample rate (default: the file's, else 48000; files are not resampled)\n"
           "  --block N          frames per process call (default 512)\n"
           "  --mono             play the input as a mono track (stereo output as always)\n"
           "  --set NAME=VALUE   parameter by display name, value in its units or an item text\n"
           "                     (e.g. --set Size=0.8 --set Events=Comet); applied before the first block\n"
           "                     and before a preset, so --set \"Mix Lock=Unlocked\" lets it recall Mix\n"
           "  --state-in FILE    restore a saved state (or a .vstpreset file) first; --state-out FILE\n"
           "                     saves the state after rendering\n"
           "  --tail SECONDS     extra output after the input ends (default 0 for impulse, 4 otherwise)\n"
           "  --preset NAME      recall a factory preset; --user-preset NAME loads a user preset\n"
           "  --editor-png FILE  open the editor (in a private Xvfb when there is no display), play the\n"
           "                     first 2.5 s in real time while it animates, and save a picture of it\n"
           "  --parameters       list every parameter as a host sees it (id, title, units, range,\n"
           "                     default, steps, flags) and exit: the names --set takes\n";
}

}  // namespace halcyra::render
