// Vertical scrolling of a list inside a fixed viewport: the offset, its limits and the
// slim scroll bar's thumb, in canvas units. Knows nothing of what the rows are.
#pragma once

#include "graphics/IRECT.h"

namespace halcyra {

class ListScroll {
public:
    // The list's full height and the viewport it is seen through; the offset is kept
    // within reach of both.
    void SetExtent(float contentHeight, const IRECT& viewport);

    float Offset() const { return mOffset; }
    void ScrollBy(float dy) { SetOffset(mOffset + dy); }
    void SetOffset(float offset);
    // Smallest scroll that brings [top, bottom) (content coordinates) into view.
    void Reveal(float top, float bottom);

    bool CanScroll() const { return MaxOffset() > 0.0f; }
    // The bar along the viewport's right edge, `width` wide, and its thumb.
    IRECT Track(float width) const;
    IRECT Thumb(float width) const;
    // Offset that puts the thumb's centre at y (clicks and drags on the track).
    float OffsetForThumbCentre(float y) const;

private:
    float MaxOffset() const;

    float mContent = 0.0f;
    IRECT mViewport;
    float mOffset = 0.0f;
};

}  // namespace halcyra
