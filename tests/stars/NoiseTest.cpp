// Lattice noise: the negative-coordinate residue, the value range, and the vector
// texture path matching the scalar one bit for bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "dsp/stars/Noise.h"
#include "dsp/stars/TextureNoise.h"

using namespace halcyra;

TEST(Noise, NegativeCoordinatesWrapToTheSameCellsAsPositiveOnes) {
    const NoiseTable table(1337);
    // floor(-3.25) = -4, whose non-negative residue is 252: the same cell as 252.75.
    // A truncating or sign-keeping modulo would index elsewhere (or out of the table).
    const double offsets[] = {-256.0, -512.0, -1024.0 * 256.0};
    for (double x : {0.75, 3.5, 100.125, 255.5}) {
        for (double y : {0.25, 17.5, 200.875}) {
            for (double z : {0.5, 42.25}) {
                const double reference = table.noise(x, y, z);
                for (double shift : offsets) {
                    EXPECT_EQ(table.noise(x + shift, y, z), reference);
                    EXPECT_EQ(table.noise(x, y + shift, z), reference);
                    EXPECT_EQ(table.noise(x, y, z + shift), reference);
                }
            }
        }
    }
}

TEST(Noise, StaysWithinUnitRangeAndHitsLatticeValuesAtIntegers) {
    const NoiseTable table(99);
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> coordinate(-500.0, 500.0);
    for (int i = 0; i < 20000; ++i) {
        const double n = table.noise(coordinate(rng), coordinate(rng), coordinate(rng));
        ASSERT_GE(n, -1.0);
        ASSERT_LE(n, 1.0);
    }
    // At an integer point every fade is 0: the value is that of hash A.
    for (int X = 0; X < 256; X += 37) {
        const int Y = (X * 7) & 255, Z = (X * 13) & 255;
        const int a = (X + table.perm(Y + table.perm(Z))) & 255;
        EXPECT_DOUBLE_EQ(table.noise(X, Y, Z), 2.0 * table.perm(a) / 255.0 - 1.0);
    }
}

TEST(Noise, SeedsShuffleDifferentlyAndZeroCountsAsOne) {
    const NoiseTable one(1), zero(0), other(1337);
    bool differs = false;
    for (int i = 0; i < 512; ++i) {
        EXPECT_EQ(one.perm(i), zero.perm(i));
        EXPECT_EQ(one.perm(i), one.perm(i & 255));
        differs = differs || one.perm(i) != other.perm(i);
    }
    EXPECT_TRUE(differs);
    // Still a permutation.
    std::vector<int> seen(256, 0);
    for (int i = 0; i < 256; ++i) ++seen[static_cast<std::size_t>(other.perm(i))];
    for (int c : seen) EXPECT_EQ(c, 1);
}

TEST(Noise, VectorTextureMatchesScalarBitForBit) {
    const NoiseTable table(1337);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
    constexpr int kCount = 131;  // not a multiple of the lane count: exercises the tail
    std::vector<double> x(kCount), y(kCount), vec(kCount), ref(kCount);
    for (int trial = 0; trial < 50; ++trial) {
        for (int j = 0; j < kCount; ++j) {
            x[static_cast<std::size_t>(j)] = coordinate(rng);
            y[static_cast<std::size_t>(j)] = coordinate(rng);
        }
        const double z = coordinate(rng) * 100.0;
        NoiseTable::ZRow rows[4];
        for (int o = 0; o < 4; ++o) rows[o] = table.zRow(latticeAxis(double(1 << o) * z));
        textureNoise(table, x.data(), y.data(), kCount, rows, 4, vec.data());
        textureNoiseScalar(table, x.data(), y.data(), kCount, rows, 4, ref.data());
        for (int j = 0; j < kCount; ++j) {
            ASSERT_EQ(vec[static_cast<std::size_t>(j)], ref[static_cast<std::size_t>(j)]) << "point " << j;
            // And both agree with the plain fractal sum.
            ASSERT_DOUBLE_EQ(ref[static_cast<std::size_t>(j)],
                             table.fractal(x[static_cast<std::size_t>(j)], y[static_cast<std::size_t>(j)], z, 4));
        }
    }
}
