// Converts impulse responses from one sampling rate to another with the speexdsp
// resampler at its best quality, the way the SOFA reader converts a whole set: every
// response starts from a cleared filter with its delay skipped, and zeros follow the
// response until the requested length exists.
#pragma once

#include <cstdint>

struct SpeexResamplerState_;

namespace halcyra {

class ResponseResampler {
public:
    // Throws std::bad_alloc when the resampler cannot be made.
    ResponseResampler(std::uint32_t fromRate, std::uint32_t toRate);
    ~ResponseResampler();
    ResponseResampler(const ResponseResampler&) = delete;
    ResponseResampler& operator=(const ResponseResampler&) = delete;

    // Writes the first outLength samples of the converted response.
    void convert(const float* in, int inLength, float* out, int outLength);

private:
    SpeexResamplerState_* state_ = nullptr;
};

}  // namespace halcyra
