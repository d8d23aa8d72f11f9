// The star path's places in the block driver: the star engine after the reverb
// (it reads the mono input for its onset detector), its feedback into the reverb input, 0.7 of it
// in the wet signal, editor commands, and the star fields of the snapshot.
#include <algorithm>
#include <cmath>

#include "dsp/reverb/WeatherMapping.h"
#include "plugin/BlockDriver.h"
#include "plugin/MappingCalibration.h"
#include "plugin/OutputMath.h"
#include "plugin/Parameters.h"
#include "plugin/StarFeedback.h"
#include "plugin/StarResponse.h"

namespace halcyra {

namespace {
constexpr std::uint32_t kSkySeed = 1337;
constexpr std::uint32_t kEventSeed = 0x51C0FFEE;
// A smoothed Level this close to its target has arrived: -120 dB of full scale.
constexpr float kLevelArrived = 1e-6f;
}  // namespace

void BlockDriver::prepareStarPath(double sampleRate) {
    stars_.prepare(sampleRate, kCapacity, kSkySeed, kEventSeed);
    starFeedbackFrames_ = 0;
    onsetGainFrames_ = -1;
}

void BlockDriver::recalibrateMapping() { mappingCalibration_ = mappingCalibration(); }

void BlockDriver::clearStarPath() {
    stars_.clear();
    std::fill(starFeedback_.begin(), starFeedback_.end(), 0.0f);
    starFeedbackFrames_ = 0;
    meters_.onsetGain = 1.0f;
}

void BlockDriver::setStarEventMode() { stars_.setEventMode(asInt(params_.get(kEvents))); }

void BlockDriver::drainCommands() {
    commands_.drain([this](const EditorCommand& command) {
        if (command.type == EditorCommandQueue::kSkyJump) jumpSky();
        else stars_.handleCommand(command, ReverbSettings{});
    });
}

void BlockDriver::jumpSky() {
    // The sky jumps to the weather the parameters hold now, not the glide.
    WeatherInput in;
    in.weather = static_cast<float>(params_.get(kWeather));
    in.mix = static_cast<float>(params_.get(kMix));
    in.size = static_cast<float>(params_.get(kSize));
    in.brightness = static_cast<float>(params_.get(kBrightness));
    in.wind = static_cast<float>(params_.get(kWind));
    in.spacing = static_cast<float>(params_.get(kSpacing));
    in.gust = static_cast<float>(params_.get(kGust));
    in.monitor = asInt(params_.get(kMonitor));
    in.rate = static_cast<float>(params_.get(kRate));
    in.primed = true;
    stars_.skyJump(computeWeatherMapping(in, mappingCalibration_).skyTargets);
}

void BlockDriver::convertStarGains() { starGainA_ = levelDbToGain(starLevelADb_); }

void BlockDriver::smoothStarControls(bool primed, const BlockCoefficients& k) {
    const float level = static_cast<float>(params_.get(kLevel));
    const float character = static_cast<float>(params_.get(kCharacter));
    const float starMix = static_cast<float>(params_.get(kStarMix));
    if (!primed) {
        level_ = level;
        character_ = character;
        starMix_ = starMix;
        return;
    }
    level_ += k.a45 * (level - level_);
    // The glide would otherwise stall a step short of its target (the last step
    // flushes to zero), and the stars are skipped only at exactly Level 0.
    if (std::fabs(level - level_) < kLevelArrived) level_ = level;
    character_ += k.a150 * (character - character_);
    starMix_ += k.a150 * (starMix - starMix_);
}

void BlockDriver::writeStarBlockSettings(double tempo) {
    StarBlockSettings b;
    b.starGain = starGainA_;
    b.level = std::max(2.0f * level_, 0.0f);
    b.character = std::clamp(character_, 0.0f, 1.0f);
    b.attackMs = static_cast<float>(params_.get(kAttack));
    b.decaySeconds = static_cast<float>(params_.get(kDecay));
    b.responseMs = starResponseMs(params_.get(kResponse), asInt(params_.get(kResponseMode)), tempo);
    stars_.setBlockSettings(b);
    blockCharacter_.store(b.character, std::memory_order_relaxed);
    blockTempo_.store(tempo, std::memory_order_relaxed);
}

double BlockDriver::starTailSeconds() const {
    // The longer of what the last block ran with and what the parameters now ask for.
    StarBlockSettings b;
    const float character = std::clamp(static_cast<float>(params_.get(kCharacter)), 0.0f, 1.0f);
    b.character = std::min(character, blockCharacter_.load(std::memory_order_relaxed));
    b.attackMs = static_cast<float>(params_.get(kAttack));
    b.decaySeconds = static_cast<float>(params_.get(kDecay));
    b.responseMs = starResponseMs(params_.get(kResponse), asInt(params_.get(kResponseMode)),
                                  blockTempo_.load(std::memory_order_relaxed));
    return StarEngine::longestStarSeconds(b);
}

void BlockDriver::copySkyTargets(const ReverbSettings& s) { stars_.setSkyTargets(s.skyTargets); }

void BlockDriver::updateOnsetGain(const ReverbSettings& s, int n) {
    if (n != onsetGainFrames_) {
        onsetGainFrames_ = n;
        onsetGainCoefficient_ = static_cast<float>(1.0 - std::exp(-n / (0.3 * sampleRate_)));
    }
    const float k = s.onsetBoost;
    const float a = std::max(stars_.onsetActivity(), 0.0f);
    const float target = k > 0.0f ? (k * std::sqrt(a) + 1.0f) / (k + 1.0f) : 1.0f;
    meters_.onsetGain += (target - meters_.onsetGain) * onsetGainCoefficient_;
}

const float* BlockDriver::reverbInput(int n) {
    if (starMix_ == 0.0f) return mono_.data();
    mixStarFeedback(mono_.data(), starFeedback_.data(), starFeedbackFrames_, starMix_, n, reverbIn_.data());
    return reverbIn_.data();
}

void BlockDriver::processStars(const ReverbSettings& s, int n) {
    stars_.process(reverb_.diffusedFeed(), mono_.data(), n, s, starLeft_.data(), starRight_.data());
}

void BlockDriver::updateStarFeedback(int n) {
    const float* l = starLeft_.data();
    const float* r = starRight_.data();
    float* feedback = starFeedback_.data();
    for (int i = 0; i < n; ++i) feedback[i] = (l[i] + r[i]) * 0.5f;
    starFeedbackFrames_ = n;
}

void BlockDriver::fillStarSnapshot(SkyFeed& feed) {
    std::copy(stars_.skyValues(), stars_.skyValues() + kSkyPointCount, feed.weights);
    const RecentEventList& recent = stars_.recentEvents();
    feed.flashCount = std::min(recent.count(), kMaxRecentEvents);
    std::copy(recent.data(), recent.data() + feed.flashCount, feed.flashes);
    feed.activeVoices = stars_.activeVoiceCount();
}

}  // namespace halcyra
