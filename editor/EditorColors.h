// The editor's named colours (alpha, red, green, blue). Only the accent colour
// changes at run time (palette follow); these are its starting value and the fixed rest.
#pragma once

#include "graphics/IColor.h"

namespace halcyra {

inline constexpr IColor kWindowColor{255, 14, 16, 22};
inline constexpr IColor kTextColor{255, 206, 214, 226};
inline constexpr IColor kDimColor{185, 150, 160, 178};
inline constexpr IColor kAccentInitialColor{255, 154, 166, 188};
inline constexpr IColor kHeaderBoxColor{120, 34, 38, 52};
inline constexpr IColor kPanelColor{250, 20, 24, 34};
inline constexpr IColor kFrameColor{150, 120, 132, 150};
inline constexpr IColor kBackdropColor{150, 6, 8, 12};
inline constexpr IColor kToggleWellColor{120, 10, 12, 18};
inline constexpr IColor kKnobBodyColor{255, 40, 45, 58};
inline constexpr IColor kKnobPressedColor{255, 54, 60, 76};
inline constexpr IColor kKnobFrameColor{140, 120, 132, 152};
// The faint ring a knob's value arc runs along, visible even at the minimum.
inline constexpr IColor kKnobTrackColor{60, 120, 132, 152};

}  // namespace halcyra
