#include "frame-lv2/Lv2Layout.h"

#include <cctype>

#include "presets/FactoryPresets.h"

namespace halcyra::lv2 {
namespace {

std::string lowerWithSeparator(std::string_view text, char separator) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        out += std::isalnum(u) ? static_cast<char>(std::tolower(u)) : separator;
    }
    return out;
}

}  // namespace

std::string portSymbol(int paramIndex) { return lowerWithSeparator(paramInfo(paramIndex).name, '_'); }

std::string presetFragment(std::string_view presetName) { return lowerWithSeparator(presetName, '-'); }

std::array<std::pair<int, float>, kFactoryPresetPorts> factoryPresetPorts(int preset) {
    const FactoryPreset& p = kFactoryPresets[static_cast<std::size_t>(preset)];
    return {{{kPreset, static_cast<float>(preset)},
             {kRate, p.rate},
             {kWeather, p.weather},
             {kSize, p.size},
             {kBrightness, p.brightness},
             {kWind, p.wind},
             {kSpacing, p.spacing},
             {kGust, p.gust},
             {kLevel, p.level},
             {kCharacter, p.character},
             {kResponse, p.response}}};
}

}  // namespace halcyra::lv2
