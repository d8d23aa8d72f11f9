#include "plugin/ParameterText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "plugin/Parameters.h"

namespace halcyra {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Hosts hand over UTF-8; a typographic minus (U+2212) is common in pasted text.
std::string normaliseMinus(std::string_view s) {
    static constexpr std::string_view kUnicodeMinus = "\xE2\x88\x92";
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        if (s.substr(i, kUnicodeMinus.size()) == kUnicodeMinus) {
            out += '-';
            i += kUnicodeMinus.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

// Parses a leading decimal number; returns the rest of the text after it.
std::optional<double> parseLeadingNumber(std::string_view text, std::string_view& rest) {
    std::string_view s = text;
    if (!s.empty() && s.front() == '+') {  // from_chars refuses a plus sign
        s.remove_prefix(1);
        if (!s.empty() && (s.front() == '+' || s.front() == '-')) return std::nullopt;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value, std::chars_format::general);
    if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
    rest = s.substr(static_cast<std::size_t>(end - s.data()));
    return value;
}

std::optional<double> parseNumberWithUnit(const ParamInfo& p, std::string_view text) {
    std::string_view rest;
    const std::optional<double> value = parseLeadingNumber(text, rest);
    if (!value) return std::nullopt;
    rest = trim(rest);
    if (rest.empty() || (!p.label.empty() && equalsIgnoringCase(rest, p.label))) return value;
    return std::nullopt;
}

}  // namespace

int displayDecimals(int index) {
    const double step = paramInfo(index).step;
    if (!(step > 0.0) || step >= 1.0) return 0;
    return std::clamp(static_cast<int>(std::lround(-std::log10(step))), 0, 9);
}

std::string formatParameterNumber(int index, double value) {
    const ParamInfo& p = paramInfo(index);
    if (isStepped(p) && p.itemCount > 0) {
        const double whole = std::isfinite(value) ? std::round(value - p.minimum) : 0.0;
        const int item = static_cast<int>(std::clamp(whole, 0.0, static_cast<double>(p.itemCount - 1)));
        return std::string(p.items[static_cast<std::size_t>(item)]);
    }
    if (!std::isfinite(value)) return "-";
    const int decimals = displayDecimals(index);
    // "-0.0 dB" reads as a bug; anything that rounds to zero is shown unsigned.
    const double scale = std::pow(10.0, decimals);
    if (std::round(std::fabs(value) * scale) == 0.0) value = 0.0;
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buffer, end) : std::string("-");
}

std::string formatParameterValue(int index, double value) {
    std::string text = formatParameterNumber(index, value);
    const std::string_view label = paramInfo(index).label;  // item lists have none
    if (!label.empty() && std::isfinite(value)) {
        text += ' ';
        text += label;
    }
    return text;
}

std::optional<double> parseParameterText(int index, std::string_view raw) {
    const ParamInfo& p = paramInfo(index);
    const std::string normalised = normaliseMinus(raw);
    const std::string_view text = trim(normalised);
    if (text.empty()) return std::nullopt;
    if (isStepped(p) && p.itemCount > 0) {
        for (int i = 0; i < p.itemCount; ++i)
            if (equalsIgnoringCase(text, p.items[static_cast<std::size_t>(i)])) return p.minimum + i;
    }
    return parseNumberWithUnit(p, text);
}

}  // namespace halcyra
