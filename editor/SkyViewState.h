// What the sky view draws from: cloud weight per sky point, the recent star
// flashes and a few weather scalars. The idle sky fills one of its own; once the
// plug-in produces data, the feeder fills another and the view draws that.
#pragma once

#include "editor/SkyPoints.h"

namespace halcyra {

// A flash this old (seconds) is gone for good, whatever its lifetime setting.
inline constexpr float kSkyFlashExpiredAge = 1.6f;
inline constexpr int kSkyFlashCount = 32;

struct SkyFlash {
    float azimuth = 0.0f;    // degrees
    float elevation = 0.0f;  // degrees
    float intensity = 0.0f;  // 0..1
    float age = kSkyFlashExpiredAge;  // seconds
    float level = 0.0f;      // dB

    bool Expired() const { return !(age < kSkyFlashExpiredAge); }
};

struct SkyViewState {
    float weights[SkyPointTable::kCount] = {};  // nominally 0..1
    SkyFlash flashes[kSkyFlashCount];
    float reverbLevel = 0.0f;
    float size = 0.5f;
    float brightness = 0.55f;
    float wind = 0.4f;
    float rate = 0.28f;
    float onsetGain = 1.0f;

    bool AnyFlashAlive() const {
        for (const SkyFlash& f : flashes)
            if (!f.Expired()) return true;
        return false;
    }
};

}  // namespace halcyra
