// "ms  ( o)  beats" switch for Response Mode. A change redraws the Response knob
// (tag 24) so its value text changes unit at once.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class RespModeToggleControl : public IControl {
public:
    static constexpr int kResponseKnobTag = 24;

    RespModeToggleControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& text,
                          const IColor& dim, const IColor& frame);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;
    // A change from the host side (preset, state restore) changes the knob's unit too.
    void SetValueFromDelegate(double normalized) override;

    void SetAccentColor(const IColor& accent);
    const IColor& GetAccentColor() const { return mAccent; }
    bool BeatsSelected() const { return GetValue() > 0.5; }

private:
    IRECT PillRect() const;
    void RedrawResponseKnob() const;

    IColor mAccent, mText, mDim, mFrame;
};

}  // namespace halcyra
