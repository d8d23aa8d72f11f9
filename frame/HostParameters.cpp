#include "frame/HostParameters.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "frame/Utf16Text.h"
#include "plugin/ParameterText.h"
#include "plugin/Parameters.h"

namespace halcyra::vst3 {

using Steinberg::Vst::ParameterInfo;
using Steinberg::Vst::ParamID;

namespace {
constexpr const char* kBypassOff = "Off";
constexpr const char* kBypassOn = "On";

bool isBypassText(const std::string& text, const char* word) {
    std::string t;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c))) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string w;
    for (const char* p = word; *p; ++p) w += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    return t == w;
}
}  // namespace

bool isKnownParameter(ParamID id) { return id < static_cast<ParamID>(kHostParameterCount); }

ParameterInfo makeParameterInfo(int hostIndex) {
    ParameterInfo info{};
    info.unitId = Steinberg::Vst::kRootUnitId;
    if (hostIndex == static_cast<int>(kBypassId)) {
        info.id = kBypassId;
        copyToUtf16("Bypass", info.title, 128);
        copyToUtf16("Bypass", info.shortTitle, 128);
        copyToUtf16("", info.units, 128);
        info.stepCount = 1;
        info.defaultNormalizedValue = 0.0;
        info.flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass;
        return info;
    }
    const ParamInfo& p = paramInfo(hostIndex);
    info.id = static_cast<ParamID>(hostIndex);
    copyToUtf16(p.name, info.title, 128);
    copyToUtf16(p.name, info.shortTitle, 128);
    copyToUtf16(p.label, info.units, 128);
    info.stepCount = hostStepCount(p);
    info.defaultNormalizedValue = toNormalized(hostIndex, p.defaultValue);
    info.flags = 0;
    if (!(p.flags & kParamNotAutomatable)) info.flags |= ParameterInfo::kCanAutomate;
    if (p.kind == ParamKind::Enumerated) info.flags |= ParameterInfo::kIsList;
    return info;
}

double normalizedToPlain(ParamID id, double normalized) {
    if (!std::isfinite(normalized)) normalized = 0.0;
    if (id == kBypassId) return normalized >= 0.5 ? 1.0 : 0.0;
    if (!isKnownParameter(id)) return normalized;
    return fromNormalized(static_cast<int>(id), normalized);
}

double plainToNormalized(ParamID id, double plain) {
    if (!std::isfinite(plain)) return 0.0;
    if (id == kBypassId) return plain >= 0.5 ? 1.0 : 0.0;
    if (!isKnownParameter(id)) return plain;
    return toNormalized(static_cast<int>(id), constrainValue(static_cast<int>(id), plain));
}

std::string normalizedToText(ParamID id, double normalized) {
    if (id == kBypassId) return normalizedToPlain(id, normalized) > 0.5 ? kBypassOn : kBypassOff;
    if (!isKnownParameter(id)) return {};
    return formatParameterNumber(static_cast<int>(id), normalizedToPlain(id, normalized));
}

std::optional<double> textToNormalized(ParamID id, const std::string& text) {
    if (id == kBypassId) {
        if (isBypassText(text, kBypassOn) || isBypassText(text, "1")) return 1.0;
        if (isBypassText(text, kBypassOff) || isBypassText(text, "0")) return 0.0;
        return std::nullopt;
    }
    if (!isKnownParameter(id)) return std::nullopt;
    const int index = static_cast<int>(id);
    const std::optional<double> plain = parseParameterText(index, text);
    if (!plain) return std::nullopt;
    return toNormalized(index, constrainValue(index, *plain));
}

}  // namespace halcyra::vst3
