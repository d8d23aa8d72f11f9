// The plug-in's own audio side, free of any plug-in format: parameters, the reset
// and per-block callbacks of the block driver, and what the editor reads from it.
// The VST3 frame owns one of these and forwards the host's calls.
#pragma once

#include <atomic>

#include "dsp/stars/EditorCommandQueue.h"
#include "plugin/ParameterStore.h"
#include "plugin/SkyFeed.h"

namespace halcyra {

class SkyFeedReader;

struct BlockIO {
    const double* const* inputs = nullptr;  // numInputs channel pointers (may be null when numInputs == 0)
    double* const* outputs = nullptr;        // numOutputs channel pointers
    int numInputs = 0;                       // connected input channels: 0, 1 or 2
    int numOutputs = 0;                      // connected output channels: 0, 1 or 2
    int numFrames = 0;
    double sampleRate = 0.0;
    double tempo = 0.0;                      // host tempo in BPM; <= 0 when unknown
};

class HalcyraPlugin {
public:
    HalcyraPlugin();
    ~HalcyraPlugin();
    HalcyraPlugin(const HalcyraPlugin&) = delete;
    HalcyraPlugin& operator=(const HalcyraPlugin&) = delete;

    ParameterStore& parameters();
    const ParameterStore& parameters() const;

    // Reset callback, called when the host (re)starts processing; never during a block.
    // Prepares everything for a new sample rate (the only place that allocates) or,
    // at the prepared rate, clears the engines without allocating.
    void reset(double sampleRate);

    // Per-block callback on the audio thread.
    void processBlock(const BlockIO& io);

    // Editor side of the SkyFeed triple buffer (one reader at a time; its slot
    // index lives here so a reopened editor continues with it).
    SkyFeedReader& skyFeedReader();

    // Commands from the editor (star requests, sky jumps), drained once per block.
    EditorCommandQueue& commandQueue();

    // Sample rate the engines are prepared for (0 when unprepared); safe from any thread.
    double preparedSampleRate() const;

    // Seconds of output that may follow the last non-silent input (reverb decay and
    // the longest star voice), for the host's tail query. Safe from any thread.
    double tailSeconds() const;

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace halcyra
