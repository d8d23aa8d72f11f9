#include "dsp/stars/StarEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "dsp/stars/HrirSetCache.h"
#include "dsp/stars/SkyPoints.h"

namespace halcyra {

namespace {
// Flashes older than this leave the editor's list.
constexpr double kRecentSeconds = 1.5;
}

StarEngine::StarEngine() : sky_(1337) {}

void StarEngine::prepare(double sampleRate, int capacity, std::uint32_t skySeed, std::uint32_t eventSeed) {
    sampleRate_ = sampleRate > 0.0 ? sampleRate : 48000.0;
    capacity_ = std::max(1, capacity);
    skySeed_ = skySeed;
    eventSeed_ = eventSeed;

    tone_.prepare(sampleRate_);
    renderer_.prepare(sampleRate_, capacity_, &hrirs_);
    for (int i = 0; i < ShimmerLine::kLines; ++i) {
        shimmer_[i].prepare(sampleRate_, i, capacity_);
        shimmerOut_[i].assign(static_cast<std::size_t>(capacity_), 0.0f);
    }
    for (StarVoice& voice : voices_) voice.prepare(sampleRate_);
    buildHrirs();
    clear();
}

void StarEngine::buildHrirs() {
    const SkyPoints& points = skyPoints();
    try {
        buildKemarHrirSet(hrirs_, sampleRate_, SkyPoints::kCount, points.azimuths(), points.elevations(),
                          hrirTapLimit(sampleRate_));
    } catch (const std::bad_alloc&) {
        // Out of memory while reading the measurements is like data that cannot be
        // opened: the stars still sound, centred. Building from no data leaves the
        // set empty and unloaded whatever the failed build had done.
        hrirs_.build(nullptr, 0, sampleRate_, 0, nullptr, nullptr);
    }
}

void StarEngine::clear() {
    double targets[SkyField::kTargetCount];
    std::copy(sky_.targets(), sky_.targets() + SkyField::kTargetCount, targets);
    sky_.init(skySeed_, targets);
    for (ShimmerLine& line : shimmer_) line.clear();
    scheduler_.reset(eventSeed_);
    for (StarVoice& voice : voices_) voice.clear();
    renderer_.clear();
    for (PendingStart& p : pending_) p = PendingStart{};
    requestCount_ = 0;
    recent_.clear();
    eventCount_ = 0;
}

void StarEngine::enqueueRequest(int point) {
    if (requestCount_ < kMaxRequests) requests_[requestCount_++] = point;
}

void StarEngine::requestStarAt(float azimuthDeg, float elevationDeg) {
    const int point = skyPoints().nearest(azimuthDeg, elevationDeg);
    if (point >= 0) enqueueRequest(point);
}

int StarEngine::skyJump(const double* targets) {
    sky_.jumpTo(targets);
    const int steps = sky_.jumpPrerollSteps();
    for (int s = 0; s < steps; ++s) sky_.step(SkyField::kPrerollStepSeconds);
    return steps;
}

void StarEngine::handleCommand(const EditorCommand& command, const ReverbSettings& jumpSettings) {
    if (command.type == EditorCommandQueue::kStarRequest)
        requestStarAt(command.a, command.b);
    else if (command.type == EditorCommandQueue::kSkyJump)
        skyJump(jumpSettings.skyTargets);
}

int StarEngine::activeVoiceCount() const {
    int count = 0;
    for (const StarVoice& voice : voices_) count += voice.active() ? 1 : 0;
    return count;
}

float StarEngine::toneFor(int point, const ReverbSettings& settings) const {
    const float elevation = skyPoints().elevation(point);
    const float height = std::clamp((elevation + 10.0f) / 55.0f, 0.0f, 1.0f);
    const float base = std::clamp(height * 0.45f + 0.3f + (settings.brightness - 0.55f) * 0.6f, 0.0f, 1.0f);
    return std::clamp(base + (block_.character - 0.5f) * 0.5f, 0.0f, 1.0f);
}

void StarEngine::startVoice(int slot, const StarVoiceStart& start) {
    StarVoiceStart s = start;
    s.attackMs = block_.attackMs;
    s.character = block_.character;
    voices_[slot].start(s, tone_);
    RecentEvent record;
    record.point = s.point;
    record.gain = s.gain;
    record.ageSamples = 0;
    record.type = 1;
    record.levelDb = voices_[slot].levelDb();
    recent_.add(record, static_cast<long long>(std::ceil(kRecentSeconds * sampleRate_)));
}

void StarEngine::process(const float* excitation, int n, double dt, float a, float r, float v,
                         const ReverbSettings& settings, float* outL, float* outR) {
    if (n <= 0) return;
    std::fill(outL, outL + n, 0.0f);
    std::fill(outR, outR + n, 0.0f);
    if (n > capacity_) return;

    const float* sky = sky_.step(dt);

    for (int s = 0; s < kVoices; ++s) {
        if (pending_[s].pending) {
            slots_[s] = {true, 1.0f, 1.0f, 0.0f};
        } else {
            const StarVoice& voice = voices_[s];
            slots_[s] = {voice.active(), voice.peak(), voice.highestPeak(),
                         static_cast<float>(static_cast<double>(voice.sampleCounter()) / sampleRate_)};
        }
    }

    const OnsetValues onset{a, r, v};
    eventCount_ = 0;
    if (eventMode_ != 0) {
        for (int q = 0; q < requestCount_ && eventCount_ < kMaxStarEvents; ++q)
            eventCount_ = scheduler_.request(requests_[q], onset, sky, settings, slots_, events_, eventCount_);
        requestCount_ = 0;
    } else {
        eventCount_ = scheduler_.schedule(dt, onset, sky, settings, slots_, events_, eventCount_);
    }

    const float decaySeconds =
        static_cast<float>(std::pow(2.0, (0.5 - block_.character) * 1.2) * block_.decaySeconds);

    for (int s = 0; s < kVoices; ++s) {
        PendingStart& p = pending_[s];
        if (!p.pending) continue;
        p.elapsed += n;
        if (p.elapsed >= p.delay) {
            p.pending = false;
            startVoice(s, p.start);
        }
    }

    const bool immediate = block_.responseMs <= 0 || eventMode_ != 0;
    for (int e = 0; e < eventCount_; ++e) {
        const StarEvent& event = events_[e];
        if (event.slot < 0 || event.slot >= kVoices) continue;
        StarVoiceStart start;
        start.point = event.point;
        start.gain = event.gain;
        start.tone = toneFor(event.point, settings);
        start.decaySeconds = decaySeconds;
        start.shimmerLine = static_cast<int>(event.seed % 3u);
        // The shimmer line is not disturbed by a new star: it keeps ringing as it is.
        if (immediate) {
            startVoice(event.slot, start);
        } else {
            PendingStart& p = pending_[event.slot];
            p.pending = true;
            p.elapsed = 0;
            p.delay = static_cast<std::int64_t>(block_.responseMs * 0.001 * sampleRate_);
            p.start = start;
        }
    }

    for (int i = 0; i < ShimmerLine::kLines; ++i) shimmer_[i].process(excitation, n, shimmerOut_[i].data());

    bool active[kVoices];
    int points[kVoices];
    for (int s = 0; s < kVoices; ++s) {
        active[s] = voices_[s].active();
        points[s] = voices_[s].point();
    }
    renderer_.bind(active, points, kVoices, n);
    const float outGain = block_.level * block_.starGain;
    for (int s = 0; s < kVoices; ++s) {
        if (!active[s]) continue;
        // A voice whose point found no channel waits, silent and frozen.
        float* channel = renderer_.inputFor(points[s]);
        if (!channel) continue;
        StarVoice& voice = voices_[s];
        voice.render(shimmerOut_[voice.shimmerLine()].data(), n, n, outGain, channel);
    }
    renderer_.render(n, outL, outR);

    recent_.age(n, static_cast<long long>(std::ceil(kRecentSeconds * sampleRate_)));
}

}  // namespace halcyra
