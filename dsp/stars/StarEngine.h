// The stars: the onset detector, the sky field, the scheduler, eight voices replaying
// three shimmer lines, and binaural placement of every voice at its sky point. One
// instance lives on the audio thread; everything is sized in prepare and nothing
// allocates after.
//
// Every decision (sky step, scheduling, voice starts, channel binding) is taken on a
// fixed grid of the sample timeline, a tick of a few milliseconds, from the onset
// values of the tick before: the same audio gives the same stars at the same samples
// however the host cuts it into blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "dsp/reverb/ReverbSettings.h"
#include "dsp/stars/BinauralRenderer.h"
#include "dsp/stars/EditorCommandQueue.h"
#include "dsp/stars/HrirSet.h"
#include "dsp/stars/OnsetDetector.h"
#include "dsp/stars/RecentEventList.h"
#include "dsp/stars/ShimmerLine.h"
#include "dsp/stars/SkyField.h"
#include "dsp/stars/StarScheduler.h"
#include "dsp/stars/StarVoice.h"
#include "dsp/stars/ToneCompensation.h"

namespace halcyra {

// Written by the driver before every block.
struct StarBlockSettings {
    float starGain = 1.0f;      // the fixed star level as a gain
    float level = 1.0f;         // 2 x "Level"
    float character = 0.5f;     // 0..1
    float attackMs = 30.0f;
    float decaySeconds = 1.6f;
    int responseMs = 0;         // 0 = start at once
};

enum class StarEventMode : int { Auto = 0, Star = 1, Comet = 2 };

class StarEngine {
public:
    static constexpr int kVoices = kStarSlots;
    static constexpr int kMaxRequests = 8;
    // Length of the decision grid.
    static constexpr double kTickSeconds = 0.004;
    // A voice whose slot is taken fades out over this time instead of stopping dead.
    static constexpr double kStealFadeSeconds = 0.005;

    StarEngine();

    // Allocates: buffers, the HRIR set for this rate, the tone table. The sky is
    // re-initialised with its current targets. Running out of memory while reading
    // the HRIR set is not fatal: the stars then sound centred.
    void prepare(double sampleRate, int capacity, std::uint32_t skySeed = 1337, std::uint32_t eventSeed = 0x51C0FFEE);
    void clear();

    // One sub-block: n samples of the reverb's diffused feed and of the mono input
    // (for the onset detector) in, n samples of stars out (overwritten). n above the
    // capacity gives silence.
    void process(const float* excitation, const float* input, int n, const ReverbSettings& settings, float* outL,
                 float* outR);

    // How long after the input that lights it a star can still sound with these
    // settings: a tick to notice the onset, the response delay (rounded up to the
    // grid), the attack, the decay to -80 dB, and the way out through the HRIR and
    // the interaural delay.
    static double longestStarSeconds(const StarBlockSettings& settings);

    // With the stars' output gain at 0 (and the binaural rings played out) nothing of
    // the shifters, voices or convolution can be heard, so by default none of it is
    // computed; the sky, the scheduler and every voice's lifetime still run. False
    // renders everything regardless (benchmarks and tests compare the two).
    void setSkipInaudible(bool skip) { skipInaudible_ = skip; }

    void setBlockSettings(const StarBlockSettings& settings) { block_ = settings; }
    const StarBlockSettings& blockSettings() const { return block_; }
    void setEventMode(int mode) { eventMode_ = mode; }
    int eventMode() const { return eventMode_; }
    void setSkyTargets(const double* targets) { sky_.setTargets(targets); }

    // A star the editor asked for at `point`; ignored when 8 are waiting and in
    // "Auto" mode, where the scheduler alone decides.
    void enqueueRequest(int point);

    // Editor commands. A sky jump needs the weather mapping of the current,
    // unsmoothed parameters, which only the driver can compute: it passes them in
    // `jumpSettings` (unused for star requests).
    void handleCommand(const EditorCommand& command, const ReverbSettings& jumpSettings);
    void requestStarAt(float azimuthDeg, float elevationDeg);
    // Targets and currents jump, then the sky pre-rolls so the new weather is
    // already formed. Returns the number of pre-roll steps.
    int skyJump(const double* targets);

    // Read-only views for the driver's snapshot.
    const float* skyValues() const { return sky_.values(); }
    const RecentEventList& recentEvents() const { return recent_; }
    bool voiceActive(int i) const { return voices_[i].active(); }
    int activeVoiceCount() const;
    // The largest onset activity of the last process call (the driver's onset meter).
    float onsetActivity() const { return callActivity_; }
    int tickLength() const { return tickLength_; }

    // For tests and measurements.
    const SkyField& sky() const { return sky_; }
    const StarScheduler& scheduler() const { return scheduler_; }
    const StarVoice& voice(int i) const { return voices_[i]; }
    const HrirSet& hrirSet() const { return hrirs_; }
    int pendingRequests() const { return requestCount_; }
    bool startPending(int slot) const { return pending_[slot].pending; }
    // Events made by the last process call (before any delayed start; the first 32).
    int lastEventCount() const { return eventCount_; }
    const StarEvent& lastEvent(int i) const { return events_[i]; }
    double sampleRate() const { return sampleRate_; }

private:
    struct PendingStart {
        bool pending = false;
        std::int64_t elapsed = 0;
        std::int64_t delay = 0;
        StarVoiceStart start;
    };

    // A stolen voice fading out, then held silent while its channel's HRIR and
    // interaural delay ring out, so nothing is cut.
    struct FadingVoice {
        StarVoice voice;
        int fadeLeft = 0;
        int holdLeft = 0;
        bool active() const { return fadeLeft > 0 || holdLeft > 0; }
    };

    void buildHrirs();
    void decide(const ReverbSettings& settings);
    void bindChannels();
    void render(int offset, int n, float* outL, float* outR);
    void skipRender(int n);
    void renderFading(FadingVoice& fading, int n, float outGain, bool heard);
    void startVoice(int slot, const StarVoiceStart& start);
    float toneFor(int point, const ReverbSettings& settings) const;

    double sampleRate_ = 0.0;
    int capacity_ = 0;
    std::uint32_t skySeed_ = 1337;
    std::uint32_t eventSeed_ = 0x51C0FFEE;

    OnsetDetector onsets_;
    SkyField sky_;
    StarScheduler scheduler_;
    ToneCompensation tone_;
    HrirSet hrirs_;
    BinauralRenderer renderer_;
    PitchShifterWork shiftWork_;  // the lines shift one after another
    ShimmerLine shimmer_[ShimmerLine::kLines];
    std::vector<float> shimmerOut_[ShimmerLine::kLines];  // the current tick's stretch
    StarVoice voices_[kVoices];
    FadingVoice fading_[kVoices];
    std::vector<float> fadeScratch_;
    int fadeLength_ = 1;
    int holdLength_ = 0;
    PendingStart pending_[kVoices];
    RecentEventList recent_;

    int tickLength_ = 1;
    int tickPhase_ = 0;            // samples of the current tick already rendered
    OnsetValues tickOnsets_;       // what the detector saw during the last whole tick
    float callActivity_ = 0.0f;

    StarEvent tickEvents_[kMaxStarEvents];
    StarEvent events_[kMaxStarEvents];  // this call's events, for inspection
    int eventCount_ = 0;
    VoiceSlotState slots_[kVoices];
    int requests_[kMaxRequests] = {};
    int requestCount_ = 0;

    StarBlockSettings block_;
    int eventMode_ = 0;

    bool skipInaudible_ = true;
    std::int64_t quietSamples_ = 0;  // since the output gain last was above 0
};

}  // namespace halcyra
