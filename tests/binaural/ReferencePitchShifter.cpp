#include "binaural/ReferencePitchShifter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace halcyra::test {

namespace {

using Complex = std::complex<float>;
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float kMagnitudeFloor = 1e-15f;
// Peaks more than 70 dB below the frame's strongest bin are not worth a knot.
constexpr float kPeakThreshold = 1e-7f;

float wrapPhase(float p) { return p - kTwoPi * std::nearbyint(p / kTwoPi); }

Complex unit(Complex z) { return z * (1.0f / std::sqrt(std::max(std::norm(z), kMagnitudeFloor * kMagnitudeFloor))); }

template <typename T>
T interpolate(const std::vector<T>& v, float position) {
    const int last = static_cast<int>(v.size()) - 1;
    if (!(position >= 0.0f) || position > static_cast<float>(last)) return T{};
    const int i = std::min(static_cast<int>(position), last);
    const float f = position - static_cast<float>(i);
    if (i == last) return v[static_cast<std::size_t>(i)];
    return v[static_cast<std::size_t>(i)] * (1.0f - f) + v[static_cast<std::size_t>(i + 1)] * f;
}

}  // namespace

void ReferencePitchShifter::prepare(double sampleRate, int /*blockCapacity*/, float factor) {
    const double sr = sampleRate > 0.0 ? sampleRate : 48000.0;
    factor_ = (factor > 0.0f && std::isfinite(factor)) ? factor : 1.0f;
    frameSize_ = std::max(64, static_cast<int>(std::nearbyint(0.024 * sr)));
    hopSize_ = std::min(frameSize_, std::max(16, static_cast<int>(std::nearbyint(0.006 * sr))));
    // Frames are zero-padded to a size with small factors: 0.024 s at 44.1 kHz is
    // 1058 = 2 x 23 x 23 samples, which FFTW would handle slowly.
    fft_.prepare(RealFft::fastSizeAtLeast(frameSize_));
    bins_ = fft_.bins();

    const auto n = static_cast<std::size_t>(frameSize_);
    const auto b = static_cast<std::size_t>(bins_);
    window_.resize(n);
    double sumSquares = 0.0;
    for (std::size_t t = 0; t < n; ++t) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(t) / frameSize_);
        window_[t] = static_cast<float>(w);
        sumSquares += w * w;
    }
    // Analysis and synthesis both apply the window; overlapping frames then sum to this.
    windowGain_ = static_cast<float>(sumSquares / hopSize_);

    inputRing_.assign(n, 0.0f);
    overlapAdd_.assign(n, 0.0f);
    ready_.assign(static_cast<std::size_t>(hopSize_), 0.0f);
    spectrum_.assign(b, Complex{});
    previousInput_.assign(b, Complex{});
    output_.assign(b, Complex{});
    previousOutput_.assign(b, Complex{});
    energy_.assign(b, 0.0f);
    mapPosition_.assign(b, 0.0f);
    mapGradient_.assign(b, 0.0f);
    peakOfBin_.assign(b, -1);
    peaks_.assign(b / 2 + 2, Peak{});
    frameOffset_ = std::min(frameOffset_, hopSize_ - 1);
    clear();
}

void ReferencePitchShifter::clear() {
    std::fill(inputRing_.begin(), inputRing_.end(), 0.0f);
    std::fill(overlapAdd_.begin(), overlapAdd_.end(), 0.0f);
    std::fill(ready_.begin(), ready_.end(), 0.0f);
    std::fill(previousInput_.begin(), previousInput_.end(), Complex{});
    std::fill(previousOutput_.begin(), previousOutput_.end(), Complex{});
    inputPos_ = 0;
    readyPos_ = 0;
    untilFrame_ = hopSize_ - frameOffset_;
    peakCount_ = 0;
}

void ReferencePitchShifter::setFrameOffset(int offset) {
    frameOffset_ = hopSize_ > 0 ? std::clamp(offset, 0, hopSize_ - 1) : 0;
    clear();
}

void ReferencePitchShifter::process(const float* in, float* out, int n) {
    if (frameSize_ == 0) {  // never prepared
        if (out != in) std::fill_n(out, std::max(n, 0), 0.0f);
        return;
    }
    for (int done = 0; done < n;) {
        const int chunk = std::min(n - done, untilFrame_);
        for (int i = 0; i < chunk; ++i) {
            const float x = in[done + i];
            inputRing_[static_cast<std::size_t>(inputPos_)] = std::isfinite(x) ? x : 0.0f;
            if (++inputPos_ == frameSize_) inputPos_ = 0;
        }
        std::memcpy(out + done, ready_.data() + readyPos_, sizeof(float) * static_cast<std::size_t>(chunk));
        readyPos_ += chunk;
        untilFrame_ -= chunk;
        done += chunk;
        if (untilFrame_ == 0) {
            processFrame();
            readyPos_ = 0;
            untilFrame_ = hopSize_;
        }
    }
}

void ReferencePitchShifter::processFrame() {
    const int n = frameSize_;
    const int size = fft_.size();
    const int half = n / 2;
    float* time = fft_.timeBuffer();

    // Zero-phase framing: the frame's centre goes to index 0, so a steady partial has
    // nearly constant phase across its main lobe and spectra interpolate cleanly.
    std::fill_n(time, size, 0.0f);
    for (int t = 0, r = inputPos_; t < n; ++t) {
        const int idx = t - half < 0 ? t - half + size : t - half;
        time[idx] = window_[static_cast<std::size_t>(t)] * inputRing_[static_cast<std::size_t>(r)];
        if (++r == n) r = 0;
    }
    fft_.forward();
    const Complex* analysed = fft_.spectrumBuffer();
    float loudest = 0.0f;
    for (int b = 0; b < bins_; ++b) {
        spectrum_[static_cast<std::size_t>(b)] = analysed[b];
        energy_[static_cast<std::size_t>(b)] = std::norm(analysed[b]);
        loudest = std::max(loudest, energy_[static_cast<std::size_t>(b)]);
    }

    if (loudest > 0.0f && std::isfinite(loudest)) {
        findPeaks();
        buildBinMap();
        synthesiseSpectrum();
        std::copy(output_.begin(), output_.end(), fft_.spectrumBuffer());
        fft_.inverse();
        const float scale = 1.0f / (static_cast<float>(size) * windowGain_);
        for (int t = 0; t < n; ++t) {
            const int idx = t - half < 0 ? t - half + size : t - half;
            overlapAdd_[static_cast<std::size_t>(t)] += time[idx] * window_[static_cast<std::size_t>(t)] * scale;
        }
    } else {
        std::fill(previousOutput_.begin(), previousOutput_.end(), Complex{});
        peakCount_ = 0;
    }
    std::swap(previousInput_, spectrum_);

    const auto hop = static_cast<std::size_t>(hopSize_);
    std::copy_n(overlapAdd_.begin(), hop, ready_.begin());
    std::copy(overlapAdd_.begin() + static_cast<std::ptrdiff_t>(hop), overlapAdd_.end(), overlapAdd_.begin());
    std::fill(overlapAdd_.end() - static_cast<std::ptrdiff_t>(hop), overlapAdd_.end(), 0.0f);
}

// Local maxima of the energy, each located by its phase advance since the last frame
// (exact for a steady partial) or, without a usable previous frame, by a parabola
// through the log magnitudes.
void ReferencePitchShifter::findPeaks() {
    const float size = static_cast<float>(fft_.size());
    const float hop = static_cast<float>(hopSize_);
    float loudest = 0.0f;
    for (float e : energy_) loudest = std::max(loudest, e);
    const float threshold = loudest * kPeakThreshold;
    const float lastBin = static_cast<float>(bins_ - 1);

    peakCount_ = 0;
    float previousOutputBin = 0.0f;
    for (int b = 1; b + 1 < bins_; ++b) {
        const auto ub = static_cast<std::size_t>(b);
        const float e = energy_[ub];
        if (!(e > threshold && e > energy_[ub - 1] && e >= energy_[ub + 1])) continue;

        float position;
        if (std::norm(previousInput_[ub]) > e * 1e-6f) {
            const Complex product = spectrum_[ub] * std::conj(previousInput_[ub]);
            const float advance = angle_(product.imag(), product.real());
            const float expected = kTwoPi * static_cast<float>(b) * hop / size;
            position = static_cast<float>(b) + wrapPhase(advance - expected) * size / (kTwoPi * hop);
        } else {
            const float l = std::log(energy_[ub - 1] + 1e-30f), c = std::log(e), r = std::log(energy_[ub + 1] + 1e-30f);
            const float curvature = l - 2.0f * c + r;
            position = static_cast<float>(b) + (curvature < 0.0f ? 0.5f * (l - r) / curvature : 0.0f);
        }
        position = std::clamp(position, static_cast<float>(b) - 1.0f, static_cast<float>(b) + 1.0f);
        const float target = position * factor_;
        // Partials shifted past Nyquist are dropped; knots must climb strictly.
        if (target >= lastBin || target <= previousOutputBin + 0.5f) continue;
        Peak& p = peaks_[static_cast<std::size_t>(peakCount_++)];
        p.inputBin = position;
        p.outputBin = target;
        p.rotation = factor_ * kTwoPi * position * hop / size;
        previousOutputBin = target;
    }
}

// Output bin -> input bin. Through every peak with slope 1, so each partial keeps its
// spectral shape, and a monotone cubic between peaks (Fritsch-Carlson limited slopes).
void ReferencePitchShifter::buildBinMap() {
    const float lastBin = static_cast<float>(bins_ - 1);
    auto knotX = [&](int k) {
        if (k == 0) return 0.0f;
        if (k == peakCount_ + 1) return lastBin;
        return peaks_[static_cast<std::size_t>(k - 1)].outputBin;
    };
    auto knotY = [&](int k) {
        if (k == 0) return 0.0f;
        if (k == peakCount_ + 1) return lastBin / factor_;
        return peaks_[static_cast<std::size_t>(k - 1)].inputBin;
    };
    const int knots = peakCount_ + 2;
    auto chord = [&](int k) { return (knotY(k + 1) - knotY(k)) / (knotX(k + 1) - knotX(k)); };
    auto slope = [&](int k) {
        float s;
        if (k == 0) s = chord(0);
        else if (k == knots - 1) s = chord(knots - 2);
        else s = 1.0f;
        if (k > 0) s = std::min(s, 3.0f * std::max(chord(k - 1), 0.0f));
        if (k < knots - 1) s = std::min(s, 3.0f * std::max(chord(k), 0.0f));
        return std::max(s, 0.0f);
    };

    int segment = 0;
    float x0 = knotX(0), x1 = knotX(1), y0 = knotY(0), y1 = knotY(1), s0 = slope(0), s1 = slope(1);
    for (int b = 0; b < bins_; ++b) {
        const float x = static_cast<float>(b);
        while (x > x1 && segment < knots - 2) {
            ++segment;
            x0 = x1;
            y0 = y1;
            s0 = s1;
            x1 = knotX(segment + 1);
            y1 = knotY(segment + 1);
            s1 = slope(segment + 1);
        }
        const float h = x1 - x0;
        const float t = h > 0.0f ? std::clamp((x - x0) / h, 0.0f, 1.0f) : 0.0f;
        const float t2 = t * t, t3 = t2 * t;
        const float h00 = 2 * t3 - 3 * t2 + 1, h10 = t3 - 2 * t2 + t, h01 = -2 * t3 + 3 * t2, h11 = t3 - t2;
        const float d00 = 6 * t2 - 6 * t, d10 = 3 * t2 - 4 * t + 1, d01 = -6 * t2 + 6 * t, d11 = 3 * t2 - 2 * t;
        const auto ub = static_cast<std::size_t>(b);
        mapPosition_[ub] = h00 * y0 + h10 * h * s0 + h01 * y1 + h11 * h * s1;
        mapGradient_[ub] = h > 0.0f ? (d00 * y0 + d01 * y1) / h + d10 * s0 + d11 * s1 : 0.0f;
    }

    // Each output bin takes its phase from the nearest shifted peak.
    int nearest = 0;
    for (int b = 0; b < bins_; ++b) {
        const float x = static_cast<float>(b);
        while (nearest + 1 < peakCount_ &&
               std::fabs(peaks_[static_cast<std::size_t>(nearest + 1)].outputBin - x) <
                   std::fabs(peaks_[static_cast<std::size_t>(nearest)].outputBin - x))
            ++nearest;
        peakOfBin_[static_cast<std::size_t>(b)] = peakCount_ > 0 ? nearest : -1;
    }
}

void ReferencePitchShifter::synthesiseSpectrum() {
    // Phase of each shifted peak: the previous output frame at that bin, advanced by the
    // partial's new frequency over one hop. A partial that is new starts from the input phase.
    for (int i = 0; i < peakCount_; ++i) {
        Peak& p = peaks_[static_cast<std::size_t>(i)];
        const int bin = std::clamp(static_cast<int>(std::nearbyint(p.outputBin)), 0, bins_ - 1);
        const Complex carried = previousOutput_[static_cast<std::size_t>(bin)] * std::polar(1.0f, p.rotation);
        const Complex input = interpolate(spectrum_, mapPosition_[static_cast<std::size_t>(bin)]);
        p.phase = unit(std::norm(carried) > 1e-30f ? carried : input);
        p.inputReference = std::conj(input);
    }

    for (int b = 0; b < bins_; ++b) {
        const auto ub = static_cast<std::size_t>(b);
        const float position = mapPosition_[ub];
        const float energy = interpolate(energy_, position) * std::max(mapGradient_[ub], 0.0f);
        const float magnitude = std::sqrt(std::max(energy, 0.0f));
        const Complex input = interpolate(spectrum_, position);
        const int owner = peakOfBin_[ub];
        Complex phase;
        if (owner < 0) {
            phase = unit(input);
        } else {
            // Neighbouring bins keep the phase relation the input had to the peak's bin.
            const Peak& p = peaks_[static_cast<std::size_t>(owner)];
            phase = p.phase * unit(input * p.inputReference);
        }
        output_[ub] = magnitude * phase;
    }
    output_.front() = Complex(output_.front().real(), 0.0f);
    output_.back() = Complex(output_.back().real(), 0.0f);
    std::copy(output_.begin(), output_.end(), previousOutput_.begin());
}

}  // namespace halcyra::test
