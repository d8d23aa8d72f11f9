#include "graphics/DirtyRegion.h"

#include <algorithm>
#include <cmath>

namespace halcyra {

namespace {

bool Touch(const PixelRect& a, const PixelRect& b) { return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1; }

PixelRect Bounds(const PixelRect& a, const PixelRect& b) {
    return {std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

}  // namespace

void DirtyRegion::Add(const IRECT& logical, float scale) {
    if (logical.Empty() || !(scale > 0.0f)) return;
    // Anything drawn covers at most the pixels the rectangle touches.
    const auto lo = [scale](float v) { return static_cast<int>(std::max(std::floor(v * scale), -1.0f)); };
    const auto hi = [scale](float v) { return static_cast<int>(std::min(std::ceil(v * scale), 1e6f)); };
    Add(PixelRect{lo(logical.L), lo(logical.T), hi(logical.R), hi(logical.B)});
}

void DirtyRegion::Add(PixelRect r) {
    r = {std::max(r.x0, 0), std::max(r.y0, 0), std::min(r.x1, mWidth), std::min(r.y1, mHeight)};
    if (r.Empty()) return;
    // Merging can make the box touch others it did not before: repeat until it stands alone.
    for (bool merged = true; merged;) {
        merged = false;
        for (auto it = mRects.begin(); it != mRects.end(); ++it) {
            if (Touch(*it, r)) {
                r = Bounds(*it, r);
                mRects.erase(it);
                merged = true;
                break;
            }
        }
    }
    mRects.push_back(r);
    if (static_cast<int>(mRects.size()) > kMaxRects) {
        PixelRect all = mRects.front();
        for (const PixelRect& o : mRects) all = Bounds(all, o);
        mRects.assign(1, all);
    }
}

}  // namespace halcyra
