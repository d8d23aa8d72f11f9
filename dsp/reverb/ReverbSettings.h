// The record the weather mapping produces once per sub-block: the ten reverb
// controls, the twelve sky targets, the star settings and the few values the
// block driver uses itself. Other engines address fields by 32-bit word number,
// so the layout is fixed and checked below.
#pragma once

#include <cstddef>

namespace halcyra {

struct ReverbSettings {
    // Words 0-9: reverb controls.
    float decayTime = 3.0f;
    float lowDecayRatio = 1.3f;
    float dampingFrequency = 4500.0f;
    float highDecayRatio = 0.65f;
    float inputTone = 0.85f;
    float modDepth = 0.35f;
    float modRate = 1.0f;
    float crossFeed = 0.12f;
    float glideSize = 0.5f;
    float width = 0.75f;
    // Words 10-33: sky targets (cloud count, size scale, contrast, softness, wind,
    // texture depth, sky speed, stepping share, pulse depth, fade-in, fade-out, haze).
    double skyTargets[12] = {7.0, 0.34, 0.45, 0.6, 0.5, 0.45, 1.0, 0.5, 0.4, 1.2, 2.0, 0.12};
    // Words 34-45: star settings and driver values.
    float eventRate = 4.0f;
    float weightExponent = 1.5f;
    float calibration = 1.0f;
    float onsetBoost = 0.0f;
    float eventGain = 1.0f;
    float pitchBase = 110.0f;
    float colour = 0.78f;
    float brightness = 0.55f;
    float driftRate = 0.11f;
    float spacing = 0.74f;
    float mixFraction = 0.28f;
    int monitor = 1;
};

constexpr std::size_t settingsWord(std::size_t byteOffset) { return byteOffset / 4; }
static_assert(settingsWord(offsetof(ReverbSettings, decayTime)) == 0);
static_assert(settingsWord(offsetof(ReverbSettings, width)) == 9);
static_assert(settingsWord(offsetof(ReverbSettings, skyTargets)) == 10);
static_assert(settingsWord(offsetof(ReverbSettings, eventRate)) == 34);
static_assert(settingsWord(offsetof(ReverbSettings, weightExponent)) == 35);
static_assert(settingsWord(offsetof(ReverbSettings, calibration)) == 36);
static_assert(settingsWord(offsetof(ReverbSettings, onsetBoost)) == 37);
static_assert(settingsWord(offsetof(ReverbSettings, eventGain)) == 38);
static_assert(settingsWord(offsetof(ReverbSettings, pitchBase)) == 39);
static_assert(settingsWord(offsetof(ReverbSettings, colour)) == 40);
static_assert(settingsWord(offsetof(ReverbSettings, brightness)) == 41);
static_assert(settingsWord(offsetof(ReverbSettings, driftRate)) == 42);
static_assert(settingsWord(offsetof(ReverbSettings, spacing)) == 43);
static_assert(settingsWord(offsetof(ReverbSettings, mixFraction)) == 44);
static_assert(settingsWord(offsetof(ReverbSettings, monitor)) == 45);
static_assert(sizeof(ReverbSettings) == 46 * 4);

// Input of the weather mapping, in the order the driver fills it.
struct WeatherInput {
    float weather = 0.28f;     // X
    float mix = 28.0f;         // M, percent
    float size = 0.5f;         // S
    float brightness = 0.55f;  // B
    float wind = 0.4f;         // W
    float spacing = 0.6f;      // P
    float gust = 0.4f;         // G
    int monitor = 1;
    float rate = 0.28f;        // R
    bool primed = false;
};

}  // namespace halcyra
