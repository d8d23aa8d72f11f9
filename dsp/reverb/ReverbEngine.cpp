// Set-up side of the reverb engine: buffers, control setters and the derived
// coefficients. Everything here runs in double and is stored as float.
#include "dsp/reverb/ReverbEngine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/reverb/ChunkScratchPool.h"
#include "dsp/reverb/LengthRegistry.h"

namespace halcyra {
namespace {

constexpr double kTwoPi = 6.283185307179586;
// Lowest and highest rates the engine sizes itself for; beyond the top the line
// lengths would need gigabytes and overflow int sample counts.
constexpr double kMaxSampleRate = 3072000.0;
constexpr double kTankFeed = 0.23570228;  // 1/sqrt(18)
// Modulated lines get this much headroom beyond their nominal length.
constexpr int kModulationHeadroom = 256;
// Samples per pass through the network: long enough to amortise the per-chunk
// set-up, short enough that the chunk scratch stays in the first-level cache.
constexpr int kChunk = 256;

// exp(-2*pi*f/fs) limited to [0, 1]: the one-pole smoother's feedback.
float onePoleCoefficient(double hz, double fs) {
    const double c = std::exp(-kTwoPi * hz / fs);
    return static_cast<float>(std::clamp(c, 0.0, 1.0));
}

float decayGain(double value, double limit) {
    if (!std::isfinite(value)) return 0.0f;
    return static_cast<float>(std::clamp(value, 0.0, limit));
}

double centsToRatioMinusOne(double cents) { return cents > 0.0 ? std::pow(2.0, cents / 1200.0) - 1.0 : 0.0; }

// Stores a clamped control. Returns false when nothing changed, so the caller can
// skip its recomputation (bit-identical result, cheap small host blocks).
bool storeControl(float& control, float value, float lo, float hi) {
    if (std::isnan(value)) return false;  // keep the last sane value
    const float clamped = std::clamp(value, lo, hi);
    if (std::memcmp(&clamped, &control, sizeof clamped) == 0) return false;
    control = clamped;
    return true;
}

// The longest chunk whose plain plate reads and taps all lie in the lines before
// the chunk (reads L - 1 back, the in-loop tap) or stay there until after it (the
// output taps, read once the chunk has joined the lines).
int plateRunLimit(const ReverbLengths& len) {
    int limit = len.tankTapLeft[2];
    for (int l : len.plateInput) limit = std::min(limit, l - 1);
    for (int seg : {kTankDelay1, kTankAllpass1, kTankDelay2, kTankDelay3, kTankAllpass2, kTankDelay4})
        limit = std::min(limit, len.tank[seg] - 1);
    for (int k = 0; k < 6; ++k) {
        const int segment = len.tank[kTankTapSegment[k]];
        limit = std::min({limit, segment - len.tankTapLeft[k], segment - len.tankTapRight[k]});
    }
    return std::max(1, limit);
}

int modulatedCapacity(int length, double maxExcursion) {
    // The headroom covers every excursion at ordinary rates; very high rates scale
    // the excursion past it, so the line grows with it.
    return length + std::max(kModulationHeadroom, static_cast<int>(std::ceil(maxExcursion)) + 4);
}

}  // namespace

ReverbEngine::ReverbEngine() = default;

void ReverbEngine::prepare(double sampleRate, int blockCapacity) {
    if (!(sampleRate > 0.0) || !std::isfinite(sampleRate)) sampleRate = 48000.0;
    fs_ = std::min(sampleRate, kMaxSampleRate);
    capacity_ = std::max(1, blockCapacity);
    len_ = deriveReverbLengths(fs_);
    chunk_ = std::min({capacity_, kChunk, plateRunLimit(len_)});
    sizeBuffers();

    k_.fdnFeed = static_cast<float>(kTankFeed * std::pow(2.0, 0.25));
    k_.glideFeed = static_cast<float>(kTankFeed * std::pow(2.0, -0.25));
    prepared_ = true;
    applyInputTone();
    applyGlideSize();
    updateCoefficients();
    applyModDepth();
    applyCrossFeed();
    applyWidth();
    applyModRate();
    clear();
}

void ReverbEngine::sizeBuffers() {
    for (int i = 0; i < 7; ++i) diffuser_[i].resize(len_.diffuser[i] + 1);
    const auto grow = [](std::vector<float>& v, int n) {
        if (v.size() < static_cast<std::size_t>(n)) v.resize(static_cast<std::size_t>(n));
    };
    grow(feed_, capacity_);
    scratchStride_ = (chunk_ + 15) / 16 * 16;
    static_assert(kChunkColumns * kChunk <= ChunkScratchPool::kSlotFloats, "a chunk's scratch fits a shared slot");
    grow(ownScratch_, kChunkColumns * scratchStride_);

    earlyHistory_ = len_.earlyTapCapacity - 2;  // the largest tap offset
    grow(earlyTapLine_, earlyHistory_ + chunk_);
    for (int i = 0; i < 5; ++i) earlyMain_[i].resize(len_.earlyMain[i] + 1);
    for (int i = 0; i < 3; ++i) earlySide_[i].resize(len_.earlySide[i] + 1);
    for (int i = 0; i < 2; ++i) {
        decorrLeft_[i].resize(len_.decorrelatorLeft[i] + 1);
        decorrRight_[i].resize(len_.decorrelatorRight[i] + 1);
    }

    for (int i = 0; i < 4; ++i) plateInput_[i].resize(len_.plateInput[i] + 1);
    for (int i = 0; i < 8; ++i) {
        const bool modulated = i == kTankModAllpass1 || i == kTankModAllpass2;
        tank_[i].resize(modulated ? modulatedCapacity(len_.tank[i], len_.tankExcursion) : len_.tank[i] + 1);
    }

    // Widest excursions the depth control (at most 1) can ask for.
    const double fdnMax = centsToRatioMinusOne(0.75 * 12.0);
    const double apMax = centsToRatioMinusOne(0.85 * 12.0);
    const double glideMax = centsToRatioMinusOne(12.0);
    for (int j = 0; j < 6; ++j) {
        fdnDelay_[j].resize(modulatedCapacity(len_.fdnDelay[j], fdnMax * len_.fdnDelay[j]));
        fdnAllpass_[j].resize(modulatedCapacity(len_.fdnAllpass[j], apMax * len_.fdnAllpass[j]));
    }
    glideLoop_.resize(modulatedCapacity(len_.glideLoop, glideMax * len_.glideLoop * 0.25));
    glideLine_.resize(len_.glideCapacity);
}

void ReverbEngine::clear() {
    for (auto& d : diffuser_) d.reset();
    toneState_ = {};
    hpState_ = {};
    std::fill(feed_.begin(), feed_.end(), 0.0f);
    std::fill(earlyTapLine_.begin(), earlyTapLine_.end(), 0.0f);

    for (auto& d : earlyMain_) d.reset();
    for (auto& d : earlySide_) d.reset();
    for (auto& d : decorrLeft_) d.reset();
    for (auto& d : decorrRight_) d.reset();
    earlyTone_ = {};

    phase_ = 0.0f;
    cycles_ = 0;

    for (auto& d : plateInput_) d.reset();
    for (auto& d : tank_) d.reset();
    // A tiny non-zero seed in the tank loop makes the tail ring audibly from the
    // first sample, even before any input arrives.
    tankFeedback_ = -0.0022514972f;
    dampA_ = dampB_ = 0.0f;

    for (auto& d : fdnDelay_) d.reset();
    for (auto& d : fdnAllpass_) d.reset();
    fdnLow_ = {};
    fdnMid_ = {};

    glideLine_.reset();
    glideLoop_.reset();
    glideCurrent_ = static_cast<float>(coef_.glideTarget);
    glideLow_ = glideHigh_ = 0.0f;

    crossState_ = 0.0f;
}

// --- setters -----------------------------------------------------------------

void ReverbEngine::setDecayTime(float seconds) {
    if (storeControl(decayTime_, seconds, 0.05f, 12.0f) && prepared_) updateCoefficients();
}

void ReverbEngine::setLowDecayRatio(float ratio) {
    if (storeControl(lowDecayRatio_, ratio, 0.5f, 2.0f) && prepared_) updateCoefficients();
}

void ReverbEngine::setDampingFrequency(float hz) {
    if (storeControl(dampingFrequency_, hz, 1500.0f, 12000.0f) && prepared_) updateCoefficients();
}

void ReverbEngine::setHighDecayRatio(float ratio) {
    if (storeControl(highDecayRatio_, ratio, 0.2f, 1.0f) && prepared_) updateCoefficients();
}

void ReverbEngine::setInputTone(float amount) {
    if (storeControl(inputTone_, amount, 0.0f, 1.0f) && prepared_) applyInputTone();
}

void ReverbEngine::setModDepth(float amount) {
    if (storeControl(modDepth_, amount, 0.0f, 1.0f) && prepared_) applyModDepth();
}

void ReverbEngine::setModRate(float rate) {
    if (storeControl(modRate_, rate, 0.05f, 8.0f) && prepared_) applyModRate();
}

void ReverbEngine::setCrossFeed(float amount) {
    if (storeControl(crossFeed_, amount, 0.0f, 1.0f) && prepared_) applyCrossFeed();
}

void ReverbEngine::setGlideSize(float amount) {
    if (storeControl(glideSize_, amount, 0.0f, 1.0f) && prepared_) applyGlideSize();
}

void ReverbEngine::setWidth(float amount) {
    if (storeControl(width_, amount, 0.0f, 1.0f) && prepared_) applyWidth();
}

// --- derived values ------------------------------------------------------------

void ReverbEngine::applyInputTone() {
    // Tone corner from 3 kHz (dark) to 16 kHz (open), exponential in the control.
    const double fc = 3000.0 * std::pow(static_cast<double>(16.0f / 3.0f), static_cast<double>(inputTone_));
    coef_.cTone = onePoleCoefficient(std::max(1.0, fc), fs_);
    coef_.cHp = onePoleCoefficient(80.0, fs_);
    k_.oneMinusTone = 1.0f - coef_.cTone;
    k_.oneMinusHp = 1.0f - coef_.cHp;
}

void ReverbEngine::updateCoefficients() {
    const double fs = fs_;
    const double T = decayTime_;
    const double d = highDecayRatio_;
    const double fd = dampingFrequency_;
    const double tLow = std::clamp(T * static_cast<double>(lowDecayRatio_), 0.05, 12.0);
    const double tHigh = std::clamp(((1.0 - d) * 0.82 + d) * T, 0.05, 12.0);
    coef_.decayTime = decayTime_;
    coef_.lowDecayTime = static_cast<float>(tLow);
    coef_.highDecayTime = static_cast<float>(tHigh);

    coef_.c300 = onePoleCoefficient(300.0, fs);
    coef_.cDamp = onePoleCoefficient(std::max(1.0, fd), fs);
    coef_.c150 = onePoleCoefficient(150.0, fs);

    // -60 dB after the band's decay time, per pass through each line.
    constexpr double kBelowOne = 0.999999;
    for (int j = 0; j < 6; ++j) {
        const double L = len_.fdnDelay[j];
        coef_.gLow[j] = decayGain(std::pow(10.0, -3.0 * L / (fs * tLow)), kBelowOne);
        coef_.gMid[j] = decayGain(std::pow(10.0, -3.0 * L / (fs * T)), kBelowOne);
        coef_.gHigh[j] = decayGain(std::pow(10.0, -3.0 * L / (fs * tHigh)), kBelowOne);
    }
    const double perSample = std::pow(10.0, -3.0 / (std::max(T, tLow) * 0.87 * fs));
    for (int k = 0; k < 6; ++k) coef_.gAp[k] = decayGain(std::pow(perSample, len_.fdnAllpass[k]), kBelowOne);

    // The tank never rings longer than a 0.93 round-trip gain allows: it would
    // otherwise swamp the FDN at long decays.
    coef_.gTank = decayGain(std::pow(10.0, -static_cast<double>(len_.tankSum) / (T * fs)), 0.93);
    coef_.tankBlend = static_cast<float>((1.0 - d) * 0.38);

    const double n = std::clamp((d - 0.2) / 0.8, 0.0, 1.0);
    coef_.c1100 = onePoleCoefficient(1100.0, fs);
    coef_.m1 = static_cast<float>(std::clamp(0.7 * n + 0.3, 0.25, 1.0));
    coef_.cEr = onePoleCoefficient(std::max(3200.0, fd), fs);
    coef_.m2 = static_cast<float>(std::clamp(0.74 * n + 0.26, 0.3, 1.0));

    k_.oneMinus300 = 1.0f - coef_.c300;
    k_.oneMinus150 = 1.0f - coef_.c150;
    k_.oneMinusDamp = 1.0f - coef_.cDamp;
    k_.oneMinus1100 = 1.0f - coef_.c1100;
    k_.oneMinusEr = 1.0f - coef_.cEr;
}

void ReverbEngine::applyModDepth() {
    const double a = modDepth_;
    coef_.dGlide = static_cast<float>(12.0 * a);
    coef_.dFdnA = static_cast<float>(0.75 * 12.0 * a);
    coef_.dFdnB = static_cast<float>(0.85 * 12.0 * a);
    const double fdnRatio = centsToRatioMinusOne(coef_.dFdnA);
    const double apRatio = centsToRatioMinusOne(coef_.dFdnB);
    for (int j = 0; j < 6; ++j) {
        k_.fdnExcursion[j] = static_cast<float>(fdnRatio * len_.fdnDelay[j]);
        k_.apExcursion[j] = static_cast<float>(apRatio * len_.fdnAllpass[j]);
    }
    updateGlideExcursions();
}

void ReverbEngine::applyModRate() {
    coef_.oscIncrement = static_cast<float>(0.2 * static_cast<double>(modRate_) / fs_);
}

void ReverbEngine::applyCrossFeed() {
    coef_.crossJ = static_cast<float>(0.18 * crossFeed_);
    coef_.crossK = static_cast<float>(0.6 * 0.18 * crossFeed_);
}

void ReverbEngine::applyWidth() {
    // Constant-power taper of the glide tap; 0.5 is the unity point.
    const double a = width_;
    double w = 1.0;
    if (width_ != 0.5f) {
        const double e = a <= 0.5 ? 2.0 * a * 0.41075134 + 1.0034622 : 1.4142135;
        w = std::cos(a * M_PI / 2.0) * e;
    }
    coef_.glideTapGain = static_cast<float>(1.0 * 1.45 * w);
}

void ReverbEngine::applyGlideSize() {
    const int lb = len_.glideLoop;
    const int requested = static_cast<int>((0.9 * glideSize_ + 0.65) * 110.0 * 0.001 * fs_ + 0.5);

    // Fixed-capacity lists: this runs on the audio thread once per sub-block.
    LengthList<8> taken;
    for (int s : len_.glideSeeds) taken.push(s);
    const int target = searchCoprime(std::min(lb, requested), taken, lb);

    const int cap = len_.glideCapacity - 2;
    const auto tapStart = [cap, target](double factor) {
        return std::min(cap, std::max(1, static_cast<int>(factor * target + 0.5)));
    };
    taken.clear();
    for (int s : len_.glideSeeds) taken.push(s);
    // The first two taps are not used; they only claim their lengths so the third
    // lands where the tuning expects it.
    searchCoprime(tapStart(0.41), taken, cap);
    searchCoprime(tapStart(0.73), taken, cap);
    coef_.glideTapOffset = searchCoprime(tapStart(1.27), taken, cap);
    coef_.glideTarget = target;
    updateGlideExcursions();
}

void ReverbEngine::updateGlideExcursions() {
    const double ratio = centsToRatioMinusOne(coef_.dGlide);
    k_.glideExcursion = static_cast<float>(ratio * coef_.glideTarget * 0.2);
    k_.loopExcursion = static_cast<float>(ratio * len_.glideLoop * 0.25);
    k_.glideTapSwing = static_cast<float>(0.05 * coef_.glideTarget);
}

}  // namespace halcyra
