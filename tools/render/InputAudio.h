// What halcyra-render plays into the effect: an audio file, a unit impulse or the demo.
#pragma once

#include <string>

#include "tools/render/DemoSignal.h"

namespace halcyra::render {

// Impulse renders run this long so the longest decay fits without a --tail.
inline constexpr double kImpulseSeconds = 12.0;

struct InputAudio {
    StereoAudio audio;      // right is empty for a mono input
    int channels = 2;
    double sampleRate = 0;  // the file's rate, or the requested rate for generated input
    bool generated = false; // impulse or demo
    bool impulse = false;
};

// source: "impulse", "demo" or a path libsndfile can read. requestedRate 0 = default
// (file's rate, else 48000). mono folds the input to one channel. Throws
// host::HostError with a one-line reason.
InputAudio loadInput(const std::string& source, double requestedRate, bool mono);

}  // namespace halcyra::render
