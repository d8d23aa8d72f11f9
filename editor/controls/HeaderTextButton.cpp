#include "editor/controls/HeaderTextButton.h"

#include "graphics/Canvas.h"

namespace halcyra {

HeaderTextButton::HeaderTextButton(const IRECT& bounds, std::string text, float size, const IColor& colour,
                                   std::function<void()> action)
    : IControl(bounds), mText(std::move(text)), mSize(size), mColour(colour), mAction(std::move(action)) {}

void HeaderTextButton::Draw(Canvas& g) {
    const IColor colour = mHovered ? mColour : mColour.WithAlpha(kRestingAlpha);
    g.DrawText(IText(mSize, colour, "Roboto-Regular", EAlign::Center, EVAlign::Middle), mText, mRECT);
}

void HeaderTextButton::OnMouseDown(float, float, const IMouseMod&) {
    // The action may hide or rebuild controls; nothing of this object is used after it.
    if (mAction) mAction();
}

void HeaderTextButton::OnMouseOver(float x, float y, const IMouseMod& mod) {
    IControl::OnMouseOver(x, y, mod);
    if (!mHovered) {
        mHovered = true;
        SetDirty();
    }
}

void HeaderTextButton::OnMouseOut() {
    IControl::OnMouseOut();
    if (mHovered) {
        mHovered = false;
        SetDirty();
    }
}

}  // namespace halcyra
