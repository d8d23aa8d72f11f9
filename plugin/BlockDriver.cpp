#include "plugin/BlockDriver.h"

#include <algorithm>
#include <cmath>

#include "dsp/reverb/WeatherMapping.h"
#include "plugin/DenormalGuard.h"
#include "plugin/OutputMath.h"
#include "plugin/Parameters.h"
#include "plugin/SampleRateRange.h"

namespace halcyra {

BlockDriver::BlockDriver(const ParameterStore& parameters, EditorCommandQueue& commands, SkyFeedTripleBuffer& feed)
    : params_(parameters), commands_(commands), feed_(feed) {
    // A fixed setting, so its gain is worked out once rather than every block.
    reverbReturnGain_ = levelDbToGain(reverbReturnDb_);
    decayTime_.store(9.3f * size_ + 1.2f, std::memory_order_relaxed);
}

// ---------------------------------------------------------------- reset

void BlockDriver::reset(double sampleRate) {
    if (!isPlayableSampleRate(sampleRate)) {
        // Nothing sensible can be prepared for it: stay silent until a playable rate comes.
        markUnprepared();
        return;
    }
    if (sampleRate != preparedRate_.load(std::memory_order_relaxed) || capacity_ < kCapacity) {
        fullPrepare(sampleRate);
        return;
    }
    lightClear();
}

void BlockDriver::markUnprepared() {
    capacity_ = 0;
    preparedRate_.store(0.0, std::memory_order_release);
}

void BlockDriver::fullPrepare(double sr) {
    // Unprepared until every allocation below has succeeded: if one throws, the
    // blocks that follow output silence instead of touching half-sized buffers.
    markUnprepared();

    sampleRate_ = sr;
    reverb_.prepare(sr, kCapacity);
    drift_.prepare(sr);
    width_.prepare(sr);
    shelf_.prepare(sr);
    prepareStarPath(sr);
    for (std::vector<float>* b : {&mono_, &reverbLeft_, &reverbRight_, &starLeft_, &starRight_, &reverbIn_, &starFeedback_})
        b->assign(kCapacity, 0.0f);
    recalibrateMapping();

    outputCoefficient_ = static_cast<float>(1.0 - std::exp(-1.0 / (0.02 * sr)));
    wetStep_ = static_cast<float>(1.0 / (0.045 * sr));
    bypassStep_ = static_cast<float>(1.0 / (0.015 * sr));
    blockCoefficients_.frames = -1;
    subBlockFrames_ = -1;

    primed_ = false;
    resetMeters();
    outputGain_ = 1.0f;

    capacity_ = kCapacity;
    preparedRate_.store(sr, std::memory_order_release);
}

void BlockDriver::lightClear() {
    reverb_.clear();
    drift_.clear();
    width_.clear();
    shelf_.clear();
    clearStarPath();
    resetMeters();
    outputGain_ = 1.0f;
    primed_ = false;
}

void BlockDriver::resetMeters() { meters_ = Meters{}; }

// ---------------------------------------------------------------- helpers

BlockDriver::Channels BlockDriver::connectedChannels(const BlockIO& io) {
    Channels ch;
    const int wantIn = io.inputs ? std::clamp(io.numInputs, 0, 2) : 0;
    for (int c = 0; c < wantIn && io.inputs[c]; ++c) ch.in[ch.numIn++] = io.inputs[c];
    const int wantOut = io.outputs ? std::clamp(io.numOutputs, 0, 2) : 0;
    for (int c = 0; c < wantOut && io.outputs[c]; ++c) ch.out[ch.numOut++] = io.outputs[c];
    return ch;
}

const double* BlockDriver::dryChannel(const Channels& ch, int outputChannel) {
    return ch.numIn > 0 ? ch.in[std::min(outputChannel, ch.numIn - 1)] : nullptr;
}

void BlockDriver::writeUnprocessed(const Channels& ch, int frames, bool bypass) {
    for (int c = 0; c < ch.numOut; ++c) {
        const double* dry = bypass ? dryChannel(ch, c) : nullptr;
        double* out = ch.out[c];
        if (!dry) {
            std::fill(out, out + frames, 0.0);
            continue;
        }
        for (int i = 0; i < frames; ++i) out[i] = std::isfinite(dry[i]) ? dry[i] : 0.0;
    }
}

const BlockDriver::BlockCoefficients& BlockDriver::blockCoefficients(int frames) {
    BlockCoefficients& k = blockCoefficients_;
    if (k.frames == frames) return k;
    const double n = frames;
    const double sr = sampleRate_;
    k.frames = frames;
    k.a45 = static_cast<float>(1.0 - std::exp(-n / (0.045 * sr)));
    k.a150 = static_cast<float>(1.0 - std::exp(-n / (0.15 * sr)));
    k.peakDecay = static_cast<float>(std::exp(-n / (1.5 * sr)));
    k.rmsDecay = static_cast<float>(std::exp(-n / (0.12 * sr)));
    return k;
}

float BlockDriver::subBlockCoefficient(int n) {
    if (n != subBlockFrames_) {
        subBlockFrames_ = n;
        subBlockCoefficient_ = static_cast<float>(1.0 - std::exp(-n / (0.15 * sampleRate_)));
    }
    return subBlockCoefficient_;
}

float BlockDriver::outputTargetGain() {
    const double db = params_.get(kOutput);
    if (db != cachedOutputDb_) {
        cachedOutputDb_ = db;
        cachedOutputGain_ = static_cast<float>(std::pow(10.0, db / 20.0));
    }
    return cachedOutputGain_;
}

double BlockDriver::tailSeconds() const {
    // The reverb needs about twice its decay time to fall from full level into the
    // noise floor; the stars ring on after it. Size may be gliding, so the tail
    // covers the longer of the decay now running and the one Size heads for.
    const double headingFor = 9.3 * params_.get(kSize) + 1.2;
    const double running = decayTime_.load(std::memory_order_relaxed);
    return 2.0 * std::max(running, headingFor) + starTailSeconds();
}

DriverState BlockDriver::state() const {
    DriverState s;
    s.weather = weather_;
    s.size = size_;
    s.brightness = brightness_;
    s.wind = wind_;
    s.spacing = spacing_;
    s.gust = gust_;
    s.rate = rate_;
    s.wetAmount = wet_;
    s.outputGain = outputGain_;
    s.mappingCalibration = mappingCalibration_;
    s.primed = primed_;
    s.capacity = capacity_;
    return s;
}

// ---------------------------------------------------------------- block

void BlockDriver::process(const BlockIO& io) {
    DenormalGuard denormals;
    const Channels ch = connectedChannels(io);
    const int frames = std::max(io.numFrames, 0);

    if (capacity_ < 1 || !isPlayableSampleRate(io.sampleRate)) {
        writeUnprocessed(ch, frames, io.bypass);
        return;
    }
    ++trace_.blocks;

    const int monitor = asInt(params_.get(kMonitor));
    const bool speakers = monitor == 1;

    const float targetGain = outputTargetGain();
    if (!primed_) outputGain_ = targetGain;

    setStarEventMode();
    drainCommands();
    ++trace_.queueDrains;
    if (io.skyJump) jumpSky();

    convertStarGains();

    const BlockCoefficients& k = blockCoefficients(frames);
    const bool wasPrimed = primed_;
    const float bypassTarget = io.bypass ? 1.0f : 0.0f;
    if (!wasPrimed) bypassAmount_ = bypassTarget;
    smoothBlockValues(k);
    smoothStarControls(wasPrimed, k);
    ++trace_.blockSmoothings;

    writeStarBlockSettings(io.tempo);

    OutputTally tally;
    int subBlocks = 0;
    for (int offset = 0; offset < frames;) {
        const int n = std::min(frames - offset, capacity_);
        if (subBlocks < BlockTrace::kRecordedSubBlocks) trace_.lastSubBlockFrames[subBlocks] = n;
        ++subBlocks;

        foldInput(ch, offset, n);
        smoothMacros(n);
        const ReverbSettings settings = mapWeather(monitor);
        if (wetJumpPending_) {
            wet_ = settings.mixFraction;
            wetJumpPending_ = false;
        }
        applySettings(settings, speakers);
        copySkyTargets(settings);

        reverb_.process(reverbInput(n), n, reverbLeft_.data(), reverbRight_.data());
        drift_.process(reverbLeft_.data(), reverbRight_.data(), n);
        measureReverbLevel(n);

        processStars(settings, n);
        updateOnsetGain(settings, n);
        updateStarFeedback(n);

        float* left = reverbLeft_.data();
        float* right = reverbRight_.data();
        const float* starL = starLeft_.data();
        const float* starR = starRight_.data();
        const float ret = reverbReturnGain_;
        for (int i = 0; i < n; ++i) {
            left[i] = ret * left[i] + 0.7f * starL[i];
            right[i] = ret * right[i] + 0.7f * starR[i];
        }
        width_.process(left, right, n);
        shelf_.process(left, right, n, lowShelfFrequency_, lowShelfGainDb_, sampleRate_);

        mixOutput(ch, offset, n, settings.mixFraction, targetGain, bypassTarget, tally);
        offset += n;
    }
    trace_.lastSubBlockCount = subBlocks;
    trace_.subBlocks += static_cast<std::uint64_t>(subBlocks);

    updateMeters(tally, frames, k);
    publishSnapshot();
}

void BlockDriver::smoothBlockValues(const BlockCoefficients& k) {
    const float target = static_cast<float>(params_.get(kRate));
    rate_ = primed_ ? rate_ + k.a150 * (target - rate_) : target;
}

void BlockDriver::foldInput(const Channels& ch, int offset, int n) {
    float* mono = mono_.data();
    if (ch.numIn == 0) {
        std::fill(mono, mono + n, 0.0f);
        return;
    }
    const double* l = ch.in[0] + offset;
    const double* r = (ch.numIn >= 2 ? ch.in[1] : ch.in[0]) + offset;
    for (int i = 0; i < n; ++i) mono[i] = foldToMono(l[i], r[i]);
}

void BlockDriver::smoothMacros(int n) {
    float* values[] = {&weather_, &size_, &brightness_, &wind_, &spacing_, &gust_};
    constexpr int ids[] = {kWeather, kSize, kBrightness, kWind, kSpacing, kGust};
    if (!primed_) {
        for (int i = 0; i < 6; ++i) *values[i] = static_cast<float>(params_.get(ids[i]));
        primed_ = true;
        return;
    }
    const float s = subBlockCoefficient(n);
    for (int i = 0; i < 6; ++i) {
        const float target = static_cast<float>(params_.get(ids[i]));
        *values[i] += s * (target - *values[i]);
    }
}

ReverbSettings BlockDriver::mapWeather(int monitor) const {
    WeatherInput in;
    in.weather = weather_;
    in.mix = static_cast<float>(params_.get(kMix));
    in.size = size_;
    in.brightness = brightness_;
    in.wind = wind_;
    in.spacing = spacing_;
    in.gust = gust_;
    in.monitor = monitor;
    in.rate = rate_;
    in.primed = true;
    return computeWeatherMapping(in, mappingCalibration_);
}

void BlockDriver::applySettings(const ReverbSettings& s, bool speakers) {
    reverb_.setDecayTime(s.decayTime);
    reverb_.setLowDecayRatio(s.lowDecayRatio);
    reverb_.setDampingFrequency(s.dampingFrequency);
    reverb_.setHighDecayRatio(s.highDecayRatio);
    reverb_.setInputTone(s.inputTone);
    reverb_.setModDepth(s.modDepth);
    reverb_.setModRate(s.modRate);
    reverb_.setCrossFeed(s.crossFeed);
    reverb_.setGlideSize(s.glideSize);
    reverb_.setWidth(s.width);
    decayTime_.store(s.decayTime, std::memory_order_relaxed);

    drift_.setTargetRate(std::max(s.driftRate, 0.03f));
    width_.setSpeakers(speakers);
    width_.setWidthTarget(s.spacing > 0.0f ? s.spacing : 0.0f);
}

void BlockDriver::measureReverbLevel(int n) {
    const float* l = reverbLeft_.data();
    const float* r = reverbRight_.data();
    double sum = 0.0;
    for (int i = 0; i < n; ++i) sum += static_cast<double>(l[i]) * l[i] + static_cast<double>(r[i]) * r[i];
    const float q = static_cast<float>(std::sqrt(sum / (2.0 * n)));
    meters_.reverbLevel += (q - meters_.reverbLevel) * 0.3f;
}

void BlockDriver::mixOutput(const Channels& ch, int offset, int n, float wetTarget, float targetGain, float bypassTarget,
                            OutputTally& tally) {
    const float* mono = mono_.data();
    const float* left = reverbLeft_.data();
    const float* right = reverbRight_.data();
    const float step = wetStep_;
    const float c = outputCoefficient_;
    const float bypassStep = bypassStep_;
    float wet = wet_;
    float gain = outputGain_;
    float bypass = bypassAmount_;
    double* outL = ch.numOut >= 1 ? ch.out[0] + offset : nullptr;
    double* outR = ch.numOut >= 2 ? ch.out[1] + offset : nullptr;
    const double* dryL = dryChannel(ch, 0);
    const double* dryR = dryChannel(ch, 1);
    if (dryL) dryL += offset;
    if (dryR) dryR += offset;

    for (int i = 0; i < n; ++i) {
        if (wet != wetTarget) wet = rampToward(wet, wetTarget, step);
        const float dry = (1.0f - wet) * mono[i];
        const float pL = softClip(wet * left[i] + dry);
        const float pR = softClip(wet * right[i] + dry);
        gain += (targetGain - gain) * c;
        double l = gain * pL;
        double r = gain * pR;
        if (bypass != bypassTarget) bypass = rampToward(bypass, bypassTarget, bypassStep);
        if (bypass > 0.0f) {
            // Read before the write below: the input may share the output's memory.
            const double inL = dryL ? dryL[i] : 0.0;
            const double inR = dryR ? dryR[i] : 0.0;
            l = (1.0 - bypass) * l + bypass * inL;  // exactly the input once bypass is 1
            r = (1.0 - bypass) * r + bypass * inR;
        }
        if (!std::isfinite(l)) l = 0.0;
        if (!std::isfinite(r)) r = 0.0;
        if (outL) outL[i] = l;
        if (outR) outR[i] = r;
        tally.peakLeft = std::max(tally.peakLeft, static_cast<float>(std::fabs(l)));
        tally.peakRight = std::max(tally.peakRight, static_cast<float>(std::fabs(r)));
        tally.sumLeft += l * l;
        tally.sumRight += r * r;
    }
    wet_ = wet;
    outputGain_ = gain;
    bypassAmount_ = bypass;
}

void BlockDriver::updateMeters(const OutputTally& tally, int frames, const BlockCoefficients& k) {
    const double count = frames > 0 ? frames : 1;
    Meters& m = meters_;
    m.peakLeft = std::max(m.peakLeft * k.peakDecay, tally.peakLeft);
    m.peakRight = std::max(m.peakRight * k.peakDecay, tally.peakRight);
    const float rmsL = static_cast<float>(std::sqrt(tally.sumLeft / count));
    const float rmsR = static_cast<float>(std::sqrt(tally.sumRight / count));
    m.rmsLeft += (rmsL - m.rmsLeft) * (1.0f - k.rmsDecay);
    m.rmsRight += (rmsR - m.rmsRight) * (1.0f - k.rmsDecay);
    ++trace_.meterUpdates;
}

void BlockDriver::publishSnapshot() {
    SkyFeed& feed = feed_.writeSlot();
    feed = SkyFeed{};
    fillStarSnapshot(feed);
    feed.reverbLevel = meters_.reverbLevel;
    feed.onsetGain = meters_.onsetGain;
    feed.peakLeft = meters_.peakLeft;
    feed.peakRight = meters_.peakRight;
    feed.rmsLeft = meters_.rmsLeft;
    feed.rmsRight = meters_.rmsRight;
    feed_.publish();
    ++trace_.snapshotsPublished;
}

}  // namespace halcyra
