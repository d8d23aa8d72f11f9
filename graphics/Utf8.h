// Small UTF-8 helpers for the text entry: it moves and deletes by whole code points
// and never lets a malformed byte sequence into the text it hands back.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace halcyra::utf8 {

// Appends the UTF-8 form of a code point; surrogates and values past U+10FFFF are dropped.
void AppendCodePoint(std::string& out, char32_t cp);

// The valid, printable part of some input: malformed sequences and control
// characters (including line breaks, as the entry is single-line) are removed.
std::string SanitizeSingleLine(std::string_view in);

// Byte offset of the code point boundary before / after `pos` (clamped to the string).
std::size_t PreviousBoundary(std::string_view s, std::size_t pos);
std::size_t NextBoundary(std::string_view s, std::size_t pos);

}  // namespace halcyra::utf8
