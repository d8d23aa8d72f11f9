#include "tools/render/ParameterListing.h"

#include <cstdio>

#include "tools/host/PluginInstance.h"

namespace halcyra::render {

using Steinberg::Vst::ParameterInfo;

namespace {

std::string utf8(const Steinberg::Vst::String128 text) {
    std::string out;
    for (int i = 0; i < 128 && text[i]; ++i) {
        const auto c = static_cast<std::uint32_t>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string quoted(const std::string& s) { return '"' + s + '"'; }

std::string flagWords(std::int32_t flags) {
    std::string words;
    const auto add = [&](std::int32_t bit, const char* word) {
        if (!(flags & bit)) return;
        if (!words.empty()) words += ',';
        words += word;
    };
    add(ParameterInfo::kCanAutomate, "automatable");
    add(ParameterInfo::kIsList, "list");
    add(ParameterInfo::kIsBypass, "bypass");
    return words.empty() ? "-" : words;
}

}  // namespace

void listParameters(const host::PluginInstance& instance, std::ostream& out) {
    for (int i = 0; i < instance.parameterCount(); ++i) {
        const ParameterInfo info = instance.parameterInfo(i);
        out << "id=" << info.id << " title=" << quoted(utf8(info.title)) << " units=" << quoted(utf8(info.units))
            << " min=" << quoted(instance.valueText(info.id, 0.0)) << " max=" << quoted(instance.valueText(info.id, 1.0))
            << " default=" << quoted(instance.valueText(info.id, info.defaultNormalizedValue))
            << " steps=" << info.stepCount << " flags=" << flagWords(info.flags) << '\n';
    }
}

}  // namespace halcyra::render
