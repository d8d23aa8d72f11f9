// The shimmer shifter as first written: scalar, one bin at a time, std::complex all
// the way. Kept unchanged as the oracle the optimised PitchShifter is measured against,
// so a faster build can never quietly change what the stars sound like.
#pragma once

#include <cmath>
#include <complex>
#include <vector>

#include "dsp/stars/RealFft.h"

namespace halcyra::test {

class ReferencePitchShifter {
public:
    void prepare(double sampleRate, int blockCapacity, float factor = 2.0f);
    void clear();
    // in and out may be the same buffer.
    void process(const float* in, float* out, int n);
    int latencySamples() const { return frameSize_; }

    // Moves this shifter's frame grid by offset samples (0..hop-1, kept across clear), so
    // that several shifters fed the same blocks do not all compute a frame in one block.
    void setFrameOffset(int offset);

    int frameSize() const { return frameSize_; }
    int hopSize() const { return hopSize_; }
    int fftSize() const { return fft_.size(); }

    // The phase advance of a peak is the angle of a complex product: std::arg as first
    // written, or another angle function with atan2's arguments.
    using AngleFunction = float (*)(float y, float x);
    void setAngleFunction(AngleFunction angle) { angle_ = angle; }

private:
    AngleFunction angle_ = [](float y, float x) { return std::atan2(y, x); };
    void processFrame();
    void findPeaks();
    void buildBinMap();
    void synthesiseSpectrum();

    struct Peak {
        float inputBin;   // true input frequency in bins
        float outputBin;  // where it lands
        float rotation;   // output phase advance over one hop (radians)
        std::complex<float> phase;           // unit phase given to the shifted peak's bin
        std::complex<float> inputReference;  // conjugate input value the peak's bin maps to
    };

    RealFft fft_;
    float factor_ = 2.0f;
    int frameSize_ = 0, hopSize_ = 0, bins_ = 0;
    float windowGain_ = 1.0f;

    std::vector<float> window_;
    std::vector<float> inputRing_;  // last frameSize_ input samples
    int inputPos_ = 0;
    std::vector<float> overlapAdd_;  // frameSize_ samples of output being assembled
    std::vector<float> ready_;       // hopSize_ finished samples
    int readyPos_ = 0;
    int untilFrame_ = 0;
    int frameOffset_ = 0;

    std::vector<std::complex<float>> spectrum_, previousInput_, output_, previousOutput_;
    std::vector<float> energy_;
    std::vector<float> mapPosition_, mapGradient_;
    std::vector<int> peakOfBin_;
    std::vector<Peak> peaks_;
    int peakCount_ = 0;
};

}  // namespace halcyra::test
