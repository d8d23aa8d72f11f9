#include "dsp/stars/BandLoudness.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace halcyra {

namespace {

constexpr int kFirstBand = 3;
constexpr int kLastBand = 38;

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

double filteredEnergy(const Biquad& f, const float* x, int n) {
    double s1 = 0.0, s2 = 0.0, energy = 0.0;
    for (int i = 0; i < n; ++i) {
        const double in = x[i];
        const double y = f.b0 * in + s1;
        s1 = f.b1 * in - f.a1 * y + s2;
        s2 = f.b2 * in - f.a2 * y;
        energy += y * y;
    }
    return energy;
}

}  // namespace

double erbBandCentreHz(int k) {
    return (std::pow(10.0, k / 21.4) - 1.0) / 4.37 * 1000.0;
}

double kWeightingMagnitude(double frequencyHz, double sampleRate) {
    const double w = 2.0 * std::numbers::pi * frequencyHz / sampleRate;
    return kWeightingShelf(sampleRate).magnitudeAt(w) * kWeightingHighPass(sampleRate).magnitudeAt(w);
}

double bandLoudness(const float* x, int n, double sampleRate) {
    if (x == nullptr || n <= 0 || !(sampleRate > 0.0)) return 0.0;
    double total = 0.0;
    for (int k = kFirstBand; k <= kLastBand; ++k) {
        const double centre = erbBandCentreHz(k);
        if (centre >= 0.45 * sampleRate) break;
        const double energy = filteredEnergy(erbBandPass(centre, sampleRate), x, n);
        const double weight = kWeightingMagnitude(centre, sampleRate);
        total += std::pow(energy / n * weight * weight, 0.25);
    }
    return total;
}

}  // namespace halcyra
