#include "presets/PresetFileFormat.h"

#include <istream>

#include "presets/PresetNameEscaping.h"
#include "presets/PresetNumberText.h"

namespace halcyra {

namespace {
constexpr std::string_view kNameKey = "name";
}

bool isStorablePresetKey(std::string_view key) {
    return !key.empty() && key.front() != '#' && key != kNameKey &&
           key.find_first_of("=\n") == std::string_view::npos;
}

std::string formatPresetFile(const UserPreset& preset) {
    std::string text;
    text += kPresetFileHeader;
    text += '\n';
    text += kNameKey;
    text += '=';
    text += escapePresetName(preset.name);
    text += '\n';
    for (const auto& [key, value] : preset.entries) {
        text += key;
        text += '=';
        text += formatPresetNumber(value);
        text += '\n';
    }
    return text;
}

bool readPresetText(std::istream& in, UserPreset& out) {
    out = UserPreset{};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.front() == '#') continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) continue;

        const std::string_view key(line.data(), eq);
        const std::string_view value(line.data() + eq + 1, line.size() - eq - 1);
        if (key == kNameKey)
            out.name = unescapePresetName(value);  // a later name line wins
        else
            out.entries.emplace_back(std::string(key), parsePresetNumber(value));
    }
    return !in.bad();
}

}  // namespace halcyra
