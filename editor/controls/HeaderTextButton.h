// A short piece of text that acts as a button ("‹", "›", "A>B"): slightly faded
// until the mouse is over it.
#pragma once

#include <functional>
#include <string>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class HeaderTextButton : public IControl {
public:
    // Alpha of the text while the mouse is elsewhere.
    static constexpr int kRestingAlpha = 191;

    HeaderTextButton(const IRECT& bounds, std::string text, float size, const IColor& colour,
                     std::function<void()> action);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    void OnMouseOver(float x, float y, const IMouseMod& mod) override;
    void OnMouseOut() override;

    void SetAction(std::function<void()> action) { mAction = std::move(action); }
    void SetColor(const IColor& colour) { mColour = colour; SetDirty(); }
    const std::string& GetText() const { return mText; }
    bool IsHovered() const { return mHovered; }

private:
    std::string mText;
    float mSize;
    IColor mColour;
    std::function<void()> mAction;
    bool mHovered = false;
};

}  // namespace halcyra
