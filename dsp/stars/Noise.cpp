#include "dsp/stars/Noise.h"

#include <utility>

namespace halcyra {

void NoiseTable::shuffle(std::uint32_t seed) {
    std::uint32_t s = seed == 0 ? 1u : seed;
    std::uint8_t p[256];
    for (int i = 0; i < 256; ++i) p[i] = static_cast<std::uint8_t>(i);
    for (int n = 255; n >= 1; --n) {
        s = 1664525u * s + 1013904223u;
        const int j = static_cast<int>(static_cast<double>(s) * 0x1p-32 * (n + 1));
        std::swap(p[n], p[j]);
    }
    for (int i = 0; i < 512; ++i) {
        perm_[i] = p[i & 255];
        permWord_[i] = perm_[i];
        value_[i] = 2.0 * perm_[i] / 255.0 - 1.0;
    }
}

double NoiseTable::fractal(double x, double y, double z, int octaves) const {
    double sum = 0.0, norm = 0.0, scale = 1.0, weight = 0.5;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * noise(scale * x, scale * y, scale * z);
        norm += weight;
        scale *= 2.0;
        weight *= 0.5;
    }
    return norm > 0.0 ? sum / norm : 0.0;
}

}  // namespace halcyra
