// Decides when and where stars light up: onset stars on sharp input rises, Poisson
// random stars weighted by the sky, and the editor's requested stars; picks a voice
// slot for each, stealing one that has faded 18 dB below its peak. Its clocks are
// 64-bit so hours of running never stall them.
#pragma once

#include <cstdint>

#include "dsp/reverb/ReverbSettings.h"
#include "dsp/stars/OnsetDetector.h"

namespace halcyra {

class SkyPoints;

inline constexpr int kStarSlots = 8;
inline constexpr int kMaxStarEvents = 32;

struct StarEvent {
    std::int32_t point = 0;
    float gain = 0.0f;
    float pitch = 70.0f;
    float colour = 0.0f;
    std::uint32_t seed = 0;
    std::int32_t slot = 0;
    std::uint8_t stolen = 0;
    std::int32_t type = 1;
};

// What slot choice knows about each voice slot this sub-block.
struct VoiceSlotState {
    bool occupied = false;
    float peak = 0.0f;
    float highestPeak = 0.0f;
    float ageSeconds = 0.0f;
};

class StarScheduler {
public:
    static constexpr int kPoints = 128;

    void reset(std::uint32_t eventSeed);

    // Auto mode: advances the clock by dt and appends this sub-block's events
    // (at most kMaxStarEvents in total). Returns the new event count.
    int schedule(double dt, const OnsetValues& onset, const float* sky, const ReverbSettings& settings,
                 VoiceSlotState* slots, StarEvent* events, int eventCount);

    // A star the editor asked for at `point`; appended when a slot is free.
    // Returns the new event count. Does not touch the clocks.
    int request(int point, const OnsetValues& onset, const float* sky, const ReverbSettings& settings,
                VoiceSlotState* slots, StarEvent* events, int eventCount);

    double time() const { return time_; }
    double lastEventTime() const { return lastEventTime_; }
    double lastPointTime(int point) const { return lastPointTime_[point]; }
    std::uint32_t generatorState() const { return generator_; }

private:
    std::uint32_t next();
    double uniform() { return next() * 0x1p-32; }
    int choosePoint(const float* sky);
    static int chooseSlot(const VoiceSlotState* slots, bool& stolen);
    int createEvent(int point, int slot, bool stolen, float gain, const ReverbSettings& settings,
                    VoiceSlotState* slots, StarEvent* events, int eventCount, bool touchClocks);

    const SkyPoints* points_ = nullptr;
    double time_ = 0.0;
    double lastEventTime_ = -1e9;
    double lastPointTime_[kPoints] = {};
    bool armed_ = true;
    bool hasLastEvent_ = false;
    float lastAzimuth_ = 0.0f;
    std::uint32_t generator_ = 1;
    float cumulative_[kPoints] = {};
    float elevationWeight_[kPoints] = {};
};

}  // namespace halcyra
