#include <gtest/gtest.h>

#include <cmath>

#include "dsp/reverb/ReverbEngine.h"
#include "dsp/reverb/WeatherMapping.h"

namespace halcyra {
namespace {

WeatherInput primedInput() {
    WeatherInput in;
    in.primed = true;
    return in;
}

TEST(WeatherMapping, SizeDrivesDecayAndGlide) {
    WeatherInput in = primedInput();
    in.size = 0.0f;
    ReverbSettings s = computeWeatherMapping(in, 1.0f);
    EXPECT_FLOAT_EQ(s.decayTime, 1.2f);
    EXPECT_FLOAT_EQ(s.glideSize, 0.2f);
    EXPECT_FLOAT_EQ(s.pitchBase, 0.65f * 110.0f);
    in.size = 0.52f;  // just past the knee at 0.516
    s = computeWeatherMapping(in, 1.0f);
    EXPECT_FLOAT_EQ(s.glideSize, 0.9f);
    EXPECT_NEAR((0.9 * s.glideSize + 0.65) * 110.0, 160.6, 1e-4);
    in.size = 1.0f;
    s = computeWeatherMapping(in, 1.0f);
    EXPECT_FLOAT_EQ(s.decayTime, 10.5f);
    EXPECT_FLOAT_EQ(s.glideSize, 0.9f);
}

TEST(WeatherMapping, SmallestSizeRequestsA91msGlideLine) {
    WeatherInput in = primedInput();
    in.size = 0.0f;
    const ReverbSettings s = computeWeatherMapping(in, 1.0f);
    ReverbEngine e;
    e.prepare(48000.0, 4096);
    e.setGlideSize(s.glideSize);
    EXPECT_NEAR(e.coefficients().glideTarget, 0.0913 * 48000.0, 8.0);
}

TEST(WeatherMapping, BrightnessOpensDampingAndTone) {
    WeatherInput in = primedInput();
    in.brightness = 0.0f;
    ReverbSettings s = computeWeatherMapping(in, 1.0f);
    EXPECT_FLOAT_EQ(s.dampingFrequency, 2500.0f);
    EXPECT_FLOAT_EQ(s.highDecayRatio, 0.45f);
    EXPECT_FLOAT_EQ(s.inputTone, 0.5f);
    EXPECT_FLOAT_EQ(s.brightness, 0.0f);
    in.brightness = 1.0f;
    s = computeWeatherMapping(in, 1.0f);
    EXPECT_FLOAT_EQ(s.dampingFrequency, 9000.0f);
    EXPECT_FLOAT_EQ(s.highDecayRatio, 0.85f);
    EXPECT_FLOAT_EQ(s.inputTone, 1.0f);
}

TEST(WeatherMapping, WindCurvesThroughTheKnee) {
    WeatherInput in = primedInput();
    const auto at = [&](float w) {
        in.wind = w;
        return computeWeatherMapping(in, 1.0f);
    };
    EXPECT_FLOAT_EQ(at(0.0f).modDepth, 0.1f);
    EXPECT_FLOAT_EQ(at(0.0f).modRate, 0.55f);
    EXPECT_FLOAT_EQ(at(0.15f).modDepth, 0.35f);
    EXPECT_FLOAT_EQ(at(0.15f).modRate, 1.0f);
    EXPECT_FLOAT_EQ(at(1.0f).modDepth, 0.85f);
    EXPECT_FLOAT_EQ(at(1.0f).modRate, 2.6f);
    EXPECT_FLOAT_EQ(at(3.0f).modDepth, 0.85f) << "wind above 1 is limited";
    EXPECT_FLOAT_EQ(at(-0.5f).modDepth, 0.1f);
    EXPECT_FLOAT_EQ(at(-0.5f).modRate, 0.55f);
    EXPECT_FLOAT_EQ(at(std::nanf("")).modRate, 0.55f);
    // Wind 0 at the engine: 1.2 cents on the glide line at 0.11 Hz.
    ReverbEngine e;
    e.prepare(48000.0, 4096);
    e.setModDepth(at(0.0f).modDepth);
    e.setModRate(at(0.0f).modRate);
    EXPECT_NEAR(e.coefficients().dGlide, 1.2f, 1e-6);
    EXPECT_NEAR(e.coefficients().oscIncrement * 48000.0, 0.11, 1e-6);
    e.setModRate(at(1.0f).modRate);
    EXPECT_NEAR(e.coefficients().oscIncrement * 48000.0, 0.52, 1e-6);
}

TEST(WeatherMapping, PrimedFlagChoosesRateOrWeatherForTheSky) {
    WeatherInput in;
    in.weather = 0.25f;
    in.rate = 0.75f;
    in.gust = 0.5f;
    in.primed = true;
    ReverbSettings s = computeWeatherMapping(in, 1.0f);
    EXPECT_DOUBLE_EQ(s.skyTargets[0], 8.0 * 0.75 + 3.0);
    EXPECT_FLOAT_EQ(s.eventRate, 10.0f);
    EXPECT_FLOAT_EQ(s.onsetBoost, (1.6f * 0.75f + 0.4f) * 0.75f);
    EXPECT_FLOAT_EQ(s.colour, static_cast<float>(0.84 - 0.22 * 0.75));
    in.primed = false;
    s = computeWeatherMapping(in, 1.0f);
    EXPECT_DOUBLE_EQ(s.skyTargets[0], 8.0 * 0.25 + 3.0);
    EXPECT_DOUBLE_EQ(s.skyTargets[2], 0.5 * 0.25 + 0.22);
    EXPECT_DOUBLE_EQ(s.skyTargets[7], 0.7 * 0.25 + 0.15);
    EXPECT_DOUBLE_EQ(s.skyTargets[8], 0.25 * 0.25 + 0.3);
    EXPECT_FLOAT_EQ(s.onsetBoost, (1.6f * 0.25f + 0.4f) * 0.5f);
    // Sky targets the mapping does not drive keep their defaults.
    EXPECT_DOUBLE_EQ(s.skyTargets[1], 0.34);
    EXPECT_DOUBLE_EQ(s.skyTargets[11], 0.12);
}

TEST(WeatherMapping, DriverValuesAndCalibrationCopy) {
    WeatherInput in = primedInput();
    in.mix = 37.0f;
    in.spacing = 0.0f;
    in.wind = 0.5f;
    in.monitor = 0;
    ReverbSettings s = computeWeatherMapping(in, 6.0f);
    EXPECT_FLOAT_EQ(s.mixFraction, 0.37f);
    EXPECT_FLOAT_EQ(s.spacing, 0.35f);
    EXPECT_FLOAT_EQ(s.driftRate, 0.13f);
    EXPECT_DOUBLE_EQ(s.skyTargets[4], 1.0);
    EXPECT_DOUBLE_EQ(s.skyTargets[6], 1.2 * 0.5 + 0.4);
    EXPECT_EQ(s.monitor, 0);
    EXPECT_FLOAT_EQ(s.calibration, 6.0f);
    EXPECT_FLOAT_EQ(s.crossFeed, 0.12f);
    EXPECT_FLOAT_EQ(s.width, 0.75f);
    EXPECT_FLOAT_EQ(s.lowDecayRatio, 1.3f);
    EXPECT_FLOAT_EQ(computeWeatherMapping(in, 0.0f).calibration, 1.0f);
    EXPECT_FLOAT_EQ(computeWeatherMapping(in, -2.0f).calibration, 1.0f);
    EXPECT_FLOAT_EQ(computeWeatherMapping(in, std::nanf("")).calibration, 1.0f);
}

}  // namespace
}  // namespace halcyra
