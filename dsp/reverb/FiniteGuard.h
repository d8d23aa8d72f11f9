// Keeps NaN and infinity out of the recirculating lines: one bad sample in a
// feedback network would otherwise poison the tail forever. Checks the exponent
// bits so it holds whatever the compiler's floating-point assumptions.
#pragma once

#include <cstdint>
#include <cstring>

namespace halcyra {

inline float finiteOrZero(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits & 0x7f800000u) == 0x7f800000u ? 0.0f : v;
}

}  // namespace halcyra
