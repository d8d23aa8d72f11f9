// "A / B" in the header: the current slot is highlighted; a click on the left half
// switches to A, on the right half to B (AbCompareState does the switching).
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class EditorContext;

class AbCompareControl : public IControl {
public:
    // Each letter's area takes this share of the width; the "/" sits in the gap.
    static constexpr float kSlotShare = 0.46f;

    AbCompareControl(const IRECT& bounds, EditorContext& ctx, const IColor& accent, const IColor& dim);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    IRECT SlotRect(int slot) const;

private:
    EditorContext& mCtx;
    IColor mAccent, mDim;
};

}  // namespace halcyra
