// The five sky colour sets the weather presets choose between. Each names what
// the sky view paints with it; the accent also re-tints the knobs and toggles.
#pragma once

#include "graphics/IColor.h"

namespace halcyra {

struct SkyPaletteEntry {
    IColor skyTop;
    IColor skyBottom;
    IColor cloud;
    IColor glow;
    IColor flash;   // star flashes, and the tint the glow takes on with brightness
    IColor spare;   // carried with the set, not painted by the sky
    IColor accent;
};

inline constexpr int kSkyPaletteCount = 5;
// The palette the editor opens with (Overcast's), also the answer for unknown indices.
inline constexpr int kDefaultSkyPalette = 2;

// Entry `index`; anything outside 0..4 gives the default entry.
const SkyPaletteEntry& GetSkyPalette(int index);

}  // namespace halcyra
