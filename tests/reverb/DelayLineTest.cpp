#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "dsp/reverb/CubicDelayLine.h"
#include "dsp/reverb/CubicLanes8.h"
#include "dsp/reverb/DelayLine.h"

namespace halcyra {
namespace {

DelayLine lineOf(int size) {
    DelayLine line;
    line.resize(size);
    for (int i = 0; i < size; ++i) line.push(static_cast<float>(i + 1));  // write index back at 0
    return line;
}

TEST(DelayLine, ReadAndTapOffsetsFollowTheWritePosition) {
    DelayLine line = lineOf(8);
    EXPECT_EQ(line.read(1), 8.0f);  // the newest sample
    EXPECT_EQ(line.tap(0), 8.0f);
    EXPECT_EQ(line.tap(3), 5.0f);
    EXPECT_EQ(line.read(7), 2.0f);
}

TEST(DelayLine, PositionThatRoundsUpToTheCapacityWrapsToTheStart) {
    DelayLine line = lineOf(8);
    // Just below zero: adding the capacity rounds to exactly 8.0f.
    const float p = line.position(1.0f, -1e-9f);
    EXPECT_LE(p, 8.0f);
    EXPECT_FLOAT_EQ(line.readCubic(p), 1.0f);
    EXPECT_FLOAT_EQ(line.readLinear(p), 1.0f);
}

TEST(DelayLine, InterpolatedReadsBetweenSamples) {
    DelayLine line = lineOf(8);
    // A straight ramp 3, 4, 5, 6 around index 3: both readers give the line.
    EXPECT_FLOAT_EQ(line.readLinear(3.25f), 4.25f);
    EXPECT_FLOAT_EQ(line.readCubic(3.25f), 4.25f);
    // Across the wrap (index 7 = 8, index 0 = 1) the neighbours come from the start.
    EXPECT_FLOAT_EQ(line.readLinear(7.5f), 4.5f);
}

TEST(DelayLine, AbsurdShiftsStillLandInsideTheLine) {
    DelayLine line = lineOf(8);
    for (float shift : {1e9f, -1e9f, 1e30f, -3.0e38f}) {
        const float p = line.position(3.0f, shift);
        EXPECT_GE(p, 0.0f) << shift;
        EXPECT_LE(p, 8.0f) << shift;
    }
}

// Reads less than four writes back take the one-step path, the others four steps
// at a time; across several wraps of lines with and without spare room, in blocks
// that cut the runs anywhere.
TEST(DelayLine, InPlaceAllpassMatchesSampleBySample) {
    for (int spare : {1, 8})
    for (int length = 2; length <= 9; ++length) {
        SCOPED_TRACE(spare);
        DelayLine a, b;
        a.resize(length + spare);
        b.resize(length + spare);
        float block[50], reference[50];
        for (int i = 0; i < 50; ++i) block[i] = reference[i] = static_cast<float>((i * 37) % 11) - 5.0f;
        for (int done = 0, n = 1; done < 50; n += 3) {  // blocks of 1, 4, 7, ... samples
            const int m = std::min(n, 50 - done);
            a.allpassInPlace(block + done, m, length, 0.5f);
            done += m;
        }
        for (float& x : reference) {
            const float r = b.read(length - 1);
            const float v = x - 0.5f * r;
            b.push(v);
            x = 0.5f * v + r;
        }
        for (int i = 0; i < 50; ++i) EXPECT_EQ(block[i], reference[i]) << "length " << length << " sample " << i;
    }
}

// A run read ahead and pushed at once equals reading and pushing step by step,
// whether or not the run wraps, for every write position.
TEST(DelayLine, RunsMatchReadsAndPushesStepByStep) {
    constexpr int kSize = 11;
    for (int start = 0; start < kSize; ++start)
        for (int offset : {3, 7, 10})
            for (int n = 1; n <= offset; ++n) {
                DelayLine runs = lineOf(kSize), steps = lineOf(kSize);
                for (int i = 0; i < start; ++i) {
                    runs.push(-1.0f - static_cast<float>(i));
                    steps.push(-1.0f - static_cast<float>(i));
                }
                float spill[kSize], fresh[kSize];
                const float* run = runs.readRun(offset, n, spill);
                for (int i = 0; i < n; ++i) {
                    fresh[i] = 100.0f + static_cast<float>(i);
                    ASSERT_EQ(run[i], steps.read(offset)) << start << " " << offset << " " << n << " " << i;
                    steps.push(fresh[i]);
                }
                runs.pushRun(fresh, n);
                ASSERT_EQ(runs.writeIndex(), steps.writeIndex());
                for (int k = 0; k < kSize; ++k) ASSERT_EQ(runs.read(k), steps.read(k)) << k;
            }
}

// The four-lane reads and writes of mirrored lines against the plain line's
// position, Catmull-Rom read and push: same bits, at every write position (the lanes
// keep their own until they hand them back), across both wraps, for a position
// rounding up to the capacity, absurd shifts and a NaN shift.
// The lane sets' vector reads, behind one plain-pointer form for the shared check below.
struct FourLanes {
    using Lanes = CubicLanes4;
    static constexpr int kLanes = 4;
    static constexpr int kSizes[kLanes] = {5, 9, 64, 300};
    static void read(const Lanes& lanes, const float* nominal, const float* shift, float* out) {
        _mm_storeu_ps(out, lanes.read(_mm_loadu_ps(nominal), _mm_loadu_ps(shift)));
    }
};

struct EightLanes {
    using Lanes = CubicLanes8;
    static constexpr int kLanes = 8;
    static constexpr int kSizes[kLanes] = {5, 9, 64, 300, 4, 7, 33, 1000};
    __attribute__((target("avx2"))) static void read(const Lanes& lanes, const float* nominal, const float* shift,
                                                     float* out) {
        _mm256_storeu_ps(out, lanes.read(_mm256_loadu_ps(nominal), _mm256_loadu_ps(shift)));
    }
};

template <class Set>
void expectLanesMatchPlainLines() {
    constexpr int kLanes = Set::kLanes;
    DelayLine plain[kLanes];
    CubicDelayLine mirrored[kLanes];
    CubicDelayLine* lines[kLanes];
    for (int k = 0; k < kLanes; ++k) {
        plain[k].resize(Set::kSizes[k]);
        mirrored[k].resize(Set::kSizes[k]);
        lines[k] = &mirrored[k];
    }
    typename Set::Lanes lanes(lines);
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f), unit(0.0f, 1.0f);
    const float oddShifts[] = {-1e-9f, 1e9f, -3.0e38f, std::nanf("")};
    for (int step = 0; step < 700; ++step) {
        float nominal[kLanes], shift[kLanes], out[kLanes], in[kLanes];
        for (int k = 0; k < kLanes; ++k) {
            nominal[k] = 1.0f + unit(rng) * static_cast<float>(Set::kSizes[k] - 1);
            shift[k] = (unit(rng) - 0.5f) * 2.4f * static_cast<float>(Set::kSizes[k]);  // wraps either way
        }
        if (step % 50 == 7) shift[step % kLanes] = oddShifts[(step / 50) % 4];
        if (step % 50 == 9) nominal[1] = static_cast<float>(plain[1].writeIndex()) + 1.0f;  // p of -0 / rounding
        Set::read(lanes, nominal, shift, out);
        for (int k = 0; k < kLanes; ++k) {
            const float expected = plain[k].readCubic(plain[k].position(nominal[k], shift[k]));
            ASSERT_EQ(std::memcmp(&out[k], &expected, sizeof(float)), 0)
                << "step " << step << " lane " << k << ": " << out[k] << " vs " << expected;
            in[k] = sample(rng);
            plain[k].push(in[k]);
        }
        lanes.template write<(1 << kLanes) - 1>(in);
        lanes.advance();
    }
    lanes.finish();
    for (int k = 0; k < kLanes; ++k) {
        ASSERT_EQ(mirrored[k].writeIndex(), plain[k].writeIndex());
        for (float nominal = 1.0f; nominal < static_cast<float>(Set::kSizes[k]); nominal += 0.75f)
            ASSERT_EQ(mirrored[k].readCubic(mirrored[k].position(nominal, 0.0f)), plain[k].readCubic(plain[k].position(nominal, 0.0f)));
    }
}

// Four SSE lanes everywhere; eight AVX2 lanes where the CPU has them.
TEST(DelayLine, CubicLaneSetsMatchThePlainLineBitForBit) {
    {
        SCOPED_TRACE("four lanes");
        expectLanesMatchPlainLines<FourLanes>();
    }
    if (__builtin_cpu_supports("avx2")) {
        SCOPED_TRACE("eight lanes");
        expectLanesMatchPlainLines<EightLanes>();
    }
}

}  // namespace
}  // namespace halcyra
