// Shared helpers of the frame tests: the built bundle loaded once, running instances,
// rendering whole signals through them, and state bytes written independently of the
// plug-in's own code.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tools/host/PluginInstance.h"
#include "tools/host/Vst3Module.h"

namespace halcyra::test {

host::Vst3Module& sharedModule();

std::unique_ptr<host::PluginInstance> makeInstance();
std::unique_ptr<host::PluginInstance> startedInstance(const host::ProcessSettings& settings);

struct Stereo {
    std::vector<double> left, right;
};

// Deterministic music-like test signal: a decaying noise burst plus a sine, in -0.5..0.5.
std::vector<double> testSignal(int frames, std::uint32_t seed);

// Runs `input` (one or two channels, as the instance was configured) through the
// instance in blocks of `block` frames with 32-bit or 64-bit buffers.
Stereo render(host::PluginInstance& instance, const std::vector<std::vector<double>>& input, int block,
              bool doublePrecision);

bool allFinite(const Stereo& s);
double peak(const std::vector<double>& x, std::size_t from = 0);

// 164-byte state from values in own units and a bypass flag, little-endian.
std::vector<std::uint8_t> stateBytes(const std::vector<double>& values, std::int32_t bypass);
double stateValue(const std::vector<std::uint8_t>& state, int index);

// Parameter values in own units as the controller reports them.
double plainValue(host::PluginInstance& instance, int index);

inline const std::vector<double> kDefaults = {0.5, 100, 1, 0.2, 1, 1, 0.5, 0, 0, 1,
                                              0,   0,   0, 0,   0, 0, 0,   30, 1.6, 0};

}  // namespace halcyra::test
