// The eight weather presets compiled into the plug-in and their recall "as the
// plug-in": parameters change through the ParameterEditor (host and editor are told),
// then the sky is asked to jump to the new weather.
#pragma once

#include <array>
#include <string_view>

#include "dsp/stars/EditorCommandQueue.h"
#include "plugin/ParameterEditor.h"

namespace halcyra {

// Values are in each parameter's own units (Mix in %, Response in ms, the rest 0..1);
// palette is the sky palette the editor shows while the preset is current.
struct FactoryPreset {
    std::string_view name;
    float weather, mix, size, brightness, wind, spacing, gust, rate, level, character, response;
    int palette;
};

inline constexpr int kNumFactoryPresets = 8;

extern const std::array<FactoryPreset, kNumFactoryPresets> kFactoryPresets;

// Applies preset `index`; false (and nothing changes, nothing is queued) outside 0..7.
bool recallFactoryPreset(int index, ParameterEditor& params, EditorCommandQueue& queue);

// Recalls the preset `delta` places from the current one, wrapping in both directions.
void stepFactoryPreset(int delta, ParameterEditor& params, EditorCommandQueue& queue);

// Name of the preset the "Preset" parameter points at; empty when it points nowhere.
std::string_view currentFactoryPresetName(const ParameterEditor& params);

// Index of the preset with exactly this name; -1 if unknown.
int findFactoryPreset(std::string_view name);

// Sky palette of the current preset; record 3's when "Preset" is outside 0..7.
int currentPaletteIndex(const ParameterEditor& params);

}  // namespace halcyra
