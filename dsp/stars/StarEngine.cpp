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

    tickLength_ = std::max(1, static_cast<int>(std::lround(kTickSeconds * sampleRate_)));
    fadeLength_ = std::max(1, static_cast<int>(std::lround(kStealFadeSeconds * sampleRate_)));

    onsets_.prepare(sampleRate_);
    tone_.prepare(sampleRate_);
    // The lines, voices and channels run one tick at a time, so their buffers hold a
    // tick, not a block: small buffers stay in cache.
    const int tick = tickLength_;
    // Fading voices may need channels of their own beside the eight voices'.
    renderer_.prepare(sampleRate_, tick, &hrirs_, 2 * kVoices);
    for (int i = 0; i < ShimmerLine::kLines; ++i) {
        shimmer_[i].prepare(sampleRate_, i, tick, &shiftWork_);
        shimmerOut_[i].assign(static_cast<std::size_t>(tick), 0.0f);
    }
    fadeScratch_.assign(static_cast<std::size_t>(tick), 0.0f);
    for (StarVoice& voice : voices_) voice.prepare(sampleRate_);
    for (FadingVoice& fading : fading_) fading.voice.prepare(sampleRate_);
    buildHrirs();
    // Long enough for the last faded sample to pass the HRIR and the interaural delay.
    holdLength_ = (hrirs_.loaded() ? hrirs_.taps() : 0) + BinauralChannel::kRingSize;
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
    for (FadingVoice& fading : fading_) {
        fading.voice.clear();
        fading.fadeLeft = fading.holdLeft = 0;
    }
    renderer_.clear();
    onsets_.clear();
    tickPhase_ = 0;
    tickOnsets_ = OnsetValues{};
    callActivity_ = 0.0f;
    for (PendingStart& p : pending_) p = PendingStart{};
    requestCount_ = 0;
    recent_.clear();
    eventCount_ = 0;
    quietSamples_ = holdLength_;  // the channels are empty
}

void StarEngine::enqueueRequest(int point) {
    if (eventMode_ != 0 && requestCount_ < kMaxRequests) requests_[requestCount_++] = point;
}

void StarEngine::requestStarAt(float azimuthDeg, float elevationDeg) {
    const int point = skyPoints().nearest(azimuthDeg, elevationDeg);
    if (point >= 0) enqueueRequest(point);
}

int StarEngine::skyJump(const double* targets) { return sky_.jump(targets); }

void StarEngine::handleCommand(const EditorCommand& command, const ReverbSettings& jumpSettings) {
    if (command.type == EditorCommandQueue::kStarRequest)
        requestStarAt(command.a, command.b);
    else if (command.type == EditorCommandQueue::kSkyJump)
        skyJump(jumpSettings.skyTargets);
}

double StarEngine::longestStarSeconds(const StarBlockSettings& b) {
    const double shape = 0.5 - std::clamp(static_cast<double>(b.character), 0.0, 1.0);
    const double attack = std::pow(2.0, shape) * std::max(0.0, static_cast<double>(b.attackMs)) * 0.001;
    // The envelope reaches -80 dB after h; the hard end (2.5 h, at least 0.125 s) comes later.
    const double decay = std::pow(2.0, shape * 1.2) * std::max(0.0, static_cast<double>(b.decaySeconds));
    const double response = std::max(0, b.responseMs) * 0.001;
    constexpr double kPlacementSeconds = 0.02;  // HRIR and interaural delay ring, with room
    return 2.0 * kTickSeconds + response + attack + decay + kPlacementSeconds;
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
    if (voices_[slot].active()) fading_[slot] = FadingVoice{voices_[slot], fadeLength_, holdLength_};
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

void StarEngine::process(const float* excitation, const float* input, int n, const ReverbSettings& settings,
                         float* outL, float* outR) {
    if (n <= 0) return;
    std::fill(outL, outL + n, 0.0f);
    std::fill(outR, outR + n, 0.0f);
    if (n > capacity_) return;

    // Silent output stays exactly silent once the channels' histories and delay
    // rings hold nothing but zeros.
    const bool audible = block_.level * block_.starGain != 0.0f;
    const bool skip = skipInaudible_ && !audible && quietSamples_ >= holdLength_;
    quietSamples_ = audible ? 0 : std::min<std::int64_t>(quietSamples_ + n, holdLength_);

    eventCount_ = 0;
    callActivity_ = 0.0f;
    for (int offset = 0; offset < n;) {
        if (tickPhase_ == 0) decide(settings);
        const int length = std::min(n - offset, tickLength_ - tickPhase_);
        onsets_.process(input + offset, length);
        callActivity_ = std::max(callActivity_, onsets_.activity());
        for (int i = 0; i < ShimmerLine::kLines; ++i) {
            if (skip)
                shimmer_[i].skipShifting(excitation + offset, length);
            else
                shimmer_[i].process(excitation + offset, length, shimmerOut_[i].data());
        }
        if (skip)
            skipRender(length);
        else
            render(offset, length, outL, outR);
        recent_.age(length, static_cast<long long>(std::ceil(kRecentSeconds * sampleRate_)));
        offset += length;
        tickPhase_ += length;
        if (tickPhase_ == tickLength_) {
            tickPhase_ = 0;
            tickOnsets_ = onsets_.takeWindow();
        }
    }
}

void StarEngine::decide(const ReverbSettings& settings) {
    const double dt = tickLength_ / sampleRate_;
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

    int count = 0;
    if (eventMode_ != 0) {
        for (int q = 0; q < requestCount_ && count < kMaxStarEvents; ++q)
            count = scheduler_.request(requests_[q], tickOnsets_, sky, settings, slots_, tickEvents_, count);
    } else {
        count = scheduler_.schedule(dt, tickOnsets_, sky, settings, slots_, tickEvents_, count);
    }
    // Requests are for the mode they were made in: none outlives a tick, nor Auto mode.
    requestCount_ = 0;

    const float decaySeconds =
        static_cast<float>(std::pow(2.0, (0.5 - block_.character) * 1.2) * block_.decaySeconds);

    for (int s = 0; s < kVoices; ++s) {
        PendingStart& p = pending_[s];
        if (!p.pending) continue;
        p.elapsed += tickLength_;
        if (p.elapsed >= p.delay) {
            p.pending = false;
            startVoice(s, p.start);
        }
    }

    const bool immediate = block_.responseMs <= 0 || eventMode_ != 0;
    for (int e = 0; e < count; ++e) {
        const StarEvent& event = tickEvents_[e];
        if (eventCount_ < kMaxStarEvents) events_[eventCount_++] = event;
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
    bindChannels();
}

// Voices come first, in slot order, then the fading ones: a fading voice never keeps
// a new star from its channel.
void StarEngine::bindChannels() {
    bool active[2 * kVoices];
    int points[2 * kVoices];
    for (int s = 0; s < kVoices; ++s) {
        active[s] = voices_[s].active();
        points[s] = voices_[s].point();
        active[kVoices + s] = fading_[s].active();
        points[kVoices + s] = fading_[s].voice.point();
    }
    renderer_.bind(active, points, 2 * kVoices, 0);
}

void StarEngine::render(int offset, int n, float* outL, float* outR) {
    renderer_.clearInputs(n);
    const float outGain = block_.level * block_.starGain;
    for (StarVoice& voice : voices_) {
        if (!voice.active()) continue;
        // A voice whose point found no channel waits, silent and frozen.
        float* channel = renderer_.inputFor(voice.point());
        if (!channel) continue;
        voice.render(shimmerOut_[voice.shimmerLine()].data(), n, n, outGain, channel);
    }
    for (FadingVoice& fading : fading_)
        if (fading.active()) renderFading(fading, n, outGain, true);
    renderer_.render(n, outL + offset, outR + offset);
}

// What render() does to the voices' lifetimes, without their sound.
void StarEngine::skipRender(int n) {
    for (StarVoice& voice : voices_)
        if (voice.active() && renderer_.inputFor(voice.point()) != nullptr) voice.skip(n);
    for (FadingVoice& fading : fading_)
        if (fading.active()) renderFading(fading, n, 0.0f, false);
}

void StarEngine::renderFading(FadingVoice& fading, int n, float outGain, bool heard) {
    const int length = std::min(n, fading.fadeLeft);
    float* channel = renderer_.inputFor(fading.voice.point());
    if (length > 0 && channel && !heard) {
        fading.voice.skip(length);
    } else if (length > 0 && channel) {
        float* scratch = fadeScratch_.data();
        std::fill(scratch, scratch + length, 0.0f);
        fading.voice.render(shimmerOut_[fading.voice.shimmerLine()].data(), length, length, outGain, scratch);
        const float step = 1.0f / static_cast<float>(fadeLength_);
        for (int i = 0; i < length; ++i) channel[i] += scratch[i] * static_cast<float>(fading.fadeLeft - i) * step;
    }
    fading.fadeLeft -= length;
    fading.holdLeft = std::max(0, fading.holdLeft - (n - length));
}

}  // namespace halcyra
