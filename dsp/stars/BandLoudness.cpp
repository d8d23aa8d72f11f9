#include "dsp/stars/BandLoudness.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>

#include "dsp/stars/VectorClones.h"

namespace halcyra {

namespace {

constexpr int kFirstBand = 3;
constexpr int kLastBand = 38;
static_assert(kLastBand - kFirstBand + 1 == BandBank::kBands);

struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;  // a0 normalised to 1

    double magnitudeAt(double w) const {
        const std::complex<double> z1 = std::polar(1.0, -w);
        const std::complex<double> z2 = z1 * z1;
        return std::abs((b0 + b1 * z1 + b2 * z2) / (1.0 + a1 * z1 + a2 * z2));
    }
};

// BS.1770 stage 1: the head's acoustic high shelf (~+4 dB above 1.7 kHz).
Biquad kWeightingShelf(double sampleRate) {
    const double k = std::tan(5284.078578647628 / sampleRate);
    const double vh = std::pow(10.0, 0.19999219269866736);
    const double vb = std::pow(vh, 0.4996667741545416);
    const double q = 0.7071752369554196;
    const double a0 = 1.0 + k / q + k * k;
    Biquad f;
    f.b0 = (vh + vb * k / q + k * k) / a0;
    f.b1 = 2.0 * (k * k - vh) / a0;
    f.b2 = (vh - vb * k / q + k * k) / a0;
    f.a1 = 2.0 * (k * k - 1.0) / a0;
    f.a2 = (1.0 - k / q + k * k) / a0;
    return f;
}

// BS.1770 stage 2: the RLB high pass around 38 Hz.
Biquad kWeightingHighPass(double sampleRate) {
    const double k = std::tan(119.8061151453059 / sampleRate);
    const double q = 0.5003270373238773;
    const double a0 = 1.0 + k / q + k * k;
    Biquad f;
    f.b0 = 1.0;
    f.b1 = -2.0;
    f.b2 = 1.0;
    f.a1 = 2.0 * (k * k - 1.0) / a0;
    f.a2 = (1.0 - k / q + k * k) / a0;
    return f;
}

// Audio-EQ-cookbook band pass, constant 0 dB peak, one ERB wide.
Biquad erbBandPass(double centreHz, double sampleRate) {
    const double w0 = 2.0 * std::numbers::pi * centreHz / sampleRate;
    const double q = centreHz / (24.7 * (4.37 * centreHz / 1000.0 + 1.0));
    const double alpha = std::sin(w0) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    Biquad f;
    f.b0 = alpha / a0;
    f.b1 = 0.0;
    f.b2 = -alpha / a0;
    f.a1 = -2.0 * std::cos(w0) / a0;
    f.a2 = (1.0 - alpha) / a0;
    return f;
}

// Four bands, one per lane.
using BandLanes = double __attribute__((vector_size(32)));

// Energy of x through every band filter. The bands are independent, so four of them
// run side by side in vector lanes, their coefficients and states held in registers
// for the whole signal; each lane does the plain biquad recurrence in the written
// order, so every band's energy is what a band-by-band loop gives, bit for bit.
HALCYRA_VECTOR_CLONES void bandEnergies(const BandBank& bank, const float* x, int n, double* energy) {
    static_assert(BandBank::kBands % 4 == 0);
    for (int g = 0; g < BandBank::kBands; g += 4) {
        BandLanes b0, b1, b2, a1, a2, s1 = {}, s2 = {}, e = {};
        std::memcpy(&b0, bank.b0 + g, sizeof b0);
        std::memcpy(&b1, bank.b1 + g, sizeof b1);
        std::memcpy(&b2, bank.b2 + g, sizeof b2);
        std::memcpy(&a1, bank.a1 + g, sizeof a1);
        std::memcpy(&a2, bank.a2 + g, sizeof a2);
        for (int i = 0; i < n; ++i) {
            const double in = x[i];
            const BandLanes y = b0 * in + s1;
            s1 = b1 * in - a1 * y + s2;
            s2 = b2 * in - a2 * y;
            e += y * y;
        }
        std::memcpy(energy + g, &e, sizeof e);
    }
}

}  // namespace

double erbBandCentreHz(int k) {
    return (std::pow(10.0, k / 21.4) - 1.0) / 4.37 * 1000.0;
}

double kWeightingMagnitude(double frequencyHz, double sampleRate) {
    const double w = 2.0 * std::numbers::pi * frequencyHz / sampleRate;
    return kWeightingShelf(sampleRate).magnitudeAt(w) * kWeightingHighPass(sampleRate).magnitudeAt(w);
}

BandLoudnessMeter::BandLoudnessMeter(double sampleRate) : sampleRate_(sampleRate) {
    if (!(sampleRate > 0.0)) return;
    for (int k = kFirstBand; k <= kLastBand; ++k) {
        const double centre = erbBandCentreHz(k);
        if (centre >= 0.45 * sampleRate) break;
        const Biquad f = erbBandPass(centre, sampleRate);
        bank_.b0[bands_] = f.b0;
        bank_.b1[bands_] = f.b1;
        bank_.b2[bands_] = f.b2;
        bank_.a1[bands_] = f.a1;
        bank_.a2[bands_] = f.a2;
        const double weight = kWeightingMagnitude(centre, sampleRate);
        bank_.weightSquared[bands_] = weight * weight;
        ++bands_;
    }
}

double BandLoudnessMeter::operator()(const float* x, int n) const {
    if (x == nullptr || n <= 0 || !(sampleRate_ > 0.0)) return 0.0;
    double energy[BandBank::kBands];
    bandEnergies(bank_, x, n, energy);
    double total = 0.0;
    for (int b = 0; b < bands_; ++b) total += std::pow(energy[b] / n * bank_.weightSquared[b], 0.25);
    return total;
}

double bandLoudness(const float* x, int n, double sampleRate) { return BandLoudnessMeter(sampleRate)(x, n); }

}  // namespace halcyra
