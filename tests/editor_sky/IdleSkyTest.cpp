// The idle sky the view animates on its own until the plug-in produces data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "editor/SkyViewControl.h"
#include "editor/SkyPoints.h"

namespace halcyra::test {
namespace {

const IRECT kRect{0.0f, 44.0f, 760.0f, 388.0f};

int AliveFlashes(const SkyViewState& s) {
    return static_cast<int>(std::count_if(std::begin(s.flashes), std::end(s.flashes),
                                          [](const SkyFlash& f) { return !f.Expired(); }));
}

TEST(IdleSky, OpensPrewarmedWithCloudsAndFlashes) {
    SkyViewControl sky(kRect, 2);
    EXPECT_NEAR(sky.Time(), 1.5, 1e-9);
    EXPECT_EQ(sky.FrameCount(), 90u);
    // 1.5 s of spawning at one flash per 0.1 s, all still younger than their 1.6 s life.
    EXPECT_GE(sky.IdleSpawnCount(), 14);
    EXPECT_LE(sky.IdleSpawnCount(), 15);
    EXPECT_EQ(AliveFlashes(sky.IdleState()), sky.IdleSpawnCount());

    const SkyViewState& s = sky.IdleState();
    EXPECT_GT(s.reverbLevel, 0.18f);
    EXPECT_LT(s.reverbLevel, 0.66f);
    const float floor = s.reverbLevel * 0.1f + 0.1f;
    int cloudy = 0;
    for (float w : s.weights) {
        EXPECT_GE(w, floor - 1e-6f);
        EXPECT_LE(w, 1.0f);
        if (w > 0.5f) ++cloudy;
    }
    EXPECT_GT(cloudy, 3) << "the five cells should cover some points strongly";
    EXPECT_LT(cloudy, SkyPointTable::kCount) << "and leave others clear";
}

TEST(IdleSky, ReopeningStartsFromTheSameSky) {
    SkyViewControl first(kRect, 2);
    for (int i = 0; i < 100; ++i) first.Step();
    SkyViewControl reopened(kRect, 2);
    SkyViewControl fresh(kRect, 2);
    EXPECT_TRUE(std::equal(std::begin(reopened.IdleState().weights), std::end(reopened.IdleState().weights),
                           std::begin(fresh.IdleState().weights)));
    EXPECT_FALSE(std::equal(std::begin(first.IdleState().weights), std::end(first.IdleState().weights),
                            std::begin(fresh.IdleState().weights)));
}

// Each new flash lands within ±0.09 sky units of the cell whose turn it is, the
// cells taking turns 0, 1, 2, 3, 4, 0, …
TEST(IdleSky, AFlashEveryTenthOfASecondCyclingThroughTheCells) {
    SkyViewControl sky(kRect, 2);
    const int startCount = sky.IdleSpawnCount();
    int checked = 0;
    for (int frame = 0; frame < 600; ++frame) {
        const int before = sky.IdleSpawnCount();
        sky.Step();
        const int after = sky.IdleSpawnCount();
        ASSERT_LE(after - before, 1) << "never two flashes in one frame at 60 fps";
        if (after == before) continue;
        const int k = before % SkyViewControl::kIdleCellCount;
        const SkyFlash& f = sky.IdleState().flashes[before % kSkyFlashCount];
        EXPECT_NEAR(f.age, SkyViewControl::kFrameStep, 1e-6f);
        const float cx = sky.IdleCellX(k), cy = sky.IdleCellY(k);
        EXPECT_NEAR(f.azimuth, std::clamp(cx * 90.0f, -90.0f, 90.0f), 0.09f * 90.0f + 0.2f) << "flash " << before;
        EXPECT_NEAR(f.elevation, std::clamp(cy * 27.5f + 17.5f, -10.0f, 45.0f), 0.09f * 27.5f + 0.1f)
            << "flash " << before;
        EXPECT_GE(f.intensity, 0.55f);
        EXPECT_LE(f.intensity, 1.0f);
        ++checked;
    }
    EXPECT_NEAR(sky.IdleSpawnCount() - startCount, 100, 1) << "ten seconds, one flash per 0.1 s";
    EXPECT_EQ(checked, sky.IdleSpawnCount() - startCount);
    // A flash lives 1.6 s, so about sixteen are alive at any time, never more than the ring.
    EXPECT_GE(AliveFlashes(sky.IdleState()), 15);
    EXPECT_LE(AliveFlashes(sky.IdleState()), 17);
}

TEST(IdleSky, CellsDriftAndTheWeightsFollow) {
    SkyViewControl sky(kRect, 2);
    const float x0 = sky.IdleCellX(2), y0 = sky.IdleCellY(2);
    const SkyViewState before = sky.IdleState();
    for (int i = 0; i < 300; ++i) sky.Step();
    EXPECT_GT(std::hypot(sky.IdleCellX(2) - x0, sky.IdleCellY(2) - y0), 0.02f);
    int changed = 0;
    for (int i = 0; i < SkyPointTable::kCount; ++i)
        if (std::fabs(sky.IdleState().weights[i] - before.weights[i]) > 0.01f) ++changed;
    EXPECT_GT(changed, 10);
}

// Each cell wanders around its home within ±0.18 across and ±0.15 up and down.
TEST(IdleSky, CellsStayNearTheirHomes) {
    SkyViewControl sky(kRect, 2);
    float minX[5], maxX[5], minY[5], maxY[5];
    for (int k = 0; k < 5; ++k) {
        minX[k] = maxX[k] = sky.IdleCellX(k);
        minY[k] = maxY[k] = sky.IdleCellY(k);
    }
    for (int i = 0; i < 60 * 120; ++i) {
        sky.Step();
        for (int k = 0; k < 5; ++k) {
            minX[k] = std::min(minX[k], sky.IdleCellX(k));
            maxX[k] = std::max(maxX[k], sky.IdleCellX(k));
            minY[k] = std::min(minY[k], sky.IdleCellY(k));
            maxY[k] = std::max(maxY[k], sky.IdleCellY(k));
        }
    }
    for (int k = 0; k < 5; ++k) {
        EXPECT_LE(maxX[k] - minX[k], 0.36f + 1e-4f) << "cell " << k;
        EXPECT_LE(maxY[k] - minY[k], 0.30f + 1e-4f) << "cell " << k;
        EXPECT_GT(maxX[k] - minX[k], 0.05f) << "cell " << k << " should move within two minutes";
    }
}

TEST(IdleSky, StopsAdvancingOnceFedWhileTheClockRuns) {
    SkyViewControl sky(kRect, 2);
    SkyViewState fed;
    sky.SetExternalState(&fed);
    const SkyViewState idle = sky.IdleState();
    const int spawned = sky.IdleSpawnCount();
    const double t = sky.Time();
    for (int i = 0; i < 120; ++i) sky.Step();
    EXPECT_NEAR(sky.Time(), t + 2.0, 1e-9);
    EXPECT_EQ(sky.IdleSpawnCount(), spawned);
    EXPECT_TRUE(std::equal(std::begin(idle.weights), std::end(idle.weights), std::begin(sky.IdleState().weights)));
    EXPECT_EQ(&sky.DrawnState(), &fed);
}

TEST(SkyPointTable, SunflowerLayoutInsideTheSky) {
    const SkyPointTable points;
    // Point 0 sits just right of the centre, on the horizon line of the disc.
    EXPECT_NEAR(points.azimuth[0], 90.0f * std::sqrt(0.5f / 128.0f), 1e-4f);
    EXPECT_NEAR(points.elevation[0], 17.5f, 1e-5f);
    float minAz = 0, maxAz = 0, minEl = 45, maxEl = -10;
    for (int i = 0; i < SkyPointTable::kCount; ++i) {
        EXPECT_NEAR(points.x[i] * points.x[i] + points.y[i] * points.y[i], (i + 0.5f) / 128.0f, 1e-5f);
        minAz = std::min(minAz, points.azimuth[i]);
        maxAz = std::max(maxAz, points.azimuth[i]);
        minEl = std::min(minEl, points.elevation[i]);
        maxEl = std::max(maxEl, points.elevation[i]);
    }
    EXPECT_LT(minAz, -85.0f);
    EXPECT_GT(maxAz, 85.0f);
    EXPECT_LT(minEl, -8.0f);
    EXPECT_GT(maxEl, 43.0f);
}

}  // namespace
}  // namespace halcyra::test
