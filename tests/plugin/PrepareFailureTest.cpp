// Running out of memory in the middle of a prepare must leave the plug-in
// unprepared and silent, never half-prepared, and a later reset must recover.
#include <gtest/gtest.h>

#include <cmath>
#include <new>

#include "tests/plugin/DriverRig.h"
#include "tests/plugin/FailingAllocator.h"

namespace halcyra {
namespace {

using test::DriverRig;

double peak(const std::vector<double>& v) {
    double p = 0.0;
    for (double x : v) p = std::max(p, std::fabs(x));
    return p;
}

void runNoise(DriverRig& rig, double rate) {
    rig.sampleRate = rate;
    rig.resize(2048);
    rig.inL = rig.inR = test::noise(2048, 5);
    rig.run();
}

// Fails the k-th allocation of a prepare, for failure points spread over all the
// allocations a successful prepare makes (a prepare is too slow to try every one).
void sweepFailures(double firstRate, double failingRate) {
    long total = 0;
    {
        DriverRig rig;
        if (firstRate > 0) rig.plugin.reset(firstRate);
        test::FailingAllocation counting(-1);
        rig.plugin.reset(failingRate);
        total = counting.allocations();
    }
    ASSERT_GT(total, 0) << "the prepare never allocated";

    constexpr int kPoints = 5;
    int failures = 0;
    for (int point = 0; point < kPoints; ++point) {
        const long k = total * point / kPoints;
        DriverRig rig;
        if (firstRate > 0) rig.plugin.reset(firstRate);
        bool threw = false;
        {
            test::FailingAllocation failing(k);
            try {
                rig.plugin.reset(failingRate);
            } catch (const std::bad_alloc&) {
                threw = true;
            }
        }
        if (threw) {
            ++failures;
            ASSERT_EQ(rig.plugin.preparedSampleRate(), 0.0) << k;
            ASSERT_EQ(rig.plugin.driverState().capacity, 0) << k;
            runNoise(rig, failingRate);
            ASSERT_EQ(peak(rig.outL) + peak(rig.outR), 0.0) << k;
            rig.plugin.reset(failingRate);
        }
        // Either the failure was absorbed on the way or a second reset recovered.
        ASSERT_EQ(rig.plugin.preparedSampleRate(), failingRate) << k;
        runNoise(rig, failingRate);
        ASSERT_GT(peak(rig.outL), 1e-3) << k;
        for (double x : rig.outL) ASSERT_TRUE(std::isfinite(x)) << k;
    }
    EXPECT_GT(failures, 0);
}

TEST(PrepareFailure, FirstPrepareRunningOutOfMemoryStaysSilent) { sweepFailures(0.0, 48000.0); }

TEST(PrepareFailure, RatePrepareRunningOutOfMemoryStaysSilent) { sweepFailures(44100.0, 192000.0); }

}  // namespace
}  // namespace halcyra
