// A colour as the editor writes it: alpha, red, green, blue, each 0-255.
#pragma once

#include <algorithm>

namespace halcyra {

struct IColor {
    int A = 255;
    int R = 0;
    int G = 0;
    int B = 0;

    constexpr IColor() = default;
    constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

    constexpr IColor WithAlpha(int alpha) const { return {alpha, R, G, B}; }

    // Opacity multiplied by a factor, as animated glows and flashes need.
    IColor WithOpacity(float factor) const {
        const float f = std::clamp(factor, 0.0f, 1.0f);
        return {static_cast<int>(A * f + 0.5f), R, G, B};
    }

    // Each of red, green and blue raised (or lowered) by the same amount, kept in 0..255.
    constexpr IColor Brightened(int amount) const {
        return {A, std::clamp(R + amount, 0, 255), std::clamp(G + amount, 0, 255),
                std::clamp(B + amount, 0, 255)};
    }

    constexpr bool operator==(const IColor&) const = default;
};

inline constexpr IColor COLOR_TRANSPARENT{0, 0, 0, 0};
inline constexpr IColor COLOR_BLACK{255, 0, 0, 0};
inline constexpr IColor COLOR_WHITE{255, 255, 255, 255};
inline constexpr IColor COLOR_GRAY{255, 127, 127, 127};
inline constexpr IColor COLOR_LIGHT_GRAY{255, 200, 200, 200};
inline constexpr IColor COLOR_DARK_GRAY{255, 70, 70, 70};

}  // namespace halcyra
