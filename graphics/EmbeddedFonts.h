// The TrueType fonts compiled into the plug-in, so the editor never depends on what
// the user's system has installed.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace halcyra {

struct EmbeddedFont {
    std::string_view id;        // font id the drawing code asks for
    std::string_view fileName;  // the resource name the layout loads it by
    std::span<const unsigned char> data;
};

// Wide-coverage faces every other font falls back to, glyph by glyph and in this
// order, for the characters it lacks: symbols, Armenian, Hebrew, Arabic and more from
// DejaVu Sans, then Chinese, Japanese and Korean from Droid Sans Fallback.
inline constexpr std::string_view kGlyphFallbackFontIds[] = {"DejaVuSans", "DroidSansFallback"};

// "Roboto-Regular" (the default face), "Unbounded" and the glyph fallbacks.
std::span<const EmbeddedFont> EmbeddedFonts();

// The embedded font with this id or resource file name, or nullptr.
const EmbeddedFont* FindEmbeddedFont(std::string_view idOrFileName);

}  // namespace halcyra
