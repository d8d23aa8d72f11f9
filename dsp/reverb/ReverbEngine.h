// The reverberation network: mono in, stereo out, sample by sample.
//
// Five sub-networks share one slow oscillator: an allpass input diffuser that
// also feeds the stars (the diffused feed), an early-reflection cluster with
// decorrelated left/right outputs, a figure-eight plate tank, a six-line modulated
// FDN with three-band decay, and a long gliding delay whose length follows "Size".
// The three long-tail networks are coupled by a small cross-feed.
//
// prepare() is the only place that allocates. Setters may run between process()
// calls on the audio thread; they neither allocate nor lock.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "dsp/reverb/CubicDelayLine.h"
#include "dsp/reverb/DelayLine.h"
#include "dsp/reverb/ReverbLengths.h"

namespace halcyra {

class ReverbEngine {
public:
    using Lengths = ReverbLengths;

    // Every value the per-sample loop derives from the ten controls.
    struct Coefficients {
        float decayTime = 0.0f, lowDecayTime = 0.0f, highDecayTime = 0.0f;
        float c300 = 0.0f, c150 = 0.0f, cDamp = 0.0f, cTone = 0.0f, cHp = 0.0f;
        std::array<float, 6> gLow{}, gMid{}, gHigh{}, gAp{};
        float gTank = 0.0f, tankBlend = 0.0f;
        float c1100 = 0.0f, m1 = 0.0f, cEr = 0.0f, m2 = 0.0f;
        float dGlide = 0.0f, dFdnA = 0.0f, dFdnB = 0.0f;  // cents
        float oscIncrement = 0.0f;                        // cycles per sample
        float crossJ = 0.0f, crossK = 0.0f;
        int glideTarget = 2;      // samples
        int glideTapOffset = 1;   // samples
        float glideTapGain = 1.0f;
    };

    ReverbEngine();

    void prepare(double sampleRate, int blockCapacity);
    void clear();
    // count in [0, blockCapacity]; input may alias neither output.
    void process(const float* input, int count, float* left, float* right);
    // The band-limited diffused signal of the last process() call, `count` values.
    const float* diffusedFeed() const { return feed_.data(); }

    void setDecayTime(float seconds);
    void setLowDecayRatio(float ratio);
    void setDampingFrequency(float hz);
    void setHighDecayRatio(float ratio);
    void setInputTone(float amount);
    void setModDepth(float amount);
    void setModRate(float rate);
    void setCrossFeed(float amount);
    void setGlideSize(float amount);
    void setWidth(float amount);

    float decayTime() const { return decayTime_; }
    double sampleRate() const { return fs_; }
    int blockCapacity() const { return capacity_; }
    Lengths lengths() const { return len_; }
    Coefficients coefficients() const { return coef_; }
    float glideCurrentLength() const { return glideCurrent_; }

    // The network is compiled twice: for the x86-64 baseline and for AVX2. Both copies
    // do the same operations in the same order without fused multiply-adds, so they
    // give the same output bit for bit; the AVX2 copy runs wherever the CPU has it.
    enum class InstructionSet { kBaseline, kAvx2 };
    static bool avx2Supported();
    // kAvx2 falls back to the baseline on a CPU without it.
    void setInstructionSet(InstructionSet set);
    InstructionSet instructionSet() const { return avx2_ ? InstructionSet::kAvx2 : InstructionSet::kBaseline; }

private:
    void applyInputTone();
    void applyGlideSize();
    void updateCoefficients();
    void applyModDepth();
    void applyModRate();
    void applyCrossFeed();
    void applyWidth();
    void updateGlideExcursions();
    void sizeBuffers();
    // The diffuser, feeds, early cluster and decorrelators take nothing back from
    // the tails, so they run stage by stage over the whole chunk; the coupled tank,
    // FDN and glide line then run sample by sample.
    // Both work on one chunk of at most chunk_ samples; `feed` receives (and the
    // tails then read) its diffused feed.
    // The two compiled copies of one chunk, and the body both inline.
    void renderChunkBaseline(const float* input, int count, float* feed, float* left, float* right);
    void renderChunkAvx2(const float* input, int count, float* feed, float* left, float* right);
    // CubicLanes: how the sixteen modulated reads and writes of a sample are vectorised.
    template <class CubicLanes>
    [[gnu::always_inline]] inline void renderChunk(const float* input, int count, float* feed, float* left, float* right);
    [[gnu::always_inline]] inline void renderFrontEnd(const float* input, int count, float* feed);
    template <class CubicLanes>
    [[gnu::always_inline]] inline void renderTails(int count, const float* feed, float* left, float* right);
    [[gnu::always_inline]] inline void mixOutput(int count, const float* earlyLeft, const float* earlyRight,
                                                 float* left, float* right);

    // Controls, kept across prepare and clear.
    float decayTime_ = 3.0f, lowDecayRatio_ = 1.3f, dampingFrequency_ = 4500.0f, highDecayRatio_ = 0.65f;
    float inputTone_ = 0.85f, modDepth_ = 0.35f, crossFeed_ = 0.0f, glideSize_ = 0.5f, width_ = 0.5f;
    float modRate_ = 1.0f;

    double fs_ = 48000.0;
    int capacity_ = 0;
    int chunk_ = 1;  // samples per pass through the network, at most capacity_
    bool prepared_ = false;
    bool avx2_ = avx2Supported();
    Lengths len_{};
    Coefficients coef_{};

    // Per-sample invariants cached from coef_ so the loop does no set-up arithmetic.
    struct Cached {
        float oneMinusTone = 0.0f, oneMinusHp = 0.0f, oneMinus300 = 0.0f, oneMinus150 = 0.0f;
        float oneMinusDamp = 0.0f, oneMinus1100 = 0.0f, oneMinusEr = 0.0f;
        std::array<float, 6> fdnExcursion{}, apExcursion{};
        float glideExcursion = 0.0f, loopExcursion = 0.0f, glideTapSwing = 0.0f;
        float fdnFeed = 0.0f, glideFeed = 0.0f;
    } k_;

    // Input diffuser and its three band-limited feeds (full, tap 3, tap 4).
    std::array<DelayLine, 7> diffuser_;
    std::array<float, 3> toneState_{}, hpState_{};
    std::vector<float> feed_;  // d of the whole call, also the glide line's input

    // Early cluster, early tone and decorrelators.
    // Tap line laid out flat: the last `earlyHistory_` samples, then the chunk.
    std::vector<float> earlyTapLine_;
    int earlyHistory_ = 0;
    std::array<DelayLine, 5> earlyMain_;
    std::array<DelayLine, 3> earlySide_;
    std::array<float, 3> earlyTone_{};
    std::array<DelayLine, 2> decorrLeft_, decorrRight_;

    // Shared oscillator: phase in [0, 1) and a wrap counter so Φ = cycles + phase
    // keeps growing smoothly for the FDN and glide modulations.
    float phase_ = 0.0f;
    std::int64_t cycles_ = 0;

    // Plate tank.
    std::array<DelayLine, 4> plateInput_;
    std::array<DelayLine, 8> tank_;
    float tankFeedback_ = 0.0f, dampA_ = 0.0f, dampB_ = 0.0f;
    // Chunk columns: the ten plain lines' writes; a spill column for each run that
    // may wrap (the ten reads, the tap feeding the FDN, then the twelve output taps).
    static constexpr int kTankRunColumns = 11, kTankSpillColumns = kTankRunColumns + 12;

    // Modulated FDN.
    std::array<CubicDelayLine, 6> fdnDelay_, fdnAllpass_;
    std::array<float, 6> fdnLow_{}, fdnMid_{};

    // Glide line with its loop allpass.
    CubicDelayLine glideLine_, glideLoop_;
    float glideCurrent_ = 2.0f, glideLow_ = 0.0f, glideHigh_ = 0.0f;

    float crossState_ = 0.0f;  // X: what the FDN and glide feed into the tank next sample

    // Scratch of one chunk, in columns of scratchStride_ floats (a whole number of cache
    // lines, at least chunk_): the FDN outputs as rows of eight per sample, the feeds
    // and early sums of the front end, the tank columns. It lives in a slot shared with
    // the process's other engines while process() runs, or in ownScratch_ when every
    // slot is taken.
    enum ChunkColumn : int {
        kColFdnRows = 0,
        kColFull = 8,
        kColTap3,
        kColEarlySum,
        kColEarlyLeft,
        kColEarlyRight,
        kColTankWritten,
        kColTankSpill = kColTankWritten + kTankRunColumns - 1,
        kChunkColumns = kColTankSpill + kTankSpillColumns,
    };
    float* column(int c) const { return scratch_ + c * scratchStride_; }
    std::vector<float> ownScratch_;
    float* scratch_ = nullptr;
    int scratchStride_ = 0;
};

}  // namespace halcyra
