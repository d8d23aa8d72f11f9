#include "dsp/reverb/DriftStage.h"

#include <algorithm>
#include <cmath>

#include "dsp/reverb/CycleSine.h"

namespace halcyra {

namespace {
constexpr float kTwoPi = 6.2831855f;
constexpr double kShelfFrequency = 2500.0;
constexpr double kTiltDb = 0.4;         // peak high-frequency tilt
constexpr float kSwingExponent = 0.03f;  // 10^(0.03 s): a level swing of +-0.6 dB

inline float zeroIfNotFinite(float x) { return std::isfinite(x) ? x : 0.0f; }
}  // namespace

// 10^(0.03 sin θ) without a library pow and sin per sample: the exponent stays within
// ±0.0691 nats, where exp's series to the fifth power is exact to 2e-10, and the
// folded sine is within 1e-6 of std::sin.
constexpr float kNatsPerUnit = kSwingExponent * 2.3025851f;  // ln 10

float driftSwing(float theta) {
    const float x = kNatsPerUnit * sineOfCycles(theta * (1.0f / kTwoPi));
    return 1.0f + x * (1.0f + x * (0.5f + x * (1.0f / 6.0f + x * (1.0f / 24.0f + x * (1.0f / 120.0f)))));
}

namespace {
// driftSwing of n phases (n a multiple of four with SSE2), each lane rounding like it.
void driftSwings(const float* theta, float* swing, int n) {
#if defined(__SSE2__) || defined(_M_X64)
    const auto k = [](float v) { return _mm_set1_ps(v); };
    for (int i = 0; i < n; i += 4) {
        const __m128 x = _mm_mul_ps(k(kNatsPerUnit), sineOfCycles4(_mm_mul_ps(_mm_loadu_ps(theta + i), k(1.0f / kTwoPi))));
        __m128 p = _mm_add_ps(k(1.0f / 24.0f), _mm_mul_ps(x, k(1.0f / 120.0f)));
        p = _mm_add_ps(k(1.0f / 6.0f), _mm_mul_ps(x, p));
        p = _mm_add_ps(k(0.5f), _mm_mul_ps(x, p));
        p = _mm_add_ps(k(1.0f), _mm_mul_ps(x, p));
        _mm_storeu_ps(swing + i, _mm_add_ps(k(1.0f), _mm_mul_ps(x, p)));
    }
#else
    for (int i = 0; i < n; ++i) swing[i] = driftSwing(theta[i]);
#endif
}
}  // namespace

void DriftStage::Shelf::design(double gainDb, double cosW, double sinW) {
    if (std::fabs(gainDb) < 0.001) {
        b0 = 1.0f;
        b1 = b2 = a1 = a2 = 0.0f;
        return;
    }
    const double A = std::pow(10.0, gainDb / 40.0);
    const double alpha = sinW / 1.414;
    const double k = 2.0 * std::sqrt(A) * alpha;
    const double a0 = (A + 1.0) - (A - 1.0) * cosW + k;
    b0 = static_cast<float>(A * ((A + 1.0) + (A - 1.0) * cosW + k) / a0);
    b1 = static_cast<float>(-2.0 * A * ((A - 1.0) + (A + 1.0) * cosW) / a0);
    b2 = static_cast<float>(A * ((A + 1.0) + (A - 1.0) * cosW - k) / a0);
    a1 = static_cast<float>(2.0 * ((A - 1.0) - (A + 1.0) * cosW) / a0);
    a2 = static_cast<float>(((A + 1.0) - (A - 1.0) * cosW - k) / a0);
}

void DriftStage::prepare(double sampleRate) {
    fs_ = (std::isfinite(sampleRate) && sampleRate > 0.0) ? static_cast<float>(sampleRate) : 48000.0f;
    const double w = 2.0 * M_PI * kShelfFrequency / fs_;
    cosW_ = std::cos(w);
    sinW_ = std::sin(w);
    coefficientCount_ = -1;
    clear();
}

void DriftStage::clear() {
    theta_ = 0.0f;
    rate_ = targetRate_;
    left_.z1 = left_.z2 = right_.z1 = right_.z2 = 0.0f;
}

void DriftStage::updateRateCoefficient(int count) {
    if (count == coefficientCount_) return;
    coefficientCount_ = count;
    rateCoefficient_ = static_cast<float>(1.0 - std::exp(-count / (0.15 * fs_)));
}

void DriftStage::process(float* left, float* right, int count) {
    if (left == nullptr || right == nullptr || count <= 0) return;

    updateRateCoefficient(count);
    rate_ = rate_ + rateCoefficient_ * (targetRate_ - rate_);

    const double tilt = kTiltDb * std::cos(static_cast<double>(theta_));
    left_.design(tilt, cosW_, sinW_);
    right_.design(-tilt, cosW_, sinW_);

    const float delta = rate_ * kTwoPi / fs_;
    Shelf l = left_;
    Shelf r = right_;
    float theta = theta_;
    // A piece at a time: the phases step serially, their swings come four at a time,
    // then the two shelves run over the piece.
    constexpr int kPiece = 64;
    alignas(16) float phases[kPiece] = {}, swings[kPiece];
    for (int at = 0; at < count; at += kPiece) {
        const int n = std::min(kPiece, count - at);
        for (int i = 0; i < n; ++i) {
            phases[i] = theta;
            theta += delta;
            if (theta >= kTwoPi) theta -= kTwoPi;
        }
        driftSwings(phases, swings, (n + 3) / 4 * 4);

        float* pieceLeft = left + at;
        float* pieceRight = right + at;
        for (int i = 0; i < n; ++i) {
            const float swing = swings[i];

            const float xl = pieceLeft[i];
            float yl = l.b0 * xl + l.z1;
            l.z1 = l.b1 * xl - l.a1 * yl + l.z2;
            l.z2 = l.b2 * xl - l.a2 * yl;

            const float xr = pieceRight[i];
            float yr = r.b0 * xr + r.z1;
            r.z1 = r.b1 * xr - r.a1 * yr + r.z2;
            r.z2 = r.b2 * xr - r.a2 * yr;

            pieceLeft[i] = zeroIfNotFinite(yl * swing);
            pieceRight[i] = zeroIfNotFinite(yr / swing);
        }
    }
    // A non-finite value caught in a filter state would silence that channel for
    // good; start the filter afresh instead.
    if (!std::isfinite(l.z1) || !std::isfinite(l.z2)) l.z1 = l.z2 = 0.0f;
    if (!std::isfinite(r.z1) || !std::isfinite(r.z2)) r.z1 = r.z2 = 0.0f;
    left_.z1 = l.z1;
    left_.z2 = l.z2;
    right_.z1 = r.z1;
    right_.z2 = r.z2;
    theta_ = theta;
}

}  // namespace halcyra
