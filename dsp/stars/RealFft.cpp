#include "dsp/stars/RealFft.h"

#include <fftw3.h>

#include <mutex>
#include <stdexcept>
#include <utility>

namespace halcyra {

namespace {
// FFTW's planner is not thread-safe, and several plug-in instances may prepare at once.
std::mutex& plannerMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

RealFft::RealFft() = default;
RealFft::~RealFft() { release(); }

RealFft::RealFft(RealFft&& other) noexcept { *this = std::move(other); }

RealFft& RealFft::operator=(RealFft&& other) noexcept {
    if (this != &other) {
        release();
        size_ = std::exchange(other.size_, 0);
        time_ = std::exchange(other.time_, nullptr);
        spectrum_ = std::exchange(other.spectrum_, nullptr);
        forwardPlan_ = std::exchange(other.forwardPlan_, nullptr);
        inversePlan_ = std::exchange(other.inversePlan_, nullptr);
    }
    return *this;
}

void RealFft::release() {
    std::lock_guard<std::mutex> lock(plannerMutex());
    if (forwardPlan_) fftwf_destroy_plan(static_cast<fftwf_plan>(forwardPlan_));
    if (inversePlan_) fftwf_destroy_plan(static_cast<fftwf_plan>(inversePlan_));
    if (time_) fftwf_free(time_);
    if (spectrum_) fftwf_free(spectrum_);
    forwardPlan_ = inversePlan_ = nullptr;
    time_ = nullptr;
    spectrum_ = nullptr;
    size_ = 0;
}

void RealFft::prepare(int size) {
    if (size == size_ && forwardPlan_ != nullptr) return;
    release();
    if (size < 2) size = 2;
    std::lock_guard<std::mutex> lock(plannerMutex());
    time_ = static_cast<float*>(fftwf_malloc(sizeof(float) * static_cast<std::size_t>(size)));
    spectrum_ = reinterpret_cast<std::complex<float>*>(
        fftwf_malloc(sizeof(fftwf_complex) * static_cast<std::size_t>(size / 2 + 1)));
    if (time_ == nullptr || spectrum_ == nullptr) throw std::bad_alloc();
    auto* spectrum = reinterpret_cast<fftwf_complex*>(spectrum_);
    forwardPlan_ = fftwf_plan_dft_r2c_1d(size, time_, spectrum, FFTW_ESTIMATE);
    inversePlan_ = fftwf_plan_dft_c2r_1d(size, spectrum, time_, FFTW_ESTIMATE);
    if (forwardPlan_ == nullptr || inversePlan_ == nullptr) throw std::runtime_error("FFT plan failed");
    size_ = size;
}

void RealFft::forward() {
    fftwf_execute_dft_r2c(static_cast<fftwf_plan>(forwardPlan_), time_, reinterpret_cast<fftwf_complex*>(spectrum_));
}

void RealFft::inverse() {
    fftwf_execute_dft_c2r(static_cast<fftwf_plan>(inversePlan_), reinterpret_cast<fftwf_complex*>(spectrum_), time_);
}

int RealFft::fastSizeAtLeast(int n) {
    if (n <= 1) return 1;
    for (int m = n;; ++m) {
        int r = m;
        for (int f : {2, 3, 5})
            while (r % f == 0) r /= f;
        if (r == 1) return m;
    }
}

}  // namespace halcyra
