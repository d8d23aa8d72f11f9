#include "presets/PresetNumberText.h"

#include <charconv>
#include <cmath>

namespace halcyra {

std::string formatPresetNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

namespace {

bool isClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

}  // namespace

double parsePresetNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isClassicSpace(text[i])) ++i;

    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Only plain decimal notation: a stream does not read hex floats, "inf" or "nan".
    const std::size_t start = i;
    std::size_t end = skipDigits(text, i);
    std::size_t digits = end - start;
    if (end < text.size() && text[end] == '.') {
        const std::size_t fractionEnd = skipDigits(text, end + 1);
        digits += fractionEnd - (end + 1);
        end = fractionEnd;
    }
    if (digits == 0) return 0.0;

    // An exponent counts only when it is complete: "1e" and "1e+" read as 1.
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t exponentEnd = skipDigits(text, e);
        if (exponentEnd > e) end = exponentEnd;
    }

    double value = 0.0;
    const auto result = std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (result.ec != std::errc{} || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

}  // namespace halcyra
