#include "graphics/EmbeddedFonts.h"

#include <array>

extern "C" const unsigned char halcyra_font_roboto_regular[];
extern "C" const unsigned long long halcyra_font_roboto_regular_size;
extern "C" const unsigned char halcyra_font_unbounded[];
extern "C" const unsigned long long halcyra_font_unbounded_size;
extern "C" const unsigned char halcyra_font_dejavu_sans[];
extern "C" const unsigned long long halcyra_font_dejavu_sans_size;
extern "C" const unsigned char halcyra_font_droid_sans_fallback[];
extern "C" const unsigned long long halcyra_font_droid_sans_fallback_size;

namespace halcyra {

std::span<const EmbeddedFont> EmbeddedFonts() {
    static const std::array<EmbeddedFont, 4> fonts{{
        {"Roboto-Regular", "Roboto-Regular.ttf",
         {halcyra_font_roboto_regular, static_cast<std::size_t>(halcyra_font_roboto_regular_size)}},
        {"Unbounded", "Unbounded.ttf",
         {halcyra_font_unbounded, static_cast<std::size_t>(halcyra_font_unbounded_size)}},
        {"DejaVuSans", "DejaVuSans.ttf",
         {halcyra_font_dejavu_sans, static_cast<std::size_t>(halcyra_font_dejavu_sans_size)}},
        {"DroidSansFallback", "DroidSansFallbackFull.ttf",
         {halcyra_font_droid_sans_fallback, static_cast<std::size_t>(halcyra_font_droid_sans_fallback_size)}},
    }};
    return fonts;
}

const EmbeddedFont* FindEmbeddedFont(std::string_view idOrFileName) {
    for (const EmbeddedFont& f : EmbeddedFonts()) {
        if (f.id == idOrFileName || f.fileName == idOrFileName) return &f;
    }
    return nullptr;
}

}  // namespace halcyra
