// The small "MORE" / "LESS" text button that folds the extra-controls panel out and
// back, with a chevron pointing the way the panel will move.
#pragma once

#include <functional>

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class FoldButtonControl : public IControl {
public:
    // isOpen tells which word to show; toggle runs on a click.
    FoldButtonControl(const IRECT& bounds, const IColor& text, const IColor& dim, std::function<bool()> isOpen,
                      std::function<void()> toggle);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

private:
    IColor mText, mDim;
    std::function<bool()> mIsOpen;
    std::function<void()> mToggle;
};

}  // namespace halcyra
