// Real-input FFT of a fixed size on FFTW single precision. Plans and aligned buffers
// are made in prepare; forward/inverse then only execute them, so they are safe on
// the audio thread.
#pragma once

#include <complex>
#include <memory>

namespace halcyra {

class RealFft {
public:
    RealFft();
    ~RealFft();
    RealFft(RealFft&&) noexcept;
    RealFft& operator=(RealFft&&) noexcept;

    void prepare(int size);
    int size() const { return size_; }
    int bins() const { return size_ / 2 + 1; }

    float* timeBuffer() { return time_; }
    std::complex<float>* spectrumBuffer() { return spectrum_; }

    void forward();  // timeBuffer -> spectrumBuffer
    void inverse();  // spectrumBuffer -> timeBuffer, unscaled (x size); overwrites the spectrum

    // Smallest size >= n made of the factors 2, 3 and 5 only.
    static int fastSizeAtLeast(int n);

private:
    void release();

    int size_ = 0;
    float* time_ = nullptr;
    std::complex<float>* spectrum_ = nullptr;
    void* forwardPlan_ = nullptr;
    void* inversePlan_ = nullptr;
};

}  // namespace halcyra
