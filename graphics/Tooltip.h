// Hover tooltips: a control's tooltip text appears near the pointer once the pointer
// has rested on it for a moment, and goes away when it moves on or clicks.
#pragma once

#include <string>

#include "graphics/IRECT.h"

namespace halcyra {

class Canvas;
class IControl;

class Tooltip {
public:
    static constexpr double kDelaySeconds = 0.6;

    void SetEnabled(bool enabled) { mEnabled = enabled; if (!enabled) Reset(); }
    bool IsEnabled() const { return mEnabled; }

    // The pointer is now over `control` (nullptr: over nothing) at (x, y).
    void Hover(const IControl* control, float x, float y);
    void Reset();
    // Returns true when the tooltip just became visible (a redraw is needed).
    bool Advance(double dt);

    bool IsShowing() const { return mShowing; }
    const std::string& Text() const { return mText; }
    // Where the box goes: below-right of the pointer, kept inside the canvas.
    IRECT BoxFor(float textWidth, float canvasW, float canvasH) const;
    void Draw(Canvas& g, float canvasW, float canvasH) const;

private:
    bool mEnabled = false;
    const IControl* mControl = nullptr;
    std::string mText;
    float mX = 0, mY = 0;
    double mHoverTime = 0.0;
    bool mShowing = false;
};

}  // namespace halcyra
