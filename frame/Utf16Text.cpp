#include "frame/Utf16Text.h"

#include <algorithm>
#include <cstring>

#include "graphics/Utf8.h"

namespace halcyra::vst3 {
namespace {

// Decodes one UTF-8 sequence; malformed bytes become U+FFFD so a bad string from a
// preset name cannot derail the rest of the text.
char32_t decodeUtf8(std::string_view s, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    int extra = 0;
    char32_t cp = 0;
    if (b0 < 0x80) { ++i; return b0; }
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; }
    else { ++i; return 0xFFFD; }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {  // sequence cut short
        i = s.size();
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        const unsigned char b = byte(i + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80) { i += static_cast<std::size_t>(k); return 0xFFFD; }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp > 0x10FFFF ? 0xFFFD : cp;
}


}  // namespace

void copyToUtf16(std::string_view utf8, Steinberg::char16* field, int capacity) {
    if (capacity <= 0) return;
    int n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const char32_t cp = decodeUtf8(utf8, i);
        const int units = cp >= 0x10000 ? 2 : 1;
        if (n + units > capacity - 1) break;
        if (units == 2) {
            const char32_t v = cp - 0x10000;
            field[n++] = static_cast<Steinberg::char16>(0xD800 + (v >> 10));
            field[n++] = static_cast<Steinberg::char16>(0xDC00 + (v & 0x3FF));
        } else {
            field[n++] = static_cast<Steinberg::char16>(cp);
        }
    }
    std::fill(field + n, field + capacity, Steinberg::char16(0));
}

std::string utf16ToUtf8(const Steinberg::char16* text, int maxUnits) {
    std::string out;
    if (!text) return out;
    for (int i = 0; i < maxUnits && text[i] != 0; ++i) {
        char32_t cp = static_cast<char16_t>(text[i]);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < maxUnits) {
            const char32_t lo = static_cast<char16_t>(text[i + 1]);
            if (lo >= 0xDC00 && lo < 0xE000) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            } else {
                cp = 0xFFFD;
            }
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        utf8::AppendCodePoint(out, cp);
    }
    return out;
}

void copyToAscii(std::string_view text, char* field, int capacity) {
    if (capacity <= 0) return;
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, static_cast<std::size_t>(capacity) - n);
}

}  // namespace halcyra::vst3
