// The fixed low shelf on the wet signal: an audio-EQ-cookbook low shelf (slope 1)
// run in direct form I, with separate histories for the two channels. Its
// coefficients are recomputed only when frequency, gain or sample rate change.
#pragma once

namespace halcyra {

class LowShelf {
public:
    // Zeroes the histories; the coefficients follow the values given to process.
    void prepare(double sampleRate);
    void clear();
    // A gain at or below 0 dB bypasses the shelf and forgets its histories.
    void process(float* left, float* right, int n, float frequency, float gainDb, double sampleRate);

    struct Coefficients {
        float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    };
    const Coefficients& coefficients() const { return c_; }

private:
    struct History {
        float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    };

    void design(float frequency, float gainDb, double sampleRate);
    void filter(float* samples, int n, History& h) const;

    double cachedSampleRate_ = 0.0;
    float cachedFrequency_ = -1.0f;  // impossible values force the first design
    float cachedGain_ = -999.0f;
    Coefficients c_;
    History left_;
    History right_;
};

}  // namespace halcyra
