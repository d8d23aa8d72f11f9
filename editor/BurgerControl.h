// The three-line menu button at the top left of the header.
#pragma once

#include <functional>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class BurgerControl : public IControl {
public:
    BurgerControl(const IRECT& bounds, const IColor& text, std::function<void()> action);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

private:
    IColor mText;
    std::function<void()> mAction;
};

}  // namespace halcyra
