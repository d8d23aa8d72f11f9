#include "editor/ListScroll.h"

#include <algorithm>

namespace halcyra {

namespace {
// Short enough lists still get a thumb that can be grabbed.
constexpr float kMinThumb = 18.0f;
}

void ListScroll::SetExtent(float contentHeight, const IRECT& viewport) {
    mContent = contentHeight;
    mViewport = viewport;
    SetOffset(mOffset);
}

float ListScroll::MaxOffset() const { return std::max(0.0f, mContent - mViewport.H()); }

void ListScroll::SetOffset(float offset) { mOffset = std::clamp(offset, 0.0f, MaxOffset()); }

void ListScroll::Reveal(float top, float bottom) {
    if (top < mOffset) SetOffset(top);
    else if (bottom > mOffset + mViewport.H()) SetOffset(bottom - mViewport.H());
}

IRECT ListScroll::Track(float width) const { return {mViewport.R - width, mViewport.T, mViewport.R, mViewport.B}; }

IRECT ListScroll::Thumb(float width) const {
    const IRECT track = Track(width);
    if (!CanScroll()) return track;
    const float h = std::max(kMinThumb, track.H() * mViewport.H() / mContent);
    const float top = track.T + (track.H() - h) * (mOffset / MaxOffset());
    return {track.L, top, track.R, top + h};
}

float ListScroll::OffsetForThumbCentre(float y) const {
    if (!CanScroll()) return 0.0f;
    const float h = Thumb(1.0f).H();
    const float travel = mViewport.H() - h;
    if (travel <= 0.0f) return 0.0f;
    return (y - h / 2.0f - mViewport.T) / travel * MaxOffset();
}

}  // namespace halcyra
