#include "dsp/stars/StarVoice.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

namespace {
constexpr double kPi = 3.141592653589793;
}

void StarVoice::prepare(double sampleRate) {
    sampleRate_ = sampleRate > 0.0 ? sampleRate : 48000.0;
    highPassCoeff_ = static_cast<float>(1.0 - std::exp(-2.0 * kPi * 500.0 / sampleRate_));
    peakRelease_ = static_cast<float>(std::exp(-1.0 / (0.05 * sampleRate_)));
    clear();
}

void StarVoice::clear() {
    active_ = false;
    z1_ = z2_ = 0.0f;
    highPass_ = 0.0f;
    peak_ = highestPeak_ = 0.0f;
    counter_ = 0;
    decay_ = 1.0;
    silent_ = false;
}

void StarVoice::start(const StarVoiceStart& s, const ToneCompensation& compensation) {
    clear();
    active_ = true;
    source_ = s.shimmerLine;
    point_ = s.point;
    gain_ = s.gain;
    const double character = s.character;
    const double attackSamples = std::floor(std::pow(2.0, 0.5 - character) * s.attackMs * 0.001 * sampleRate_);
    attack_ = attackSamples >= 1.0 ? static_cast<int>(std::min(attackSamples, 1e9)) : 1;
    const double h = s.decaySeconds;
    end_ = attack_ + static_cast<std::int64_t>(std::floor(std::max(h, 0.05) * 2.5 * sampleRate_));
    const double tau = std::max(h, 0.01) * sampleRate_ / 9.21;
    decayStep_ = std::exp(-1.0 / tau);
    decay_ = 1.0;
    shelf_ = toneShelf(toneShelfGainDb(s.tone), sampleRate_);
    toneGain_ = compensation.gainFor(s.tone);
    const double loud = 1.4 * s.gain;
    levelDb_ = loud <= 1e-6 ? -120.0f : static_cast<float>(20.0 * std::log10(loud));
}

double StarVoice::envelope() const {
    if (counter_ < attack_) return 0.5 - 0.5 * std::cos(kPi * static_cast<double>(counter_) / attack_);
    return decay_;  // exp(-(k - A) / tau), advanced by one factor per sample
}

double StarVoice::nextEnvelope() {
    const double e = envelope();
    if (counter_ >= attack_) decay_ *= decayStep_;
    return e;
}

void StarVoice::render(const float* source, int sourceLength, int n, float outGain, float* dest) {
    if (!active_) return;
    if (silent_) {
        // Its follower held a stand-in level; the heard signal starts afresh.
        peak_ = highestPeak_ = 0.0f;
        silent_ = false;
    }
    for (int i = 0; i < n; ++i) {
        const float x = i < sourceLength ? source[i] : 0.0f;
        const double envelope = nextEnvelope();
        const float in = static_cast<float>(x * gain_ * 2.8f * envelope);
        float y = shelf_.b0 * in + z1_;
        if (!std::isfinite(y)) {
            z1_ = z2_ = 0.0f;
            y = 0.0f;
        } else {
            z1_ = shelf_.b1 * in - shelf_.a1 * y + z2_;
            z2_ = shelf_.b2 * in - shelf_.a2 * y;
        }
        float out = y * toneGain_ * 0.5f;
        highPass_ += highPassCoeff_ * (out - highPass_);
        out -= highPass_;
        peak_ = std::max(peak_ * peakRelease_, std::fabs(out));
        highestPeak_ = std::max(highestPeak_, peak_);
        dest[i] += outGain * out;
        if (endsAfter(envelope)) {
            active_ = false;
            ++counter_;
            return;
        }
        ++counter_;
    }
}

void StarVoice::skip(int n) {
    if (!active_) return;
    // The attack cannot end the voice: jump over it.
    const int inAttack = static_cast<int>(std::clamp<std::int64_t>(attack_ - counter_, 0, n));
    counter_ += inAttack;
    for (int i = inAttack; i < n; ++i) {
        const double envelope = nextEnvelope();
        if (endsAfter(envelope)) active_ = false;
        ++counter_;
        if (!active_) break;
    }
    // Nothing it would have filtered is kept: when it is heard again its filters
    // start from silence, like the shifted signal it reads. Its follower shows the
    // envelope it is at, so the scheduler can still judge it for stealing.
    z1_ = z2_ = 0.0f;
    highPass_ = 0.0f;
    peak_ = static_cast<float>(gain_ * envelope());
    highestPeak_ = counter_ < attack_ ? peak_ : gain_;
    silent_ = true;
}

}  // namespace halcyra
