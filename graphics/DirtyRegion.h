// The parts of a surface a redraw has to cover, as a few whole-pixel rectangles
// (y downward). Overlapping or touching rectangles merge into their bounding box, and
// past a handful the whole list merges: every extra rectangle is one more pass over
// the controls, and the boxes are never much larger than what they replace.
#pragma once

#include <vector>

#include "graphics/IRECT.h"

namespace halcyra {

struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // half-open: [x0, x1) × [y0, y1)

    int W() const { return x1 - x0; }
    int H() const { return y1 - y0; }
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
    bool operator==(const PixelRect&) const = default;
};

class DirtyRegion {
public:
    static constexpr int kMaxRects = 8;

    DirtyRegion(int pixelWidth, int pixelHeight) : mWidth(pixelWidth), mHeight(pixelHeight) {}

    // A rectangle in logical units at `scale`, grown to whole pixels and clipped to the surface.
    void Add(const IRECT& logical, float scale);
    void Add(PixelRect r);
    void AddAll() { Add(PixelRect{0, 0, mWidth, mHeight}); }

    bool Empty() const { return mRects.empty(); }
    const std::vector<PixelRect>& Rects() const { return mRects; }

private:
    int mWidth, mHeight;
    std::vector<PixelRect> mRects;
};

}  // namespace halcyra
