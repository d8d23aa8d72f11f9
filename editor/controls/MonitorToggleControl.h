// Headphones / Speakers switch: two halves with an icon each; a click picks the half.
#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

namespace halcyra {

class MonitorToggleControl : public IControl {
public:
    MonitorToggleControl(const IRECT& bounds, int paramIdx, const IColor& accent, const IColor& text,
                         const IColor& dim, const IColor& frame);

    void Draw(Canvas& g) override;
    void OnMouseDown(float x, float y, const IMouseMod& mod) override;

    void SetAccentColor(const IColor& accent);
    const IColor& GetAccentColor() const { return mAccent; }
    bool SpeakersSelected() const { return GetValue() > 0.5; }

private:
    void DrawHeadphones(Canvas& g, float c, float m, const IColor& colour, float thickness) const;
    void DrawSpeaker(Canvas& g, float c, float m, const IColor& colour, float thickness) const;

    IColor mAccent, mText, mDim, mFrame;
};

}  // namespace halcyra
