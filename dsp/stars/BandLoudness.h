// A perceptual loudness figure for short signals such as impulse responses: the
// K-weighted energy in each ERB band, compressed by a fourth root and summed. Used to
// level the HRIR pairs against each other and to compensate the star tone shelf.
#pragma once

namespace halcyra {

// The band filters of one rate side by side (one array per coefficient), so a sample
// steps every band at once. Bands at or above 0.45 x rate are left at zero.
struct BandBank {
    static constexpr int kBands = 36;  // ERB-rate bands 3..38
    double b0[kBands] = {}, b1[kBands] = {}, b2[kBands] = {}, a1[kBands] = {}, a2[kBands] = {};
    double weightSquared[kBands] = {};  // K-weighting at the band centre, squared
};

// The measure below with its filters built once, for many signals at one rate.
class BandLoudnessMeter {
public:
    explicit BandLoudnessMeter(double sampleRate);
    // Loudness of n samples; 0 for empty input or a rate <= 0.
    double operator()(const float* x, int n) const;

private:
    double sampleRate_;
    BandBank bank_;
    int bands_ = 0;
};

// Loudness of n samples at sampleRate, in 64-bit. 0 for empty input or a rate <= 0.
// Scaling the signal by g scales the result by sqrt(g).
double bandLoudness(const float* x, int n, double sampleRate);

// |H| of the two cascaded BS.1770 K-weighting filters (high shelf and high pass)
// at frequencyHz for the given rate.
double kWeightingMagnitude(double frequencyHz, double sampleRate);

// Centre frequency of ERB-rate band k.
double erbBandCentreHz(int k);

}  // namespace halcyra
