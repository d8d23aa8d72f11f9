// Command line of halcyra-render. Options live in one table (RenderOptions.cpp), so a
// new one is a row there plus a field here.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace halcyra::render {

struct RenderOptions {
    std::string pluginPath;  // empty: Halcyra.vst3 beside the executable
    double sampleRate = 0;   // 0: the input file's rate, else 48000
    int blockSize = 512;
    bool mono = false;
    std::vector<std::pair<std::string, std::string>> assignments;  // --set NAME=VALUE, in order
    std::string stateIn;
    std::string stateOut;
    std::optional<double> tailSeconds;  // default: 0 for impulse, 4 s otherwise
    std::string factoryPreset;
    std::string userPreset;
    std::string input;
    std::string output;
    std::string editorPng;  // --editor-png: picture of the editor while the render plays
    bool help = false;
    bool listParameters = false;  // --parameters: print what a host sees of each parameter, render nothing
};

// Parses argv; throws host::HostError with a one-line message for bad usage.
RenderOptions parseRenderOptions(int argc, const char* const* argv);

std::string renderUsage();

}  // namespace halcyra::render
