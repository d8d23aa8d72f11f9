// The star path inside the block driver: feedback into the reverb, Level 0,
// response in beats, the snapshot's star fields, the onset gain, calibration, and
// no allocation in the block callback while stars sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "dsp/reverb/WeatherMapping.h"
#include "dsp/stars/SkyField.h"
#include "dsp/stars/SkyPoints.h"
#include "plugin/BlockDriver.h"
#include "plugin/Parameters.h"
#include "plugin/StarFeedback.h"
#include "plugin/StarResponse.h"
#include "support/AllocationCounter.h"

using namespace halcyra;

namespace {
constexpr double kSampleRate = 48000.0;

struct Driver {
    ParameterStore params;
    EditorCommandQueue commands;
    SkyFeedTripleBuffer feedBuffer;
    SkyFeedReader reader{feedBuffer};
    BlockDriver driver{params, commands, feedBuffer};
    std::vector<double> inL, inR, outL, outR;
    double tempo = 120.0;

    Driver() {
        params.set(kEvents, 1);  // "Star": stars come from requests only, so runs compare
        params.set(kLevel, 1.0);
        params.set(kMix, 100.0);
        driver.reset(kSampleRate);
    }
    void click(float azimuth, float elevation) {
        commands.push(EditorCommand{EditorCommandQueue::kStarRequest, azimuth, elevation, 1});
    }
    // One block of the same deterministic noise for every driver (seeded by block index).
    void run(int frames, unsigned block, double amplitude = 0.3) {
        inL.resize(static_cast<std::size_t>(frames));
        inR.resize(static_cast<std::size_t>(frames));
        outL.assign(static_cast<std::size_t>(frames), 0.0);
        outR.assign(static_cast<std::size_t>(frames), 0.0);
        std::mt19937 rng(block);
        std::uniform_real_distribution<double> d(-amplitude, amplitude);
        for (int i = 0; i < frames; ++i) inL[static_cast<std::size_t>(i)] = inR[static_cast<std::size_t>(i)] = d(rng);
        const double* ins[] = {inL.data(), inR.data()};
        double* outs[] = {outL.data(), outR.data()};
        driver.process(BlockIO{ins, outs, 2, 2, frames, kSampleRate, tempo});
    }
    const SkyFeed& feed() {
        reader.poll();
        return reader.current();
    }
};

void clickEveryFewBlocks(Driver& d, unsigned block) {
    if (block % 25 == 0) {
        d.click(-60.0f + static_cast<float>(block % 120), 20.0f);
        d.click(40.0f, 40.0f);
    }
}


// Every star the engine started, as {start sample, point, gain}, when `input` is
// fed in blocks of `block` frames.
std::set<std::tuple<long long, int, float>> starsAtBlockSize(const std::vector<double>& input, int block) {
    auto d = std::make_unique<Driver>();
    d->params.set(kEvents, 0);
    d->params.set(kRate, 0.6);
    std::set<std::tuple<long long, int, float>> stars;
    std::vector<double> outL(static_cast<std::size_t>(block)), outR(outL.size());
    long long done = 0;
    for (std::size_t pos = 0; pos < input.size(); pos += static_cast<std::size_t>(block)) {
        const int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(block), input.size() - pos));
        const double* ins[] = {input.data() + pos, input.data() + pos};
        double* outs[] = {outL.data(), outR.data()};
        d->driver.process(BlockIO{ins, outs, 2, 2, n, kSampleRate, 120.0});
        done += n;
        const RecentEventList& recent = d->driver.starEngine().recentEvents();
        for (int i = 0; i < recent.count(); ++i) stars.emplace(done - recent[i].ageSamples, recent[i].point, recent[i].gain);
    }
    return stars;
}
}  // namespace

TEST(StarPath, StarsDoNotDependOnTheHostBlockSize) {
    // Sine bursts of varying length and level, some closer than the star spacing.
    std::vector<double> input(static_cast<std::size_t>(kSampleRate * 2.0), 0.0);
    for (int burst = 0; burst < 9; ++burst) {
        const std::size_t start = static_cast<std::size_t>(burst * 0.21 * kSampleRate);
        const std::size_t length = static_cast<std::size_t>((0.02 + 0.01 * (burst % 4)) * kSampleRate);
        for (std::size_t i = 0; i < length && start + i < input.size(); ++i)
            input[start + i] = (0.2 + 0.1 * (burst % 3)) * std::sin(0.0577 * static_cast<double>(i));
    }
    const auto reference = starsAtBlockSize(input, 128);
    ASSERT_GE(reference.size(), 6u);
    for (int block : {1, 32, 512, 4096, 8192}) {
        const auto stars = starsAtBlockSize(input, block);
        EXPECT_EQ(stars, reference) << block << "-frame blocks: " << stars.size() << " stars, " << reference.size() << " at 128";
    }
}

TEST(StarPath, TailCoversTheLongestStar) {
    // Character 0, Decay 4, Attack 200 ms and a 3 s response: the longest star.
    Driver d;
    d.params.set(kEvents, 0);
    d.params.set(kSize, 0.0);
    d.params.set(kCharacter, 0.0);
    d.params.set(kDecay, 4.0);
    d.params.set(kAttack, 200.0);
    d.params.set(kResponse, 3000.0);
    d.run(4096, 0, 0.0);
    d.run(1024, 1, 0.5);  // the last input
    int quietBlocks = 0;
    bool started = false;
    while (!started || d.driver.starEngine().activeVoiceCount() > 0) {
        d.run(512, 2, 0.0);
        started = started || d.driver.starEngine().activeVoiceCount() > 0;
        ASSERT_LT(++quietBlocks, 1000);
    }
    const double starSeconds = quietBlocks * 512 / kSampleRate;
    EXPECT_GT(starSeconds, 9.0);
    // The tail also lets the reverb (Size 0: 1.2 s) fall twice its decay.
    EXPECT_LE(starSeconds, d.driver.tailSeconds() - 2.0 * 1.2);
}

TEST(StarPath, StarMixZeroKeepsTheReverbInputTheMonoInput) {
    // The reverb level is measured before the stars join the wet signal: it shows
    // exactly what the reverb was fed.
    auto loud = std::make_unique<Driver>(), silent = std::make_unique<Driver>();
    silent->params.set(kLevel, 0.0);
    double outputDifference = 0.0;
    for (unsigned b = 0; b < 200; ++b) {
        clickEveryFewBlocks(*loud, b);
        clickEveryFewBlocks(*silent, b);
        loud->run(256, b);
        silent->run(256, b);
        ASSERT_EQ(loud->feed().reverbLevel, silent->feed().reverbLevel) << "block " << b;
        for (std::size_t i = 0; i < 256; ++i) outputDifference += std::fabs(loud->outL[i] - silent->outL[i]);
    }
    // The stars still reach the output through the wet signal.
    EXPECT_GT(outputDifference, 1e-3);
    EXPECT_GT(loud->feed().activeVoices, 0);

    // With Star Mix up, the same stars change what the reverb hears.
    auto fedLoud = std::make_unique<Driver>(), fedSilent = std::make_unique<Driver>();
    fedLoud->params.set(kStarMix, 1.0);
    fedSilent->params.set(kStarMix, 1.0);
    fedSilent->params.set(kLevel, 0.0);
    bool differs = false;
    for (unsigned b = 0; b < 300 && !differs; ++b) {
        clickEveryFewBlocks(*fedLoud, b);
        clickEveryFewBlocks(*fedSilent, b);
        fedLoud->run(256, b);
        fedSilent->run(256, b);
        differs = fedLoud->feed().reverbLevel != fedSilent->feed().reverbLevel;
    }
    EXPECT_TRUE(differs);
}

TEST(StarPath, LevelZeroSilencesTheStars) {
    auto withStars = std::make_unique<Driver>(), without = std::make_unique<Driver>();
    withStars->params.set(kLevel, 0.0);
    without->params.set(kLevel, 0.0);
    withStars->params.set(kStarMix, 1.0);
    without->params.set(kStarMix, 1.0);
    for (unsigned b = 0; b < 200; ++b) {
        clickEveryFewBlocks(*withStars, b);
        withStars->run(128, b);
        without->run(128, b);
        ASSERT_EQ(withStars->outL, without->outL) << "block " << b;
        ASSERT_EQ(withStars->outR, without->outR);
    }
    EXPECT_EQ(withStars->driver.starEngine().blockSettings().level, 0.0f);
    EXPECT_GT(withStars->feed().activeVoices, 0);

    // Unheard stars are not rendered, yet nothing changes: in Auto mode, with bursts
    // lighting stars, through a fall from Level 1 (the binaural rings play out before
    // anything is skipped), the output and the whole snapshot equal those of a driver
    // that renders every star. Back at Level 1 they differ: the skipping one restarts
    // its shifters from silence.
    auto skipping = std::make_unique<Driver>(), rendering = std::make_unique<Driver>();
    rendering->driver.starEngine().setSkipInaudible(false);
    int flashes = 0, silentBlocks = 0;
    bool resumedDiffers = false;
    for (unsigned b = 0; b < 760; ++b) {
        for (Driver* d : {skipping.get(), rendering.get()}) {
            d->params.set(kEvents, 0);
            d->params.set(kRate, 1.0);
            d->params.set(kDecay, 0.3);
            d->params.set(kLevel, b < 100 || b >= 700 ? 1.0 : 0.0);
            d->run(128, b, b % 40 < 2 ? 0.5 : 0.002);
        }
        const SkyFeed& a = skipping->feed();
        const SkyFeed& r = rendering->feed();
        flashes += a.flashCount;
        silentBlocks += skipping->driver.starEngine().blockSettings().level == 0.0f ? 1 : 0;
        if (b >= 700) {
            resumedDiffers = resumedDiffers || skipping->outL != rendering->outL;
            continue;
        }
        ASSERT_EQ(skipping->outL, rendering->outL) << "block " << b;
        ASSERT_EQ(skipping->outR, rendering->outR) << "block " << b;
        ASSERT_EQ(std::memcmp(&a, &r, sizeof(SkyFeed)), 0) << "block " << b;
    }
    EXPECT_GT(silentBlocks, 100);
    EXPECT_GT(flashes, 0);
    EXPECT_TRUE(resumedDiffers);
}

TEST(StarPath, FeedbackBeyondThePreviousSubBlockCountsAsZero) {
    const float mono[6] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f};
    const float feedback[6] = {1.0f, 1.0f, 1.0f, 9.0f, 9.0f, 9.0f};  // last three are stale
    float out[6];
    mixStarFeedback(mono, feedback, 3, 0.5f, 6, out);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(out[i], mono[i] + 0.5f);
    for (int i = 3; i < 6; ++i) EXPECT_EQ(out[i], mono[i]);
    // A shorter sub-block than the last uses only its own length.
    mixStarFeedback(mono, feedback, 6, 1.0f, 2, out);
    EXPECT_FLOAT_EQ(out[1], 1.2f);
    // Nothing fresh (after a reset): the mono input itself.
    mixStarFeedback(mono, feedback, 0, 1.0f, 6, out);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], mono[i]);
}

TEST(StarPath, ResponseInBeatsFollowsTheTempo) {
    EXPECT_EQ(starResponseMs(0.0, 1, 120.0), 500);
    EXPECT_EQ(starResponseMs(3000.0, 1, 120.0), 4000);
    EXPECT_EQ(starResponseMs(0.0, 1, 0.0), 500);
    EXPECT_EQ(starResponseMs(3000.0, 1, 0.0), 4000);
    EXPECT_EQ(starResponseMs(1500.0, 1, 90.0), 3333);  // 7 x 0.5 rounds to 4, + 1: five beats of 666.7 ms
    EXPECT_EQ(starResponseMs(1234.5, 0, 120.0), 1235);
    EXPECT_EQ(starResponseMs(-5.0, 0, 120.0), 0);

    Driver d;
    d.params.set(kResponseMode, 1);
    d.params.set(kResponse, 3000.0);
    d.tempo = 0.0;
    d.run(64, 0);
    EXPECT_EQ(d.driver.starEngine().blockSettings().responseMs, 4000);
    d.params.set(kResponse, 0.0);
    d.tempo = 60.0;
    d.run(64, 1);
    EXPECT_EQ(d.driver.starEngine().blockSettings().responseMs, 1000);
}

TEST(StarPath, SnapshotCarriesTheSkyFlashesAndVoices) {
    Driver d;
    d.run(128, 0);
    const SkyPoints& p = skyPoints();
    d.click(p.azimuth(90), p.elevation(90));
    d.run(128, 1);
    const SkyFeed& feed = d.feed();
    ASSERT_EQ(feed.flashCount, 1);
    EXPECT_EQ(feed.flashes[0].point, 90);
    EXPECT_EQ(feed.flashes[0].type, 1);
    EXPECT_EQ(feed.flashes[1].point, -1);
    EXPECT_EQ(feed.activeVoices, 1);
    for (int j = 0; j < kSkyPointCount; ++j) ASSERT_EQ(feed.weights[j], d.driver.starEngine().skyValues()[j]);
    // The engine's event mode follows "Events" every block.
    EXPECT_EQ(d.driver.starEngine().eventMode(), 1);
    d.params.set(kEvents, 2);
    d.run(128, 2);
    EXPECT_EQ(d.driver.starEngine().eventMode(), 2);
}

TEST(StarPath, OnsetGainFollowsTheInputActivity) {
    Driver quiet;
    quiet.params.set(kRate, 1.0);  // onset boost 2: silence settles at 1/3
    for (unsigned b = 0; b < 1000; ++b) quiet.run(128, b, 0.0);
    EXPECT_NEAR(quiet.feed().onsetGain, 1.0f / 3.0f, 0.01f);
    Driver still;
    still.params.set(kRate, 0.0);  // no boost: stays 1
    for (unsigned b = 0; b < 100; ++b) still.run(128, b, 0.0);
    EXPECT_EQ(still.feed().onsetGain, 1.0f);
}

TEST(StarPath, PrepareCalibratesTheMappingFromTheSky) {
    Driver d;
    WeatherInput fixed;  // the calibration weather
    const ReverbSettings s = computeWeatherMapping(fixed, 1.0f);
    const float expected = SkyField::calibrate(s.skyTargets, 1.5, 1337, 750.0);
    EXPECT_EQ(d.driver.state().mappingCalibration, expected);
    EXPECT_GT(expected, 0.0f);
    EXPECT_NE(expected, 6.0f);
}

TEST(StarPath, SkyJumpCommandUsesTheUnsmoothedParameters) {
    Driver d;
    d.run(128, 0);
    ASSERT_GT(d.driver.starEngine().tickLength(), 128 + 32);  // the next block makes no sky step of its own
    SkyField reference = d.driver.starEngine().sky();
    d.params.set(kWind, 0.0);
    d.commands.push(EditorCommand{EditorCommandQueue::kSkyJump, 0, 0, 0});
    d.run(32, 1);
    // The weather of the parameters as they are now, then 500 steps of 50 ms (sky speed 0.4).
    WeatherInput now;
    now.weather = static_cast<float>(d.params.get(kWeather));
    now.mix = static_cast<float>(d.params.get(kMix));
    now.size = static_cast<float>(d.params.get(kSize));
    now.brightness = static_cast<float>(d.params.get(kBrightness));
    now.wind = 0.0f;
    now.spacing = static_cast<float>(d.params.get(kSpacing));
    now.gust = static_cast<float>(d.params.get(kGust));
    now.monitor = asInt(d.params.get(kMonitor));
    now.rate = static_cast<float>(d.params.get(kRate));
    now.primed = true;
    reference.jumpTo(computeWeatherMapping(now, d.driver.state().mappingCalibration).skyTargets);
    for (int s = 0; s < 500; ++s) reference.step(SkyField::kPrerollStepSeconds);
    const SkyField& sky = d.driver.starEngine().sky();
    EXPECT_EQ(sky.skyTime(), reference.skyTime());
    for (int j = 0; j < SkyField::kPointCount; ++j) ASSERT_NEAR(sky.values()[j], reference.values()[j], 1e-6f);
    EXPECT_EQ(sky.currents()[6], reference.currents()[6]);
}

TEST(StarPath, BlockCallbackAllocatesNothingWithStarsSounding) {
    Driver d;
    d.params.set(kStarMix, 0.5);
    d.run(128, 0);
    d.run(10000, 1);  // sizes every buffer the test will touch
    const int sizes[] = {32, 128, 4096, 10000, 77, 512};
    test::AllocationCounter counter;
    for (unsigned b = 0; b < 60; ++b) {
        clickEveryFewBlocks(d, b * 5);
        if (b % 20 == 7) d.commands.push(EditorCommand{EditorCommandQueue::kSkyJump, 0, 0, 0});
        const int frames = sizes[b % 6];
        const double* ins[] = {d.inL.data(), d.inR.data()};
        double* outs[] = {d.outL.data(), d.outR.data()};
        d.driver.process(BlockIO{ins, outs, 2, 2, frames, kSampleRate, 120.0});
    }
    EXPECT_EQ(counter.count(), 0u);
    EXPECT_GT(d.driver.starEngine().activeVoiceCount(), 0);
}
