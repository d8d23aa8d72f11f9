// Signal side of the reverb engine. All signal arithmetic is single precision;
// only the oscillator position Φ is formed in double so hours of running do not
// coarsen the modulation.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include <immintrin.h>  // SSE2 everywhere; AVX2 only in the copy compiled for it

#include "dsp/reverb/ChunkScratchPool.h"
#include "dsp/reverb/CubicLanes8.h"
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
// Output weights of the six tank taps, then the six FDN lines, summed in this order.
constexpr float kMixLeft[12] = {-0.24764632f, 0.26880088f, 0.50718534f, 0.55442935f, 0.35461488f, -0.09837884f,
                                0.065846235f, -0.10805824f, -0.13102943f, -0.07363253f, -0.38479432f, 0.016439976f};
constexpr float kMixRight[12] = {-0.26423553f, 0.28680718f, 0.5411604f, 0.5915692f, 0.37836963f, -0.10496899f,
                                 -0.009249815f, -0.21541397f, 0.01840649f, 0.010343603f, 0.054054365f, 0.032773074f};
constexpr float kDecorrelatorGain = 0.4950912f;

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

// The FDN and glide modulation phases of one sample: frac(offset[k] + rate[k]·Φ) for
// the slots kModFdnDelay .. kModGlideTap, two lanes at a time.
// Each lane rounds exactly like cyclesAt; truncation through 32-bit integers holds
// for decades of running, and past that the scalar form takes over.
struct PhaseTable {
    static constexpr int kFirst = kModFdnDelay, kCount = kModGlideTap + 1 - kModFdnDelay + 1;  // padded to pairs
    double offset[kCount] = {}, rate[kCount] = {};
    constexpr PhaseTable() {
        for (int j = 0; j < 6; ++j) {
            offset[kModFdnDelay - kFirst + j] = 0.17 * j;
            rate[kModFdnDelay - kFirst + j] = 1.9;
            offset[kModFdnAllpass - kFirst + j] = 0.19 * j;
            rate[kModFdnAllpass - kFirst + j] = 1.3;
        }
        offset[kModGlideRead - kFirst] = 0.41;
        rate[kModGlideRead - kFirst] = 1.3;
        offset[kModGlideLoop - kFirst] = 0.37;
        rate[kModGlideLoop - kFirst] = 1.7;
        offset[kModGlideTap - kFirst] = 0.81;
        rate[kModGlideTap - kFirst] = 0.57;
    }

    void fill(double position, float* at) const {
        if (position < 1e9) {
            const __m128d p = _mm_set1_pd(position);
            for (int k = 0; k < kCount; k += 2) {
                const __m128d a = _mm_add_pd(_mm_loadu_pd(offset + k), _mm_mul_pd(_mm_loadu_pd(rate + k), p));
                const __m128d f = _mm_sub_pd(a, _mm_cvtepi32_pd(_mm_cvttpd_epi32(a)));
                const __m128 v = _mm_cvtpd_ps(f);
                at[kFirst + k] = _mm_cvtss_f32(v);
                at[kFirst + k + 1] = _mm_cvtss_f32(_mm_shuffle_ps(v, v, 1));
            }
            return;
        }
        for (int k = 0; k < kCount; ++k) at[kFirst + k] = cyclesAt(offset[k], rate[k], position);
    }

    // The same, four lanes at a time.
    HALCYRA_AVX2_INLINE void fillAvx2(double position, float* at) const {
        if (position < 1e9) {
            const __m256d p = _mm256_set1_pd(position);
            for (int k = 0; k < kCount; k += 4) {
                const __m256d a = _mm256_add_pd(_mm256_loadu_pd(offset + k), _mm256_mul_pd(_mm256_loadu_pd(rate + k), p));
                const __m256d f = _mm256_sub_pd(a, _mm256_cvtepi32_pd(_mm256_cvttpd_epi32(a)));
                _mm_storeu_ps(at + kFirst + k, _mm256_cvtpd_ps(f));
            }
            return;
        }
        for (int k = 0; k < kCount; ++k) at[kFirst + k] = cyclesAt(offset[k], rate[k], position);
    }
};

// The sixteen cubic lanes of a sample and their modulation, in vectors of four
// (baseline) or eight (AVX2). Lanes 0-13 are written; 14 and 15 repeat lines 12 and 13.
constexpr int kCubicLanes = 16, kGlideReadLane = 12;
static_assert(PhaseTable::kCount % 4 == 0, "phase slots in whole vectors");

class CubicLanesSse {
public:
    CubicLanesSse(CubicDelayLine* const* lines, const float* nominal, const float* excursion)
        : group_{CubicLanes4(lines), CubicLanes4(lines + 4), CubicLanes4(lines + 8), CubicLanes4(lines + 12)} {
        for (int q = 0; q < kGroups; ++q) {
            nominal_[q] = _mm_loadu_ps(nominal + 4 * q);
            excursion_[q] = _mm_loadu_ps(excursion + 4 * q);
        }
    }
    static void phases(const PhaseTable& table, double position, float* at) { table.fill(position, at); }
    static void sines(const float (&at)[kModSlots], float (&out)[kModSlots]) { sinesOfCycles(at, out); }
    // sines: the sixteen lanes' modulation sines; glideLength: the glide read's nominal length.
    void read(const float* sines, float glideLength, float* out) {
        nominal_[kGlideGroup] = _mm_move_ss(nominal_[kGlideGroup], _mm_set_ss(glideLength));
        for (int q = 0; q < kGroups; ++q)
            _mm_storeu_ps(out + 4 * q, group_[q].read(nominal_[q], _mm_mul_ps(excursion_[q], _mm_loadu_ps(sines + 4 * q))));
    }
    void write(const float* values) {
        group_[0].write<0b1111>(values);
        group_[1].write<0b1111>(values + 4);
        group_[2].write<0b1111>(values + 8);
        group_[3].write<0b0011>(values + 12);
        for (CubicLanes4& q : group_) q.advance();
    }
    void finish() const {
        for (const CubicLanes4& q : group_) q.finish();
    }

private:
    static constexpr int kGroups = kCubicLanes / 4, kGlideGroup = kGlideReadLane / 4;
    static_assert(kGlideReadLane % 4 == 0, "the glide read's length goes into the first lane of its group");
    CubicLanes4 group_[kGroups];
    __m128 nominal_[kGroups], excursion_[kGroups];
};

class CubicLanesAvx2 {
public:
    HALCYRA_AVX2_INLINE CubicLanesAvx2(CubicDelayLine* const* lines, const float* nominal, const float* excursion)
        : group_{CubicLanes8(lines), CubicLanes8(lines + 8)} {
        for (int q = 0; q < kGroups; ++q) {
            nominal_[q] = _mm256_loadu_ps(nominal + 8 * q);
            excursion_[q] = _mm256_loadu_ps(excursion + 8 * q);
        }
    }
    HALCYRA_AVX2_INLINE static void phases(const PhaseTable& table, double position, float* at) {
        table.fillAvx2(position, at);
    }
    HALCYRA_AVX2_INLINE static void sines(const float (&at)[kModSlots], float (&out)[kModSlots]) {
        sinesOfCyclesAvx2(at, out);
    }
    HALCYRA_AVX2_INLINE void read(const float* sines, float glideLength, float* out) {
        constexpr int kLaneInGroup = kGlideReadLane % 8;
        nominal_[kGlideGroup] =
            _mm256_blend_ps(nominal_[kGlideGroup], _mm256_set1_ps(glideLength), 1 << kLaneInGroup);
        for (int q = 0; q < kGroups; ++q)
            _mm256_storeu_ps(out + 8 * q,
                             group_[q].read(nominal_[q], _mm256_mul_ps(excursion_[q], _mm256_loadu_ps(sines + 8 * q))));
    }
    HALCYRA_AVX2_INLINE void write(const float* values) {
        group_[0].write<0xff>(values);
        group_[1].write<0x3f>(values + 8);
        for (CubicLanes8& q : group_) q.advance();
    }
    HALCYRA_AVX2_INLINE void finish() const {
        for (const CubicLanes8& q : group_) q.finish();
    }

private:
    static constexpr int kGroups = kCubicLanes / 8, kGlideGroup = kGlideReadLane / 8;
    CubicLanes8 group_[kGroups];
    __m256 nominal_[kGroups], excursion_[kGroups];
};

// finiteOrZero on four lanes.
inline __m128 finiteOrZero4(__m128 v) {
    const __m128i exponent = _mm_set1_epi32(0x7f800000);
    const __m128i bad = _mm_cmpeq_epi32(_mm_and_si128(_mm_castps_si128(v), exponent), exponent);
    return _mm_andnot_ps(_mm_castsi128_ps(bad), v);
}

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
    const ChunkScratchPool::Claim shared;
    scratch_ = shared.data() != nullptr ? shared.data() : ownScratch_.data();
    // Counts above the prepared capacity still render in full; the diffused feed
    // then holds the last `capacity` samples' piece only. Inside a piece the network
    // runs in short chunks, so its scratch stays small and warm.
    for (int done = 0; done < count;) {
        const int piece = std::min(capacity_, count - done);
        for (int at = 0; at < piece;) {
            const int n = std::min(chunk_, piece - at);
            float* feed = feed_.data() + at;
            if (avx2_) {
                renderChunkAvx2(input + done + at, n, feed, left + done + at, right + done + at);
            } else {
                renderChunkBaseline(input + done + at, n, feed, left + done + at, right + done + at);
            }
            at += n;
        }
        done += piece;
    }
}

bool ReverbEngine::avx2Supported() {
#if defined(__GNUC__) && defined(__x86_64__)
    __builtin_cpu_init();  // may run before the runtime's own initialisation (static engines)
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

void ReverbEngine::setInstructionSet(InstructionSet set) { avx2_ = set == InstructionSet::kAvx2 && avx2Supported(); }

void ReverbEngine::renderChunkBaseline(const float* input, int count, float* feed, float* left, float* right) {
    renderChunk<CubicLanesSse>(input, count, feed, left, right);
}

// The same body with AVX2 allowed: wider and three-operand forms of the same steps.
// No "fma" here: a fused multiply-add rounds once where the baseline rounds twice.
__attribute__((target("avx2"), flatten)) void ReverbEngine::renderChunkAvx2(const float* input, int count, float* feed,
                                                                      float* left, float* right) {
    renderChunk<CubicLanesAvx2>(input, count, feed, left, right);
}

template <class CubicLanes>
void ReverbEngine::renderChunk(const float* input, int count, float* feed, float* left, float* right) {
    renderFrontEnd(input, count, feed);
    renderTails<CubicLanes>(count, feed, left, right);
}

void ReverbEngine::renderFrontEnd(const float* input, int count, float* feed) {
    float* full = column(kColFull);
    float* tap3 = column(kColTap3);
    float* tap4 = feed;

    // Input diffuser, keeping the signal after stages 3 and 4.
    for (int i = 0; i < count; ++i) full[i] = finiteOrZero(input[i]);
    for (int s = 0; s < 7; ++s) {
        diffuser_[s].allpassInPlace(full, count, len_.diffuser[s], kDiffuserGain);
        if (s == 2) std::copy(full, full + count, tap3);
        if (s == 3) std::copy(full, full + count, tap4);
    }

    // Three band-limited feeds: g (full), h (tap 3), d (tap 4, the diffused feed),
    // in one loop so the three independent filter chains overlap in the pipeline.
    {
        const float toneStep = k_.oneMinusTone, hpStep = k_.oneMinusHp;
        float lo0 = toneState_[0], lo1 = toneState_[1], lo2 = toneState_[2];
        float high0 = hpState_[0], high1 = hpState_[1], high2 = hpState_[2];
        for (int i = 0; i < count; ++i) {
            lo0 = lo0 + toneStep * (full[i] - lo0);
            lo1 = lo1 + toneStep * (tap3[i] - lo1);
            lo2 = lo2 + toneStep * (tap4[i] - lo2);
            high0 = high0 + hpStep * (lo0 - high0);
            high1 = high1 + hpStep * (lo1 - high1);
            high2 = high2 + hpStep * (lo2 - high2);
            full[i] = lo0 - high0;
            tap3[i] = lo1 - high1;
            tap4[i] = lo2 - high2;
        }
        toneState_ = {lo0, lo1, lo2};
        hpState_ = {high0, high1, high2};
    }
    const float* d = tap4;
    float* h = tap3;

    // Early taps: sum in tap order per sample, one tap at a time across the chunk.
    float* line = earlyTapLine_.data();
    const int history = earlyHistory_;
    for (int i = 0; i < count; ++i) line[history + i] = finiteOrZero(d[i]);
    float* e = column(kColEarlySum);
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
    float* el = column(kColEarlyLeft);
    float* er = column(kColEarlyRight);
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

template <class CubicLanes>
void ReverbEngine::renderTails(int count, const float* feed, float* left, float* right) {
    // Work on local copies: the compiler cannot prove that stores into the delay
    // buffers leave the engine's float members alone, and would reload them all
    // after every write.
    const ReverbLengths L = len_;
    const Coefficients c = coef_;
    const Cached kc = k_;
    constexpr int kFdnLanes = 8;
    alignas(16) float fdnLow[kFdnLanes] = {}, fdnMid[kFdnLanes] = {};
    alignas(16) float gMid[kFdnLanes] = {}, gLow[kFdnLanes] = {}, gHigh[kFdnLanes] = {}, gAp[kFdnLanes] = {};
    alignas(16) float fdnLive[kFdnLanes] = {};
    for (int j = 0; j < 6; ++j) {
        fdnLow[j] = fdnLow_[j];
        fdnMid[j] = fdnMid_[j];
        gMid[j] = c.gMid[j];
        gLow[j] = c.gLow[j];
        gHigh[j] = c.gHigh[j];
        gAp[j] = c.gAp[j];
        fdnLive[j] = 1.0f;
    }
    const __m128 oneMinus300 = _mm_set1_ps(kc.oneMinus300), oneMinusDamp = _mm_set1_ps(kc.oneMinusDamp);
    const __m128 apGain = _mm_set1_ps(kFdnAllpassGain);
    float phase = phase_, tankFeedback = tankFeedback_, dampA = dampA_, dampB = dampB_;
    float glideCurrent = glideCurrent_, glideLow = glideLow_, glideHigh = glideHigh_, cross = crossState_;
    std::int64_t cycles = cycles_;
    const float* gFeed = column(kColFull);
    const float* dFeed = feed;
    const float* earlyLeft = column(kColEarlyLeft);
    const float* earlyRight = column(kColEarlyRight);

    // The fifteen Catmull-Rom reads of a sample (six FDN delays, six FDN allpasses, the
    // glide read, its loop allpass and the glide tap) all come before any of those
    // lines is written, so they run side by side. Lane l is modulated by sine slot
    // kModFdnDelay + l; lane 15 only pads the last batch.
    enum CubicLane : int { kLaneFdnDelay = 0, kLaneFdnAllpass = 6, kLaneGlideRead = kGlideReadLane,
                           kLaneGlideLoop = 13, kLaneGlideTap = 14 };
    static constexpr PhaseTable phases{};
    CubicDelayLine* lines[kCubicLanes];
    alignas(16) float nominal[kCubicLanes], excursion[kCubicLanes];
    for (int j = 0; j < 6; ++j) {
        lines[kLaneFdnDelay + j] = &fdnDelay_[j];
        nominal[kLaneFdnDelay + j] = static_cast<float>(L.fdnDelay[j]);
        excursion[kLaneFdnDelay + j] = kc.fdnExcursion[j];
        lines[kLaneFdnAllpass + j] = &fdnAllpass_[j];
        nominal[kLaneFdnAllpass + j] = static_cast<float>(L.fdnAllpass[j]);
        excursion[kLaneFdnAllpass + j] = kc.apExcursion[j];
    }
    lines[kLaneGlideRead] = &glideLine_;
    nominal[kLaneGlideRead] = 0.0f;  // set per sample
    excursion[kLaneGlideRead] = kc.glideExcursion;
    lines[kLaneGlideLoop] = lines[kCubicLanes - 1] = &glideLoop_;
    nominal[kLaneGlideLoop] = nominal[kCubicLanes - 1] = static_cast<float>(L.glideLoop);
    excursion[kLaneGlideLoop] = kc.loopExcursion;
    excursion[kCubicLanes - 1] = 0.0f;
    lines[kLaneGlideTap] = &glideLine_;
    // Offset T3 + 1 behind the write position: nominal length T3 + 2.
    nominal[kLaneGlideTap] = static_cast<float>(c.glideTapOffset + 2);
    excursion[kLaneGlideTap] = kc.glideTapSwing;
    static_assert(int{kModFdnAllpass} == kModFdnDelay + int{kLaneFdnAllpass} &&
                      int{kModGlideTap} == kModFdnDelay + int{kLaneGlideTap} &&
                      int{kModFdnDelay} + kCubicLanes <= int{kModSlots},
                  "cubic lanes follow the sine slots");
    CubicLanes cubicLanes(lines, nominal, excursion);

    // Plate tank. Every plain read of the chunk lies before the chunk (the chunk is
    // never longer than the shortest such line), so those reads come from runs of the
    // lines and the writes collect in columns that join the lines after the chunk.
    enum TankRun : int { kRunInput = 0, kRunDelay1 = 4, kRunAllpass1, kRunDelay2, kRunDelay3, kRunAllpass2, kRunDelay4,
                         kTankRuns, kRunInLoopTap = kTankRuns };
    DelayLine* const runLine[kTankRuns] = {&plateInput_[0], &plateInput_[1], &plateInput_[2], &plateInput_[3],
                                           &tank_[kTankDelay1], &tank_[kTankAllpass1], &tank_[kTankDelay2],
                                           &tank_[kTankDelay3], &tank_[kTankAllpass2], &tank_[kTankDelay4]};
    const int runLength[kTankRuns] = {L.plateInput[0], L.plateInput[1], L.plateInput[2], L.plateInput[3],
                                      L.tank[kTankDelay1], L.tank[kTankAllpass1], L.tank[kTankDelay2],
                                      L.tank[kTankDelay3], L.tank[kTankAllpass2], L.tank[kTankDelay4]};
    const int stride = scratchStride_;
    float* const spill = column(kColTankSpill);  // a column for every run that wraps
    float* const written = column(kColTankWritten);
    const float* read[kTankRuns + 1];
    float* write[kTankRuns];
    for (int r = 0; r < kTankRuns; ++r) {
        read[r] = runLine[r]->readRun(runLength[r] - 1, count, spill + r * stride);
        write[r] = written + r * stride;
    }
    // The left tap of the first allpass also feeds the FDN and glide line each sample.
    read[kRunInLoopTap] = tank_[kTankAllpass1].readRun(L.tankTapLeft[2], count, spill + kRunInLoopTap * stride);
    float* const fvRows = column(kColFdnRows);  // the six FDN outputs of each sample, eight floats a row

    for (int i = 0; i < count; ++i) {
        const float g = gFeed[i];
        const float d = dFeed[i];

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
            CubicLanes::phases(phases, position, at);
            CubicLanes::sines(at, sines);
        }

        // --- the modulated reads ---
        const float target = static_cast<float>(c.glideTarget);
        glideCurrent = glideCurrent + (target - glideCurrent) * kGlideSlew;
        if (glideCurrent < 2.0f) glideCurrent = 2.0f;
        alignas(32) float cubic[kCubicLanes];
        cubicLanes.read(sines + kModFdnDelay, glideCurrent, cubic);

        // --- plate tank ---
        const float tapIntoFdn = read[kRunInLoopTap][i];
        {
            // Allpass and delay steps over the runs: read before write, L - 1 samples apart.
            const auto allpass = [&](int r, float gain, float in) {
                const float delayed = read[r][i];
                const float v = in - gain * delayed;
                write[r][i] = v;
                return gain * v + delayed;
            };
            const auto delay = [&](int r, float in) {
                write[r][i] = in;
                return read[r][i];
            };
            float f = g * kTankFeedF + cross;
            f = allpass(kRunInput + 0, 0.75f, f);
            f = allpass(kRunInput + 1, 0.75f, f);
            f = allpass(kRunInput + 2, 0.625f, f);
            f = allpass(kRunInput + 3, 0.625f, f);

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
            const float l = delay(kRunDelay1, modulatedAllpass(kTankModAllpass1, sines[kModTank1], u));
            dampA = dampA + kc.oneMinusDamp * (l - dampA);
            const float z = (l + c.tankBlend * (dampA - l)) * gTank;
            const float o = delay(kRunDelay2, allpass(kRunAllpass1, 0.5f, z));

            const float t = delay(kRunDelay3, modulatedAllpass(kTankModAllpass2, sines[kModTank2], o + f));
            dampB = dampB + kc.oneMinusDamp * (t - dampB);
            const float z2 = (t + c.tankBlend * (dampB - t)) * gTank;
            tankFeedback = delay(kRunDelay4, allpass(kRunAllpass2, 0.5f, z2));
        }

        // --- modulated FDN ---
        // Two vectors of four lines, the last two lanes idle; each lane rounds like
        // the scalar form.
        alignas(16) float fv[kFdnLanes], fa[kFdnLanes], fy[kFdnLanes], apIn[kFdnLanes];
        // Each line's new sample in its cubic lane; 14 and 15 repeat lines 12 and 13.
        alignas(16) float pushed[kCubicLanes];
        for (int h = 0; h < kFdnLanes; h += 4) {
            const __m128 v = _mm_mul_ps(_mm_load_ps(cubic + kLaneFdnDelay + h), _mm_load_ps(fdnLive + h));
            __m128 lo = _mm_load_ps(fdnLow + h), mid = _mm_load_ps(fdnMid + h);
            lo = _mm_add_ps(lo, _mm_mul_ps(oneMinus300, _mm_sub_ps(v, lo)));
            mid = _mm_add_ps(mid, _mm_mul_ps(oneMinusDamp, _mm_sub_ps(_mm_sub_ps(v, lo), mid)));
            const __m128 a = _mm_add_ps(_mm_add_ps(_mm_mul_ps(mid, _mm_load_ps(gMid + h)), _mm_mul_ps(lo, _mm_load_ps(gLow + h))),
                                        _mm_mul_ps(_mm_sub_ps(_mm_sub_ps(v, lo), mid), _mm_load_ps(gHigh + h)));
            _mm_store_ps(fdnLow + h, lo);
            _mm_store_ps(fdnMid + h, mid);
            _mm_store_ps(fa + h, a);
            _mm_store_ps(fv + h, v);
        }
        const float fdnOut = fa[2];
        for (int k = 0; k < 6; ++k) apIn[k] = kFdnSign[k] * fa[kFdnPermutation[k]];
        apIn[6] = apIn[7] = 0.0f;
        for (int h = 0; h < kFdnLanes; h += 4) {
            const __m128 r = _mm_loadu_ps(cubic + kLaneFdnAllpass + h);  // lane 6: not 16-byte aligned
            const __m128 o = _mm_sub_ps(_mm_load_ps(apIn + h), _mm_mul_ps(apGain, r));
            const __m128 apWrite = finiteOrZero4(_mm_mul_ps(o, _mm_load_ps(gAp + h)));
            if (h == 0) {
                _mm_storeu_ps(pushed + kLaneFdnAllpass, apWrite);
            } else {
                _mm_storel_pi(reinterpret_cast<__m64*>(pushed + kLaneFdnAllpass + 4), apWrite);  // lanes 6, 7 idle
            }
            _mm_store_ps(fy + h, _mm_add_ps(_mm_mul_ps(apGain, o), r));
        }

        // --- glide line ---
        float glideTap, glideFeedback;
        {
            const float m = cubic[kLaneGlideRead];
            glideLow = glideLow + kc.oneMinusDamp * (m - glideLow);
            float t = m + 0.0592f * (glideLow - m);
            glideHigh = glideHigh + kc.oneMinus150 * (t - glideHigh);
            t = t - glideHigh;

            const float r = cubic[kLaneGlideLoop];
            t = t - 0.4f * r;
            pushed[kLaneGlideLoop] = finiteOrZero(t);
            glideFeedback = (0.4f * t + r) * 0.84f;

            glideTap = cubic[kLaneGlideTap] * c.glideTapGain;
        }

        // --- cross-feed and write-back ---
        const float J = c.crossJ, K = c.crossK;
        cross = K * fdnOut + J * glideTap;
        const float fdnIn = K * glideTap + J * tapIntoFdn + g * kc.fdnFeed;
        _mm_store_ps(pushed + kLaneFdnDelay, finiteOrZero4(_mm_add_ps(_mm_set1_ps(fdnIn), _mm_load_ps(fy))));
        _mm_storel_pi(reinterpret_cast<__m64*>(pushed + kLaneFdnDelay + 4),
                      finiteOrZero4(_mm_add_ps(_mm_set1_ps(fdnIn), _mm_load_ps(fy + 4))));
        pushed[kLaneGlideRead] = finiteOrZero(K * tapIntoFdn + J * fdnOut + d * kc.glideFeed + glideFeedback);
        static_assert(kLaneFdnDelay == 0 && kLaneFdnAllpass == 6 && kLaneGlideLoop == 13,
                      "lanes 0-13 are written");
        cubicLanes.write(pushed);

        _mm_store_ps(fvRows + 8 * i, _mm_load_ps(fv));
        _mm_store_ps(fvRows + 8 * i + 4, _mm_load_ps(fv + 4));
    }

    cubicLanes.finish();
    // The columns are only read once they join the lines, so the guard runs here,
    // four samples at a time.
    for (int r = 0; r < kTankRuns; ++r) {
        float* column = write[r];
        int i = 0;
        for (; i + 4 <= count; i += 4) _mm_storeu_ps(column + i, finiteOrZero4(_mm_loadu_ps(column + i)));
        for (; i < count; ++i) column[i] = finiteOrZero(column[i]);
        runLine[r]->pushRun(column, count);
    }
    mixOutput(count, earlyLeft, earlyRight, left, right);

    std::copy_n(fdnLow, 6, fdnLow_.begin());
    std::copy_n(fdnMid, 6, fdnMid_.begin());
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

// The stereo sum of a chunk, four samples at a time: the tank taps (read back from
// the lines once the chunk has joined them), the FDN outputs and the early part.
void ReverbEngine::mixOutput(int count, const float* earlyLeft, const float* earlyRight, float* left, float* right) {
    float* const spill = column(kColTankSpill + kTankRunColumns);
    const float* tapLeft[6];
    const float* tapRight[6];
    for (int k = 0; k < 6; ++k) {
        const DelayLine& line = tank_[kTankTapSegment[k]];
        tapLeft[k] = line.readRun(len_.tankTapLeft[k] + count, count, spill + k * scratchStride_);
        tapRight[k] = line.readRun(len_.tankTapRight[k] + count, count, spill + (6 + k) * scratchStride_);
    }
    const float* rows = column(kColFdnRows);

    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const float* row = rows + 8 * i;
        __m128 f0 = _mm_load_ps(row), f1 = _mm_load_ps(row + 8), f2 = _mm_load_ps(row + 16), f3 = _mm_load_ps(row + 24);
        __m128 f4 = _mm_load_ps(row + 4), f5 = _mm_load_ps(row + 12), f6 = _mm_load_ps(row + 20), f7 = _mm_load_ps(row + 28);
        _MM_TRANSPOSE4_PS(f0, f1, f2, f3);
        _MM_TRANSPOSE4_PS(f4, f5, f6, f7);
        const __m128 fdn[6] = {f0, f1, f2, f3, f4, f5};
        __m128 sumL = _mm_mul_ps(_mm_set1_ps(kMixLeft[0]), _mm_loadu_ps(tapLeft[0] + i));
        __m128 sumR = _mm_mul_ps(_mm_set1_ps(kMixRight[0]), _mm_loadu_ps(tapRight[0] + i));
        for (int k = 1; k < 6; ++k) {
            sumL = _mm_add_ps(sumL, _mm_mul_ps(_mm_set1_ps(kMixLeft[k]), _mm_loadu_ps(tapLeft[k] + i)));
            sumR = _mm_add_ps(sumR, _mm_mul_ps(_mm_set1_ps(kMixRight[k]), _mm_loadu_ps(tapRight[k] + i)));
        }
        for (int k = 0; k < 6; ++k) {
            sumL = _mm_add_ps(sumL, _mm_mul_ps(_mm_set1_ps(kMixLeft[6 + k]), fdn[k]));
            sumR = _mm_add_ps(sumR, _mm_mul_ps(_mm_set1_ps(kMixRight[6 + k]), fdn[k]));
        }
        const __m128 outL = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(kLeftNorm), sumL), _mm_loadu_ps(earlyLeft + i));
        const __m128 outR = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(kRightNorm), sumR), _mm_loadu_ps(earlyRight + i));
        _mm_storeu_ps(left + i, finiteOrZero4(outL));
        _mm_storeu_ps(right + i, finiteOrZero4(outR));
    }
    for (; i < count; ++i) {
        const float* fdn = rows + 8 * i;
        float sumL = kMixLeft[0] * tapLeft[0][i], sumR = kMixRight[0] * tapRight[0][i];
        for (int k = 1; k < 6; ++k) {
            sumL = sumL + kMixLeft[k] * tapLeft[k][i];
            sumR = sumR + kMixRight[k] * tapRight[k][i];
        }
        for (int k = 0; k < 6; ++k) {
            sumL = sumL + kMixLeft[6 + k] * fdn[k];
            sumR = sumR + kMixRight[6 + k] * fdn[k];
        }
        left[i] = finiteOrZero(kLeftNorm * sumL + earlyLeft[i]);
        right[i] = finiteOrZero(kRightNorm * sumR + earlyRight[i]);
    }
}

}  // namespace halcyra
