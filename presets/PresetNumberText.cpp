#include "presets/PresetNumberText.h"

#include <charconv>
#include <cmath>
#include <locale>
#include <sstream>

namespace halcyra {

std::string formatPresetNumber(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

double parsePresetNumber(std::string_view text) {
    // A stream with its own classic locale reads exactly as the file format is defined:
    // leading white space skipped, the number read as far as it can continue, and a
    // failed read (no number, an incomplete exponent such as "1e", an overflow) gives 0.
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double value = 0.0;
    if (!(in >> value) || !std::isfinite(value)) return 0.0;
    return value;
}

}  // namespace halcyra
