#include "dsp/stars/ToneCompensation.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <vector>

#include "dsp/stars/BandLoudness.h"

namespace halcyra {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kShelfHz = 4000.0;
}  // namespace

double toneShelfGainDb(double tone) { return std::isfinite(tone) ? (std::clamp(tone, 0.0, 1.0) - 0.5) * 12.0 : 0.0; }

ShelfCoefficients toneShelf(double gainDb, double sampleRate) {
    if (!(std::fabs(gainDb) >= 1e-4) || !(sampleRate > 0.0)) return {};
    // Below 8.9 kHz sampling the shelf would sit above Nyquist; keep it inside.
    const double frequency = std::min(kShelfHz, 0.45 * sampleRate);
    const double A = std::pow(10.0, gainDb / 40.0);
    const double w0 = 2.0 * kPi * frequency / sampleRate;
    const double cosW = std::cos(w0);
    const double alpha = std::sin(w0) / 2.0 * std::sqrt(2.0);
    const double twoSqrtAAlpha = 2.0 * std::sqrt(A) * alpha;
    const double b0 = A * ((A + 1.0) + (A - 1.0) * cosW + twoSqrtAAlpha);
    const double b1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * cosW);
    const double b2 = A * ((A + 1.0) + (A - 1.0) * cosW - twoSqrtAAlpha);
    const double a0 = (A + 1.0) - (A - 1.0) * cosW + twoSqrtAAlpha;
    const double a1 = 2.0 * ((A - 1.0) - (A + 1.0) * cosW);
    const double a2 = (A + 1.0) - (A - 1.0) * cosW - twoSqrtAAlpha;
    return {static_cast<float>(b0 / a0), static_cast<float>(b1 / a0), static_cast<float>(b2 / a0),
            static_cast<float>(a1 / a0), static_cast<float>(a2 / a0)};
}

namespace {

void measureTable(double sampleRate, double* table) {
    const int n = std::max(2048, static_cast<int>(0.15 * sampleRate));
    std::vector<float> burst(static_cast<std::size_t>(n)), shelved(static_cast<std::size_t>(n));
    std::uint32_t x = 19088743u;
    double smooth = 0.0;
    for (int i = 0; i < n; ++i) {
        x = 1664525u * x + 1013904223u;
        const double y = 2.0 * x * 0x1p-32 - 1.0;
        smooth += (y - smooth) * 0.25;
        burst[static_cast<std::size_t>(i)] = static_cast<float>(smooth * std::exp(-3.0 * i / n));
    }
    const BandLoudnessMeter loudness(sampleRate);
    const double dry = loudness(burst.data(), n);
    for (int j = 0; j < ToneCompensation::kEntries; ++j) {
        const ShelfCoefficients c = toneShelf((j / 8.0 - 0.5) * 12.0, sampleRate);
        if (c.b0 == 1.0f && c.b1 == 0.0f && c.b2 == 0.0f && c.a1 == 0.0f && c.a2 == 0.0f) {
            table[j] = 0.0;  // the flat shelf passes the burst unchanged
            continue;
        }
        double z1 = 0.0, z2 = 0.0;
        for (int i = 0; i < n; ++i) {
            const double in = burst[static_cast<std::size_t>(i)];
            const double out = c.b0 * in + z1;
            z1 = c.b1 * in - c.a1 * out + z2;
            z2 = c.b2 * in - c.a2 * out;
            shelved[static_cast<std::size_t>(i)] = static_cast<float>(out);
        }
        const double wet = loudness(shelved.data(), n);
        table[j] = dry > 0.0 && wet > 0.0 ? 40.0 * std::log10(dry / wet) : 0.0;
    }
}

struct MeasuredTable {
    bool used = false;
    double sampleRate = 0.0;
    double table[ToneCompensation::kEntries] = {};
};

}  // namespace

void ToneCompensation::prepare(double sampleRate) {
    if (sampleRate == sampleRate_) return;
    // Every voice of every instance at a rate uses the same table: measure it once per
    // rate and process. Plain data, so nothing here is torn down at exit.
    static std::mutex mutex;
    static MeasuredTable measured[4];
    static std::size_t next = 0;
    std::lock_guard<std::mutex> lock(mutex);
    for (const MeasuredTable& m : measured) {
        if (m.used && m.sampleRate == sampleRate) {
            std::copy_n(m.table, kEntries, table_);
            sampleRate_ = sampleRate;
            return;
        }
    }
    measureTable(sampleRate, table_);
    MeasuredTable& slot = measured[next];
    next = (next + 1) % std::size(measured);
    slot.used = true;
    slot.sampleRate = sampleRate;
    std::copy_n(table_, kEntries, slot.table);
    // Only now: if an allocation above failed, the next prepare tries again.
    sampleRate_ = sampleRate;
}

double ToneCompensation::compensationDb(double tone) const {
    const double position = 8.0 * (std::isfinite(tone) ? std::clamp(tone, 0.0, 1.0) : 0.5);
    const int i = static_cast<int>(std::floor(position));
    const int next = std::min(i + 1, kEntries - 1);
    const double frac = position - i;
    return table_[i] + frac * (table_[next] - table_[i]);
}

float ToneCompensation::gainFor(double tone) const {
    return static_cast<float>(std::pow(10.0, compensationDb(tone) / 20.0));
}

}  // namespace halcyra
