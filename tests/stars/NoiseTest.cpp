// Lattice noise and cloud cover: the negative-coordinate residue, the value range, and
// the vector paths matching the scalar ones bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "dsp/stars/CloudCover.h"
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

TEST(CloudCover, VectorPathMatchesScalarAndOnlyCoversTheDisc) {
    std::mt19937 rng(21);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    constexpr int kCount = 130;
    std::vector<double> x(kCount), y(kCount);
    for (int j = 0; j < kCount; ++j) {
        x[static_cast<std::size_t>(j)] = u(rng);
        y[static_cast<std::size_t>(j)] = u(rng);
    }
    for (int trial = 0; trial < 200; ++trial) {
        const CloudDisc disc{u(rng), u(rng), 0.6 * (u(rng) + 1.0), 0.5 * (u(rng) + 1.0)};
        const double softness = 0.5 * (u(rng) + 1.0);
        std::vector<double> vec(kCount, 0.25), ref(kCount, 0.25);
        addCloudCover(disc, softness, x.data(), y.data(), kCount, vec.data());
        addCloudCoverScalar(disc, softness, x.data(), y.data(), kCount, ref.data());
        for (int j = 0; j < kCount; ++j) {
            const std::size_t s = static_cast<std::size_t>(j);
            ASSERT_EQ(vec[s], ref[s]) << "point " << j;
            const double d2 = std::pow(x[s] - disc.cx, 2) + std::pow(y[s] - disc.cy, 2);
            if (d2 >= disc.radius2) {
                ASSERT_EQ(ref[s], 0.25);
            } else {
                // Full weight at the centre, none at the rim.
                ASSERT_GE(ref[s], 0.25);
                ASSERT_LE(ref[s], 0.25 + disc.weight + 1e-12);
            }
        }
    }
    // A point at the centre gets the whole weight.
    const double cx[1] = {0.3}, cy[1] = {-0.2};
    double cover[1] = {0.0};
    addCloudCover(CloudDisc{0.3, -0.2, 0.04, 0.7}, 0.6, cx, cy, 1, cover);
    EXPECT_DOUBLE_EQ(cover[0], 0.7);
}
