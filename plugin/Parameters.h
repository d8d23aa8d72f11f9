// The twenty host parameters: one table that every other part of the plug-in reads.
// Values are kept in each parameter's own units ("Mix" 0..100 %, "Output" dB, ...).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace halcyra {

enum class ParamKind : std::uint8_t { Continuous, Enumerated, Switch };

// Flag bits of the table.
inline constexpr std::uint32_t kParamNotAutomatable = 1;

enum ParamId : int {
    kWeather = 0,
    kMix,
    kSize,
    kBrightness,
    kWind,
    kSpacing,
    kGust,
    kPreset,
    kMonitor,
    kMixLock,
    kEvents,
    kOutput,
    kRate,
    kLevel,
    kCharacter,
    kResponse,
    kResponseMode,
    kAttack,
    kDecay,
    kStarMix,
    kNumParams
};

struct ParamInfo {
    int index;
    std::string_view name;
    ParamKind kind;
    double minimum;
    double maximum;
    double defaultValue;
    double step;
    std::string_view label;
    std::uint32_t flags;
    // Item texts of enumerations (value order) and switches (off, on); empty otherwise.
    std::array<std::string_view, 8> items;
    int itemCount;
};

inline constexpr std::array<ParamInfo, kNumParams> kParams{{
    {kWeather, "Weather", ParamKind::Continuous, 0, 1, 0.5, 0.001, "", 0, {}, 0},
    {kMix, "Mix", ParamKind::Continuous, 0, 100, 100, 0.1, "%", 0, {}, 0},
    {kSize, "Size", ParamKind::Continuous, 0, 1, 1.0, 0.001, "", 0, {}, 0},
    {kBrightness, "Brightness", ParamKind::Continuous, 0, 1, 0.2, 0.001, "", 0, {}, 0},
    {kWind, "Wind", ParamKind::Continuous, 0, 1, 1.0, 0.001, "", 0, {}, 0},
    {kSpacing, "Spacing", ParamKind::Continuous, 0, 1, 1.0, 0.001, "", 0, {}, 0},
    {kGust, "Gust", ParamKind::Continuous, 0, 1, 0.5, 0.001, "", 0, {}, 0},
    {kPreset, "Preset", ParamKind::Enumerated, 0, 7, 0, 1, "", 0,
     {"Sky Opening", "Clear", "Overcast", "Cirrus", "Storm", "Aurora", "Vocal Sky", "Cinematic Overcast"}, 8},
    {kMonitor, "Monitor", ParamKind::Enumerated, 0, 1, 0, 1, "", 0, {"Headphones", "Speakers"}, 2},
    {kMixLock, "Mix Lock", ParamKind::Switch, 0, 1, 1, 1, "", kParamNotAutomatable, {"Unlocked", "Locked"}, 2},
    {kEvents, "Events", ParamKind::Enumerated, 0, 2, 0, 1, "", kParamNotAutomatable, {"Auto", "Star", "Comet"}, 3},
    {kOutput, "Output", ParamKind::Continuous, -24, 12, 0, 0.1, "dB", 0, {}, 0},
    {kRate, "Rate", ParamKind::Continuous, 0, 1, 0, 0.001, "", 0, {}, 0},
    {kLevel, "Level", ParamKind::Continuous, 0, 1, 0, 0.001, "", 0, {}, 0},
    {kCharacter, "Character", ParamKind::Continuous, 0, 1, 0, 0.001, "", 0, {}, 0},
    {kResponse, "Response", ParamKind::Continuous, 0, 3000, 0, 1, "ms", 0, {}, 0},
    {kResponseMode, "Response Mode", ParamKind::Enumerated, 0, 1, 0, 1, "", kParamNotAutomatable, {"ms", "beats"}, 2},
    {kAttack, "Attack", ParamKind::Continuous, 1, 200, 30, 1, "ms", 0, {}, 0},
    {kDecay, "Decay", ParamKind::Continuous, 0.3, 4.0, 1.6, 0.01, "s", 0, {}, 0},
    {kStarMix, "Star Mix", ParamKind::Continuous, 0, 1, 0, 0.001, "", 0, {}, 0},
}};

constexpr const ParamInfo& paramInfo(int index) { return kParams[static_cast<std::size_t>(index)]; }

// Enumerations and switches snap to whole steps; continuous values keep their step only as metadata.
constexpr bool isStepped(const ParamInfo& p) { return p.kind != ParamKind::Continuous; }

// Number of discrete steps shown to the host: list of (max - min) steps, a switch 1, continuous 0.
constexpr int hostStepCount(const ParamInfo& p) {
    return isStepped(p) ? static_cast<int>(p.maximum - p.minimum) : 0;
}

// Snaps stepped values to the nearest whole step (halves away from zero), then clamps.
// A non-finite value cannot be clamped meaningfully: callers must reject it first
// (see isAcceptableValue).
double constrainValue(int index, double value);

// False for NaN and infinities: such values never reach a parameter.
bool isAcceptableValue(double value);

double toNormalized(int index, double value);    // linear (value - min) / (max - min)
double fromNormalized(int index, double normalized);  // clamps normalized to 0..1, then constrains

// Enumerations and switches are read by truncating the stored value.
inline int asInt(double value) { return static_cast<int>(value); }

// Finds a parameter by display name; -1 when unknown.
int findParam(std::string_view name);

}  // namespace halcyra
