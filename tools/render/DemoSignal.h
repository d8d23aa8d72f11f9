// The built-in test signal: about eight seconds of music made in code (plucked
// strings, a held chord, a drum hit, then room for the tail), stereo.
#pragma once

#include <vector>

namespace halcyra::render {

struct StereoAudio {
    std::vector<float> left;
    std::vector<float> right;
    int frames() const { return static_cast<int>(left.size()); }
};

inline constexpr double kDemoSeconds = 8.0;

StereoAudio makeDemoSignal(double sampleRate);

}  // namespace halcyra::render
