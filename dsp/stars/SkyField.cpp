#include "dsp/stars/SkyField.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "dsp/stars/CloudCover.h"
#include "dsp/stars/SkyPoints.h"
#include "dsp/stars/TextureNoise.h"

namespace halcyra {

namespace {
constexpr double kTwoPi = 6.283185307179586;

double smoothStep(double x) { return (3.0 - 2.0 * x) * x * x; }
double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

// Glide times of the currents (seconds); the cloud count is copied, not glided.
constexpr double kGlideSeconds[SkyField::kTargetCount] = {0.0,  0.15, 0.15, 0.15, 1.0,  0.15,
                                                           1.0,  0.15, 0.15, 0.15, 0.15, 0.15};

// A respawned kind-2 cloud catches up at most this many steps; only absurd sky
// speeds could need more, and then an unbounded loop would hang the audio thread.
constexpr int kMaxCatchUpSteps = 4096;

// Two-octave fractal sum of values evaluated elsewhere, weighted like NoiseTable::fractal.
double twoOctaves(double n0, double n1) {
    double sum = 0.5 * n0;
    sum += 0.25 * n1;
    return sum / 0.75;
}
}  // namespace

const double SkyField::kDefaultTargets[kTargetCount] = {7.0, 0.34, 0.45, 0.6, 0.5, 0.45,
                                                        1.0, 0.5,  0.4,  1.2, 2.0, 0.12};

SkyField::SkyField(std::uint32_t seed) : noise_(seed) {
    computePointAxes();
    init(seed, kDefaultTargets);
}

void SkyField::computePointAxes() {
    const SkyPoints& points = skyPoints();
    for (int j = 0; j < kPointCount; ++j) {
        const double px = points.x(j), py = points.y(j);
        pointX_[j] = px;
        pointY_[j] = py;
        const double baseX[3] = {0.7 * px + 60.0, 0.9 * px, 0.9 * px + 11.3};
        const double baseY[3] = {0.7 * py + 60.0, 0.9 * py + 7.1, 0.9 * py};
        for (int f = 0; f < 3; ++f) {
            for (int octave = 0; octave < 2; ++octave) {
                const double scale = octave == 0 ? 1.0 : 2.0;
                fixedX_[2 * f + octave][j] = latticeAxis(scale * baseX[f]);
                fixedY_[2 * f + octave][j] = latticeAxis(scale * baseY[f]);
            }
        }
    }
}

void SkyField::init(std::uint32_t seed, const double* targets) {
    noise_.shuffle(seed);
    for (RowCache& cache : rowCache_) cache = RowCache{};
    for (int k = 0; k < kTargetCount; ++k) target_[k] = current_[k] = targets[k];
    tau_ = driftTime_ = textureTime_ = 0.0;
    initialised_ = false;
    generator_ = seed * 0x9E3779B1u;
    for (Cloud& cloud : clouds_) cloud.stepCounter = 0;
    for (Cloud& cloud : clouds_) {
        generator_ = 1664525u * generator_ + 1013904223u;
        spawn(cloud, -10.0 * (generator_ * 0x1p-32));
    }
    std::fill(std::begin(output_), std::end(output_), 0.0f);
}

void SkyField::setTargets(const double* targets) {
    for (int k = 0; k < kTargetCount; ++k)
        if (std::isfinite(targets[k])) target_[k] = targets[k];
}

void SkyField::jumpTo(const double* targets) {
    for (int k = 0; k < kTargetCount; ++k)
        if (std::isfinite(targets[k])) target_[k] = current_[k] = targets[k];
}

int SkyField::jumpPrerollSteps() const {
    const double speed = current_[kSkySpeed];
    // Written so that a NaN speed also takes the fixed count.
    if (!(speed > 0.001)) return 200;
    const double steps = std::floor(10.0 / speed / kPrerollStepSeconds);
    return steps > 0.0 ? static_cast<int>(steps) : 0;
}

int SkyField::jump(const double* targets) {
    jumpTo(targets);
    const int steps = jumpPrerollSteps();
    const int seen = std::min(steps, kSeenPrerollSteps);
    for (int s = 0; s < steps - seen; ++s) {
        const double delta = advanceTime(kPrerollStepSeconds);
        advanceCloudState(1.0 - std::exp(-delta / 0.025));
    }
    for (int s = 0; s < seen; ++s) step(kPrerollStepSeconds);
    return steps;
}

double SkyField::nextUniform() {
    generator_ = 1664525u * generator_ + 1013904223u;
    return generator_ * 0x1p-32;
}

void SkyField::spawn(Cloud& c, double birth) {
    const double angle = kTwoPi * nextUniform();
    const double radius = 0.85 * std::sqrt(nextUniform());
    c.x = radius * std::cos(angle);
    c.y = radius * std::sin(angle);
    c.noiseOffset = 100.0 * nextUniform();
    c.size = 0.8 * nextUniform() + 0.6;
    c.opacity = 0.3 * nextUniform() + 0.7;
    c.lifetime = 10.0 * nextUniform() + 8.0;
    const double u1 = nextUniform();
    const double u2 = nextUniform();
    c.kind = current_[kSteppingShare] > u1 ? 2 : (u2 >= 0.5 ? 1 : 0);
    c.phase = kTwoPi * nextUniform();
    c.pulseFrequency = 0.1 * nextUniform() + 0.05;
    c.flickerRate = 0.2 * nextUniform() + 0.3;
    c.stepRate = 5.0 * nextUniform() + 3.0;
    c.stepTarget = c.stepValue = nextUniform();
    c.nextStepTime = birth + 1.0 / c.stepRate;
    c.noiseSeed = 1000.0 * nextUniform();
    c.birth = birth;
}

double SkyField::pulseOf(Cloud& c, double smoothing) const {
    switch (c.kind) {
        case 0:
            return 0.5 * std::sin(kTwoPi * c.pulseFrequency * tau_ + c.phase) + 0.5;
        case 1:
            return 0.5 * noise_.noise(c.noiseSeed, 0.5 * c.noiseSeed, tau_ * c.flickerRate) + 0.5;
        default: {
            int catchUp = 0;
            while (tau_ >= c.nextStepTime) {
                c.stepCounter += 1;
                const double counter = static_cast<double>(c.stepCounter);
                c.stepTarget = 0.5 * noise_.noise(3.1 * c.noiseOffset + 1.7 * counter, c.noiseSeed, 0.37 * counter) + 0.5;
                c.nextStepTime += 1.0 / c.stepRate;
                if (++catchUp >= kMaxCatchUpSteps) {
                    c.nextStepTime = tau_ + 1.0 / c.stepRate;
                    break;
                }
            }
            c.stepValue += smoothing * (c.stepTarget - c.stepValue);
            return c.stepValue;
        }
    }
}

void SkyField::advanceClouds(int count, double smoothing) {
    const double wobble = 0.35 * current_[kWind];
    const double sizeScale = current_[kSizeScale];
    const double pulseDepth = current_[kPulseDepth];
    for (int i = 0; i < kCloudCount; ++i) {
        Cloud& c = clouds_[i];
        if (c.lifetime <= tau_ - c.birth) spawn(c, tau_);
        c.active = i < count;
        if (!c.active) {
            // Nothing of an inactive cloud is seen this step, but a stepped cloud's
            // clock and value carry over to the steps where it is active again.
            if (c.kind == 2 && pulseDepth > 0.0) pulseOf(c, smoothing);
            continue;
        }
        const double o = c.noiseOffset;
        c.cx = c.x + wobble * noise_.noise(o + 1.3 * c.x, 1.3 * c.y, o + driftTime_);
        c.cy = c.y + wobble * noise_.noise(o + 1.3 * c.y + 50.0, 1.3 * c.x, o + driftTime_ + 50.0);
        c.radius = (0.25 * noise_.noise(o, o, textureTime_) + 0.85) * sizeScale * c.size;

        const double age = tau_ - c.birth;
        const double life = c.lifetime;
        double fadeIn = current_[kFadeIn], fadeOut = current_[kFadeOut];
        if (fadeIn + fadeOut > 0.9 * life) {
            const double shrink = 0.9 * life / (fadeIn + fadeOut);
            fadeIn *= shrink;
            fadeOut *= shrink;
        }
        const double in = fadeIn > 1e-4 ? smoothStep(clamp01(age / fadeIn)) : 1.0;
        const double out = fadeOut > 1e-4 ? 1.0 - smoothStep(clamp01((age - (life - fadeOut)) / fadeOut)) : 1.0;
        c.pulse = pulseDepth <= 0.0 ? 1.0 : 1.0 - (1.0 - pulseOf(c, smoothing)) * pulseDepth;
        c.weight = in * out * c.opacity * c.pulse;
    }
}

const double* SkyField::fixedOctaveRow(int octave, int rowOffset) {
    RowCache& cache = rowCache_[octave];
    for (int e = 0; e < 2; ++e) {
        if (cache.offset[e] == rowOffset) {
            cache.lastUsed = e;
            return cache.row[e];
        }
    }
    // Replace the entry not used last; the z cell walks slowly, so misses are rare.
    const int e = cache.lastUsed ^ 1;
    cache.offset[e] = rowOffset;
    cache.lastUsed = e;
    noise_.rowValues(fixedX_[octave], fixedY_[octave], kPointCount, rowOffset, cache.row[e]);
    return cache.row[e];
}

void SkyField::computeTexture() {
    const SkyPoints& points = skyPoints();
    // Haze: two octaves at z = 0.05 tau.
    const double hazeZ = 0.05 * tau_;
    const NoiseTable::ZRow haze0 = noise_.zRow(latticeAxis(hazeZ));
    const NoiseTable::ZRow haze1 = noise_.zRow(latticeAxis(2.0 * hazeZ));
    const double warpYZ = 0.08 * tau_ + 30.0;
    const NoiseTable::ZRow warpY0 = noise_.zRow(latticeAxis(warpYZ));
    const NoiseTable::ZRow warpY1 = noise_.zRow(latticeAxis(2.0 * warpYZ));
    const double warpXZ = 0.08 * tau_;
    const NoiseTable::ZRow warpX0 = noise_.zRow(latticeAxis(warpXZ));
    const NoiseTable::ZRow warpX1 = noise_.zRow(latticeAxis(2.0 * warpXZ));
    const double textureZ = 0.25 * tau_;
    NoiseTable::ZRow texture[4];
    for (int octave = 0; octave < 4; ++octave) texture[octave] = noise_.zRow(latticeAxis(double(1 << octave) * textureZ));

    const NoiseTable::ZRow rows[kFixedOctaves] = {haze0, haze1, warpY0, warpY1, warpX0, warpX1};
    double fixed[kFixedOctaves][kPointCount];
    for (int f = 0; f < kFixedOctaves; ++f) {
        const double* below = fixedOctaveRow(f, rows[f].p0);
        const double* above = fixedOctaveRow(f, rows[f].p1);
        const double w = rows[f].fade;
        for (int j = 0; j < kPointCount; ++j) fixed[f][j] = below[j] + w * (above[j] - below[j]);
    }

    double warpX[kPointCount], warpY[kPointCount];
    for (int j = 0; j < kPointCount; ++j) {
        haze_[j] = twoOctaves(fixed[0][j], fixed[1][j]);
        warpY[j] = 1.5 * twoOctaves(fixed[2][j], fixed[3][j]) + 1.8 * points.y(j);
        warpX[j] = 1.5 * twoOctaves(fixed[4][j], fixed[5][j]) + 1.8 * points.x(j);
    }
    textureNoise(noise_, warpX, warpY, kPointCount, texture, 4, texture_);
}

double SkyField::advanceTime(double dt) {
    current_[kCloudCountTarget] = target_[kCloudCountTarget];
    for (int k = 1; k < kTargetCount; ++k)
        current_[k] += (1.0 - std::exp(-dt / kGlideSeconds[k])) * (target_[k] - current_[k]);

    const double wind = current_[kWind];
    const double delta = current_[kSkySpeed] * dt;
    tau_ += delta;
    textureTime_ += (wind + 1.0) * 0.1 * delta;
    driftTime_ += 0.15 * wind * delta;
    return delta;
}

int SkyField::activeCloudCount() const {
    return static_cast<int>(std::clamp(std::floor(current_[kCloudCountTarget] + 0.5), 1.0, double(kCloudCount)));
}

// What advanceClouds changes that a later step reads: births and the stepped pulses.
void SkyField::advanceCloudState(double smoothing) {
    const bool pulsing = current_[kPulseDepth] > 0.0;
    for (Cloud& c : clouds_) {
        if (c.lifetime <= tau_ - c.birth) spawn(c, tau_);
        if (c.kind == 2 && pulsing) pulseOf(c, smoothing);
    }
}

const float* SkyField::step(double dt) {
    if (!(dt > 0.0) || !std::isfinite(dt)) dt = 0.0;

    const double delta = advanceTime(dt);
    const int count = activeCloudCount();
    const double smoothing = 1.0 - std::exp(-delta / 0.025);
    advanceClouds(count, smoothing);
    computeTexture();

    const double softness = current_[kSoftness];
    const double contrast = current_[kContrast];
    const double textureDepth = current_[kTextureDepth];
    const double hazeAmount = current_[kHaze];
    const double settle = 1.0 - std::exp(-dt / 0.015);

    double cover[kPointCount] = {};
    for (int i = 0; i < count; ++i) {
        const Cloud& c = clouds_[i];
        if (!(c.weight > 0.0)) continue;
        addCloudCover(CloudDisc{c.cx, c.cy, c.radius * c.radius, c.weight}, softness, pointX_, pointY_, kPointCount, cover);
    }

    for (int j = 0; j < kPointCount; ++j) {
        const double haze = ((0.5 * haze_[j] + 0.5) * 0.3 + 0.7) * hazeAmount;
        double value = ((texture_[j] * textureDepth + 1.0) * cover[j] - 0.16 * (1.0 - contrast)) * (1.5 * contrast + 0.5);
        value = std::max(value, 0.0) * (1.0 - haze) + haze;
        value = clamp01(value);
        if (initialised_) value = output_[j] + settle * (value - output_[j]);
        output_[j] = static_cast<float>(value);
    }
    initialised_ = true;
    return output_;
}

float SkyField::calibrate(const double* targets, double exponent, std::uint32_t seed, double rate) {
    SkyField field(1337);
    field.init(seed, targets);
    const double dt = 1.0 / (rate <= 1.0 || !std::isfinite(rate) ? 750.0 : rate);
    double total = 0.0;
    int measured = 0;
    for (int s = 0; s < 1250; ++s) {
        const float* v = field.step(dt);
        if (s < 500) continue;
        double w = 0.0;
        for (int j = 0; j < kPointCount; ++j) w += std::pow(std::max(static_cast<double>(v[j]), 0.0), exponent);
        total += w;
        ++measured;
    }
    return static_cast<float>(std::max(1e-4, total / measured));
}

}  // namespace halcyra
