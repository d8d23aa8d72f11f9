#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/stars/BandLoudness.h"

namespace halcyra {
namespace {

std::vector<float> noise(int n, unsigned seed, float amplitude) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-amplitude, amplitude);
    std::vector<float> x(static_cast<std::size_t>(n));
    for (float& v : x) v = d(rng);
    return x;
}

TEST(BandLoudness, SilenceAndDegenerateInputGiveZero) {
    const std::vector<float> silence(512, 0.0f);
    EXPECT_EQ(bandLoudness(silence.data(), 512, 48000.0), 0.0);
    const auto x = noise(512, 1, 0.5f);
    EXPECT_EQ(bandLoudness(x.data(), 0, 48000.0), 0.0);
    EXPECT_EQ(bandLoudness(x.data(), 512, 0.0), 0.0);
    EXPECT_EQ(bandLoudness(nullptr, 512, 48000.0), 0.0);
}

TEST(BandLoudness, DoublingAmplitudeRaisesLoudnessBySqrtTwo) {
    for (double sr : {22050.0, 44100.0, 96000.0}) {
        const auto x = noise(1024, 7, 0.25f);
        std::vector<float> louder(x);
        for (float& v : louder) v *= 2.0f;
        const double a = bandLoudness(x.data(), 1024, sr);
        const double b = bandLoudness(louder.data(), 1024, sr);
        ASSERT_GT(a, 0.0);
        EXPECT_NEAR(b / a, std::sqrt(2.0), 1e-9) << sr;
    }
}

TEST(BandLoudness, HighBandsCountOnlyBelowNyquistLimit) {
    // A tone far above every band used at 8 kHz (bands stop at 0.45 x rate) must
    // weigh much less than the same tone inside the band range.
    const double sr = 8000.0;
    std::vector<float> low(2048), high(2048);
    for (int i = 0; i < 2048; ++i) {
        low[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * i / sr));
        high[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(2 * std::numbers::pi * 3950.0 * i / sr));
    }
    EXPECT_GT(bandLoudness(low.data(), 2048, sr), 3.0 * bandLoudness(high.data(), 2048, sr));
}

// The bands are filtered side by side in vector lanes; the result must still be the
// plain band-by-band measure, bit for bit, with the bands cut at 0.45 x rate.
TEST(BandLoudness, EqualsThePlainBandByBandMeasureExactly) {
    const auto x = noise(777, 3, 0.5f);
    for (double sr : {8000.0, 44100.0, 192000.0}) {
        double total = 0.0;
        for (int k = 3; k <= 38 && erbBandCentreHz(k) < 0.45 * sr; ++k) {
            const double f = erbBandCentreHz(k), w0 = 2 * std::numbers::pi * f / sr;
            const double alpha = std::sin(w0) / (2 * f / (24.7 * (4.37 * f / 1000 + 1))), a0 = 1 + alpha;
            const double b0 = alpha / a0, b2 = -alpha / a0, a1 = -2 * std::cos(w0) / a0, a2 = (1 - alpha) / a0;
            double s1 = 0, s2 = 0, energy = 0;
            for (float v : x) {
                const double y = b0 * v + s1;
                s1 = 0.0 * v - a1 * y + s2;
                s2 = b2 * v - a2 * y;
                energy += y * y;
            }
            const double w = kWeightingMagnitude(f, sr);
            total += std::pow(energy / 777 * w * w, 0.25);
        }
        EXPECT_EQ(bandLoudness(x.data(), 777, sr), total) << sr;
        EXPECT_EQ(BandLoudnessMeter(sr)(x.data(), 777), total) << sr;
    }
}

// The published BS.1770 coefficients at 48 kHz (pre-filter then RLB high pass).
double publishedKWeighting(double f) {
    const double w = 2 * std::numbers::pi * f / 48000.0;
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    const auto shelf = (1.53512485958697 - 2.69169618940638 * z1 + 1.19839281085285 * z2) /
                       (1.0 - 1.69065929318241 * z1 + 0.73248077421585 * z2);
    const auto hp = (1.0 - 2.0 * z1 + 1.0 * z2) / (1.0 - 1.99004745483398 * z1 + 0.99007225036621 * z2);
    return std::abs(shelf * hp);
}

TEST(BandLoudness, KWeightingMatchesPublishedFilterAt48k) {
    for (double f : {20.0, 38.0, 100.0, 1000.0, 1681.97, 4000.0, 12000.0, 20000.0})
        EXPECT_NEAR(kWeightingMagnitude(f, 48000.0), publishedKWeighting(f), 1e-6) << f;
}

}  // namespace
}  // namespace halcyra
