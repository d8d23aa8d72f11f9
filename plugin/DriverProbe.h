// Read-only views into the block driver for tests and diagnostics: how the last
// block was cut up, how often the once-per-block steps ran, and the smoothed
// values. Nothing here is needed to run the plug-in.
#pragma once

#include <cstdint>

namespace halcyra {

struct BlockTrace {
    static constexpr int kRecordedSubBlocks = 16;

    // Running totals since construction.
    std::uint64_t blocks = 0;  // blocks that ran the audio path (silenced ones excluded)
    std::uint64_t subBlocks = 0;
    std::uint64_t queueDrains = 0;
    std::uint64_t blockSmoothings = 0;
    std::uint64_t meterUpdates = 0;
    std::uint64_t snapshotsPublished = 0;

    // The last block's sub-blocks (the first kRecordedSubBlocks of them).
    int lastSubBlockCount = 0;
    int lastSubBlockFrames[kRecordedSubBlocks] = {};
};

struct DriverState {
    float weather = 0, size = 0, brightness = 0, wind = 0, spacing = 0, gust = 0;
    float rate = 0;
    float wetAmount = 0;
    float outputGain = 0;
    float mappingCalibration = 0;
    bool primed = false;
    int capacity = 0;
};

}  // namespace halcyra
