// Block structure, lifecycle and real-time safety of the block driver.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/AllocationCounter.h"
#include "tests/plugin/DriverRig.h"

#if defined(__x86_64__) && defined(__linux__)
#include <atomic>
#include <csignal>
#include <ucontext.h>
#include <xmmintrin.h>
#endif

namespace halcyra {
namespace {

using test::DriverRig;
using test::noise;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

bool allZero(const std::vector<double>& v) {
    for (double x : v)
        if (x != 0.0) return false;
    return true;
}

double peak(const std::vector<double>& v) {
    double p = 0.0;
    for (double x : v) p = std::max(p, std::fabs(x));
    return p;
}

// Runs a noise block and reports whether anything came out.
bool makesSound(DriverRig& rig, unsigned seed = 1) {
    rig.resize(2048);
    rig.inL = rig.inR = noise(2048, seed);
    rig.run();
    return peak(rig.outL) > 1e-3 && peak(rig.outR) > 1e-3;
}

TEST(BlockDriver, BlockBeforeFirstResetIsExactSilence) {
    DriverRig rig;
    rig.resize(512);
    rig.inL = rig.inR = noise(512, 1);
    std::fill(rig.outL.begin(), rig.outL.end(), 7.0);
    std::fill(rig.outR.begin(), rig.outR.end(), 7.0);
    rig.run();
    EXPECT_TRUE(allZero(rig.outL));
    EXPECT_TRUE(allZero(rig.outR));
    EXPECT_EQ(rig.plugin.blockTrace().snapshotsPublished, 0u);
    EXPECT_FALSE(rig.plugin.skyFeedReader().poll());
    EXPECT_EQ(rig.plugin.preparedSampleRate(), 0.0);

    // Bypassed, the input still comes through.
    rig.bypass = true;
    rig.run();
    EXPECT_EQ(rig.outL, rig.inL);
    EXPECT_EQ(rig.outR, rig.inR);
}

TEST(BlockDriver, UnusableSampleRatesLeaveThePluginSilent) {
    // Beyond the playable range the prepare would build absurd buffers (or overflow
    // their lengths): refused at once, like a rate that is no rate at all.
    const double tooLow = std::nextafter(kLowestSampleRate, 0.0);
    const double tooHigh = std::nextafter(kHighestSampleRate, kInf);
    for (double rate : {kNaN, 0.0, -48000.0, kInf, tooLow, tooHigh, 1e8, 1e300}) {
        DriverRig rig;
        rig.plugin.reset(rate);
        EXPECT_EQ(rig.plugin.preparedSampleRate(), 0.0) << rate;
        rig.sampleRate = 48000.0;
        ASSERT_FALSE(makesSound(rig));
        EXPECT_TRUE(allZero(rig.outL) && allZero(rig.outR)) << rate;
    }

    // A prepared plug-in given a bad rate falls silent, and recovers with a good one.
    DriverRig rig;
    rig.plugin.reset(48000.0);
    ASSERT_TRUE(makesSound(rig));
    rig.plugin.reset(kNaN);
    EXPECT_EQ(rig.plugin.preparedSampleRate(), 0.0);
    EXPECT_FALSE(makesSound(rig));
    EXPECT_TRUE(allZero(rig.outL) && allZero(rig.outR));
    rig.plugin.reset(48000.0);
    EXPECT_TRUE(makesSound(rig));

    // A block that arrives with a bad rate is silenced on its own.
    for (double rate : {kNaN, 0.0, -1.0, tooHigh}) {
        rig.sampleRate = rate;
        EXPECT_FALSE(makesSound(rig));
        EXPECT_TRUE(allZero(rig.outL) && allZero(rig.outR));
    }

    // The lowest playable rate plays, and plays finite samples.
    rig.plugin.reset(kLowestSampleRate);
    rig.sampleRate = kLowestSampleRate;
    EXPECT_TRUE(makesSound(rig));
    for (std::size_t i = 0; i < rig.outL.size(); ++i) ASSERT_TRUE(std::isfinite(rig.outL[i]) && std::isfinite(rig.outR[i]));
}

TEST(BlockDriver, MonoInputMatchesTheSameSignalOnBothChannels) {
    DriverRig mono, stereo;
    mono.numInputs = 1;
    mono.plugin.reset(48000.0);
    stereo.plugin.reset(48000.0);
    unsigned seed = 10;
    for (int frames : {64, 1000, 4096, 5000, 17}) {
        mono.resize(frames);
        stereo.resize(frames);
        mono.inL = noise(frames, ++seed);
        mono.inR.assign(frames, 0.9);  // not connected: must be ignored
        stereo.inL = stereo.inR = mono.inL;
        mono.run();
        stereo.run();
        ASSERT_EQ(mono.outL, stereo.outL) << frames;
        ASSERT_EQ(mono.outR, stereo.outR) << frames;
    }
}

TEST(BlockDriver, LongBlockRunsAsSubBlocksWithOncePerBlockStepsOnce) {
    DriverRig rig;
    rig.plugin.reset(48000.0);
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(rig.plugin.commandQueue().push(EditorCommand{1, 10.0f, 5.0f, 1}));
    const BlockTrace before = rig.plugin.blockTrace();

    rig.resize(10000);
    rig.inL = rig.inR = noise(10000, 3);
    rig.run();

    const BlockTrace& t = rig.plugin.blockTrace();
    ASSERT_EQ(t.lastSubBlockCount, 3);
    EXPECT_EQ(t.lastSubBlockFrames[0], 4096);
    EXPECT_EQ(t.lastSubBlockFrames[1], 4096);
    EXPECT_EQ(t.lastSubBlockFrames[2], 1808);
    EXPECT_EQ(t.subBlocks - before.subBlocks, 3u);
    EXPECT_EQ(t.queueDrains - before.queueDrains, 1u);
    EXPECT_EQ(t.blockSmoothings - before.blockSmoothings, 1u);
    EXPECT_EQ(t.meterUpdates - before.meterUpdates, 1u);
    EXPECT_EQ(t.snapshotsPublished - before.snapshotsPublished, 1u);
    EXPECT_EQ(rig.plugin.commandQueue().pending(), 0u);  // drained, so the editor can keep sending

    // Every frame of the long block was written, the last sub-block included.
    EXPECT_GT(peak(std::vector<double>(rig.outL.begin() + 8192, rig.outL.end())), 1e-3);
}

TEST(BlockDriver, ResetAtTheSameRateForgetsTheAudioWithoutAllocating) {
    // Two plug-ins hear different material, then both are reset: from there on
    // they must sound identical, and the reset must not allocate.
    DriverRig a, b;
    a.plugin.reset(48000.0);
    b.plugin.reset(48000.0);
    for (int i = 0; i < 5; ++i) {
        a.resize(3000);
        b.resize(3000);
        a.inL = a.inR = noise(3000, 100 + i, 0.9);
        b.inL = noise(3000, 200 + i, 0.3);
        b.inR = noise(3000, 300 + i, 0.3);
        a.run();
        b.run();
    }
    {
        test::AllocationCounter allocations;
        a.plugin.reset(48000.0);
        b.plugin.reset(48000.0);
        EXPECT_EQ(allocations.count(), 0u);
    }
    EXPECT_FALSE(a.plugin.driverState().primed);
    EXPECT_EQ(a.plugin.preparedSampleRate(), 48000.0);
    for (int i = 0; i < 3; ++i) {
        a.resize(2500);
        b.resize(2500);
        a.inL = a.inR = b.inL = b.inR = noise(2500, 400 + i);
        a.run();
        b.run();
        ASSERT_EQ(a.outL, b.outL) << i;
        ASSERT_EQ(a.outR, b.outR) << i;
    }

    // A new rate prepares again and keeps sounding.
    a.plugin.reset(96000.0);
    EXPECT_EQ(a.plugin.preparedSampleRate(), 96000.0);
    a.sampleRate = 96000.0;
    EXPECT_TRUE(makesSound(a));
    a.plugin.reset(1234.5678);
    a.sampleRate = 1234.5678;
    EXPECT_EQ(a.plugin.preparedSampleRate(), 1234.5678);
    makesSound(a);
    for (double x : a.outL) ASSERT_TRUE(std::isfinite(x));
}

TEST(BlockDriver, BlockCallbackNeverAllocatesAfterPrepare) {
    DriverRig rig;
    rig.plugin.reset(44100.0);
    rig.sampleRate = 44100.0;
    // Buffers made up front so only the plug-in's work is counted.
    std::vector<std::vector<double>> inputs;
    for (int frames : {1, 32, 128, 1024, 4096, 10000, 0, 333}) inputs.push_back(noise(frames, frames + 1u));
    std::vector<double> outL(10000), outR(10000);

    test::AllocationCounter allocations;
    int round = 0;
    for (const std::vector<double>& in : inputs) {
        ++round;
        rig.plugin.parameters().set(kSize, 0.1 * round);
        rig.plugin.parameters().set(kWind, 1.0 - 0.1 * round);
        rig.plugin.parameters().set(kBrightness, 0.05 * round);
        rig.plugin.parameters().set(kMonitor, round % 2);
        rig.plugin.parameters().set(kMix, 10.0 * round);
        rig.plugin.parameters().set(kOutput, -3.0 * round);
        rig.plugin.commandQueue().push(EditorCommand{2, 0, 0, 0});
        const double* ins[] = {in.data(), in.data()};
        double* outs[] = {outL.data(), outR.data()};
        rig.plugin.processBlock(BlockIO{ins, outs, 2, 2, static_cast<int>(in.size()), 44100.0, 90.0});
    }
    EXPECT_EQ(allocations.count(), 0u);
}

TEST(BlockDriver, NonFiniteInputNeverReachesTheOutput) {
    DriverRig rig;
    rig.plugin.reset(48000.0);
    rig.resize(4096);
    rig.inL = noise(4096, 5);
    rig.inR = noise(4096, 6);
    const double bad[] = {kNaN, kInf, -kInf, 1e300, -1e300};
    for (int i = 0; i < 4096; i += 97) {
        rig.inL[i] = bad[i % 5];
        rig.inR[(i * 7) % 4096] = bad[(i + 2) % 5];
    }
    for (int block = 0; block < 4; ++block) {
        rig.run();
        for (int i = 0; i < 4096; ++i) ASSERT_TRUE(std::isfinite(rig.outL[i]) && std::isfinite(rig.outR[i])) << i;
    }
    // The bad samples left no lasting damage: clean input still makes a reverb.
    EXPECT_TRUE(makesSound(rig, 77));
    SkyFeedReader& reader = rig.plugin.skyFeedReader();
    ASSERT_TRUE(reader.poll());
    EXPECT_TRUE(std::isfinite(reader.current().reverbLevel));
    EXPECT_GT(reader.current().reverbLevel, 0.0f);
}

TEST(BlockDriver, HugeFiniteBurstDiesAwayWithinTheTail) {
    // One block of garbage from a broken plug-in upstream, then silence: once the tail
    // the settings report has passed, the output is below -60 dBFS.
    DriverRig rig;
    rig.set(kSize, 0.0);
    rig.plugin.reset(48000.0);
    rig.resize(512);
    rig.inL = noise(512, 3, 1e30);
    rig.inR = noise(512, 4, 1e30);
    rig.run();
    rig.resize(4800);
    const int tailBlocks = static_cast<int>(std::ceil(rig.plugin.tailSeconds() * 10.0));
    double last = 0.0;
    for (int b = 0; b < tailBlocks; ++b) {
        rig.run();
        last = std::max(peak(rig.outL), peak(rig.outR));
        if (b < 3) {
            EXPECT_GT(last, 0.01) << "the burst did reach the reverb";
        }
    }
    EXPECT_LT(last, 1e-3);
}

TEST(BlockDriver, MissingChannelsAreHandled) {
    DriverRig rig;
    rig.plugin.reset(48000.0);
    // One output: only the left channel is written.
    rig.numOutputs = 1;
    rig.resize(1024);
    rig.inL = rig.inR = noise(1024, 9);
    std::fill(rig.outR.begin(), rig.outR.end(), 3.0);
    rig.run();
    EXPECT_GT(peak(rig.outL), 1e-3);
    EXPECT_EQ(rig.outR, std::vector<double>(1024, 3.0));

    // No input: the dry path is silence, the block still runs.
    rig.numOutputs = 2;
    rig.numInputs = 0;
    rig.run();
    for (double x : rig.outL) ASSERT_TRUE(std::isfinite(x));

    // Null buffers and empty blocks run as blocks without leaving anything broken:
    // an empty block meters nothing (no division by its zero length), a block without
    // buffers still advances, and the next real block plays.
    SkyFeedReader& reader = rig.plugin.skyFeedReader();
    const std::uint64_t blocksBefore = rig.plugin.blockTrace().blocks;
    rig.plugin.processBlock(BlockIO{nullptr, nullptr, 2, 2, 0, 48000.0, 0.0});
    ASSERT_TRUE(reader.poll());
    EXPECT_TRUE(std::isfinite(reader.current().rmsLeft) && std::isfinite(reader.current().rmsRight));
    EXPECT_EQ(rig.plugin.blockTrace().lastSubBlockCount, 0);
    rig.plugin.processBlock(BlockIO{nullptr, nullptr, 0, 0, 256, 48000.0, 0.0});
    EXPECT_EQ(rig.plugin.blockTrace().blocks, blocksBefore + 2);
    EXPECT_EQ(rig.plugin.blockTrace().lastSubBlockFrames[0], 256);
    EXPECT_TRUE(makesSound(rig));
}

#if defined(__x86_64__) && defined(__linux__)
// The mode in force inside a block, caught at a floating-point trap the test provokes:
// a signalling NaN in the input raises "invalid" at its conversion with that exception
// unmasked. The handler masks every exception in the interrupted context so the
// conversion completes on return.
std::atomic<unsigned> g_modeAtTrap{0};
std::atomic<int> g_traps{0};

void recordModeAtTrap(int, siginfo_t*, void* context) {
    auto* uc = static_cast<ucontext_t*>(context);
    if (g_traps.fetch_add(1) == 0) g_modeAtTrap = uc->uc_mcontext.fpregs->mxcsr;
    uc->uc_mcontext.fpregs->mxcsr |= 0x1F80u;
}

TEST(BlockDriver, BlocksFlushDenormalsAndRestoreTheCallersMode) {
    constexpr unsigned kFlush = 0x8040u, kInvalidMask = 0x0080u, kFlags = 0x003Fu;
    struct sigaction trap = {}, previous = {};
    trap.sa_sigaction = recordModeAtTrap;
    trap.sa_flags = SA_SIGINFO;
    ASSERT_EQ(sigaction(SIGFPE, &trap, &previous), 0);

    const unsigned original = _mm_getcsr();
    DriverRig rig;
    for (unsigned mode : {original & ~kFlush, original | kFlush}) {
        mode &= ~(kInvalidMask | kFlags);
        rig.resize(300);
        rig.inL[100] = std::numeric_limits<double>::signaling_NaN();
        _mm_setcsr(mode);
        rig.run();  // unprepared: the early return path
        EXPECT_EQ(_mm_getcsr(), mode);
        rig.plugin.reset(48000.0);
        g_traps = 0;
        _mm_setcsr(mode);
        rig.run();
        const unsigned after = _mm_getcsr();
        _mm_setcsr(original);
        EXPECT_EQ(after, mode);
        ASSERT_GT(g_traps.load(), 0) << "the input conversion raised nothing";
        EXPECT_EQ(g_modeAtTrap.load() & kFlush, kFlush) << "flush-to-zero and denormals-are-zero inside the block";
        rig.plugin.reset(kNaN);
    }
    _mm_setcsr(original);
    sigaction(SIGFPE, &previous, nullptr);
}
#endif

TEST(BlockDriver, TailCoversTheDecayAndTheStars) {
    DriverRig rig;
    rig.plugin.reset(48000.0);
    rig.set(kSize, 0.0);
    rig.resize(256);
    rig.run();
    const double smallest = rig.plugin.tailSeconds();
    // Size turned up: the tail already covers the decay it is gliding towards.
    rig.set(kSize, 1.0);
    EXPECT_NEAR(rig.plugin.tailSeconds() - smallest, 2.0 * 9.3, 1e-5);
    // Size turned down: the longer decay still ringing is covered until it glides away.
    rig.run();
    rig.set(kSize, 0.0);
    EXPECT_GT(rig.plugin.tailSeconds(), smallest + 0.1);
}

}  // namespace
}  // namespace halcyra
