// Signal side of the reverb engine. All signal arithmetic is single precision;
// only the oscillator position Φ is formed in double so hours of running do not
// coarsen the modulation.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "dsp/reverb/CycleSine.h"
#include "dsp/reverb/FiniteGuard.h"
#include "dsp/reverb/ReverbEngine.h"

namespace halcyra {
namespace {

constexpr float kTankFeedF = 0.23570228f;
constexpr float kDiffuserGain = 0.5f;
constexpr float kFdnAllpassGain = 0.55f;
constexpr float kGlideSlew = 0.0007f;
constexpr int kFdnPermutation[6] = {1, 2, 3, 4, 5, 0};
constexpr float kFdnSign[6] = {1.0f, -1.0f, 1.0f, -1.0f, 1.0f, -1.0f};

constexpr float kLeftNorm = 0.67018336f;
constexpr float kRightNorm = 0.9735572f;
constexpr float kDecorrelatorGain = 0.4950912f;

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

// frac(offset + rate·Φ), formed in double so it stays smooth however large Φ grows.
float cyclesAt(double offset, double rate, double position) {
    double a = offset + rate * position;
    a -= static_cast<double>(static_cast<std::int64_t>(a));  // a >= 0: truncation is floor
    return static_cast<float>(a);
}

// Slots of the per-sample modulation sines.
enum ModulationSlot : int {
    kModTank1 = 0,
    kModTank2 = 1,
    kModFdnDelay = 2,     // six lines
    kModFdnAllpass = 8,   // six lines
    kModGlideRead = 14,
    kModGlideLoop = 15,
    kModGlideTap = 16,
    kModSlots = 20,       // padded to whole vectors
};

// Fractional part of a phase sum in [0, 2).
float wrapUnit(float v) { return v >= 1.0f ? v - 1.0f : v; }

}  // namespace

void ReverbEngine::process(const float* input, int count, float* left, float* right) {
    if (count <= 0) return;
    if (!prepared_) {
        // No lines yet: answer with silence rather than leave the host's buffers as they were.
        std::fill(left, left + count, 0.0f);
        std::fill(right, right + count, 0.0f);
        return;
    }
    // Counts above the prepared capacity still render in full; the diffused feed
    // then holds the last chunk only.
    for (int done = 0; done < count;) {
        const int n = std::min(capacity_, count - done);
        renderFrontEnd(input + done, n);
        renderTails(n, left + done, right + done);
        done += n;
    }
}

void ReverbEngine::renderFrontEnd(const float* input, int count) {
    float* full = fullFeed_.data();
    float* tap3 = tap3Feed_.data();
    float* tap4 = feed_.data();

    // Input diffuser, keeping the signal after stages 3 and 4.
    for (int i = 0; i < count; ++i) full[i] = finiteOrZero(input[i]);
    for (int s = 0; s < 7; ++s) {
        diffuser_[s].allpassInPlace(full, count, len_.diffuser[s], kDiffuserGain);
        if (s == 2) std::copy(full, full + count, tap3);
        if (s == 3) std::copy(full, full + count, tap4);
    }

    // Three band-limited feeds: g (full), h (tap 3), d (tap 4, the diffused feed).
    const float toneStep = k_.oneMinusTone, hpStep = k_.oneMinusHp;
    float* const feeds[3] = {full, tap3, tap4};
    for (int f = 0; f < 3; ++f) {
        float lo = toneState_[f], high = hpState_[f];
        float* sig = feeds[f];
        for (int i = 0; i < count; ++i) {
            lo = lo + toneStep * (sig[i] - lo);
            high = high + hpStep * (lo - high);
            sig[i] = lo - high;
        }
        toneState_[f] = lo;
        hpState_[f] = high;
    }
    const float* d = tap4;
    float* h = tap3;

    // Early taps: sum in tap order per sample, one tap at a time across the chunk.
    float* line = earlyTapLine_.data();
    const int history = earlyHistory_;
    for (int i = 0; i < count; ++i) line[history + i] = finiteOrZero(d[i]);
    float* e = earlySum_.data();
    std::fill(e, e + count, 0.0f);
    for (int t = 0; t < ReverbLengths::kEarlyTaps; ++t) {
        const float gain = len_.earlyTapGain[t];
        const float* src = line + history - len_.earlyTapOffset[t];
        for (int i = 0; i < count; ++i) e[i] += gain * src[i];
    }
    std::copy(line + count, line + count + history, line);

    for (int s = 0; s < 3; ++s) earlySide_[s].allpassInPlace(h, count, len_.earlySide[s], 0.5f);
    for (int s = 0; s < 5; ++s) earlyMain_[s].allpassInPlace(e, count, len_.earlyMain[s], 0.4f);

    // Early tone: three shelving one-poles, then the decorrelated pair.
    float* el = earlyLeft_.data();
    float* er = earlyRight_.data();
    {
        float e1 = earlyTone_[0], e2 = earlyTone_[1], e3 = earlyTone_[2];
        const float c1 = k_.oneMinus1100, cEr = k_.oneMinusEr, m1 = coef_.m1, m2 = coef_.m2;
        for (int i = 0; i < count; ++i) {
            const float early = e[i] + h[i] * 0.3f;
            e1 = e1 + c1 * (early - e1);
            float y = e1 + (early - e1) * m1;
            e2 = e2 + cEr * (y - e2);
            y = e2 + (y - e2) * m2;
            e3 = e3 + cEr * (y - e3);
            y = e3 + (y - e3) * m2;
            el[i] = y;
            er[i] = y;
        }
        earlyTone_ = {e1, e2, e3};
    }
    for (int s = 0; s < 2; ++s) {
        decorrLeft_[s].allpassInPlace(el, count, len_.decorrelatorLeft[s], 0.5f);
        decorrRight_[s].allpassInPlace(er, count, len_.decorrelatorRight[s], 0.5f);
    }
    for (int i = 0; i < count; ++i) {
        el[i] = kDecorrelatorGain * el[i];
        er[i] = kDecorrelatorGain * er[i];
    }
}

void ReverbEngine::renderTails(int count, float* left, float* right) {
    // Work on local copies: the compiler cannot prove that stores into the delay
    // buffers leave the engine's float members alone, and would reload them all
    // after every write.
    const ReverbLengths L = len_;
    const Coefficients c = coef_;
    const Cached kc = k_;
    std::array<float, 6> fdnLow = fdnLow_, fdnMid = fdnMid_;
    float phase = phase_, tankFeedback = tankFeedback_, dampA = dampA_, dampB = dampB_;
    float glideCurrent = glideCurrent_, glideLow = glideLow_, glideHigh = glideHigh_, cross = crossState_;
    std::int64_t cycles = cycles_;
    const float* gFeed = fullFeed_.data();
    const float* dFeed = feed_.data();
    const float* earlyLeft = earlyLeft_.data();
    const float* earlyRight = earlyRight_.data();

    for (int i = 0; i < count; ++i) {
        const float g = gFeed[i];
        const float d = dFeed[i];
        const float earlyL = earlyLeft[i];
        const float earlyR = earlyRight[i];

        // --- oscillator ---
        phase = phase + c.oscIncrement;
        if (phase >= 1.0f) {
            // The increment is below one cycle at any real rate; floor keeps the
            // phase in [0, 1) even for absurdly low ones.
            const float whole = std::floor(phase);
            cycles += static_cast<std::int64_t>(whole);
            phase = phase - whole;
        }
        const double position = static_cast<double>(cycles) + static_cast<double>(phase);
        float sines[kModSlots];
        {
            float at[kModSlots] = {};
            at[kModTank1] = wrapUnit(phase + 0.13f);  // the tank follows φ, not Φ
            at[kModTank2] = wrapUnit(phase + 0.61f);
            for (int j = 0; j < 6; ++j) at[kModFdnDelay + j] = cyclesAt(0.17 * j, 1.9, position);
            for (int k = 0; k < 6; ++k) at[kModFdnAllpass + k] = cyclesAt(0.19 * k, 1.3, position);
            at[kModGlideRead] = cyclesAt(0.41, 1.3, position);
            at[kModGlideLoop] = cyclesAt(0.37, 1.7, position);
            at[kModGlideTap] = cyclesAt(0.81, 0.57, position);
            sinesOfCycles(at, sines);
        }

        // --- plate tank ---
        float tl[6], tr[6];
        {
            float f = g * kTankFeedF + cross;
            f = guardedAllpass(plateInput_[0], L.plateInput[0], 0.75f, f);
            f = guardedAllpass(plateInput_[1], L.plateInput[1], 0.75f, f);
            f = guardedAllpass(plateInput_[2], L.plateInput[2], 0.625f, f);
            f = guardedAllpass(plateInput_[3], L.plateInput[3], 0.625f, f);

            const float gTank = c.gTank;
            const auto modulatedAllpass = [&](int seg, float sine, float in) {
                DelayLine& line = tank_[seg];
                const float shift = L.tankExcursion * sine;
                const float r = line.readLinear(line.position(static_cast<float>(L.tank[seg]), shift));
                const float v = in - 0.7f * r;
                line.push(finiteOrZero(v));
                return 0.7f * v + r;
            };

            const float u = f + tankFeedback * gTank;
            const float l = guardedDelay(tank_[kTankDelay1], L.tank[kTankDelay1], modulatedAllpass(kTankModAllpass1, sines[kModTank1], u));
            dampA = dampA + kc.oneMinusDamp * (l - dampA);
            const float z = (l + c.tankBlend * (dampA - l)) * gTank;
            const float o = guardedDelay(tank_[kTankDelay2], L.tank[kTankDelay2],
                                         guardedAllpass(tank_[kTankAllpass1], L.tank[kTankAllpass1], 0.5f, z));

            const float t = guardedDelay(tank_[kTankDelay3], L.tank[kTankDelay3], modulatedAllpass(kTankModAllpass2, sines[kModTank2], o + f));
            dampB = dampB + kc.oneMinusDamp * (t - dampB);
            const float z2 = (t + c.tankBlend * (dampB - t)) * gTank;
            tankFeedback = guardedDelay(tank_[kTankDelay4], L.tank[kTankDelay4],
                                        guardedAllpass(tank_[kTankAllpass2], L.tank[kTankAllpass2], 0.5f, z2));

            constexpr int kTapSegment[6] = {kTankDelay1, kTankDelay2, kTankAllpass1, kTankDelay3, kTankDelay4, kTankAllpass2};
            for (int k = 0; k < 6; ++k) {
                tl[k] = tank_[kTapSegment[k]].tap(L.tankTapLeft[k]);
                tr[k] = tank_[kTapSegment[k]].tap(L.tankTapRight[k]);
            }
        }

        // --- modulated FDN ---
        float fv[6], fa[6], fy[6];
        for (int j = 0; j < 6; ++j) {
            DelayLine& line = fdnDelay_[j];
            const float shift = kc.fdnExcursion[j] * sines[kModFdnDelay + j];
            const float v = line.readCubic(line.position(static_cast<float>(L.fdnDelay[j]), shift));
            float& lo = fdnLow[j];
            float& mid = fdnMid[j];
            lo = lo + kc.oneMinus300 * (v - lo);
            mid = mid + kc.oneMinusDamp * ((v - lo) - mid);
            fa[j] = mid * c.gMid[j] + lo * c.gLow[j] + (v - lo - mid) * c.gHigh[j];
            fv[j] = v;
        }
        const float fdnOut = fa[2];
        for (int k = 0; k < 6; ++k) {
            DelayLine& line = fdnAllpass_[k];
            const float in = kFdnSign[k] * fa[kFdnPermutation[k]];
            const float shift = kc.apExcursion[k] * sines[kModFdnAllpass + k];
            const float r = line.readCubic(line.position(static_cast<float>(L.fdnAllpass[k]), shift));
            const float o = in - kFdnAllpassGain * r;
            line.push(finiteOrZero(o * c.gAp[k]));
            fy[k] = kFdnAllpassGain * o + r;
        }

        // --- glide line ---
        float glideTap, glideFeedback;
        {
            const float target = static_cast<float>(c.glideTarget);
            glideCurrent = glideCurrent + (target - glideCurrent) * kGlideSlew;
            if (glideCurrent < 2.0f) glideCurrent = 2.0f;
            const float shiftA = kc.glideExcursion * sines[kModGlideRead];
            const float m = glideLine_.readCubic(glideLine_.position(glideCurrent, shiftA));
            glideLow = glideLow + kc.oneMinusDamp * (m - glideLow);
            float t = m + 0.0592f * (glideLow - m);
            glideHigh = glideHigh + kc.oneMinus150 * (t - glideHigh);
            t = t - glideHigh;

            const float shiftB = kc.loopExcursion * sines[kModGlideLoop];
            const float r = glideLoop_.readCubic(glideLoop_.position(static_cast<float>(L.glideLoop), shiftB));
            t = t - 0.4f * r;
            glideLoop_.push(finiteOrZero(t));
            glideFeedback = (0.4f * t + r) * 0.84f;

            const float shiftT = kc.glideTapSwing * sines[kModGlideTap];
            // Offset T3 + 1 behind the write position: nominal length T3 + 2.
            const float tapNominal = static_cast<float>(c.glideTapOffset + 2);
            glideTap = glideLine_.readCubic(glideLine_.position(tapNominal, shiftT)) * c.glideTapGain;
        }

        // --- cross-feed and write-back ---
        const float J = c.crossJ, K = c.crossK;
        cross = K * fdnOut + J * glideTap;
        const float fdnIn = K * glideTap + J * tl[2] + g * kc.fdnFeed;
        for (int j = 0; j < 6; ++j) fdnDelay_[j].push(finiteOrZero(fdnIn + fy[j]));
        glideLine_.push(finiteOrZero(K * tl[2] + J * fdnOut + d * kc.glideFeed + glideFeedback));

        // --- output ---
        const float outL =
            kLeftNorm * (-0.24764632f * tl[0] + 0.26880088f * tl[1] + 0.50718534f * tl[2] + 0.55442935f * tl[3] +
                         0.35461488f * tl[4] - 0.09837884f * tl[5] + 0.065846235f * fv[0] - 0.10805824f * fv[1] -
                         0.13102943f * fv[2] - 0.07363253f * fv[3] - 0.38479432f * fv[4] + 0.016439976f * fv[5]) +
            earlyL;
        const float outR =
            kRightNorm * (-0.26423553f * tr[0] + 0.28680718f * tr[1] + 0.5411604f * tr[2] + 0.5915692f * tr[3] +
                          0.37836963f * tr[4] - 0.10496899f * tr[5] - 0.009249815f * fv[0] - 0.21541397f * fv[1] +
                          0.01840649f * fv[2] + 0.010343603f * fv[3] + 0.054054365f * fv[4] + 0.032773074f * fv[5]) +
            earlyR;
        left[i] = finiteOrZero(outL);
        right[i] = finiteOrZero(outR);
    }

    fdnLow_ = fdnLow;
    fdnMid_ = fdnMid;
    phase_ = phase;
    cycles_ = cycles;
    tankFeedback_ = tankFeedback;
    dampA_ = dampA;
    dampB_ = dampB;
    glideCurrent_ = glideCurrent;
    glideLow_ = glideLow;
    glideHigh_ = glideHigh;
    crossState_ = cross;
}

}  // namespace halcyra
