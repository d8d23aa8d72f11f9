// The audio side of the editor benchmarks: publishes one SkyFeed per editor frame,
// as the block driver would, with or without stars and levels.
#pragma once

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "dsp/stars/SkyField.h"
#include "plugin/SkyFeedBuffer.h"

namespace halcyra {

inline constexpr double kFrameSeconds = 1.0 / 60.0;
inline constexpr int kSamplesPerFrame = 800;  // 48 kHz

// The process's CPU time, rasteriser threads included.
inline double processCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return 1e3 * static_cast<double>(ts.tv_sec) + 1e-6 * static_cast<double>(ts.tv_nsec);
}

// The audio side as the editor sees it: the real sky simulation for the clouds,
// stars at random points with their ages counting up, and meter levels.
class BenchAudioSide {
public:
    explicit BenchAudioSide(SkyFeedTripleBuffer& feed) : feed_(feed) {}

    void Publish(bool stars) {
        SkyFeed& s = feed_.writeSlot();
        s = SkyFeed{};
        const float* w = sky_.step(kFrameSeconds);
        std::copy(w, w + kSkyPointCount, s.weights);
        s.onsetGain = 0.6f;
        if (stars) {
            for (int i = 0; i < count_; ++i) events_[i].ageSamples += kSamplesPerFrame;
            // Oldest first out once past the longest lifetime.
            while (count_ > 0 && events_[count_ - 1].ageSamples > 80000) --count_;
            if (uniform_(rng_) < 8.0f * static_cast<float>(kFrameSeconds)) {
                std::copy_backward(events_, events_ + std::min(count_, kMaxRecentEvents - 1),
                                   events_ + std::min(count_ + 1, kMaxRecentEvents));
                count_ = std::min(count_ + 1, kMaxRecentEvents);
                events_[0] = {static_cast<std::int32_t>(uniform_(rng_) * 127.0f), 0.6f + 0.4f * uniform_(rng_), 0, 1,
                              -30.0f + 24.0f * uniform_(rng_)};
            }
            s.flashCount = count_;
            std::copy(events_, events_ + count_, s.flashes);
            s.reverbLevel = 0.25f + 0.1f * uniform_(rng_);
            s.peakLeft = s.peakRight = 0.3f + 0.2f * uniform_(rng_);
            s.rmsLeft = s.rmsRight = 0.1f + 0.05f * uniform_(rng_);
        }
        feed_.publish();
    }

private:
    SkyFeedTripleBuffer& feed_;
    SkyField sky_;
    RecentEvent events_[kMaxRecentEvents];
    int count_ = 0;
    std::mt19937 rng_{7};
    std::uniform_real_distribution<float> uniform_{0.0f, 1.0f};
};

}  // namespace halcyra
