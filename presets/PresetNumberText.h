// Numbers in preset files: always the classic notation ("." as decimal point, no
// grouping), whatever locale the host process has set. The reader never yields a
// value that is not finite, so a damaged file cannot push NaN into a parameter.
#pragma once

#include <string>
#include <string_view>

namespace halcyra {

// Seventeen significant digits, fixed or exponent notation, whichever is shorter
// (what printf's "%.17g" prints in the "C" locale), so a double survives the round trip.
std::string formatPresetNumber(double value);

// Reads by classic-locale stream extraction: leading white space is skipped and the
// number at the start is taken ("0.5abc" gives 0.5). A failed read (no number, "1e",
// a number too large for a double, "nan", "inf") gives 0.
double parsePresetNumber(std::string_view text);

}  // namespace halcyra
