// The plug-in's audio path: the reset callback (full prepare or light clear) and
// the per-block callback that folds the input to mono, smooths the parameters,
// runs the weather mapping, reverb, drift, width stage and low shelf per
// sub-block, mixes dry and wet, soft-clips, applies the output gain, meters, and
// publishes a SkyFeed snapshot for the editor at the end of every block.
#pragma once

#include <atomic>
#include <vector>

#include "dsp/reverb/DriftStage.h"
#include "dsp/reverb/ReverbEngine.h"
#include "dsp/reverb/ReverbSettings.h"
#include "dsp/stars/EditorCommandQueue.h"
#include "dsp/stars/StarEngine.h"
#include "plugin/BlockIO.h"
#include "plugin/DriverProbe.h"
#include "plugin/LowShelf.h"
#include "plugin/ParameterStore.h"
#include "plugin/SkyFeedBuffer.h"
#include "plugin/WidthStage.h"

namespace halcyra {

class BlockDriver {
public:
    static constexpr int kCapacity = 4096;

    BlockDriver(const ParameterStore& parameters, EditorCommandQueue& commands, SkyFeedTripleBuffer& feed);

    void reset(double sampleRate);
    void process(const BlockIO& io);

    double preparedSampleRate() const { return preparedRate_.load(std::memory_order_acquire); }
    double tailSeconds() const;

    const BlockTrace& trace() const { return trace_; }
    // The star engine as the last block left it (tests and diagnostics).
    const StarEngine& starEngine() const { return stars_; }
    StarEngine& starEngine() { return stars_; }  // its rendering options
    DriverState state() const;

private:
    struct Channels {
        const double* in[2] = {nullptr, nullptr};
        double* out[2] = {nullptr, nullptr};
        int numIn = 0;
        int numOut = 0;
    };
    // Coefficients that depend only on the block length; recomputed when it changes.
    struct BlockCoefficients {
        int frames = -1;
        float a45 = 0, a150 = 0;  // block smoothing over 45 ms and 150 ms
        float peakDecay = 0;      // E1, 1.5 s
        float rmsDecay = 0;       // E2, 120 ms
    };
    struct Meters {
        float reverbLevel = 0, onsetGain = 1.0f;
        float peakLeft = 0, peakRight = 0, rmsLeft = 0, rmsRight = 0;
    };
    struct OutputTally {
        float peakLeft = 0, peakRight = 0;
        double sumLeft = 0, sumRight = 0;
    };

    void fullPrepare(double sampleRate);
    void lightClear();
    void markUnprepared();
    void resetMeters();

    static Channels connectedChannels(const BlockIO& io);
    // The input channel a bypassed output channel carries; null for silence.
    static const double* dryChannel(const Channels& ch, int outputChannel);
    static void writeUnprocessed(const Channels& ch, int frames, bool bypass);
    const BlockCoefficients& blockCoefficients(int frames);
    float subBlockCoefficient(int n);
    float outputTargetGain();

    void smoothBlockValues(const BlockCoefficients& k);
    void foldInput(const Channels& ch, int offset, int n);
    void smoothMacros(int n);
    ReverbSettings mapWeather(int monitor) const;
    void applySettings(const ReverbSettings& s, bool speakers);
    void measureReverbLevel(int n);
    void mixOutput(const Channels& ch, int offset, int n, float wetTarget, float targetGain, float bypassTarget,
                   OutputTally& tally);
    void updateMeters(const OutputTally& tally, int frames, const BlockCoefficients& k);
    void publishSnapshot();

    // Star path (BlockDriverStarPath.cpp): these hooks sit where the star voices
    // join the block.
    void prepareStarPath(double sampleRate);
    void recalibrateMapping();
    void clearStarPath();
    void setStarEventMode();
    void drainCommands();
    void jumpSky();
    void convertStarGains();
    void smoothStarControls(bool primed, const BlockCoefficients& k);
    void writeStarBlockSettings(double tempo);
    void copySkyTargets(const ReverbSettings& s);
    void updateOnsetGain(const ReverbSettings& s, int n);
    const float* reverbInput(int n);
    void processStars(const ReverbSettings& s, int n);
    void updateStarFeedback(int n);
    void fillStarSnapshot(SkyFeed& feed);
    double starTailSeconds() const;

    const ParameterStore& params_;
    EditorCommandQueue& commands_;
    SkyFeedTripleBuffer& feed_;

    ReverbEngine reverb_;
    DriftStage drift_;
    WidthStage width_;
    LowShelf shelf_;

    // Work buffers, all kCapacity long after prepare.
    std::vector<float> mono_, reverbLeft_, reverbRight_, starLeft_, starRight_, reverbIn_, starFeedback_;

    int capacity_ = 0;
    std::atomic<double> preparedRate_{0.0};
    double sampleRate_ = 48000.0;  // the prepared rate, for the audio thread's own use

    // Smoothed values.
    float weather_ = 0.28f, size_ = 0.2580645f, brightness_ = 0.55f, wind_ = 0.4f, spacing_ = 0.6f, gust_ = 0.4f;
    float rate_ = 0.4f;
    float wet_ = 0.28f;
    // A fresh instance has no earlier mix to ramp from: its first block starts at
    // the target. Later resets keep ramping from the last wet amount.
    bool wetJumpPending_ = true;
    float outputGain_ = 1.0f;
    float bypassAmount_ = 0.0f;  // 0 plays the processed output, 1 the input
    bool primed_ = false;

    // Fixed internal settings.
    const float reverbReturnDb_ = 0.0f;
    const float lowShelfGainDb_ = 6.0f;
    const float lowShelfFrequency_ = 250.0f;

    float mappingCalibration_ = 6.0f;
    float reverbReturnGain_ = 1.0f;
    Meters meters_;

    // Per-prepare constants and caches of per-block arithmetic.
    float outputCoefficient_ = 0;  // one pole per sample, 20 ms
    float wetStep_ = 0;            // full scale in 45 ms
    float bypassStep_ = 0;         // full scale in 15 ms
    BlockCoefficients blockCoefficients_;
    int subBlockFrames_ = -1;
    float subBlockCoefficient_ = 0;
    double cachedOutputDb_ = 0.0;
    float cachedOutputGain_ = 1.0f;

    // Star path.
    StarEngine stars_;
    const float starLevelADb_ = 0.0f;  // fixed star output level
    float starGainA_ = 1.0f;
    float level_ = 0.5f, character_ = 0.5f, starMix_ = 0.0f;  // smoothed per block
    // Samples of star feedback the previous sub-block left; beyond them it is stale.
    int starFeedbackFrames_ = 0;
    int onsetGainFrames_ = -1;
    float onsetGainCoefficient_ = 0.0f;
    // What the last block used, for tail queries from other threads: the smoothed
    // Character may lag the parameter, and the tempo sets a response in beats.
    std::atomic<float> blockCharacter_{0.5f};
    std::atomic<double> blockTempo_{120.0};

    // Decay time of the running mapping, for tail queries from other threads.
    std::atomic<float> decayTime_{3.0f};

    BlockTrace trace_;
};

}  // namespace halcyra
