#include "tools/render/ParameterAssignment.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "tools/host/HostError.h"

namespace halcyra::render {

using host::HostError;
using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

std::string trimmed(const std::string& s) {
    const auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string unitsOf(const ParameterInfo& info) {
    std::string u;
    for (int i = 0; i < 128 && info.units[i]; ++i) u += static_cast<char>(info.units[i] & 0x7F);
    return u;
}

// A plain number, optionally followed by the parameter's unit ("-3", "-3 dB", "250ms").
bool parsePlainNumber(const std::string& text, const std::string& units, double& value) {
    std::string_view s = text;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || !std::isfinite(value)) return false;
    std::string rest = trimmed(std::string(ptr, s.data() + s.size()));
    return rest.empty() || (!units.empty() && rest == units);
}

std::string formatNumber(double v) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

std::string listOfParameters(host::PluginInstance& instance) {
    std::string names;
    for (int i = 0; i < instance.parameterCount(); ++i) names += (i ? ", " : "") + instance.parameterTitle(i);
    return names;
}

}  // namespace

ResolvedAssignment resolveAssignment(host::PluginInstance& instance, const std::string& name, const std::string& value) {
    const int index = instance.findParameter(name);
    if (index < 0) throw HostError("unknown parameter '" + name + "' (parameters: " + listOfParameters(instance) + ")");
    const ParameterInfo info = instance.parameterInfo(index);
    IEditController* controller = instance.controller();
    const std::string text = trimmed(value);
    const std::string units = unitsOf(info);

    double plain = 0.0;
    if (parsePlainNumber(text, units, plain)) {
        const double lo = controller->normalizedParamToPlain(info.id, 0.0);
        const double hi = controller->normalizedParamToPlain(info.id, 1.0);
        if (plain < lo || plain > hi)
            throw HostError("value " + text + " out of range for " + name + " (" + formatNumber(lo) + " to " +
                            formatNumber(hi) + (units.empty() ? "" : " " + units) + ")");
        return {info.id, controller->plainParamToNormalized(info.id, plain)};
    }
    String128 wide{};
    for (std::size_t i = 0; i < text.size() && i < 127; ++i) wide[i] = static_cast<char16>(static_cast<unsigned char>(text[i]));
    ParamValue normalized = 0.0;
    if (controller->getParamValueByString(info.id, wide, normalized) == kResultOk && std::isfinite(normalized))
        return {info.id, normalized};

    std::string choices;
    if (info.stepCount > 0 && info.stepCount < 64) {
        for (int s = 0; s <= info.stepCount; ++s)
            choices += (s ? ", " : "") + instance.valueText(info.id, static_cast<double>(s) / info.stepCount);
        throw HostError("unknown value '" + text + "' for " + name + " (one of: " + choices + ")");
    }
    throw HostError("unknown value '" + text + "' for " + name + " (a number" + (units.empty() ? "" : " in " + units) + ")");
}

void applyAssignment(host::PluginInstance& instance, const std::string& name, const std::string& value) {
    const ResolvedAssignment a = resolveAssignment(instance, name, value);
    instance.controller()->setParamNormalized(a.id, a.normalized);
    instance.queueParameter(a.id, a.normalized);
}

}  // namespace halcyra::render
