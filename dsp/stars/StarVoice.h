// One star voice: replays its shimmer line with a raised-cosine attack and an
// exponential decay through the tone shelf and a 500 Hz high-pass, and tracks its own
// peak so the scheduler can tell a fading voice it may steal.
#pragma once

#include <cstdint>

#include "dsp/stars/ToneCompensation.h"

namespace halcyra {

struct StarVoiceStart {
    int point = 0;
    float gain = 0.0f;
    float tone = 0.5f;
    float decaySeconds = 1.0f;  // h: the envelope falls 80 dB in this time
    int shimmerLine = 0;
    float attackMs = 30.0f;
    float character = 0.5f;
};

class StarVoice {
public:
    void prepare(double sampleRate);
    void clear();  // inactive, filter and follower states zeroed

    void start(const StarVoiceStart& s, const ToneCompensation& compensation);

    // Adds outGain x the voice's n samples to dest, reading source (sourceLength
    // samples; silence past it). Does nothing when inactive.
    void render(const float* source, int sourceLength, int n, float outGain, float* dest);
    // Moves the voice n samples on without computing them (nobody hears it): it ends
    // at the same sample as when rendered. Its filters are emptied, and until it is
    // rendered again its peak follower reads gain x envelope instead of the signal.
    void skip(int n);

    bool active() const { return active_; }
    int point() const { return point_; }
    int shimmerLine() const { return source_; }
    float gain() const { return gain_; }
    float levelDb() const { return levelDb_; }
    float peak() const { return peak_; }
    float highestPeak() const { return highestPeak_; }
    std::int64_t sampleCounter() const { return counter_; }
    int attackSamples() const { return attack_; }
    std::int64_t endSample() const { return end_; }

private:
    double envelope() const;  // at the current sample
    double nextEnvelope();    // the same, then moves the decay on
    bool endsAfter(double envelope) const { return counter_ > attack_ && (envelope < 1e-4 || counter_ >= end_); }

    double sampleRate_ = 48000.0;
    float highPassCoeff_ = 0.0f;
    float peakRelease_ = 0.0f;

    bool active_ = false;
    int source_ = 0;
    int point_ = 0;
    float gain_ = 0.0f;
    float toneGain_ = 1.0f;
    ShelfCoefficients shelf_;
    float z1_ = 0.0f, z2_ = 0.0f;
    int attack_ = 1;
    std::int64_t end_ = 0;
    double decayStep_ = 1.0;  // per-sample factor of the exponential decay
    double decay_ = 1.0;      // the envelope after the attack
    std::int64_t counter_ = 0;
    float highPass_ = 0.0f;
    float peak_ = 0.0f, highestPeak_ = 0.0f;
    float levelDb_ = -120.0f;
    bool silent_ = false;  // skipped since last rendered
};

}  // namespace halcyra
