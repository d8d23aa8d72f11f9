// Conversions between our UTF-8 strings and the UTF-16 strings VST3 exchanges.
#pragma once

#include <string>
#include <string_view>

#include "pluginterfaces/base/ftypes.h"

namespace halcyra::vst3 {

// Copies UTF-8 text into a fixed UTF-16 field of `capacity` units, truncating and
// always zero-terminating (zero-padding the rest).
void copyToUtf16(std::string_view utf8, Steinberg::char16* field, int capacity);

// Reads a zero-terminated UTF-16 string (at most maxUnits units) as UTF-8.
std::string utf16ToUtf8(const Steinberg::char16* text, int maxUnits = 1 << 16);

// Copies text into a fixed 8-bit field with truncation and zero-padding.
void copyToAscii(std::string_view text, char* field, int capacity);

}  // namespace halcyra::vst3
