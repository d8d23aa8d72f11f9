#include "editor/controls/EventsSelectorControl.h"

#include <algorithm>
#include <cmath>

#include "editor/EditorColors.h"
#include "graphics/Canvas.h"

namespace halcyra {

namespace {
constexpr int kSelectedAlpha = 56;
constexpr const char* kItems[EventsSelectorControl::kSegments] = {"Auto", "Star", "Comet"};
}  // namespace

EventsSelectorControl::EventsSelectorControl(const IRECT& bounds, int paramIdx, const IColor& accent,
                                             const IColor& text, const IColor& dim, const IColor& frame)
    : IControl(bounds, paramIdx), mAccent(accent), mText(text), mDim(dim), mFrame(frame) {}

void EventsSelectorControl::SetAccentColor(const IColor& accent) {
    if (accent == mAccent) return;
    mAccent = accent;
    SetDirty();
}

int EventsSelectorControl::Selected() const {
    return static_cast<int>(std::lround(GetValue() * (kSegments - 1)));
}

IRECT EventsSelectorControl::Segment(int i) const {
    const float w = mRECT.W() / kSegments;
    return IRECT(mRECT.L + w * i, mRECT.T, mRECT.L + w * (i + 1), mRECT.B);
}

void EventsSelectorControl::Draw(Canvas& g) {
    g.FillRoundRect(kToggleWellColor, mRECT, 5.0f);
    const IText item(11.0f, mText, "Roboto-Regular", EAlign::Center, EVAlign::Middle);
    for (int i = 0; i < kSegments; ++i) {
        const bool selected = i == Selected();
        if (selected) g.FillRoundRect(mAccent.WithAlpha(kSelectedAlpha), Segment(i).GetInset(1.5f), 3.0f);
        IText style = item;
        style.fgColor = selected ? mText : mDim;
        g.DrawText(style, kItems[i], Segment(i));
        if (i > 0) g.DrawLine(mFrame, Segment(i).L, mRECT.T + 3.0f, Segment(i).L, mRECT.B - 3.0f, 1.0f);
    }
    g.DrawRoundRect(mFrame, mRECT, 5.0f, 1.0f);
}

void EventsSelectorControl::OnMouseDown(float x, float, const IMouseMod&) {
    const int i = std::clamp(static_cast<int>((x - mRECT.L) / mRECT.W() * kSegments), 0, kSegments - 1);
    SetValueFromUserInput(static_cast<double>(i) / (kSegments - 1));
}

}  // namespace halcyra
