#include "editor/controls/FoldButtonControl.h"

#include "graphics/Canvas.h"

namespace halcyra {

FoldButtonControl::FoldButtonControl(const IRECT& bounds, const IColor& text, const IColor& dim,
                                     std::function<bool()> isOpen, std::function<void()> toggle)
    : IControl(bounds), mText(text), mDim(dim), mIsOpen(std::move(isOpen)), mToggle(std::move(toggle)) {}

void FoldButtonControl::Draw(Canvas& g) {
    const bool open = mIsOpen && mIsOpen();
    const IColor& colour = mMouseIsOver ? mText : mDim;
    // The word ends just left of the chevron, which points the way the panel will move:
    // up while folded (it opens upward), down while open.
    const float cx = mRECT.R - 8.0f, cy = mRECT.MH();
    g.DrawText(IText(11.0f, colour, "Roboto-Regular", EAlign::Far, EVAlign::Middle), open ? "LESS" : "MORE",
               IRECT(mRECT.L, mRECT.T, cx - 7.0f, mRECT.B));
    const float dy = open ? 2.0f : -2.0f;
    g.DrawLine(colour, cx - 3.5f, cy - dy, cx, cy + dy, 1.3f);
    g.DrawLine(colour, cx, cy + dy, cx + 3.5f, cy - dy, 1.3f);
}

void FoldButtonControl::OnMouseDown(float, float, const IMouseMod&) {
    if (mToggle) mToggle();
    SetDirty();
}

}  // namespace halcyra
