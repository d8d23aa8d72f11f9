// Per-sample side of the reverb engine. All signal arithmetic is single precision;
// only the oscillator position Φ is formed in double so hours of running do not
// coarsen the modulation.
#include <cmath>

#include "dsp/reverb/FiniteGuard.h"
#include "dsp/reverb/ReverbEngine.h"

namespace halcyra {
namespace {

constexpr float kTwoPiF = 6.2831855f;
constexpr float kTankFeedF = 0.23570228f;
constexpr float kDiffuserGain = 0.5f;
constexpr float kFdnAllpassGain = 0.55f;
constexpr float kGlideSlew = 0.0007f;
constexpr int kFdnPermutation[6] = {1, 2, 3, 4, 5, 0};
constexpr float kFdnSign[6] = {1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f};

constexpr float kLeftNorm = 0.67018336f;
constexpr float kRightNorm = 0.9735572f;
constexpr float kDecorrelatorGain = 0.4950912f;

float allpass(DelayLine& line, int length, float gain, float in) {
    const float r = line.read(length - 1);
    const float v = in - gain * r;
    line.push(v);
    return gain * v + r;
}

float guardedAllpass(DelayLine& line, int length, float gain, float in) {
    const float r = line.read(length - 1);
    const float v = in - gain * r;
    line.push(finiteOrZero(v));
    return gain * v + r;
}

// Plain delay: read before write, L - 1 samples from input to output.
float guardedDelay(DelayLine& line, int length, float in) {
    const float out = line.read(length - 1);
    line.push(finiteOrZero(in));
    return out;
}

float sineOfCycles(float cycles) { return std::sin(kTwoPiF * cycles); }

// sin(2π·frac(offset + rate·Φ)) with the argument formed in double.
float sineOfPosition(double offset, double rate, double position) {
    double a = offset + rate * position;
    a -= std::floor(a);
    return sineOfCycles(static_cast<float>(a));
}

float wrapUnit(float v) { return v - std::floor(v); }

}  // namespace

void ReverbEngine::process(const float* input, int count, float* left, float* right) {
    if (!prepared_ || count <= 0) return;
    float* feed = feed_.data();
    for (int i = 0; i < count; ++i) {
        const float x = finiteOrZero(input[i]);
        float outL, outR;
        // --- input diffuser and feeds ---
        float sig = x, tap3 = 0.0f, tap4 = 0.0f;
        for (int s = 0; s < 7; ++s) {
            sig = allpass(diffuser_[s], len_.diffuser[s], kDiffuserGain, sig);
            if (s == 2) tap3 = sig;
            if (s == 3) tap4 = sig;
        }
        const auto bandLimit = [this](int which, float v) {
            float& lo = toneState_[which];
            float& hp = hpState_[which];
            lo = lo + k_.oneMinusTone * (v - lo);
            hp = hp + k_.oneMinusHp * (lo - hp);
            return lo - hp;
        };
        const float g = bandLimit(0, sig);
        const float h = bandLimit(1, tap3);
        const float d = bandLimit(2, tap4);
        if (i < capacity_) feed[i] = d;

        // --- early cluster ---
        earlyTaps_.push(finiteOrZero(d));
        float e = 0.0f;
        for (int t = 0; t < ReverbLengths::kEarlyTaps; ++t) e += len_.earlyTapGain[t] * earlyTaps_.tap(len_.earlyTapOffset[t]);
        float b = h;
        for (int s = 0; s < 3; ++s) b = allpass(earlySide_[s], len_.earlySide[s], 0.5f, b);
        b = b * 0.3f;
        for (int s = 0; s < 5; ++s) e = allpass(earlyMain_[s], len_.earlyMain[s], 0.4f, e);
        const float early = e + b;

        // --- early tone: three shelving one-poles ---
        float& e1 = earlyTone_[0];
        float& e2 = earlyTone_[1];
        float& e3 = earlyTone_[2];
        e1 = e1 + k_.oneMinus1100 * (early - e1);
        float y = e1 + (early - e1) * coef_.m1;
        e2 = e2 + k_.oneMinusEr * (y - e2);
        y = e2 + (y - e2) * coef_.m2;
        e3 = e3 + k_.oneMinusEr * (y - e3);
        y = e3 + (y - e3) * coef_.m2;

        // --- decorrelators ---
        const float earlyL = kDecorrelatorGain *
            allpass(decorrLeft_[1], len_.decorrelatorLeft[1], 0.5f, allpass(decorrLeft_[0], len_.decorrelatorLeft[0], 0.5f, y));
        const float earlyR = kDecorrelatorGain *
            allpass(decorrRight_[1], len_.decorrelatorRight[1], 0.5f, allpass(decorrRight_[0], len_.decorrelatorRight[0], 0.5f, y));

        // --- oscillator ---
        phase_ = phase_ + coef_.oscIncrement;
        if (phase_ >= 1.0f) {
            ++cycles_;
            phase_ = phase_ - 1.0f;
        }
        const double position = static_cast<double>(cycles_) + static_cast<double>(phase_);

        // --- plate tank ---
        float tl[6], tr[6];
        {
            float f = g * kTankFeedF + crossState_;
            f = guardedAllpass(plateInput_[0], len_.plateInput[0], 0.75f, f);
            f = guardedAllpass(plateInput_[1], len_.plateInput[1], 0.75f, f);
            f = guardedAllpass(plateInput_[2], len_.plateInput[2], 0.625f, f);
            f = guardedAllpass(plateInput_[3], len_.plateInput[3], 0.625f, f);

            const float gTank = coef_.gTank;
            const auto modulatedAllpass = [this](int seg, float phaseOffset, float in) {
                DelayLine& line = tank_[seg];
                const float shift = len_.tankExcursion * sineOfCycles(wrapUnit(phase_ + phaseOffset));
                const float r = line.readLinear(line.position(static_cast<float>(len_.tank[seg]), shift));
                const float v = in - 0.7f * r;
                line.push(finiteOrZero(v));
                return 0.7f * v + r;
            };

            const float u = f + tankFeedback_ * gTank;
            const float l = guardedDelay(tank_[kTankDelay1], len_.tank[kTankDelay1], modulatedAllpass(kTankModAllpass1, 0.13f, u));
            dampA_ = dampA_ + k_.oneMinusDamp * (l - dampA_);
            const float z = (l + coef_.tankBlend * (dampA_ - l)) * gTank;
            const float o = guardedDelay(tank_[kTankDelay2], len_.tank[kTankDelay2],
                                         guardedAllpass(tank_[kTankAllpass1], len_.tank[kTankAllpass1], 0.5f, z));

            const float t = guardedDelay(tank_[kTankDelay3], len_.tank[kTankDelay3], modulatedAllpass(kTankModAllpass2, 0.61f, o + f));
            dampB_ = dampB_ + k_.oneMinusDamp * (t - dampB_);
            const float z2 = (t + coef_.tankBlend * (dampB_ - t)) * gTank;
            tankFeedback_ = guardedDelay(tank_[kTankDelay4], len_.tank[kTankDelay4],
                                         guardedAllpass(tank_[kTankAllpass2], len_.tank[kTankAllpass2], 0.5f, z2));

            constexpr int kTapSegment[6] = {kTankDelay1, kTankDelay2, kTankAllpass1, kTankDelay3, kTankDelay4, kTankAllpass2};
            for (int k = 0; k < 6; ++k) {
                tl[k] = tank_[kTapSegment[k]].tap(len_.tankTapLeft[k]);
                tr[k] = tank_[kTapSegment[k]].tap(len_.tankTapRight[k]);
            }
        }

        // --- modulated FDN ---
        float fv[6], fa[6], fy[6];
        for (int j = 0; j < 6; ++j) {
            DelayLine& line = fdnDelay_[j];
            const float shift = k_.fdnExcursion[j] * sineOfPosition(0.17 * j, 1.9, position);
            const float v = line.readCubic(line.position(static_cast<float>(len_.fdnDelay[j]), shift));
            float& lo = fdnLow_[j];
            float& mid = fdnMid_[j];
            lo = lo + k_.oneMinus300 * (v - lo);
            mid = mid + k_.oneMinusDamp * ((v - lo) - mid);
            fa[j] = mid * coef_.gMid[j] + lo * coef_.gLow[j] + (v - lo - mid) * coef_.gHigh[j];
            fv[j] = v;
        }
        const float fdnOut = fa[2];
        for (int k = 0; k < 6; ++k) {
            DelayLine& line = fdnAllpass_[k];
            const float in = kFdnSign[k] * fa[kFdnPermutation[k]];
            const float shift = k_.apExcursion[k] * sineOfPosition(0.19 * k, 1.3, position);
            const float r = line.readCubic(line.position(static_cast<float>(len_.fdnAllpass[k]), shift));
            const float o = in - kFdnAllpassGain * r;
            line.push(finiteOrZero(o * coef_.gAp[k]));
            fy[k] = kFdnAllpassGain * o + r;
        }

        // --- glide line ---
        float glideTap, glideFeedback;
        {
            const float target = static_cast<float>(coef_.glideTarget);
            glideCurrent_ = glideCurrent_ + (target - glideCurrent_) * kGlideSlew;
            if (glideCurrent_ < 2.0f) glideCurrent_ = 2.0f;
            const float shiftA = k_.glideExcursion * sineOfPosition(0.41, 1.3, position);
            const float m = glideLine_.readCubic(glideLine_.position(glideCurrent_, shiftA));
            glideLow_ = glideLow_ + k_.oneMinusDamp * (m - glideLow_);
            float t = m + 0.0592f * (glideLow_ - m);
            glideHigh_ = glideHigh_ + k_.oneMinus150 * (t - glideHigh_);
            t = t - glideHigh_;

            const float shiftB = k_.loopExcursion * sineOfPosition(0.37, 1.7, position);
            const float r = glideLoop_.readCubic(glideLoop_.position(static_cast<float>(len_.glideLoop), shiftB));
            t = t - 0.4f * r;
            glideLoop_.push(finiteOrZero(t));
            glideFeedback = (0.4f * t + r) * 0.84f;

            const float shiftT = k_.glideTapSwing * sineOfPosition(0.81, 0.57, position);
            // Offset T3 + 1 behind the write position: nominal length T3 + 2.
            const float tapNominal = static_cast<float>(coef_.glideTapOffset + 2);
            glideTap = glideLine_.readCubic(glideLine_.position(tapNominal, shiftT)) * coef_.glideTapGain;
        }

        // --- cross-feed and write-back ---
        const float J = coef_.crossJ, K = coef_.crossK;
        crossState_ = K * fdnOut + J * glideTap;
        const float fdnIn = K * glideTap + J * tl[2] + g * k_.fdnFeed;
        for (int j = 0; j < 6; ++j) fdnDelay_[j].push(finiteOrZero(fdnIn + fy[j]));
        glideLine_.push(finiteOrZero(K * tl[2] + J * fdnOut + d * k_.glideFeed + glideFeedback));

        // --- output ---
        outL = kLeftNorm * (-0.24764632f * tl[0] + 0.26880088f * tl[1] + 0.50718534f * tl[2] + 0.55442935f * tl[3] +
                            0.35461488f * tl[4] - 0.09837884f * tl[5] + 0.065846235f * fv[0] - 0.10805824f * fv[1] -
                            0.13102943f * fv[2] - 0.07363253f * fv[3] - 0.38479432f * fv[4] + 0.016439976f * fv[5]) +
               earlyL;
        outR = kRightNorm * (-0.26423553f * tr[0] + 0.28680718f * tr[1] + 0.5411604f * tr[2] + 0.5915692f * tr[3] +
                             0.37836963f * tr[4] - 0.10496899f * tr[5] - 0.009249815f * fv[0] - 0.21541397f * fv[1] +
                             0.01840649f * fv[2] + 0.010343603f * fv[3] + 0.054054365f * fv[4] + 0.032773074f * fv[5]) +
               earlyR;
        left[i] = finiteOrZero(outL);
        right[i] = finiteOrZero(outR);
    }
}

}  // namespace halcyra
