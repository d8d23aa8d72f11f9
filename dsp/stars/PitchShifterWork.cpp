#include "dsp/stars/PitchShifterWork.h"

#include <cmath>
#include <mutex>
#include <numbers>

namespace halcyra {

namespace {

std::shared_ptr<const PitchShifterWork::Tables> makeTables(int frameSize, int hopSize, int fftSize) {
    auto tables = std::make_shared<PitchShifterWork::Tables>();
    tables->frameSize = frameSize;
    tables->hopSize = hopSize;
    tables->fftSize = fftSize;
    const auto n = static_cast<std::size_t>(frameSize);
    tables->window.resize(n);
    for (std::size_t t = 0; t < n; ++t) {
        const double phase = 2.0 * std::numbers::pi * static_cast<double>(t) / frameSize;
        tables->window[t] = static_cast<float>(0.5 - 0.5 * std::cos(phase));
    }
    constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
    const int bins = fftSize / 2 + 1;
    tables->expectedAdvance.resize(static_cast<std::size_t>(bins));
    for (int bin = 0; bin < bins; ++bin)
        tables->expectedAdvance[static_cast<std::size_t>(bin)] =
            kTwoPi * static_cast<float>(bin) * static_cast<float>(hopSize) / static_cast<float>(fftSize);
    return tables;
}

// One object per frame shape in the process, made by make() when nobody holds one of
// that shape; an entry goes when its last holder does. The caller holds the lock.
template <class T, class Fits, class Make>
std::shared_ptr<T> sharedWhileHeld(std::vector<std::weak_ptr<T>>& inUse, Fits fits, Make make) {
    std::erase_if(inUse, [](const auto& entry) { return entry.expired(); });
    for (const auto& entry : inUse)
        if (auto held = entry.lock(); held && fits(*held)) return held;
    std::shared_ptr<T> made = make();
    inUse.push_back(made);
    return made;
}

std::shared_ptr<const PitchShifterWork::Tables> sharedTables(int frameSize, int hopSize, int fftSize) {
    static std::mutex mutex;
    static std::vector<std::weak_ptr<const PitchShifterWork::Tables>> inUse;
    std::lock_guard<std::mutex> lock(mutex);
    return sharedWhileHeld(
        inUse,
        [&](const PitchShifterWork::Tables& t) {
            return t.frameSize == frameSize && t.hopSize == hopSize && t.fftSize == fftSize;
        },
        [&] { return makeTables(frameSize, hopSize, fftSize); });
}

}  // namespace

void PitchShifterWork::prepare(int frameSize, int hopSize, int fftSize) {
    if (tables_ && frameSize == tables_->frameSize && hopSize == tables_->hopSize && fftSize == fft.size()) return;
    fft.prepare(fftSize);
    tables_ = sharedTables(frameSize, hopSize, fft.size());
    window = tables_->window.data();
    expectedAdvance = tables_->expectedAdvance.data();
    const int bins = fft.bins();
    const auto b = static_cast<std::size_t>(bins);
    energy.assign(b + 1, 0.0f);

    // A peak is a strict local maximum, so at most every other bin is one.
    const std::size_t maxPeaks = b / 2 + 2;
    knotX.assign(maxPeaks + 2, 0.0f);
    knotY.assign(maxPeaks + 2, 0.0f);
    candidates.assign(b, 0);
    candidateAdvance.assign(b, 0.0f);
    candidatePosition.assign(b, 0.0f);
    candidateUsable.assign(b, 0);
    peakRotation.assign(maxPeaks, 0.0f);
    peakPhaseRe.assign(maxPeaks, 0.0f);
    peakPhaseIm.assign(maxPeaks, 0.0f);
    peakReferenceRe.assign(maxPeaks, 0.0f);
    peakReferenceIm.assign(maxPeaks, 0.0f);
    ownerOfBin.assign(b, 0);
    map.prepare(bins, static_cast<int>(maxPeaks + 2));
}

PitchShifterWorkPool::PitchShifterWorkPool(int frameSize, int hopSize, int fftSize)
    : frameSize_(frameSize), hopSize_(hopSize), fftSize_(fftSize) {
    for (PitchShifterWork& slot : slots_) slot.prepare(frameSize, hopSize, fftSize);
}

bool PitchShifterWorkPool::fits(int frameSize, int hopSize, int fftSize) const {
    return frameSize == frameSize_ && hopSize == hopSize_ && fftSize == fftSize_;
}

std::shared_ptr<PitchShifterWorkPool> PitchShifterWorkPool::forFrame(int frameSize, int hopSize, int fftSize) {
    static std::mutex mutex;
    static std::vector<std::weak_ptr<PitchShifterWorkPool>> inUse;
    std::lock_guard<std::mutex> lock(mutex);
    return sharedWhileHeld(
        inUse, [&](const PitchShifterWorkPool& pool) { return pool.fits(frameSize, hopSize, fftSize); },
        [&] { return std::make_shared<PitchShifterWorkPool>(frameSize, hopSize, fftSize); });
}

PitchShifterWork* PitchShifterWorkPool::claim() {
    const int slot = claims_.claim();
    return slot >= 0 ? &slots_[slot] : nullptr;
}

void PitchShifterWorkPool::release(PitchShifterWork* work) { claims_.release(static_cast<int>(work - slots_)); }

}  // namespace halcyra
