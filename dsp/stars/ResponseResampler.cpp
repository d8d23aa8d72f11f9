#include "dsp/stars/ResponseResampler.h"

#include <speex/speex_resampler.h>

#include <algorithm>
#include <new>

namespace halcyra {

ResponseResampler::ResponseResampler(std::uint32_t fromRate, std::uint32_t toRate) {
    int error = RESAMPLER_ERR_SUCCESS;
    state_ = speex_resampler_init(1, fromRate, toRate, SPEEX_RESAMPLER_QUALITY_MAX, &error);
    if (state_ == nullptr) throw std::bad_alloc();
}

ResponseResampler::~ResponseResampler() { speex_resampler_destroy(state_); }

void ResponseResampler::convert(const float* in, int inLength, float* out, int outLength) {
    if (outLength <= 0) return;
    speex_resampler_reset_mem(state_);
    speex_resampler_skip_zeros(state_);
    spx_uint32_t consumed = static_cast<spx_uint32_t>(std::max(0, inLength));
    spx_uint32_t produced = static_cast<spx_uint32_t>(outLength);
    speex_resampler_process_float(state_, 0, in, &consumed, out, &produced);
    static const float kZeros[10] = {};
    auto done = produced;
    while (done < static_cast<spx_uint32_t>(outLength)) {
        spx_uint32_t zeros = 10;
        spx_uint32_t more = static_cast<spx_uint32_t>(outLength) - done;
        speex_resampler_process_float(state_, 0, kZeros, &zeros, out + done, &more);
        done += more;
    }
}

}  // namespace halcyra
