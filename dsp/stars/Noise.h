// Seeded value noise on a 256-cell lattice and its fractal sum, as the sky field
// uses them. The sky pre-rolls hundreds of steps in one audio block, so the lattice
// work is split into per-axis parts (LatticeAxis) that callers can compute once and
// reuse when an axis does not change between evaluations.
#pragma once

#include <cmath>
#include <cstdint>

namespace halcyra {

// Quintic fade ((6t - 15)t + 10)t^3.
inline double noiseFade(double t) { return ((6.0 * t - 15.0) * t + 10.0) * t * t * t; }

// A lattice coordinate split into its cell (the non-negative residue of floor(x)
// modulo 256, also for negative x) and the faded fractional part.
struct LatticeAxis {
    int cell = 0;
    double fade = 0.0;
};

inline LatticeAxis latticeAxis(double x) {
    const double f = std::floor(x);
    // Two's-complement masking gives the non-negative residue for negative cells.
    return {static_cast<int>(static_cast<std::int64_t>(f) & 255), noiseFade(x - f)};
}

class NoiseTable {
public:
    explicit NoiseTable(std::uint32_t seed = 1337) { shuffle(seed); }

    // Fisher-Yates driven by the 32-bit LCG; seed 0 counts as 1.
    void shuffle(std::uint32_t seed);

    int perm(int i) const { return perm_[i]; }
    // The table as 32-bit words and the lattice values, for vectorised lookups.
    const int* permWords() const { return permWord_; }
    const double* values() const { return value_; }

    // Value noise N(x, y, z) in -1..1.
    double noise(double x, double y, double z) const {
        return noise(latticeAxis(x), latticeAxis(y), latticeAxis(z));
    }

    // Fractal sum of `octaves` octaves, each at twice the frequency and half the weight.
    double fractal(double x, double y, double z, int octaves) const;

    // The z axis only selects two rows of the table; hoisting them lets a caller
    // evaluate many (x, y) at one z cheaply.
    struct ZRow {
        int p0 = 0, p1 = 0;
        double fade = 0.0;
    };
    ZRow zRow(const LatticeAxis& z) const { return {perm_[z.cell], perm_[z.cell + 1], z.fade}; }

    double noise(const LatticeAxis& x, const LatticeAxis& y, const LatticeAxis& z) const {
        return noise(x, y, zRow(z));
    }

    double noise(const LatticeAxis& x, const LatticeAxis& y, const ZRow& z) const {
        const int X = x.cell, Y = y.cell;
        const int a = (X + perm_[Y + z.p0]) & 255;
        const int b = (X + perm_[Y + 1 + z.p0]) & 255;
        const int c = (X + perm_[Y + z.p1]) & 255;
        const int d = (X + perm_[Y + 1 + z.p1]) & 255;
        const double fu = x.fade;
        const double xa = value_[a] + fu * (value_[a + 1] - value_[a]);
        const double xb = value_[b] + fu * (value_[b + 1] - value_[b]);
        const double xc = value_[c] + fu * (value_[c + 1] - value_[c]);
        const double xd = value_[d] + fu * (value_[d + 1] - value_[d]);
        const double y0 = xa + y.fade * (xb - xa);
        const double y1 = xc + y.fade * (xd - xc);
        return y0 + z.fade * (y1 - y0);
    }

    // The y-interpolated values, before z interpolation, of `count` (x, y) lattice
    // points in the z row whose table offset is `rowOffset` (ZRow::p0 or p1).
    // noise(x, y, z) == below + z.fade * (above - below) with below/above the
    // values for z's p0 and p1.
    void rowValues(const LatticeAxis* x, const LatticeAxis* y, int count, int rowOffset, double* out) const {
        for (int j = 0; j < count; ++j) {
            const int a = (x[j].cell + perm_[y[j].cell + rowOffset]) & 255;
            const int b = (x[j].cell + perm_[y[j].cell + 1 + rowOffset]) & 255;
            const double xa = value_[a] + x[j].fade * (value_[a + 1] - value_[a]);
            const double xb = value_[b] + x[j].fade * (value_[b + 1] - value_[b]);
            out[j] = xa + y[j].fade * (xb - xa);
        }
    }

private:
    // 256 entries repeated once so that index + 1 and row sums never need wrapping.
    std::uint8_t perm_[512];
    int permWord_[512];
    // 2 * perm / 255 - 1, the lattice value at each hash.
    double value_[512];
};

}  // namespace halcyra
