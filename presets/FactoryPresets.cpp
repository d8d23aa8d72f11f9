#include "presets/FactoryPresets.h"

#include <cmath>
#include <optional>

#include "plugin/Parameters.h"

namespace halcyra {

// Every value is the shortest decimal of the stored 32-bit float.
//   name                  weather mix  size       bright wind  spacing gust  rate  level character response palette
constexpr std::array<FactoryPreset, kNumFactoryPresets> kFactoryPresets{{
    {"Sky Opening",          0.5f, 100.0f, 1.0f,      0.2f,  1.0f, 1.0f,  0.5f,  0.0f,  0.0f,  0.0f,  0.0f,   1},
    {"Clear",                0.22f, 25.0f, 0.043011f, 0.85f, 0.2f, 0.45f, 0.22f, 0.22f, 0.4f,  0.7f,  0.0f,   0},
    {"Overcast",             0.28f, 28.0f, 0.258065f, 0.55f, 0.4f, 0.6f,  0.4f,  0.34f, 0.5f,  0.5f,  160.0f, 2},
    {"Cirrus",               0.3f,  30.0f, 0.27957f,  0.92f, 0.4f, 0.85f, 0.3f,  0.3f,  0.45f, 0.8f,  400.0f, 1},
    {"Storm",                0.85f, 42.0f, 0.784946f, 0.25f, 0.8f, 0.7f,  0.85f, 0.85f, 0.62f, 0.65f, 60.0f,  3},
    {"Aurora",               0.55f, 40.0f, 0.569892f, 0.85f, 0.7f, 0.9f,  0.55f, 0.55f, 0.58f, 0.3f,  300.0f, 4},
    {"Vocal Sky",            0.32f, 24.0f, 0.107527f, 0.75f, 0.3f, 0.6f,  0.32f, 0.32f, 0.42f, 0.55f, 350.0f, 1},
    {"Cinematic Overcast",   0.28f, 50.0f, 0.946237f, 0.35f, 0.5f, 0.85f, 0.28f, 0.28f, 0.48f, 0.22f, 600.0f, 2},
}};

namespace {

// The "Preset" parameter's items are what hosts display; they must stay the preset names.
constexpr bool namesMatchPresetParameter() {
    const ParamInfo& info = paramInfo(kPreset);
    if (info.itemCount != kNumFactoryPresets) return false;
    for (int i = 0; i < kNumFactoryPresets; ++i)
        if (info.items[static_cast<std::size_t>(i)] != kFactoryPresets[static_cast<std::size_t>(i)].name) return false;
    return true;
}
static_assert(namesMatchPresetParameter(), "factory preset names and \"Preset\" items differ");

// "Sky Opening" is what a fresh instance sounds like.
constexpr bool firstPresetIsTheDefaults() {
    const FactoryPreset& p = kFactoryPresets[0];
    const auto d = [](ParamId id) { return static_cast<float>(paramInfo(id).defaultValue); };
    return p.weather == d(kWeather) && p.mix == d(kMix) && p.size == d(kSize) && p.brightness == d(kBrightness) &&
           p.wind == d(kWind) && p.spacing == d(kSpacing) && p.gust == d(kGust) && p.rate == d(kRate) &&
           p.level == d(kLevel) && p.character == d(kCharacter) && p.response == d(kResponse);
}
static_assert(firstPresetIsTheDefaults(), "\"Sky Opening\" must match the parameter defaults");

constexpr int kFallbackPaletteRecord = 3;

// Nearest whole number to the "Preset" value, kept in a range where the wrap
// arithmetic below cannot overflow; nullopt when the value is not a number at all.
std::optional<long long> nearestPresetNumber(const ParameterEditor& params) {
    const double v = params.value(kPreset);
    if (!std::isfinite(v)) return std::nullopt;
    return std::llround(std::fmax(-1.0e9, std::fmin(1.0e9, v)));
}

std::optional<int> currentIndex(const ParameterEditor& params) {
    const auto n = nearestPresetNumber(params);
    if (!n || *n < 0 || *n >= kNumFactoryPresets) return std::nullopt;
    return static_cast<int>(*n);
}

}  // namespace

bool recallFactoryPreset(int index, ParameterEditor& params, EditorCommandQueue& queue) {
    if (index < 0 || index >= kNumFactoryPresets) return false;
    const FactoryPreset& p = kFactoryPresets[static_cast<std::size_t>(index)];

    // Hosts record the changes in this order; "Preset" first so automation lanes
    // show the choice before the values it brings.
    params.setFromPlugin(kPreset, index);
    params.setFromPlugin(kRate, p.rate);
    params.setFromPlugin(kWeather, p.weather);
    if (params.value(kMixLock) < 0.5) params.setFromPlugin(kMix, p.mix);
    params.setFromPlugin(kSize, p.size);
    params.setFromPlugin(kBrightness, p.brightness);
    params.setFromPlugin(kWind, p.wind);
    params.setFromPlugin(kSpacing, p.spacing);
    params.setFromPlugin(kGust, p.gust);
    params.setFromPlugin(kLevel, p.level);
    params.setFromPlugin(kCharacter, p.character);
    params.setFromPlugin(kResponse, p.response);

    // Queued only after every value is written so the audio thread jumps to the new
    // weather. A full queue drops it: the sky then glides there instead.
    queue.push(EditorCommand{EditorCommandQueue::kSkyJump, 0.0f, 0.0f, 0});
    return true;
}

void stepFactoryPreset(int delta, ParameterEditor& params, EditorCommandQueue& queue) {
    const long long current = nearestPresetNumber(params).value_or(0);
    const long long n = kNumFactoryPresets;
    const long long target = ((current + delta) % n + n) % n;
    recallFactoryPreset(static_cast<int>(target), params, queue);
}

std::string_view currentFactoryPresetName(const ParameterEditor& params) {
    const auto index = currentIndex(params);
    return index ? kFactoryPresets[static_cast<std::size_t>(*index)].name : std::string_view{};
}

int findFactoryPreset(std::string_view name) {
    for (int i = 0; i < kNumFactoryPresets; ++i)
        if (kFactoryPresets[static_cast<std::size_t>(i)].name == name) return i;
    return -1;
}

int currentPaletteIndex(const ParameterEditor& params) {
    const int record = currentIndex(params).value_or(kFallbackPaletteRecord);
    return kFactoryPresets[static_cast<std::size_t>(record)].palette;
}

}  // namespace halcyra
