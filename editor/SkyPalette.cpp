#include "editor/SkyPalette.h"

#include <array>

namespace halcyra {

namespace {

// Columns: sky top, sky bottom, cloud, glow, flash, spare, accent.
constexpr std::array<SkyPaletteEntry, kSkyPaletteCount> kPalettes{{
    {{255, 42, 30, 51}, {255, 232, 168, 124}, {255, 244, 200, 154}, {255, 255, 241, 222}, {255, 255, 233, 176},
     {255, 255, 233, 176}, {255, 240, 168, 104}},
    {{255, 14, 32, 54}, {255, 143, 184, 217}, {255, 175, 205, 232}, {255, 230, 241, 250}, {255, 223, 243, 255},
     {255, 223, 243, 255}, {255, 127, 178, 232}},
    {{255, 26, 30, 38}, {255, 58, 66, 80}, {255, 138, 148, 166}, {255, 210, 218, 230}, {255, 255, 233, 176},
     {255, 255, 233, 176}, {255, 154, 166, 188}},
    {{255, 18, 21, 28}, {255, 57, 48, 30}, {255, 74, 82, 98}, {255, 184, 144, 90}, {255, 255, 198, 90},
     {255, 255, 198, 90}, {255, 224, 145, 46}},
    {{255, 10, 20, 32}, {255, 30, 58, 46}, {255, 95, 215, 154}, {255, 180, 124, 224}, {255, 184, 255, 208},
     {255, 216, 168, 255}, {255, 124, 224, 168}},
}};

}  // namespace

const SkyPaletteEntry& GetSkyPalette(int index) {
    if (index < 0 || index >= kSkyPaletteCount) index = kDefaultSkyPalette;
    return kPalettes[static_cast<std::size_t>(index)];
}

}  // namespace halcyra
