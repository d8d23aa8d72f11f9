// The plug-in's own audio side, free of any plug-in format: parameters, the reset
// and per-block callbacks of the block driver, and what the editor reads from it.
// The VST3 frame owns one of these and forwards the host's calls.
#pragma once

#include <atomic>

#include "dsp/stars/EditorCommandQueue.h"
#include "plugin/BlockIO.h"
#include "plugin/DriverProbe.h"
#include "plugin/ParameterStore.h"
#include "plugin/SampleRateRange.h"
#include "plugin/SkyFeed.h"
#include "plugin/SkyFeedBuffer.h"  // SkyFeedReader

namespace halcyra {

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
    // at the prepared rate, clears the engines without allocating. A rate outside
    // kLowestSampleRate..kHighestSampleRate leaves the plug-in unprepared (blocks
    // output silence).
    // May throw std::bad_alloc; the plug-in is then unprepared and silent until a
    // later reset succeeds.
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

    // Diagnostics for tests: block structure counters and smoothed values (audio
    // thread state; read them only while no block is running).
    const BlockTrace& blockTrace() const;
    DriverState driverState() const;

private:
    struct Impl;
    Impl* impl_;
};

}  // namespace halcyra
