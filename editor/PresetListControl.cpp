#include "editor/PresetListControl.h"

#include "graphics/Canvas.h"

namespace halcyra {

PresetListControl::PresetListControl(const IRECT& bounds, const IColor& text, std::function<void()> onClick)
    : IControl(bounds), mText(text), mOnClick(std::move(onClick)) {}

void PresetListControl::Draw(Canvas& g) {
    const float cx = mRECT.MW();
    const float cy = mRECT.MH();
    for (float y : {cy - 4.0f, cy, cy + 4.0f}) {
        g.FillCircle(mText, cx - 6.0f, y, 1.0f);
        g.DrawLine(mText, cx - 3.0f, y, cx + 6.0f, y, 1.4f);
    }
}

void PresetListControl::OnMouseDown(float, float, const IMouseMod&) {
    if (mOnClick) mOnClick();
}

}  // namespace halcyra
