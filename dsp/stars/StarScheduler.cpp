#include "dsp/stars/StarScheduler.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "dsp/stars/SkyPoints.h"

namespace halcyra {

namespace {
float smoothStep(float x) { return (3.0f - 2.0f * x) * x * x; }

constexpr double kOnsetSpacing = 0.15;   // seconds between any two stars
constexpr double kPointSpacing = 0.06;   // seconds between stars at one point
constexpr float kExclusionDegrees = 30.0f;
constexpr float kStealRatio = 0.1259f;   // 18 dB below the voice's highest peak
constexpr float kMinStealAge = 0.05f;
constexpr int kMaxCandidates = 63;
}  // namespace

void StarScheduler::reset(std::uint32_t eventSeed) {
    points_ = &skyPoints();
    time_ = 0.0;
    lastEventTime_ = -1e9;
    std::fill(std::begin(lastPointTime_), std::end(lastPointTime_), -1e9);
    armed_ = true;
    hasLastEvent_ = false;
    lastAzimuth_ = 0.0f;
    generator_ = eventSeed == 0 ? 1u : eventSeed;
    for (int i = 0; i < kPoints; ++i)
        elevationWeight_[i] = 0.85f * smoothStep(std::clamp(points_->elevation(i) / 40.0f, 0.0f, 1.0f)) + 0.15f;
}

std::uint32_t StarScheduler::next() {
    std::uint32_t x = generator_;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    if (x == 0) x = 1;
    generator_ = x;
    return x;
}

int StarScheduler::choosePoint(const float* sky) {
    for (int pass = 0; pass < 2; ++pass) {
        const bool exclude = pass == 0 && hasLastEvent_;
        float total = 0.0f;
        for (int i = 0; i < kPoints; ++i) {
            float w = elevationWeight_[i] * (std::max(sky[i], 0.0f) + 0.2f);
            if (exclude && std::fabs(points_->azimuth(i) - lastAzimuth_) < kExclusionDegrees) w = 0.0f;
            total += w;
            cumulative_[i] = total;
        }
        if (total > 0.0f) {
            const float threshold = static_cast<float>(uniform()) * total;
            for (int i = 0; i < kPoints; ++i)
                if (cumulative_[i] >= threshold) return i;
            return kPoints - 1;
        }
        if (!exclude) break;
    }
    return -1;
}

int StarScheduler::chooseSlot(const VoiceSlotState* slots, bool& stolen) {
    for (int s = 0; s < kStarSlots; ++s) {
        if (!slots[s].occupied) {
            stolen = false;
            return s;
        }
    }
    int best = -1;
    for (int s = 0; s < kStarSlots; ++s) {
        const VoiceSlotState& v = slots[s];
        if (v.ageSeconds >= kMinStealAge && v.highestPeak > 0.0f && v.peak < kStealRatio * v.highestPeak &&
            (best < 0 || v.peak < slots[best].peak))
            best = s;
    }
    stolen = best >= 0;
    return best;
}

int StarScheduler::createEvent(int point, int slot, bool stolen, float gain, const ReverbSettings& settings,
                               VoiceSlotState* slots, StarEvent* events, int eventCount, bool touchClocks) {
    StarEvent e;
    e.point = point;
    e.gain = gain;
    const float u1 = static_cast<float>(uniform());
    e.pitch = std::max(70.0f, (0.25f * u1 + 0.9f) * settings.pitchBase);
    e.seed = next();
    e.colour = settings.colour;
    e.slot = slot;
    e.stolen = stolen ? 1 : 0;
    e.type = 1;
    if (eventCount < kMaxStarEvents) events[eventCount++] = e;
    slots[slot] = {true, 1.0f, 1.0f, 0.0f};
    lastAzimuth_ = points_->azimuth(point);
    hasLastEvent_ = true;
    if (touchClocks) {
        lastPointTime_[point] = time_;
        lastEventTime_ = time_;
    }
    return eventCount;
}

int StarScheduler::schedule(double dt, const OnsetValues& onset, const float* sky, const ReverbSettings& settings,
                            VoiceSlotState* slots, StarEvent* events, int eventCount) {
    if (!(dt > 0.0)) return eventCount;
    time_ += dt;
    const float a = std::max(onset.activity, 0.0f);
    const float r = onset.ratio;
    const float activityBoost = 0.5f * std::sqrt(a) + 1.0f;
    auto skyGain = [&](int point) { return std::max(0.35f, std::max(sky[point], 0.0f)) * settings.eventGain * activityBoost; };

    // Onset star on a sharp rise, re-armed once the input settles.
    if (r < 0.25f) armed_ = true;
    if (armed_ && r >= 0.6f) {
        armed_ = false;
        if (time_ - lastEventTime_ >= kOnsetSpacing) {
            const int point = choosePoint(sky);
            if (point >= 0 && time_ - lastPointTime_[point] >= kPointSpacing) {
                bool stolen = false;
                const int slot = chooseSlot(slots, stolen);
                if (slot >= 0) eventCount = createEvent(point, slot, stolen, skyGain(point), settings, slots, events, eventCount, true);
            }
        }
    }

    // Random stars: a Poisson number of candidates, each admitted with a probability
    // that grows with the onset ratio.
    double total = 0.0;
    for (int i = 0; i < kPoints; ++i) total += std::pow(std::max(sky[i], 0.0f), settings.weightExponent);
    const float W = static_cast<float>(total);
    if (!(W > 0.0f)) return eventCount;
    const float calibration = settings.calibration;
    float lambda = (std::sqrt(a) * settings.onsetBoost + 1.0f) * (calibration > 0.0f ? std::min(4.0f, W / calibration) : 1.0f) *
                   settings.eventRate;
    lambda = static_cast<float>(std::max(lambda, 0.0f) * dt);
    if (!(lambda > 0.0f)) return eventCount;

    int candidates = 0;
    if (lambda < 0.25f) {
        candidates = lambda > uniform() ? 1 : 0;
    } else {
        const double limit = std::exp(-static_cast<double>(lambda));
        double product = 1.0;
        while (candidates < kMaxCandidates) {
            product *= uniform();
            if (!(product > limit)) break;
            ++candidates;
        }
    }

    const float admit = 0.9f * smoothStep(std::clamp((r - 0.6f) / 1.2f, 0.0f, 1.0f));
    for (int k = 0; k < candidates; ++k) {
        if (!(admit > 0.0f)) continue;
        if (!(admit > uniform())) continue;
        const int point = choosePoint(sky);
        if (point < 0) continue;
        if (time_ - lastPointTime_[point] < kPointSpacing || time_ - lastEventTime_ < kOnsetSpacing) continue;
        bool stolen = false;
        const int slot = chooseSlot(slots, stolen);
        if (slot < 0) continue;
        eventCount = createEvent(point, slot, stolen, skyGain(point), settings, slots, events, eventCount, true);
    }
    return eventCount;
}

int StarScheduler::request(int point, const OnsetValues& onset, const float* sky, const ReverbSettings& settings,
                           VoiceSlotState* slots, StarEvent* events, int eventCount) {
    if (point < 0 || point >= kPoints) return eventCount;
    if (!points_) points_ = &skyPoints();
    bool stolen = false;
    const int slot = chooseSlot(slots, stolen);
    if (slot < 0) return eventCount;
    const float a = std::max(onset.activity, 0.0f);
    const float gain = (0.5f * std::sqrt(a) + 1.0f) * std::max(0.6f, std::max(sky[point], 0.0f)) * settings.eventGain;
    return createEvent(point, slot, stolen, gain, settings, slots, events, eventCount, false);
}

}  // namespace halcyra
