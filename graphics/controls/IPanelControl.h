// A rectangle filled with one colour, usually the window background. It lets
// clicks through to whatever lies beneath.
#pragma once

#include "graphics/Canvas.h"
#include "graphics/IControl.h"

namespace halcyra {

class IPanelControl : public IControl {
public:
    IPanelControl(const IRECT& bounds, const IColor& color) : IControl(bounds), mColor(color) {
        SetIgnoreMouse(true);
    }

    void Draw(Canvas& g) override { g.FillRect(mColor, mRECT); }

    const IColor& GetColor() const { return mColor; }
    void SetColor(const IColor& c) { mColor = c; SetDirty(); }

private:
    IColor mColor;
};

}  // namespace halcyra
