// The three-way "Events" switch that sits in the sky view: Auto (the sky places stars
// by itself), Star or Comet (a click in the sky places one). A click picks a segment.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EventsSelectorControl : public IControl {
public:
    static constexpr int kSegments = 3;

    EventsSelectorControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& text,
                          const IColor& dim, const IColor& frame);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    void SetAccentColor(const IColor& accent);
    const IColor& GetAccentColor() const { return mAccent; }
    // 0 Auto, 1 Star, 2 Comet, from the normalised value.
    int Selected() const;

private:
    IRECT Segment(int i) const;

    IColor mAccent, mText, mDim, mFrame;
};

}  // namespace halcyra
