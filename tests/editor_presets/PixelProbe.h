// Pixel probes on an offscreen render at scale 1 (one pixel per canvas unit).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "graphics/IColor.h"
#include "graphics/IRECT.h"
#include "graphics/offscreen/OffscreenRenderer.h"

namespace halcyra::test {

inline int ColourDistance(const IColor& a, const IColor& b) {
    return std::max({std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)});
}

// Pixels in the rectangle that differ from `background` by more than `threshold`
// in some channel: text, lines, fills drawn over it.
inline int InkCount(const OffscreenRenderer& r, const IRECT& area, const IColor& background, int threshold = 30) {
    int count = 0;
    for (int y = static_cast<int>(area.T); y < static_cast<int>(std::ceil(area.B)); ++y)
        for (int x = static_cast<int>(area.L); x < static_cast<int>(std::ceil(area.R)); ++x)
            if (ColourDistance(r.PixelAt(x, y), background) > threshold) ++count;
    return count;
}

inline IColor PixelAt(const OffscreenRenderer& r, float x, float y) {
    return r.PixelAt(static_cast<int>(x), static_cast<int>(y));
}

inline std::string Describe(const IColor& c) {
    std::string text = "(";
    for (int channel : {c.A, c.R, c.G, c.B}) text.append(std::to_string(channel)).append(", ");
    text.resize(text.size() - 2);
    return text.append(")");
}

}  // namespace halcyra::test
