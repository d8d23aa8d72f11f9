// Flushes denormal results and operands to zero while in scope and restores the
// caller's floating-point mode on every exit path. Recursive filters decaying
// towards silence otherwise hit denormals and cost many times their normal price.
#pragma once

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define HALCYRA_HAS_MXCSR 1
#endif

namespace halcyra {

class DenormalGuard {
public:
#if HALCYRA_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;     // FTZ: denormal results become 0
    static constexpr unsigned kDenormalsAreZero = 0x0040;  // DAZ: denormal operands read as 0

    DenormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero); }
    ~DenormalGuard() { _mm_setcsr(saved_); }
#else
    DenormalGuard() = default;
#endif
    DenormalGuard(const DenormalGuard&) = delete;
    DenormalGuard& operator=(const DenormalGuard&) = delete;

private:
#if HALCYRA_HAS_MXCSR
    unsigned saved_;
#endif
};

}  // namespace halcyra
