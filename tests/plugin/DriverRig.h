// Drives a HalcyraPlugin the way the frame does: 64-bit channel buffers, the
// connected channel counts, the sample rate and tempo.
#pragma once

#include <random>
#include <vector>

#include "plugin/HalcyraPlugin.h"

namespace halcyra::test {

struct DriverRig {
    HalcyraPlugin plugin;
    std::vector<double> inL, inR, outL, outR;
    int numInputs = 2;
    int numOutputs = 2;
    double sampleRate = 48000.0;
    bool bypass = false;

    void resize(int frames) {
        inL.assign(frames, 0.0);
        inR.assign(frames, 0.0);
        outL.assign(frames, 0.0);
        outR.assign(frames, 0.0);
    }

    // Runs one block over whatever is in inL / inR.
    void run() {
        const double* ins[] = {inL.data(), inR.data()};
        double* outs[] = {outL.data(), outR.data()};
        BlockIO io{ins, outs, numInputs, numOutputs, static_cast<int>(inL.size()), sampleRate, 120.0, bypass};
        plugin.processBlock(io);
    }

    void set(int param, double value) { plugin.parameters().set(param, value); }
};

inline std::vector<double> noise(int n, unsigned seed, double amplitude = 0.5) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> d(-amplitude, amplitude);
    std::vector<double> v(n);
    for (double& x : v) x = d(rng);
    return v;
}

}  // namespace halcyra::test
