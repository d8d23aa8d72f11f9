#include "dsp/stars/PitchShifter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>

#include "dsp/stars/PitchShifterKernels.h"

namespace halcyra {

namespace {

using Complex = std::complex<float>;
constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float kMagnitudeFloor = 1e-15f;
// Peaks more than 70 dB below the frame's strongest bin are not worth a knot.
constexpr float kPeakThreshold = 1e-7f;

Complex unit(Complex z) { return z * (1.0f / std::sqrt(std::max(std::norm(z), kMagnitudeFloor * kMagnitudeFloor))); }

// The input spectrum at a fractional bin; silent outside it.
Complex interpolate(const float* re, const float* im, int bins, float position) {
    const int last = bins - 1;
    if (!(position >= 0.0f) || position > static_cast<float>(last)) return Complex{};
    const int i = std::min(static_cast<int>(position), last);
    const float f = position - static_cast<float>(i);
    if (i == last) return Complex(re[i], im[i]);
    return Complex(re[i], im[i]) * (1.0f - f) + Complex(re[i + 1], im[i + 1]) * f;
}

// The newest input samples; what is not finite is kept as 0. Written as comparisons
// (false for NaN), which vectorise where std::isfinite does not.
void keepInHistory(const float* __restrict in, int n, float* __restrict history) {
    constexpr float kLargest = std::numeric_limits<float>::max();
    for (int i = 0; i < n; ++i) history[i] = std::fabs(in[i]) <= kLargest ? in[i] : 0.0f;
}

void windowed(const float* __restrict window, const float* __restrict x, int n, float* __restrict out) {
    for (int i = 0; i < n; ++i) out[i] = window[i] * x[i];
}

void addWindowed(const float* __restrict x, const float* __restrict window, float scale, int n, float* __restrict sum) {
    for (int i = 0; i < n; ++i) sum[i] += x[i] * window[i] * scale;
}

}  // namespace

void PitchShifter::SplitSpectrum::assign(std::size_t bins) {
    re.assign(bins + 1, 0.0f);
    im.assign(bins + 1, 0.0f);
}

void PitchShifter::prepare(double sampleRate, int /*blockCapacity*/, float factor, PitchShifterWork* shared) {
    const double sr = sampleRate > 0.0 ? sampleRate : 48000.0;
    factor_ = (factor > 0.0f && std::isfinite(factor)) ? factor : 1.0f;
    frameSize_ = std::max(64, static_cast<int>(std::nearbyint(0.024 * sr)));
    hopSize_ = std::min(frameSize_, std::max(16, static_cast<int>(std::nearbyint(0.006 * sr))));
    if (shared != nullptr) {
        ownWork_.reset();
        work_ = shared;
    } else {
        if (!ownWork_) ownWork_ = std::make_unique<PitchShifterWork>();
        work_ = ownWork_.get();
    }
    // Frames are zero-padded to a size with small factors: 0.024 s at 44.1 kHz is
    // 1058 = 2 x 23 x 23 samples, which FFTW would handle slowly.
    work_->prepare(frameSize_, hopSize_, RealFft::fastSizeAtLeast(frameSize_));
    bins_ = work_->fft.bins();
    pool_ = PitchShifterWorkPool::forFrame(frameSize_, hopSize_, work_->fft.size());

    const auto n = static_cast<std::size_t>(frameSize_);
    const auto b = static_cast<std::size_t>(bins_);
    double sumSquares = 0.0;
    for (std::size_t t = 0; t < n; ++t) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(t) / frameSize_);
        sumSquares += w * w;
    }
    // Analysis and synthesis both apply the window; overlapping frames then sum to this.
    windowGain_ = static_cast<float>(sumSquares / hopSize_);

    history_.assign(n, 0.0f);
    overlapAdd_.assign(n, 0.0f);
    ready_.assign(static_cast<std::size_t>(hopSize_), 0.0f);
    input_.assign(b);
    previousInput_.assign(b);
    previousOutput_.assign(b);
    frameOffset_ = std::min(frameOffset_, hopSize_ - 1);
    clear();
}

void PitchShifter::clear() {
    std::fill(history_.begin(), history_.end(), 0.0f);
    restartFrames();
    historyPos_ = 0;
    overlapStart_ = 0;
    readyPos_ = 0;
    untilFrame_ = hopSize_ - frameOffset_;
}

void PitchShifter::setFrameOffset(int offset) {
    frameOffset_ = hopSize_ > 0 ? std::clamp(offset, 0, hopSize_ - 1) : 0;
    clear();
}

void PitchShifter::process(const float* in, float* out, int n) {
    if (frameSize_ == 0) {  // never prepared
        if (out != in) std::fill_n(out, std::max(n, 0), 0.0f);
        return;
    }
    if (cold_) restartFrames();
    feed(in, out, n);
}

void PitchShifter::skip(const float* in, int n) {
    if (frameSize_ == 0) return;
    cold_ = true;
    feed(in, nullptr, n);
}

// The frames computed before a skip are gone with it: synthesis restarts from
// silence, as after clear(), but on the same frame grid and with the input history
// that was kept meanwhile.
void PitchShifter::restartFrames() {
    std::fill(overlapAdd_.begin(), overlapAdd_.end(), 0.0f);
    std::fill(ready_.begin(), ready_.end(), 0.0f);
    for (SplitSpectrum* s : {&previousInput_, &previousOutput_}) {
        std::fill(s->re.begin(), s->re.end(), 0.0f);
        std::fill(s->im.begin(), s->im.end(), 0.0f);
    }
    peakCount_ = 0;
    cold_ = false;
}

void PitchShifter::feed(const float* in, float* out, int n) {
    for (int done = 0; done < n;) {
        const int chunk = std::min(n - done, untilFrame_);
        for (int stored = 0; stored < chunk;) {
            const int stretch = std::min(chunk - stored, frameSize_ - historyPos_);
            keepInHistory(in + done + stored, stretch, history_.data() + historyPos_);
            historyPos_ += stretch;
            if (historyPos_ == frameSize_) historyPos_ = 0;
            stored += stretch;
        }
        if (out != nullptr)
            std::memcpy(out + done, ready_.data() + readyPos_, sizeof(float) * static_cast<std::size_t>(chunk));
        readyPos_ += chunk;
        untilFrame_ -= chunk;
        done += chunk;
        if (untilFrame_ == 0) {
            if (out != nullptr) processFrame();
            readyPos_ = 0;
            untilFrame_ = hopSize_;
        }
    }
}

void PitchShifter::processFrame() {
    PitchShifterWork* const pooled = pool_->claim();
    frame_ = pooled != nullptr ? pooled : work_;
    PitchShifterWork& w = *frame_;
    windowFrame();
    w.fft.forward();
    const float loudest = analyse();

    if (loudest > 0.0f && std::isfinite(loudest)) {
        findPeaks(loudest);
        w.map.build(w.knotX.data(), w.knotY.data(), peakCount_ + 2);
        assignOwners();
        lockPeakPhases();
        const shifter::SynthesisSources sources{w.map.position(),        w.map.gradient(),
                                                w.ownerOfBin.data(),      w.energy.data(),
                                                input_.re.data(),         input_.im.data(),
                                                w.peakPhaseRe.data(),     w.peakPhaseIm.data(),
                                                w.peakReferenceRe.data(), w.peakReferenceIm.data()};
        shifter::synthesiseBins(sources, bins_, previousOutput_.re.data(), previousOutput_.im.data());
        // DC and Nyquist of a real signal have no imaginary part.
        previousOutput_.im.front() = 0.0f;
        previousOutput_.im[static_cast<std::size_t>(bins_ - 1)] = 0.0f;
        shifter::joinBins(previousOutput_.re.data(), previousOutput_.im.data(), bins_, w.fft.spectrumBuffer());
        w.fft.inverse();
        overlapAdd();
    } else {
        std::fill(previousOutput_.re.begin(), previousOutput_.re.end(), 0.0f);
        std::fill(previousOutput_.im.begin(), previousOutput_.im.end(), 0.0f);
        peakCount_ = 0;
    }
    std::swap(previousInput_, input_);

    // The oldest hop of the sum is finished: it moves to the output and its place
    // becomes the newest, empty end of the ring.
    float* sum = overlapAdd_.data();
    const int first = std::min(hopSize_, frameSize_ - overlapStart_);
    std::copy_n(sum + overlapStart_, first, ready_.begin());
    std::copy_n(sum, hopSize_ - first, ready_.begin() + first);
    std::fill_n(sum + overlapStart_, first, 0.0f);
    std::fill_n(sum, hopSize_ - first, 0.0f);
    overlapStart_ += hopSize_;
    if (overlapStart_ >= frameSize_) overlapStart_ -= frameSize_;
    if (pooled != nullptr) pool_->release(pooled);
}

// Zero-phase framing: the frame's centre goes to index 0, so a steady partial has
// nearly constant phase across its main lobe and spectra interpolate cleanly.
void PitchShifter::windowFrame() {
    PitchShifterWork& w = *frame_;
    const int n = frameSize_, size = w.fft.size(), half = n / 2;
    float* time = w.fft.timeBuffer();
    const float* window = w.window;
    // Frame sample t sits t places after the oldest one in the history ring.
    auto windowRun = [&](int t, int count, float* out) {
        int at = historyPos_ + t;
        if (at >= n) at -= n;
        const int first = std::min(count, n - at);
        windowed(window + t, history_.data() + at, first, out);
        windowed(window + t + first, history_.data(), count - first, out + first);
    };
    windowRun(half, n - half, time);
    std::fill(time + (n - half), time + (size - half), 0.0f);
    windowRun(0, half, time + (size - half));
}

float PitchShifter::analyse() {
    PitchShifterWork& w = *frame_;
    shifter::splitBins(w.fft.spectrumBuffer(), bins_, input_.re.data(), input_.im.data(), w.energy.data());
    float loudest = 0.0f;
    for (int b = 0; b < bins_; ++b) loudest = std::max(loudest, w.energy[static_cast<std::size_t>(b)]);
    return loudest;
}

// Local maxima of the energy, each located by its phase advance since the last frame
// (exact for a steady partial) or, without a usable previous frame, by a parabola
// through the log magnitudes.
void PitchShifter::findPeaks(float loudest) {
    PitchShifterWork& w = *frame_;
    const float size = static_cast<float>(w.fft.size());
    const float hop = static_cast<float>(hopSize_);
    const float threshold = loudest * kPeakThreshold;
    const float lastBin = static_cast<float>(bins_ - 1);
    const float* energy = w.energy.data();
    float* knotX = w.knotX.data();
    float* knotY = w.knotY.data();

    // Noise makes a third of all bins a peak, in no pattern a branch could predict:
    // collect the candidates without branching first.
    int count = 0;
    for (int b = 1; b + 1 < bins_; ++b) {
        const float e = energy[b];
        w.candidates[static_cast<std::size_t>(count)] = b;
        count += static_cast<int>(e > threshold) & static_cast<int>(e > energy[b - 1]) &
                 static_cast<int>(e >= energy[b + 1]);
    }

    float* advance = w.candidateAdvance.data();
    float* position = w.candidatePosition.data();
    int* usable = w.candidateUsable.data();
    shifter::phaseAdvances(w.candidates.data(), count, input_.re.data(), input_.im.data(), previousInput_.re.data(),
                           previousInput_.im.data(), energy, advance, usable);
    shifter::positionsFromAdvance(w.candidates.data(), count, advance, w.expectedAdvance, size, hop, position);
    for (int c = 0; c < count; ++c) {
        if (usable[c]) continue;
        const int b = w.candidates[static_cast<std::size_t>(c)];
        const float l = std::log(energy[b - 1] + 1e-30f), m = std::log(energy[b]), r = std::log(energy[b + 1] + 1e-30f);
        const float curvature = l - 2.0f * m + r;
        position[c] = static_cast<float>(b) + (curvature < 0.0f ? 0.5f * (l - r) / curvature : 0.0f);
    }

    peakCount_ = 0;
    float previousOutputBin = 0.0f;
    for (int c = 0; c < count; ++c) {
        const float b = static_cast<float>(w.candidates[static_cast<std::size_t>(c)]);
        const float at = std::clamp(position[c], b - 1.0f, b + 1.0f);
        const float target = at * factor_;
        // Partials shifted past Nyquist are dropped; knots must climb strictly.
        if (target >= lastBin || target <= previousOutputBin + 0.5f) continue;
        const auto knot = static_cast<std::size_t>(++peakCount_);
        knotX[knot] = target;
        knotY[knot] = at;
        previousOutputBin = target;
    }
    for (int i = 0; i < peakCount_; ++i) {
        const float inputBin = knotY[static_cast<std::size_t>(i + 1)];
        w.peakRotation[static_cast<std::size_t>(i)] = factor_ * kTwoPi * inputBin * hop / size;
    }
    knotX[0] = 0.0f;
    knotY[0] = 0.0f;
    knotX[static_cast<std::size_t>(peakCount_ + 1)] = lastBin;
    knotY[static_cast<std::size_t>(peakCount_ + 1)] = lastBin / factor_;
}

// Each output bin takes its phase from the nearest shifted peak (the lower on a tie).
// Without peaks, every bin keeps its own input phase through one neutral entry.
void PitchShifter::assignOwners() {
    PitchShifterWork& w = *frame_;
    if (peakCount_ == 0) {
        std::fill(w.ownerOfBin.begin(), w.ownerOfBin.end(), 0);
        return;
    }
    shifter::nearestPeaks(w.map.segment(), w.knotX.data() + 1, peakCount_, bins_, w.ownerOfBin.data());
}

// Phase of each shifted peak: the previous output frame at that bin, advanced by the
// partial's new frequency over one hop. A partial that is new starts from the input phase.
void PitchShifter::lockPeakPhases() {
    PitchShifterWork& w = *frame_;
    float* peakPhaseRe = w.peakPhaseRe.data();
    float* peakPhaseIm = w.peakPhaseIm.data();
    float* peakReferenceRe = w.peakReferenceRe.data();
    float* peakReferenceIm = w.peakReferenceIm.data();
    if (peakCount_ == 0) {
        peakPhaseRe[0] = peakReferenceRe[0] = 1.0f;
        peakPhaseIm[0] = peakReferenceIm[0] = 0.0f;
        return;
    }
    const float* position = w.map.position();
    const float* knotX = w.knotX.data();
    for (int i = 0; i < peakCount_; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        const int bin = std::clamp(static_cast<int>(shifter::roundToWhole(knotX[ui + 1])), 0, bins_ - 1);
        const auto ub = static_cast<std::size_t>(bin);
        const Complex carried =
            Complex(previousOutput_.re[ub], previousOutput_.im[ub]) * std::polar(1.0f, w.peakRotation[ui]);
        const Complex input = interpolate(input_.re.data(), input_.im.data(), bins_, position[bin]);
        const Complex phase = unit(std::norm(carried) > 1e-30f ? carried : input);
        peakPhaseRe[ui] = phase.real();
        peakPhaseIm[ui] = phase.imag();
        peakReferenceRe[ui] = input.real();
        peakReferenceIm[ui] = -input.imag();
    }
}

void PitchShifter::overlapAdd() {
    PitchShifterWork& w = *frame_;
    const int n = frameSize_, size = w.fft.size(), half = n / 2;
    const float scale = 1.0f / (static_cast<float>(size) * windowGain_);
    const float* time = w.fft.timeBuffer();
    const float* window = w.window;
    // Output sample t of the frame sits t places after the ring's start.
    auto addRun = [&](int t, int count, const float* x) {
        int at = overlapStart_ + t;
        if (at >= n) at -= n;
        const int first = std::min(count, n - at);
        addWindowed(x, window + t, scale, first, overlapAdd_.data() + at);
        addWindowed(x + first, window + t + first, scale, count - first, overlapAdd_.data());
    };
    addRun(0, half, time + (size - half));
    addRun(half, n - half, time);
}

}  // namespace halcyra
