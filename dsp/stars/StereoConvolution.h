// Direct convolution of one mono block with a left and a right impulse response at
// once: y[i] = sum_j work[i + j] * h[taps - 1 - j], summed in that order of j, where work
// holds taps-1 samples of history followed by the n new samples. The responses are read
// backwards in place, so a channel needs no reversed copy of its own. Vector versions
// are chosen once at run time.
#pragma once

namespace halcyra {

using StereoConvolveFn = void (*)(const float* work, const float* left, const float* right,
                                  int taps, int n, float* outLeft, float* outRight);

// The plain sum, in tap order.
void convolveStereoScalar(const float* work, const float* left, const float* right, int taps,
                          int n, float* outLeft, float* outRight);
// SSE2 (every x86-64 CPU). Falls back to the scalar sum elsewhere.
void convolveStereoSse2(const float* work, const float* left, const float* right, int taps,
                        int n, float* outLeft, float* outRight);
// AVX2 + FMA; only call when hasAvx2Fma() is true.
void convolveStereoAvx2(const float* work, const float* left, const float* right, int taps,
                        int n, float* outLeft, float* outRight);

bool hasAvx2Fma();
// The fastest version this CPU runs.
StereoConvolveFn bestStereoConvolution();

}  // namespace halcyra
