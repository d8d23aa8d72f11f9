// Parameter values as text and back, shared by the VST3 frame (host text fields)
// and the editor. Numbers always use the classic "C" conventions, whatever the
// host's locale: "100.0", "-3.0", "1.60", "0.500", and item texts ("Comet",
// "Locked") for enumerations and switches. Hosts get the unit label separately
// and print it themselves; the editor shows value and unit together.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace halcyra {

// Decimal places shown for a parameter, derived from its step (0.001 -> 3, 1 -> 0).
int displayDecimals(int index);

// Value in own units -> the number alone ("1.60"), as a host's text field wants it.
// Enumerations and switches show their item text; a value outside the items shows
// the nearest one.
std::string formatParameterNumber(int index, double value);

// The same followed by the unit label, when the parameter has one ("1.60 s").
std::string formatParameterValue(int index, double value);

// Text typed by a user -> value in own units, not yet clamped (callers decide whether
// out-of-range is an error or gets clamped). Accepts the number with or without the
// unit label and surrounding blanks; for enumerations and switches, an item text
// (any letter case) or the item's number. Empty for anything else, including
// non-finite numbers.
std::optional<double> parseParameterText(int index, std::string_view text);

}  // namespace halcyra
