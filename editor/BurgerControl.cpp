#include "editor/BurgerControl.h"

#include "graphics/Canvas.h"

namespace halcyra {

BurgerControl::BurgerControl(const IRECT& bounds, const IColor& text, std::function<void()> action)
    : IControl(bounds), mText(text), mAction(std::move(action)) {}

void BurgerControl::Draw(Canvas& g) {
    const float cx = mRECT.MW();
    const float cy = mRECT.MH();
    for (float y : {cy - 5.0f, cy, cy + 5.0f}) g.DrawLine(mText, cx - 8.0f, y, cx + 8.0f, y, 1.7f);
}

void BurgerControl::OnMouseDown(float, float, const IMouseMod&) {
    if (mAction) mAction();
}

}  // namespace halcyra
