// Which parameter each key of a user preset file stands for. User presets cover the
// same eleven controls as the factory presets; this order is the order they are saved in.
#pragma once

#include <array>
#include <string_view>

#include "plugin/Parameters.h"

namespace halcyra {

struct PresetKey {
    std::string_view key;
    ParamId param;
};

inline constexpr std::array<PresetKey, 11> kPresetKeys{{
    {"weather", kWeather},
    {"mix", kMix},
    {"size", kSize},
    {"brightness", kBrightness},
    {"wind", kWind},
    {"spacing", kSpacing},
    {"gust", kGust},
    {"rate", kRate},
    {"level", kLevel},
    {"character", kCharacter},
    {"response", kResponse},
}};

// Parameter index for a key (exact byte comparison); -1 for keys this version does not know.
inline int paramForPresetKey(std::string_view key) {
    for (const PresetKey& k : kPresetKeys)
        if (k.key == key) return k.param;
    return -1;
}

}  // namespace halcyra
